#include "store/Importer.h"

#include "store/ImportRows.h"
#include "store/KeyedTables.h"
#include "store/SqlText.h"
#include "store/StoreDatabase.h"

#include <QSqlError>
#include <QSqlQuery>

// The import's copying of the tables: the runs with their rows, then the keyed tables.
namespace rt570::storeimport {

namespace {

constexpr int kRunsPerTransaction = 500;
constexpr int kRowsPerStatement = 100;

} // namespace

// The target's connections by runKey(), read once: a look-up for each imported one would
// scan the table each time.
bool Importer::knownRuns(QHash<QString, qlonglong>& known) {
    QSqlQuery runs(target());
    runs.setForwardOnly(true);
    if (!runs.exec(
            QStringLiteral("SELECT id, %1 FROM runs").arg(kRunColumns.join(QStringLiteral(", ")))))
        return writeFailed(runs.lastError());
    while (runs.next()) {
        QVariantList values;
        for (int i = 1; i <= int(kRunColumns.size()); ++i)
            values << runs.value(i);
        known.insert(runKey(values), runs.value(0).toLongLong());
    }
    return true;
}

// The runs, each with its current values and parameters when it is new to the target.
bool Importer::copyRuns() {
    QSqlDatabase sourceDb = QSqlDatabase::database(m_sourceName, false);
    QSqlDatabase targetDb = target();
    QSqlQuery runs(sourceDb);
    runs.setForwardOnly(true);
    if (!runs.exec(QStringLiteral("SELECT id, %1 FROM runs ORDER BY id")
                       .arg(kRunColumns.join(QStringLiteral(", ")))))
        return readFailed(runs.lastError());
    RunRows currents(sourceDb, QStringLiteral("current_values"), kCurrentColumns);
    if (!currents.ok())
        return readFailed(currents.error());
    RunRows parameters(sourceDb, QStringLiteral("parameters"), kParameterColumns);
    if (!parameters.ok())
        return readFailed(parameters.error());

    const bool postgres = isPostgres(targetDb);
    QHash<QString, qlonglong> known;
    if (!knownRuns(known))
        return false;
    QSqlQuery insertRun(targetDb);
    QSqlQuery insertCurrent(targetDb);
    QSqlQuery insertParameter(targetDb);
    auto prepare = [this](QSqlQuery& query, const QString& text) {
        return query.prepare(text) || writeFailed(query.lastError());
    };
    const QStringList withRun{QStringLiteral("run")};
    if (!prepare(insertRun, insertText(QStringLiteral("runs"), kRunColumns) +
                                (postgres ? QStringLiteral(" RETURNING id") : QString())) ||
        !prepare(insertCurrent,
                 insertText(QStringLiteral("current_values"), kCurrentColumns + withRun)) ||
        !prepare(insertParameter,
                 insertText(QStringLiteral("parameters"), kParameterColumns + withRun)))
        return false;
    if (!begin())
        return false;
    int inTransaction = 0;
    while (runs.next()) {
        const qlonglong sourceId = runs.value(0).toLongLong();
        QVariantList values;
        for (int i = 1; i <= int(kRunColumns.size()); ++i)
            values << runs.value(i);
        const QString key = runKey(values);
        const auto found = known.constFind(key);
        QVariant id = found == known.constEnd() ? QVariant() : QVariant(*found);
        const bool added = id.isNull();
        if (added) {
            if (!execute(insertRun, values))
                return false;
            id = postgres ? (insertRun.next() ? insertRun.value(0) : QVariant())
                          : insertRun.lastInsertId();
            insertRun.finish();
            known.insert(key, id.toLongLong());
            ++m_outcome.runsAdded;
        } else {
            ++m_outcome.runsPresent;
        }
        m_runIds.insert(sourceId, id.toLongLong());
        auto copyTo = [&](QSqlQuery& insert) {
            return [&, added](QVariantList rowValues) {
                if (!added)
                    return true;
                ++m_outcome.rows;
                return execute(insert, rowValues << id);
            };
        };
        if (!currents.rowsOf(sourceId, copyTo(insertCurrent)) ||
            !parameters.rowsOf(sourceId, copyTo(insertParameter)))
            return false;
        if (++inTransaction == kRunsPerTransaction) {
            inTransaction = 0;
            if (!commit() || !begin())
                return false;
        }
    }
    if (runs.lastError().isValid())
        return readFailed(runs.lastError());
    return commit();
}

// A keyed table's rows, one meter to a transaction, many rows to a statement.
bool Importer::copyKeyed(const KeyedTable& table) {
    const QStringList columns = keyedColumns(table);
    QSqlQuery rows(QSqlDatabase::database(m_sourceName, false));
    rows.setForwardOnly(true);
    if (!rows.exec(QStringLiteral("SELECT %1, run FROM %2 ORDER BY %3")
                       .arg(columns.join(QStringLiteral(", ")), table.name,
                            table.keys.join(QStringLiteral(", ")))))
        return readFailed(rows.lastError());
    QSqlQuery fullBatch(target());
    if (!fullBatch.prepare(upsertStatement(table, kRowsPerStatement)))
        return writeFailed(fullBatch.lastError());
    QVariantList batch;
    int batchRows = 0;
    auto flush = [&]() {
        if (batchRows == 0)
            return true;
        QSqlQuery partial(target());
        QSqlQuery& query = batchRows == kRowsPerStatement ? fullBatch : partial;
        if (batchRows != kRowsPerStatement && !partial.prepare(upsertStatement(table, batchRows)))
            return writeFailed(partial.lastError());
        const bool ok = execute(query, batch);
        batch.clear();
        batchRows = 0;
        return ok;
    };
    bool open = false;
    QVariant meter;
    while (rows.next()) {
        const QVariant serial = rows.value(0);
        const bool otherMeter =
            serial.isNull() != meter.isNull() || serial.toLongLong() != meter.toLongLong();
        if (open && otherMeter && (!flush() || !commit()))
            return false;
        if (!open || otherMeter) {
            if (!begin())
                return false;
            open = true;
            meter = serial;
        }
        for (int i = 0; i < int(columns.size()); ++i)
            batch << rows.value(i);
        const qlonglong sourceRun = rows.value(int(columns.size())).toLongLong();
        const auto run = m_runIds.constFind(sourceRun);
        if (run == m_runIds.constEnd()) {
            QSqlQuery(target()).exec(QStringLiteral("ROLLBACK"));
            failed(sourceText(),
                   QStringLiteral("a row of %1 belongs to connection %2, which is not in "
                                  "its runs table")
                       .arg(table.name)
                       .arg(sourceRun));
            return false;
        }
        batch << *run;
        ++m_outcome.rows;
        if (++batchRows == kRowsPerStatement && !flush())
            return false;
    }
    if (rows.lastError().isValid())
        return readFailed(rows.lastError());
    return !open || (flush() && commit());
}

} // namespace rt570::storeimport
