#pragma once

#include "link/Frame.h"

#include <QByteArray>
#include <QDateTime>

namespace rt570::sim::test {

// A PC clock that stands still at 2014-03-20 12:00:30.
inline QDateTime fixedPcTime() {
    return QDateTime(QDate(2014, 3, 20), QTime(12, 0, 30), Qt::LocalTime);
}

inline QByteArray bytesOf(const Frame& f) {
    return QByteArray(reinterpret_cast<const char*>(f.data()), kFrameLength);
}

inline QByteArray request(uint8_t address, uint8_t command, uint8_t index = 0, uint8_t extra = 0,
                          uint32_t data = 0) {
    return bytesOf(makeRequest(address, command, index, extra, data));
}

} // namespace rt570::sim::test
