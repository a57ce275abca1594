#pragma once

#include <QString>
#include <QStringList>
#include <gtest/gtest.h>

namespace rt570::test {

// A throwaway PostgreSQL server for one test program, made with the installed server binaries:
// a cluster in a folder of its own under /tmp, listening only on a Unix socket in that folder,
// stopped and removed when the program ends. The server may not run as root, so a program run
// as root runs the server as "nobody". Without the binaries, `missing()` says why and the
// tests skip.
class PostgresServer final : public ::testing::Environment {
public:
    void SetUp() override;
    void TearDown() override;

    bool running() const { return m_missing.isEmpty(); }
    const QString& missing() const { return m_missing; }
    // Whether the server binaries were not found (the program reports itself skipped).
    bool binariesMissing() const { return m_binariesMissing; }

    // A new, empty database; its URL for --db.
    QString newDatabase(const QString& name);
    QString url(const QString& database) const;
    // A statement run by the server's superuser in that database; false with a test failure.
    bool execute(const QString& database, const QString& sql);
    // Every row of a query, its columns joined with "|", NULL as "-".
    QStringList rows(const QString& database, const QString& sql);

private:
    bool tool(const QString& name, const QStringList& arguments);
    bool query(const QString& database, const QString& sql, QStringList* rows);

    QString m_bin;
    QString m_folder;
    QString m_missing = QStringLiteral("the test server has not started");
    bool m_binariesMissing = false;
};

// The program's server.
PostgresServer& postgres();

} // namespace rt570::test

// Skips the test when the program's server could not be started.
#define REQUIRE_POSTGRES()                                                                         \
    if (!::rt570::test::postgres().running()) {                                                    \
        GTEST_SKIP() << ::rt570::test::postgres().missing().toStdString();                         \
    }                                                                                              \
    static_assert(true, "")
