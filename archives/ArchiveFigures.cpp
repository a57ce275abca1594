#include "archives/ArchiveFigures.h"

#include "archives/ArchiveDate.h"
#include "state/FloatFigure.h"
#include "state/MeterTime.h"
#include "state/RunState.h"

namespace rt570 {

namespace {

// The end of a day on the meter's clock, as the integrator lines name it.
const QTime kEndOfDay{23, 59, 59};

} // namespace

std::optional<double> answeredFigure(const ArchiveState& archive, int quantity, int slot,
                                     double divisor) {
    if (!archive.answered[size_t(quantity)][size_t(slot)])
        return std::nullopt;
    return archive.ArchiveTables[size_t(quantity)][size_t(slot)] / divisor;
}

ArchiveRow archiveRow(const ArchiveState& archive, int slot, const ChannelFormats& formats,
                      ChannelCells kind, const QDate& date, int hour) {
    ArchiveRow row;
    row.date = date;
    row.hour = hour;
    for (int n = 0; n < kChannels; ++n) {
        const double divisor = kind == ChannelCells::Volume ? formats[size_t(n)].scale : 1.0;
        std::optional<double> channel = answeredFigure(archive, n, slot, divisor);
        // Mean flows come as floats (ReadFlowRecord); the table keeps them widened, as the
        // report's cells round them. Volumes are counts and stay as divided.
        if (kind == ChannelCells::Flow && channel)
            channel = floatFigure(float(*channel));
        row.channels[size_t(n)] = channel;
        row.hours[size_t(n)] =
            answeredFigure(archive, kFirstOperatingQuantity + n, slot, kHourUnits);
    }
    row.mains = answeredFigure(archive, kMainsQuantity, slot, kHourUnits);
    return row;
}

IntegratorFigures integratorFigures(const ArchiveState& archive, int slot,
                                    const ChannelFormats& formats, const QDate& day) {
    IntegratorFigures figures;
    figures.at = meterWallTime(day, kEndOfDay);
    for (int n = 0; n < kChannels; ++n) {
        figures.volumes[size_t(n)] = answeredFigure(archive, n, slot, formats[size_t(n)].scale);
        figures.hours[size_t(n)] =
            answeredFigure(archive, kFirstOperatingQuantity + n, slot, kHourUnits);
    }
    return figures;
}

QDate archiveDay(int yy, int month, int day) {
    return QDate(yy + kFirstArchiveYear, month, day);
}

void reportArchiveRows(RunState& session, ArchiveKind kind, const std::vector<ArchiveRow>& rows) {
    if (session.figures)
        session.figures->archiveRows(kind, rows);
}

} // namespace rt570
