#include "state/FloatFigure.h"

#include <charconv>
#include <cmath>

namespace rt570 {

namespace {

// Enough for the longest float text, "-1.17549435e-38".
constexpr int kFloatTextSize = 32;

} // namespace

double floatFigure(float value) {
    if (!std::isfinite(value))
        return double(value);
    // Without a precision, to_chars writes the shortest text that reads back as the same float.
    char text[kFloatTextSize];
    const std::to_chars_result written = std::to_chars(text, text + kFloatTextSize, value);
    double decimal = double(value);
    if (written.ec == std::errc())
        std::from_chars(text, written.ptr, decimal);
    return decimal;
}

} // namespace rt570
