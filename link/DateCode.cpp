#include "link/DateCode.h"

namespace rt570 {

namespace {

constexpr uint32_t kYearFactor = 100000000u;
constexpr uint32_t kMonthFactor = 1000000u;
constexpr uint32_t kDayFactor = 10000u;
constexpr uint32_t kHourFactor = 100u;

} // namespace

uint32_t packDateCode(int yy, int month, int day, int hour, int minute) {
    return uint32_t(yy) * kYearFactor + uint32_t(month) * kMonthFactor +
           uint32_t(day) * kDayFactor + uint32_t(hour) * kHourFactor + uint32_t(minute);
}

DateCodeFields unpackDateCode(uint32_t code) {
    DateCodeFields f;
    f.year = kDateCodeBaseYear + int(code / kYearFactor);
    f.month = int(code % kYearFactor / kMonthFactor);
    f.day = int(code % kMonthFactor / kDayFactor);
    f.hour = int(code % kDayFactor / kHourFactor);
    f.minute = int(code % kHourFactor);
    return f;
}

} // namespace rt570
