#include "cli/PoolSchedule.h"

#include <algorithm>

namespace rt570::cli {

PoolSchedule::PoolSchedule(int nodes, int lines)
    : m_nodes(size_t(std::max(nodes, 0))), m_lines(size_t(std::max(lines, 0)), Line::Unknown) {
    for (int n = 0; n < nodes; ++n)
        m_queue.push_back(n);
}

void PoolSchedule::lineOpened(int line, bool usable) {
    m_lines[size_t(line)] = usable ? Line::Free : Line::Gone;
}

bool PoolSchedule::started() const {
    return std::none_of(m_lines.begin(), m_lines.end(),
                        [](Line line) { return line == Line::Unknown; });
}

int PoolSchedule::linesInPool() const {
    return int(std::count_if(m_lines.begin(), m_lines.end(),
                             [](Line line) { return line == Line::Free || line == Line::Busy; }));
}

int PoolSchedule::linesBusy() const {
    return int(std::count(m_lines.begin(), m_lines.end(), Line::Busy));
}

std::vector<std::pair<int, int>> PoolSchedule::handOut() {
    std::vector<std::pair<int, int>> starts;
    if (!started() || m_stopped)
        return starts;
    for (size_t line = 0; line < m_lines.size() && !m_queue.empty(); ++line) {
        if (m_lines[line] != Line::Free)
            continue;
        const int node = m_queue.front();
        m_queue.erase(m_queue.begin());
        m_lines[line] = Line::Busy;
        m_nodes[size_t(node)].state = State::Running;
        starts.emplace_back(node, int(line));
    }
    return starts;
}

void PoolSchedule::done(int line, int node, Fate fate) {
    m_lines[size_t(line)] = fate == Fate::Stays ? Line::Free : Line::Gone;
    Node& entry = m_nodes[size_t(node)];
    if (fate == Fate::Leaves && !entry.givenBack) {
        entry.givenBack = true;
        entry.state = State::Queued;
        m_queue.insert(m_queue.begin(), node);
        return;
    }
    entry.state = State::Done;
}

void PoolSchedule::stop() {
    m_stopped = true;
}

bool PoolSchedule::finished() {
    if (!started() || linesBusy() > 0)
        return false;
    if (!m_queue.empty() && !m_stopped && linesInPool() > 0)
        return false;
    for (const int node : m_queue)
        m_nodes[size_t(node)].state = m_stopped ? State::Skipped : State::Unserved;
    m_queue.clear();
    return true;
}

std::vector<int> PoolSchedule::printable() {
    std::vector<int> ready;
    while (m_printed < nodeCount()) {
        const State state = m_nodes[size_t(m_printed)].state;
        if (state == State::Queued || state == State::Running)
            break;
        if (state != State::Skipped)
            ready.push_back(m_printed);
        ++m_printed;
    }
    return ready;
}

int PoolSchedule::doneCount() const {
    return int(std::count_if(m_nodes.begin(), m_nodes.end(),
                             [](const Node& node) { return node.state == State::Done; }));
}

} // namespace rt570::cli
