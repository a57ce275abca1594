#include "store/FigureFilter.h"

#include "state/MeterTime.h"

#include <algorithm>

namespace rt570 {

namespace {

constexpr int kSecondsPerHour = 3600;
// Parameter slots that hold the meter's passwords (for changes and for resets).
constexpr int kFirstPasswordSlot = 1;
constexpr int kLastPasswordSlot = 2;

const QTime kMidnight{0, 0};

// When the period of a row ends on the meter's clock; invalid when it is not known.
QDateTime rowEnd(ArchiveKind kind, const ArchiveRow& row) {
    if (!row.date.isValid())
        return {};
    switch (kind) {
    case ArchiveKind::Hourly:
        return meterWallTime(row.date, QTime(row.hour, 0)).addSecs(kSecondsPerHour);
    case ArchiveKind::Daily:
        return meterWallTime(row.date.addDays(1), kMidnight);
    case ArchiveKind::Monthly: {
        if (row.reportingDay < 1)
            return {};
        const QDate month(row.date.year(), row.date.month(), 1);
        const int lastDay = std::min(row.reportingDay, month.daysInMonth());
        return meterWallTime(month.addDays(lastDay), kMidnight);
    }
    }
    return {};
}

} // namespace

void FigureFilter::beginConnection() {
    m_clock = QDateTime();
    m_clockMissing = false;
}

void FigureFilter::meterClock(const QDateTime& wallTime) {
    // Kept as a wall time without a zone, whatever the caller's QDateTime carried.
    m_clock = wallTime.isValid() ? meterWallTime(wallTime.date(), wallTime.time()) : QDateTime();
}

bool FigureFilter::ended(const QDateTime& end) {
    if (!m_clock.isValid()) {
        m_clockMissing = true;
        return false;
    }
    return end.isValid() && m_clock >= end;
}

void FigureFilter::reportSetOpened(quint32 serial, const QString& stem) {
    m_next.reportSetOpened(serial, stem);
}

void FigureFilter::currentValues(const CurrentFigures& figures) {
    m_next.currentValues(figures);
}

void FigureFilter::archiveRows(ArchiveKind kind, const std::vector<ArchiveRow>& rows) {
    std::vector<ArchiveRow> kept;
    for (const ArchiveRow& row : rows)
        if (ended(rowEnd(kind, row)))
            kept.push_back(row);
    if (!kept.empty())
        m_next.archiveRows(kind, kept);
}

void FigureFilter::integrators(const IntegratorFigures& figures) {
    // A reading at the last second of a day is final once the next day has begun.
    if (figures.at.isValid() &&
        ended(meterWallTime(figures.at.date(), figures.at.time()).addSecs(1)))
        m_next.integrators(figures);
}

void FigureFilter::parameters(const QDateTime& readAt, const std::vector<ParameterFigure>& rows) {
    std::vector<ParameterFigure> kept;
    for (const ParameterFigure& p : rows)
        if (p.slot < kFirstPasswordSlot || p.slot > kLastPasswordSlot)
            kept.push_back(p);
    m_next.parameters(readAt, kept);
}

} // namespace rt570
