#include "RunFixture.h"

#include "support/QStringPrinter.h"

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
};

// On 2014-01-05 with an empty store, six days back are 2013-12-30 .. 2014-01-04: six hourly
// reports, December's daily report and January's so far (as "daily yesterday"), December's
// monthly report, byte for byte as typed.
TEST_F(CatchUpRun, MissingReadsWhatAnOperatorWouldType) {
    ASSERT_EQ(run({"hourly", "2013-12-30", "hourly", "2013-12-31", "hourly", "2014-01-01", "hourly",
                   "2014-01-02", "hourly", "2014-01-03", "hourly", "2014-01-04", "daily",
                   "2013-12-31", "daily", "2014-01-04", "monthly", "2013-12-31"}),
              kExitOk);
    const std::map<QString, QByteArray> typed = takeReports();
    const QString db = home.path() + QStringLiteral("/figures.db");
    FigureOutputs store(db, QString(), QLatin1Char('.'));
    outputs = &store;
    ASSERT_EQ(run(QStringList{"--db", db, "--catch-up", "6", "hourly", "missing", "daily",
                              "missing", "monthly", "missing"}),
              kExitOk)
        << errText().toStdString();
    EXPECT_EQ(takeReports(), typed);
}

} // namespace
} // namespace rt570::cli::test
