// rt570-cli as scripts run it: the executable against the simulator on a pseudo-terminal.

#include "CliProcess.h"
#include "cli/CliRun.h"

#include "archives/ArchiveReports.h"
#include "link/qt/QtSerialLine.h"
#include "readings/OpeningRead.h"
#include "readings/ParameterReport.h"
#include "session/Connection.h"
#include "session/Session.h"
#include "sim/MeterModel.h"
#include "sim/MeterProtocol.h"
#include "state/NumberText.h"
#include "store/DatabaseProbe.h"
#include "support/FakeSerialLine.h"
#include "support/PtyPeer.h"
#include "support/RecordingHost.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <atomic>
#include <chrono>
#include <map>
#include <memory>

namespace rt570::cli::test {
namespace {

using rt570::test::PtyPeer;

// QProcess and the serial port want an application object of the test's thread.
class QtApplication : public ::testing::Environment {
public:
    void SetUp() override {
        if (!QCoreApplication::instance())
            m_application = std::make_unique<QCoreApplication>(m_argc, m_argv);
    }
    void TearDown() override { m_application.reset(); }

private:
    int m_argc = 1;
    char m_name[10] = "tests_cli";
    char* m_argv[2] = {m_name, nullptr};
    std::unique_ptr<QCoreApplication> m_application;
};
const ::testing::Environment* const g_application =
    ::testing::AddGlobalTestEnvironment(new QtApplication);

// A home folder with its "arc/".
struct Home {
    Home() { QDir(dir.path()).mkdir(QStringLiteral("arc")); }
    QString path() const { return dir.path() + QLatin1Char('/'); }
    QString arc() const { return dir.path() + QStringLiteral("/arc/"); }
    QStringList reports() const { return QDir(arc()).entryList(QDir::Files, QDir::Name); }
    // The report files by suffix ("_chas.txt" -> bytes).
    std::map<QString, QByteArray> reportsBySuffix() const {
        std::map<QString, QByteArray> bySuffix;
        static const QRegularExpression suffix(QStringLiteral("_[a-z]+\\.txt$"));
        for (const QString& name : reports()) {
            QFile file(arc() + name);
            if (file.open(QIODevice::ReadOnly))
                bySuffix[suffix.match(name).captured()] = file.readAll();
        }
        return bySuffix;
    }
    QTemporaryDir dir;
};

// A silent peer on <home>/com5 whose device another program holds open.
struct HeldPort {
    explicit HeldPort(const Home& home)
        : peer(home.path() + QStringLiteral("com5"),
               [](int, const QByteArray&) { return PtyPeer::Script{}; }) {
        holder.setDeviceOverride(peer.slavePath());
        holder.Open_Com(1, 9600, kDataBits, kParityNone, kOneStopBit);
    }
    bool isHeld() const {
        return peer.isOpen() && holder.openFailure(1).kind == QtSerialLine::OpenFailure::None;
    }
    PtyPeer peer;
    QtSerialLine holder{QString()};
};

QStringList simArguments(std::initializer_list<const char*> extra = {}) {
    QStringList arguments{QStringLiteral("--seed"), QStringLiteral("570"), QStringLiteral("--baud"),
                          QStringLiteral("0")};
    for (const char* a : extra)
        arguments << QString::fromUtf8(a);
    return arguments;
}

QString isoDate(const QDate& date) {
    return date.toString(QStringLiteral("yyyy-MM-dd"));
}

// Dates in the past of the simulated meter's clock: yesterday, and a day of last month.
QDate yesterday() {
    return QDate::currentDate().addDays(-1);
}
QDate lastMonth() {
    const QDate d = QDate::currentDate().addMonths(-1);
    return QDate(d.year(), d.month(), 10);
}

TEST(CliEndToEnd, EveryOperationOverAPtyWithTheRegionalComma) {
    Home cliHome;
    SimProcess cliSim(simArguments(), cliHome.path() + QStringLiteral("meter"));
    ASSERT_TRUE(cliSim.running());
    const QStringList arguments{QStringLiteral("--device"),
                                cliSim.terminal(),
                                QStringLiteral("values"),
                                QStringLiteral("set-clock"),
                                QStringLiteral("params"),
                                QStringLiteral("hourly"),
                                isoDate(yesterday()),
                                QStringLiteral("daily"),
                                isoDate(lastMonth()),
                                QStringLiteral("monthly"),
                                isoDate(lastMonth()),
                                QStringLiteral("--csv"),
                                cliHome.path() + QStringLiteral("csv")};
    const CliResult result = runCli(arguments, cliHome.path(), QStringLiteral("ru_RU.UTF-8"));
    ASSERT_EQ(result.exitCode, kExitOk) << result.err.toStdString();

    // The CSV folder was made; its files follow the regional comma: ";" between fields.
    QFile parameters(cliHome.path() + QStringLiteral("csv/") +
                     cliHome.reports().value(0).section(QLatin1Char('_'), 0, -2) +
                     QStringLiteral("_par.csv"));
    ASSERT_TRUE(parameters.open(QIODevice::ReadOnly)) << parameters.fileName().toStdString();
    const QStringList csvLines =
        QString::fromUtf8(parameters.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    ASSERT_GT(csvLines.size(), 1);
    EXPECT_EQ(csvLines[0], QStringLiteral("serial;node;read at;slot;name;value"));
    static const QRegularExpression decimalComma(QStringLiteral(";-?[0-9]+,[0-9]+$"));
    EXPECT_FALSE(csvLines.filter(decimalComma).isEmpty()) << csvLines.join('\n').toStdString();

    // "values": fifteen label texts; the regional separator is the comma.
    const QStringList lines = result.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 15) << result.out.toStdString();
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("G1,м3/час: ")));
    EXPECT_TRUE(lines[0].contains(QRegularExpression(QStringLiteral("[0-9],[0-9]{4}$"))))
        << lines[0].toStdString();
    EXPECT_TRUE(lines[12].startsWith(QStringLiteral("Tс,ч: ")));
    EXPECT_TRUE(lines[13].contains(
        QRegularExpression(QStringLiteral("^Дата:  20[0-9]{2}\\.[0-9]{2}\\.[0-9]{2} $"))))
        << lines[13].toStdString();
    EXPECT_TRUE(lines[14].contains(
        QRegularExpression(QStringLiteral("^Время:  [0-9]{2}:[0-9]{2}:[0-9]{2}$"))));
    EXPECT_TRUE(result.err.endsWith(QStringLiteral(", errors 0, time-outs 0\n")))
        << result.err.toStdString();

