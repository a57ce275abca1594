#include "cli/StopSignal.h"

#include <csignal>

namespace rt570::cli {

namespace {

volatile std::sig_atomic_t g_caught = 0;

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
    if (g_caught == 0)
        g_caught = signal;
    for (const int s : kStopSignals)
        setHandler(s, SIG_DFL);
}

} // namespace

void catchStopSignals() {
    for (const int s : kStopSignals)
        setHandler(s, noteStopSignal);
}

int stopSignal() {
    return int(g_caught);
}

} // namespace rt570::cli
