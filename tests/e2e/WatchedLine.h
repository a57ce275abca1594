#pragma once

#include "link/ForwardingSerialLine.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <functional>
#include <vector>

namespace rt570::test {

// Passes every call on to a real serial line and records the reads: what each asked for, what
// it delivered and how long it took. `beforeRead` runs at the start of each read, so a test can
// time bytes on the line against the reads of an attempt.
class WatchedLine : public ForwardingSerialLine {
public:
    struct Read {
        int timeoutMs = 0;
        int count = 0;
        uint16_t result = 0;
        QByteArray bytes; // the bytes at the start of the buffer after the read
        long long elapsedMs = 0;
    };

    explicit WatchedLine(SerialLine& line) : ForwardingSerialLine(line) {}

    int Send_Binary(uint8_t port, const uint8_t* buf, int count) override {
        ++sends;
        return inner().Send_Binary(port, buf, count);
    }
    uint16_t Receive_Binary(uint8_t port, uint8_t* buf, int timeoutMs, int count) override {
        if (beforeRead)
            beforeRead(int(reads.size()), timeoutMs);
        QElapsedTimer timer;
        timer.start();
        const uint16_t result = inner().Receive_Binary(port, buf, timeoutMs, count);
        reads.push_back({timeoutMs, count, result,
                         QByteArray(reinterpret_cast<const char*>(buf), result), timer.elapsed()});
        return result;
    }

    std::function<void(int readIndex, int timeoutMs)> beforeRead;
    std::vector<Read> reads;
    int sends = 0;
};

} // namespace rt570::test
