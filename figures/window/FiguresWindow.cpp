#include "figures/window/FiguresWindow.h"

#include "figures/FigureTable.h"
#include "figures/window/FigureChart.h"
#include "figures/window/ResultLook.h"
#include "state/NumberText.h"
#include "store/StoreTarget.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace rt570 {

namespace {

constexpr int kRefreshMs = 60 * 1000;
const QColor kOverdueBackground(0xf8, 0xd7, 0xd3);

enum MeterColumn { SerialColumn, NodeColumn, PhoneColumn, RunColumn, ResultColumn, DayColumn };

QString pcTimeText(const QDateTime& at) {
    return at.isValid() ? at.toString(QStringLiteral("dd.MM.yyyy HH:mm")) : QStringLiteral("—");
}

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

QWidget* FiguresWindow::buildMeterPane() {
    auto* pane = new QWidget;
    auto* layout = new QVBoxLayout(pane);
    layout->setContentsMargins(0, 0, 0, 0);
    m_filter = new QLineEdit;
    m_filter->setObjectName(QStringLiteral("filter"));
    m_filter->setPlaceholderText(QStringLiteral("Поиск: узел, телефон или номер"));
    m_filter->setClearButtonEnabled(true);
    connect(m_filter, &QLineEdit::textChanged, this, &FiguresWindow::fillMeters);
    m_meters = new QTreeWidget;
    m_meters->setObjectName(QStringLiteral("meters"));
    m_meters->setRootIsDecorated(false);
    m_meters->setHeaderLabels({QStringLiteral("Номер"), QStringLiteral("Узел"),
                               QStringLiteral("Телефон"), QStringLiteral("Последний опрос"),
                               QStringLiteral("Результат"), QStringLiteral("Часовые по")});
    connect(m_meters, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (item && item->data(SerialColumn, Qt::UserRole).toLongLong() != m_serial)
            showMeter(item->data(SerialColumn, Qt::UserRole).toLongLong());
    });
    layout->addWidget(m_filter);
    layout->addWidget(m_meters);
    return pane;
}

QWidget* FiguresWindow::buildTablePane() {
    m_table = new QTableWidget;
    m_table->setObjectName(QStringLiteral("table"));
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->hide();
    return m_table;
}

