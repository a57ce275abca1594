// Number texts with arbitrary doubles, widths and precisions.
#include "state/NumberText.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 16)
        return 0;
    double value;
    int32_t width, precision;
    std::memcpy(&value, data, 8);
    std::memcpy(&width, data + 8, 4);
    std::memcpy(&precision, data + 12, 4);
    width %= 4096; // the reports use small widths; keep allocations bounded
    rt570::setDecimalSeparator(size > 16 && data[16] & 1 ? QChar(',') : QChar('.'));
    const QString right = rt570::formatFixed(value, width, precision);
    const QString left = rt570::formatFixedLeft(value, width, precision);
    if (right.size() != left.size())
        __builtin_trap();
    (void)rt570::formatZeroPadded(static_cast<long long>(width) * precision, precision % 20);
    return 0;
}
