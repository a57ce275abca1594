#pragma once

#include "link/Frame.h"
#include "support/FakeSerialLine.h"
#include "support/KnownMeter.h"
#include "support/QStringPrinter.h"

#include <QByteArray>
#include <QStringList>
#include <map>
#include <set>

namespace rt570::test {

// A meter behind the fake line: answers parameter, current-value and clock requests from its
// tables and archive requests from the known archive; slots listed as silent (and commands it
// does not know) get no answer.
struct FakeMeter {
    std::map<int, float> parameters; // command 5
    std::map<int, float> floats;     // command 4
    std::map<int, int32_t> integers; // command 8
    uint32_t dateCode = 0;           // command 1
    uint8_t seconds = 0;
    std::set<int> silentParameters;
    bool silent = false;

    static QByteArray frame(const ReplyFrame& f) {
        return QByteArray(reinterpret_cast<const char*>(f.data()), kFrameLength);
    }

    QByteArray answer(const QByteArray& sent) const {
        if (silent || sent.size() != kFrameLength)
            return QByteArray();
        const uint8_t command = uint8_t(sent[2]);
        const uint8_t index = uint8_t(sent[3]);
        const uint8_t address = uint8_t(sent[1]);
        auto find = [](const auto& table, int key) {
            const auto it = table.find(key);
            return it == table.end() ? typename std::decay_t<decltype(table)>::mapped_type{}
                                     : it->second;
        };
        switch (command) {
        case kCmdParameter:
            if (silentParameters.count(index))
                return QByteArray();
            return frame(
                makeReply(address, command, index, 0, bitsFromFloat(find(parameters, index))));
        case kCmdCurrentFloat:
            return frame(makeReply(address, command, index, 0, bitsFromFloat(find(floats, index))));
        case kCmdCurrentInteger:
            return frame(makeReply(address, command, index, 0, uint32_t(find(integers, index))));
        case kCmdReadClock:
            return frame(makeReply(address, command, seconds, 0, dateCode));
        case kCmdWriteClock:
            return frame(makeReply(address, command, 0, 0, 0));
        case kCmdArchiveFloat:
            return frame(makeReply(address, command, index, 0,
                                   bitsFromFloat(float(knownFlow(askOf(sent))))));
        case kCmdArchiveInteger:
            return frame(
                makeReply(address, command, index, 0, uint32_t(knownInteger(askOf(sent)))));
        default:
            return QByteArray();
        }
    }

    void attach(FakeSerialLine& line) const {
        line.responder = [this](const QByteArray& sent) { return answer(sent); };
    }
};

// The commands and indices of the frames sent, as "5:0 5:3 ...".
inline QString frameSummary(const std::vector<QByteArray>& frames) {
    QStringList parts;
    for (const QByteArray& f : frames)
        parts << QStringLiteral("%1:%2").arg(uint8_t(f[2])).arg(uint8_t(f[3]));
    return parts.join(QLatin1Char(' '));
}

} // namespace rt570::test
