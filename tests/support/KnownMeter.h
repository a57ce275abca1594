#pragma once

#include "link/DateCode.h"
#include "link/Frame.h"
#include "link/Protocol.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTextStream>
#include <gtest/gtest.h>
#include <map>

namespace rt570::test {

// The meter whose reports the golden files under tests/*/data hold, and those files.

// A file of the test tree by its path under tests/, e.g. "archives/data/monthly_2009_03.txt".
inline QByteArray testFile(const QString& relative) {
    QFile f(QStringLiteral(RT570_TESTS_DIR "/") + relative);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing test file>");
}

// The known meter's parameters by slot; slots not listed hold 0.
inline std::map<int, float> knownMeterParameters() {
    std::map<int, float> parameters;
    QFile f(QStringLiteral(RT570_TESTS_DIR "/readings/data/known_meter_parameters.txt"));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly | QIODevice::Text));
    QTextStream in(&f);
    while (!in.atEnd()) {
        const QString line = in.readLine();
        if (line.startsWith('#') || line.trimmed().isEmpty())
            continue;
        const QStringList parts = line.split(' ');
        parameters[parts[0].toInt()] = parts[1].toFloat();
    }
    return parameters;
}

// One archive request as the meter sees it.
struct ArchiveAsk {
    uint8_t command = 0;
    uint8_t quantity = 0;
    uint8_t kind = 0;
    uint32_t code = 0;
    int yy() const { return unpackDateCode(code).year - kDateCodeBaseYear; }
    int month() const { return unpackDateCode(code).month; }
    int day() const { return unpackDateCode(code).day; }
    int hour() const { return unpackDateCode(code).hour; }
};

inline ArchiveAsk askOf(const QByteArray& frame) {
    const Frame b = frameAt(frame);
    return {b[2], b[3], b[4], frameData(b)};
}

// The known archive: every value follows from the quantity, the kind and the date code, so a
// report of any date can be checked against numbers worked out by hand.
//  flows (command 11):        10*(q+1) + day + hour/8 + kind/2   m3/h (exact in binary; the
//                             eighths give halves to round at one and two decimals)
//  volumes (command 12, 0..3): 1000000*(q+1) + 1000*day + 10*month + kind
//  hours (command 12, 4..8):  hourly 10000 (one hour), mains 9000 on odd hours;
//                             other kinds 240000 - 10000*q - 100*day
inline double knownFlow(const ArchiveAsk& a) {
    return 10.0 * (a.quantity + 1) + a.day() + a.hour() / 8.0 + a.kind / 2.0;
}
inline int32_t knownInteger(const ArchiveAsk& a) {
    if (a.quantity < 4)
        return 1000000 * (a.quantity + 1) + 1000 * a.day() + 10 * a.month() + a.kind;
    if (a.kind == kKindHourly)
        return a.quantity == kMainsQuantity && a.hour() % 2 == 1 ? 9000 : 10000;
    return 240000 - 10000 * a.quantity - 100 * a.day();
}

inline QByteArray replyWith(uint8_t command, uint32_t data) {
    const ReplyFrame f = makeReply(1, command, 0, 0, data);
    return QByteArray(reinterpret_cast<const char*>(f.data()), kFrameLength);
}

} // namespace rt570::test
