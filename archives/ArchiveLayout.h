#pragma once

#include "archives/ChannelScales.h"
#include "state/ArchiveState.h"

#include <QString>
#include <QStringList>
#include <array>

namespace rt570 {

// The layout the hourly, daily and monthly reports share.

// 78 underscores: above and below the column heads and under the table.
QString RuleLine();
constexpr int kRuleLength = 78;

// A time entry (in 1/10000 hour) in hours, with 2 decimals in at least 4 places.
QString hoursText(double units);

// The nine cells of one record in column order (channels 1..4, operating times 1..4, mains
// time), each followed by " | ".
QString recordCells(const ArchiveRecord& record, const ChannelFormats& formats, ChannelCells kind);
// "| " + the label as two digits + ": | " + the cells.
QString tableRow(int label, const ArchiveRecord& record, const ChannelFormats& formats,
                 ChannelCells kind);

// The second column head of the hourly and daily reports: the units of flows and hours.
QString flowUnitsHead();
// The seven header lines: title, device line, a blank line, rule, the two heads, rule.
QStringList headerBlock(const QString& title, const QString& deviceLine, const QString& head1,
                        const QString& head2);
// "Расходомер RT570-4: серийный №: " and the serial number left-aligned in six places; the
// monthly report writes it without the blank after the colon.
QString deviceLine(double serial, bool blankAfterColon = true);
// The year and month (and day) of the report's title: "2009.03" or "2009.03.15".
QString titleMonth(int yy, int month);
QString titleDay(int yy, int month, int day);

// The nine integrator lines V1..V4, В1..В4, ТC: label, the value in 11 places, two blanks.
QStringList integratorLines(const ArchiveRecord& values, const ChannelFormats& formats);
QString integratorLine(const QString& label, double value, int decimals);

} // namespace rt570
