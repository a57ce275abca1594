#include "link/TracingSerialLine.h"
#include "sim/ModemBank.h"
#include "sim/ModemOptions.h"
#include "sim/Simulator.h"

#include <rt570/Version.h>

#include <QStringList>
#include <csignal>
#include <cstdio>
#include <memory>

namespace {

volatile std::sig_atomic_t g_stop = 0;

void onSignal(int) {
    g_stop = 1;
}

void catchSignals() {
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0; // no restart: a signal wakes the line loop at once
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
}

} // namespace

int main(int argc, char** argv) {
    using namespace rt570::sim;
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);

    SimOptions options;
    ModemOptions modem;
    QString error;
    if (!parseSimArguments(arguments, options, modem, &error)) {
        std::fprintf(stderr, "rt570-sim: %s\n%s%s", qPrintable(error), qPrintable(simUsage()),
                     qPrintable(modemUsage()));
        return 2;
    }
    if (options.help) {
        std::fputs(qPrintable(simUsage() + modemUsage()), stdout);
        return 0;
    }
    if (options.version) {
        std::printf("rt570-sim %s\n", RT570_VERSION);
        return 0;
    }

    if (options.trace)
        rt570::enableTraceLogging();
    catchSignals();
    Simulator simulator(options);
    std::shared_ptr<ModemBank> bank;
    if (!modem.numbers.empty()) {
        bank = std::make_shared<ModemBank>(modem.numbers, options);
        simulator.putInFront(std::make_unique<HayesModem>(
            [bank](const QByteArray& number) { return bank->route(number); }, modem.settings));
    } else if (modem.enabled) {
        simulator.putInFront(std::make_unique<HayesModem>(simulator.meter(), modem.settings));
    }
    if (!simulator.open(&error)) {
        std::fprintf(stderr, "rt570-sim: %s\n", qPrintable(error));
        return 1;
    }
    std::printf("%s\n", qPrintable(simulator.slavePath()));
    std::fflush(stdout);
    // With a bank the one meter is not reachable: each number names its own.
    const QString who =
        bank ? QStringLiteral("modem bank, meters")
             : QStringLiteral("meter %1").arg(double(simulator.model().parameter(0)), 0, 'f', 0);
    std::fprintf(stderr, "rt570-sim: %s at address %d on %s%s%s\n", qPrintable(who),
                 int(options.address), qPrintable(simulator.slavePath()),
                 options.link.isEmpty() ? "" : ", link ", qPrintable(options.link));
    if (bank)
        for (const QString& line : bank->describe())
            std::fprintf(stderr, "rt570-sim: dial %s\n", qPrintable(line));
    simulator.run([] { return g_stop != 0; });
    return 0;
}
