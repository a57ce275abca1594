#include "cli/OptionChecks.h"

#include "cli/CatchUp.h"

#include <QFileInfo>

namespace rt570::cli {

namespace {

// The modem lines: several only with collect, named by --device or by --port, each once.
QString checkModemLines(const CliOptions& options) {
    const bool several = options.ports.size() > 1 || options.devices.size() > 1;
    if (several && !options.collect)
        return QStringLiteral("--port and --device name one port; several go with collect, one "
                              "modem line each");
    if (options.ports.size() > 1 && !options.devices.isEmpty())
        return QStringLiteral("name the modem lines with --device or with --port, not both");
    for (size_t i = 0; i < options.ports.size(); ++i)
        for (size_t j = 0; j < i; ++j)
            if (options.ports[i] == options.ports[j])
                return QStringLiteral("the port %1 is named twice").arg(options.ports[i]);
    for (int i = 0; i < options.devices.size(); ++i)
        for (int j = 0; j < i; ++j)
            if (sameDevice(options.devices[i], options.devices[j]))
                return options.devices[i] == options.devices[j]
                           ? QStringLiteral("the device %1 is named twice").arg(options.devices[i])
                           : QStringLiteral("the device %1 is named twice, also as %2")
                                 .arg(options.devices[j], options.devices[i]);
    return {};
}

} // namespace

QString checkCombinations(const CliOptions& options) {
    if (!options.importPath.isEmpty())
        return options.dbPath.isEmpty()
                   ? QStringLiteral("import needs --db, the store to copy the figures into")
                   : QString();
    if (options.collect && options.gsm())
        return QStringLiteral("collect dials the phones of the node list; --gsm is for one "
                              "connection");
    if (!options.collect && (!options.nodesPath.isEmpty() || !options.nodeNames.isEmpty()))
        return QStringLiteral("--nodes and --node go with collect");
    if (const QString lines = checkModemLines(options); !lines.isEmpty())
        return lines;
    if (options.blindDial && !options.collect && !options.gsm())
        return QStringLiteral("--blind-dial goes with --gsm or collect");
    if (options.operations.empty())
        return QStringLiteral("no operation given");
    if (asksForMissing(options.operations) && options.dbPath.isEmpty())
        return QStringLiteral("missing needs --db");
    return {};
}

bool sameDevice(const QString& a, const QString& b) {
    if (a == b)
        return true;
    const QString realA = QFileInfo(a).canonicalFilePath();
    return !realA.isEmpty() && realA == QFileInfo(b).canonicalFilePath();
}

} // namespace rt570::cli
