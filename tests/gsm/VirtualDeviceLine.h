#pragma once

#include "link/SerialLine.h"
#include "sim/LineDevice.h"

#include <QByteArray>
#include <algorithm>
#include <cstring>
#include <map>
#include <vector>

namespace rt570::test {

// A serial line to a simulated device on a virtual clock, in milliseconds. What is sent reaches
// the device at the line's present time; each chunk the device answers is due its delay later,
// unless the device withdraws it before then. A read takes the bytes due by then and, when they
// are too few, moves the clock on to the next due chunk or to the end of its time-out: no read
// sleeps. Without a device the line is silent.
class VirtualDeviceLine : public SerialLine {
public:
    explicit VirtualDeviceLine(sim::LineDevice* device) : m_device(device) {}

    void Open_Com(uint8_t, uint32_t, int, int, int) override {}
    void Close_Com(uint8_t) override {}
    int Send_Binary(uint8_t, const uint8_t* buf, int count) override {
        const QByteArray bytes(reinterpret_cast<const char*>(buf), count);
        sent.push_back({now, bytes});
        if (m_device)
            for (const sim::Transmission& t : m_device->feed(bytes))
                m_queue.emplace(now + t.delayMs, t);
        return count;
    }
    uint16_t Receive_Binary(uint8_t, uint8_t* buf, int timeoutMs, int count) override {
        const long long until = now + std::max(0, timeoutMs);
        for (;;) {
            takeDue();
            if (m_arrived.size() >= count)
                break;
            if (m_queue.empty() || m_queue.begin()->first > until) {
                now = until;
                break;
            }
            now = std::max(now, m_queue.begin()->first);
        }
        const int got = std::min<int>(count, int(m_arrived.size()));
        std::memcpy(buf, m_arrived.constData(), size_t(got));
        m_arrived.remove(0, got);
        return uint16_t(got);
    }

    // Lets time pass without a read: what falls due meanwhile waits in the input.
    void wait(long long ms) {
        now += ms;
        takeDue();
    }
    const QByteArray& pendingInput() const { return m_arrived; }

    struct Sent {
        long long at = 0;
        QByteArray bytes;
    };
    std::vector<Sent> sent;
    long long now = 0;

private:
    void takeDue() {
        while (!m_queue.empty() && m_queue.begin()->first <= now) {
            const sim::Transmission& t = m_queue.begin()->second;
            if (t.ticket == 0 || !m_device->withdrawn(t.ticket))
                m_arrived += t.bytes;
            m_queue.erase(m_queue.begin());
        }
    }

    sim::LineDevice* m_device;
    std::multimap<long long, sim::Transmission> m_queue;
    QByteArray m_arrived;
};

} // namespace rt570::test
