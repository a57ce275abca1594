#pragma once

#include "figures/Period.h"

#include <QSqlDatabase>
#include <QStringList>
#include <array>
#include <optional>
#include <vector>

namespace rt570 {

// One row of a period: the four channels' mean flows (m3/h; a day's hours and a month's days)
// or volumes (m3; a year's months), the four operating times and the time with mains power
// (h). A figure the store lacks, because the row was never read or the figure is NULL, is
// empty, never zero.
struct FigureSlot {
    std::array<std::optional<double>, 4> channels;
    std::array<std::optional<double>, 4> hours;
    std::optional<double> mains;
    bool stored = false; // the store has a row for it
};

// The figures of one meter over one period, a row per slot of the period, nothing else.
struct PeriodFigures {
    qint64 serial = 0;
    Period period;
    std::vector<FigureSlot> rows;
    // Each channel's number of decimals as the reports print it, from the maximum flow of the
    // meter's latest stored parameters (3 when none is stored).
    std::array<int, 4> decimals{3, 3, 3, 3};
};

// Whether the period's channel figures are volumes (a year) rather than flows.
inline bool showsVolumes(const Period& period) {
    return period.kind == PeriodKind::Year;
}

// The time without mains power within slot `slot` (h): its length less the time with it;
// empty when the mains time is.
std::optional<double> mainsOffHours(const PeriodFigures& figures, int slot);

// Reads the meter's rows of the period. Returns false with `error` set when the store cannot
// be read.
bool readPeriod(const QSqlDatabase& db, qint64 serial, const Period& period, PeriodFigures& figures,
                QString& error);

// The SQL texts the reader runs, for a check of their query plans.
QStringList periodStatements();

} // namespace rt570
