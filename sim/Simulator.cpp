#include "sim/Simulator.h"

namespace rt570::sim {

Simulator::Simulator(const SimOptions& options)
    : m_options(options), m_model(options.seed, options.serial, options.address),
      m_protocol(m_model, options.address), m_faults(options.faults, options.seed),
      m_meter(m_protocol, m_faults, options.latencyMs) {}

bool Simulator::open(QString* error) {
    // The meter's history up to now is summed here once, not inside the first reply's time.
    (void)m_model.currentInteger(0);
    if (!m_pty.open(error))
        return false;
    if (!m_options.link.isEmpty() && !m_pty.makeLink(m_options.link, error)) {
        m_pty.close();
        return false;
    }
    return true;
}

void Simulator::run(const std::function<bool()>& stopRequested) {
    LineDevice& device = m_front ? *m_front : m_meter;
    LineRunner runner(m_pty.masterFd(), device, m_options.baud);
    runner.run(stopRequested);
    m_pty.close();
}

} // namespace rt570::sim
