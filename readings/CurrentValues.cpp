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
constexpr int kMainsSlot = 520;
// Hours are counted in units of 1/10000 h.
constexpr double kHourUnits = 10000.0;

constexpr int kVolumeWidth = 11;
constexpr int kHoursWidth = 11;
constexpr int kHoursPrecision = 4;

} // namespace

void readCurrentValues(RunState& session) {
    Link& link = session.link;
    RunTexts& display = session.display;
    Formats& formats = session.formats;

    session.setStatusText(QStringLiteral("Считывание параметров"));

    std::array<int, kChannels> precision{};
    for (int k = 1; k <= kChannels; ++k) {
        precision[size_t(k - 1)] = ChannelPrecision(link.values[size_t(gmaxSlot(k))]);
        formats.ValueFormats[size_t(k - 1)] = {kFlowFormatWidth, precision[size_t(k - 1)]};
    }

    // Whether every value request was answered: the figures go to the sink only then.
    bool answered = true;
    for (int i = 0; i < kFlowCount; ++i) {
        link.ValueIndex = uint8_t(i);
        answered = link.ReadCurrentFloat() && answered;
        session.setProgress(kFlowProgressStep * i);
    }
    endIfStopped(link);

    for (int k = 1; k <= kChannels; ++k) {
        const FormatPair& format = formats.ValueFormats[size_t(k - 1)];
        display.flowLabels[size_t(k - 1)] =
            QStringLiteral("G%1,м3/час: ").arg(k) +
            formatFixed(link.values[size_t(kFloatSection + k - 1)], format.width, format.precision);
    }
    session.changed();

    for (int i = 0; i < kIntegerCount; ++i) {
        link.ValueIndex = uint8_t(i);
        answered = link.ReadCurrentInteger() && answered;
        session.setProgress(kIntegerProgressStep * i + kIntegerProgressStart);
    }
    endIfStopped(link);
    session.setProgress(kProgressDone);

    for (int k = 1; k <= kChannels; ++k) {
        const int p = precision[size_t(k - 1)];
        const double volume =
            link.values[size_t(kIntegerSection + k - 1)] / formats.ScaleTable[size_t(p)];
        display.volumeLabels[size_t(k - 1)] =
            QStringLiteral("V%1,м3: ").arg(k) + formatFixed(volume, kVolumeWidth, p - 1);
    }
    for (int k = 1; k <= kChannels; ++k) {
        // Cyrillic "В".
        display.hoursLabels[size_t(k - 1)] =
            QStringLiteral("В%1,ч: ").arg(k) +
            formatFixed(link.values[size_t(kMainsSlot + k)] / kHourUnits, kHoursWidth,
                        kHoursPrecision);
    }
    // Latin "T", Cyrillic "с".
    display.mainsLabel =
        QStringLiteral("Tс,ч: ") +
        formatFixed(link.values[kMainsSlot] / kHourUnits, kHoursWidth, kHoursPrecision);
    session.changed();

    const bool clockAnswered = ReadClock(session);
    if (session.figures && answered) {
        CurrentFigures figures;
        figures.readAt = session.clock();
        for (int k = 1; k <= kChannels; ++k) {
            const size_t n = size_t(k - 1);
            // The flows are floats on the wire, widened in the value table.
            figures.flows[n] = floatFigure(float(link.values[size_t(kFloatSection) + n]));
            figures.volumes[n] =
                link.values[size_t(kIntegerSection) + n] / formats.ScaleTable[size_t(precision[n])];
            figures.hours[n] = link.values[size_t(kMainsSlot + k)] / kHourUnits;
        }
        figures.mains = link.values[kMainsSlot] / kHourUnits;
        if (clockAnswered)
            figures.meterClock = meterClockTime(link.DateCode, link.ClockSeconds);
        session.figures->currentValues(figures);
    }

    session.setStatusText(QStringLiteral("Параметры считаны"));
}

} // namespace rt570
