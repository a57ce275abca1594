#include "figures/window/FigureChart.h"

#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QCursor>
#include <QHBoxLayout>
#include <QLineSeries>
#include <QPainter>
#include <QSplitter>
#include <QSvgGenerator>
#include <QToolTip>
#include <QVBoxLayout>
#include <QValueAxis>
#include <cmath>

namespace rt570 {

namespace {

const std::array<QColor, 4> kChannelColours{QColor(0x1f, 0x77, 0xb4), QColor(0xd6, 0x27, 0x28),
                                            QColor(0x2c, 0xa0, 0x2c), QColor(0x94, 0x67, 0xbd)};
const QColor kMainsOffColour(0x40, 0x40, 0x40);
constexpr int kHoursDecimals = 2;
// The property that tells which channel a line belongs to (0 for the mains line).
const char* const kChannelProperty = "channel";

// The x of a slot: the hour 0..23, the day 1..31, the month 1..12.
double slotX(const Period& period, int slot) {
    return period.kind == PeriodKind::Day ? slot : slot + 1;
}

int xSlot(const Period& period, double x) {
    const int rounded = int(std::lround(x));
    return period.kind == PeriodKind::Day ? rounded : rounded - 1;
}

QString axisTitle(const Period& period) {
    switch (period.kind) {
    case PeriodKind::Day:
        return QStringLiteral("час");
    case PeriodKind::Month:
        return QStringLiteral("день");
    case PeriodKind::Year:
        return QStringLiteral("месяц");
    }
    return QString();
}

QChart* newChart() {
    auto* chart = new QChart;
    chart->legend()->hide();
    chart->setMargins(QMargins(4, 4, 4, 4));
    return chart;
}

} // namespace

FigureChart::FigureChart(QWidget* parent)
    : QWidget(parent), m_upper(newChart()), m_lower(newChart()) {
    m_upperView = new QChartView(m_upper);
    m_lowerView = new QChartView(m_lower);
    m_upperView->setObjectName(QStringLiteral("figureChart"));
    m_lowerView->setObjectName(QStringLiteral("timeChart"));
    for (QChartView* view : {m_upperView, m_lowerView})
        view->setRenderHint(QPainter::Antialiasing);

    auto* boxes = new QHBoxLayout;
    for (int n = 0; n < 4; ++n) {
        auto* box = new QCheckBox(QStringLiteral("Канал %1").arg(n + 1));
        box->setChecked(true);
        QPixmap swatch(12, 12);
        swatch.fill(kChannelColours[size_t(n)]);
        box->setIcon(QIcon(swatch));
        connect(box, &QCheckBox::toggled, this, [this, n](bool on) { showChannel(n + 1, on); });
        boxes->addWidget(box);
        m_channelBoxes[size_t(n)] = box;
    }
    boxes->addStretch();

    // Each chart keeps its axes; only the lines are made anew.
    for (QChart* chart : {m_upper, m_lower}) {
        chart->addAxis(new QValueAxis, Qt::AlignBottom);
        chart->addAxis(new QValueAxis, Qt::AlignLeft);
    }

    auto* splitter = new QSplitter(Qt::Vertical);
    splitter->addWidget(m_upperView);
    splitter->addWidget(m_lowerView);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(boxes);
    layout->addWidget(splitter);
}

void FigureChart::clear(const QString& title) {
    for (QChart* chart : {m_upper, m_lower})
        chart->removeAllSeries();
    m_upper->setTitle(title);
    m_lower->setTitle(QString());
}

void FigureChart::showFigures(const PeriodFigures& figures, const QString& title) {
    clear(title);
    m_figures = figures;
    const bool volumes = showsVolumes(figures.period);
    const QString unit = volumes ? QStringLiteral("м3") : QStringLiteral("м3/ч");
    for (int n = 0; n < 4; ++n) {
        std::vector<std::optional<double>> values;
        for (const FigureSlot& row : figures.rows)
            values.push_back(row.channels[size_t(n)]);
        addLines(m_upper, (volumes ? QStringLiteral("V%1") : QStringLiteral("G%1")).arg(n + 1),
                 kChannelColours[size_t(n)], n + 1, values, unit, figures.decimals[size_t(n)]);
    }
    for (int n = 0; n < 4; ++n) {
        std::vector<std::optional<double>> values;
        for (const FigureSlot& row : figures.rows)
            values.push_back(row.hours[size_t(n)]);
        addLines(m_lower, QStringLiteral("В%1").arg(n + 1), kChannelColours[size_t(n)], n + 1,
                 values, QStringLiteral("ч"), kHoursDecimals);
    }
    std::vector<std::optional<double>> mainsOff;
    for (int slot = 0; slot < int(figures.rows.size()); ++slot)
        mainsOff.push_back(mainsOffHours(figures, slot));
    addLines(m_lower, QStringLiteral("Без сети"), kMainsOffColour, 0, mainsOff, QStringLiteral("ч"),
             kHoursDecimals);
    m_lower->setTitle(QStringLiteral("Наработка по каналам и время без сети"));
    setAxes(m_upper, (volumes ? QStringLiteral("Объём, ") : QStringLiteral("Расход, ")) + unit);
    setAxes(m_lower, QStringLiteral("ч"));
    for (int n = 0; n < 4; ++n)
        showChannel(n + 1, m_channelBoxes[size_t(n)]->isChecked());
}

void FigureChart::addLines(QChart* chart, const QString& name, const QColor& colour, int channel,
                           const std::vector<std::optional<double>>& values, const QString& unit,
                           int decimals) {
    const Period period = m_figures.period;
    QLineSeries* series = nullptr;
    for (int slot = 0; slot < int(values.size()); ++slot) {
        if (!values[size_t(slot)]) {
            series = nullptr;
            continue;
        }
        if (!series) {
            series = new QLineSeries;
            series->setName(name);
            series->setColor(colour);
            // A run of one slot is a point alone: it shows as its marker.
            series->setPointsVisible(true);
            series->setProperty(kChannelProperty, channel);
            connect(series, &QLineSeries::hovered, this,
                    [this, name, unit, decimals](const QPointF& point, bool entered) {
                        showPointText(name, unit, decimals, point, entered);
                    });
            chart->addSeries(series);
        }
        series->append(slotX(period, slot), *values[size_t(slot)]);
    }
}

void FigureChart::setAxes(QChart* chart, const QString& unit) {
    const Period period = m_figures.period;
    auto* x = static_cast<QValueAxis*>(chart->axes(Qt::Horizontal).front());
    auto* y = static_cast<QValueAxis*>(chart->axes(Qt::Vertical).front());
    const double first = slotX(period, 0);
    const double last = slotX(period, slotCount(period) - 1);
    x->setRange(first - 0.5, last + 0.5);
    x->setTickType(QValueAxis::TicksDynamic);
    x->setTickAnchor(first);
    // Every second hour or day: two-digit labels at every one would not fit a narrow window.
    x->setTickInterval(period.kind == PeriodKind::Year ? 1 : 2);
    x->setLabelFormat(QStringLiteral("%d"));
    // The lower chart shares the upper one's axis and its title.
    x->setTitleText(chart == m_upper ? axisTitle(period) : QString());
    y->setTitleText(unit);
    y->setLabelFormat(QStringLiteral("%.6g"));
    double low = 0;
    double high = 0;
    for (QAbstractSeries* s : chart->series()) {
        for (const QPointF& p : static_cast<QLineSeries*>(s)->points()) {
            low = std::min(low, p.y());
            high = std::max(high, p.y());
        }
    }
    y->setRange(low, high > low ? high * 1.05 : low + 1);
    y->applyNiceNumbers();
    for (QAbstractSeries* s : chart->series()) {
        s->attachAxis(x);
        s->attachAxis(y);
    }
}

void FigureChart::showPointText(const QString& name, const QString& unit, int decimals,
                                const QPointF& point, bool entered) {
    if (!entered) {
        QToolTip::hideText();
        return;
    }
    const int slot = xSlot(m_figures.period, point.x());
    if (slot < 0 || slot >= slotCount(m_figures.period))
        return;
    QToolTip::showText(QCursor::pos(), QStringLiteral("%1\n%2 = %3 %4")
                                           .arg(slotTitle(m_figures.period, slot), name,
                                                QString::number(point.y(), 'f', decimals), unit));
}

void FigureChart::showChannel(int channel, bool shown) {
    for (QChart* chart : {m_upper, m_lower}) {
        for (QAbstractSeries* s : chart->series()) {
            if (s->property(kChannelProperty).toInt() == channel)
                s->setVisible(shown);
        }
    }
}

bool FigureChart::savePng(const QString& path) {
    return grab().save(path, "PNG");
}

bool FigureChart::saveSvg(const QString& path) {
    QSvgGenerator svg;
    svg.setFileName(path);
    svg.setSize(size());
    svg.setViewBox(rect());
    svg.setTitle(m_upper->title());
    QPainter painter;
    if (!painter.begin(&svg))
        return false;
    render(&painter);
    return painter.end();
}

} // namespace rt570
