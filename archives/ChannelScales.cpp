#include "archives/ChannelScales.h"

#include "link/Protocol.h"
#include "state/RunState.h"

namespace rt570 {

ChannelFormats channelFormats(const RunState& session) {
    ChannelFormats formats;
    const auto& scales = session.formats.ScaleTable;
    for (size_t n = 0; n < formats.size(); ++n) {
        const FormatPair& pair = session.formats.ValueFormats[n];
        formats[n].width = pair.width;
        formats[n].decimals = pair.precision;
        // Decimals come from the channel precision (0..4); anything else leaves counts as they are.
        formats[n].scale = pair.precision >= 0 && size_t(pair.precision) < scales.size()
                               ? scales[size_t(pair.precision)]
                               : 1.0;
    }
    return formats;
}

double channelFigure(double entry, const ChannelFormat& format, ChannelCells kind) {
    return kind == ChannelCells::Volume ? entry / format.scale : entry;
}

double hoursFigure(double units) {
    return units / kHourUnits;
}

} // namespace rt570
