// The clock's date-code decoding with any code and seconds.
#include "readings/Clock.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 5)
        return 0;
    uint32_t code;
    std::memcpy(&code, data, 4);
    (void)rt570::clockDateText(code);
    (void)rt570::clockTimeText(code, data[4]);
    return 0;
}
