#pragma once

#include <cstdint>

namespace rt570 {

// The meter's packed date and time: YY*100000000 + MM*1000000 + DD*10000 + hh*100 + mm with
// YY = year - 2000, in 32-bit unsigned arithmetic (a year before 2000 wraps as the meter's
// counterpart computes it).
constexpr int kDateCodeBaseYear = 2000;

struct DateCodeFields {
    int year = kDateCodeBaseYear; // full year
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
};

// Packs the fields; `yy` counts years from 2000.
uint32_t packDateCode(int yy, int month, int day, int hour, int minute);
// The fields a code carries, the year as a full year; no range check.
DateCodeFields unpackDateCode(uint32_t code);

} // namespace rt570
