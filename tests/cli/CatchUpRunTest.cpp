#include "RunFixture.h"

#include "support/QStringPrinter.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <map>

namespace rt570::cli::test {
namespace {

class CatchUpRun : public CliRunFixture {
protected:
    // The report files by name, then gone from the folder for the next run.
    std::map<QString, QByteArray> takeReports() {
        std::map<QString, QByteArray> files;
        for (const QString& name : reportNames()) {
            QFile file(arcPath() + QLatin1Char('/') + name);
            if (file.open(QIODevice::ReadOnly))
                files[name] = file.readAll();
            file.remove();
        }
        return files;
    }
    bool archiveRead() const {
        for (const char* name : {"begin hourly", "begin daily", "begin monthly"})
            if (notes.contains(QLatin1String(name)))
                return true;
        return false;
    }
};

// On 2014-01-05, six days back are 2013-12-30 .. 2014-01-04: six hourly reports, December's
// daily report and January's so far (as "daily yesterday"), December's monthly report. One store
// over the runs, as in one collect run: the second finds nothing missing.
TEST_F(CatchUpRun, MissingReadsWhatAnOperatorWouldTypeThenNothing) {
    ASSERT_EQ(run({"hourly", "2013-12-30", "hourly", "2013-12-31", "hourly", "2014-01-01", "hourly",
                   "2014-01-02", "hourly", "2014-01-03", "hourly", "2014-01-04", "daily",
                   "2013-12-31", "daily", "2014-01-04", "monthly", "2013-12-31"}),
              kExitOk);
    const std::map<QString, QByteArray> typed = takeReports();
    ASSERT_EQ(typed.size(), 4u);

    const QString db = home.path() + QStringLiteral("/figures.db");
    FigureOutputs store(db, QString(), QLatin1Char('.'));
    outputs = &store;
    const QStringList missing{QStringLiteral("--db"),       db,
                              QStringLiteral("--catch-up"), QStringLiteral("6"),
                              QStringLiteral("hourly"),     QStringLiteral("missing"),
                              QStringLiteral("daily"),      QStringLiteral("missing"),
                              QStringLiteral("monthly"),    QStringLiteral("missing")};
    ASSERT_EQ(run(missing), kExitOk) << errText().toStdString();
    EXPECT_EQ(takeReports(), typed);

    notes.clear();
    const size_t sentBefore = line.sentFrames().size();
    ASSERT_EQ(run(missing), kExitOk) << errText().toStdString();
    EXPECT_FALSE(archiveRead()) << notes.join(QLatin1Char(',')).toStdString();
    EXPECT_EQ(line.sentFrames().size() - sentBefore, 6u); // the opening read alone

    // A damaged store cannot tell: the other operations still run, the run fails as exit 3.
    {
        QSqlDatabase probe =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("damage"));
        probe.setDatabaseName(db);
        ASSERT_TRUE(probe.open());
        ASSERT_TRUE(QSqlQuery(probe).exec(QStringLiteral("DROP TABLE hourly")));
        probe.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("damage"));
    notes.clear();
    EXPECT_EQ(run({"--db", "f.db", "hourly", "missing", "values"}), kExitFileError);
    EXPECT_TRUE(errText().contains(QStringLiteral("no such table: hourly")))
        << errText().toStdString();
    EXPECT_TRUE(notes.contains(QStringLiteral("begin values")));
    EXPECT_FALSE(archiveRead());
}

} // namespace
} // namespace rt570::cli::test
