#include "state/RunResult.h"

namespace rt570 {

QString runResultText(RunResult result) {
    switch (result) {
    case RunResult::Ok:
        return QStringLiteral("ok");
    case RunResult::Busy:
        return QStringLiteral("busy");
    case RunResult::NoCarrier:
        return QStringLiteral("no carrier");
    case RunResult::NoAnswer:
        return QStringLiteral("no answer");
    case RunResult::NoDialtone:
        return QStringLiteral("no dialtone");
    case RunResult::ModemError:
        return QStringLiteral("modem error");
    case RunResult::ModemSilent:
        return QStringLiteral("modem silent");
    case RunResult::LinkFailed:
        return QStringLiteral("link failed");
    case RunResult::FileError:
        return QStringLiteral("file error");
    case RunResult::BadPhone:
        return QStringLiteral("bad phone");
    case RunResult::Interrupted:
        return QStringLiteral("interrupted");
    }
    return QStringLiteral("unknown");
}

} // namespace rt570
