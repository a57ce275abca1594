#include "figures/FigureDatabase.h"

#include "store/FigureSchema.h"
#include "store/SchemaSteps.h"
#include "store/SqlText.h"

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

} // namespace

FigureDatabase::FigureDatabase(const QString& path)
    : m_path(path), m_connectionName(uniqueConnectionName()) {
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
    const int known = int(figureSchemaSteps().size());
    if (version < 0)
        m_error = QStringLiteral("Файл %1 не читается как хранилище: %2").arg(shown, reason);
    else if (version > known)
        m_error = QStringLiteral("Хранилище %1 более новой версии (%2), чем знает эта программа "
                                 "(%3): обновите программу")
                      .arg(shown)
                      .arg(version)
                      .arg(known);
    else if (version == 0 || !holdsFigureTables(db))
        m_error =
            QStringLiteral("Файл %1 не хранилище показаний (его пишет rt570-cli --db)").arg(shown);
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
    if (!query.exec(QStringLiteral("PRAGMA data_version")) || !query.next())
        return -1;
    return query.value(0).toLongLong();
}

} // namespace rt570
