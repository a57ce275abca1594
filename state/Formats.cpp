#include "state/Formats.h"

namespace rt570 {

int ChannelPrecision(double gmax) {
    int precision = 4;
    if (gmax > 10)
        precision = 3;
    if (gmax > 100)
        precision = 2;
    if (gmax > 1000)
        precision = 1;
    if (gmax > 10000)
        precision = 0;
    return precision;
}

} // namespace rt570
