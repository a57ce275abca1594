#pragma once

#include <QString>
#include <QStringList>

namespace rt570 {

class Session;

// Items of the rate selector and the rate each one opens the port at.
QStringList rateItems();
int rateOfItem(int item); // 0 for an item outside the table

// A selector's text as a decimal integer; throws OperationError
// "'<text>' is not a valid integer value" when it is not one.
int toInteger(const QString& text);

// Start, the part after the window switched its buttons and the monitor on: counters are reset
// by resetCounters() first; then address and port from the selectors' texts, the port closed
// three times, "speed=" logged, and the port opened when a rate item is selected.
void resetCounters(Session& session);
void openConnection(Session& session, const QString& addressText, const QString& portText,
                    int rateItem);
// Stop: the port closed, then the report files when they are open; a file that fails to close
// throws OperationError after all four were closed and FilesOpen cleared.
void closeConnection(Session& session);

// Start-up, the steps that do not touch widgets, in two parts: the run's state (node list, date,
// link constants, parameter names, scale table), then port 1 opened at 9600 baud as the window
// does when it appears. A run from a scheduler loads the state only: it must not take a port it
// was not given (another run may be using it, and opening a port resets its settings).
void loadRunState(Session& session);
void openStartUpPort(Session& session);

} // namespace rt570
