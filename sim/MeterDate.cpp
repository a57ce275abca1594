#include "sim/MeterDate.h"

namespace rt570::sim {

DateCodeFields splitDateCode(uint32_t code) {
    DateCodeFields f;
    f.year = 2000 + int(code / 100000000u);
    f.month = int(code % 100000000u / 1000000u);
    f.day = int(code % 1000000u / 10000u);
    f.hour = int(code % 10000u / 100u);
    f.minute = int(code % 100u);
    return f;
}

uint32_t makeDateCode(const QDateTime& time) {
    const QDate d = time.date();
    const QTime t = time.time();
    return uint32_t(d.year() - 2000) * 100000000u + uint32_t(d.month()) * 1000000u +
           uint32_t(d.day()) * 10000u + uint32_t(t.hour()) * 100u + uint32_t(t.minute());
}

QDateTime wallTime(const QDate& date, int hour, int minute, int second) {
    return QDateTime(date, QTime(hour, minute, second), Qt::UTC);
}

} // namespace rt570::sim
