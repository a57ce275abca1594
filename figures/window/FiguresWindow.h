#pragma once

#include "figures/FigureDatabase.h"
#include "figures/MeterList.h"
#include "figures/NightGrid.h"
#include "figures/PeriodFigures.h"

#include <QDateTime>
#include <QMainWindow>
#include <functional>
#include <memory>

class QAction;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QTabWidget;
class QTableWidget;
class QTimer;
class QTreeWidget;

namespace rt570 {

class FigureChart;

// The window over a figure store: the meters on the left, with a filter; on the right the
// chosen meter's period as a chart and as a table, and the nodes' nightly runs of a month. It
// reads the store read-only, holds one period's rows at a time, and reads it again on F5 and
// every minute when another program has written to it since.
class FiguresWindow : public QMainWindow {
    Q_OBJECT
public:
    using Clock = std::function<QDateTime()>;

    // `now` tells which meters are overdue (the PC's clock by default).
    explicit FiguresWindow(const QString& path, Clock now = {}, QWidget* parent = nullptr);
    ~FiguresWindow() override;

    // Reads the store again (opening it again when it could not be opened), keeping the
    // chosen meter, period and month.
    void reload();
    // Shows the meter's figures over the period.
    void showMeter(qint64 serial);
    void showPeriod(const Period& period);
    void showNights(const QDate& month);

    Period period() const { return m_period; }
    const PeriodFigures& figures() const { return m_figures; }

private:
    void buildToolBar();
    QWidget* buildMeterPane();
    QWidget* buildTablePane();
    QWidget* buildNightsPane();
    void fillMeters();
    void drawPeriod();
    void fillNights();
    void fillNightCells();
    void showRunOf(int row, int column);
    void setProblem(const QString& text);
    void refreshWhenChanged();
    void copyTable();
    void saveCsv();
    void saveChart(const char* format);
    QString meterTitle() const;
    QString meterNode() const;

    const QString m_path;
    const Clock m_now;
    std::unique_ptr<FigureDatabase> m_database;
    std::vector<MeterRow> m_meterRows;
    qint64 m_serial = 0;
    Period m_period;
    PeriodFigures m_figures;
    QDate m_nightsMonth;
    NightGrid m_grid;
    qint64 m_lastChange = -1;

    QLabel* m_problem;
    QLineEdit* m_filter;
    QTreeWidget* m_meters;
    QComboBox* m_periodKind;
    QDateEdit* m_date;
    FigureChart* m_chart;
    QTableWidget* m_table;
    QLabel* m_nightsTitle;
    QTableWidget* m_nights;
    QPlainTextEdit* m_run;
    QTabWidget* m_tabs;
    QTimer* m_refresh;
};

} // namespace rt570
