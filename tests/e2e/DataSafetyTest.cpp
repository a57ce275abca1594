// What a report file holds when rt570-cli is killed outright (kill -9, as a crash or a pulled
// plug of the process would end it), and that nothing ever shortens a report file.

#include "SimOnPty.h"
#include "support/PtyPeer.h"
#include "link/qt/QtSerialLine.h"
#include "readings/OpeningRead.h"
#include "readings/ParameterReport.h"
#include "session/Connection.h"
#include "session/Session.h"
#include "state/NumberText.h"
#include "support/FakeMeter.h"
#include "sim/MeterModel.h"
#include "sim/MeterProtocol.h"
#include "support/FakeSerialLine.h"
#include "support/RecordingHost.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <atomic>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <vector>

extern char** environ;

namespace rt570 {
namespace {

using test::PtyPeer;

constexpr int kHourlyLines = 46;
// The hourly report's header (7 lines), its 24 hour rows and the rule under them.
constexpr int kHourTableLines = 32;
constexpr int kWaitMs = 60000;

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// True when every line of `bytes` ends in CR LF and no CR or LF stands anywhere else.
bool onlyWholeLines(const QByteArray& bytes) {
    if (!bytes.endsWith("\r\n"))
        return false;
    QByteArray rest = bytes;
    rest.replace("\r\n", "");
    return !rest.contains('\r') && !rest.contains('\n');
}

// rt570-cli started with RT570_HOME = `home`, killed with SIGKILL as soon as `killWhen` says so.
class KilledCli {
public:
    KilledCli(const QString& home, const QStringList& arguments) {
        std::vector<QByteArray> args{QByteArray(RT570_BINARY_DIR "/rt570-cli")};
        for (const QString& a : arguments)
            args.push_back(a.toUtf8());
        std::vector<char*> argv;
        for (QByteArray& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        std::vector<QByteArray> env{"RT570_HOME=" + home.toUtf8(), "LC_ALL=C"};
        for (char** e = environ; *e; ++e)
            if (!QByteArray(*e).startsWith("RT570_HOME=") && !QByteArray(*e).startsWith("LC_"))
                env.push_back(QByteArray(*e));
        std::vector<char*> envp;
        for (QByteArray& e : env)
            envp.push_back(e.data());
        envp.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        if (posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0)
            m_pid = -1;
        posix_spawn_file_actions_destroy(&actions);
    }
    ~KilledCli() { kill(); }

    bool started() const { return m_pid > 0; }
    // Polls `ready` every millisecond; true when it held (and the process was killed then).
    bool killWhen(const std::function<bool()>& ready) {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < kWaitMs) {
            if (ready()) {
                kill();
                return true;
            }
            int status = 0;
            if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_pid = -1; // ended on its own before the moment came
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return false;
    }
    bool killedBySignal() const { return m_killed; }

private:
    void kill() {
        if (m_pid <= 0)
            return;
        ::kill(m_pid, SIGKILL);
        int status = 0;
        ::waitpid(m_pid, &status, 0);
        m_killed = WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
        m_pid = -1;
    }

    pid_t m_pid = -1;
    bool m_killed = false;
};

// The simulated meter on a pseudo-terminal; while `holdDayRecords` is set it does not answer the
// requests for a daily record, so that a tool reading them waits there.
class KillNine : public ::testing::Test {
protected:
    void SetUp() override {
        if (!QFile::exists(QStringLiteral(RT570_BINARY_DIR "/rt570-cli")))
            GTEST_SKIP() << "rt570-cli is not built";
        (void)model.currentInteger(0); // the history is summed now, not in the first reply
        peer = std::make_unique<PtyPeer>(
            simHome.filePath(QStringLiteral("com3")),
            [this](int, const QByteArray& frame) { return answer(frame); });
        ASSERT_TRUE(peer->isOpen());
    }
    PtyPeer::Script answer(const QByteArray& frame) {
        const auto* b = reinterpret_cast<const uint8_t*>(frame.constData());
        const bool archive = b[2] == kCmdArchiveFloat || b[2] == kCmdArchiveInteger;
        if (holdDayRecords && archive && b[4] == kKindDaily)
            return {};
        return {{0, protocol.feed(frame)}};
    }
    // A fresh home with its report folder.
    QString newHome() {
        homes.push_back(std::make_unique<QTemporaryDir>());
        const QString path = homes.back()->path();
        QDir(path).mkdir(QStringLiteral("arc"));
        return path + QLatin1Char('/');
    }
    // rt570-cli's arguments for the simulated meter.
    QStringList withDevice(QStringList arguments) const {
        return QStringList{QStringLiteral("--device"), peer->slavePath()} + arguments;
    }
    static QString hourlyFile(const QString& home) {
        const QStringList found =
            QDir(home + "arc").entryList({QStringLiteral("*_chas.txt")}, QDir::Files);
        return found.size() == 1 ? home + "arc/" + found[0] : QString();
    }

