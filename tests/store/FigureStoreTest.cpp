#include "DatabaseProbe.h"
#include "support/QStringPrinter.h"

#include "store/FigureSchema.h"
#include "store/FigureStore.h"

#include <QTemporaryDir>
#include <QTimeZone>
#include <gtest/gtest.h>

using namespace rt570;
using rt570::test::DatabaseProbe;

namespace {

const QDate kDay(2026, 12, 8);

ArchiveRow row(QDate date, int hour, double flow) {
    return ArchiveRow{date, hour, {flow, flow + 1, flow + 2, flow + 3}, {1.0, 1.0, 0.5, 0.0}, 1.0};
}

// What a report of `table` hands over for the period of `date`: 24 hours, a month of days, one
// month, one day's end; the columns named in `lacking` (as "flow2 hours3") missing in each row.
void readPeriod(FigureStore& store, const QString& table, QDate date, double value,
                const QString& lacking = QString()) {
    std::vector<ArchiveRow> rows;
    if (table == QLatin1String("hourly"))
        for (int h = 0; h < 24; ++h)
            rows.push_back(row(date, h, value));
    if (table == QLatin1String("daily"))
        for (int d = 1; d <= date.daysInMonth(); ++d)
            rows.push_back(row(QDate(date.year(), date.month(), d), -1, value));
    if (table == QLatin1String("monthly"))
        rows.push_back(row(date, -1, value));
    IntegratorFigures day{QDateTime(date, QTime(23, 59, 59)),
                          {value, value, value, value},
                          {value, value, value, value}};
    for (const QString& column : lacking.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const size_t n = size_t(column.back().digitValue() - 1);
        const bool hours = column.startsWith(QLatin1String("hours"));
        (hours ? day.hours : day.volumes)[n].reset();
        for (ArchiveRow& r : rows)
            (hours ? r.hours : r.channels)[n].reset();
    }
    const ArchiveKind kind = table == QLatin1String("hourly")  ? ArchiveKind::Hourly
                             : table == QLatin1String("daily") ? ArchiveKind::Daily
                                                               : ArchiveKind::Monthly;
    if (table == QLatin1String("integrators"))
        store.integrators(day);
    else
        store.archiveRows(kind, rows);
}

RunInfo cableRun() {
    return RunInfo{QString(),
                   QString(),
                   QStringLiteral("/dev/ttyUSB0"),
                   QDateTime(QDate(2026, 12, 9), QTime(2, 0, 5), QTimeZone(3 * 3600)),
                   QString(),
                   QString()};
}

TEST(FigureStoreTest, ReadingAPeriodAgainReplacesItsRows) {
    struct Case {
        const char* table;
        quint32 secondSerial;
        QDate secondDate; // the first reading is of kDay by meter 1001
        int rows;
        // The second reading's row as it reads back; its last field is its run, the second.
        const char* where;
        const char* expected;
        // Columns each reading lacks: a missing figure keeps the stored one.
        const char* firstLacks = "";
        const char* secondLacks = "";
    };
    const Case cases[] = {
        {"hourly", 1001, kDay, 24, "hour = 5",
         "1001|2026-12-08|5|7.25|8.25|9.25|10.25|1|1|0.5|0|1|2"},
        {"hourly", 1001, kDay.addDays(1), 48, "date = '2026-12-09' AND hour = 23",
         "1001|2026-12-09|23|7.25|8.25|9.25|10.25|1|1|0.5|0|1|2"},
        {"hourly", 2002, kDay, 48, "serial = 2002 AND hour = 0",
         "2002|2026-12-08|0|7.25|8.25|9.25|10.25|1|1|0.5|0|1|2"},
        {"daily", 1001, kDay, 31, "date = '2026-12-31'",
         "1001|2026-12-31|7.25|8.25|9.25|10.25|1|1|0.5|0|1|2"},
        {"monthly", 1001, kDay, 1, "month = '2026-12'",
         "1001|2026-12|7.25|8.25|9.25|10.25|1|1|0.5|0|1|2|0"},
        {"integrators", 1001, kDay, 1, "serial = 1001",
         "1001|2026-12-08T23:59:59|7.25|7.25|7.25|7.25|2|7.25|7.25|7.25|7.25"},
        {"hourly", 1001, kDay, 24, "hour = 5",
         "1001|2026-12-08|5|7.25|2.5|9.25|10.25|1|1|0.5|0|1|2", "", "flow2"},
        {"daily", 1001, kDay, 31, "date = '2026-12-01'",
         "1001|2026-12-01|7.25|8.25|NULL|10.25|1|1|0.5|0|1|2", "flow1 flow3", "flow3"},
        {"monthly", 1001, kDay, 1, "month = '2026-12'",
         "1001|2026-12|7.25|8.25|9.25|4.5|1|1|0.5|0|1|2|0", "", "volume4"},
        {"integrators", 1001, kDay, 1, "serial = 1001",
         "1001|2026-12-08T23:59:59|1.5|7.25|7.25|7.25|2|7.25|7.25|1.5|7.25", "", "volume1 hours3"},
    };
    for (const Case& c : cases) {
        const QString table = QLatin1String(c.table);
        SCOPED_TRACE(c.where + std::string(" lacking ") + c.secondLacks);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("figures.db"));
        // Each reading in a program run of its own, the second on the file the first left.
        for (const auto& [serial, date, value, lacks] :
             {std::tuple{quint32(1001), kDay, 1.5, c.firstLacks},
              std::tuple{c.secondSerial, c.secondDate, 7.25, c.secondLacks}}) {
            FigureStore store(path);
            store.beginConnection(cableRun());
            store.reportSetOpened(serial, QStringLiteral("arc/1001D0912260200"));
            readPeriod(store, table, date, value, QLatin1String(lacks));
            store.endConnection(RunResult::Ok, serial, 10, 0, 0);
            ASSERT_FALSE(store.failed()) << store.errorText().toStdString();
        }
        DatabaseProbe probe(path);
        EXPECT_EQ(probe.rows(QStringLiteral("SELECT count(*) FROM ") + table),
                  QStringList{QString::number(c.rows)});
        EXPECT_EQ(
            probe.rows(
                QStringLiteral("SELECT * FROM %1 WHERE %2").arg(table, QLatin1String(c.where))),
            QStringList{QLatin1String(c.expected)});
    }
}

