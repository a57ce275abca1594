#include "support/QStringPrinter.h"

#include "store/CatchUpWindow.h"

#include <gtest/gtest.h>

using namespace rt570;

namespace {

QDate day(const char* text) {
    return QDate::fromString(QLatin1String(text), Qt::ISODate);
}

// "2026-12-04 2026-12-05" as dates.
std::vector<QDate> days(const char* text) {
    std::vector<QDate> dates;
    for (const QString& word :
         QString::fromLatin1(text).split(QLatin1Char(' '), Qt::SkipEmptyParts))
        dates.push_back(QDate::fromString(word, Qt::ISODate));
    return dates;
}

std::set<QDate> daySet(const char* text) {
    const std::vector<QDate> dates = days(text);
    return {dates.begin(), dates.end()};
}

// Every day from `first` to `last` but those of `except`.
std::set<QDate> allDays(const char* first, const char* last, const char* except = "") {
    std::set<QDate> dates;
    for (QDate d = day(first); d <= day(last); d = d.addDays(1))
        dates.insert(d);
    for (const QDate& d : days(except))
        dates.erase(d);
    return dates;
}

TEST(CatchUpWindowTest, WindowAndWhatItLacks) {
    struct Case {
        const char* today;
        int days;
        StoredPeriods stored;
        const char* first; // the window, worked out by hand
        const char* last;
        const char* hourly; // what is missing, worked out by hand; months by their first day
        const char* daily;
        const char* monthly;
    };
    const Case cases[] = {
        // A week within one month: nothing stored, every day; no month has closed.
        {"2026-12-11",
         7,
         {},
         "2026-12-04",
         "2026-12-10",
         "2026-12-04 2026-12-05 2026-12-06 2026-12-07 2026-12-08 2026-12-09 2026-12-10",
         "2026-12-01",
         ""},
        // The same week held whole, and days outside it that change nothing.
        {"2026-12-11",
         7,
         {allDays("2026-11-20", "2026-12-10"), allDays("2026-12-04", "2026-12-10"), {}},
         "2026-12-04",
         "2026-12-10",
         "",
         "",
         ""},
        // Over the year's end: December has closed, January has not.
        {"2027-01-02",
         3,
         {},
         "2026-12-30",
         "2027-01-01",
         "2026-12-30 2026-12-31 2027-01-01",
         "2026-12-01 2027-01-01",
         "2026-12-01"},
        // A window of one day, the last of a month whose row is stored.
        {"2026-12-01",
         1,
         {{}, {}, daySet("2026-11-01")},
         "2026-11-30",
         "2026-11-30",
         "2026-11-30",
         "2026-11-01",
         ""},
        // The leap day alone.
        {"2028-03-01", 1, {}, "2028-02-29", "2028-02-29", "2028-02-29", "2028-02-01", "2028-02-01"},
        // 62 days back from 1 March of a common year: 3 of December, January, 28 of February.
        {"2026-03-01",
         62,
         {allDays("2025-12-29", "2026-02-28", "2025-12-29 2026-01-15"),
          allDays("2025-12-29", "2026-02-28", "2026-02-10"), daySet("2026-01-01")},
         "2025-12-29",
         "2026-02-28",
         "2025-12-29 2026-01-15",
         "2026-02-01",
         "2025-12-01 2026-02-01"},
        // A missing day in each month gives each month once.
        {"2026-03-01",
         62,
         {allDays("2025-12-29", "2026-02-28"),
          allDays("2025-12-29", "2026-02-28", "2025-12-30 2025-12-31 2026-01-02 2026-02-27"),
          daySet("2025-12-01 2026-01-01 2026-02-01 2026-03-01")},
         "2025-12-29",
         "2026-02-28",
         "",
         "2025-12-01 2026-01-01 2026-02-01",
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.today) + " back " + std::to_string(c.days));
        const CatchUpWindow window = catchUpWindow(day(c.today), c.days);
        EXPECT_EQ(window.first, day(c.first));
        EXPECT_EQ(window.last, day(c.last));
        const MissingPeriods missing = missingPeriods(window, c.stored);
        EXPECT_EQ(missing.hourlyDays, days(c.hourly));
        EXPECT_EQ(missing.dailyMonths, days(c.daily));
        EXPECT_EQ(missing.monthlyMonths, days(c.monthly));
    }
}

} // namespace
