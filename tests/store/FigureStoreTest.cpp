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
// month, one day's end.
void readPeriod(FigureStore& store, const QString& table, QDate date, double value) {
    std::vector<ArchiveRow> rows;
    if (table == QLatin1String("hourly"))
        for (int h = 0; h < 24; ++h)
            rows.push_back(row(date, h, value));
    if (table == QLatin1String("daily"))
        for (int d = 1; d <= date.daysInMonth(); ++d)
            rows.push_back(row(QDate(date.year(), date.month(), d), -1, value));
    if (table == QLatin1String("monthly"))
        rows.push_back(row(date, -1, value));
    const ArchiveKind kind = table == QLatin1String("hourly")  ? ArchiveKind::Hourly
                             : table == QLatin1String("daily") ? ArchiveKind::Daily
                                                               : ArchiveKind::Monthly;
    if (table == QLatin1String("integrators"))
        store.integrators({QDateTime(date, QTime(23, 59, 59)), {value, value, value, value}});
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
         "1001|2026-12-08T23:59:59|7.25|7.25|7.25|7.25|2|NULL|NULL|NULL|NULL"},
    };
    for (const Case& c : cases) {
        const QString table = QLatin1String(c.table);
        SCOPED_TRACE(c.where);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("figures.db"));
        // Each reading in a program run of its own, the second on the file the first left.
        for (const auto& [serial, date, value] : {std::tuple{quint32(1001), kDay, 1.5},
                                                  std::tuple{c.secondSerial, c.secondDate, 7.25}}) {
            FigureStore store(path);
            store.beginConnection(cableRun());
            store.reportSetOpened(serial, QStringLiteral("arc/1001D0912260200"));
            readPeriod(store, table, date, value);
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
    EXPECT_EQ(probe.rows(QStringLiteral("PRAGMA user_version")), QStringList{"2"});
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

// The figure in one column of a period's row: its field in what a report hands over.
std::optional<double>& field(ArchiveRow& row, IntegratorFigures& integrators, const QString& table,
                             const QString& column) {
    const size_t n = size_t(column.back().digitValue() - 1);
    if (table == QLatin1String("integrators"))
        return column.startsWith(QLatin1String("hours")) ? integrators.hours[n]
                                                         : integrators.volumes[n];
    if (column == QLatin1String("mains"))
        return row.mains;
    return column.startsWith(QLatin1String("hours")) ? row.hours[n] : row.channels[n];
}

TEST(FigureStoreTest, AReReadWithoutAFigureKeepsTheStoredOne) {
    struct Case {
        const char* table;
        const char* column;
        std::optional<double> stored; // by the first connection
        std::optional<double> reRead; // by the second
        const char* expected;         // the column and the row's run afterwards
    };
    const Case cases[] = {
        {"hourly", "flow2", 1.5, std::nullopt, "1.5|2"},
        {"hourly", "flow2", 1.5, 7.25, "7.25|2"},
        {"hourly", "mains", std::nullopt, 0.75, "0.75|2"},
        {"daily", "hours3", 12.5, std::nullopt, "12.5|2"},
        {"daily", "flow4", std::nullopt, std::nullopt, "NULL|2"},
        {"monthly", "volume1", 1025.032, std::nullopt, "1025.032|2"},
        {"monthly", "hours4", 18.75, 0.0, "0|2"},
        {"integrators", "volume4", 4005014.0, std::nullopt, "4005014|2"},
        {"integrators", "hours1", std::nullopt, 18.95, "18.95|2"},
    };
    for (const Case& c : cases) {
        const QString table = QLatin1String(c.table);
        const QString column = QLatin1String(c.column);
        SCOPED_TRACE((table + QLatin1Char('.') + column).toStdString());
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("figures.db"));
        for (const std::optional<double>& value : {c.stored, c.reRead}) {
            FigureStore store(path);
            store.beginConnection(cableRun());
            store.reportSetOpened(1001, QStringLiteral("arc/1001D0912260200"));
            ArchiveRow archive = row(kDay, table == QLatin1String("hourly") ? 5 : -1, 9);
            IntegratorFigures integrators{
                QDateTime(kDay, QTime(23, 59, 59)), {9.0, 9.0, 9.0, 9.0}, {9.0, 9.0, 9.0, 9.0}};
            field(archive, integrators, table, column) = value;
            if (table == QLatin1String("integrators"))
                store.integrators(integrators);
            else
                store.archiveRows(table == QLatin1String("hourly")  ? ArchiveKind::Hourly
                                  : table == QLatin1String("daily") ? ArchiveKind::Daily
                                                                    : ArchiveKind::Monthly,
                                  {archive});
            store.endConnection(RunResult::Ok, 1001, 10, 0, 0);
            ASSERT_FALSE(store.failed()) << store.errorText().toStdString();
        }
        EXPECT_EQ(
            DatabaseProbe(path).rows(QStringLiteral("SELECT %1, run FROM %2").arg(column, table)),
            QStringList{QLatin1String(c.expected)});
    }
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
    EXPECT_EQ(probe.rows(QStringLiteral("PRAGMA user_version")), QStringList{"2"});
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
