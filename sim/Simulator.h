#pragma once

#include "sim/FaultInjector.h"
#include "sim/LineRunner.h"
#include "sim/MeterModel.h"
#include "sim/MeterProtocol.h"
#include "sim/PtyEndpoint.h"
#include "sim/SimOptions.h"
#include "sim/SimulatedMeter.h"

#include <functional>
#include <memory>

namespace rt570::sim {

// One simulated meter on its own pseudo-terminal, wired as the options say: model, protocol,
// faults and latency, the pty, the line loop. The program runs one; tests run one on a thread.
class Simulator {
public:
    explicit Simulator(const SimOptions& options);

    MeterModel& model() { return m_model; }
    MeterProtocol& protocol() { return m_protocol; }
    FaultInjector& faults() { return m_faults; }
    // The meter as the line sees it.
    LineDevice& meter() { return m_meter; }
    // Puts a device (a modem) between the line and the meter: the line then talks to it.
    void putInFront(std::unique_ptr<LineDevice> device) { m_front = std::move(device); }

    // Opens the pseudo-terminal, and makes the link when the options ask for one.
    bool open(QString* error);
    const QString& slavePath() const { return m_pty.slavePath(); }
    // Serves the line until `stopRequested` says so, then closes the terminal and the link.
    void run(const std::function<bool()>& stopRequested);

private:
    SimOptions m_options;
    MeterModel m_model;
    MeterProtocol m_protocol;
    FaultInjector m_faults;
    SimulatedMeter m_meter;
    std::unique_ptr<LineDevice> m_front;
    PtyEndpoint m_pty;
};

} // namespace rt570::sim
