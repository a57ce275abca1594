#pragma once

#include <QDate>
#include <QDateTime>
#include <QTime>
#include <QTimeZone>

namespace rt570 {

// The meter's clock carries no zone. Its wall times are held as UTC, which has no
// daylight-saving gaps, so that the PC's zone never moves or drops one; read them back with
// date() and time(). An invalid date gives an invalid time.
inline QDateTime meterWallTime(const QDate& date, const QTime& time) {
    return QDateTime(date, time, QTimeZone::utc());
}

} // namespace rt570
