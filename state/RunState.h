#pragma once

#include "link/Link.h"
#include "state/ArchiveState.h"
#include "state/Formats.h"
#include "state/NodeDirectory.h"
#include "state/ReportSet.h"
#include "state/RunTexts.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <array>
#include <functional>

namespace rt570 {

class FigureSink;
class FrontEnd;
class SerialLine;

// `name` (a file or folder: "arc/", "gsm_csd.ini") in the folder `home` (RT570_HOME): a "/"
// goes between them unless `home` is empty or already ends in "/" or "\\". The paths in
// RT570_HOME are made here, so that it may be written with or without the separator (the serial
// backend, below this layer, finds "comN" there with QDir, which does the same).
QString homePath(const QString& home, const QString& name);

// Everything one run of the tool shares between its operations: the link, the value and archive
// tables, the formats, the report files, the node list, the parameter names, the selected date
// and the texts on the window. The operations work on it; the session layer adds the guard that
// runs one operation at a time.
class RunState {
public:
    // The link's message pass goes to the front end too.
    RunState(SerialLine& line, FrontEnd& frontEnd, QString home);

    FrontEnd& frontEnd() { return m_frontEnd; }
    // RT570_HOME, ending in a separator: base of "arc/" and of "gsm_csd.ini".
    const QString& home() const { return m_home; }
    QString reportFolder() const { return homePath(m_home, QStringLiteral("arc/")); }
    QString nodeListPath() const { return homePath(m_home, QStringLiteral("gsm_csd.ini")); }

    // The PC's local clock; tests put a fixed time here.
    std::function<QDateTime()> clock = [] { return QDateTime::currentDateTime(); };

    RunTexts display;
    Link link;
    Formats formats;
    ReportSet reports;
    ArchiveState archive;
    NodeDirectory nodes;
    std::array<QString, 256> ParameterNames;
    QDateTime SelectedDate;
    // Where the operations report the figures they read, beside the text reports; none when
    // null. Not owned.
    FigureSink* figures = nullptr;

    // Tell the front end that the run's texts changed.
    void changed();
    void setStatusText(const QString& text);
    void setProgress(int position);

private:
    FrontEnd& m_frontEnd;
    QString m_home;
};

// RT570_HOME from the environment, or the platform's default, ending in a separator.
QString defaultHome();

} // namespace rt570
