#pragma once

#include "link/SerialLine.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <functional>
#include <vector>

namespace rt570::test {

// Passes every call on to a real serial line and records the reads: what each asked for, what
// it delivered and how long it took. `beforeRead` runs at the start of each read, so a test can
// time bytes on the line against the reads of an attempt.
class WatchedLine : public SerialLine {
public:
    struct Read {
        int timeoutMs = 0;
        int count = 0;
        uint16_t result = 0;
        QByteArray bytes; // the bytes at the start of the buffer after the read
        long long elapsedMs = 0;
    };

    explicit WatchedLine(SerialLine& inner) : m_inner(inner) {}

    void Open_Com(uint8_t port, uint32_t rate, int dataBits, int parity, int stopBits) override {
        m_inner.Open_Com(port, rate, dataBits, parity, stopBits);
    }
    void Close_Com(uint8_t port) override { m_inner.Close_Com(port); }
    int Send_Binary(uint8_t port, const uint8_t* buf, int count) override {
        ++sends;
        return m_inner.Send_Binary(port, buf, count);
    }
    uint16_t Receive_Binary(uint8_t port, uint8_t* buf, int timeoutMs, int count,
                            uint16_t* aux) override {
        if (beforeRead)
            beforeRead(int(reads.size()), timeoutMs);
        QElapsedTimer timer;
        timer.start();
        const uint16_t result = m_inner.Receive_Binary(port, buf, timeoutMs, count, aux);
        reads.push_back({timeoutMs, count, result,
                         QByteArray(reinterpret_cast<const char*>(buf), result), timer.elapsed()});
        return result;
    }

    std::function<void(int readIndex, int timeoutMs)> beforeRead;
    std::vector<Read> reads;
    int sends = 0;

private:
    SerialLine& m_inner;
};

} // namespace rt570::test
