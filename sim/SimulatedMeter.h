#pragma once

#include "sim/FaultInjector.h"
#include "sim/LineDevice.h"
#include "sim/MeterProtocol.h"

namespace rt570::sim {

// The meter as the line sees it: the protocol answering from the model, each reply after the
// meter's latency and through the fault injector.
class SimulatedMeter : public LineDevice {
public:
    SimulatedMeter(MeterProtocol& protocol, FaultInjector& faults, int latencyMs)
        : m_protocol(protocol), m_faults(faults), m_latencyMs(latencyMs) {}

    Transmissions feed(const QByteArray& in) override;

private:
    MeterProtocol& m_protocol;
    FaultInjector& m_faults;
    int m_latencyMs = 0;
};

} // namespace rt570::sim
