// Feeds arbitrary bytes to every request routine as the line's replies: reply checking and the
// decoding of each command must never crash or read outside the buffers.
#include "link/Host.h"
#include "link/Link.h"
#include "link/SerialLine.h"

#include <algorithm>
#include <cstring>

namespace {

class FuzzLine : public rt570::SerialLine {
public:
    FuzzLine(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
    void Open_Com(uint8_t, uint32_t, int, int, int) override {}
    void Close_Com(uint8_t) override {}
    int Send_Binary(uint8_t, const uint8_t*, int count) override { return count; }
    uint16_t Receive_Binary(uint8_t, uint8_t* buf, int, int count) override {
        // The first input byte of each read says how many bytes arrive (at most `count`).
        if (m_pos >= m_size)
            return 0;
        size_t n = std::min<size_t>(m_data[m_pos++] % (size_t(count) + 1), m_size - m_pos);
        std::memcpy(buf, m_data + m_pos, n);
        m_pos += n;
        return uint16_t(n);
    }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_pos = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzLine line(data, size);
    rt570::NullHost host;
    rt570::Link link(line, host);
    link.setDeviceAddress(size > 0 ? data[0] : 0);
    for (int index : {0, 3, 255}) {
        link.ReadParameter(uint8_t(index));
        link.ReadCurrentFloat(uint8_t(index));
        link.ReadCurrentInteger(uint8_t(index));
    }
    const rt570::ClockReply clock = link.requestClock();
    link.WriteClock(clock.seconds, clock.dateCode);
    link.request(rt570::kCmdArchiveFloat, 8, 4, 903150700, rt570::kFlushTimeoutMs,
                 rt570::kRequestAttempts);
    link.request(rt570::kCmdArchiveInteger, 0, 2, 4294967295u, rt570::kFlushTimeoutMs,
                 rt570::kIntegratorAttempts);
    (void)link.replyFloat();
    return 0;
}
