#pragma once

#include <QDate>

namespace rt570 {

class RunState;

// The date picker's change: SelectedDate, ArchiveDate (full year) and DaysInArchiveMonth.
void selectArchiveDate(RunState& session, const QDate& picked);

// "Часовые", "Суточные", "Месячные": read the archive of the picked date and append the report
// to the hourly, daily or monthly file. Each works on its own copy of the picked date, so a
// change of the picker during the reads changes nothing under it. A date outside 2000-01-01 ..
// 2042-12-31 is refused with an OperationError before any request. All requests are made even
// when some fail; a line that cannot be written ends the operation with an OperationError
// ("I/O error 103" when no report file is open), after all reads that precede that line.
void hourlyReport(RunState& session, const QDate& picked);
void dailyReport(RunState& session, const QDate& picked);
void monthlyReport(RunState& session, const QDate& picked);
// The hidden dump of the hourly flow tables into the hourly file (no requests).
void dumpHourlyFlows(RunState& session);

} // namespace rt570
