#include "store/SchemaSteps.h"

#include "store/SqlText.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

namespace rt570 {

int schemaVersion(QSqlDatabase& db, QString& error) {
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("PRAGMA user_version")) || !query.next()) {
        error = sqlErrorText(query.lastError());
        return -1;
    }
    return query.value(0).toInt();
}

QString upgradeSchema(QSqlDatabase& db, const std::vector<SchemaStep>& steps) {
    const int latest = int(steps.size());
    QString error;
    int version = schemaVersion(db, error);
    if (version < 0)
        return error;
    if (version == latest)
        return QString();

    // The write lock is taken before the version is read again: another program that opens
    // the same new file at the same moment either finds the schema made or waits for it.
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("BEGIN IMMEDIATE")))
        return sqlErrorText(query.lastError());
    version = schemaVersion(db, error);
    if (version > latest)
        error = QStringLiteral("it holds schema version %1, newer than version %2 that this "
                               "program knows")
                    .arg(version)
                    .arg(latest);
    for (int step = version; error.isEmpty() && step >= 0 && step < latest; ++step) {
        for (const QString& statement : steps[size_t(step)]) {
            if (!query.exec(statement)) {
                error = sqlErrorText(query.lastError());
                break;
            }
        }
    }
    if (error.isEmpty() && !query.exec(QStringLiteral("PRAGMA user_version = %1").arg(latest)))
        error = sqlErrorText(query.lastError());
    if (error.isEmpty() && query.exec(QStringLiteral("COMMIT")))
        return QString();
    if (error.isEmpty())
        error = sqlErrorText(query.lastError());
    query.exec(QStringLiteral("ROLLBACK"));
    return error;
}

} // namespace rt570
