#include "sim/FlowHistory.h"

#include "sim/MeterParameters.h"
#include "sim/SimRandom.h"

#include <algorithm>
#include <cmath>

namespace rt570::sim {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kSecondsPerHour = 3600;
constexpr int kSecondsPerDay = 86400;
// About one day in five has a mains outage of 10 minutes to 3 hours.
constexpr double kOutageChance = 0.2;
constexpr int kShortestOutageS = 600;
constexpr int kLongestOutageS = 10800;
// A channel loses up to a third of an hour now and then (no signal, air in the pipe).
constexpr double kFaultChance = 0.03;
constexpr double kLongestFault = 0.3;
// History is not computed further than this past installation (the date code ends in 2042).
constexpr int kLongestHistoryDays = 40 * 366;

enum Stream : uint64_t {
    Level = 1,
    DayFactor,
    Profile,
    Outage,
    OutageStart,
    OutageLength,
    Fault,
    FaultLength,
};

} // namespace

Totals& Totals::operator+=(const Totals& o) {
    for (size_t c = 0; c < 4; ++c) {
        volume[c] += o.volume[c];
        operating[c] += o.operating[c];
    }
    mains += o.mains;
    return *this;
}

Totals& Totals::operator+=(const HourRecord& h) {
    for (size_t c = 0; c < 4; ++c) {
        volume[c] += h.volume[c];
        operating[c] += h.operating[c];
    }
    mains += h.mains;
    return *this;
}

Totals Totals::operator-(const Totals& o) const {
    Totals t = *this;
    for (size_t c = 0; c < 4; ++c) {
        t.volume[c] -= o.volume[c];
        t.operating[c] -= o.operating[c];
    }
    t.mains -= o.mains;
    return t;
}

FlowHistory::FlowHistory(uint32_t seed, const QDate& installed)
    : m_seed(seed), m_installed(installed) {
    for (size_t c = 0; c < 4; ++c)
        m_level[c] = kMaximumFlows[c] * (0.3 + 0.35 * unitRandom(seed, Level, c));
}

double FlowHistory::volumeScale(int channel) const {
    return kVolumeCountsPerM3[size_t(channel)];
}

HourRecord FlowHistory::hour(const QDate& date, int hour) const {
    HourRecord r;
    if (!date.isValid() || hour < 0 || hour >= kHoursPerDay)
        return r;
    const uint64_t day = uint64_t(date.toJulianDay());
    const uint64_t slot = day * kHoursPerDay + uint64_t(hour);

    int overlapS = 0;
    if (unitRandom(m_seed, Outage, day) < kOutageChance) {
        const int start = int(unitRandom(m_seed, OutageStart, day) * kSecondsPerDay);
        const int length = kShortestOutageS + int(unitRandom(m_seed, OutageLength, day) *
                                                  (kLongestOutageS - kShortestOutageS));
        const int end = std::min(start + length, kSecondsPerDay);
        const int from = std::max(start, hour * kSecondsPerHour);
        const int to = std::min(end, (hour + 1) * kSecondsPerHour);
        overlapS = std::max(0, to - from);
    }
    r.mains = kFullHour - std::llround(overlapS * double(kFullHour) / kSecondsPerHour);

    const double rhythm = 1.0 + 0.25 * std::sin(2 * kPi * (hour - 6) / kHoursPerDay);
    for (size_t c = 0; c < 4; ++c) {
        int64_t lost = 0;
        if (unitRandom(m_seed, Fault, slot, c) < kFaultChance)
            lost =
                std::llround(unitRandom(m_seed, FaultLength, slot, c) * kLongestFault * kFullHour);
        r.operating[c] = std::max<int64_t>(0, r.mains - lost);
        if (r.operating[c] == 0)
            continue;
        const double dayFactor = 0.85 + 0.3 * unitRandom(m_seed, DayFactor, day, c);
        const double jitter = 0.95 + 0.1 * unitRandom(m_seed, Profile, slot, c);
        r.flow[c] = float(m_level[c] * dayFactor * rhythm * jitter);
        r.volume[c] = std::llround(double(r.flow[c]) * double(r.operating[c]) / kFullHour *
                                   volumeScale(int(c)));
    }
    return r;
}

Totals FlowHistory::day(const QDate& date) const {
    Totals t;
    for (int h = 0; h < kHoursPerDay; ++h)
        t += hour(date, h);
    return t;
}

Totals FlowHistory::upToEndOf(const QDate& date) const {
    if (!date.isValid() || date < m_installed)
        return Totals{};
    const qint64 index = std::min<qint64>(m_installed.daysTo(date), kLongestHistoryDays);
    while (qint64(m_cumulative.size()) <= index) {
        Totals t = m_cumulative.empty() ? Totals{} : m_cumulative.back();
        t += day(m_installed.addDays(qint64(m_cumulative.size())));
        m_cumulative.push_back(t);
    }
    return m_cumulative[size_t(index)];
}

Totals FlowHistory::upTo(const QDateTime& t) const {
    const QDate date = t.date();
    if (!date.isValid() || date < m_installed)
        return Totals{};
    Totals total = upToEndOf(date.addDays(-1));
    const int secondsToday = t.time().msecsSinceStartOfDay() / 1000;
    const int fullHours = secondsToday / kSecondsPerHour;
    for (int h = 0; h < fullHours; ++h)
        total += hour(date, h);
    const double part = double(secondsToday % kSecondsPerHour) / kSecondsPerHour;
    const HourRecord running = hour(date, fullHours);
    for (size_t c = 0; c < 4; ++c) {
        total.volume[c] += std::llround(double(running.volume[c]) * part);
        total.operating[c] += std::llround(double(running.operating[c]) * part);
    }
    total.mains += std::llround(double(running.mains) * part);
    return total;
}

} // namespace rt570::sim
