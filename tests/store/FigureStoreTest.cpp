#include "DatabaseProbe.h"
#include "support/QStringPrinter.h"

#include "store/FigureStore.h"

#include <QTemporaryDir>
#include <QTimeZone>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

using namespace rt570;
using rt570::test::DatabaseProbe;

namespace {

const QDate kDay(2026, 12, 8);

ArchiveRow row(QDate date, int hour, double flow) {
    ArchiveRow r;
    r.date = date;
    r.hour = hour;
    r.channels = {flow, flow + 1, flow + 2, flow + 3};
    r.hours = {1.0, 1.0, 0.5, 0.0};
    r.mains = 1.0;
    return r;
}

std::vector<ArchiveRow> dayOfHours(QDate date, double flow) {
    std::vector<ArchiveRow> rows;
    for (int h = 0; h < 24; ++h)
        rows.push_back(row(date, h, flow));
    return rows;
}

std::vector<ArchiveRow> monthOfDays(int year, int month, double flow) {
    std::vector<ArchiveRow> rows;
    for (int d = 1; d <= QDate(year, month, 1).daysInMonth(); ++d)
        rows.push_back(row(QDate(year, month, d), -1, flow));
    return rows;
}

IntegratorFigures integratorsAt(QDate date, double volume) {
    return IntegratorFigures{QDateTime(date, QTime(23, 59, 59)), {volume, volume, volume, volume}};
}

RunInfo plainRun() {
    return RunInfo{QString(), QString(), QStringLiteral("/dev/ttyUSB0"),
                   QDateTime(QDate(2026, 12, 9), QTime(2, 0, 5), QTimeZone(3 * 3600))};
}

// One connection: the opening read named meter `serial`, then `read` handed over the figures.
void connection(FigureStore& store, quint32 serial, const std::function<void(FigureStore&)>& read) {
    store.beginConnection(plainRun());
    store.reportSetOpened(serial, QStringLiteral("arc/1001D0912260200"));
    read(store);
    store.endConnection(RunResult::Ok, serial, 10, 0, 0);
}

class FigureStoreTest : public ::testing::Test {
protected:
    QTemporaryDir m_dir;
    QString m_path = m_dir.filePath(QStringLiteral("figures.db"));
};

TEST_F(FigureStoreTest, ReadingAPeriodAgainReplacesItsRows) {
    using Read = std::function<void(FigureStore&)>;
    struct Case {
        const char* name;
        Read first;
        quint32 secondSerial;
        Read second;
        const char* table;
        int rows;
        // The row the second reading wrote, as it must read back after both; its last field is
        // the run that wrote it, the second.
        const char* where;
        const char* expected;
    };
    const QDate otherDay(2026, 12, 9);
    const Case cases[] = {
        {"the same day's hours twice",
         [](FigureStore& s) { s.archiveRows(ArchiveKind::Hourly, dayOfHours(kDay, 1.5)); }, 1001,
         [](FigureStore& s) { s.archiveRows(ArchiveKind::Hourly, dayOfHours(kDay, 7.25)); },
         "hourly", 24, "hour = 5", "1001|2026-12-08|5|7.25|8.25|9.25|10.25|1|1|0.5|0|1|2"},
        {"two days' hours",
         [](FigureStore& s) { s.archiveRows(ArchiveKind::Hourly, dayOfHours(kDay, 1.5)); }, 1001,
         [otherDay](FigureStore& s) {
             s.archiveRows(ArchiveKind::Hourly, dayOfHours(otherDay, 7.25));
         },
         "hourly", 48, "date = '2026-12-09' AND hour = 23",
         "1001|2026-12-09|23|7.25|8.25|9.25|10.25|1|1|0.5|0|1|2"},
        {"the same day's hours of two meters",
         [](FigureStore& s) { s.archiveRows(ArchiveKind::Hourly, dayOfHours(kDay, 1.5)); }, 2002,
         [](FigureStore& s) { s.archiveRows(ArchiveKind::Hourly, dayOfHours(kDay, 7.25)); },
         "hourly", 48, "serial = 2002 AND hour = 0",
         "2002|2026-12-08|0|7.25|8.25|9.25|10.25|1|1|0.5|0|1|2"},
        {"a month's days twice",
         [](FigureStore& s) { s.archiveRows(ArchiveKind::Daily, monthOfDays(2026, 12, 1.5)); },
         1001, [](FigureStore& s) { s.archiveRows(ArchiveKind::Daily, monthOfDays(2026, 12, 3)); },
         "daily", 31, "date = '2026-12-31'", "1001|2026-12-31|3|4|5|6|1|1|0.5|0|1|2"},
        {"a month twice",
         [](FigureStore& s) {
             s.archiveRows(ArchiveKind::Monthly, {row(QDate(2026, 11, 1), -1, 100)});
         },
         1001,
         [](FigureStore& s) {
             s.archiveRows(ArchiveKind::Monthly, {row(QDate(2026, 11, 1), -1, 250.5)});
         },
         "monthly", 1, "month = '2026-11'", "1001|2026-11|250.5|251.5|252.5|253.5|1|1|0.5|0|1|2"},
        {"the end of a day's integrators twice",
         [](FigureStore& s) { s.integrators(integratorsAt(kDay, 10)); }, 1001,
         [](FigureStore& s) { s.integrators(integratorsAt(kDay, 1234.567)); }, "integrators", 1,
         "serial = 1001", "1001|2026-12-08T23:59:59|1234.567|1234.567|1234.567|1234.567|2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("figures.db"));
        // The second reading comes from another program run, on the file the first one left.
        {
            FigureStore store(path);
            connection(store, 1001, c.first);
            ASSERT_FALSE(store.failed()) << store.errorText().toStdString();
        }
        {
            FigureStore store(path);
            connection(store, c.secondSerial, c.second);
            ASSERT_FALSE(store.failed()) << store.errorText().toStdString();
        }
        DatabaseProbe probe(path);
        EXPECT_EQ(probe.count(QLatin1String(c.table)), c.rows);
        EXPECT_EQ(probe.rows(QStringLiteral("SELECT * FROM %1 WHERE %2")
                                 .arg(QLatin1String(c.table), QLatin1String(c.where))),
                  QStringList{QLatin1String(c.expected)});
    }
}

TEST_F(FigureStoreTest, MissingFiguresAndUnknownTimesAreNull) {
    {
        FigureStore store(m_path);
        store.beginConnection(plainRun());
        // No opening read named the meter: its serial is unknown.
        CurrentFigures current;
        current.readAt = QDateTime(QDate(2026, 12, 9), QTime(2, 1, 0), QTimeZone(3 * 3600));
        current.flows = {1.5, 0, 0, 0};
        current.volumes = {1234.567, 0, 0, 0};
        current.hours = {10.25, 0, 0, 0};
        current.mains = 99.5;
        store.currentValues(current); // the clock read failed: no meter clock
        ArchiveRow gaps = row(kDay, 3, 2);
        gaps.channels[1].reset();
        gaps.hours[3].reset();
        gaps.mains.reset();
        store.archiveRows(ArchiveKind::Hourly, {gaps});
        IntegratorFigures partial = integratorsAt(kDay, 5);
        partial.volumes[0].reset();
        store.integrators(partial);
        store.endConnection(RunResult::LinkFailed, std::nullopt, 40, 9, 9);
        ASSERT_FALSE(store.failed()) << store.errorText().toStdString();
    }
    DatabaseProbe probe(m_path);
    EXPECT_EQ(
        probe.rows(QStringLiteral("SELECT * FROM current_values")),
        QStringList{QStringLiteral(
            "NULL|2026-12-09T02:01:00+03:00|1.5|0|0|0|1234.567|0|0|0|10.25|0|0|0|99.5|NULL|1")});
    EXPECT_EQ(probe.rows(QStringLiteral("SELECT * FROM hourly")),
              QStringList{QStringLiteral("NULL|2026-12-08|3|2|NULL|4|5|1|1|0.5|NULL|NULL|1")});
    EXPECT_EQ(probe.rows(QStringLiteral("SELECT * FROM integrators")),
              QStringList{QStringLiteral("NULL|2026-12-08T23:59:59|NULL|5|5|5|1")});
    EXPECT_EQ(probe.rows(QStringLiteral("SELECT * FROM runs")),
              QStringList{QStringLiteral(
                  "1|||/dev/ttyUSB0|2026-12-09T02:00:05+03:00|link failed|NULL|40|9|9")});
}

TEST_F(FigureStoreTest, AConnectionIsWrittenWholeOrNotAtAll) {
    struct Case {
        const char* name;
        std::function<void(FigureStore&)> use;
        const char* counts; // runs, hourly, daily, integrators, parameters
    };
    const std::vector<ParameterFigure> parameters{{3, QStringLiteral("Отчетный день"), 25}};
    const Case cases[] = {
        {"ended",
         [&](FigureStore& s) {
             s.beginConnection(plainRun());
             s.archiveRows(ArchiveKind::Hourly, dayOfHours(kDay, 1));
             s.integrators(integratorsAt(kDay, 1));
             s.parameters(QDateTime(kDay, QTime(1, 0)), parameters);
             s.endConnection(RunResult::Ok, 1001, 1, 0, 0);
         },
         "1 24 0 1 1"},
        {"never ended, the store destroyed",
         [&](FigureStore& s) {
             s.beginConnection(plainRun());
             s.archiveRows(ArchiveKind::Hourly, dayOfHours(kDay, 1));
             s.integrators(integratorsAt(kDay, 1));
             s.parameters(QDateTime(kDay, QTime(1, 0)), parameters);
         },
         "0 0 0 0 0"},
        {"begun again before it ended",
         [&](FigureStore& s) {
             s.beginConnection(plainRun());
             s.archiveRows(ArchiveKind::Hourly, dayOfHours(kDay, 1));
             s.beginConnection(plainRun());
             s.archiveRows(ArchiveKind::Daily, {row(kDay, -1, 1)});
             s.endConnection(RunResult::Ok, 1001, 1, 0, 0);
         },
         "1 0 1 0 0"},
        {"a finished connection, then one never ended",
         [&](FigureStore& s) {
             s.beginConnection(plainRun());
             s.archiveRows(ArchiveKind::Daily, {row(kDay, -1, 1)});
             s.endConnection(RunResult::Ok, 1001, 1, 0, 0);
             s.beginConnection(plainRun());
             s.archiveRows(ArchiveKind::Hourly, dayOfHours(kDay, 1));
             s.parameters(QDateTime(kDay, QTime(1, 0)), parameters);
         },
         "1 0 1 0 0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("figures.db"));
        {
            FigureStore store(path);
            c.use(store);
            EXPECT_FALSE(store.failed()) << store.errorText().toStdString();
        }
        DatabaseProbe probe(path);
        QStringList counts;
        for (const char* table : {"runs", "hourly", "daily", "integrators", "parameters"})
            counts << QString::number(probe.count(QLatin1String(table)));
        EXPECT_EQ(counts.join(QLatin1Char(' ')), QLatin1String(c.counts));
    }
}

TEST_F(FigureStoreTest, RunRowAndFiguresNameTheMeterAndTheConnection) {
    // The PC's clock in a zone three hours ahead of UTC, as the run's start and read times are.
    const QByteArray zone = qgetenv("TZ");
    qputenv("TZ", "MSK-3");
    {
        FigureStore store(m_path);
        store.beginConnection(
            RunInfo{QStringLiteral("Котельная №3"), QStringLiteral("+7 916 123-45-67"),
                    QStringLiteral("/dev/ttyS0"), QDateTime(QDate(2026, 12, 9), QTime(2, 0, 5))});
        store.reportSetOpened(4711, QStringLiteral("/srv/arc/4711D0912260200"));
        CurrentFigures current;
        current.readAt = QDateTime(QDate(2026, 12, 9), QTime(2, 0, 40));
        current.meterClock = QDateTime(QDate(2026, 12, 9), QTime(1, 58, 7));
        store.currentValues(current);
        store.parameters(QDateTime(QDate(2026, 12, 9), QTime(2, 3, 0)),
                         {{0, QStringLiteral("Серийный номер"), 4711},
                          {10, QStringLiteral("G макс., м3/час"), 12.5}});
        store.endConnection(RunResult::NoCarrier, 4711, 150, 3, 2);
        EXPECT_FALSE(store.failed()) << store.errorText().toStdString();
    }
    if (zone.isNull())
        qunsetenv("TZ");
    else
        qputenv("TZ", zone);
    DatabaseProbe probe(m_path);
    EXPECT_EQ(probe.rows(QStringLiteral("SELECT * FROM runs")),
              QStringList{QStringLiteral("1|Котельная №3|+7 916 123-45-67|/dev/ttyS0|"
                                         "2026-12-09T02:00:05+03:00|no carrier|4711|150|3|2")});
    EXPECT_EQ(probe.rows(QStringLiteral("SELECT serial, read_at, meter_clock, run "
                                        "FROM current_values")),
              QStringList{QStringLiteral("4711|2026-12-09T02:00:40+03:00|2026-12-09T01:58:07|1")});
    EXPECT_EQ(
        probe.rows(QStringLiteral("SELECT * FROM parameters ORDER BY slot")),
        (QStringList{QStringLiteral("4711|2026-12-09T02:03:00+03:00|0|Серийный номер|4711|1"),
                     QStringLiteral("4711|2026-12-09T02:03:00+03:00|10|G макс., м3/час|12.5|1")}));
}

} // namespace
