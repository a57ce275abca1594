#pragma once

#include "cli/CliOptions.h"

#include <QDateTime>
#include <QString>
#include <cstdio>
#include <functional>

namespace rt570 {
class SerialLine;
}

namespace rt570::cli {

class CliHost;

// Exit statuses of a run.
enum ExitStatus {
    kExitOk = 0,         // every request of the run was answered
    kExitLinkFailed = 1, // the opening read failed, or a later request ran out of attempts
    kExitUsage = 2,      // bad usage
    kExitFileError = 3,  // a report file could not be created or written
};

// What a run needs from outside: the line (the Qt backend, possibly traced), the front end, the
// home folder, where "values" prints, and the waits of a modem call.
struct RunEnvironment {
    SerialLine* line = nullptr;
    CliHost* host = nullptr;
    QString home;
    std::FILE* out = stdout;
    // Sleeps for the modem's fixed waits.
    std::function<void(int ms)> wait;
    // Marks in the trace where the steps of the run begin and end; may be empty.
    std::function<void(const QString&)> note;
    // The PC's clock; empty for the real one.
    std::function<QDateTime()> clock;
};

// One run: one connection as the window's "Старт" ... "Стоп". The start-up steps, the counters
// reset, the port opened at the chosen rate for the chosen address; with a modem, the dial and
// its wait; the opening read; the operations in order; with a modem, "+++", its wait and "ATH";
// the port and the report files closed; a summary line of the counters on the host. Returns the
// exit status.
int runConnection(const CliOptions& options, const RunEnvironment& environment);

// "requests 12, errors 11, time-outs 1".
QString statisticsLine(int requests, int errors, int timeouts);

} // namespace rt570::cli
