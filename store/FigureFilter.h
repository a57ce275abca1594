#pragma once

#include "state/FigureSink.h"

#include <QDateTime>

namespace rt570 {

// A FigureSink in front of the figure store and the CSV files that passes on only the figures
// they may keep, so both keep the same ones. The text reports stay complete: they do not go
// through a sink.
//
// - Archive periods that had not ended by the meter's clock (given by meterClock() once per
//   connection, before its first archive read) are left out: the meter reports 0 for an hour or
//   a day still to come, and such a figure would pass for a measured one. An hour h of day d has
//   ended at d (h+1):00; a day d at d+1 00:00; integrators read at d 23:59:59 at d+1 00:00.
//   A monthly row is the increase up to the meter's reporting day R of its month: it has ended
//   at R+1 00:00 (the day record of R is the one of its last hour); a reporting day beyond the
//   month's last day closes at the next month's first day; a row whose reporting day is unknown
//   (0) covers no known period and is left out.
// - With no valid meter clock in the connection (the clock read failed), no archive rows and no
//   integrators are passed on: a wrong figure is worse than none. clockMissing() then tells.
// - Parameter slots 1 and 2, the meter's passwords, are never passed on.
// Current values and report sets pass unchanged.
class FigureFilter final : public FigureSink {
public:
    explicit FigureFilter(FigureSink& next) : m_next(next) {}

    // A new connection: the meter's clock of the last one is forgotten.
    void beginConnection();
    // Whether archive figures of this connection were left out because the meter's clock was
    // not known.
    bool clockMissing() const { return m_clockMissing; }

    void meterClock(const QDateTime& wallTime) override;
    void reportSetOpened(quint32 serial, const QString& stem) override;
    void currentValues(const CurrentFigures& figures) override;
    void archiveRows(ArchiveKind kind, const std::vector<ArchiveRow>& rows) override;
    void integrators(const IntegratorFigures& figures) override;
    void parameters(const QDateTime& readAt, const std::vector<ParameterFigure>& rows) override;

private:
    // Whether a period ending at `end` (the meter's wall time) had ended by the meter's clock;
    // false, and the missing clock noted, when there is no clock.
    bool ended(const QDateTime& end);

    FigureSink& m_next;
    QDateTime m_clock; // invalid until a valid clock is given in the connection
    bool m_clockMissing = false;
};

} // namespace rt570
