#include "readings/CurrentValues.h"

#include "link/Protocol.h"
#include "readings/Clock.h"
#include "state/FigureSink.h"
#include "state/FloatFigure.h"
#include "state/NumberText.h"
#include "state/OperationStop.h"
#include "state/RunState.h"

#include <array>

namespace rt570 {

namespace {

constexpr int kFlowCount = 4;
constexpr int kIntegerCount = 13;
constexpr int kFlowProgressStep = 5;
constexpr int kIntegerProgressStep = 5;
constexpr int kIntegerProgressStart = 20;

// Value table slots: G1..G4 at 256..259; V1..V4 at 512..515; mains time at 520; operating
// hours B1..B4 at 521..524.
constexpr size_t kMainsSlot = 520;

constexpr int kVolumeWidth = 11;
constexpr int kHoursWidth = 11;
constexpr int kHoursPrecision = 4;

} // namespace

void readCurrentValues(RunState& session) {
    Link& link = session.link;
    RunTexts& display = session.display;
    Formats& formats = session.formats;
    const ValueTable& values = link.values();

    session.setStatusText(QStringLiteral("Считывание параметров"));

    std::array<int, kChannels> precision{};
    for (int k = 1; k <= kChannels; ++k) {
        precision[size_t(k - 1)] = ChannelPrecision(values[size_t(gmaxSlot(k))]);
        formats.ValueFormats[size_t(k - 1)] = {kFlowFormatWidth, precision[size_t(k - 1)]};
    }

    // Each figure scaled once; the labels and the figure sink both take it from here. The flows
    // stay the widened floats of the value table, as the labels round them.
    CurrentFigures figures;

    // Whether every value request was answered: the figures go to the sink only then.
    bool answered = true;
    for (int i = 0; i < kFlowCount; ++i) {
        answered = link.ReadCurrentFloat(uint8_t(i)) && answered;
        session.setProgress(kFlowProgressStep * i);
    }
    endIfStopped(link);

    for (size_t n = 0; n < kChannels; ++n) {
        figures.flows[n] = values[kFloatSection + n];
        const FormatPair& format = formats.ValueFormats[n];
        display.flowLabels[n] = QStringLiteral("G%1,м3/час: ").arg(n + 1) +
                                formatFixed(figures.flows[n], format.width, format.precision);
    }
    session.changed();

    for (int i = 0; i < kIntegerCount; ++i) {
        answered = link.ReadCurrentInteger(uint8_t(i)) && answered;
        session.setProgress(kIntegerProgressStep * i + kIntegerProgressStart);
    }
    endIfStopped(link);
    session.setProgress(kProgressDone);

    for (size_t n = 0; n < kChannels; ++n) {
        figures.volumes[n] = values[kIntegerSection + n] / formats.ScaleTable[size_t(precision[n])];
        figures.hours[n] = values[kMainsSlot + 1 + n] / kHourUnits;
    }
    figures.mains = values[kMainsSlot] / kHourUnits;
    for (size_t n = 0; n < kChannels; ++n)
        display.volumeLabels[n] = QStringLiteral("V%1,м3: ").arg(n + 1) +
                                  formatFixed(figures.volumes[n], kVolumeWidth, precision[n] - 1);
    for (size_t n = 0; n < kChannels; ++n) {
        // Cyrillic "В".
        display.hoursLabels[n] = QStringLiteral("В%1,ч: ").arg(n + 1) +
                                 formatFixed(figures.hours[n], kHoursWidth, kHoursPrecision);
    }
    // Latin "T", Cyrillic "с".
    display.mainsLabel =
        QStringLiteral("Tс,ч: ") + formatFixed(figures.mains, kHoursWidth, kHoursPrecision);
    session.changed();

    const ClockReply clock = ReadClock(session);
    if (session.figures && answered) {
        figures.readAt = session.clock();
        // The flows are floats on the wire: the sink gets the figures they stand for.
        for (double& flow : figures.flows)
            flow = floatFigure(float(flow));
        if (clock.answered)
            figures.meterClock = meterClockTime(clock.dateCode, clock.seconds);
        session.figures->currentValues(figures);
    }

    session.setStatusText(QStringLiteral("Параметры считаны"));
}

} // namespace rt570
