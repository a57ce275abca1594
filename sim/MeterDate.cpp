#include "sim/MeterDate.h"

namespace rt570::sim {

QDate calendarDay(const DateCodeFields& fields) {
    return QDate(fields.year, fields.month, fields.day);
}

uint32_t dateCodeAt(const QDateTime& time) {
    const QDate d = time.date();
    const QTime t = time.time();
    return packDateCode(d.year() - kDateCodeBaseYear, d.month(), d.day(), t.hour(), t.minute());
}

QDateTime wallTime(const QDate& date, int hour, int minute, int second) {
    return QDateTime(date, QTime(hour, minute, second), Qt::UTC);
}

} // namespace rt570::sim
