#include "RunFixture.h"

#include "archives/ArchiveReports.h"
#include "readings/OpeningRead.h"
#include "readings/ParameterReport.h"
#include "session/Connection.h"
#include "session/Session.h"
#include "sim/MeterParameters.h"
#include "support/QStringPrinter.h"
#include "support/RecordingFigureSink.h"
#include "support/RecordingHost.h"

#include <QTimeZone>

namespace rt570::cli::test {
namespace {

using rt570::test::FakeSerialLine;
using Call = FakeSerialLine::Call;

QString stem() {
    return QString::number(sim::defaultSerial(570)) + QStringLiteral("D2014_01_05_09_07");
}

uint8_t commandOf(const QByteArray& frame) {
    return frame.size() > 2 ? uint8_t(frame[2]) : 0xFF;
}

class CliRun : public CliRunFixture {};

TEST_F(CliRun, ValuesPrintsTheLabelsAndCreatesTheFourEmptyReports) {
    EXPECT_EQ(run({"values"}), kExitOk);

    const QStringList lines = outText().split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 16) << outText().toStdString(); // 15 lines and the final newline
    EXPECT_TRUE(lines.last().isEmpty());
    const char* prefixes[] = {
        "G1,м3/час: ", "G2,м3/час: ", "G3,м3/час: ", "G4,м3/час: ", "V1,м3: ",
        "V2,м3: ",     "V3,м3: ",     "V4,м3: ",     "В1,ч: ",      "В2,ч: ",
        "В3,ч: ",      "В4,ч: ",      "Tс,ч: ",      "Дата:  ",     "Время:  "};
    for (int i = 0; i < 15; ++i)
        EXPECT_TRUE(lines[i].startsWith(QString::fromUtf8(prefixes[i]))) << lines[i].toStdString();
    // The meter's clock runs within 90 s of the PC's (09:07:30 on 5 January 2014).
    EXPECT_TRUE(lines[13] == QStringLiteral("Дата:  2014.01.05 ")) << lines[13].toStdString();

    EXPECT_EQ(reportNames(), QStringList({stem() + "_chas.txt", stem() + "_mes.txt",
                                          stem() + "_par.txt", stem() + "_sut.txt"}));
    for (const char* suffix : {"_par.txt", "_chas.txt", "_sut.txt", "_mes.txt"})
        EXPECT_TRUE(report(suffix).isEmpty()) << suffix;

