#pragma once

#include "link/ClockReply.h"

#include <QDateTime>
#include <QString>
#include <cstdint>

namespace rt570 {

class RunState;

// The clock request (16 attempts) and its display in the date and time labels; what it read.
ClockReply ReadClock(RunState& session);
// The meter's clock as its wall time, for the figures: the clock request (16 attempts), the
// date and time labels left as they are. Invalid when the meter did not answer or its answer
// names no date and time.
QDateTime readMeterClock(RunState& session);
// "Время ПК в прибор": the PC's clock to the meter.
void writePcClock(RunState& session);

// "Дата:  2014.01.05 " and "Время:  09:07:03" from a DateCode and the seconds.
QString clockDateText(uint32_t dateCode);
QString clockTimeText(uint32_t dateCode, uint8_t seconds);
// The meter's wall time a DateCode and the seconds name; invalid when they name no date or time.
QDateTime meterClockTime(uint32_t dateCode, uint8_t seconds);

} // namespace rt570
