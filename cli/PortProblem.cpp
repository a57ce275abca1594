#include "cli/PortProblem.h"

#include <QFileInfo>

namespace rt570::cli {

QString openProblemText(const QtSerialLine::OpenFailure& failure) {
    using Failure = QtSerialLine::OpenFailure;
    const QString device =
        failure.device.isEmpty() ? QStringLiteral("(no device)") : failure.device;
    switch (failure.kind) {
    case Failure::None:
        return {};
    case Failure::NoDevice:
        return QStringLiteral("cannot open %1: no such device").arg(device);
    case Failure::NoPermission: {
        // On Linux serial devices belong to a group (usually "dialout") whose members may open
        // them.
        QString group = QFileInfo(QFileInfo(failure.device).canonicalFilePath()).group();
        if (group.isEmpty())
            group = QStringLiteral("dialout");
        return QStringLiteral("cannot open %1: permission denied; on Linux the user must be in "
                              "the group that owns the device ('%2'): sudo adduser $USER %2, "
                              "then log in again")
            .arg(device, group);
    }
    case Failure::InUse:
        return QStringLiteral("cannot open %1: the device is in use by another program")
            .arg(device);
    case Failure::Other:
        break;
    }
    return QStringLiteral("cannot open %1: %2").arg(device, failure.detail);
}

} // namespace rt570::cli
