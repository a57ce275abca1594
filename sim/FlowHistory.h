#pragma once

#include <QDate>
#include <QDateTime>
#include <array>
#include <cstdint>
#include <vector>

namespace rt570::sim {

constexpr int kHoursPerDay = 24;
// Time values count in 1/10000 hour: a full hour is 10000.
constexpr int64_t kFullHour = 10000;

// One hour of the meter's life. Flows are the mean over the channel's operating time; volumes
// are counts in the channel's own unit (m3 times its volume scale).
struct HourRecord {
    std::array<float, 4> flow{};
    int64_t mains = 0;                  // "Tc": time with mains power present
    std::array<int64_t, 4> operating{}; // per channel, never above `mains`
    std::array<int64_t, 4> volume{};
};

// Sums of volumes and time values over some stretch of time.
struct Totals {
    std::array<int64_t, 4> volume{};
    int64_t mains = 0;
    std::array<int64_t, 4> operating{};

    Totals& operator+=(const Totals& other);
    Totals& operator+=(const HourRecord& hour);
    Totals operator-(const Totals& other) const;
};

// The metered history of one simulated meter, hour by hour, from its installation on: flows
// with a daily rhythm, mains outages on some days, short channel faults. Deterministic for the
// seed; any hour can be asked for in any order.
class FlowHistory {
public:
    FlowHistory(uint32_t seed, const QDate& installed);

    QDate installed() const { return m_installed; }
    // Counts per m3 of channel c (0..3).
    double volumeScale(int channel) const;

    HourRecord hour(const QDate& date, int hour) const;
    Totals day(const QDate& date) const;
    // From installation to the end of `date`; zero before installation.
    Totals upToEndOf(const QDate& date) const;
    // From installation to the moment `t` (wall time); the running hour counts pro rata.
    Totals upTo(const QDateTime& t) const;

private:
    uint32_t m_seed;
    QDate m_installed;
    std::array<double, 4> m_level{};
    // End-of-day totals from the installation day on, filled as far as anyone asked.
    mutable std::vector<Totals> m_cumulative;
};

} // namespace rt570::sim