    // The reports in full, the numbers with the regional comma; that they are the window's byte
    // for byte is the run's own test (RunTest).
    const auto cliReports = cliHome.reportsBySuffix();
    ASSERT_EQ(cliReports.size(), 4u);
    EXPECT_EQ(cliReports.at(QStringLiteral("_chas.txt")).count("\r\n"), 46);
    EXPECT_EQ(cliReports.at(QStringLiteral("_mes.txt")).count("\r\n"), 9);
    EXPECT_TRUE(cliReports.at(QStringLiteral("_sut.txt")).contains(","));
}

TEST(CliEndToEnd, MissingReportFolderExitsThreeWithTheWindowsMessage) {
    Home home;
    SimProcess sim(simArguments(), home.path() + QStringLiteral("com3"));
    ASSERT_TRUE(sim.running());
    ASSERT_TRUE(QDir(home.arc()).removeRecursively());
    const CliResult result = runCli({QStringLiteral("params")}, home.path());
    EXPECT_EQ(result.exitCode, kExitFileError);
    // stderr is a pipe here: each line begins with the local date and time. The message names
    // the file that could not be created.
    const QRegularExpression firstLine(
        QStringLiteral("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d rt570-cli: Invalid filename: ") +
        QRegularExpression::escape(home.arc()) + QStringLiteral("20570D[0-9_]{16}_par\\.txt\n"));
    EXPECT_TRUE(firstLine.match(result.err).hasMatch()) << result.err.toStdString();
    EXPECT_FALSE(QDir(home.arc()).exists()); // the tool never makes the folder
}

