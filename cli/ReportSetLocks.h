#pragma once

#include <QString>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <set>

namespace rt570::cli {

// The report sets that the modem lines of one run are writing. Two nodes whose meters turn out
// to share a serial number in the same minute append to one report set; on two lines at once
// their reports would interleave line by line. A line takes its set before its first operation
// and gives it back once its files are closed, so the second connection's reports follow the
// first's whole, as a run of one line writes them.
class ReportSetLocks {
public:
    // A set held until this is destroyed or released.
    class Held {
    public:
        Held() = default;
        Held(Held&& other) noexcept { *this = std::move(other); }
        Held& operator=(Held&& other) noexcept;
        ~Held() { release(); }
        Held(const Held&) = delete;
        Held& operator=(const Held&) = delete;

        bool held() const { return m_locks != nullptr; }
        void release();

    private:
        friend class ReportSetLocks;
        Held(ReportSetLocks* locks, const QString& key) : m_locks(locks), m_key(key) {}
        ReportSetLocks* m_locks = nullptr;
        QString m_key;
    };

    // Waits until no other line holds `key` (the set's stem path) and takes it; gives up, and
    // returns a set not held, once `stopAsked` says so (checked every `pollMs`).
    Held take(const QString& key, const std::function<bool()>& stopAsked, int pollMs = 100);

private:
    void give(const QString& key);

    std::mutex m_mutex;
    std::condition_variable m_released;
    std::set<QString> m_held;
};

} // namespace rt570::cli
