#include "state/NumberText.h"

#include <QByteArray>
#include <array>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <vector>

namespace rt570 {
namespace {

class NumberText : public ::testing::Test {
protected:
    void SetUp() override {
        m_saved = decimalSeparator();
        setDecimalSeparator(QLatin1Char('.'));
    }
    void TearDown() override { setDecimalSeparator(m_saved); }
    QChar m_saved;
};

TEST_F(NumberText, RoundsHalfAwayFromZeroOnTheEighteenDigitForm) {
    EXPECT_EQ(formatFixed(2.5, 0, 0), "3");
    EXPECT_EQ(formatFixed(3.5, 0, 0), "4");
    EXPECT_EQ(formatFixed(-2.5, 0, 0), "-3");
    EXPECT_EQ(formatFixed(0.125, 0, 2), "0.13");
    EXPECT_EQ(formatFixed(-0.125, 0, 2), "-0.13");
    // 1.005 is 1.00499999999999989... in binary: 18 digits keep the 4.
    EXPECT_EQ(formatFixed(1.005, 0, 2), "1.00");
    // 0.15 is 0.149999999999999994...: rounded on 18 digits it is still below the half.
    EXPECT_EQ(formatFixed(0.15, 0, 1), "0.1");
    // 2.675 is 2.67499999999999982...
    EXPECT_EQ(formatFixed(2.675, 0, 2), "2.67");
    EXPECT_EQ(formatFixed(9.9996, 0, 3), "10.000");
    EXPECT_EQ(formatFixed(999.96, 0, 1), "1000.0");
    EXPECT_EQ(formatFixed(0.5, 0, 0), "1");
    EXPECT_EQ(formatFixed(0.05, 0, 1), "0.1");
    EXPECT_EQ(formatFixed(0.4, 0, 0), "0");
}

TEST_F(NumberText, FixedDigitsAndSmallValues) {
    EXPECT_EQ(formatFixed(0, 0, 0), "0");
    EXPECT_EQ(formatFixed(0, 0, 3), "0.000");
    EXPECT_EQ(formatFixed(1234, 0, 0), "1234");
    EXPECT_EQ(formatFixed(12345.6789, 0, 4), "12345.6789");
    EXPECT_EQ(formatFixed(1e-5, 0, 4), "0.0000");
    EXPECT_EQ(formatFixed(6e-5, 0, 4), "0.0001");
    EXPECT_EQ(formatFixed(5e-5, 0, 4), "0.0001");
    EXPECT_EQ(formatFixed(1e-300, 0, 18), "0.000000000000000000");
    EXPECT_EQ(formatFixed(std::numeric_limits<double>::denorm_min(), 0, 2), "0.00");
    EXPECT_EQ(formatFixed(0.1, 0, 18), "0.100000000000000006");
    EXPECT_EQ(formatFixed(123456789012345678901.0, 0, 1), "123456789012345684000.0");
    EXPECT_EQ(formatFixed(1000000, 0, 0), "1000000");
}

TEST_F(NumberText, NegativeValuesAndValuesThatRoundToZero) {
    EXPECT_EQ(formatFixed(-0.005, 0, 3), "-0.005");
    EXPECT_EQ(formatFixed(-5 / 1000.0, 11, 3), "     -0.005");
    EXPECT_EQ(formatFixed(-10000000, 0, 0), "-10000000");
    // A value that rounds to zero is written without a sign; so is minus zero.
    EXPECT_EQ(formatFixed(-0.001, 0, 2), "0.00");
    EXPECT_EQ(formatFixed(-0.0, 0, 2), "0.00");
    EXPECT_EQ(formatFixed(-0.4, 0, 0), "0");
    EXPECT_EQ(formatFixed(-0.5, 0, 0), "-1");
}

TEST_F(NumberText, PrecisionOutsideTheRangeGivesTwo) {
    EXPECT_EQ(formatFixed(1.005e3, 0, -1), "1005.00");
    EXPECT_EQ(formatFixed(7.126, 0, 19), "7.13");
    EXPECT_EQ(formatFixed(7.126, 0, std::numeric_limits<int>::min()), "7.13");
    EXPECT_EQ(formatFixed(7.126, 0, std::numeric_limits<int>::max()), "7.13");
    EXPECT_EQ(formatFixed(7.5, 0, 18), "7.500000000000000000");
}

TEST_F(NumberText, WidthPadsLeftOrRightAndNeverCuts) {
    EXPECT_EQ(formatFixed(1.5, 6, 3), " 1.500");
    EXPECT_EQ(formatFixedLeft(1.5, 6, 3), "1.500 ");
    EXPECT_EQ(formatFixed(12345.6789, 6, 4), "12345.6789");
    EXPECT_EQ(formatFixedLeft(12345.6789, 6, 4), "12345.6789");
    EXPECT_EQ(formatFixed(12345.6789, 11, 4), " 12345.6789");
    EXPECT_EQ(formatFixedLeft(10, 3, 0), "10 ");
    EXPECT_EQ(formatFixed(10, -5, 0), "10");
    EXPECT_EQ(formatFixedLeft(10, -5, 0), "10");
    EXPECT_EQ(formatFixedLeft(1234, 6, 0), "1234  ");
}

TEST_F(NumberText, NanInfinityAndHugeValues) {
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(formatFixed(std::nan(""), 6, 2), "   NAN");
    EXPECT_EQ(formatFixed(-std::nan(""), 0, 2), "NAN");
    EXPECT_EQ(formatFixedLeft(inf, 5, 2), "INF  ");
    EXPECT_EQ(formatFixed(-inf, 6, 2), "  -INF");

    // The largest float with 4 decimals: 39 integer digits, the separator and 4 decimals.
    const double big = double(std::numeric_limits<float>::max());
    const QString text = formatFixed(big, 11, 4);
    EXPECT_EQ(text.size(), 44);
    EXPECT_EQ(text, "340282346638528860000000000000000000000.0000");
    EXPECT_EQ(formatFixed(-big, 0, 0).size(), 40);

    const QString largest = formatFixed(std::numeric_limits<double>::max(), 0, 18);
    EXPECT_EQ(largest.size(), 309 + 1 + 18);
    EXPECT_TRUE(largest.startsWith("179769313486231571000"));
}

TEST_F(NumberText, SeparatorIsTheRegionalOne) {
    setDecimalSeparator(QLatin1Char(','));
    EXPECT_EQ(formatFixed(1.5, 6, 3), " 1,500");
    EXPECT_EQ(formatFixedLeft(-0.125, 7, 2), "-0,13  ");
    EXPECT_EQ(formatFixed(20000, 6, 0), " 20000");
    EXPECT_EQ(formatFixed(1e7, 0, 1), "10000000,0");
}

TEST_F(NumberText, ZeroPaddedIntegers) {
    EXPECT_EQ(formatZeroPadded(5, 2), "05");
    EXPECT_EQ(formatZeroPadded(12, 2), "12");
    EXPECT_EQ(formatZeroPadded(123, 2), "123");
    EXPECT_EQ(formatZeroPadded(9, 4), "0009");
    EXPECT_EQ(formatZeroPadded(2014, 4), "2014");
    EXPECT_EQ(formatZeroPadded(0, 2), "00");
    EXPECT_EQ(formatZeroPadded(-5, 2), "-05");
    EXPECT_EQ(formatZeroPadded(std::numeric_limits<long long>::min(), 2), "-9223372036854775808");
    EXPECT_EQ(formatZeroPadded(7, -3), "7");
}

// The separator from the environment, the way start-up reads it.
class RegionalSettings : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : kVariables)
            m_saved.push_back(qgetenv(name));
    }
    void TearDown() override {
        for (size_t i = 0; i < kVariables.size(); ++i) {
            if (m_saved[i].isNull())
                qunsetenv(kVariables[i]);
            else
                qputenv(kVariables[i], m_saved[i]);
        }
    }
    void set(const char* all, const char* numeric, const char* lang) {
        const std::array<const char*, 3> values{all, numeric, lang};
        for (size_t i = 0; i < kVariables.size(); ++i) {
            if (values[i])
                qputenv(kVariables[i], values[i]);
            else
                qunsetenv(kVariables[i]);
        }
    }
    static constexpr std::array<const char*, 3> kVariables{"LC_ALL", "LC_NUMERIC", "LANG"};
    std::vector<QByteArray> m_saved;
};

TEST_F(RegionalSettings, CategoryOrderAndLocaleNames) {
#ifndef Q_OS_WIN
    set(nullptr, nullptr, "ru_RU.UTF-8");
    EXPECT_EQ(separatorFromRegionalSettings(), QLatin1Char(','));
    set(nullptr, "en_US.UTF-8", "ru_RU.UTF-8");
    EXPECT_EQ(separatorFromRegionalSettings(), QLatin1Char('.'));
    set("de_DE@euro", "en_US.UTF-8", "C");
    EXPECT_EQ(separatorFromRegionalSettings(), QLatin1Char(','));
    set("C", nullptr, "ru_RU.UTF-8");
    EXPECT_EQ(separatorFromRegionalSettings(), QLatin1Char('.'));
    set(nullptr, "POSIX", nullptr);
    EXPECT_EQ(separatorFromRegionalSettings(), QLatin1Char('.'));
    set(nullptr, nullptr, nullptr);
    EXPECT_EQ(separatorFromRegionalSettings(), QLatin1Char('.'));
    set("", "", "ru_RU.CP1251");
    EXPECT_EQ(separatorFromRegionalSettings(), QLatin1Char(','));
#endif
}

} // namespace
} // namespace rt570
