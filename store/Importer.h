#pragma once

#include "store/StoreImport.h"
#include "store/StoreTarget.h"

#include <QDir>
#include <QHash>
#include <QSqlDatabase>
#include <QVariantList>

class QSqlError;
class QSqlQuery;

namespace rt570 {
struct KeyedTable;
}

namespace rt570::storeimport {

// One import of a source store into a target: the two connections, the ids the source's runs
// got in the target, and what was done so far.
class Importer {
public:
    Importer(const QString& sourcePath, const StoreTarget& target);
    ~Importer();
    Importer(const Importer&) = delete;
    Importer& operator=(const Importer&) = delete;

    ImportOutcome run();

private:
    QString sourceText() const { return QDir::toNativeSeparators(m_sourcePath); }
    QString targetText() const { return QDir::toNativeSeparators(m_target.text()); }

    ImportOutcome failed(const QString& name, const QString& reason);
    bool readFailed(const QSqlError& error);
    bool writeFailed(const QSqlError& error);
    QSqlDatabase target() const { return QSqlDatabase::database(m_targetName, false); }

    bool execute(QSqlQuery& query, const QVariantList& values);
    bool begin();
    bool commit();

    // The target's connections by runKey(), read once: a look-up for each imported one would
    // scan the table each time.
    bool knownRuns(QHash<QString, qlonglong>& known);

    // The runs, each with its current values and parameters when it is new to the target.
    bool copyRuns();

    // A keyed table's rows, one meter to a transaction, many rows to a statement.
    bool copyKeyed(const KeyedTable& table);

    const QString m_sourcePath;
    const StoreTarget m_target;
    const QString m_sourceName;
    const QString m_targetName;
    QHash<qlonglong, qlonglong> m_runIds;
    ImportOutcome m_outcome;
};

} // namespace rt570::storeimport
