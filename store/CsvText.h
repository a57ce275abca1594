#pragma once

#include <QChar>
#include <QString>
#include <QStringList>

namespace rt570 {

// Texts of the spreadsheet files. Numbers are in fixed notation (never "1e+10", which a
// spreadsheet of another region may take for text), with the given decimal separator and
// without trailing zeros; NaN and infinities are "NAN", "INF", "-INF".

// A number with up to 10 significant digits: every 32-bit count the meter sends, divided by a
// power of ten as the reports divide it, prints exactly (2147483647 / 10000 is 214748.3647).
QString csvNumber(double value, QChar decimal);

// A number that came from the meter as a single-precision float: the shortest text (at most 9
// significant digits) that reads back as the same float, so 12.3456f prints as 12.3456 and not
// as the 12.345600128173828 the wider type holds.
QString csvSingle(double value, QChar decimal);

// The field separator that goes with a decimal separator: ";" beside a decimal comma, else ",".
QChar csvFieldSeparator(QChar decimal);

// One line of fields, without its line end: a field that holds the separator, a quote or a line
// break is quoted, its quotes doubled.
QString csvLine(const QStringList& fields, QChar separator);

} // namespace rt570
