#pragma once

#include <QString>

namespace rt570 {

class RunState;

// The modem call as the window and the command line run it. The tool reads no answer from the
// modem: it relies on two fixed waits, which the front end runs as one-shot timers that a second
// press does not restart.
constexpr int kConnectWaitMs = 35000; // from the dial to the opening read
constexpr int kHangUpWaitMs = 5000;   // from "+++" to "ATH"

// Status line texts (Label47). The last letter of the first two is the Latin "c"; the second
// has two blanks before "~" and one at its end. The status says ~30 s while the wait is 35 s.
QString idleStatus();       // "Статус:"
QString connectingStatus(); // "Соединение ~30c"
QString breakingStatus();   // "Разрыв  ~5c "
QString finishedStatus();   // "Завершено"

// The dial button: sends the dial command and shows "connecting". False when the phone text is
// empty: nothing was sent and the caller starts no connect wait. A phone text the code page
// cannot carry throws OperationError before anything is sent.
bool dialNode(RunState& session, const QString& phoneText);
// The hang-up button: sends "+++" and shows "breaking"; the caller starts the hang-up wait.
void breakCall(RunState& session);
// The hang-up wait elapsed: shows "finished" and sends "ATH" CR.
void finishCall(RunState& session);

} // namespace rt570
