#include "readings/OpeningRead.h"
#include "session/Session.h"
#include "support/FakeMeter.h"
#include "support/RecordingHost.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace rt570 {
namespace {

using test::FakeMeter;
using test::FakeSerialLine;
using test::frameSummary;
using test::RecordingHost;

class OpeningRead : public ::testing::Test {
protected:
    void SetUp() override {
        session.link.setDeviceAddress(1);
        session.clock = [this] { return m_now; };
        meter.parameters = {{0, 1234.0f}, {3, 25.0f},     {10, 8.0f},
                            {20, 50.0f},  {30, 20000.0f}, {40, 500.0f}};
        meter.attach(line);
        host.onMessagePass = [this] { progressAtPasses << session.display.progress; };
        ASSERT_TRUE(QDir(home.path()).mkdir("arc"));
    }
    QString arc(const QString& name = QString()) const { return home.path() + "/arc/" + name; }
    QStringList arcFiles() const { return QDir(arc()).entryList(QDir::Files, QDir::Name); }
    void run() {
        session.runOperation([this] { openingRead(session); });
    }

    QDateTime m_now{QDate(2014, 1, 5), QTime(9, 7, 41)};
    FakeSerialLine line;
    RecordingHost host;
    QTemporaryDir home;
    Session session{line, host, home.path()};
    FakeMeter meter;
    QList<int> progressAtPasses;
};

TEST_F(OpeningRead, CreatesTheFourEmptyFilesAndSetsTheFormats) {
    run();
    EXPECT_TRUE(host.errors.isEmpty());
    EXPECT_EQ(frameSummary(line.sentFrames()), "5:0 5:3 5:10 5:20 5:30 5:40");
    EXPECT_EQ(progressAtPasses, (QList<int>{0, 10, 15, 25, 50, 75}));
    EXPECT_EQ(session.display.progress, 100);

    EXPECT_EQ(session.display.openingStamp, "2014_01_05_09_07");
    EXPECT_EQ(session.display.reportStem, "1234D2014_01_05_09_07");
    EXPECT_EQ(arcFiles(),
              (QStringList{"1234D2014_01_05_09_07_chas.txt", "1234D2014_01_05_09_07_mes.txt",
                           "1234D2014_01_05_09_07_par.txt", "1234D2014_01_05_09_07_sut.txt"}));
    for (const QString& name : arcFiles())
        EXPECT_EQ(QFileInfo(arc(name)).size(), 0) << qPrintable(name);
    EXPECT_EQ(session.reports.file(Report::Parameters).path(),
              arc("1234D2014_01_05_09_07_par.txt"));
    for (const ReportFile& f : session.reports.ReportFiles)
        EXPECT_TRUE(f.isOpen());
    EXPECT_EQ(session.reports.FilesOpen, 1);
    EXPECT_EQ(session.reports.setCounter, 1);

    EXPECT_EQ(session.display.gsmStatus, "Считывание параметров");
    EXPECT_EQ(session.display.setCounter, "n=0");
    EXPECT_EQ(session.display.memo, QStringList{"OK=0"});
    EXPECT_EQ(session.display.statusText, "Параметры записаны");
    EXPECT_TRUE(session.display.hangUpEnabled);

    const std::array<int, 4> precisions{4, 3, 0, 2};
    for (size_t k = 0; k < 4; ++k) {
        for (size_t entry : {k, k + 12}) {
            EXPECT_EQ(session.formats.ValueFormats[entry].width, 6) << entry;
            EXPECT_EQ(session.formats.ValueFormats[entry].precision, precisions[k]) << entry;
        }
    }
    for (size_t entry = 4; entry < 12; ++entry)
        EXPECT_EQ(session.formats.ValueFormats[entry].width, 0);
}

TEST_F(OpeningRead, SecondReadShowsTheCounterAndMakesANewSet) {
    run();
    session.reports.file(Report::Parameters).appendLine("first set");
    // The receive result of the last exchange is logged: 11 bytes.
    m_now = QDateTime(QDate(2014, 12, 25), QTime(14, 37));
    meter.parameters[0] = 77.0f;
    run();
    EXPECT_EQ(session.display.setCounter, "n=1");
    EXPECT_EQ(session.display.memo, (QStringList{"OK=0", "OK=11"}));
    EXPECT_EQ(session.reports.setCounter, 2);
    EXPECT_EQ(session.display.reportStem, "77D2014_12_25_14_37");
    EXPECT_EQ(arcFiles().size(), 8);
    // The first set was closed with its contents; writing goes to the new set.
    session.reports.file(Report::Parameters).appendLine("second set");
    QFile first(arc("1234D2014_01_05_09_07_par.txt"));
    ASSERT_TRUE(first.open(QIODevice::ReadOnly));
    EXPECT_EQ(first.readAll(), QByteArray("first set\r\n"));
    QFile second(arc("77D2014_12_25_14_37_par.txt"));
    ASSERT_TRUE(second.open(QIODevice::ReadOnly));
    EXPECT_EQ(second.readAll(), QByteArray("second set\r\n"));
}

TEST_F(OpeningRead, SerialIsRoundedHalfToEven) {
    struct Case {
        float serial;
        const char* stem;
    };
    const Case cases[] = {{1234.5f, "1234D"},
                          {1235.5f, "1236D"},
                          {2.5f, "2D"},
                          {0.0f, "0D"},
                          {-3.5f, "-4D"},
                          {-0.25f, "0D"},
                          {999999.6f, "1000000D"},
                          // Above 1000000 the parameter is stored as 0.
                          {1234567.0f, "0D"}};
    for (const Case& c : cases) {
        meter.parameters[0] = c.serial;
        run();
        EXPECT_TRUE(session.display.reportStem.startsWith(QLatin1String(c.stem)))
            << c.serial << " " << qPrintable(session.display.reportStem);
    }
}

TEST_F(OpeningRead, SerialThatIsNoNumberCountsAsZero) {
    for (float serial : {std::numeric_limits<float>::quiet_NaN(),
                         -std::numeric_limits<float>::infinity(), -3.0e38f}) {
        meter.parameters[0] = serial;
        run();
        EXPECT_TRUE(host.errors.isEmpty());
        if (std::isfinite(serial))
            EXPECT_EQ(session.display.reportStem.size(), 40 + 17);
        else
            EXPECT_EQ(session.display.reportStem, "0D2014_01_05_09_07");
    }
}

TEST_F(OpeningRead, SilentMeterCreatesNoFileButEnablesHangUp) {
    meter.silent = true;
    run();
    EXPECT_EQ(line.sentFrames().size(), 6u * 11);
    EXPECT_TRUE(arcFiles().isEmpty());
    EXPECT_EQ(session.reports.FilesOpen, 0);
    EXPECT_EQ(session.reports.setCounter, 0);
    EXPECT_EQ(session.display.reportStem, "Edit2");
    EXPECT_EQ(session.display.openingStamp, "2014_01_05_09_07");
    EXPECT_EQ(session.display.statusText, "Параметры записаны");
    EXPECT_EQ(session.display.gsmStatus, "Считывание параметров");
    EXPECT_TRUE(session.display.hangUpEnabled);
    EXPECT_TRUE(session.link.LinkFailed());
    // Formats from what the failed reads stored (about 2.4e-38: up to 10 m3/h).
    EXPECT_EQ(session.formats.ValueFormats[0].precision, 4);
    EXPECT_EQ(session.formats.ValueFormats[15].width, 6);
}

TEST_F(OpeningRead, OneFailedSlotStillReadsTheOthers) {
    meter.silentParameters = {3};
    run();
    EXPECT_EQ(line.sentFrames().size(), 5u + 11);
    EXPECT_TRUE(frameSummary(line.sentFrames()).endsWith(" 5:3 5:10 5:20 5:30 5:40"));
    EXPECT_TRUE(arcFiles().isEmpty());
    EXPECT_EQ(session.formats.ValueFormats[2].precision, 0);
}

TEST_F(OpeningRead, MissingReportFolderEndsTheOperation) {
    ASSERT_TRUE(QDir(arc()).removeRecursively());
    run();
    ASSERT_EQ(host.errors, QStringList{"Invalid filename"});
    EXPECT_FALSE(QDir(arc()).exists());
    EXPECT_EQ(session.reports.FilesOpen, 0);
    EXPECT_EQ(session.reports.setCounter, 0);
    EXPECT_EQ(session.display.reportStem, "1234D2014_01_05_09_07");
    EXPECT_EQ(session.display.statusText, "Считывание параметров");
    EXPECT_FALSE(session.display.hangUpEnabled);
    EXPECT_EQ(session.formats.ValueFormats[0].width, 0);
    for (const ReportFile& f : session.reports.ReportFiles)
        EXPECT_FALSE(f.isOpen());
}

TEST_F(OpeningRead, FailedCreateLeavesNoFileOfTheSetOpen) {
    // The daily file's name is taken by a folder: the first two files were made, the third
    // fails, and nothing of the set stays open.
    ASSERT_TRUE(QDir(arc()).mkdir("1234D2014_01_05_09_07_sut.txt"));
    run();
    ASSERT_EQ(host.errors, QStringList{"File access denied"});
    for (const ReportFile& f : session.reports.ReportFiles)
        EXPECT_FALSE(f.isOpen());
    EXPECT_EQ(session.reports.FilesOpen, 0);
    EXPECT_TRUE(QFile::exists(arc("1234D2014_01_05_09_07_chas.txt")));
    EXPECT_FALSE(QFile::exists(arc("1234D2014_01_05_09_07_mes.txt")));
}

} // namespace
} // namespace rt570