TEST(CliEndToEnd, BadUsageExitsTwoBeforeTouchingThePort) {
    Home home;
    const QString trace = home.path() + QStringLiteral("trace.log");
    const std::vector<QStringList> bad{
        {QStringLiteral("hourly"), QStringLiteral("1999-12-31")},
        {QStringLiteral("daily"), QStringLiteral("2043-01-01")},
        {QStringLiteral("monthly"), QStringLiteral("2014-02-30")},
        {QStringLiteral("--rate"), QStringLiteral("9601"), QStringLiteral("values")},
        {QStringLiteral("--address"), QStringLiteral("x"), QStringLiteral("values")},
        {QStringLiteral("--speed"), QStringLiteral("9600"), QStringLiteral("values")},
        {QStringLiteral("read-all")},
        {},
    };
    for (QStringList arguments : bad) {
        arguments.prepend(trace);
        arguments.prepend(QStringLiteral("--trace"));
        const CliResult result = runCli(arguments, home.path());
        EXPECT_EQ(result.exitCode, kExitUsage) << arguments.join(QLatin1Char(' ')).toStdString();
        EXPECT_TRUE(result.err.contains(QStringLiteral("rt570-cli --help")));
    }
    EXPECT_FALSE(QFile::exists(trace));
    EXPECT_TRUE(home.reports().isEmpty());

    // A trace that cannot be written is an output failure, as a report file is, not bad usage.
    const QString noFolder = home.path() + QStringLiteral("no-folder/trace.log");
    const CliResult traceless =
        runCli({QStringLiteral("--trace"), noFolder, QStringLiteral("values")}, home.path());
    EXPECT_EQ(traceless.exitCode, kExitFileError);
    EXPECT_TRUE(traceless.err.contains(noFolder)) << traceless.err.toStdString();
    EXPECT_TRUE(home.reports().isEmpty());

    const CliResult help = runCli({QStringLiteral("--help")}, home.path());
    EXPECT_EQ(help.exitCode, kExitOk);
    EXPECT_TRUE(help.out.startsWith(QStringLiteral("Usage: rt570-cli [OPTIONS] OPERATION...")));
}

// A store or a CSV folder that cannot be used ends the run at once with one line, for a single
// connection and for collect: the port, which another program holds, is never opened (that
// would end the run with exit status 1) and nothing reaches it.
TEST(CliEndToEnd, UnusableStoreOrCsvFolderExitsThreeBeforeThePortIsOpened) {
    Home home;
    QFile list(home.path() + QStringLiteral("gsm_csd.ini"));
    ASSERT_TRUE(list.open(QIODevice::WriteOnly));
    list.write("[baza]\r\nkol_uzlov=1\r\ntel_1=ATD+79001111111\r\nname_u1=N1\r\n");
    list.close();
    HeldPort held(home);
    ASSERT_TRUE(held.isHeld());
    const PtyPeer& peer = held.peer;

    const QString text = home.path() + QStringLiteral("text.db");
    QFile textFile(text);
    ASSERT_TRUE(textFile.open(QIODevice::WriteOnly));
    textFile.write(QByteArray(4096, 'x'));
    textFile.close();
    const QString newer = home.path() + QStringLiteral("newer.db");
    {
        rt570::test::DatabaseProbe probe(newer);
        probe.exec(QStringLiteral("PRAGMA user_version = 99"));
    }
    const struct {
        QStringList outputs;
        QString message; // the one line on stderr holds it
    } cases[] = {
        {{"--db", home.path() + "missing/figures.db"}, "cannot open"},
        {{"--db", text}, "not a database"},
        {{"--db", newer}, "schema version 99"},
        {{"--csv", home.path() + "missing/csv"}, "its parent folder"},
        {{"--csv", text}, "it is not a folder"},
        {{"--csv", "/proc"}, "no file can be made in it"},
    };
    const QStringList runs[] = {{"--port", "5", "--gsm", "+79001111111", "params"},
                                {"--port", "5", "collect", "params"}};
    for (const auto& c : cases) {
        for (const QStringList& run : runs) {
            const QStringList arguments = c.outputs + run;
            const std::string what = arguments.join(QLatin1Char(' ')).toStdString();
            const CliResult result = runCli(arguments, home.path(), QStringLiteral("C"), 20000);
            EXPECT_EQ(result.exitCode, kExitFileError) << what;
            EXPECT_TRUE(result.out.isEmpty()) << what;
            EXPECT_EQ(result.err.count(QLatin1Char('\n')), 1)
                << what << ": " << result.err.toStdString();
            EXPECT_TRUE(result.err.contains(c.outputs[1]) && result.err.contains(c.message))
                << what << ": " << result.err.toStdString();
        }
    }
    EXPECT_FALSE(QFileInfo::exists(home.path() + QStringLiteral("missing")));
    EXPECT_TRUE(home.reports().isEmpty());
    EXPECT_TRUE(peer.frames().empty());
}

