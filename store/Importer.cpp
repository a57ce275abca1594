#include "store/Importer.h"

#include "store/KeyedTables.h"
#include "store/SqlText.h"
#include "store/StoreDatabase.h"

#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <atomic>

// The import's course: opening both stores, its failures as one sentence, and its transactions.
namespace rt570::storeimport {

namespace {

constexpr int kBusyTimeoutMs = 60000;

QString uniqueName(const char* role) {
    static std::atomic<int> counter{0};
    return QStringLiteral("rt570-import-%1-%2").arg(QLatin1String(role)).arg(++counter);
}

} // namespace

Importer::Importer(const QString& sourcePath, const StoreTarget& target)
    : m_sourcePath(sourcePath), m_target(target), m_sourceName(uniqueName("source")),
      m_targetName(uniqueName("target")) {}

Importer::~Importer() {
    for (const QString& name : {m_sourceName, m_targetName}) {
        if (!QSqlDatabase::contains(name))
            continue;
        QSqlDatabase::database(name, false).close();
        QSqlDatabase::removeDatabase(name);
    }
}

ImportOutcome Importer::run() {
    StoreTarget source;
    source.path = m_sourcePath;
    if (!QFileInfo(m_sourcePath).isFile())
        return failed(sourceText(), QStringLiteral("no such file"));
    QString error = openFigureDatabase(source, m_sourceName, kBusyTimeoutMs);
    if (!error.isEmpty())
        return failed(sourceText(), error);
    error = openFigureDatabase(m_target, m_targetName, kBusyTimeoutMs);
    if (!error.isEmpty())
        return failed(targetText(), error);
    // A server's commit need not wait for its disk here: a crash of the server loses at
    // most the last few commits, and running the import again brings them back.
    if (isPostgres(target()))
        QSqlQuery(target()).exec(QStringLiteral("SET synchronous_commit TO off"));
    if (copyRuns()) {
        for (const KeyedTable& table : keyedTables())
            if (!copyKeyed(table))
                break;
    }
    return m_outcome;
}

ImportOutcome Importer::failed(const QString& name, const QString& reason) {
    if (m_outcome.error.isEmpty())
        m_outcome.error = QStringLiteral("figure database %1: %2").arg(name, reason);
    return m_outcome;
}

bool Importer::readFailed(const QSqlError& error) {
    failed(sourceText(), QStringLiteral("cannot read it: ") + sqlErrorText(error));
    return false;
}

bool Importer::writeFailed(const QSqlError& error) {
    failed(targetText(),
           QStringLiteral("cannot write the imported figures: ") + sqlErrorText(error));
    QSqlQuery(target()).exec(QStringLiteral("ROLLBACK"));
    return false;
}

bool Importer::execute(QSqlQuery& query, const QVariantList& values) {
    for (int i = 0; i < values.size(); ++i)
        query.bindValue(i, values[i]);
    return query.exec() || writeFailed(query.lastError());
}

bool Importer::begin() {
    QSqlQuery query(target());
    return query.exec(beginWriteStatement(target())) || writeFailed(query.lastError());
}

bool Importer::commit() {
    QSqlQuery query(target());
    return query.exec(QStringLiteral("COMMIT")) || writeFailed(query.lastError());
}

} // namespace rt570::storeimport
