#include "cli/CatchUp.h"
#include "support/QStringPrinter.h"

#include <gtest/gtest.h>

namespace rt570::cli {
namespace {

std::vector<QDate> dates(std::initializer_list<const char*> texts) {
    std::vector<QDate> result;
    for (const char* text : texts)
        result.push_back(QDate::fromString(QLatin1String(text), Qt::ISODate));
    return result;
}

// "values hourly 2026-12-04 ..." for the operations.
QString text(const std::vector<CliOperation>& operations) {
    QStringList words;
    for (const CliOperation& operation : operations) {
        words << operationName(operation.kind);
        if (operation.missing)
            words << QStringLiteral("missing");
        else if (operation.date.isValid())
            words << operation.date.toString(Qt::ISODate);
    }
    return words.join(QLatin1Char(' '));
}

TEST(CatchUp, MissingOperationsBecomeTheDatedReadsOfWhatTheStoreLacks) {
    const CliOperation values{CliOperation::Values, QDate(), false};
    const CliOperation hourly{CliOperation::Hourly, QDate(), true};
    const CliOperation daily{CliOperation::Daily, QDate(), true};
    const CliOperation monthly{CliOperation::Monthly, QDate(), true};
    const CliOperation typed{CliOperation::Daily, QDate(2026, 10, 5), false};
    struct Case {
        QDate today;
        std::vector<CliOperation> operations;
        MissingPeriods missing;
        const char* expected;
    };
    const Case cases[] = {
        // A past month is read on its last day, the running one on yesterday.
        {QDate(2026, 12, 11),
         {values, hourly, daily, monthly, typed},
         {dates({"2026-12-04", "2026-12-09"}), dates({"2026-11-01", "2026-12-01"}),
          dates({"2026-11-01"})},
         "values hourly 2026-12-04 hourly 2026-12-09 daily 2026-11-30 daily 2026-12-10 "
         "monthly 2026-11-30 daily 2026-10-05"},
        // On New Year's day yesterday is December's last day; February of a common year and
        // of a leap year.
        {QDate(2027, 1, 1),
         {monthly, daily},
         {{}, dates({"2026-12-01"}), dates({"2026-02-01", "2024-02-01"})},
         "monthly 2026-02-28 monthly 2024-02-29 daily 2026-12-31"},
        // Nothing missing: no archive read at all.
        {QDate(2026, 12, 11), {hourly, daily, monthly}, {}, ""},
        {QDate(2026, 12, 11), {hourly, values}, {}, "values"},
        // Days before the archive's first one are not asked for.
        {QDate(2000, 1, 3),
         {hourly, daily, monthly},
         {dates({"1999-12-31", "2000-01-01"}), dates({"1999-12-01", "2000-01-01"}),
          dates({"1999-12-01"})},
         "hourly 2000-01-01 daily 2000-01-02"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        EXPECT_TRUE(asksForMissing(c.operations) || c.operations.empty());
        EXPECT_EQ(text(expandMissing(c.operations, c.missing, c.today)), QLatin1String(c.expected));
    }
    EXPECT_FALSE(asksForMissing({values, typed}));
}

} // namespace
} // namespace rt570::cli
