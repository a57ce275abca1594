#pragma once

#include <array>

namespace rt570 {

class RunState;

// How the archive tables' entries become figures: the report cells, the integrator lines and
// the figure sink all scale them here.

// Format of one channel's cells: ChannelWidth, ChannelDecimals and the divisor of its volume
// counts (the ScaleTable entry its decimals select).
struct ChannelFormat {
    int width = 0;
    int decimals = 0;
    double scale = 1;
};
using ChannelFormats = std::array<ChannelFormat, 4>;
// From the flow formats of the channels (ValueFormats 0..3) and the ScaleTable.
ChannelFormats channelFormats(const RunState& session);

// Channels as flows (the value unchanged) or as volumes (the count divided by the scale).
enum class ChannelCells { Flow, Volume };

// A channel entry as a figure: a flow as it stands, a volume count divided by the scale.
double channelFigure(double entry, const ChannelFormat& format, ChannelCells kind);
// An operating or mains time entry in hours.
double hoursFigure(double units);

} // namespace rt570
