#include "figures/FigureDatabase.h"

#include "store/FigureSchema.h"
#include "store/PostgresSchema.h"
#include "store/SchemaSteps.h"
#include "store/SqlText.h"
#include "store/StoreDatabase.h"
#include "store/StoreTarget.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <atomic>

namespace rt570 {

namespace {

QString uniqueConnectionName() {
    static std::atomic<int> counter{0};
    return QStringLiteral("rt570-figures-reader-%1").arg(++counter);
}

// The tables every version of the store has.
bool holdsFigureTables(const QSqlDatabase& db) {
    const QStringList tables = db.tables();
    for (const char* name : {"runs", "hourly", "daily", "monthly"}) {
        if (!tables.contains(QLatin1String(name)))
            return false;
    }
    return true;
}

// Why a store of a newer schema than this program knows is refused; empty for any other.
QString newerSchema(const QString& shown, int version) {
    const int known = int(figureSchemaSteps().size());
    if (version <= known)
        return {};
    return QStringLiteral("Хранилище %1 более новой версии (%2), чем знает эта программа "
                          "(%3): обновите программу")
        .arg(shown)
        .arg(version)
        .arg(known);
}

} // namespace

FigureDatabase::FigureDatabase(const QString& store) : m_connectionName(uniqueConnectionName()) {
    const ParsedTarget parsed = parseStoreTarget(store);
    if (!parsed.ok())
        m_error = QStringLiteral("Адрес хранилища не годится: %1").arg(parsed.error);
    else if (parsed.target.engine == StoreTarget::Engine::Postgres)
        openServer(parsed.target);
    else
        openFile(store);
}

void FigureDatabase::openFile(const QString& path) {
    const QString shown = QDir::toNativeSeparators(path);
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE"))) {
        m_error = QStringLiteral("Нет драйвера SQLite (пакет libqt6sql6-sqlite): хранилище %1 "
                                 "не открыть")
                      .arg(shown);
        return;
    }
    // A read-only open of a missing file would fail with a less telling message.
    if (!QFileInfo(path).isFile()) {
        m_error = QStringLiteral("Нет файла хранилища %1").arg(shown);
        return;
    }
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
    db.setDatabaseName(path);
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=5000"));
    if (!db.open()) {
        m_error = QStringLiteral("Хранилище %1 не открывается: %2")
                      .arg(shown, sqlErrorText(db.lastError()));
        return;
    }
    QString reason;
    const int version = schemaVersion(db, reason);
    if (version < 0)
        m_error = QStringLiteral("Файл %1 не читается как хранилище: %2").arg(shown, reason);
    else if (!newerSchema(shown, version).isEmpty())
        m_error = newerSchema(shown, version);
    else if (version == 0 || !holdsFigureTables(db))
        m_error =
            QStringLiteral("Файл %1 не хранилище показаний (его пишет rt570-cli --db)").arg(shown);
}

void FigureDatabase::openServer(const StoreTarget& target) {
    m_server = true;
    const QString shown = target.text();
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL"))) {
        m_error = QStringLiteral("Нет драйвера PostgreSQL (пакет libqt6sql6-psql): хранилище %1 "
                                 "не открыть")
                      .arg(shown);
        return;
    }
    const QString unreachable = connectPostgres(target, m_connectionName);
    if (!unreachable.isEmpty()) {
        m_error =
            QStringLiteral("Не удалось подключиться к хранилищу %1: %2").arg(shown, unreachable);
        return;
    }
    QSqlDatabase db = database();
    QSqlQuery query(db);
    // The window only reads: a statement that would write fails on the server.
    if (!query.exec(QStringLiteral("SET SESSION CHARACTERISTICS AS TRANSACTION READ ONLY"))) {
        m_error = QStringLiteral("Хранилище %1 не открывается: %2")
                      .arg(shown, sqlErrorText(query.lastError()));
        return;
    }
    QString reason;
    const int version = postgresSchemaVersion(db, reason);
    if (version < 0)
        m_error = QStringLiteral("База %1 не читается как хранилище: %2").arg(shown, reason);
    else if (!newerSchema(shown, version).isEmpty())
        m_error = newerSchema(shown, version);
    else if (version == 0 || !holdsFigureTables(db))
        m_error = QStringLiteral("В базе %1 нет хранилища показаний (его создаёт rt570-cli --db "
                                 "при первом опросе)")
                      .arg(shown);
}

FigureDatabase::~FigureDatabase() {
    {
        QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
        if (db.isValid())
            db.close();
    }
    QSqlDatabase::removeDatabase(m_connectionName);
}

QSqlDatabase FigureDatabase::database() const {
    return QSqlDatabase::database(m_connectionName, false);
}

qint64 FigureDatabase::changeCount() const {
    if (failed())
        return -1;
    QSqlQuery query(database());
    // Runs are only ever added, each in the transaction of its figures: a commit raises the
    // count, and the highest id tells a commit apart from a deletion and an addition.
    const QString statement =
        m_server ? QStringLiteral("SELECT count(*) + (coalesce(max(id), 0) << 32) FROM runs")
                 : QStringLiteral("PRAGMA data_version");
    if (!query.exec(statement) || !query.next())
        return -1;
    return query.value(0).toLongLong();
}

} // namespace rt570
