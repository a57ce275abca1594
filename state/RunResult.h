#pragma once

#include <QDateTime>
#include <QString>

namespace rt570 {

// What a connection was: the node's name (empty for a plain run), the phone dialled (empty on
// a cable), the port or device text, when it started on the PC's clock, the operations asked
// for as typed ("hourly yesterday daily yesterday") and the program's version.
struct RunInfo {
    QString node;
    QString phone;
    QString port;
    QDateTime started;
    QString operations;
    QString version;
};

// How a connection ended, as its text: "ok", "busy", "no carrier", "no answer", "no dialtone",
// "modem error", "modem silent", "link failed", "file error", "bad phone" (the phone text could
// not be dialled), "interrupted" (the program was told to stop during the connection).
enum class RunResult {
    Ok,
    Busy,
    NoCarrier,
    NoAnswer,
    NoDialtone,
    ModemError,
    ModemSilent,
    LinkFailed,
    FileError,
    BadPhone,
    Interrupted
};
QString runResultText(RunResult result);

} // namespace rt570
