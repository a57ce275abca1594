#include "store/CsvText.h"

#include <cfloat>
#include <cmath>

namespace rt570 {

namespace {

constexpr int kCountDigits = 10;
constexpr int kMaxSingleDigits = 9; // enough for any float to read back unchanged

QString nonFinite(double value) {
    if (std::isnan(value))
        return QStringLiteral("NAN");
    return value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
}

// `value` rounded to `digits` significant digits, in fixed notation, trailing zeros dropped.
QString fixedText(double value, int digits, QChar decimal) {
    if (!std::isfinite(value))
        return nonFinite(value);
    // The exponent of the rounded value ("9.99999999999" rounds up to 1e+01).
    const QString scientific = QString::number(value, 'e', digits - 1);
    const int exponent = scientific.mid(scientific.indexOf(QLatin1Char('e')) + 1).toInt();
    const int decimals = std::max(0, digits - 1 - exponent);
    // Adding 0 turns a minus zero into zero.
    QString text = QString::number(value + 0.0, 'f', decimals);
    if (text.contains(QLatin1Char('.'))) {
        while (text.endsWith(QLatin1Char('0')))
            text.chop(1);
        if (text.endsWith(QLatin1Char('.')))
            text.chop(1);
    }
    if (text == QLatin1String("-0"))
        text = QStringLiteral("0");
    text.replace(QLatin1Char('.'), decimal);
    return text;
}

} // namespace

QString csvNumber(double value, QChar decimal) {
    return fixedText(value, kCountDigits, decimal);
}

QString csvSingle(double value, QChar decimal) {
    if (!std::isfinite(value) || std::fabs(value) > double(FLT_MAX))
        return csvNumber(value, decimal);
    const float single = float(value);
    int digits = 1;
    while (digits < kMaxSingleDigits &&
           float(QString::number(double(single), 'e', digits - 1).toDouble()) != single)
        ++digits;
    return fixedText(double(single), digits, decimal);
}

QChar csvFieldSeparator(QChar decimal) {
    return decimal == QLatin1Char(',') ? QLatin1Char(';') : QLatin1Char(',');
}

QString csvLine(const QStringList& fields, QChar separator) {
    QStringList out;
    for (const QString& field : fields) {
        if (field.contains(separator) || field.contains(QLatin1Char('"')) ||
            field.contains(QLatin1Char('\n')) || field.contains(QLatin1Char('\r'))) {
            QString quoted = field;
            quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
            out << QLatin1Char('"') + quoted + QLatin1Char('"');
        } else {
            out << field;
        }
    }
    return out.join(separator);
}

} // namespace rt570
