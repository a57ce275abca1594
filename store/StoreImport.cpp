#include "store/StoreImport.h"

#include "store/KeyedTables.h"
#include "store/SqlText.h"
#include "store/StoreDatabase.h"
#include "store/StoreTarget.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <atomic>

namespace rt570 {

namespace {

constexpr int kRunsPerTransaction = 500;
constexpr int kRowsPerStatement = 100;
constexpr int kBusyTimeoutMs = 60000;

const QStringList kRunColumns{
    QStringLiteral("node"),     QStringLiteral("phone"),      QStringLiteral("port"),
    QStringLiteral("started"),  QStringLiteral("result"),     QStringLiteral("serial"),
    QStringLiteral("requests"), QStringLiteral("errors"),     QStringLiteral("timeouts"),
    QStringLiteral("finished"), QStringLiteral("operations"), QStringLiteral("version")};
const QStringList kCurrentColumns{
    QStringLiteral("serial"),     QStringLiteral("read_at"), QStringLiteral("flow1"),
    QStringLiteral("flow2"),      QStringLiteral("flow3"),   QStringLiteral("flow4"),
    QStringLiteral("volume1"),    QStringLiteral("volume2"), QStringLiteral("volume3"),
    QStringLiteral("volume4"),    QStringLiteral("hours1"),  QStringLiteral("hours2"),
    QStringLiteral("hours3"),     QStringLiteral("hours4"),  QStringLiteral("mains"),
    QStringLiteral("meter_clock")};
const QStringList kParameterColumns{QStringLiteral("serial"), QStringLiteral("read_at"),
                                    QStringLiteral("slot"), QStringLiteral("name"),
                                    QStringLiteral("value")};

// A connection's columns (kRunColumns' order) as one text that is the same whichever engine
// they were read from: the PC's times as UTC instants, NULL apart from any text.
QString runKey(const QVariantList& values) {
    static const int started = int(kRunColumns.indexOf(QStringLiteral("started")));
    static const int finished = int(kRunColumns.indexOf(QStringLiteral("finished")));
    QStringList parts;
    for (int i = 0; i < values.size(); ++i) {
        const QVariant& value = values[i];
        QString part = value.isNull() ? QStringLiteral("\u0001") : value.toString();
        if (!value.isNull() && (i == started || i == finished)) {
            const QDateTime at = value.typeId() == QMetaType::QDateTime
                                     ? value.toDateTime()
                                     : QDateTime::fromString(part, Qt::ISODate);
            if (at.isValid())
                part = at.toUTC().toString(Qt::ISODateWithMs);
        }
        parts << part;
    }
    return parts.join(QChar(0x1f));
}

QString uniqueName(const char* role) {
    static std::atomic<int> counter{0};
    return QStringLiteral("rt570-import-%1-%2").arg(QLatin1String(role)).arg(++counter);
}

QString placeholders(int count) {
    return QStringLiteral("?") + QStringLiteral(", ?").repeated(count - 1);
}

QString insertText(const QString& table, const QStringList& columns) {
    return QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
        .arg(table, columns.join(QStringLiteral(", ")), placeholders(int(columns.size())));
}

// The rows of a source table in the order of their connection, read alongside the runs.
class RunRows {
public:
    RunRows(QSqlDatabase& db, const QString& table, const QStringList& columns)
        : m_query(db), m_columns(int(columns.size())) {
        m_query.setForwardOnly(true);
        m_ok = m_query.exec(QStringLiteral("SELECT %1, run FROM %2 ORDER BY run, rowid")
                                .arg(columns.join(QStringLiteral(", ")), table));
        m_has = m_ok && m_query.next();
    }
    bool ok() const { return m_ok; }
    QSqlError error() const { return m_query.lastError(); }
    // Calls `take` with the values of each row of connection `run`, skipping rows of earlier
    // connections that have no row in `runs`; false when `take` fails.
    template <typename Take> bool rowsOf(qlonglong run, Take take) {
        while (m_has && m_query.value(m_columns).toLongLong() < run)
            m_has = m_query.next();
        while (m_has && m_query.value(m_columns).toLongLong() == run) {
            QVariantList values;
            for (int i = 0; i < m_columns; ++i)
                values << m_query.value(i);
            if (!take(values))
                return false;
            m_has = m_query.next();
        }
        return true;
    }

private:
    QSqlQuery m_query;
    int m_columns;
    bool m_ok = false;
    bool m_has = false;
};

class Importer {
public:
    Importer(const QString& sourcePath, const StoreTarget& target)
        : m_sourcePath(sourcePath), m_target(target), m_sourceName(uniqueName("source")),
          m_targetName(uniqueName("target")) {}
    ~Importer() {
        for (const QString& name : {m_sourceName, m_targetName}) {
            if (!QSqlDatabase::contains(name))
                continue;
            QSqlDatabase::database(name, false).close();
            QSqlDatabase::removeDatabase(name);
        }
    }
    Importer(const Importer&) = delete;
    Importer& operator=(const Importer&) = delete;