// Every reply fails its checksum: the opening read fails after all its attempts, without
// waiting out a silent line's time-outs.
TEST(CliEndToEnd, MeterWhoseRepliesAllFailExitsOneWithNoFiles) {
    Home home;
    SimProcess sim(simArguments({"--corrupt", "1"}), home.path() + QStringLiteral("com3"));
    ASSERT_TRUE(sim.running());
    const CliResult result =
        runCli({QStringLiteral("values"), QStringLiteral("params")}, home.path());
    EXPECT_EQ(result.exitCode, kExitLinkFailed);
    EXPECT_TRUE(home.reports().isEmpty());
    EXPECT_TRUE(result.out.isEmpty()); // "values" did not run
    EXPECT_TRUE(result.err.contains(QStringLiteral("the opening read failed")));
    EXPECT_TRUE(result.err.endsWith(QStringLiteral("requests 72, errors 66, time-outs 6\n")))
        << result.err.toStdString();
}

// A meter behind a simulated GSM modem: the dial, 35 s, the opening read over the call, the
// operation, then "+++", 5 s, "ATH" (about 41 s).
TEST(CliEndToEnd, ModemCallReadsTheMeterBehindTheModem) {
    Home home;
    SimProcess sim(simArguments({"--modem", "--seed", "571"}),
                   home.path() + QStringLiteral("com4"));
    ASSERT_TRUE(sim.running());
    const QString trace = home.path() + QStringLiteral("trace.log");
    const CliResult result =
        runCli({QStringLiteral("--port"), QStringLiteral("4"), QStringLiteral("--gsm"),
                QStringLiteral("+79001234567"), QStringLiteral("--trace"), trace,
                QStringLiteral("monthly"), isoDate(lastMonth())},
               home.path());
    ASSERT_EQ(result.exitCode, kExitOk) << result.err.toStdString();
    // The serial number came from the meter, not from an echo of the request.
    const QStringList reports = home.reports();
    ASSERT_EQ(reports.size(), 4);
    EXPECT_TRUE(reports[0].startsWith(QStringLiteral("20571D"))) << reports[0].toStdString();

    QFile file(trace);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    // "ATD+79001234567" CR first, "+++" and "ATH" CR last.
    const int dial = int(text.indexOf(
        QStringLiteral("send  port 4: 41 54 44 2B 37 39 30 30 31 32 33 34 35 36 37 0D\n")));
    const int escape = int(text.indexOf(QStringLiteral("send  port 4: 2B 2B 2B\n")));
    const int hangUp = int(text.lastIndexOf(QStringLiteral("send  port 4: 41 54 48 0D\n")));
    ASSERT_GE(dial, 0);
    EXPECT_GT(escape, dial);
    EXPECT_GT(hangUp, escape);
    EXPECT_EQ(text.count(QStringLiteral(" send  port 4: 23 01 05 ")), 6);
}

