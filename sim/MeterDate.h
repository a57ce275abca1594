#pragma once

#include "link/DateCode.h"

#include <QDate>
#include <QDateTime>
#include <cstdint>

namespace rt570::sim {

using rt570::DateCodeFields;

// The calendar day a date code names, invalid for a month or day that does not exist (0, 13,
// 32, ...).
QDate calendarDay(const DateCodeFields& fields);
// The date code of a moment. Years before 2000 and after 2042 do not fit; they wrap as the 32-bit
// arithmetic does.
uint32_t dateCodeAt(const QDateTime& time);

// Whole hours and days on one continuous scale: the meter keeps wall-clock time without
// daylight-saving jumps, so everything inside the model is UTC-specified wall time.
QDateTime wallTime(const QDate& date, int hour = 0, int minute = 0, int second = 0);

} // namespace rt570::sim
