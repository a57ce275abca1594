#include "support/QStringPrinter.h"

#include "store/CatchUpWindow.h"

#include <gtest/gtest.h>

using namespace rt570;

namespace {

// "2026-12-04 2026-12-05" as dates; "2026-12-04..2026-12-06" as every day from one to the other.
std::vector<QDate> days(const char* text) {
    std::vector<QDate> dates;
    for (const QString& word :
         QString::fromLatin1(text).split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QStringList ends = word.split(QStringLiteral(".."));
        for (QDate d = QDate::fromString(ends.first(), Qt::ISODate);
             d <= QDate::fromString(ends.last(), Qt::ISODate); d = d.addDays(1))
            dates.push_back(d);
    }
    return dates;
}

std::set<QDate> daySet(const char* text) {
    const std::vector<QDate> dates = days(text);
    return {dates.begin(), dates.end()};
}

// Windows and what they lack, worked out by hand; months are named by their first day.
TEST(CatchUpWindowTest, WindowAndWhatItLacks) {
    struct Case {
        const char* today;
        int days;
        const char *hourlyStored, *dailyStored, *monthsStored;
        const char* window; // first..last
        const char *hourly, *daily, *monthly;
    };
    const Case cases[] = {
        // Within one month: no month has closed; rows outside the window change nothing.
        {"2026-12-11", 7, "2026-11-20..2026-12-05 2026-12-07..2026-12-10", "2026-12-04", "",
         "2026-12-04..2026-12-10", "2026-12-06", "2026-12-01", ""},
        // Over the year's end: December has closed, January has not.
        {"2027-01-02", 3, "", "", "", "2026-12-30..2027-01-01", "2026-12-30..2027-01-01",
         "2026-12-01 2027-01-01", "2026-12-01"},
        // One day, the last of a month whose row is stored; then the leap day alone.
        {"2026-12-01", 1, "", "", "2026-11-01", "2026-11-30..2026-11-30", "2026-11-30",
         "2026-11-01", ""},
        {"2028-03-01", 1, "", "", "", "2028-02-29..2028-02-29", "2028-02-29", "2028-02-01",
         "2028-02-01"},
        // 62 days back from 1 March of a common year: 3 of December, January, 28 of February.
        {"2026-03-01", 62, "2025-12-30..2026-01-14 2026-01-16..2026-02-28",
         "2025-12-29..2026-02-09 2026-02-11..2026-02-28", "2026-01-01 2026-03-01",
         "2025-12-29..2026-02-28", "2025-12-29 2026-01-15", "2026-02-01", "2025-12-01 2026-02-01"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.today) + " back " + std::to_string(c.days));
        const CatchUpWindow window = catchUpWindow(days(c.today).front(), c.days);
        EXPECT_EQ(window.first, days(c.window).front());
        EXPECT_EQ(window.last, days(c.window).back());
        const MissingPeriods missing = missingPeriods(
            window, {daySet(c.hourlyStored), daySet(c.dailyStored), daySet(c.monthsStored)});
        EXPECT_EQ(missing.hourlyDays, days(c.hourly));
        EXPECT_EQ(missing.dailyMonths, days(c.daily));
        EXPECT_EQ(missing.monthlyMonths, days(c.monthly));
    }
}

} // namespace
