#pragma once

#include "store/StoreTarget.h"

#include <QString>

class QSqlDatabase;
class QSqlError;

namespace rt570 {

// Opens the figure database of `target` as Qt SQL's connection `connectionName` (SQLite's
// "QSQLITE" or PostgreSQL's "QPSQL" driver) and brings its schema to the current version; an
// SQLite file is kept in write-ahead-log mode. Returns an empty text on success, else the
// reason on one line, without the target's name. `busyTimeoutMs`: how long an SQLite
// statement waits for another program's lock.
QString openFigureDatabase(const StoreTarget& target, const QString& connectionName,
                           int busyTimeoutMs);

// Only the connection to the PostgreSQL database of `target` (a URL's target), as Qt SQL's
// connection `connectionName`, the URL's parameters passed on and a 10 s connect timeout unless
// they give one; the schema is left as it is. Returns an empty text on success, else the reason
// on one line (the client library's, or a missing driver), without the target's name.
QString connectPostgres(const StoreTarget& target, const QString& connectionName);

bool isPostgres(const QSqlDatabase& db);

// The statement that begins a write transaction: on SQLite it takes the write lock at once, so
// a file locked by another program fails there and not halfway through the rows.
QString beginWriteStatement(const QSqlDatabase& db);

// A PostgreSQL failure that the same transaction may not meet when it is run again: a
// deadlock with another collector, or a serialization failure.
bool isRetryable(const QSqlError& error);

} // namespace rt570