QWidget* FiguresWindow::buildNightsPane() {
    auto* pane = new QWidget;
    auto* layout = new QVBoxLayout(pane);
    auto* bar = new QHBoxLayout;
    auto* back = new QPushButton(style()->standardIcon(QStyle::SP_ArrowBack), QString());
    auto* forward = new QPushButton(style()->standardIcon(QStyle::SP_ArrowForward), QString());
    back->setToolTip(QStringLiteral("Предыдущий месяц"));
    forward->setToolTip(QStringLiteral("Следующий месяц"));
    m_nightsTitle = new QLabel;
    connect(back, &QPushButton::clicked, this, [this] { showNights(m_nightsMonth.addMonths(-1)); });
    connect(forward, &QPushButton::clicked, this,
            [this] { showNights(m_nightsMonth.addMonths(1)); });
    bar->addWidget(back);
    bar->addWidget(m_nightsTitle);
    bar->addWidget(forward);
    bar->addStretch();
    m_nights = new QTableWidget;
    m_nights->setObjectName(QStringLiteral("nights"));
    m_nights->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Fixed sizes: measuring 300 nodes by 31 nights cell by cell would take most of a second.
    m_nights->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_nights->horizontalHeader()->setDefaultSectionSize(26);
    m_nights->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_nights->verticalHeader()->setDefaultSectionSize(22);
    connect(m_nights, &QTableWidget::cellClicked, this, &FiguresWindow::showRunOf);
    m_run = new QPlainTextEdit;
    m_run->setObjectName(QStringLiteral("run"));
    m_run->setReadOnly(true);
    m_run->setMaximumHeight(150);
    m_run->setPlaceholderText(QStringLiteral("Щелчок по клетке покажет запись о том опросе"));
    layout->addLayout(bar);
    layout->addWidget(m_nights);
    layout->addWidget(m_run);
    return pane;
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

void FiguresWindow::fillMeters() {
    const QSignalBlocker blocker(m_meters);
    m_meters->clear();
    const QDateTime now = m_now();
    QTreeWidgetItem* current = nullptr;
    for (const MeterRow& meter : m_meterRows) {
        if (!meterMatches(meter, m_filter->text()))
            continue;
        auto* item = new QTreeWidgetItem(m_meters);
        item->setText(SerialColumn, QString::number(meter.serial));
        item->setData(SerialColumn, Qt::UserRole, meter.serial);
        item->setText(NodeColumn, meter.node);
        item->setText(PhoneColumn, meter.phone);
        item->setText(RunColumn, pcTimeText(meter.lastRun));
        item->setText(ResultColumn, resultLook(meter.lastResult).words);
        item->setText(DayColumn, meter.lastHourlyDay.isValid()
                                     ? meter.lastHourlyDay.toString(QStringLiteral("dd.MM.yyyy"))
                                     : QStringLiteral("—"));
        if (isOverdue(meter, now)) {
            item->setIcon(SerialColumn, style()->standardIcon(QStyle::SP_MessageBoxWarning));
            const QString why =
                meter.lastGoodRun.isValid()
                    ? QStringLiteral("Последний успешный опрос %1: больше двух суток назад")
                          .arg(pcTimeText(meter.lastGoodRun))
                    : QStringLiteral("Ни одного успешного опроса");
            for (int column = 0; column < m_meters->columnCount(); ++column) {
                item->setBackground(column, kOverdueBackground);
                item->setToolTip(column, why);
            }
        }
        if (meter.serial == m_serial)
            current = item;
    }
    for (int column = 0; column < m_meters->columnCount(); ++column)
        m_meters->resizeColumnToContents(column);
    if (current)
        m_meters->setCurrentItem(current);
}

void FiguresWindow::showMeter(qint64 serial) {
    const bool first = m_serial == 0;
    m_serial = serial;
    // The first meter chosen opens on its last day with hourly figures.
    if (first) {
        for (const MeterRow& meter : m_meterRows) {
            if (meter.serial == serial && meter.lastHourlyDay.isValid())
                m_period = periodHolding(m_period.kind, meter.lastHourlyDay);
        }
    }
    for (int row = 0; row < m_meters->topLevelItemCount(); ++row) {
        QTreeWidgetItem* item = m_meters->topLevelItem(row);
        if (item->data(SerialColumn, Qt::UserRole).toLongLong() == serial) {
            const QSignalBlocker blocker(m_meters);
            m_meters->setCurrentItem(item);
        }
    }
    drawPeriod();
}

void FiguresWindow::showPeriod(const Period& period) {
    if (!period.start.isValid())
        return;
    m_period = period;
    drawPeriod();
}

QString FiguresWindow::meterTitle() const {
    for (const MeterRow& meter : m_meterRows) {
        if (meter.serial == m_serial)
            return meter.node.isEmpty()
                       ? QStringLiteral("№ %1").arg(meter.serial)
                       : QStringLiteral("%1, № %2").arg(meter.node).arg(meter.serial);
    }
    return QStringLiteral("№ %1").arg(m_serial);
}

QString FiguresWindow::meterNode() const {
    for (const MeterRow& meter : m_meterRows) {
        if (meter.serial == m_serial)
            return meter.node;
    }
    return QString();
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

void FiguresWindow::showNights(const QDate& month) {
    m_nightsMonth = month;
    fillNights();
}

void FiguresWindow::fillNights() {
    m_nights->setUpdatesEnabled(false);
    fillNightCells();
    m_nights->setUpdatesEnabled(true);
}

void FiguresWindow::fillNightCells() {
    m_nights->clear();
    m_run->clear();
    if (!m_nightsMonth.isValid())
        return;
    m_nightsTitle->setText(periodTitle(periodHolding(PeriodKind::Month, m_nightsMonth)));
    if (!m_database || m_database->failed())
        return;
    QString error;
    if (!readNights(m_database->database(), m_nightsMonth, m_grid, error)) {
        setProblem(QStringLiteral("Ночные опросы не прочитаны: %1").arg(error));
        return;
    }
    const int days = m_grid.month.daysInMonth();
    m_nights->setRowCount(int(m_grid.nodes.size()));
    m_nights->setColumnCount(days);
    m_nights->setVerticalHeaderLabels(m_grid.nodes);
    QStringList dayTitles;
    for (int day = 1; day <= days; ++day)
        dayTitles << QString::number(day);
    m_nights->setHorizontalHeaderLabels(dayTitles);
    for (int row = 0; row < int(m_grid.nodes.size()); ++row) {
        for (int day = 0; day < days; ++day) {
            const NightCell& cell = m_grid.cells[size_t(row)][size_t(day)];
            auto* item = new QTableWidgetItem;
            item->setTextAlignment(Qt::AlignCenter);
            if (cell.run != 0) {
                const ResultLook look = resultLook(cell.result);
                item->setText(look.letter);
                item->setBackground(look.colour);
                item->setToolTip(
                    QStringLiteral("Ночь на %1: %2")
                        .arg(m_grid.month.addDays(day).toString(QStringLiteral("dd.MM.yyyy")),
                             look.words));
            }
            m_nights->setItem(row, day, item);
        }
    }
}

void FiguresWindow::showRunOf(int row, int column) {
    if (row < 0 || row >= int(m_grid.nodes.size()) || column < 0 ||
        column >= int(m_grid.cells[size_t(row)].size()))
        return;
    const NightCell& cell = m_grid.cells[size_t(row)][size_t(column)];
    if (cell.run == 0 || !m_database || m_database->failed()) {
        m_run->setPlainText(QStringLiteral("В эту ночь узел не опрашивался"));
        return;
    }
    QString error;
    const auto fields = readRun(m_database->database(), cell.run, error);
    QStringList lines;
    for (const auto& [name, value] : fields)
        lines << QStringLiteral("%1: %2").arg(name, value);
    m_run->setPlainText(error.isEmpty() ? lines.join(QLatin1Char('\n')) : error);
}

void FiguresWindow::copyTable() {
    if (m_serial == 0)
        return;
    QApplication::clipboard()->setText(tabText(m_figures, meterNode(), decimalSeparator()));
    statusBar()->showMessage(QStringLiteral("Таблица скопирована в буфер обмена"));
}

void FiguresWindow::saveCsv() {
    if (m_serial == 0)
        return;
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Сохранить таблицу"),
                                                      QStringLiteral("%1.csv").arg(m_serial),
                                                      QStringLiteral("CSV (*.csv)"));
    if (path.isEmpty())
        return;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(csvFile(m_figures, meterNode(), decimalSeparator())) < 0 || !file.flush())
        setProblem(QStringLiteral("Файл %1 не записан: %2")
                       .arg(QDir::toNativeSeparators(path), file.errorString()));
    else
        statusBar()->showMessage(
            QStringLiteral("Сохранено: %1").arg(QDir::toNativeSeparators(path)));
}

void FiguresWindow::saveChart(const char* format) {
    const bool png = QLatin1String(format) == QLatin1String("PNG");
    const QString suffix = png ? QStringLiteral("png") : QStringLiteral("svg");
    const QString path = QFileDialog::getSaveFileName(
        this, QStringLiteral("Сохранить график"), QStringLiteral("%1.%2").arg(m_serial).arg(suffix),
        QStringLiteral("%1 (*.%2)").arg(QLatin1String(format), suffix));
    if (path.isEmpty())
        return;
    if (png ? m_chart->savePng(path) : m_chart->saveSvg(path))
        statusBar()->showMessage(
            QStringLiteral("Сохранено: %1").arg(QDir::toNativeSeparators(path)));
    else
        setProblem(QStringLiteral("Рисунок %1 не записан").arg(QDir::toNativeSeparators(path)));
}

} // namespace rt570
