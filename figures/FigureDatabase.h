#pragma once

#include <QSqlDatabase>
#include <QString>

namespace rt570 {

struct StoreTarget;

// A figure store opened for reading only, by a connection of its own: an SQLite file, or a
// PostgreSQL database named by a URL as rt570-cli --db takes it (a URL with a password is
// refused). The file is opened read-only (SQLite's QSQLITE_OPEN_READONLY): in write-ahead-log
// mode a reader never blocks a collector that writes at the same time, nor does the collector
// block it. The server's session is made read-only, and its schema is never touched.
//
// A store of any version up to this program's is read; a file that is missing, is not a
// database, holds no figure store or holds a newer schema, a server that cannot be reached and
// a database without a store are refused with errorText() saying so in words a user can act on.
class FigureDatabase {
public:
    explicit FigureDatabase(const QString& store);
    ~FigureDatabase();
    FigureDatabase(const FigureDatabase&) = delete;
    FigureDatabase& operator=(const FigureDatabase&) = delete;

    bool failed() const { return !m_error.isEmpty(); }
    QString errorText() const { return m_error; }
    QSqlDatabase database() const;

    // A number that changes whenever another connection committed figures since the last call
    // (SQLite's data_version; on a server, the count and the highest id of the runs, since
    // every connection that stores figures adds its run); -1 when it cannot be read.
    qint64 changeCount() const;

private:
    void openFile(const QString& path);
    void openServer(const StoreTarget& target);

    const QString m_connectionName;
    bool m_server = false;
    QString m_error;
};

} // namespace rt570
