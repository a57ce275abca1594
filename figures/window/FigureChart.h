#pragma once

#include "figures/PeriodFigures.h"

#include <QWidget>
#include <array>

class QChart;
class QChartView;
class QCheckBox;
class QLabel;
class QLineSeries;

namespace rt570 {

// The chart of one meter's period: the four channels' flows (or volumes) above, their
// operating times and the time without mains power in a smaller chart below, both on the same
// axis of hours, days or months. A figure the store lacks breaks its line: each line is drawn
// as the runs of slots that have the figure, so a gap stays a gap and is never drawn as zero.
// A tick box per channel shows or hides its lines in both charts; the pointer over a point
// shows its date, time and value with the report's decimals.
class FigureChart : public QWidget {
    Q_OBJECT
public:
    explicit FigureChart(QWidget* parent = nullptr);

    void showFigures(const PeriodFigures& figures, const QString& title);
    void clear(const QString& title);

    // The two charts as one picture, for a letter.
    bool savePng(const QString& path);
    bool saveSvg(const QString& path);

    QChart* figureChart() const { return m_upper; }
    QChart* timeChart() const { return m_lower; }

private:
    // The lines of one figure: a series per run of slots that have it.
    void addLines(QChart* chart, const QString& name, const QColor& colour, int channel,
                  const std::vector<std::optional<double>>& values, const QString& unit,
                  int decimals);
    void setAxes(QChart* chart, const QString& unit);
    void showPointText(const QString& name, const QString& unit, int decimals, const QPointF& point,
                       bool entered);
    void showChannel(int channel, bool shown);

    QChartView* m_upperView;
    QChartView* m_lowerView;
    QChart* m_upper;
    QChart* m_lower;
    std::array<QCheckBox*, 4> m_channelBoxes{};
    PeriodFigures m_figures;
};

} // namespace rt570
