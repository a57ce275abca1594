#include "readings/Clock.h"

#include "link/OperationError.h"
#include "session/Session.h"

namespace rt570 {

namespace {

// DateCode = YY*100000000 + MM*1000000 + DD*10000 + hh*100 + mm, YY = year - 2000.
constexpr uint32_t kYearFactor = 100000000;
constexpr uint32_t kMonthFactor = 1000000;
constexpr uint32_t kDayFactor = 10000;
constexpr uint32_t kHourFactor = 100;
constexpr int kBaseYear = 2000;
// The years a 32-bit date code can carry when the PC's clock is sent.
constexpr int kFirstSendableYear = 2001;
constexpr int kLastSendableYear = 2042;

// Decimal, with a leading "0" for 9 or less; larger numbers as they are (no range check).
QString twoDigits(uint32_t value) {
    return value <= 9 ? QStringLiteral("0%1").arg(value) : QString::number(value);
}

} // namespace

QString clockDateText(uint32_t dateCode) {
    const uint32_t year = dateCode / kYearFactor + kBaseYear;
    const uint32_t month = dateCode % kYearFactor / kMonthFactor;
    const uint32_t day = dateCode % kMonthFactor / kDayFactor;
    return QStringLiteral("Дата:  %1.%2.%3 ").arg(year).arg(twoDigits(month), twoDigits(day));
}

QString clockTimeText(uint32_t dateCode, uint8_t seconds) {
    const uint32_t hour = dateCode % kDayFactor / kHourFactor;
    const uint32_t minute = dateCode % kHourFactor;
    return QStringLiteral("Время:  %1:%2:%3")
        .arg(twoDigits(hour), twoDigits(minute), twoDigits(seconds));
}

void ReadClock(Session& session) {
    Link& link = session.link;
    link.requestClock();
    session.display.dateLabel = clockDateText(link.DateCode);
    session.display.timeLabel = clockTimeText(link.DateCode, link.ClockSeconds);
    session.changed();
}

void writePcClock(Session& session) {
    const QDateTime now = session.clock();
    const QDate date = now.date();
    const QTime time = now.time();
    const int year = date.year();
    if (year < kFirstSendableYear || year > kLastSendableYear)
        throw OperationError(
            QStringLiteral("Год на часах ПК (%1) вне диапазона %2–%3: время в прибор не записано.")
                .arg(year)
                .arg(kFirstSendableYear)
                .arg(kLastSendableYear));
    Link& link = session.link;
    link.DateCode = uint32_t(year - kBaseYear) * kYearFactor +
                    uint32_t(date.month()) * kMonthFactor + uint32_t(date.day()) * kDayFactor +
                    uint32_t(time.hour()) * kHourFactor + uint32_t(time.minute());
    link.ClockSeconds = uint8_t(time.second());
    link.WriteClock();
}

} // namespace rt570
