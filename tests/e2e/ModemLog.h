#pragma once

#include "sim/HayesModem.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <chrono>
#include <functional>
#include <mutex>
#include <thread>

namespace rt570::test {

// Put in front of the simulated modem: passes every byte on and keeps what the modem has taken,
// so that a test can wait until a command has been dealt with before it goes on.
class ModemLog : public sim::LineDevice {
public:
    explicit ModemLog(sim::LineDevice& modem) : m_modem(modem) {}

    sim::Transmissions feed(const QByteArray& in) override {
        sim::Transmissions out = m_modem.feed(in);
        std::lock_guard<std::mutex> lock(m_mutex);
        m_taken += in;
        return out;
    }

    // Waits until the modem has taken `bytes`, up to `deadlineMs`; true when it has. The
    // window's event loop does not run meanwhile, so none of its timers fires.
    bool waitUntilTaken(const QByteArray& bytes, int deadlineMs = 10000) const {
        QElapsedTimer timer;
        timer.start();
        while (!taken(bytes)) {
            if (timer.elapsed() > deadlineMs)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return true;
    }

    // All the modem has taken so far.
    QByteArray takenSoFar() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_taken;
    }

private:
    bool taken(const QByteArray& bytes) const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_taken.contains(bytes);
    }

    sim::LineDevice& m_modem;
    mutable std::mutex m_mutex;
    QByteArray m_taken;
};

// A clock for the simulated modem on which each arrival of bytes comes `stepMs` after the one
// before: every pause is a guard time of silence and every dial has been answered by the next
// bytes, however the threads happen to be scheduled. Read by the modem's thread only.
inline std::function<long long()> steppingClock(long long stepMs) {
    return [stepMs, now = 0LL]() mutable { return now += stepMs; };
}

} // namespace rt570::test
