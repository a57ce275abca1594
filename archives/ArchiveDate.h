#pragma once

#include "state/ArchiveState.h"

#include <QDate>
#include <cstdint>

namespace rt570 {

class RunState;

// Archive dates the 32-bit date code can address: the years 2000 to 2042.
constexpr int kFirstArchiveYear = 2000;
constexpr int kLastArchiveYear = 2042;
// The hour that addresses daily, monthly and end-of-day records.
constexpr int kDayRecordHour = 23;

// YY*100000000 + MM*1000000 + DD*10000 + hh*100 (minutes 0), in 32-bit unsigned arithmetic,
// so that a YY below zero wraps as the meter's counterpart would compute it.
uint32_t archiveDateCode(int yy, int month, int day, int hour);

// Days of a month, leap years included (February 2000 has 29).
int daysInMonth(int year, int month);

// The meter's reporting day from its parameter: truncated toward zero; a value no 32-bit
// integer holds (or NaN) counts as 0.
int reportingDay(double value);

// True for 2000-01-01 .. 2042-12-31.
bool archiveDateInRange(const QDate& date);

// What an archive operation does first: refuses a date outside the range with an
// OperationError, sets SelectedDate to the picked date, and stores it in ArchiveDate with the
// year held as YY = year - 2000. Returns the operation's own copy.
ArchiveDateParts takeArchiveDate(RunState& session, const QDate& picked);

} // namespace rt570
