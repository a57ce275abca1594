#include "figures/window/FiguresWindow.h"

#include "figures/window/ResultLook.h"

#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QTableWidget>
#include <QVBoxLayout>

// The nights tab: the nodes' nightly runs of a month, and the record of the run clicked.
namespace rt570 {

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

} // namespace rt570