TEST(FigureStoreTest, AConnectionIsWrittenWholeOrNotAtAll) {
    // Steps: b begin, h a day's hours, d a day, i integrators, p parameters, e end; the store
    // is destroyed after the last step.
    struct Case {
        const char* steps;
        const char* counts; // rows of runs, hourly, daily, integrators, parameters
    };
    const Case cases[] = {
        {"b h i p e", "1 24 0 1 1"},
        {"b h i p", "0 0 0 0 0"},
        {"b h b d e", "1 0 31 0 0"},
        {"b d e b h p", "1 0 31 0 0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.steps);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("figures.db"));
        {
            FigureStore store(path);
            for (const QString& step : QString::fromLatin1(c.steps).split(QLatin1Char(' '))) {
                if (step == QLatin1String("b"))
                    store.beginConnection(cableRun());
                else if (step == QLatin1String("e"))
                    store.endConnection(RunResult::Ok, 1001, 1, 0, 0);
                else if (step == QLatin1String("p"))
                    store.parameters(QDateTime(kDay, QTime(1, 0)), {{3, QStringLiteral("x"), 25}});
                else
                    readPeriod(store,
                               step == QLatin1String("h")   ? QStringLiteral("hourly")
                               : step == QLatin1String("d") ? QStringLiteral("daily")
                                                            : QStringLiteral("integrators"),
                               kDay, 1);
            }
            EXPECT_FALSE(store.failed()) << store.errorText().toStdString();
        }
        DatabaseProbe probe(path);
        EXPECT_EQ(probe.rows(QStringLiteral(
                      "SELECT (SELECT count(*) FROM runs) || ' ' || (SELECT count(*) FROM hourly) "
                      "|| ' ' || (SELECT count(*) FROM daily) || ' ' || "
                      "(SELECT count(*) FROM integrators) || ' ' || "
                      "(SELECT count(*) FROM parameters)")),
                  QStringList{QLatin1String(c.counts)});
    }
}

TEST(FigureStoreTest, EveryFigureLandsWithItsRunAndMissingOnesAreNull) {
    // The PC's clock in a zone three hours ahead of UTC.
    const QByteArray zone = qgetenv("TZ");
    qputenv("TZ", "MSK-3");
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("figures.db"));
    {
        FigureStore store(path);
        store.beginConnection(RunInfo{
            QStringLiteral("Котельная №3"), QStringLiteral("+7 916 123-45-67"),
            QStringLiteral("/dev/ttyS0"), QDateTime(QDate(2026, 12, 9), QTime(2, 0, 5)),
            QStringLiteral("hourly yesterday monthly 2026-11-30"), QStringLiteral("1.4.2")});
        // No opening read named the meter, and the clock read failed.
        store.currentValues(CurrentFigures{QDateTime(QDate(2026, 12, 9), QTime(2, 1, 0)),
                                           {1.5, 0, 0, 0},
                                           {1234.567, 0, 0, 0},
                                           {10.25, 0, 0, 0},
                                           99.5,
                                           QDateTime()});
        ArchiveRow gaps = row(kDay, 3, 2);
        gaps.channels[1].reset();
        gaps.hours[3].reset();
        gaps.mains.reset();
        store.archiveRows(ArchiveKind::Hourly, {gaps});
        ArchiveRow month = row(QDate(2026, 11, 1), -1, 3);
        month.reportingDay = 25;
        store.archiveRows(ArchiveKind::Monthly, {month});
        store.integrators({QDateTime(kDay, QTime(23, 59, 59)),
                           {std::nullopt, 5.0, 5.0, 5.0},
                           {18.95, std::nullopt, 16.5, 0.0}});
        store.parameters(QDateTime(QDate(2026, 12, 9), QTime(2, 3, 0)),
                         {{10, QStringLiteral("G макс., м3/час"), 12.5}});
        store.endConnection(RunResult::NoCarrier, std::nullopt, 150, 3, 2,
                            QDateTime(QDate(2026, 12, 9), QTime(2, 4, 30)));
        EXPECT_FALSE(store.failed()) << store.errorText().toStdString();
    }
    if (zone.isNull())
        qunsetenv("TZ");
    else
        qputenv("TZ", zone);
    DatabaseProbe probe(path);
    EXPECT_EQ(probe.rows(QStringLiteral("PRAGMA user_version")), QStringList{"3"});
    EXPECT_EQ(probe.rows(QStringLiteral("PRAGMA journal_mode")), QStringList{"wal"});
    EXPECT_EQ(probe.rows(QStringLiteral("SELECT * FROM runs")),
              QStringList{QStringLiteral("1|Котельная №3|+7 916 123-45-67|/dev/ttyS0|"
                                         "2026-12-09T02:00:05+03:00|no carrier|NULL|150|3|2|"
                                         "2026-12-09T02:04:30+03:00|"
                                         "hourly yesterday monthly 2026-11-30|1.4.2")});
    EXPECT_EQ(
        probe.rows(QStringLiteral("SELECT * FROM current_values")),
        QStringList{QStringLiteral(
            "NULL|2026-12-09T02:01:00+03:00|1.5|0|0|0|1234.567|0|0|0|10.25|0|0|0|99.5|NULL|1")});
    EXPECT_EQ(probe.rows(QStringLiteral("SELECT * FROM hourly")),
              QStringList{QStringLiteral("NULL|2026-12-08|3|2|NULL|4|5|1|1|0.5|NULL|NULL|1")});
    EXPECT_EQ(probe.rows(QStringLiteral("SELECT * FROM monthly")),
              QStringList{QStringLiteral("NULL|2026-11|3|4|5|6|1|1|0.5|0|1|1|25")});
    EXPECT_EQ(
        probe.rows(QStringLiteral("SELECT * FROM integrators")),
        QStringList{QStringLiteral("NULL|2026-12-08T23:59:59|NULL|5|5|5|1|18.95|NULL|16.5|0")});
    EXPECT_EQ(
        probe.rows(QStringLiteral("SELECT * FROM parameters")),
        QStringList{QStringLiteral("NULL|2026-12-09T02:03:00+03:00|10|G макс., м3/час|12.5|1")});
}

