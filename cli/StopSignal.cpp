#include "cli/StopSignal.h"

#include <atomic>
#include <csignal>

namespace rt570::cli {

namespace {

// Set by the handler, read by every modem line's thread: a lock-free atomic is safe in both.
std::atomic<int> g_caught{0};
static_assert(std::atomic<int>::is_always_lock_free, "the stop flag must be lock-free");

#ifdef _WIN32
const int kStopSignals[] = {SIGTERM, SIGINT};
#else
const int kStopSignals[] = {SIGTERM, SIGINT, SIGHUP};
#endif

void setHandler(int signal, void (*handler)(int)) {
#ifdef _WIN32
    std::signal(signal, handler);
#else
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    sigaction(signal, &action, nullptr); // safe in a signal handler
#endif
}

extern "C" void noteStopSignal(int signal) {
    int none = 0;
    g_caught.compare_exchange_strong(none, signal);
    for (const int s : kStopSignals)
        setHandler(s, SIG_DFL);
}

} // namespace

void catchStopSignals() {
    for (const int s : kStopSignals)
        setHandler(s, noteStopSignal);
}

int stopSignal() {
    return g_caught.load();
}

} // namespace rt570::cli
