#include "readings/ParameterReport.h"
#include "readings/ParameterTables.h"
#include "session/Session.h"
#include "state/NumberText.h"
#include "support/FakeMeter.h"
#include "support/RecordingFigureSink.h"
#include "support/RecordingHost.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#ifndef _WIN32
#include <csignal>
#include <sys/resource.h>
#endif

namespace rt570 {
namespace {

using test::FakeMeter;
using test::FakeSerialLine;
using test::RecordingHost;
using test::toHex;

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

class ParameterReport : public ::testing::Test {
protected:
    void SetUp() override {
        m_separator = decimalSeparator();
        setDecimalSeparator(QLatin1Char('.'));
        session.link.setDeviceAddress(1);
        fillParameterNames(session.ParameterNames);
        meter.parameters = test::knownMeterParameters();
        meter.attach(line);
        host.onMessagePass = [this] { progressAtPasses << session.display.progress; };
    }
    void TearDown() override { setDecimalSeparator(m_separator); }

    QString openParameterFile() {
        const QString path = home.filePath("1234D2014_01_05_09_07_par.txt");
        session.reports.file(Report::Parameters).create(path);
        session.reports.FilesOpen = 1;
        return path;
    }
    void run() {
        session.runOperation([this] { parameterReport(session); });
    }

