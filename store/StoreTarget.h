#pragma once

#include <QString>
#include <QStringList>

namespace rt570 {

// Where the figure store lives: an SQLite file, or a PostgreSQL database named by a URL
// "postgresql://[USER@]HOST[:PORT]/DBNAME[?PARAMS]" (also "postgres://"). HOST may be a name,
// an address ("[::1]" for IPv6), or a socket folder written with %2F for each "/"; PARAMS are
// "key=value" pairs joined by "&", passed on to the PostgreSQL client library as they stand.
struct StoreTarget {
    enum class Engine { Sqlite, Postgres };
    Engine engine = Engine::Sqlite;
    QString path;       // SQLite: the file
    QString host;       // PostgreSQL: empty for the client library's default
    int port = -1;      // PostgreSQL: -1 for the default
    QString user;       // PostgreSQL: empty for the client library's default
    QString database;   // PostgreSQL
    QStringList params; // PostgreSQL: "key=value", in the URL's order, decoded

    // For messages: the file, or the URL without its parameters (which may hold secrets).
    QString text() const;
};

// Whether `text` is meant as a PostgreSQL URL rather than a file name.
bool isDatabaseUrl(const QString& text);

struct ParsedTarget {
    StoreTarget target;
    QString error; // empty when the text could be used; never repeats a secret
    bool ok() const { return error.isEmpty(); }
};

// A URL (see isDatabaseUrl) or else an SQLite file path. A URL that carries a password, in the
// user part or as a parameter, is refused: the client library reads it from ~/.pgpass or the
// file PGPASSFILE names, where it does not show in the process list or the shell's history.
ParsedTarget parseStoreTarget(const QString& text);

} // namespace rt570
