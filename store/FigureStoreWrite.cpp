#include "store/FigureStore.h"

#include "store/SqlText.h"
#include "store/StoreDatabase.h"

#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>

// The ended connections written to the database, each in one transaction, oldest first.
namespace rt570 {

namespace {

// A write that meets a deadlock or serialization failure on PostgreSQL is run again, up to
// this many times in all, after a pause that grows and differs between collectors, so that
// two of them do not meet again at once.
constexpr int kWriteAttempts = 5;
constexpr int kRetryPauseMs = 50;

const QString kInsertRun = QStringLiteral(
    "INSERT INTO runs (node, phone, port, started, result, serial, requests, errors, timeouts, "
    "finished, operations, version) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
const QString kInsertRunReturningId = kInsertRun + QStringLiteral(" RETURNING id");

// Another connection holds the lock the statement needs (SQLITE_BUSY, SQLITE_LOCKED): the same
// write may succeed later.
bool isLocked(const QSqlError& error) {
    const int code = error.nativeErrorCode().toInt() & 0xff;
    return code == 5 || code == 6;
}

} // namespace

void FigureStore::writeBacklog() {
    // Oldest first: a later reading of the same period replaces an earlier one.
    while (!m_backlog.empty()) {
        if (writeConnection(m_backlog.front()) != Write::Done)
            return;
        m_backlog.erase(m_backlog.begin());
    }
}

FigureStore::Write FigureStore::writeConnection(const EndedConnection& connection) {
    QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
    QSqlError error;
    for (int attempt = 1; attempt <= kWriteAttempts; ++attempt) {
        if (tryWrite(db, connection, error))
            return Write::Done;
        if (!isPostgres(db) || !isRetryable(error))
            break;
        QThread::msleep(static_cast<unsigned long>(
            kRetryPauseMs * attempt + QRandomGenerator::global()->bounded(kRetryPauseMs)));
    }
    const QString reason = sqlErrorText(error);
    if (!isPostgres(db) && isLocked(error)) {
        m_lostReason = reason;
        return Write::Locked;
    }
    fail(QStringLiteral("cannot write the figures of the connection: ") + reason);
    return Write::Failed;
}

bool FigureStore::tryWrite(QSqlDatabase& db, const EndedConnection& connection, QSqlError& error) {
    const bool postgres = isPostgres(db);
    QSqlQuery query(db);
    bool ok = query.exec(beginWriteStatement(db));
    if (!ok)
        error = query.lastError();
    const QString* prepared = nullptr;
    auto run = [&](const QString& statement, const QVariantList& values) {
        if (prepared != &statement) {
            if (!query.prepare(statement)) {
                error = query.lastError();
                return false;
            }
            prepared = &statement;
        }
        for (int i = 0; i < values.size(); ++i)
            query.bindValue(i, values[i]);
        if (!query.exec()) {
            error = query.lastError();
            return false;
        }
        return true;
    };
    const bool begun = ok;
    if (ok)
        ok = run(postgres ? kInsertRunReturningId : kInsertRun, connection.runValues);
    QVariant runId;
    if (ok && postgres)
        runId = query.next() ? query.value(0) : QVariant();
    else if (ok)
        runId = query.lastInsertId();
    for (size_t i = 0; ok && i < connection.rows.size(); ++i) {
        QVariantList values = connection.rows[i].values;
        values << runId;
        ok = run(*connection.rows[i].statement, values);
    }
    if (ok && !query.exec(QStringLiteral("COMMIT"))) {
        error = query.lastError();
        ok = false;
    }
    if (!ok && begun)
        query.exec(QStringLiteral("ROLLBACK"));
    return ok;
}

} // namespace rt570
