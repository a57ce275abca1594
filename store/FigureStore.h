#pragma once

#include "state/FigureSink.h"

#include <QString>
#include <QVariantList>
#include <optional>
#include <vector>

namespace rt570 {

// What a connection was: the node's name (empty for a plain run), the phone dialled (empty on
// a cable), the port or device text, and when it started on the PC's clock.
struct RunInfo {
    QString node;
    QString phone;
    QString port;
    QDateTime started;
};

// How a connection ended, stored as its text: "ok", "busy", "no carrier", "no answer",
// "no dialtone", "modem error", "modem silent", "link failed", "file error", "bad phone" (the
// phone text could not be dialled). "interrupted" (the program was told to stop during the
// connection) is never stored: such a connection leaves no row.
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

// A FigureSink that keeps the figures in an SQLite database (Qt SQL's "QSQLITE" driver); the
// tables are described with the schema in FigureSchema.h.
//
// The figures of one connection, from beginConnection to endConnection, are one transaction:
// endConnection writes them with the connection's row in `runs` and commits, so a connection
// that never ends (the program killed, the store destroyed) leaves the database as it was.
// The figures wait in memory until then, so the database is locked only for the moment of
// the write and several collectors can share one file.
//
// The store never throws. The first failure (no SQLite driver, a file that cannot be opened,
// is not a database, holds a newer schema, is locked by another program for longer than the
// busy time-out, or cannot be written) is kept as errorText(), naming the file and the
// reason; from then on the store does nothing.
class FigureStore final : public FigureSink {
public:
    // Opens or creates the database file (its folder must exist) and brings its schema to the
    // current version.
    explicit FigureStore(const QString& path);
    ~FigureStore() override;
    FigureStore(const FigureStore&) = delete;
    FigureStore& operator=(const FigureStore&) = delete;

    bool failed() const { return !m_error.isEmpty(); }
    QString errorText() const { return m_error; }

    // Starts a connection; the figures of an earlier one that did not end are dropped.
    void beginConnection(const RunInfo& run);
    // Writes the connection's figures and its row in `runs` (serial NULL when none), and
    // commits.
    void endConnection(RunResult result, std::optional<quint32> serial, int requests, int errors,
                       int timeouts);

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

    void open();
    void fail(const QString& reason);
    bool accepting(const char* what);
    void add(const QString& statement, QVariantList values);
    bool writeConnection(const QVariantList& runValues);
    void close();

    const QString m_path;
    const QString m_connectionName;
    QString m_error;
    bool m_inConnection = false;
    RunInfo m_run;
    QVariant m_serial; // from the opening read; NULL until then
    std::vector<PendingRow> m_pending;
};

} // namespace rt570
