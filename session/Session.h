#pragma once

#include "archives/ArchiveState.h"
#include "gsm/NodeDirectory.h"
#include "link/Display.h"
#include "link/Link.h"
#include "readings/Formats.h"
#include "readings/ReportSet.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <array>
#include <functional>

namespace rt570 {

class Host;
class SerialLine;

// Everything one run of the tool shares between its operations: the link, the value and archive
// tables, the formats, the report files, the node list and the texts on the window. The window
// and the command line each own one and call the operations on it.
class Session {
public:
    Session(SerialLine& line, Host& host, QString home);

    Host& host() { return m_host; }
    // RT570_HOME, ending in a separator: base of "arc/" and of "gsm_csd.ini".
    const QString& home() const { return m_home; }
    QString reportFolder() const { return m_home + QStringLiteral("arc/"); }
    QString nodeListPath() const { return m_home + QStringLiteral("gsm_csd.ini"); }

    // The PC's local clock; tests put a fixed time here.
    std::function<QDateTime()> clock = [] { return QDateTime::currentDateTime(); };

    Display display;
    Link link;
    Formats formats;
    ReportSet reports;
    ArchiveState archive;
    NodeDirectory nodes;
    std::array<QString, 256> ParameterNames;
    QDateTime SelectedDate;

    // Tell the front end that the display changed.
    void changed();
    void setStatusText(const QString& text);
    void setProgress(int position);

    // Runs an operation that makes requests, unless one is already running (a click that arrives
    // during another operation's message pass is ignored). An error that ends the operation is
    // shown through the host. Returns false when the operation was refused.
    bool runOperation(const std::function<void()>& operation);
    bool busy() const { return m_busy; }
    // Asks for the opening read: runs it now when idle, else as soon as the running operation
    // ends.
    void requestOpeningRead();
    bool openingReadPending() const { return m_openingReadPending; }
    // Drops an opening read asked for while busy (Stop).
    void cancelOpeningRead() { m_openingReadPending = false; }

private:
    SerialLine& m_line;
    Host& m_host;
    QString m_home;
    bool m_busy = false;
    bool m_openingReadPending = false;
};

// RT570_HOME from the environment, or the platform's default, ending in a separator.
QString defaultHome();

} // namespace rt570
