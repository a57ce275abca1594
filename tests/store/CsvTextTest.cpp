#include "support/QStringPrinter.h"

#include "store/CsvText.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

using namespace rt570;

namespace {

TEST(CsvTextTest, NumbersKeepTheirDigitsInFixedNotation) {
    struct Case {
        double value;
        bool single; // sent by the meter as a float
        char decimal;
        const char* text;
    };
    const Case cases[] = {
        {1234.567, false, ',', "1234,567"},
        {2147483647 / 10000.0, false, ',', "214748,3647"}, // the largest hours count
        {2147483647 / 0.1, false, '.', "21474836470"},     // a count times ten: no exponent
        {123 / 0.1, false, '.', "1230"},                   // 1230.0000000000002 in binary
        {0.00001, false, '.', "0.00001"},
        {-5.25, false, ',', "-5,25"},
        {-0.0, false, '.', "0"},
        {9.99999999999, false, '.', "10"}, // rounding carries into a new digit
        {double(12.3456f), true, ',', "12,3456"},
        {double(0.1f), true, '.', "0.1"},
        {double(-1.5e-7f), true, '.', "-0.00000015"},
        {double(1234.5678f), true, '.', "1234.5677"}, // the float nearest to 1234.5678
        {std::numeric_limits<double>::quiet_NaN(), true, ',', "NAN"},
        {-std::numeric_limits<double>::infinity(), false, ',', "-INF"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const QChar decimal = QLatin1Char(c.decimal);
        EXPECT_EQ(c.single ? csvSingle(c.value, decimal) : csvNumber(c.value, decimal),
                  QLatin1String(c.text));
    }
}

TEST(CsvTextTest, FieldsHoldingTheSeparatorOrAQuoteAreQuoted) {
    struct Case {
        QStringList fields;
        char separator;
        QString line;
    };
    const Case cases[] = {
        {{"G1, m3/h", "12,5"}, ';', "G1, m3/h;12,5"},
        {{"G1, m3/h", "12.5"}, ',', "\"G1, m3/h\",12.5"},
        {{"Вес импульса; №1", "a"}, ';', "\"Вес импульса; №1\";a"},
        {{"say \"hi\"", ""}, ',', "\"say \"\"hi\"\"\","},
        {{"two\nlines", "", ""}, ';', "\"two\nlines\";;"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(csvLine(c.fields, QLatin1Char(c.separator)), c.line);
}

} // namespace
