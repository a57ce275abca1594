#include "SmallStore.h"
#include "support/QStringPrinter.h"

#include "../store/DatabaseProbe.h"
#include "figures/FigureDatabase.h"
#include "figures/MeterList.h"
#include "figures/NightGrid.h"
#include "figures/PeriodFigures.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace rt570;
using rt570::test::DatabaseProbe;

namespace {

QDateTime at(const char* text) {
    return QDateTime::fromString(QLatin1String(text), Qt::ISODate);
}

class StoreReadingTest : public ::testing::Test {
protected:
    void SetUp() override {
        path = dir.filePath(QStringLiteral("small.db"));
        test::makeSmallStore(path);
    }
    QTemporaryDir dir;
    QString path;
};

TEST_F(StoreReadingTest, EveryMeterWithItsNodesLatestRun) {
    FigureDatabase database(path);
    ASSERT_FALSE(database.failed()) << database.errorText().toStdString();
    std::vector<MeterRow> meters;
    QString error;
    ASSERT_TRUE(readMeters(database.database(), meters, error)) << error.toStdString();
    QStringList shown;
    const QDateTime now = at("2026-11-30T14:00:00+03:00");
    for (const MeterRow& m : meters)
        shown << QStringLiteral("%1|%2|%3|%4|%5|%6|%7|%8")
                     .arg(m.serial)
                     .arg(m.node, m.phone, m.lastRun.toString(Qt::ISODate), m.lastResult,
                          m.lastGoodRun.toString(Qt::ISODate),
                          m.lastHourlyDay.toString(Qt::ISODate),
                          isOverdue(m, now) ? QStringLiteral("overdue") : QStringLiteral("-"));
    // Школа's latest run named no meter (no carrier): it is still the meter's latest.
    EXPECT_EQ(shown,
              (QStringList{"20001|Котельная №3|ATD101|2026-11-30T12:00:00+03:00|no answer|"
                           "2026-11-30T01:30:00+03:00|2026-11-29|-",
                           "20002|Школа|ATD109|2026-11-30T01:32:00+03:00|no carrier|"
                           "2026-11-28T01:32:00+03:00|2026-11-29|overdue",
                           "20003|||2026-11-30T13:00:00+03:00|ok|2026-11-30T13:00:00+03:00||-"}));

    struct Filter {
        const char* text;
        const char* serials;
    };
    const Filter filters[] = {{"", "20001 20002 20003"}, {"школ", "20002"},
                              {"atd10", "20001 20002"},  {"20003", "20003"},
                              {" №3 ", "20001"},         {"нет", ""}};
    for (const Filter& f : filters) {
        QStringList serials;
        for (const MeterRow& m : meters) {
            if (meterMatches(m, QString::fromUtf8(f.text)))
                serials << QString::number(m.serial);
        }
        EXPECT_EQ(serials.join(QLatin1Char(' ')), QLatin1String(f.serials)) << f.text;
    }
}

TEST(MeterListTest, AMeterIsOverdueAfterTwoDaysWithoutAGoodRun) {
    const QDateTime now = at("2026-12-10T12:00:00+03:00");
    struct Case {
        const char* lastGood;
        bool overdue;
    };
    const Case cases[] = {{"", true},
                          {"2026-12-08T12:00:00+03:00", false},
                          {"2026-12-08T11:59:59+03:00", true},
                          // Another offset: the same moment as 12:00 at +03:00.
                          {"2026-12-08T10:00:00+01:00", false},
                          {"2026-12-08T09:59:59+01:00", true}};
    for (const Case& c : cases) {
        MeterRow meter;
        meter.lastGoodRun = at(c.lastGood);
        EXPECT_EQ(isOverdue(meter, now), c.overdue) << c.lastGood;
    }
}

TEST_F(StoreReadingTest, EachNightHoldsTheNodesLastRunOfThatNight) {
    FigureDatabase database(path);
    struct Case {
        QDate month;
        const char* rows; // node: day=run ...
    };
    const Case cases[] = {
        {QDate(2026, 11, 17), "Котельная №3: 1=1 28=2 29=4 30=7; Школа: 28=3 29=6 30=8"},
        {QDate(2026, 12, 1), "Котельная №3: 1=9"},
        {QDate(2026, 10, 1), ""},
    };
    for (const Case& c : cases) {
        NightGrid grid;
        QString error;
        ASSERT_TRUE(readNights(database.database(), c.month, grid, error)) << error.toStdString();
        QStringList rows;
        for (int n = 0; n < int(grid.nodes.size()); ++n) {
            ASSERT_EQ(int(grid.cells[size_t(n)].size()), grid.month.daysInMonth());
            QString row = grid.nodes[n] + QLatin1Char(':');
            for (int day = 0; day < grid.month.daysInMonth(); ++day) {
                if (grid.cells[size_t(n)][size_t(day)].run != 0)
                    row += QStringLiteral(" %1=%2").arg(day + 1).arg(
                        grid.cells[size_t(n)][size_t(day)].run);
            }
            rows << row;
        }
        EXPECT_EQ(rows.join(QStringLiteral("; ")), QString::fromUtf8(c.rows))
            << c.month.toString(Qt::ISODate).toStdString();
    }
    NightGrid november;
    QString error;
    ASSERT_TRUE(readNights(database.database(), QDate(2026, 11, 1), november, error));
    EXPECT_EQ(november.cells[1][28].result, QStringLiteral("busy"));

    const auto run = readRun(database.database(), 8, error);
    EXPECT_TRUE(run.contains({QStringLiteral("result"), QStringLiteral("no carrier")}));
    EXPECT_TRUE(run.contains({QStringLiteral("phone"), QStringLiteral("ATD109")}));
    EXPECT_TRUE(run.contains({QStringLiteral("serial"), QStringLiteral("NULL")}));
    EXPECT_TRUE(readRun(database.database(), 99, error).isEmpty());
    EXPECT_TRUE(error.contains(QLatin1String("99")));
}

TEST(NightGridTest, ANightRunsFromNoonToNoon) {
    const QDate day(2026, 11, 30);
    EXPECT_EQ(nightOf(day, 0), day);
    EXPECT_EQ(nightOf(day, 11), day);
    EXPECT_EQ(nightOf(day, 12), QDate(2026, 12, 1));
    EXPECT_EQ(nightOf(QDate(2026, 12, 31), 23), QDate(2027, 1, 1));
}

// Every reader's statement finds its rows through an index: none reads a whole table.
TEST_F(StoreReadingTest, NoReaderScansAWholeTable) {
    FigureDatabase database(path);
    const QStringList statements = meterListStatements() + periodStatements() + nightStatements();
    const QRegularExpression tableScan(
        QStringLiteral("^SCAN (runs|hourly|daily|monthly|parameters)( AS \\w+)?$"));
    for (const QString& statement : statements) {
        QSqlQuery query(database.database());
        ASSERT_TRUE(query.prepare(QStringLiteral("EXPLAIN QUERY PLAN ") + statement));
        for (int i = 0; i < statement.count(QLatin1Char('?')); ++i)
            query.addBindValue(1);
        ASSERT_TRUE(query.exec()) << query.lastError().text().toStdString();
        QStringList plan;
        while (query.next())
            plan << query.value(3).toString();
        for (const QString& step : plan)
            EXPECT_FALSE(tableScan.match(step).hasMatch())
                << statement.toStdString() << "\n"
                << plan.join(QLatin1Char('\n')).toStdString();
    }
}

TEST_F(StoreReadingTest, OnlyAFigureStoreOpensAndReadingNeverBlocksAWriter) {
    struct Case {
        const char* name;
        const char* content; // null: the small store; "-": no file
        int version;         // set when above 0
        const char* errorPart;
    };
    const Case cases[] = {
        {"the small store", nullptr, 0, ""},
        {"no file", "-", 0, "Нет файла"},
        {"a text file", "collect log\n", 0, "не читается"},
        {"an empty database", "", 0, "не хранилище"},
        {"a newer store", nullptr, 99, "более новой версии (99)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QString file = path;
        if (c.content) {
            file = dir.filePath(QStringLiteral("other.db"));
            QFile::remove(file);
            if (*c.content) {
                QFile text(file);
                ASSERT_TRUE(text.open(QIODevice::WriteOnly));
                text.write(c.content);
            } else {
                DatabaseProbe(file).exec(QStringLiteral("CREATE TABLE a (x)"));
            }
            if (QByteArray(c.content) == "-")
                QFile::remove(file);
        }
        if (c.version > 0)
            DatabaseProbe(file).exec(QStringLiteral("PRAGMA user_version = %1").arg(c.version));
        FigureDatabase database(file);
        if (*c.errorPart == '\0')
            EXPECT_FALSE(database.failed()) << database.errorText().toStdString();
        else
            EXPECT_TRUE(database.errorText().contains(QString::fromUtf8(c.errorPart)))
                << database.errorText().toStdString();
        if (c.version > 0)
            DatabaseProbe(file).exec(QStringLiteral("PRAGMA user_version = 3"));
    }

    // A reader in the middle of a read; a collector with no patience for locks still writes.
    FigureDatabase reader(path);
    const qint64 before = reader.changeCount();
    QSqlQuery reading(reader.database());
    ASSERT_TRUE(reading.exec(QStringLiteral("SELECT * FROM hourly")) && reading.next());
    {
        FigureStore writer(path, 0);
        writer.beginConnection({QStringLiteral("Баня"),
                                QStringLiteral("ATD5"),
                                QStringLiteral("port 3"),
                                QDateTime::currentDateTime(),
                                {},
                                {}});
        writer.endConnection(RunResult::Busy, std::nullopt, 0, 0, 0);
        EXPECT_FALSE(writer.failed()) << writer.errorText().toStdString();
    }
    reading.finish();
    EXPECT_NE(reader.changeCount(), before);
    EXPECT_EQ(DatabaseProbe(path).rows(QStringLiteral("SELECT COUNT(*) FROM runs")),
              QStringList{QStringLiteral("11")});
    // Reading refuses to write.
    QSqlQuery write(reader.database());
    EXPECT_FALSE(write.exec(QStringLiteral("DELETE FROM runs")));
}

} // namespace
