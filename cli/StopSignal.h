#pragma once

namespace rt570::cli {

// The signals that ask the command line to stop (SIGTERM from a service manager or a shutdown,
// SIGINT from Ctrl+C, SIGHUP when the terminal goes): the first one is only noted, and the run
// ends the connection under way at its next wait or message pass, hangs up and exits with
// 128 + the signal's number. The handlers are then back to the system's default, so that a
// second signal ends the program at once, even in the middle of the hang-up.
void catchStopSignals();

// The number of the first stop signal caught; 0 while none came.
int stopSignal();

} // namespace rt570::cli
