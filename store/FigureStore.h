#pragma once

#include "state/FigureSink.h"
#include "state/RunResult.h"
#include "store/CatchUpWindow.h"
#include "store/StoreTarget.h"

#include <QString>
#include <QStringList>
#include <QVariantList>
#include <optional>
#include <vector>

class QSqlDatabase;
class QSqlError;

namespace rt570 {

// A FigureSink that keeps the figures in an SQLite database (Qt SQL's "QSQLITE" driver), or
// in a PostgreSQL database ("QPSQL") shared by several collectors; the tables are described
// with the schemas in FigureSchema.h and PostgresSchema.h.
//
// The figures of one connection, from beginConnection to endConnection, are one transaction:
// endConnection writes them with the connection's row in `runs` and commits, so a connection
// that never ends (the program killed, the store destroyed) leaves the database as it was.
// The figures wait in memory until then, so the database is locked only for the moment of
// the write and several collectors can share one file. The file is kept in write-ahead-log
// mode, so a program reading it never blocks the write.
//
// A write that finds the file locked by another writer waits up to the busy time-out; when
// the lock outlasts it, the connection's figures stay in memory, a backlog of whole
// connections, and are written before the next connection's (in order, each still one
// transaction) and once more by finishRun(). What finishRun() cannot write is lost and
// counted in lostConnections(). On PostgreSQL other collectors' rows lock only those rows: a
// write that meets a deadlock or a serialization failure is run again a few times, then fails.
//
// The store never throws. Any other failure (no SQLite driver, a file that cannot be opened,
// is not a database, holds a newer schema, is locked past the busy time-out while it is
// opened, or a row that cannot be written) is kept as errorText(), naming the file and the
// reason; from then on the store does nothing, and the figures it still held are lost.
// A connection that ended "interrupted" is never stored: it leaves no row.
class FigureStore final : public FigureSink {
public:
    static constexpr int kDefaultBusyTimeoutMs = 60000;

    // Opens or creates the database file (its folder must exist), or connects to the database
    // a PostgreSQL URL names (see StoreTarget.h; a URL with a password fails), and brings its
    // schema to the current version. `busyTimeoutMs`: how long an SQLite statement waits for
    // another program's lock.
    explicit FigureStore(const QString& path, int busyTimeoutMs = kDefaultBusyTimeoutMs);
    ~FigureStore() override;
    FigureStore(const FigureStore&) = delete;
    FigureStore& operator=(const FigureStore&) = delete;

    bool failed() const { return !m_error.isEmpty(); }
    QString errorText() const { return m_error; }

    // Starts a connection; the figures of an earlier one that did not end are dropped.
    void beginConnection(const RunInfo& run);
    // Writes the connection's figures and its row in `runs` (serial NULL when none; finished
    // on the PC's clock), after any connection still waiting for a lock, and commits.
    void endConnection(RunResult result, std::optional<quint32> serial, int requests, int errors,
                       int timeouts, const QDateTime& finished = QDateTime());

    // The end of the run: the backlog is tried once more; what still cannot be written is
    // dropped and counted as lost.
    void finishRun();
    // Connections whose figures were read but will not reach the database: left in the backlog
    // at finishRun(), or held when the store failed.
    int lostConnections() const { return m_lost; }
    // Empty when nothing was lost; else a sentence naming the file, how many connections'
    // figures were lost, their nodes and the last reason.
    QString lostText() const;

    // What the database lacks of meter `serial` within `window` (see CatchUpWindow.h), as the
    // connections written so far left it. Empty on success, else a sentence naming the database
    // and the reason; a failed store always fails here.
    QString findMissing(quint32 serial, const CatchUpWindow& window, MissingPeriods& missing);

    void reportSetOpened(quint32 serial, const QString& stem) override;
    void currentValues(const CurrentFigures& figures) override;
    void archiveRows(ArchiveKind kind, const std::vector<ArchiveRow>& rows) override;
    void integrators(const IntegratorFigures& figures) override;
    void parameters(const QDateTime& readAt, const std::vector<ParameterFigure>& rows) override;

private:
    // One row to insert: the statement, whose last value is the run, and the values before it.
    struct PendingRow {
        const QString* statement;
        QVariantList values;
    };
    // A connection that ended: its row in `runs` and its figures.
    struct EndedConnection {
        QString node;
        QVariantList runValues;
        std::vector<PendingRow> rows;
    };
    enum class Write { Done, Locked, Failed };

    void open(const StoreTarget& target, int busyTimeoutMs);
    void fail(const QString& reason);
    bool accepting(const char* what);
    void add(const QString& statement, QVariantList values);
    void writeBacklog();
    Write writeConnection(const EndedConnection& connection);
    // One attempt at the connection's transaction; false with `error` set when it was rolled
    // back.
    bool tryWrite(QSqlDatabase& db, const EndedConnection& connection, QSqlError& error);
    void close();

    QString m_name; // the file, or the URL without its parameters; empty for a refused URL
    const QString m_connectionName;
    QString m_error;
    bool m_inConnection = false;
    RunInfo m_run;
    QVariant m_serial; // from the opening read; NULL until then
    std::vector<PendingRow> m_pending;
    std::vector<EndedConnection> m_backlog; // oldest first
    int m_lost = 0;
    QStringList m_lostNodes;
    QString m_lostReason;
};

} // namespace rt570
