#pragma once

#include "figures/PeriodFigures.h"

#include <QChar>
#include <QString>
#include <QStringList>

namespace rt570 {

// The rows of a period as text, one row per slot of the period (a row the store lacks has
// empty figures): the date ("2026-11-29"; a month "2026-11"), the hour of a day's rows, the
// four channels, the four operating times and the mains time.

// For the window: the column titles with their units, and each figure with the report's
// decimals (the channel's for flows and volumes, 2 for times).
QStringList tableTitles(const Period& period);
QList<QStringList> tableRows(const PeriodFigures& figures);

// For a spreadsheet, with the rules of the command line's CSV files: a "serial" and a "node"
// column first, the same column names, numbers unrounded with the decimal separator given
// (flows as the single-precision value the meter sent). csvFile() is the whole file: a UTF-8
// byte-order mark, ";" between fields beside a decimal comma (else ","), lines ending in
// CR LF. tabText() is the same table with tabs between fields and no mark, for the clipboard.
QByteArray csvFile(const PeriodFigures& figures, const QString& node, QChar decimal);
QString tabText(const PeriodFigures& figures, const QString& node, QChar decimal);

} // namespace rt570
