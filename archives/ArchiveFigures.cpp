#include "archives/ArchiveFigures.h"

#include "archives/ArchiveDate.h"
#include "state/FloatFigure.h"
#include "state/MeterTime.h"
#include "state/RunState.h"

namespace rt570 {

namespace {

// The end of a day on the meter's clock, as the integrator lines name it.
const QTime kEndOfDay{23, 59, 59};

// Entry [quantity][slot] as it stands, or nullopt when its request was not answered.
std::optional<double> answeredEntry(const ArchiveState& archive, int quantity, int slot) {
    if (!archive.answered[size_t(quantity)][size_t(slot)])
        return std::nullopt;
    return archive.ArchiveTables[size_t(quantity)][size_t(slot)];
}

std::optional<double> channelOf(const ArchiveState& archive, int channel, int slot,
                                const ChannelFormat& format, ChannelCells kind) {
    const std::optional<double> entry = answeredEntry(archive, channel, slot);
    if (!entry)
        return std::nullopt;
    return channelFigure(*entry, format, kind);
}

std::optional<double> hoursOf(const ArchiveState& archive, int quantity, int slot) {
    const std::optional<double> entry = answeredEntry(archive, quantity, slot);
    if (!entry)
        return std::nullopt;
    return hoursFigure(*entry);
}

} // namespace

ArchiveRow archiveRow(const ArchiveState& archive, int slot, const ChannelFormats& formats,
                      ChannelCells kind, const QDate& date, int hour) {
    ArchiveRow row;
    row.date = date;
    row.hour = hour;
    for (int n = 0; n < kChannels; ++n) {
        std::optional<double> channel = channelOf(archive, n, slot, formats[size_t(n)], kind);
        // Mean flows come as floats (ReadFlowRecord); the table keeps them widened, as the
        // report's cells round them. Volumes are counts and stay as divided.
        if (kind == ChannelCells::Flow && channel)
            channel = floatFigure(float(*channel));
        row.channels[size_t(n)] = channel;
        row.hours[size_t(n)] = hoursOf(archive, kFirstOperatingQuantity + n, slot);
    }
    row.mains = hoursOf(archive, kMainsQuantity, slot);
    return row;
}

IntegratorFigures integratorFigures(const ArchiveState& archive, int slot,
                                    const ChannelFormats& formats, const QDate& day) {
    IntegratorFigures figures;
    figures.at = meterWallTime(day, kEndOfDay);
    for (int n = 0; n < kChannels; ++n) {
        figures.volumes[size_t(n)] =
            channelOf(archive, n, slot, formats[size_t(n)], ChannelCells::Volume);
        figures.hours[size_t(n)] = hoursOf(archive, kFirstOperatingQuantity + n, slot);
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
