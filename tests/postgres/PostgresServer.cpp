#include "PostgresServer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUrl>
#include <atomic>
#include <cstdlib>
#include <unistd.h>

namespace rt570::test {

namespace {

const QString kSuperuser = QStringLiteral("rt570");
const char kServerUser[] = "nobody";

// The newest installed server's binaries: Debian keeps them per major version.
QString serverBinaries() {
    QDir versions(QStringLiteral("/usr/lib/postgresql"));
    const QStringList found = versions.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    for (auto it = found.rbegin(); it != found.rend(); ++it) {
        const QString bin = versions.filePath(*it) + QStringLiteral("/bin");
        if (QFileInfo(bin + QStringLiteral("/initdb")).isExecutable() &&
            QFileInfo(bin + QStringLiteral("/pg_ctl")).isExecutable())
            return bin;
    }
    return {};
}

PostgresServer* g_server = nullptr;

} // namespace

PostgresServer& postgres() {
    return *g_server;
}

bool PostgresServer::tool(const QString& name, const QStringList& arguments) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    const QString program = m_bin + QLatin1Char('/') + name;
    if (geteuid() == 0)
        process.start(QStringLiteral("runuser"),
                      QStringList{QStringLiteral("-u"), QLatin1String(kServerUser),
                                  QStringLiteral("--"), program} +
                          arguments);
    else
        process.start(program, arguments);
    const bool ok = process.waitForFinished(120000) &&
                    process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    if (!ok)
        m_missing = QStringLiteral("%1 failed: %2")
                        .arg(name, QString::fromLocal8Bit(process.readAll().trimmed()));
    return ok;
}

void PostgresServer::SetUp() {
    g_server = this;
    m_bin = serverBinaries();
    if (m_bin.isEmpty()) {
        m_missing = QStringLiteral("no PostgreSQL server binaries in /usr/lib/postgresql/*/bin "
                                   "(Debian package postgresql)");
        m_binariesMissing = true;
        return;
    }
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL"))) {
        m_missing = QStringLiteral("no PostgreSQL driver for Qt SQL (libqt6sql6-psql)");
        m_binariesMissing = true;
        return;
    }
    QByteArray folder = "/tmp/rt570-pg-XXXXXX";
    if (!mkdtemp(folder.data())) {
        m_missing = QStringLiteral("cannot make a folder under /tmp");
        return;
    }
    m_folder = QString::fromLocal8Bit(folder);
    if (geteuid() == 0 &&
        QProcess::execute(QStringLiteral("chown"), {QLatin1String(kServerUser), m_folder}) != 0) {
        m_missing =
            QStringLiteral("cannot give %1 to %2").arg(m_folder, QLatin1String(kServerUser));
        return;
    }
    const QString data = m_folder + QStringLiteral("/data");
    if (!tool(QStringLiteral("initdb"),
              {QStringLiteral("-D"), data, QStringLiteral("-A"), QStringLiteral("trust"),
               QStringLiteral("-U"), kSuperuser, QStringLiteral("-E"), QStringLiteral("UTF8"),
               QStringLiteral("--locale=C"), QStringLiteral("--no-sync")}))
        return;
    // Only the socket in the folder; deadlocks found within 0.1 s so that the tests that make
    // one stay quick; nothing forced to disk; sessions in UTC, whatever the clients' zone.
    const QString options =
        QStringLiteral("-k %1 -c listen_addresses='' -c deadlock_timeout=100ms -c fsync=off "
                       "-c synchronous_commit=off -c full_page_writes=off -c timezone=UTC")
            .arg(m_folder);
    if (!tool(QStringLiteral("pg_ctl"),
              {QStringLiteral("-D"), data, QStringLiteral("-w"), QStringLiteral("-t"),
               QStringLiteral("60"), QStringLiteral("-s"), QStringLiteral("-o"), options,
               QStringLiteral("-l"), m_folder + QStringLiteral("/server.log"),
               QStringLiteral("start")}))
        return;
    m_missing.clear();
}

void PostgresServer::TearDown() {
    if (m_folder.isEmpty())
        return;
    if (QFileInfo::exists(m_folder + QStringLiteral("/data/postmaster.pid")))
        tool(QStringLiteral("pg_ctl"),
             {QStringLiteral("-D"), m_folder + QStringLiteral("/data"), QStringLiteral("-m"),
              QStringLiteral("immediate"), QStringLiteral("-w"), QStringLiteral("-s"),
              QStringLiteral("stop")});
    QDir(m_folder).removeRecursively();
    m_folder.clear();
}

QString PostgresServer::url(const QString& database) const {
    return QStringLiteral("postgresql://%1@%2/%3")
        .arg(kSuperuser, QString::fromLatin1(QUrl::toPercentEncoding(m_folder)), database);
}

QString PostgresServer::newDatabase(const QString& name) {
    execute(QStringLiteral("postgres"), QStringLiteral("CREATE DATABASE %1").arg(name));
    return url(name);
}

bool PostgresServer::query(const QString& database, const QString& sql, QStringList* rows) {
    static std::atomic<int> counter{0};
    const QString name = QStringLiteral("rt570-test-server-%1").arg(++counter);
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        db.setHostName(m_folder);
        db.setUserName(kSuperuser);
        db.setDatabaseName(database);
        QSqlQuery query(db);
        ok = db.open() && query.exec(sql);
        if (!ok)
            ADD_FAILURE()
                << sql.toStdString() << ": "
                << (db.isOpen() ? query.lastError() : db.lastError()).text().toStdString();
        while (ok && rows && query.next()) {
            QStringList columns;
            for (int i = 0; i < query.record().count(); ++i)
                columns << (query.isNull(i) ? QStringLiteral("-") : query.value(i).toString());
            *rows << columns.join(QLatin1Char('|'));
        }
    }
    QSqlDatabase::removeDatabase(name);
    return ok;
}

QStringList PostgresServer::rows(const QString& database, const QString& sql) {
    QStringList result;
    query(database, sql, &result);
    return result;
}

bool PostgresServer::execute(const QString& database, const QString& sql) {
    return query(database, sql, nullptr);
}

} // namespace rt570::test
