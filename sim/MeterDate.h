#pragma once

#include <QDate>
#include <QDateTime>
#include <cstdint>

namespace rt570::sim {

// The meter's packed date and time: YY*10^8 + MM*10^6 + DD*10^4 + hh*100 + mm, YY = year - 2000.
struct DateCodeFields {
    int year = 2000;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;

    // The calendar day, invalid for a month or day that does not exist (0, 13, 32, ...).
    QDate date() const { return QDate(year, month, day); }
};

DateCodeFields splitDateCode(uint32_t code);
// Years before 2000 and after 2042 do not fit; they wrap as the 32-bit arithmetic does.
uint32_t makeDateCode(const QDateTime& time);

// Whole hours and days on one continuous scale: the meter keeps wall-clock time without
// daylight-saving jumps, so everything inside the model is UTC-specified wall time.
QDateTime wallTime(const QDate& date, int hour = 0, int minute = 0, int second = 0);

} // namespace rt570::sim
