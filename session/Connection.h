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

// The start-up steps that do not touch widgets: node list, date, link constants, port 1 opened,
// parameter names, scale table.
void startUp(Session& session);

} // namespace rt570
