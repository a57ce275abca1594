#include "figures/SmallStore.h"
#include "support/QStringPrinter.h"

#include "figures/window/FigureChart.h"
#include "figures/window/FiguresWindow.h"
#include "state/NumberText.h"

#include <QAction>
#include <QApplication>
#include <QChart>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

using namespace rt570;

namespace {

int argc = 1;
char name[] = "tests_figureswindow";
char* argv[] = {name, nullptr};

// Made once and never destroyed: the chart's objects left at exit must not outlive it.
QApplication& application() {
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

// The x values of each line of a channel in the upper chart, a line as "first..last" or "x".
QStringList channelLines(QChart* chart, int channel) {
    QStringList lines;
    for (QAbstractSeries* series : chart->series()) {
        if (series->property("channel").toInt() != channel || !series->isVisible())
            continue;
        const QList<QPointF> points = static_cast<QLineSeries*>(series)->points();
        const QString first = QString::number(points.front().x());
        lines << (points.size() == 1
                      ? first
                      : first + QStringLiteral("..") + QString::number(points.back().x()));
    }
    return lines;
}

QStringList meterRows(QTreeWidget* meters) {
    QStringList rows;
    for (int row = 0; row < meters->topLevelItemCount(); ++row) {
        const QTreeWidgetItem* item = meters->topLevelItem(row);
        QStringList cells;
        for (int column = 0; column < meters->columnCount(); ++column)
            cells << item->text(column);
        cells << (item->icon(0).isNull() ? QStringLiteral("-") : QStringLiteral("icon"));
        rows << cells.join(QLatin1Char('|'));
    }
    return rows;
}

enum class Hue { None, Green, Yellow, Red };

// What a person would call the cell's colour.
Hue hue(const QTableWidgetItem* cell) {
    const QBrush brush = cell->background();
    if (brush.style() == Qt::NoBrush)
        return Hue::None;
    const QColor c = brush.color();
    if (c.green() > c.red() + 40 && c.green() > c.blue() + 40)
        return Hue::Green;
    if (c.red() > c.blue() + 100 && c.green() > c.blue() + 100)
        return Hue::Yellow;
    if (c.red() > c.green() + 60 && c.red() > c.blue() + 60)
        return Hue::Red;
    return Hue::None;
}

TEST(FiguresWindowTest, ShowsTheMetersAChartWithItsGapsAndTheNights) {
    application();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("small.db"));
    test::makeSmallStore(path);
    FiguresWindow window(path, [] {
        return QDateTime::fromString(QStringLiteral("2026-11-30T14:00:00+03:00"), Qt::ISODate);
    });
    window.show();

    auto* meters = window.findChild<QTreeWidget*>(QStringLiteral("meters"));
    ASSERT_TRUE(meters);
    EXPECT_EQ(meterRows(meters),
              (QStringList{"20001|Котельная №3|ATD101|30.11.2026 12:00|нет ответа|29.11.2026|-",
                           "20002|Школа|ATD109|30.11.2026 01:32|нет несущей|29.11.2026|icon",
                           "20003|||30.11.2026 13:00|успешно|—|-"}));
    QTest::keyClicks(window.findChild<QLineEdit*>(QStringLiteral("filter")),
                     QStringLiteral("atd109"));
    ASSERT_EQ(meters->topLevelItemCount(), 1);
    EXPECT_EQ(meters->topLevelItem(0)->text(0), QStringLiteral("20002"));
    window.findChild<QLineEdit*>(QStringLiteral("filter"))->clear();

    // The first meter opens on its last day with hourly figures: hour 05 was never read, the
    // flow of channel 2 at 07 is NULL.
    meters->setCurrentItem(meters->topLevelItem(0));
    EXPECT_EQ(window.period().start, QDate(2026, 11, 29));
    auto* chart = window.findChild<FigureChart*>();
    ASSERT_TRUE(chart);
    EXPECT_EQ(channelLines(chart->figureChart(), 1), (QStringList{"0..4", "6..23"}));
    EXPECT_EQ(channelLines(chart->figureChart(), 2), (QStringList{"0..4", "6", "8..23"}));
    EXPECT_EQ(channelLines(chart->figureChart(), 3), (QStringList{"0..4", "6..23"}));
    EXPECT_EQ(channelLines(chart->figureChart(), 4), (QStringList{"0..4", "6..23"}));
    auto* table = window.findChild<QTableWidget*>(QStringLiteral("table"));
    ASSERT_EQ(table->rowCount(), 24);
    EXPECT_EQ(table->item(7, 2)->text(), QStringLiteral("7.500"));
    EXPECT_EQ(table->item(5, 2)->text(), QString());

    // The copy holds the shown day, as the command line's CSV has it but for tabs.
    setDecimalSeparator(u'.');
    const auto actions = window.findChildren<QAction*>();
    const auto copy = std::find_if(actions.begin(), actions.end(), [](QAction* a) {
        return a->text() == QStringLiteral("Копировать");
    });
    ASSERT_NE(copy, actions.end());
    (*copy)->trigger();
    const QStringList copied = QApplication::clipboard()->text().split(QLatin1Char('\n'));
    ASSERT_EQ(copied.size(), 26);
    EXPECT_EQ(copied[8], QStringLiteral("20001\tКотельная №3\t2026-11-29\t7\t7.5\t\t0.25\t0\t1\t1\t"
                                        "1\t0.5\t1"));
    // The chart as a drawing for a letter names the meter and the day.
    const QString svg = QDir(dir.path()).filePath(QStringLiteral("chart.svg"));
    ASSERT_TRUE(chart->saveSvg(svg));
    QFile drawing(svg);
    ASSERT_TRUE(drawing.open(QIODevice::ReadOnly));
    EXPECT_TRUE(QString::fromUtf8(drawing.readAll())
                    .contains(QStringLiteral("Котельная №3, № 20001: 29.11.2026")));

    // A month: the 15th was never read.
    window.showPeriod(periodHolding(PeriodKind::Month, QDate(2026, 11, 29)));
    EXPECT_EQ(channelLines(chart->figureChart(), 2), (QStringList{"1..14", "16..29"}));
    EXPECT_EQ(channelLines(chart->figureChart(), 1), (QStringList{"1..2", "4..14", "16..29"}));

    window.showNights(QDate(2026, 11, 1));
    auto* nights = window.findChild<QTableWidget*>(QStringLiteral("nights"));
    ASSERT_EQ(nights->rowCount(), 2);
    ASSERT_EQ(nights->columnCount(), 30);
    EXPECT_EQ(nights->verticalHeaderItem(1)->text(), QStringLiteral("Школа"));
    struct Cell {
        int row;
        int day;
        const char* letter;
        Hue hue;
    };
    const Cell cells[] = {{0, 1, "Г", Hue::Red},     {0, 2, "", Hue::None},
                          {0, 28, "У", Hue::Green},  {1, 28, "У", Hue::Green},
                          {1, 29, "З", Hue::Yellow}, {1, 30, "Н", Hue::Red}};
    for (const Cell& c : cells) {
        const QTableWidgetItem* item = nights->item(c.row, c.day - 1);
        EXPECT_EQ(item->text(), QString::fromUtf8(c.letter)) << c.row << " " << c.day;
        EXPECT_EQ(hue(item), c.hue) << c.row << " " << c.day;
    }
    nights->scrollToItem(nights->item(1, 29));
    QTest::mouseClick(nights->viewport(), Qt::LeftButton, {},
                      nights->visualItemRect(nights->item(1, 29)).center());
    EXPECT_TRUE(window.findChild<QPlainTextEdit*>(QStringLiteral("run"))
                    ->toPlainText()
                    .contains(QLatin1String("result: no carrier")));
}

TEST(FiguresWindowTest, AMissingStoreIsSaidAndFoundOnReload) {
    application();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("figures.db"));
    FiguresWindow window(path);
    window.show();
    auto* problem = window.findChild<QLabel*>(QStringLiteral("problem"));
    EXPECT_TRUE(problem->isVisible());
    EXPECT_TRUE(problem->text().contains(QStringLiteral("Нет файла")))
        << problem->text().toStdString();
    EXPECT_EQ(window.findChild<QTreeWidget*>(QStringLiteral("meters"))->topLevelItemCount(), 0);

    test::makeSmallStore(path);
    window.reload();
    EXPECT_FALSE(problem->isVisible());
    EXPECT_EQ(window.findChild<QTreeWidget*>(QStringLiteral("meters"))->topLevelItemCount(), 3);
}

} // namespace
