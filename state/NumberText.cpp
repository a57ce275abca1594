#include "state/NumberText.h"

#include <QLocale>
#include <QtGlobal>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>

namespace rt570 {

namespace {

// Digits the value is taken to before it is rounded to the precision.
constexpr int kSignificantDigits = 18;
// Precisions outside 0..kMaxPrecision give kFallbackPrecision decimals.
constexpr int kMaxPrecision = 18;
constexpr int kFallbackPrecision = 2;

bool g_separatorRead = false;
QChar g_separator = QLatin1Char('.');

// The value's magnitude as 18 significant decimal digits and the power of ten of the first one:
// |value| = 0.d1d2...d18 * 10^(exponent + 1). Zero gives 18 zeros and exponent 0.
struct DecimalDigits {
    std::string digits;
    int exponent = 0;
};

DecimalDigits significantDigits(double magnitude) {
    // "d.ddddddddddddddddde+XX": to_chars is independent of the C locale.
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, magnitude,
                                      std::chars_format::scientific, kSignificantDigits - 1);
    DecimalDigits out;
    const char* p = buffer;
    for (; p < result.ptr && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9')
            out.digits += *p;
    if (p < result.ptr)
        std::from_chars(*(p + 1) == '+' ? p + 2 : p + 1, result.ptr, out.exponent);
    return out;
}

// Fixed notation with exactly `precision` decimals, rounded half away from zero on the
// 18-digit decimal form. A value that rounds to zero is written without a minus sign.
QString fixedText(double value, int precision) {
    if (std::isnan(value))
        return QStringLiteral("NAN");
    if (std::isinf(value))
        return value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
    if (precision < 0 || precision > kMaxPrecision)
        precision = kFallbackPrecision;

    const DecimalDigits d = significantDigits(std::fabs(value));
    // Digits kept: those before the decimal point plus `precision` after it.
    const int integerDigits = d.exponent + 1;
    const int kept = integerDigits + precision;

    // Digit string of the rounded magnitude scaled by 10^precision, most significant first.
    std::string scaled;
    if (kept <= 0) {
        // Everything lies beyond the last kept decimal; only the first digit at exactly that
        // place can round up to one unit of the last decimal.
        scaled = (kept == 0 && d.digits[0] >= '5') ? "1" : "0";
    } else if (kept >= int(d.digits.size())) {
        scaled = d.digits + std::string(size_t(kept) - d.digits.size(), '0');
    } else {
        scaled = d.digits.substr(0, size_t(kept));
        if (d.digits[size_t(kept)] >= '5') {
            int i = kept - 1;
            for (; i >= 0 && scaled[size_t(i)] == '9'; --i)
                scaled[size_t(i)] = '0';
            if (i >= 0)
                ++scaled[size_t(i)];
            else
                scaled.insert(scaled.begin(), '1');
        }
    }

    // At least one integer digit, then the decimals.
    if (int(scaled.size()) < precision + 1)
        scaled.insert(0, size_t(precision + 1) - scaled.size(), '0');
    // Leading zeros of the integer part (from a zero value) go, one digit stays.
    size_t firstDigit = 0;
    const size_t integerEnd = scaled.size() - size_t(precision);
    while (firstDigit + 1 < integerEnd && scaled[firstDigit] == '0')
        ++firstDigit;

    const bool isZero = scaled.find_first_not_of('0') == std::string::npos;
    QString text;
    text.reserve(int(scaled.size()) + 2);
    if (value < 0 && !isZero)
        text += QLatin1Char('-');
    text += QLatin1String(scaled.data() + firstDigit, qsizetype(integerEnd - firstDigit));
    if (precision > 0) {
        text += decimalSeparator();
        text += QLatin1String(scaled.data() + integerEnd, precision);
    }
    return text;
}

QString localeNameFromEnvironment() {
    for (const char* variable : {"LC_ALL", "LC_NUMERIC", "LANG"}) {
        const QString value = qEnvironmentVariable(variable);
        if (!value.isEmpty())
            return value;
    }
    return QString();
}

} // namespace

QChar decimalSeparator() {
    if (!g_separatorRead) {
        g_separator = separatorFromRegionalSettings();
        g_separatorRead = true;
    }
    return g_separator;
}

void setDecimalSeparator(QChar separator) {
    g_separator = separator;
    g_separatorRead = true;
}

QChar separatorFromRegionalSettings() {
#ifdef Q_OS_WIN
    const QString point = QLocale::system().decimalPoint();
    return point.isEmpty() ? QLatin1Char('.') : point.at(0);
#else
    QString name = localeNameFromEnvironment();
    // "ru_RU.UTF-8@euro" -> "ru_RU": the encoding and the modifier do not change the separator.
    for (const QChar mark : {QLatin1Char('.'), QLatin1Char('@')}) {
        const qsizetype cut = name.indexOf(mark);
        if (cut >= 0)
            name.truncate(cut);
    }
    if (name.isEmpty() || name == QLatin1String("C") || name == QLatin1String("POSIX"))
        return QLatin1Char('.');
    const QString point = QLocale(name).decimalPoint();
    return point.isEmpty() ? QLatin1Char('.') : point.at(0);
#endif
}

QString formatFixed(double value, int width, int precision) {
    const QString text = fixedText(value, precision);
    return width > text.size() ? text.rightJustified(width, QLatin1Char(' ')) : text;
}

QString formatFixedLeft(double value, int width, int precision) {
    const QString text = fixedText(value, precision);
    return width > text.size() ? text.leftJustified(width, QLatin1Char(' ')) : text;
}

QString formatZeroPadded(long long value, int digits) {
    // The magnitude in unsigned arithmetic, so that the smallest long long has one too.
    const unsigned long long magnitude = value < 0 ? 0ULL - static_cast<unsigned long long>(value)
                                                   : static_cast<unsigned long long>(value);
    QString text = QString::number(magnitude);
    if (digits > text.size())
        text = text.rightJustified(digits, QLatin1Char('0'));
    if (value < 0)
        text.prepend(QLatin1Char('-'));
    return text;
}

} // namespace rt570
