#include "store/StoreDatabase.h"

#include "store/FigureSchema.h"
#include "store/PostgresSchema.h"
#include "store/SqlText.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

namespace rt570 {

namespace {

const QString kSqliteDriver = QStringLiteral("QSQLITE");
const QString kPostgresDriver = QStringLiteral("QPSQL");
// A server that does not answer is given up after this long, unless the URL says otherwise.
const QString kConnectTimeout = QStringLiteral("connect_timeout=10");

QString openSqlite(const StoreTarget& target, const QString& connectionName, int busyTimeoutMs) {
    if (target.path.isEmpty())
        return QStringLiteral("no file name given");
    if (!QSqlDatabase::isDriverAvailable(kSqliteDriver))
        return QStringLiteral("the SQLite driver of Qt SQL is missing (install the Debian "
                              "package libqt6sql6-sqlite)");
    QSqlDatabase db = QSqlDatabase::addDatabase(kSqliteDriver, connectionName);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(busyTimeoutMs));
    db.setDatabaseName(target.path);
    if (!db.open())
        return QStringLiteral("cannot open it: ") + sqlErrorText(db.lastError());
    const QString error = upgradeSchema(db, figureSchemaSteps());
    if (!error.isEmpty())
        return QStringLiteral("cannot prepare its tables: ") + error;
    // Write-ahead logging, so that readers never block the writer. The mode stays with the
    // file, so it is set once; a file system that cannot keep the log leaves the file in the
    // mode it has.
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("PRAGMA journal_mode")) || !query.next())
        return QStringLiteral("cannot read its journal mode: ") + sqlErrorText(query.lastError());
    if (query.value(0).toString().compare(QLatin1String("wal"), Qt::CaseInsensitive) != 0 &&
        !query.exec(QStringLiteral("PRAGMA journal_mode = WAL")))
        return QStringLiteral("cannot switch it to a write-ahead log: ") +
               sqlErrorText(query.lastError());
    return {};
}

// The URL's parameters as Qt SQL passes them on: "key='value'" separated by ';'.
QString connectOptions(const QStringList& params) {
    QStringList options;
    bool timeout = false;
    for (const QString& param : params) {
        const int equals = param.indexOf(QLatin1Char('='));
        QString value = param.mid(equals + 1);
        value.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
        value.replace(QLatin1Char('\''), QLatin1String("\\'"));
        options << param.left(equals) + QStringLiteral("='") + value + QLatin1Char('\'');
        timeout = timeout || param.left(equals) == QLatin1String("connect_timeout");
    }
    if (!timeout)
        options << kConnectTimeout;
    return options.join(QLatin1Char(';'));
}

QString openPostgres(const StoreTarget& target, const QString& connectionName) {
    QString error = connectPostgres(target, connectionName);
    if (!error.isEmpty())
        return QStringLiteral("cannot connect: ") + error;
    QSqlDatabase db = QSqlDatabase::database(connectionName, false);
    error = upgradePostgresSchema(db, postgresSchemaSteps());
    if (!error.isEmpty())
        return QStringLiteral("cannot prepare its tables: ") + error;
    return {};
}

} // namespace

QString connectPostgres(const StoreTarget& target, const QString& connectionName) {
    if (!QSqlDatabase::isDriverAvailable(kPostgresDriver))
        return QStringLiteral("the PostgreSQL driver of Qt SQL is missing (install the Debian "
                              "package libqt6sql6-psql)");
    QSqlDatabase db = QSqlDatabase::addDatabase(kPostgresDriver, connectionName);
    db.setHostName(target.host);
    db.setPort(target.port);
    db.setUserName(target.user);
    db.setDatabaseName(target.database);
    db.setConnectOptions(connectOptions(target.params));
    if (!db.open())
        return sqlErrorText(db.lastError());
    return {};
}

QString openFigureDatabase(const StoreTarget& target, const QString& connectionName,
                           int busyTimeoutMs) {
    return target.engine == StoreTarget::Engine::Postgres
               ? openPostgres(target, connectionName)
               : openSqlite(target, connectionName, busyTimeoutMs);
}

bool isPostgres(const QSqlDatabase& db) {
    return db.driverName() == kPostgresDriver;
}

QString beginWriteStatement(const QSqlDatabase& db) {
    return isPostgres(db) ? QStringLiteral("BEGIN") : QStringLiteral("BEGIN IMMEDIATE");
}

bool isRetryable(const QSqlError& error) {
    const QString state = error.nativeErrorCode();
    return state == QLatin1String("40P01") || state == QLatin1String("40001");
}

} // namespace rt570
