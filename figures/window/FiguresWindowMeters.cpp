#include "figures/window/FiguresWindow.h"

#include "figures/window/PcTimeText.h"
#include "figures/window/ResultLook.h"

#include <QLineEdit>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

// The meter list on the left: its filter, its rows and the chosen meter.
namespace rt570 {

namespace {

const QColor kOverdueBackground(0xf8, 0xd7, 0xd3);

enum MeterColumn { SerialColumn, NodeColumn, PhoneColumn, RunColumn, ResultColumn, DayColumn };

} // namespace

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

} // namespace rt570
