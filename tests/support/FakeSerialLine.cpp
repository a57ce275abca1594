#include "support/FakeSerialLine.h"

#include <algorithm>
#include <cstring>

namespace rt570::test {

void FakeSerialLine::Open_Com(uint8_t port, uint32_t rate, int dataBits, int parity, int stopBits) {
    Call c;
    c.kind = Call::Open;
    c.port = port;
    c.rate = rate;
    c.dataBits = dataBits;
    c.parity = parity;
    c.stopBits = stopBits;
    calls.push_back(c);
}

void FakeSerialLine::Close_Com(uint8_t port) {
    Call c;
    c.kind = Call::Close;
    c.port = port;
    calls.push_back(c);
}

int FakeSerialLine::Send_Binary(uint8_t port, const uint8_t* buf, int count) {
    Call c;
    c.kind = Call::Send;
    c.port = port;
    c.bytes = QByteArray(reinterpret_cast<const char*>(buf), count);
    calls.push_back(c);
    if (!replies.empty()) {
        pending += replies.front();
        replies.pop_front();
    } else if (responder) {
        pending += responder(c.bytes);
    }
    return count;
}

uint16_t FakeSerialLine::Receive_Binary(uint8_t port, uint8_t* buf, int timeoutMs, int count) {
    if (onRead)
        onRead(reads);
    ++reads;
    const int n = std::min<int>(count, int(pending.size()));
    if (n > 0)
        std::memcpy(buf, pending.constData(), size_t(n));
    Call c;
    c.kind = Call::Receive;
    c.port = port;
    c.bytes = pending.left(n);
    c.timeoutMs = timeoutMs;
    c.count = count;
    calls.push_back(c);
    pending.remove(0, n);
    if (n < count)
        virtualMs += timeoutMs;
    return uint16_t(n);
}

void FakeSerialLine::queueSilence(int attempts) {
    for (int i = 0; i < attempts; ++i)
        replies.push_back(QByteArray());
}

std::vector<QByteArray> FakeSerialLine::sentFrames() const {
    std::vector<QByteArray> frames;
    for (const Call& c : calls)
        if (c.kind == Call::Send)
            frames.push_back(c.bytes);
    return frames;
}

int FakeSerialLine::count(Call::Kind kind) const {
    return int(std::count_if(calls.begin(), calls.end(),
                             [kind](const Call& c) { return c.kind == kind; }));
}

QByteArray hexBytes(const char* text) {
    return QByteArray::fromHex(QByteArray(text));
}

QByteArray toHex(const QByteArray& bytes) {
    return bytes.toHex(' ').toUpper();
}

} // namespace rt570::test
