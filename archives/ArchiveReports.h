#pragma once

#include <QDate>

namespace rt570 {

class Session;

// The date picker's change: SelectedDate, ArchiveDate and DaysInArchiveMonth.
void DateTimePicker1Change(Session& session, const QDate& picked);

// "Часовые", "Суточные", "Месячные": read the archive of the picked date and append the report.
// Each works on its own copy of the picked date.
void hourlyReport(Session& session, const QDate& picked);
void dailyReport(Session& session, const QDate& picked);
void monthlyReport(Session& session, const QDate& picked);
// The hidden dump of the hourly flow tables into the hourly file.
void dumpHourlyFlows(Session& session);

} // namespace rt570