    // 6 parameter requests, then 4 flows, 13 integers and the clock, each answered at once.
    const auto frames = line.sentFrames();
    ASSERT_EQ(frames.size(), 24u);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(commandOf(frames[size_t(i)]), 5);
    EXPECT_EQ(commandOf(frames.back()), 1);
    EXPECT_EQ(errText(), QStringLiteral("rt570-cli: requests 24, errors 0, time-outs 0\n"));
}

TEST_F(CliRun, OpensOnlyTheChosenPortAtTheChosenRate) {
    EXPECT_EQ(run({"--port", "5", "--rate", "19200", "set-clock"}), kExitOk);
    // The window's start-up opens port 1; a run must not take a port it was not given.
    ASSERT_EQ(line.count(Call::Open), 1);
    std::vector<Call> opens, closes;
    for (const Call& c : line.calls)
        (c.kind == Call::Open ? opens : closes).push_back(c);
    EXPECT_EQ(opens[0].port, 5);
    EXPECT_EQ(opens[0].rate, 19200u);
    EXPECT_EQ(opens[0].dataBits, 8);
    EXPECT_EQ(opens[0].parity, 0);
    EXPECT_EQ(opens[0].stopBits, 0);
    int closesOf5 = 0;
    for (const Call& c : line.calls)
        closesOf5 += c.kind == Call::Close && c.port == 5;
    EXPECT_EQ(closesOf5, 4); // three before the open, one at the end
    EXPECT_EQ(line.calls.front().kind, Call::Close);
    EXPECT_EQ(line.calls.back().kind, Call::Close);
    // set-clock: the PC's time 2014-01-05 09:07:30 as DateCode 1401050907, seconds 30.
    EXPECT_EQ(rt570::test::toHex(line.sentFrames().back()), "23 01 00 1E 00 1B 57 82 53 96 0D");
}

TEST_F(CliRun, MeterAtAnotherAddressFailsTheOpeningReadWithNoFilesAndNoOperations) {
    EXPECT_EQ(run({"--address", "7", "hourly", "2014-01-04", "values"}), kExitLinkFailed);
    EXPECT_TRUE(reportNames().isEmpty());
    // Only the six parameter requests of the opening read, 11 attempts each.
    const auto frames = line.sentFrames();
    ASSERT_EQ(frames.size(), 66u);
    for (const QByteArray& f : frames) {
        EXPECT_EQ(commandOf(f), 5);
        EXPECT_EQ(uint8_t(f[1]), 7);
    }
    EXPECT_TRUE(outText().isEmpty());
    const QString stderrText = errText();
    EXPECT_TRUE(stderrText.contains(QStringLiteral("the opening read failed")))
        << stderrText.toStdString();
    EXPECT_TRUE(
        stderrText.endsWith(QStringLiteral("rt570-cli: requests 72, errors 66, time-outs 6\n")))
        << stderrText.toStdString();
    EXPECT_EQ(notes, QStringList({QStringLiteral("begin opening read"),
                                  QStringLiteral("end opening read")}));
}

TEST_F(CliRun, MissingReportFolderEndsWithTheWindowsMessage) {
    ASSERT_TRUE(QDir(arcPath()).removeRecursively());
    EXPECT_EQ(run({"params", "values"}), kExitFileError);
    EXPECT_EQ(line.sentFrames().size(), 6u); // no operation ran
    // The window's message, and the file it could not create (the meter's serial number 20570,
    // the PC's clock 2014-01-05 09:07).
    EXPECT_TRUE(errText().startsWith(QStringLiteral("rt570-cli: Invalid filename: ") + arcPath() +
                                     QStringLiteral("/20570D2014_01_05_09_07_par.txt\n")))
        << errText().toStdString();
}

// The CSV folder, usable at the start, goes away during the run: the report is written, the
// figures are not, and the run says so with exit status 3.
TEST_F(CliRun, FiguresThatCouldNotBeWrittenEndTheRunWithExitThree) {
    const QString csv = home.path() + QStringLiteral("/csv");
    FigureOutputs figureOutputs(QString(), csv, QLatin1Char('.'));
    ASSERT_TRUE(figureOutputs.errors().isEmpty());
    outputs = &figureOutputs;
    ASSERT_TRUE(QDir(csv).removeRecursively());
    EXPECT_EQ(run({"params"}), kExitFileError);
    EXPECT_FALSE(report("_par.txt").isEmpty());
    EXPECT_TRUE(errText().contains(QStringLiteral("CSV file ") + csv)) << errText().toStdString();
}

TEST_F(CliRun, ALaterRequestThatRanOutStillWritesTheWholeReport) {
    // The meter never answers for the end-of-day integrators (command 12, kind 4).
    silentWhen = [](const QByteArray& f) { return commandOf(f) == 12 && uint8_t(f[4]) == 4; };
    EXPECT_EQ(run({"hourly", "2014-01-04"}), kExitLinkFailed);
    const QByteArray hourly = report("_chas.txt");
    EXPECT_EQ(hourly.count("\r\n"), 46);
    const QString stderrText = errText();
    EXPECT_TRUE(stderrText.contains(QStringLiteral("9 request(s) got no good reply")))
        << stderrText.toStdString();
    // 6 + 24*9 + 9 answered; 9 integrator requests with 13 attempts each.
    EXPECT_TRUE(stderrText.endsWith(QStringLiteral("requests 357, errors 117, time-outs 9\n")))
        << stderrText.toStdString();
}

TEST_F(CliRun, SilentClockStillPrintsTheLabelsAndFailsTheRun) {
    silentWhen = [](const QByteArray& f) { return commandOf(f) == 1; };
    EXPECT_EQ(run({"values"}), kExitLinkFailed);
    const QStringList lines = outText().split(QLatin1Char('\n'));
    ASSERT_GE(lines.size(), 15);
    // The reply buffer's pre-fill, decoded.
    EXPECT_EQ(lines[13], QStringLiteral("Дата:  2000.16.84 "));
    EXPECT_EQ(lines[14], QStringLiteral("Время:  30:09:01"));
}

// With a figure sink, the meter's clock (set to 2014-01-05 08:30:15) is read once per
// connection, however many archive operations there are, and reaches the sink before their
// rows; invalid when the meter leaves it unanswered. Without a sink, or without an archive
// operation, no clock request is added to the run.
TEST_F(CliRun, TheMetersClockGoesToTheFigureSinkOnceBeforeTheArchiveRows) {
    ASSERT_TRUE(meter.setClock(1401050830, 15));
    const QDateTime meterClock(QDate(2014, 1, 5), QTime(8, 30, 15), QTimeZone::utc());
    const struct {
        bool sink;
        bool silentClock;
        std::initializer_list<const char*> args;
        int clockRequests; // command 1, each attempt counted
        std::vector<QDateTime> clocks;
    } cases[] = {
        {true, false, {"hourly", "2014-01-04", "daily", "2013-12-01"}, 1, {meterClock}},
        {true, false, {"values", "daily", "2013-12-01"}, 2, {meterClock}}, // values reads it too
        {true, false, {"values", "params"}, 1, {}},
        {false, false, {"hourly", "2014-01-04", "daily", "2013-12-01"}, 0, {}},
        {true, true, {"hourly", "2014-01-04"}, 16, {QDateTime()}},
    };
    for (const auto& c : cases) {
        const std::string what = std::to_string(&c - cases);
        line.clear();
        rt570::test::RecordingFigureSink sink;
        figures = c.sink ? &sink : nullptr;
        silentWhen = [&c](const QByteArray& f) { return c.silentClock && commandOf(f) == 1; };
        run(c.args);
        int clockRequests = 0;
        for (const QByteArray& frame : line.sentFrames())
            clockRequests += commandOf(frame) == 1 ? 1 : 0;
        EXPECT_EQ(clockRequests, c.clockRequests) << what;
        ASSERT_EQ(sink.meterClocks.size(), c.clocks.size()) << what;
        for (size_t i = 0; i < c.clocks.size(); ++i) {
            EXPECT_EQ(sink.meterClocks[i].wallTime, c.clocks[i])
                << what << ": " << sink.meterClocks[i].wallTime.toString(Qt::ISODate).toStdString();
            EXPECT_EQ(sink.meterClocks[i].archivesBefore, 0u) << what;
        }
        EXPECT_EQ(sink.archives.empty(), c.clocks.empty()) << what;
    }
}

TEST_F(CliRun, OperationsRunInTheOrderGivenAndAreMarkedInTheTrace) {
    EXPECT_EQ(run({"monthly", "2013-12-10", "set-clock", "monthly", "2013-11-10"}), kExitOk);
    EXPECT_EQ(notes,
              QStringList({"begin opening read", "end opening read", "begin monthly", "end monthly",
                           "begin set-clock", "end set-clock", "begin monthly", "end monthly"}));
    const QByteArray monthly = report("_mes.txt");
    EXPECT_EQ(monthly.count("\r\n"), 2 * monthly.left(monthly.size() / 2).count("\r\n"));
    const auto frames = line.sentFrames();
    ASSERT_EQ(frames.size(), 6u + 9 + 1 + 9);
    EXPECT_EQ(commandOf(frames[15]), 0);
}

TEST_F(CliRun, ModemCallDialsWaitsAndHangsUpEvenWhenTheLinkFails) {
    EXPECT_EQ(run({"--gsm", "+79001234567", "--blind-dial", "--address", "9", "values"}),
              kExitLinkFailed);
    const auto frames = line.sentFrames();
    ASSERT_EQ(frames.size(), 1u + 66 + 2);
    EXPECT_EQ(frames.front(), QByteArray("ATD+79001234567\r"));
    EXPECT_EQ(frames[frames.size() - 2], QByteArray("+++"));
    EXPECT_EQ(frames.back(), QByteArray("ATH\r"));
    EXPECT_EQ(waits, (std::vector<int>{35000, 5000}));
    EXPECT_EQ(line.calls.back().kind, Call::Close); // the port closes after "ATH"
}

TEST_F(CliRun, ModemCallWithAnAnsweringMeter) {
    EXPECT_EQ(run({"--gsm", "ATDT0079001234567", "--blind-dial", "monthly", "2013-12-01"}),
              kExitOk);
    const auto frames = line.sentFrames();
    EXPECT_EQ(frames.front(), QByteArray("ATDT00790012345\r")); // 15 characters and CR
    EXPECT_EQ(frames.back(), QByteArray("ATH\r"));
    EXPECT_EQ(report("_mes.txt").count("\r\n"), 9);
}

// The PC's clock outside the years a date code carries: set-clock sends nothing and is refused
// with the window's message, the later operations still run, and a request that ran out of
// attempts still makes the run a failed link.
struct RefusedClockCase {
    QDateTime pc;
    bool silentIntegrators;
    int status;
};

class CliRunRefusedClock : public CliRunFixture,
                           public ::testing::WithParamInterface<RefusedClockCase> {};

TEST_P(CliRunRefusedClock, SetClockIsRefusedAndTheOtherOperationsRun) {
    const RefusedClockCase c = GetParam();
    pcClock = [c] { return c.pc; };
    if (c.silentIntegrators)
        silentWhen = [](const QByteArray& f) { return commandOf(f) == 12 && uint8_t(f[4]) == 4; };
    EXPECT_EQ(run({"set-clock", "values", "hourly", "2014-01-04"}), c.status);

    for (const QByteArray& frame : line.sentFrames())
        EXPECT_NE(commandOf(frame), 0) << "a clock was sent";
    const QString stderrText = errText();
    EXPECT_TRUE(stderrText.contains(QString::number(c.pc.date().year())))
        << stderrText.toStdString();
    EXPECT_EQ(stderrText.contains(QStringLiteral("got no good reply")), c.silentIntegrators)
        << stderrText.toStdString();
    EXPECT_EQ(outText().count(QLatin1Char('\n')), 15); // "values" printed its lines
    EXPECT_EQ(report("_chas.txt").count("\r\n"), 46);  // the hourly report in full
}

INSTANTIATE_TEST_SUITE_P(
    PcYears, CliRunRefusedClock,
    ::testing::Values(
        RefusedClockCase{QDateTime(QDate(2000, 12, 31), QTime(23, 59, 59)), false, kExitRefused},
        RefusedClockCase{QDateTime(QDate(2043, 1, 1), QTime(0, 0, 0)), false, kExitRefused},
        RefusedClockCase{QDateTime(QDate(2043, 1, 1), QTime(0, 0, 0)), true, kExitLinkFailed}));

// The reports of a run are those the window's handlers write for the same meter and date.
TEST_F(CliRun, ReportsAreByteIdenticalToTheWindowHandlers) {
    ASSERT_EQ(
        run({"params", "hourly", "2014-01-04", "daily", "2013-12-31", "monthly", "2013-12-01"}),
        kExitOk);

    QTemporaryDir windowHome;
    ASSERT_TRUE(QDir(windowHome.path()).mkdir(QStringLiteral("arc")));
    sim::MeterModel windowMeter{570};
    windowMeter.clock = fixedNow;
    sim::MeterProtocol windowProtocol{windowMeter, 1};
    FakeSerialLine windowLine;
    windowLine.responder = [&](const QByteArray& sent) { return windowProtocol.feed(sent); };
    rt570::test::RecordingHost windowHost;
    Session session(windowLine, windowHost, windowHome.path());
    session.clock = fixedNow;
    loadRunState(session);
    resetCounters(session);
    openConnection(session, QStringLiteral("1"), QStringLiteral("3"), 4);
    session.runOperation([&] { openingRead(session); });
    session.runOperation([&] { parameterReport(session); });
    selectArchiveDate(session, QDate(2014, 1, 4));
    session.runOperation([&] { hourlyReport(session, QDate(2014, 1, 4)); });
    selectArchiveDate(session, QDate(2013, 12, 31));
    session.runOperation([&] { dailyReport(session, QDate(2013, 12, 31)); });
    selectArchiveDate(session, QDate(2013, 12, 1));
    session.runOperation([&] { monthlyReport(session, QDate(2013, 12, 1)); });
    closeConnection(session);
    ASSERT_TRUE(windowHost.errors.isEmpty());

    const QStringList names = reportNames();
    ASSERT_EQ(names.size(), 4);
    for (const QString& name : names) {
        QFile cli(arcPath() + QLatin1Char('/') + name);
        QFile window(windowHome.path() + QStringLiteral("/arc/") + name);
        ASSERT_TRUE(cli.open(QIODevice::ReadOnly)) << name.toStdString();
        ASSERT_TRUE(window.open(QIODevice::ReadOnly)) << name.toStdString();
        const QByteArray bytes = cli.readAll();
        EXPECT_FALSE(bytes.isEmpty()) << name.toStdString();
        EXPECT_EQ(bytes, window.readAll()) << name.toStdString();
    }
}

} // namespace
} // namespace rt570::cli::test
