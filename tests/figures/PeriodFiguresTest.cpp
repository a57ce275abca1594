#include "SmallStore.h"
#include "support/QStringPrinter.h"

#include "figures/FigureDatabase.h"
#include "figures/FigureTable.h"
#include "figures/PeriodFigures.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace rt570;

namespace {

QString text(const std::optional<double>& value) {
    return value ? QString::number(*value) : QStringLiteral("-");
}

// A slot as "channels | operating times | mains | mains off", "-" for a missing figure, "x"
// first when the store has no row.
QString slotText(const PeriodFigures& figures, int slot) {
    const FigureSlot& row = figures.rows[size_t(slot)];
    QStringList parts;
    for (const auto& value : row.channels)
        parts << text(value);
    for (const auto& value : row.hours)
        parts << text(value);
    parts << text(row.mains) << text(mainsOffHours(figures, slot));
    return (row.stored ? QString() : QStringLiteral("x ")) + parts.join(QLatin1Char(' '));
}

class PeriodFiguresTest : public ::testing::Test {
protected:
    void SetUp() override {
        path = dir.filePath(QStringLiteral("small.db"));
        test::makeSmallStore(path);
    }
    QTemporaryDir dir;
    QString path;
};

TEST_F(PeriodFiguresTest, EachSlotHoldsItsRowAndAMissingFigureStaysMissing) {
    struct Case {
        const char* name;
        qint64 serial;
        PeriodKind kind;
        QDate date;
        int slotTotal;
        int slot;
        const char* expected;
    };
    const QDate day(2026, 11, 29);
    const Case cases[] = {
        {"first hour", 20001, PeriodKind::Day, day, 24, 0, "0.5 0 0.25 0 1 1 1 0.5 1 0"},
        {"an hour never read", 20001, PeriodKind::Day, day, 24, 5, "x - - - - - - - - - -"},
        {"a NULL flow", 20001, PeriodKind::Day, day, 24, 7, "7.5 - 0.25 0 1 1 1 0.5 1 0"},
        {"mains off", 20001, PeriodKind::Day, day, 24, 10, "10.5 20 0.25 0 1 1 1 0.5 0.25 0.75"},
        {"last hour", 20001, PeriodKind::Day, day, 24, 23, "23.5 46 0.25 0 1 1 1 0.5 1 0"},
        {"another meter's hour", 20002, PeriodKind::Day, day, 24, 5, "105 0 0 0 1 1 1 1 1 0"},
        {"a day before", 20001, PeriodKind::Day, day.addDays(-1), 24, 0, "x - - - - - - - - - -"},
        {"first day", 20001, PeriodKind::Month, QDate(2026, 11, 17), 30, 0,
         "1 1 2 3 24 24 24 24 24 0"},
        {"a day of mains off", 20001, PeriodKind::Month, day, 30, 1, "2 1 2 3 24 24 24 24 20 4"},
        {"a NULL daily flow", 20001, PeriodKind::Month, day, 30, 2, "- 1 2 3 24 24 24 24 24 0"},
        {"a day never read", 20001, PeriodKind::Month, day, 30, 14, "x - - - - - - - - - -"},
        {"a day not yet read", 20001, PeriodKind::Month, day, 30, 29, "x - - - - - - - - - -"},
        {"January: 744 h", 20001, PeriodKind::Year, day, 12, 0, "10 1 2 3 700 700 700 700 600 144"},
        {"February: 672 h", 20001, PeriodKind::Year, day, 12, 1, "20 1 2 3 700 700 700 700 600 72"},
        {"a month never read", 20001, PeriodKind::Year, day, 12, 5, "x - - - - - - - - - -"},
        {"October", 20001, PeriodKind::Year, day, 12, 9, "100 1 2 3 700 700 700 700 600 144"},
        {"another meter's year", 20002, PeriodKind::Year, day, 12, 0, "x - - - - - - - - - -"},
    };
    FigureDatabase database(path);
    ASSERT_FALSE(database.failed()) << database.errorText().toStdString();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PeriodFigures figures;
        QString error;
        ASSERT_TRUE(readPeriod(database.database(), c.serial, periodHolding(c.kind, c.date),
                               figures, error))
            << error.toStdString();
        ASSERT_EQ(int(figures.rows.size()), c.slotTotal);
        EXPECT_EQ(slotText(figures, c.slot), QString::fromUtf8(c.expected));
    }
}

