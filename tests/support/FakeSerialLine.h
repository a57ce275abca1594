#pragma once

#include "link/SerialLine.h"

#include <QByteArray>
#include <deque>
#include <functional>
#include <vector>

namespace rt570::test {

// A scripted serial line. It records every call with its bytes; each frame sent takes the next
// scripted reply off the queue and puts it on the line, where the following reads find it.
// Reads never sleep: a read that gets fewer bytes than asked counts its time-out as elapsed
// virtual time.
class FakeSerialLine : public SerialLine {
public:
    struct Call {
        enum Kind { Open, Close, Send, Receive };
        Kind kind = Open;
        uint8_t port = 0;
        QByteArray bytes;  // sent, or delivered by a read
        int timeoutMs = 0; // reads
        int count = 0;     // reads: bytes asked for
        uint32_t rate = 0; // opens
        int dataBits = 0, parity = 0, stopBits = 0;
    };

    void Open_Com(uint8_t port, uint32_t rate, int dataBits, int parity, int stopBits) override;
    void Close_Com(uint8_t port) override;
    int Send_Binary(uint8_t port, const uint8_t* buf, int count) override;
    uint16_t Receive_Binary(uint8_t port, uint8_t* buf, int timeoutMs, int count) override;

    // One reply per frame sent, in order; an empty entry is a silent attempt. When the queue is
    // empty the responder (if set) answers, else the line stays silent.
    void queueReply(const QByteArray& bytes) { replies.push_back(bytes); }
    void queueSilence(int attempts = 1);
    std::function<QByteArray(const QByteArray& sent)> responder;
    // Bytes put on the line before the next read, as a late reply or noise would be.
    void putOnLine(const QByteArray& bytes) { pending += bytes; }

    // Runs at the start of every read with the number of reads made before it.
    std::function<void(int readIndex)> onRead;

    std::vector<QByteArray> sentFrames() const;
    int count(Call::Kind kind) const;
    void clear() { calls.clear(); }

    std::vector<Call> calls;
    std::deque<QByteArray> replies;
    QByteArray pending;
    long long virtualMs = 0;
    int reads = 0;
};

// "23 01 05" -> bytes.
QByteArray hexBytes(const char* text);
// bytes -> "23 01 05".
QByteArray toHex(const QByteArray& bytes);

} // namespace rt570::test