    QChar m_separator;
    FakeSerialLine line;
    RecordingHost host;
    QTemporaryDir home;
    Session session{line, host, home.path()};
    FakeMeter meter;
    QList<int> progressAtPasses;
};

TEST_F(ParameterReport, WholeReportOfAKnownMeter) {
    const QString path = openParameterFile();
    session.reports.setCounter = 3;
    run();
    EXPECT_TRUE(host.errors.isEmpty());
    EXPECT_EQ(readAll(path), readAll(RT570_TEST_DATA "/known_meter_par_point.txt"));
    EXPECT_EQ(session.display.statusText, "Параметры записаны");
    EXPECT_EQ(session.display.setCounter, "n=3");
    EXPECT_EQ(session.display.memo, QStringList{"OK=0"});
    EXPECT_FALSE(session.link.LinkFailed());

    // Slots 0..119 and 135..138, one frame each.
    const auto frames = line.sentFrames();
    ASSERT_EQ(frames.size(), 124u);
    EXPECT_EQ(toHex(frames[0]), "23 01 05 00 00 00 00 00 00 36 0D");
    EXPECT_EQ(uint8_t(frames[119][3]), 119);
    EXPECT_EQ(uint8_t(frames[120][3]), 135);
    EXPECT_EQ(uint8_t(frames[123][3]), 138);
    // Progress after each slot: slot*100 div 138; the skipped slots move it too.
    EXPECT_EQ(progressAtPasses[1], 0);    // after slot 0
    EXPECT_EQ(progressAtPasses[2], 0);    // after slot 1
    EXPECT_EQ(progressAtPasses[70], 50);  // after slot 69
    EXPECT_EQ(progressAtPasses[120], 97); // after slot 134, while 135 is read
    EXPECT_EQ(session.display.progress, 100);
}

TEST_F(ParameterReport, RegionalCommaAndTwoReportsInOneFile) {
    setDecimalSeparator(QLatin1Char(','));
    const QString path = openParameterFile();
    run();
    run();
    const QByteArray one = readAll(RT570_TEST_DATA "/known_meter_par_comma.txt");
    EXPECT_EQ(readAll(path), one + one);
}

TEST_F(ParameterReport, StopsAtTheFirstFailedSlotAndWritesAllTheSame) {
    const QString path = openParameterFile();
    meter.silentParameters = {7, 8};
    session.link.setValue(15, 99); // from an earlier read: slot 15 is not read again
    run();
    const auto frames = line.sentFrames();
    ASSERT_EQ(frames.size(), 7u + 11);
    EXPECT_EQ(uint8_t(frames.back()[3]), 7);
    EXPECT_TRUE(session.link.LinkFailed());
    EXPECT_EQ(session.display.progress, 4); // 6*100/138
    const QByteArray report = readAll(path);
    EXPECT_TRUE(report.contains("\r\nDCON               | 0       |\r\n"));
    EXPECT_TRUE(report.contains("| 99        | 0         | 0         | 0         |\r\n"));
    EXPECT_EQ(session.display.statusText, "Параметры записаны");
}

TEST_F(ParameterReport, WithoutOpenFilesTheFirstLineFails) {
    meter.silentParameters = {3};
    run();
    EXPECT_EQ(host.errors, QStringList{"I/O error 103"});
    EXPECT_EQ(line.sentFrames().size(), 3u + 11);
    EXPECT_EQ(session.display.statusText, "Считывание параметров");
}

#ifndef _WIN32
TEST_F(ParameterReport, FullDisk) {
    if (!QFile::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full";
    session.reports.file(Report::Parameters).create("/dev/full");
    run();
    EXPECT_EQ(host.errors, QStringList{QStringLiteral("I/O error %1").arg(ENOSPC)});
    EXPECT_EQ(session.display.statusText, "Считывание параметров");
}

TEST_F(ParameterReport, LinesWrittenBeforeAFailedOneStay) {
    const QString path = openParameterFile();
    // The file may grow to 300 bytes: the third line (the first channel row) fails.
    const QByteArray golden = readAll(RT570_TEST_DATA "/known_meter_par_point.txt");
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit limited = saved;
    limited.rlim_cur = 200;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    run();
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    ASSERT_EQ(host.errors.size(), 1);
    EXPECT_EQ(host.errors[0], QStringLiteral("I/O error %1").arg(EFBIG));
    const QByteArray written = readAll(path);
    // The first two lines are whole (70 bytes each); the part of the third that the limit let
    // through is taken back, so the file ends after a whole line.
    EXPECT_EQ(written, golden.left(140));
    EXPECT_EQ(session.display.statusText, "Считывание параметров");
}
#endif

TEST_F(ParameterReport, FiguresOfThePrintedValuesThatWereAnswered) {
    openParameterFile();
    test::RecordingFigureSink sink;
    session.figures = &sink;
    session.clock = [] { return QDateTime(QDate(2014, 1, 5), QTime(9, 7, 41)); };
    struct Case {
        std::set<int> silent;
        size_t count;
        std::vector<int> first; // the first slots, in the order of the report's rows
    };
    // 40 channel values, 12 general ones and 20 additional ones; a silent slot ends the reads.
    const std::vector<Case> cases{{{}, 72, {10, 20, 30, 40, 11}}, {{7, 8}, 7, {0, 1, 2}}};
    for (const Case& c : cases) {
        sink = test::RecordingFigureSink{};
        meter.silentParameters = c.silent;
        run();
        ASSERT_EQ(sink.parameterCalls.size(), 1u);
        EXPECT_EQ(sink.parameterCalls[0].readAt, QDateTime(QDate(2014, 1, 5), QTime(9, 7, 41)));
        const std::vector<ParameterFigure>& rows = sink.parameterCalls[0].rows;
        ASSERT_EQ(rows.size(), c.count);
        for (size_t i = 0; i < c.first.size(); ++i)
            EXPECT_EQ(rows[i].slot, c.first[i]);
    }
    // Values and row names read off the known meter's report, each name without its padding;
    // floats as the decimals the meter's list gives (141.42, not 141.4199981689453).
    const std::map<int, std::pair<QString, double>> expected{{20, {"G макс., м3/час", 12.5}},
                                                             {14, {"База датчиков,мм", 141.42}},
                                                             {16, {"Cмещение нуля,нс", -0.35}},
                                                             {0, {"Серийный номер", 1234}},
                                                             {9, {"Хорда", 1}},
                                                             {51, {"Вес импульса", 10}},
                                                             {138, {"Напряжение УФ", 12}},
                                                             {75, {"Режим счетчика", 3.5}},
                                                             {77, {"Индекс ток. вых.2", 2}}};
    sink = test::RecordingFigureSink{};
    meter.silentParameters.clear();
    run();
    ASSERT_EQ(sink.parameterCalls.size(), 1u);
    std::map<int, std::pair<QString, double>> got;
    for (const ParameterFigure& p : sink.parameterCalls[0].rows)
        if (expected.count(p.slot))
            got[p.slot] = {p.name, p.value};
    EXPECT_EQ(got, expected);
}

TEST(ParameterRows, WorkedExamples) {
    std::array<QString, 256> names;
    fillParameterNames(names);
    ValueTable values{};
    values[15] = 10;
    values[25] = 12;
    values[35] = 8;
    values[45] = 10;
    values[0] = -10000000;
    values[1] = -100000000;
    values[9] = 0;
    const QStringList lines = parameterReportLines(values, names);
    ASSERT_EQ(lines.size(), 2 + 10 + 2 + 12 + 2 + 5);
    EXPECT_EQ(lines[7], QStringLiteral("Усреднение,с       | 10        | 12        | 8         "
                                       "| 10        |"));
    // The bar at column 30 covers the last digit of a field that reaches it.
    EXPECT_EQ(lines[14], QStringLiteral("Серийный номер     | -1000000|"));
    // A longer field leaves its end behind the bar.
    EXPECT_EQ(lines[15], QStringLiteral("Пароль на изм.     | -1000000|0"));
    EXPECT_EQ(lines[23], QStringLiteral("Хорда              | 0       | однолучевой"));
    values[9] = -1;
    EXPECT_EQ(parameterReportLines(values, names)[23],
              QStringLiteral("Хорда              | -1      | двухлучевой"));
    // General rows are written without decimals whatever the value.
    values[7] = 9600.5;
    EXPECT_EQ(parameterReportLines(values, names)[21],
              QStringLiteral("Скорость обмена    | 9601    |"));
}

TEST(ParameterRows, OverwriteAtColumn) {
    QString line = QStringLiteral("abcdef");
    overwriteAt(line, 3, QStringLiteral("XY"));
    EXPECT_EQ(line, "abXYef");
    overwriteAt(line, 5, QStringLiteral("1234"));
    EXPECT_EQ(line, "abXY1234");
    overwriteAt(line, 11, QStringLiteral("|"));
    EXPECT_EQ(line, "abXY1234  |");
}

TEST(ParameterNames, ExactTexts) {
    std::array<QString, 256> names;
    fillParameterNames(names);
    int named = 0;
    for (const QString& n : names)
        named += n.isEmpty() ? 0 : 1;
    EXPECT_EQ(named, 27);
    EXPECT_EQ(names[16].at(0).unicode(), 'C');
    EXPECT_EQ(names[16].mid(1), "мещение нуля,нс");
    EXPECT_EQ(names[50], "Вес импульса   ");
    EXPECT_EQ(names[72], "Режим счетчика ");
    EXPECT_EQ(names[112], "Окно УЗС, мкс  ");
    EXPECT_EQ(names[116], "Ширина УЗС     ");
    EXPECT_EQ(names[135], "Напряжение УФ  ");
    EXPECT_EQ(names[13], "Вн.диаметр   ,мм");
}

TEST(ReplyView, LastReplyBytesAndFigures) {
    FakeSerialLine line;
    RecordingHost host;
    QTemporaryDir home;
    Session session{line, host, home.path()};
    const QChar saved = decimalSeparator();
    setDecimalSeparator(QLatin1Char(','));
    session.link.setDeviceAddress(1);
    line.queueReply(test::hexBytes("00 00 00 00 00 00 24 74 49 EE 0D"));
    session.link.ReadParameter(0);
    replyView(session);
    EXPECT_EQ(session.display.memo,
              (QStringList{"0", "0", "0", "0", "0", "0", "36", "116", "73", "238", "13", "1",
                           "l=11", "r=200", "f=1000000,0000", "ret=11", "kc__=238"}));
    EXPECT_TRUE(line.sentFrames().size() == 1);

    session.display.memo.clear();
    line.queueReply(FakeMeter::frame(makeReply(1, 5, 0, 0, bitsFromFloat(3.4e38f))));
    session.link.ReadParameter(0);
    replyView(session);
    EXPECT_EQ(session.display.memo[14], "f=3,4000E+38");
    setDecimalSeparator(saved);
}

} // namespace
} // namespace rt570