// Replies spoilt at random: every attempt shows in the trace, and the sends add up to the
// request counter (each attempt counts once, a request that ran out once more).
TEST(CliEndToEnd, TraceShowsEveryAttemptOfARetriedRequest) {
    Home home;
    SimProcess sim(simArguments({"--corrupt", "0.3", "--seed", "7"}),
                   home.path() + QStringLiteral("com3"));
    ASSERT_TRUE(sim.running());
    const QString trace = home.path() + QStringLiteral("trace.log");
    const CliResult result =
        runCli({QStringLiteral("--trace"), trace, QStringLiteral("values")}, home.path());
    ASSERT_TRUE(result.exitCode == kExitOk || result.exitCode == kExitLinkFailed);

    static const QRegularExpression stats(
        QStringLiteral("requests (\\d+), errors (\\d+), time-outs (\\d+)\\n$"));
    const QRegularExpressionMatch counters = stats.match(result.err);
    ASSERT_TRUE(counters.hasMatch()) << result.err.toStdString();
    const int requests = counters.captured(1).toInt();
    const int errors = counters.captured(2).toInt();
    const int timeouts = counters.captured(3).toInt();
    ASSERT_GT(errors, 0);

    QFile file(trace);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    QStringList sends;
    int repeats = 0;
    for (int i = 0; i < lines.size(); ++i) {
        const QString& line = lines[i];
        if (!line.contains(QStringLiteral(" send  port 3: ")))
            continue;
        const QString frame = line.section(QStringLiteral(": "), 1);
        if (!sends.isEmpty() && sends.last() == frame)
            ++repeats;
        sends << frame;
        // Every send is preceded by its flush read and followed by its reply read.
        ASSERT_GT(i, 0);
        EXPECT_TRUE(lines[i - 1].contains(QStringLiteral("up to 40 bytes in ")));
        ASSERT_LT(i + 1, lines.size());
        EXPECT_TRUE(lines[i + 1].contains(QStringLiteral("up to 11 bytes in 3000 ms")));
    }
    EXPECT_EQ(sends.size(), requests - timeouts);
    // Each failed attempt but the last of a request that ran out is repeated with the same frame.
    EXPECT_EQ(repeats, errors - timeouts);
}

// A port that cannot be opened ends the run before any request, with one sentence that names the
// device and why. A request on a port that is not open waits out its 3000 ms like a silent line,
// so a run that tried one would take longer than that.
TEST(CliEndToEnd, PortThatCannotBeOpenedExitsOneAtOnce) {
    Home home;
    ASSERT_TRUE(QFile::link(QStringLiteral("/nonexistent/ttyUSB9"), home.path() + "com9"));
    // Another program holds the device.
    HeldPort held(home);
    ASSERT_TRUE(held.isHeld());
    const PtyPeer& peer = held.peer;
    QFile nodes(home.path() + QStringLiteral("gsm_csd.ini"));
    ASSERT_TRUE(nodes.open(QIODevice::WriteOnly));
    nodes.write("[baza]\r\nkol_uzlov=2\r\ntel_1=ATD1\r\nname_u1=A\r\ntel_2=ATD2\r\nname_u2=B\r\n");
    nodes.close();

    const struct {
        QStringList arguments;
        QString device;
        QString why;
    } cases[] = {
        {{"--device", "/nonexistent/ttyUSB9", "values"}, "/nonexistent/ttyUSB9", "no such device"},
        {{"--port", "9", "params"}, home.path() + "com9", "no such device"},
        {{"--device", peer.slavePath(), "values"}, peer.slavePath(), "in use by another program"},
        {{"--port", "5", "hourly", "yesterday"}, home.path() + "com5", "in use by another program"},
        // collect tries no second node on a port it could not open.
        {{"collect", "--port", "5", "--no-progress", "values"},
         home.path() + "com5",
         "in use by another program"},
    };
    for (const auto& c : cases) {
        const std::string what = c.arguments.join(QLatin1Char(' ')).toStdString();
        QElapsedTimer timer;
        timer.start();
        const CliResult result = runCli(c.arguments, home.path(), QStringLiteral("C"), 20000);
        EXPECT_LT(timer.elapsed(), 3000) << what;
        EXPECT_EQ(result.exitCode, kExitLinkFailed) << what;
        EXPECT_TRUE(result.out.isEmpty()) << what;
        const QStringList naming =
            result.err.split(QLatin1Char('\n')).filter(c.device, Qt::CaseSensitive);
        ASSERT_EQ(naming.size(), 1) << what << ": " << result.err.toStdString();
        EXPECT_TRUE(naming[0].contains(c.why)) << what << ": " << naming[0].toStdString();
    }
    EXPECT_TRUE(home.reports().isEmpty());
    EXPECT_TRUE(peer.frames().empty());
}

