#include "readings/Clock.h"

#include "link/DateCode.h"
#include "link/OperationError.h"
#include "state/MeterTime.h"
#include "state/NumberText.h"
#include "state/OperationStop.h"
#include "state/RunState.h"

namespace rt570 {

namespace {

// The years a 32-bit date code can carry when the PC's clock is sent.
constexpr int kFirstSendableYear = 2001;
constexpr int kLastSendableYear = 2042;

} // namespace

QString clockDateText(uint32_t dateCode) {
    const DateCodeFields f = unpackDateCode(dateCode);
    return QStringLiteral("Дата:  %1.%2.%3 ")
        .arg(f.year)
        .arg(formatZeroPadded(f.month, 2), formatZeroPadded(f.day, 2));
}

QString clockTimeText(uint32_t dateCode, uint8_t seconds) {
    const DateCodeFields f = unpackDateCode(dateCode);
    return QStringLiteral("Время:  %1:%2:%3")
        .arg(formatZeroPadded(f.hour, 2), formatZeroPadded(f.minute, 2),
             formatZeroPadded(seconds, 2));
}

QDateTime meterClockTime(uint32_t dateCode, uint8_t seconds) {
    const DateCodeFields f = unpackDateCode(dateCode);
    const QTime time(f.hour, f.minute, seconds);
    if (!time.isValid())
        return QDateTime();
    return meterWallTime(QDate(f.year, f.month, f.day), time);
}

ClockReply ReadClock(RunState& session) {
    const ClockReply clock = session.link.requestClock();
    endIfStopped(session.link);
    session.display.dateLabel = clockDateText(clock.dateCode);
    session.display.timeLabel = clockTimeText(clock.dateCode, clock.seconds);
    session.changed();
    return clock;
}

QDateTime readMeterClock(RunState& session) {
    const ClockReply clock = session.link.requestClock();
    endIfStopped(session.link);
    if (!clock.answered)
        return QDateTime();
    return meterClockTime(clock.dateCode, clock.seconds);
}

void writePcClock(RunState& session) {
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
    session.link.WriteClock(uint8_t(time.second()),
                            packDateCode(year - kDateCodeBaseYear, date.month(), date.day(),
                                         time.hour(), time.minute()));
}

} // namespace rt570
