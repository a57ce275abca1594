#pragma once

#include <QChar>
#include <QString>

namespace rt570 {

// Number texts of the window and the reports. The value is first taken to 18 significant
// digits, then rounded half away from zero to the precision (2.5 -> 3, 0.125 -> 0.13); a
// precision outside 0..18 gives 2; no separator when the precision is 0; no thousands
// separators; a text longer than the width is never cut. NaN and infinities give "NAN", "INF"
// and "-INF".

// The decimal separator of the user's regional settings, read once at start-up.
QChar decimalSeparator();
void setDecimalSeparator(QChar separator);
// On POSIX the LC_NUMERIC category of LC_ALL / LC_NUMERIC / LANG ("ru_RU.UTF-8" gives ','),
// without needing that locale installed; on Windows the system locale.
QChar separatorFromRegionalSettings();

// "%*.*f": padded with blanks on the left to at least `width`.
QString formatFixed(double value, int width, int precision);
// "%-*.*f": padded with blanks on the right.
QString formatFixedLeft(double value, int width, int precision);
// "%.2d", "%.4d": at least `digits` digits, zero-padded on the left.
QString formatZeroPadded(long long value, int digits);

} // namespace rt570