TEST_F(PeriodFiguresTest, DecimalsFollowTheLatestMaximumFlowOfEachChannel) {
    FigureDatabase database(path);
    const Period day = periodHolding(PeriodKind::Day, QDate(2026, 11, 29));
    PeriodFigures figures;
    QString error;
    ASSERT_TRUE(readPeriod(database.database(), 20001, day, figures, error));
    // Gmax 50: 3 decimals; 5 then 500: 2; none stored: 3.
    EXPECT_EQ(figures.decimals, (std::array<int, 4>{3, 2, 3, 3}));
    ASSERT_TRUE(readPeriod(database.database(), 20002, day, figures, error));
    EXPECT_EQ(figures.decimals, (std::array<int, 4>{3, 3, 3, 3}));
}

TEST_F(PeriodFiguresTest, TheTableAndItsFilesHoldEverySlot) {
    FigureDatabase database(path);
    PeriodFigures day;
    PeriodFigures year;
    QString error;
    ASSERT_TRUE(readPeriod(database.database(), 20001,
                           periodHolding(PeriodKind::Day, QDate(2026, 11, 29)), day, error));
    ASSERT_TRUE(readPeriod(database.database(), 20001,
                           periodHolding(PeriodKind::Year, QDate(2026, 11, 29)), year, error));

    const QList<QStringList> rows = tableRows(day);
    ASSERT_EQ(rows.size(), 24);
    EXPECT_EQ(rows[7], (QStringList{"2026-11-29", "07", "7.500", "", "0.250", "0.000", "1.00",
                                    "1.00", "1.00", "0.50", "1.00"}));
    EXPECT_EQ(rows[5], (QStringList{"2026-11-29", "05", "", "", "", "", "", "", "", "", ""}));

    const QByteArray file = csvFile(day, QStringLiteral("Котельная №3"), u',');
    EXPECT_TRUE(file.startsWith("\xEF\xBB\xBF"));
    const QString csv = QString::fromUtf8(file.mid(3));
    const QStringList lines = csv.split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 26); // the header, 24 hours, nothing after the last line end
    EXPECT_EQ(lines[0], QStringLiteral("serial;node;date;hour;G1, m3/h;G2, m3/h;G3, m3/h;"
                                       "G4, m3/h;B1, h;B2, h;B3, h;B4, h;Tc, h"));
    EXPECT_EQ(lines[6], QStringLiteral("20001;Котельная №3;2026-11-29;5;;;;;;;;;"));
    EXPECT_EQ(lines[8], QStringLiteral("20001;Котельная №3;2026-11-29;7;7,5;;0,25;0;1;1;1;0,5;1"));
    EXPECT_EQ(lines[25], QString());

    const QStringList tabs = tabText(year, QString(), u'.').split(QLatin1Char('\n'));
    ASSERT_EQ(tabs.size(), 14);
    EXPECT_EQ(tabs[0], QStringLiteral("serial\tnode\tmonth\tV1, m3\tV2, m3\tV3, m3\tV4, m3\t"
                                      "B1, h\tB2, h\tB3, h\tB4, h\tTc, h"));
    EXPECT_EQ(tabs[2], QStringLiteral("20001\t\t2026-02\t20\t1\t2\t3\t700\t700\t700\t700\t600"));
    EXPECT_EQ(tabs[6], QStringLiteral("20001\t\t2026-06\t\t\t\t\t\t\t\t\t"));
}

TEST(PeriodTest, PeriodsStepByTheirKind) {
    struct Case {
        PeriodKind kind;
        QDate date;
        int steps;
        QDate start;
        int slotTotal;
        const char* title;
    };
    const Case cases[] = {
        {PeriodKind::Day, QDate(2026, 3, 1), -1, QDate(2026, 2, 28), 24, "28.02.2026"},
        {PeriodKind::Month, QDate(2026, 1, 31), 1, QDate(2026, 2, 1), 28, "февраль 2026"},
        {PeriodKind::Month, QDate(2028, 3, 15), -1, QDate(2028, 2, 1), 29, "февраль 2028"},
        {PeriodKind::Month, QDate(2026, 1, 5), -1, QDate(2025, 12, 1), 31, "декабрь 2025"},
        {PeriodKind::Year, QDate(2026, 11, 29), 1, QDate(2027, 1, 1), 12, "2027 год"},
    };
    for (const Case& c : cases) {
        const Period period = shiftedPeriod(periodHolding(c.kind, c.date), c.steps);
        EXPECT_EQ(period.start, c.start);
        EXPECT_EQ(slotCount(period), c.slotTotal);
        EXPECT_EQ(periodTitle(period), QString::fromUtf8(c.title));
    }
    EXPECT_EQ(slotTitle(periodHolding(PeriodKind::Day, QDate(2026, 11, 29)), 7),
              QStringLiteral("29.11.2026 07:00"));
    EXPECT_EQ(slotTitle(periodHolding(PeriodKind::Year, QDate(2026, 11, 29)), 10),
              QStringLiteral("ноябрь 2026"));
}

} // namespace
