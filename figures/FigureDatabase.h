#pragma once

#include <QSqlDatabase>
#include <QString>

namespace rt570 {

// A figure store opened for reading only, by a connection of its own. The file is opened
// read-only (SQLite's QSQLITE_OPEN_READONLY): in write-ahead-log mode a reader never blocks a
// collector that writes at the same time, nor does the collector block it.
//
// A store of any version up to this program's is read; a file that is missing, is not a
// database, holds no figure store or holds a newer schema is refused with errorText() saying
// so in words a user can act on.
class FigureDatabase {
public:
    explicit FigureDatabase(const QString& path);
    ~FigureDatabase();
    FigureDatabase(const FigureDatabase&) = delete;
    FigureDatabase& operator=(const FigureDatabase&) = delete;

    bool failed() const { return !m_error.isEmpty(); }
    QString errorText() const { return m_error; }
    QString path() const { return m_path; }
    QSqlDatabase database() const;

    // A number that changes whenever another connection committed to the file since the last
    // call (SQLite's data_version); -1 when it cannot be read.
    qint64 changeCount() const;

private:
    const QString m_path;
    const QString m_connectionName;
    QString m_error;
};

} // namespace rt570