    ImportOutcome run() {
        StoreTarget source;
        source.path = m_sourcePath;
        if (!QFileInfo(m_sourcePath).isFile())
            return failed(sourceText(), QStringLiteral("no such file"));
        QString error = openFigureDatabase(source, m_sourceName, kBusyTimeoutMs);
        if (!error.isEmpty())
            return failed(sourceText(), error);
        error = openFigureDatabase(m_target, m_targetName, kBusyTimeoutMs);
        if (!error.isEmpty())
            return failed(targetText(), error);
        // A server's commit need not wait for its disk here: a crash of the server loses at
        // most the last few commits, and running the import again brings them back.
        if (isPostgres(target()))
            QSqlQuery(target()).exec(QStringLiteral("SET synchronous_commit TO off"));
        if (copyRuns()) {
            for (const KeyedTable& table : keyedTables())
                if (!copyKeyed(table))
                    break;
        }
        return m_outcome;
    }

private:
    QString sourceText() const { return QDir::toNativeSeparators(m_sourcePath); }
    QString targetText() const { return QDir::toNativeSeparators(m_target.text()); }

    ImportOutcome failed(const QString& name, const QString& reason) {
        if (m_outcome.error.isEmpty())
            m_outcome.error = QStringLiteral("figure database %1: %2").arg(name, reason);
        return m_outcome;
    }
    bool readFailed(const QSqlError& error) {
        failed(sourceText(), QStringLiteral("cannot read it: ") + sqlErrorText(error));
        return false;
    }
    bool writeFailed(const QSqlError& error) {
        failed(targetText(),
               QStringLiteral("cannot write the imported figures: ") + sqlErrorText(error));
        QSqlQuery(target()).exec(QStringLiteral("ROLLBACK"));
        return false;
    }
    QSqlDatabase target() const { return QSqlDatabase::database(m_targetName, false); }

    bool execute(QSqlQuery& query, const QVariantList& values) {
        for (int i = 0; i < values.size(); ++i)
            query.bindValue(i, values[i]);
        return query.exec() || writeFailed(query.lastError());
    }
    bool begin() {
        QSqlQuery query(target());
        return query.exec(beginWriteStatement(target())) || writeFailed(query.lastError());
    }
    bool commit() {
        QSqlQuery query(target());
        return query.exec(QStringLiteral("COMMIT")) || writeFailed(query.lastError());
    }

    // The target's connections by runKey(), read once: a look-up for each imported one would
    // scan the table each time.
    bool knownRuns(QHash<QString, qlonglong>& known) {
        QSqlQuery runs(target());
        runs.setForwardOnly(true);
        if (!runs.exec(QStringLiteral("SELECT id, %1 FROM runs")
                           .arg(kRunColumns.join(QStringLiteral(", ")))))
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
    bool copyRuns() {
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
    bool copyKeyed(const KeyedTable& table) {
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
            if (batchRows != kRowsPerStatement &&
                !partial.prepare(upsertStatement(table, batchRows)))
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

    const QString m_sourcePath;
    const StoreTarget m_target;
    const QString m_sourceName;
    const QString m_targetName;
    QHash<qlonglong, qlonglong> m_runIds;
    ImportOutcome m_outcome;
};

} // namespace

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
    Importer importer(sourcePath, parsed.target);
    return importer.run();
}

} // namespace rt570
