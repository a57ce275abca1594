// A report whose lines were all taken by the system but whose final write-back to disk fails:
// the error is shown and the status does not claim the archives were written.

#include "ArchiveFixture.h"
#include "archives/ArchiveReports.h"
#include "support/FailingSync.h"

namespace rt570 {
namespace {

#ifdef __linux__
class ReportWriteBack : public test::ArchiveSession {};

TEST_F(ReportWriteBack, FailedFinalWriteBackKeepsTheReadingText) {
    struct Case {
        void (*report)(RunState&, const QDate&);
        Report file;
        QString readingText;
    };
    const Case cases[] = {
        {hourlyReport, Report::Hourly, QStringLiteral("Считывание часовых архивов")},
        {dailyReport, Report::Daily, QStringLiteral("Считывание суточных архивов")},
        {monthlyReport, Report::Monthly, QStringLiteral("Считывание месячных архивов")},
    };
    openReports();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.readingText.toStdString());
        host.errors.clear();
        test::FailingSync failing(QLatin1String(kReportSuffixes[size_t(c.file)]));
        run([&] { c.report(session, QDate(2013, 3, 15)); });
        EXPECT_EQ(host.errors, QStringList{QStringLiteral("I/O error %1").arg(EIO)});
        EXPECT_EQ(session.display.statusText, c.readingText);
        EXPECT_EQ(test::FailingSync::failures(), 1);
        EXPECT_FALSE(reportBytes(c.file).isEmpty());
    }
}
#endif

} // namespace
} // namespace rt570