// The adapter is pulled while the hourly report reads the end-of-day integrators, after its hour
// rows are written. The run ends at the next attempt instead of letting the nine integrator
// requests wait out 13 attempts of 3 s each, and the lines written so far stay in the report.
TEST(CliEndToEnd, DeviceLostMidReportEndsTheRunAtOnceAndKeepsTheLinesWritten) {
    const QDate day = QDate::currentDate().addDays(-3);
    auto asksForIntegrators = [](const QByteArray& frame) {
        return frame.size() == kFrameLength && uint8_t(frame[2]) == 12 && uint8_t(frame[4]) == 4;
    };

    // The window's hourly report of the same meter, up to the integrators' title.
    QByteArray expected;
    {
        Home windowHome;
        sim::MeterModel model{570};
        sim::MeterProtocol protocol{model, 1};
        rt570::test::FakeSerialLine fake;
        fake.responder = [&](const QByteArray& sent) { return protocol.feed(sent); };
        rt570::test::RecordingHost host;
        Session session(fake, host, windowHome.path());
        loadRunState(session);
        resetCounters(session);
        openConnection(session, QStringLiteral("1"), QStringLiteral("3"), 4);
        session.runOperation([&] { openingRead(session); });
        selectArchiveDate(session, day);
        session.runOperation([&] { hourlyReport(session, day); });
        closeConnection(session);
        const QByteArray full = windowHome.reportsBySuffix()[QStringLiteral("_chas.txt")];
        // "Значение" in Windows-1251 opens the integrators' title.
        const QByteArray title("\xC7\xED\xE0\xF7\xE5\xED\xE8\xE5");
        ASSERT_EQ(full.count(title), 1);
        expected = full.left(full.indexOf(title));
        ASSERT_TRUE(expected.endsWith("\r\n"));
    }

    Home home;
    sim::MeterModel model{570};
    sim::MeterProtocol protocol{model, 1};
    using Clock = std::chrono::steady_clock;
    std::atomic<long long> pulledAtMs{-1};
    auto nowMs = [] {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   Clock::now().time_since_epoch())
            .count();
    };
    PtyPeer peer(home.path() + QStringLiteral("com3"),
                 [&](int, const QByteArray& frame) -> PtyPeer::Script {
                     if (asksForIntegrators(frame)) {
                         pulledAtMs = nowMs();
                         return {{0, QByteArray(), true}};
                     }
                     return {{0, protocol.feed(frame)}};
                 });
    ASSERT_TRUE(peer.isOpen());

    const CliResult result =
        runCli({QStringLiteral("hourly"), isoDate(day), QStringLiteral("params")}, home.path(),
               QStringLiteral("C"), 60000);
    const long long endedAtMs = nowMs();

    ASSERT_TRUE(peer.vanished());
    EXPECT_LT(endedAtMs - pulledAtMs, 10000);
    EXPECT_EQ(result.exitCode, kExitLinkFailed);
    EXPECT_TRUE(result.err.contains(QStringLiteral("lost"))) << result.err.toStdString();
    // Opening read, 24 hours of nine quantities, the day's record, the first integrator.
    EXPECT_EQ(peer.frames().size(), 6u + 24 * 9 + 9 + 1);
    const auto reports = home.reportsBySuffix();
    ASSERT_EQ(reports.size(), 4u);
    EXPECT_EQ(reports.at(QStringLiteral("_chas.txt")), expected);
    EXPECT_TRUE(reports.at(QStringLiteral("_par.txt")).isEmpty()); // "params" did not run
}

} // namespace
} // namespace rt570::cli::test