    const QString yesterday = QDate::currentDate().addDays(-1).toString(Qt::ISODate);
    QTemporaryDir simHome;
    sim::MeterModel model{570};
    sim::MeterProtocol protocol{model, 1};
    std::atomic<bool> holdDayRecords{false};
    std::unique_ptr<PtyPeer> peer;
    std::vector<std::unique_ptr<QTemporaryDir>> homes;
};

TEST_F(KillNine, ReportFinishedBeforeTheKillIsCompleteOnDisk) {
    const QString home = newHome();
    const QString trace = home + QStringLiteral("trace.txt");
    KilledCli cli(home, withDevice({QStringLiteral("--trace"), trace, QStringLiteral("hourly"),
                                    yesterday, QStringLiteral("values")}));
    ASSERT_TRUE(cli.started());
    ASSERT_TRUE(cli.killWhen([&] { return readAll(trace).contains("# end hourly"); }));
    EXPECT_TRUE(cli.killedBySignal());
    const QByteArray report = readAll(hourlyFile(home));
    EXPECT_EQ(report.count("\r\n"), kHourlyLines);
    EXPECT_TRUE(onlyWholeLines(report));

    // Killed in the middle of the same report: the meter keeps back the day's record, so the
    // tool waits for it with the hour table written and the closing lines not yet; the kill
    // comes then. What is on disk is the finished report's beginning, in whole lines.
    holdDayRecords = true;
    const QString second = newHome();
    KilledCli midway(second, withDevice({QStringLiteral("hourly"), yesterday}));
    ASSERT_TRUE(midway.started());
    ASSERT_TRUE(midway.killWhen(
        [&] { return readAll(hourlyFile(second)).count("\r\n") >= kHourTableLines; }));
    EXPECT_TRUE(midway.killedBySignal());
    const QByteArray partial = readAll(hourlyFile(second));
    EXPECT_TRUE(onlyWholeLines(partial)) << partial.constData();
    EXPECT_EQ(partial.count("\r\n"), kHourTableLines);
    EXPECT_TRUE(report.startsWith(partial));
}

// Report files only grow: a failed opening read, Stop, the next set and a new set of the same
// name leave what earlier reports wrote.
TEST(ReportFilesOnlyGrow, ASecondSetOfTheSameMinuteAddsToTheFirst) {
    QTemporaryDir home;
    QDir(home.path()).mkdir(QStringLiteral("arc"));
    test::FakeSerialLine line;
    test::FakeMeter meter;
    meter.parameters = {{0, 1234.0f}, {3, 25.0f}, {10, 8.0f}};
    meter.attach(line);
    test::RecordingHost host;
    Session session(line, host, home.path());
    QDateTime now(QDate(2014, 1, 5), QTime(9, 7));
    session.clock = [&] { return now; };
    fillParameterNames(session.ParameterNames);
    const QString par = home.filePath(QStringLiteral("arc/1234D2014_01_05_09_07_par.txt"));

    session.requestOpeningRead();
    session.runOperation([&] { parameterReport(session); });
    const QByteArray one = readAll(par);
    ASSERT_FALSE(one.isEmpty());
    session.runOperation([&] { parameterReport(session); });
    EXPECT_EQ(readAll(par), one + one);

    // A failed opening read (the meter went quiet) keeps the set and its contents.
    meter.silent = true;
    session.requestOpeningRead();
    EXPECT_EQ(session.reports.FilesOpen, 1);
    EXPECT_EQ(readAll(par), one + one);
    meter.silent = false;

    // Stop, then a Start in the next minute: a new set, the old file as it was.
    closeConnection(session);
    EXPECT_EQ(readAll(par), one + one);
    now = now.addSecs(60);
    session.requestOpeningRead();
    EXPECT_EQ(readAll(par), one + one);
    EXPECT_TRUE(readAll(session.reports.ReportFiles[0].path()).isEmpty());

    // Stop, and a Start within the first set's minute: the new set has the same names, and its
    // reports follow the earlier ones.
    closeConnection(session);
    now = now.addSecs(-60);
    session.requestOpeningRead();
    EXPECT_EQ(session.reports.FilesOpen, 1);
    EXPECT_EQ(session.reports.ReportFiles[0].path(), par);
    EXPECT_EQ(readAll(par), one + one);
    session.runOperation([&] { parameterReport(session); });
    EXPECT_EQ(readAll(par), one + one + one);
    EXPECT_TRUE(host.errors.isEmpty()) << qPrintable(host.errors.join('|'));
}

} // namespace
} // namespace rt570
