#include "sim/MeterModel.h"

#include "sim/MeterArchive.h"
#include "sim/MeterDate.h"
#include "sim/SimRandom.h"

#include <cmath>

namespace rt570::sim {
namespace {

// A meter's clock is never quite right: it starts up to a minute and a half off the PC.
constexpr int kLargestDriftMs = 90000;
constexpr uint64_t kDriftStream = 0xC10C;
// Installed two to three years before the simulation starts.
constexpr int kInstalledDaysBefore = 730;
constexpr int kInstalledSpreadDays = 365;
constexpr uint64_t kInstalledStream = 0x1457;

QDate installationDate(uint32_t seed, const QDateTime& pcTime) {
    return pcTime.date().addDays(-kInstalledDaysBefore -
                                 qint64(unitRandom(seed, kInstalledStream) * kInstalledSpreadDays));
}

} // namespace

MeterModel::MeterModel(uint32_t seed, uint32_t serial, uint8_t address, PcClock pcClock)
    : clock(std::move(pcClock)), m_seed(seed),
      m_parameters(makeParameters(seed, serial ? serial : defaultSerial(seed), address)),
      m_history(seed, installationDate(seed, clock())) {
    m_offsetMs = qint64((unitRandom(seed, kDriftStream) * 2 - 1) * kLargestDriftMs);
}

QDateTime MeterModel::meterTime() const {
    const QDateTime pc = clock();
    return wallTime(pc.date(), 0).addMSecs(pc.time().msecsSinceStartOfDay() + m_offsetMs);
}

ClockReading MeterModel::readClock() const {
    const QDateTime now = meterTime();
    return ClockReading{dateCodeAt(now), uint8_t(now.time().second())};
}

bool MeterModel::setClock(uint32_t dateCode, uint8_t seconds) {
    const DateCodeFields f = unpackDateCode(dateCode);
    if (!calendarDay(f).isValid() || !QTime::isValid(f.hour, f.minute, seconds))
        return false;
    const QDateTime target = wallTime(calendarDay(f), f.hour, f.minute, seconds);
    const QDateTime pc = clock();
    const QDateTime pcWall = wallTime(pc.date()).addMSecs(pc.time().msecsSinceStartOfDay());
    m_offsetMs = pcWall.msecsTo(target);
    return true;
}

float MeterModel::currentFloat(uint8_t index) const {
    if (index >= 4)
        return 0.0f;
    const QDateTime now = meterTime();
    const HourRecord h = m_history.hour(now.date(), now.time().hour());
    const int second = now.time().minute() * 60 + now.time().second();
    return float(double(h.flow[index]) * (1.0 + 0.02 * std::sin(second * 0.1)));
}

int32_t MeterModel::currentInteger(uint8_t index) const {
    const Totals t = m_history.upTo(meterTime());
    if (index < kCurrentFaultTimes)
        return wrap32(t.volume[index]);
    if (index < kCurrentMains)
        return wrap32(t.mains - t.operating[index - kCurrentFaultTimes]);
    if (index == kCurrentMains)
        return wrap32(t.mains);
    if (index < kCurrentOperating + 4)
        return wrap32(t.operating[index - kCurrentOperating]);
    return 0;
}

float MeterModel::archiveFloat(uint8_t kind, uint8_t quantity, uint32_t dateCode) const {
    return archiveRecord(m_history, kind, dateCode, meterTime()).floatValue(quantity);
}

int32_t MeterModel::archiveInteger(uint8_t kind, uint8_t quantity, uint32_t dateCode) const {
    return archiveRecord(m_history, kind, dateCode, meterTime()).integerValue(quantity);
}

} // namespace rt570::sim
