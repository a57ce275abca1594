#include "sim/MeterArchive.h"

#include "sim/MeterDate.h"

#include <algorithm>

namespace rt570::sim {
namespace {

void setMeanFlows(const FlowHistory& history, ArchiveRecord& r) {
    for (size_t c = 0; c < 4; ++c) {
        const int64_t operating = r.totals.operating[c];
        if (operating > 0)
            r.meanFlow[c] = float(double(r.totals.volume[c]) / history.volumeScale(int(c)) /
                                  (double(operating) / kFullHour));
    }
}

ArchiveRecord hourly(const FlowHistory& history, const DateCodeFields& f, const QDateTime& now) {
    ArchiveRecord r;
    const QDate date = calendarDay(f);
    if (!date.isValid() || f.hour >= kHoursPerDay || wallTime(date, f.hour).addSecs(3600) > now)
        return r;
    if (date < history.installed())
        return r;
    const HourRecord h = history.hour(date, f.hour);
    r.known = true;
    r.meanFlow = h.flow;
    r.totals += h;
    return r;
}

ArchiveRecord daily(const FlowHistory& history, const DateCodeFields& f, const QDateTime& now) {
    ArchiveRecord r;
    const QDate date = calendarDay(f);
    if (!date.isValid() || wallTime(date.addDays(1)) > now)
        return r;
    r.known = true;
    r.totals = history.upToEndOf(date) - history.upToEndOf(date.addDays(-1));
    setMeanFlows(history, r);
    return r;
}

QDate reportingDate(int year, int month, int day) {
    const QDate first(year, month, 1);
    return QDate(year, month, std::min(day, first.daysInMonth()));
}

ArchiveRecord monthly(const FlowHistory& history, const DateCodeFields& f, const QDateTime& now) {
    ArchiveRecord r;
    if (!QDate(f.year, f.month, 1).isValid() || f.day < 1 || f.day > 31)
        return r;
    const QDate end = reportingDate(f.year, f.month, f.day);
    const QDate previous = QDate(f.year, f.month, 1).addMonths(-1);
    const QDate start = reportingDate(previous.year(), previous.month(), f.day);
    if (wallTime(end.addDays(1)) > now)
        return r;
    r.known = true;
    r.totals = history.upToEndOf(end) - history.upToEndOf(start);
    setMeanFlows(history, r);
    return r;
}

ArchiveRecord integrators(const FlowHistory& history, const DateCodeFields& f,
                          const QDateTime& now) {
    ArchiveRecord r;
    const QDate date = calendarDay(f);
    if (!date.isValid() || wallTime(date.addDays(1)) > now)
        return r;
    r.known = true;
    r.totals = history.upToEndOf(date);
    // Flows of an integrator record: the means of that day.
    const Totals day = r.totals - history.upToEndOf(date.addDays(-1));
    for (size_t c = 0; c < 4; ++c)
        if (day.operating[c] > 0)
            r.meanFlow[c] = float(double(day.volume[c]) / history.volumeScale(int(c)) /
                                  (double(day.operating[c]) / kFullHour));
    return r;
}

} // namespace

int32_t wrap32(int64_t value) {
    return int32_t(uint32_t(uint64_t(value)));
}

float ArchiveRecord::floatValue(uint8_t quantity) const {
    return quantity < 4 ? meanFlow[quantity] : 0.0f;
}

int32_t ArchiveRecord::integerValue(uint8_t quantity) const {
    if (quantity < 4)
        return wrap32(totals.volume[quantity]);
    if (quantity == kMainsQuantity)
        return wrap32(totals.mains);
    if (quantity < kArchiveQuantities)
        return wrap32(totals.operating[quantity - kFirstOperatingQuantity]);
    return 0;
}

ArchiveRecord archiveRecord(const FlowHistory& history, uint8_t kind, uint32_t dateCode,
                            const QDateTime& now) {
    const DateCodeFields f = unpackDateCode(dateCode);
    switch (kind) {
    case kKindHourly:
        return hourly(history, f, now);
    case kKindDaily:
        return daily(history, f, now);
    case kKindMonthly:
        return monthly(history, f, now);
    case kKindIntegrators:
        return integrators(history, f, now);
    default:
        return ArchiveRecord{};
    }
}

} // namespace rt570::sim
