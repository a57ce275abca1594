#include "cli/ReportSetLocks.h"

#include <chrono>
#include <utility>

namespace rt570::cli {

ReportSetLocks::Held& ReportSetLocks::Held::operator=(Held&& other) noexcept {
    if (this != &other) {
        release();
        m_locks = std::exchange(other.m_locks, nullptr);
        m_key = std::move(other.m_key);
    }
    return *this;
}

void ReportSetLocks::Held::release() {
    if (m_locks)
        std::exchange(m_locks, nullptr)->give(m_key);
}

ReportSetLocks::Held ReportSetLocks::take(const QString& key,
                                          const std::function<bool()>& stopAsked, int pollMs) {
    std::unique_lock<std::mutex> lock(m_mutex);
    while (m_held.count(key) != 0) {
        if (stopAsked && stopAsked())
            return {};
        m_released.wait_for(lock, std::chrono::milliseconds(pollMs));
    }
    m_held.insert(key);
    return Held(this, key);
}

void ReportSetLocks::give(const QString& key) {
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_held.erase(key);
    }
    m_released.notify_all();
}

} // namespace rt570::cli
