#pragma once

#include "cli/CliOptions.h"
#include "gsm/ModemDialogue.h"
#include "state/RunResult.h"

#include <QDateTime>
#include <QString>
#include <cstdio>
#include <functional>
#include <optional>

namespace rt570 {
class FigureSink;
class SerialLine;
} // namespace rt570

namespace rt570::cli {

class CliHost;
class FigureOutputs;
class ReportSetLocks;

// Exit statuses of a run.
enum ExitStatus {
    kExitOk = 0, // every request of the run was answered
    kExitLinkFailed =
        1,          // the link or the call failed, or the device could not be opened or was lost
    kExitUsage = 2, // bad usage
    kExitFileError = 3, // a report file, a CSV file or the database could not be written
    kExitRefused = 4,   // an operation was refused (the PC's clock outside what the meter takes)
};

// What a run needs from outside: the line (the Qt backend, possibly traced), the front end, the
// home folder, where "values" prints, the waits of a modem call and what the backend knows of
// the port.
struct RunEnvironment {
    SerialLine* line = nullptr;
    CliHost* host = nullptr;
    QString home;
    std::FILE* out = stdout;
    // Sleeps for the fixed waits of a blind dial.
    std::function<void(int ms)> wait;
    // Marks in the trace where the steps of the run begin and end; may be empty.
    std::function<void(const QString&)> note;
    // The PC's clock; empty for the real one.
    std::function<QDateTime()> clock;
    // Why the port could not be opened, as a sentence (empty: it was opened); may be empty.
    std::function<QString(uint8_t port)> openProblem;
    // True when the port's device went away during the run; may be empty.
    std::function<bool(uint8_t port)> deviceLost;
    // The waits of the modem dialogue and its clock (tests shorten them).
    ModemTimings modemTimings;
    ModemDialogue::Clock modemClock;
    // Where the figures read go besides the reports (--db, --csv); may be null.
    FigureOutputs* outputs = nullptr;
    // The program's version, kept with each connection in the figure store.
    QString version;
    // True once the program has been told to stop (a signal); may be empty.
    std::function<bool()> stopRequested;
    // A sink that takes the figures instead of the outputs' (tests record them); may be null.
    FigureSink* figures = nullptr;
    // The report sets the run's modem lines are writing, shared by them; may be null.
    ReportSetLocks* reportSets = nullptr;
};

// How one connection ended.
struct ConnectionOutcome {
    RunResult result = RunResult::Ok;
    int status = kExitOk;
    std::optional<quint32> serial; // once the opening read named the report set
    bool portUnusable = false;     // the port could not be opened: nothing was tried
    bool modemUnusable = false;    // the modem took no command ("AT" got no "OK"): nothing dialled
    int requests = 0;
    int errors = 0;
    int timeouts = 0;
};

// One connection as the window's "Старт" ... "Стоп": the run's state loaded, the counters
// reset, the port opened at the chosen rate for the chosen address; with `dial` not empty the
// modem call (through the modem's dialogue, or blind with fixed waits); the opening read; the
// operations in order; the call ended; the port and the report files closed. `printValues`
// says whether "values" prints the values on the run's output.
// `node` names the metering node for the figure store (empty for a plain run). A phone text
// that cannot be dialled (see dialTextFault) ends the connection as BadPhone before the port
// is opened; one longer than the dial command carries is dialled cut, with a warning. A stop
// asked for during the connection (RunEnvironment::stopRequested) ends it as Interrupted: the
// request under way ends, the report files are closed, the call is hung up, and the figures
// of the connection are not kept.
ConnectionOutcome runConnection(const CliOptions& options, const RunEnvironment& environment,
                                const QString& node, const QString& dial, bool printValues);

// A run of the command line without "collect": one connection, with the modem when --gsm was
// given; a summary line of the counters on the host. Returns the exit status.
int runConnection(const CliOptions& options, const RunEnvironment& environment);

// "requests 12, errors 11, time-outs 1".
QString statisticsLine(int requests, int errors, int timeouts);

} // namespace rt570::cli