TEST(FigureStoreTest, AVersionOneFileIsUpgradedWithItsRowsIntact) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("figures.db"));
    {
        // The file as the first version of the program left it.
        DatabaseProbe old(path);
        for (const QString& statement : figureSchemaSteps().front())
            old.exec(statement);
        old.exec(QStringLiteral("INSERT INTO runs VALUES (1, 'A', 'ATD1', '/dev/ttyS0', "
                                "'2026-11-02T02:00:00+03:00', 'ok', 1001, 8, 0, 0)"));
        old.exec(QStringLiteral("INSERT INTO monthly VALUES (1001, '2026-10', 10.5, 20, 30, 40, "
                                "700, 700, 700, 700, 720, 1)"));
        old.exec(QStringLiteral("INSERT INTO integrators VALUES (1001, '2026-11-01T23:59:59', "
                                "5, 6, 7, 8, 1)"));
        old.exec(QStringLiteral("PRAGMA user_version = 1"));
    }
    {
        // The month read again, its first volume lost on the line.
        FigureStore store(path);
        store.beginConnection(cableRun());
        store.reportSetOpened(1001, QStringLiteral("arc/1001D0912260200"));
        ArchiveRow month = row(QDate(2026, 10, 1), -1, 11);
        month.channels[0].reset();
        month.reportingDay = 25;
        store.archiveRows(ArchiveKind::Monthly, {month});
        store.endConnection(RunResult::Ok, 1001, 10, 0, 0);
        EXPECT_FALSE(store.failed()) << store.errorText().toStdString();
    }
    DatabaseProbe probe(path);
    EXPECT_EQ(probe.rows(QStringLiteral("PRAGMA user_version")), QStringList{"3"});
    EXPECT_EQ(probe.rows(QStringLiteral("SELECT * FROM runs")),
              (QStringList{QStringLiteral("1|A|ATD1|/dev/ttyS0|2026-11-02T02:00:00+03:00|ok|1001|"
                                          "8|0|0|NULL|NULL|NULL"),
                           QStringLiteral("2|||/dev/ttyUSB0|2026-12-09T02:00:05+03:00|ok|1001|10|"
                                          "0|0|NULL||")}));
    EXPECT_EQ(probe.rows(QStringLiteral("SELECT * FROM monthly")),
              QStringList{QStringLiteral("1001|2026-10|10.5|12|13|14|1|1|0.5|0|1|2|25")});
    EXPECT_EQ(
        probe.rows(QStringLiteral("SELECT * FROM integrators")),
        QStringList{QStringLiteral("1001|2026-11-01T23:59:59|5|6|7|8|1|NULL|NULL|NULL|NULL")});
}

} // namespace
