#include "store/StoreImport.h"

#include "store/Importer.h"
#include "store/StoreTarget.h"

#include <QDir>
#include <QFileInfo>

namespace rt570 {

ImportOutcome importFigures(const QString& sourcePath, const QString& target) {
    const ParsedTarget parsed = parseStoreTarget(target);
    if (!parsed.ok()) {
        ImportOutcome outcome;
        outcome.error = QStringLiteral("figure database: ") + parsed.error;
        return outcome;
    }
    if (parsed.target.engine == StoreTarget::Engine::Sqlite &&
        QFileInfo(parsed.target.path).absoluteFilePath() ==
            QFileInfo(sourcePath).absoluteFilePath()) {
        ImportOutcome outcome;
        outcome.error = QStringLiteral("figure database %1: cannot be imported into itself")
                            .arg(QDir::toNativeSeparators(sourcePath));
        return outcome;
    }
    storeimport::Importer importer(sourcePath, parsed.target);
    return importer.run();
}

} // namespace rt570
