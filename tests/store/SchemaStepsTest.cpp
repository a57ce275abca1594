#include "DatabaseProbe.h"
#include "support/QStringPrinter.h"

#include "store/SchemaSteps.h"

#include <QSqlDatabase>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace rt570;
using rt570::test::DatabaseProbe;

namespace {

// Two versions of a made-up schema: version 2 adds a column and fills it.
const std::vector<SchemaStep> kTwoSteps{
    {QStringLiteral("CREATE TABLE a (x INTEGER)"), QStringLiteral("INSERT INTO a VALUES (7)")},
    {QStringLiteral("ALTER TABLE a ADD COLUMN y TEXT"), QStringLiteral("UPDATE a SET y = 'two'")},
};

TEST(SchemaStepsTest, RunsTheStepsTheDatabaseLacksInOneTransaction) {
    struct Case {
        const char* name;
        int storedVersion; // set on a file that holds step 1's table when above 0
        std::vector<SchemaStep> steps;
        const char* errorPart; // empty: success
        int versionAfter;
        const char* rowsAfter; // table a, "-" when it does not exist
    };
    const Case cases[] = {
        {"new file to version 2", 0, kTwoSteps, "", 2, "7|two"},
        // Step 1 would fail on the existing table, so it must not run again.
        {"version 1 to version 2", 1, kTwoSteps, "", 2, "5|two"},
        {"already at version 2", 2, kTwoSteps, "", 2, "5"},
        {"newer than the steps", 3, kTwoSteps, "schema version 3, newer than version 2", 3, "5"},
        {"a failing second step undoes the first",
         0,
         {kTwoSteps[0], {QStringLiteral("ALTER TABLE nowhere ADD COLUMN z")}},
         "nowhere",
         0,
         "-"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("schema.db"));
        if (c.storedVersion > 0) {
            DatabaseProbe setup(path);
            setup.exec(QStringLiteral("CREATE TABLE a (x INTEGER)"));
            setup.exec(QStringLiteral("INSERT INTO a VALUES (5)"));
            setup.exec(QStringLiteral("PRAGMA user_version = %1").arg(c.storedVersion));
        }
        QString error;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"),
                                                        QStringLiteral("schema-under-test"));
            db.setDatabaseName(path);
            ASSERT_TRUE(db.open());
            error = upgradeSchema(db, c.steps);
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("schema-under-test"));
        if (*c.errorPart == '\0')
            EXPECT_EQ(error, QString());
        else
            EXPECT_TRUE(error.contains(QLatin1String(c.errorPart))) << error.toStdString();

        DatabaseProbe probe(path);
        EXPECT_EQ(probe.rows(QStringLiteral("PRAGMA user_version")),
                  QStringList{QString::number(c.versionAfter)});
        const bool hasTable =
            !probe.rows(QStringLiteral("SELECT name FROM sqlite_master WHERE name = 'a'"))
                 .isEmpty();
        const QString rows =
            hasTable ? probe.rows(QStringLiteral("SELECT * FROM a")).join(QLatin1Char(' '))
                     : QStringLiteral("-");
        EXPECT_EQ(rows, QLatin1String(c.rowsAfter));
    }
}

} // namespace
