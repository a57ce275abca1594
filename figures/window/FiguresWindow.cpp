#include "figures/window/FiguresWindow.h"

#include "figures/FigureTable.h"
#include "figures/window/FigureChart.h"
#include "figures/window/PcTimeText.h"
#include "store/StoreTarget.h"

#include <QAction>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

namespace rt570 {

namespace {

constexpr int kRefreshMs = 60 * 1000;

} // namespace

FiguresWindow::FiguresWindow(const QString& path, Clock now, QWidget* parent)
    : QMainWindow(parent), m_path(path),
      m_now(now ? std::move(now) : Clock([] { return QDateTime::currentDateTime(); })),
      m_period(periodHolding(PeriodKind::Day, QDate::currentDate())) {
    // A URL without its parameters, which may name key files.
    const QString shown =
        isDatabaseUrl(path) ? parseStoreTarget(path).target.text() : QDir::toNativeSeparators(path);
    setWindowTitle(QStringLiteral("Показания расходомеров — %1").arg(shown));
    m_problem = new QLabel;
    m_problem->setObjectName(QStringLiteral("problem"));
    m_problem->setWordWrap(true);
    m_problem->setStyleSheet(QStringLiteral("QLabel { background: #f8d7d3; padding: 6px; }"));
    m_problem->hide();

    m_chart = new FigureChart;
    m_tabs = new QTabWidget;
    m_tabs->addTab(m_chart, QStringLiteral("График"));
    m_tabs->addTab(buildTablePane(), QStringLiteral("Таблица"));
    m_tabs->addTab(buildNightsPane(), QStringLiteral("Ночи"));

    auto* splitter = new QSplitter(Qt::Horizontal);
    splitter->addWidget(buildMeterPane());
    splitter->addWidget(m_tabs);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({380, 700});

    auto* central = new QWidget;
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(m_problem);
    layout->addWidget(splitter);
    setCentralWidget(central);
    buildToolBar();
    statusBar();
    resize(1100, 700);

    m_refresh = new QTimer(this);
    m_refresh->setInterval(kRefreshMs);
    connect(m_refresh, &QTimer::timeout, this, &FiguresWindow::refreshWhenChanged);
    m_refresh->start();
    reload();
}

FiguresWindow::~FiguresWindow() = default;

void FiguresWindow::buildToolBar() {
    QToolBar* bar = addToolBar(QStringLiteral("Показания"));
    bar->setObjectName(QStringLiteral("toolBar"));
    QAction* refresh = bar->addAction(style()->standardIcon(QStyle::SP_BrowserReload),
                                      QStringLiteral("Обновить"), this, &FiguresWindow::reload);
    refresh->setShortcut(QKeySequence::Refresh);
    refresh->setToolTip(QStringLiteral("Перечитать хранилище (F5)"));
    bar->addSeparator();

    m_periodKind = new QComboBox;
    m_periodKind->addItems(
        {QStringLiteral("Сутки"), QStringLiteral("Месяц"), QStringLiteral("Год")});
    m_periodKind->setToolTip(QStringLiteral("Период: часовые, суточные или месячные значения"));
    bar->addWidget(m_periodKind);
    connect(m_periodKind, qOverload<int>(&QComboBox::currentIndexChanged), this,
            [this](int kind) { showPeriod(periodHolding(PeriodKind(kind), m_period.start)); });
    bar->addAction(style()->standardIcon(QStyle::SP_ArrowBack), QStringLiteral("Назад"), this,
                   [this] { showPeriod(shiftedPeriod(m_period, -1)); });
    m_date = new QDateEdit;
    m_date->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    m_date->setCalendarPopup(true);
    bar->addWidget(m_date);
    connect(m_date, &QDateEdit::dateChanged, this,
            [this](const QDate& date) { showPeriod(periodHolding(m_period.kind, date)); });
    bar->addAction(style()->standardIcon(QStyle::SP_ArrowForward), QStringLiteral("Вперёд"), this,
                   [this] { showPeriod(shiftedPeriod(m_period, 1)); });
    bar->addSeparator();
    bar->addAction(QStringLiteral("Копировать"), this, &FiguresWindow::copyTable)
        ->setToolTip(QStringLiteral("Таблица в буфер обмена, через табуляцию"));
    bar->addAction(QStringLiteral("CSV…"), this, &FiguresWindow::saveCsv)
        ->setToolTip(QStringLiteral("Сохранить таблицу в файл CSV"));
    bar->addAction(QStringLiteral("PNG…"), this, [this] { saveChart("PNG"); })
        ->setToolTip(QStringLiteral("Сохранить график рисунком PNG"));
    bar->addAction(QStringLiteral("SVG…"), this, [this] { saveChart("SVG"); })
        ->setToolTip(QStringLiteral("Сохранить график рисунком SVG"));
}

QWidget* FiguresWindow::buildTablePane() {
    m_table = new QTableWidget;
    m_table->setObjectName(QStringLiteral("table"));
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->hide();
    return m_table;
}

void FiguresWindow::setProblem(const QString& text) {
    m_problem->setText(text);
    m_problem->setVisible(!text.isEmpty());
}

void FiguresWindow::reload() {
    // A store that stopped answering (a server that went away) is opened anew.
    if (!m_database || m_database->failed() || m_database->changeCount() < 0) {
        m_database.reset();
        m_database = std::make_unique<FigureDatabase>(m_path);
    }
    if (m_database->failed()) {
        setProblem(m_database->errorText());
        m_meterRows.clear();
        fillMeters();
        m_chart->clear(QString());
        m_table->clear();
        m_table->setRowCount(0);
        m_nights->clear();
        m_nights->setRowCount(0);
        return;
    }
    setProblem(QString());
    m_lastChange = m_database->changeCount();
    QString error;
    if (!readMeters(m_database->database(), m_meterRows, error))
        setProblem(QStringLiteral("Список счётчиков не прочитан: %1").arg(error));
    if (!m_nightsMonth.isValid()) {
        QDate newest;
        for (const MeterRow& meter : m_meterRows)
            newest = std::max(newest, meter.lastRun.date());
        m_nightsMonth = newest.isValid() ? newest : m_now().date();
    }
    fillMeters();
    // Something to see at once: the first meter.
    if (m_serial == 0 && !m_meterRows.empty())
        showMeter(m_meterRows.front().serial);
    else
        drawPeriod();
    fillNights();
    statusBar()->showMessage(QStringLiteral("Прочитано %1, счётчиков: %2")
                                 .arg(pcTimeText(m_now()))
                                 .arg(m_meterRows.size()));
}

void FiguresWindow::refreshWhenChanged() {
    if (!m_database || m_database->failed() || m_database->changeCount() != m_lastChange)
        reload();
}

void FiguresWindow::showPeriod(const Period& period) {
    if (!period.start.isValid())
        return;
    m_period = period;
    drawPeriod();
}

void FiguresWindow::drawPeriod() {
    {
        const QSignalBlocker kindBlocker(m_periodKind);
        const QSignalBlocker dateBlocker(m_date);
        m_periodKind->setCurrentIndex(int(m_period.kind));
        m_date->setDate(m_period.start);
    }
    if (!m_database || m_database->failed() || m_serial == 0) {
        m_chart->clear(QStringLiteral("Выберите счётчик в списке слева"));
        return;
    }
    QString error;
    if (!readPeriod(m_database->database(), m_serial, m_period, m_figures, error)) {
        setProblem(QStringLiteral("Показания не прочитаны: %1").arg(error));
        return;
    }
    m_chart->showFigures(m_figures,
                         QStringLiteral("%1: %2").arg(meterTitle(), periodTitle(m_period)));
    const QStringList titles = tableTitles(m_period);
    const QList<QStringList> rows = tableRows(m_figures);
    m_table->clear();
    m_table->setColumnCount(int(titles.size()));
    m_table->setHorizontalHeaderLabels(titles);
    m_table->setRowCount(int(rows.size()));
    for (int row = 0; row < int(rows.size()); ++row) {
        for (int column = 0; column < int(rows[row].size()); ++column) {
            auto* cell = new QTableWidgetItem(rows[row][column]);
            if (column > 0)
                cell->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            m_table->setItem(row, column, cell);
        }
    }
    m_table->resizeColumnsToContents();
}

} // namespace rt570
