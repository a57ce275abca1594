#pragma once

#include "sim/SimOptions.h"
#include "sim/Simulator.h"

#include <QTemporaryDir>
#include <atomic>
#include <memory>
#include <thread>

namespace rt570::test {

// A simulated meter on a pseudo-terminal, served by a thread of the test, linked as
// `<home>/com<port>` so that the Qt backend finds it as port `port` under `home`.
class SimOnPty {
public:
    SimOnPty(const sim::SimOptions& options, const QString& home, int port)
        : m_simulator(std::make_unique<sim::Simulator>(withLink(options, home, port))) {
        QString error;
        m_open = m_simulator->open(&error);
        if (m_open)
            m_thread = std::thread([this] { m_simulator->run([this] { return m_stop.load(); }); });
    }
    ~SimOnPty() { stop(); }

    bool isOpen() const { return m_open; }
    QString slavePath() const { return m_simulator->slavePath(); }
    // Ends the simulator: the pty master closes and the link goes away.
    void stop() {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
    }

private:
    static sim::SimOptions withLink(sim::SimOptions options, const QString& home, int port) {
        options.link = QStringLiteral("%1/com%2").arg(home).arg(port);
        return options;
    }

    std::unique_ptr<sim::Simulator> m_simulator;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
    bool m_open = false;
};

// Simulator options with no pacing and no faults, for the given address.
inline sim::SimOptions quickMeter(uint8_t address = 1) {
    sim::SimOptions o;
    o.address = address;
    o.seed = 570;
    o.baud = 0;
    return o;
}

} // namespace rt570::test
