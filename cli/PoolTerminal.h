#pragma once

#include "cli/LinePool.h"

#include <QString>
#include <functional>
#include <mutex>

namespace rt570::cli {

class CliHost;

// The run's stderr shared by the modem lines' threads: one message at a time, and the pool's
// progress line, drawn again under each message on a terminal.
class PoolTerminal {
public:
    explicit PoolTerminal(CliHost& host) : m_host(host) {}

    void message(const QString& text);
    // Runs `write` (to stdout, which may be the same terminal) with the progress line off.
    void aside(const std::function<void()>& write);
    // The progress line, rewritten in place (on a terminal with progress on; else nothing).
    void showProgress(const QString& text);
    // Takes the progress line off the terminal.
    void finish();

private:
    std::mutex m_mutex;
    CliHost& m_host;
    QString m_progress;
};

// "3/8 nodes done, 2/2 lines busy, 1 failed, about 1 min 20 s left": the time left is
// left out until a node has ended.
QString progressText(const PoolProgress& progress);

} // namespace rt570::cli
