#include "support/QStringPrinter.h"
#include "support/RecordingFigureSink.h"

#include "store/FigureFilter.h"

#include <QTimeZone>
#include <gtest/gtest.h>
#include <optional>

using namespace rt570;

namespace {

// The meter's wall time, as the clock read gives it.
QDateTime meterAt(int y, int m, int d, int hh, int mm, int ss = 0) {
    return QDateTime(QDate(y, m, d), QTime(hh, mm, ss), QTimeZone::utc());
}

ArchiveRow archiveRow(QDate date, int hour = -1, int reportingDay = 0) {
    ArchiveRow row;
    row.date = date;
    row.hour = hour;
    row.channels = {0.0, 0.0, 0.0, 0.0};
    row.reportingDay = reportingDay;
    return row;
}

std::vector<ArchiveRow> hoursOf(QDate day) {
    std::vector<ArchiveRow> rows;
    for (int h = 0; h < 24; ++h)
        rows.push_back(archiveRow(day, h));
    return rows;
}

// Each case is one connection: the meter's clock as read (nullopt: never given; invalid: the
// read failed), one report's rows, and which of them reach the sink behind the filter.
struct RowCase {
    const char* name;
    std::optional<QDateTime> clock;
    ArchiveKind kind;
    std::vector<ArchiveRow> rows;
    std::vector<size_t> kept;
};

TEST(FigureFilterTest, OnlyPeriodsThatHadEndedByTheMetersClockPass) {
    const QDate today(2026, 12, 10);
    const QDateTime afternoon = meterAt(2026, 12, 10, 14, 30);
    const std::vector<RowCase> cases{
        {"today's hours at 14:30: 0..13 have ended",
         afternoon,
         ArchiveKind::Hourly,
         hoursOf(today),
         {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13}},
        {"hour 13 at 14:00:00 sharp",
         meterAt(2026, 12, 10, 14, 0),
         ArchiveKind::Hourly,
         {archiveRow(today, 13), archiveRow(today, 14)},
         {0}},
        {"hour 13 at 13:59:59",
         meterAt(2026, 12, 10, 13, 59, 59),
         ArchiveKind::Hourly,
         {archiveRow(today, 12), archiveRow(today, 13)},
         {0}},
        {"tomorrow's hours", afternoon, ArchiveKind::Hourly, hoursOf(today.addDays(1)), {}},
        {"days 8..11 on the 10th",
         afternoon,
         ArchiveKind::Daily,
         {archiveRow(QDate(2026, 12, 8)), archiveRow(QDate(2026, 12, 9)), archiveRow(today),
          archiveRow(QDate(2026, 12, 11))},
         {0, 1}},
        {"November closing on the 25th, on the 26th",
         meterAt(2026, 11, 26, 0, 0),
         ArchiveKind::Monthly,
         {archiveRow(QDate(2026, 11, 1), -1, 25)},
         {0}},
        {"November closing on the 25th, late on the 25th",
         meterAt(2026, 11, 25, 23, 59, 59),
         ArchiveKind::Monthly,
         {archiveRow(QDate(2026, 11, 1), -1, 25)},
         {}},
        // A reporting day past the month's end closes the month at its end.
        {"February closing on the 31st, on 1 March",
         meterAt(2026, 3, 1, 0, 0),
         ArchiveKind::Monthly,
         {archiveRow(QDate(2026, 2, 1), -1, 31)},
         {0}},
        {"February closing on the 31st, on 28 February",
         meterAt(2026, 2, 28, 23, 59, 59),
         ArchiveKind::Monthly,
         {archiveRow(QDate(2026, 2, 1), -1, 31)},
         {}},
        {"a month with no reporting day",
         afternoon,
         ArchiveKind::Monthly,
         {archiveRow(QDate(2020, 1, 1), -1, 0)},
         {}},
        {"no clock given in the connection",
         std::nullopt,
         ArchiveKind::Hourly,
         {archiveRow(QDate(2020, 1, 1), 0)},
         {}},
    };
    for (const RowCase& c : cases) {
        SCOPED_TRACE(c.name);
        test::RecordingFigureSink sink;
        FigureFilter filter(sink);
        // A clock of an earlier connection, late enough to let everything pass, is forgotten.
        filter.meterClock(meterAt(2040, 1, 1, 0, 0));
        filter.beginConnection();
        if (c.clock)
            filter.meterClock(*c.clock);
        filter.archiveRows(c.kind, c.rows);
        std::vector<ArchiveRow> expected;
        for (size_t i : c.kept)
            expected.push_back(c.rows[i]);
        const std::vector<ArchiveRow> got =
            sink.archives.empty() ? std::vector<ArchiveRow>{} : sink.archives[0].rows;
        ASSERT_EQ(got.size(), expected.size());
        for (size_t i = 0; i < got.size(); ++i) {
            EXPECT_EQ(got[i].date, expected[i].date);
            EXPECT_EQ(got[i].hour, expected[i].hour);
        }
        EXPECT_EQ(filter.clockMissing(), !c.clock || !c.clock->isValid());
    }
}

TEST(FigureFilterTest, DayEndReadingsPassOnceTheNextDayHasBegun) {
    const IntegratorFigures dayEnd{QDateTime(QDate(2026, 12, 9), QTime(23, 59, 59)),
                                   {1.0, 2.0, 3.0, 4.0}};
    const struct {
        QDateTime clock;
        bool passed;
    } cases[] = {
        {meterAt(2026, 12, 10, 0, 0), true},
        {meterAt(2026, 12, 9, 23, 59, 59), false},
        {QDateTime(), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.clock.toString(Qt::ISODate).toStdString());
        test::RecordingFigureSink sink;
        FigureFilter filter(sink);
        filter.beginConnection();
        filter.meterClock(c.clock);
        filter.integrators(dayEnd);
        ASSERT_EQ(sink.integratorCalls.size(), c.passed ? 1u : 0u);
        if (c.passed) {
            EXPECT_EQ(sink.integratorCalls[0].volumes, dayEnd.volumes);
        }
    }
}

// The passwords never pass; current values pass whatever the clock.
TEST(FigureFilterTest, PasswordsAreLeftOutAndCurrentValuesPass) {
    test::RecordingFigureSink sink;
    FigureFilter filter(sink);
    filter.beginConnection();
    const QDateTime readAt(QDate(2026, 12, 10), QTime(2, 3, 0));
    filter.parameters(readAt, {{0, QStringLiteral("Серийный номер"), 1234},
                               {1, QStringLiteral("Пароль на изм."), 4321},
                               {2, QStringLiteral("Пароль на обнул."), 5678},
                               {3, QStringLiteral("Отчетный день"), 25}});
    ASSERT_EQ(sink.parameterCalls.size(), 1u);
    const std::vector<ParameterFigure>& rows = sink.parameterCalls[0].rows;
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].slot, 0);
    EXPECT_EQ(rows[0].value, 1234);
    EXPECT_EQ(rows[1].slot, 3);
    EXPECT_EQ(rows[1].value, 25);

    CurrentFigures current;
    current.flows = {0.16, 0, 0, 0};
    filter.currentValues(current);
    ASSERT_EQ(sink.current.size(), 1u);
    EXPECT_EQ(sink.current[0].flows, current.flows);
    EXPECT_FALSE(filter.clockMissing());
}

} // namespace
