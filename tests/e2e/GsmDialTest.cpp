#include "ModemLog.h"
#include "gsm/BlindCall.h"
#include "link/ForwardingSerialLine.h"
#include "link/qt/QtSerialLine.h"
#include "session/Connection.h"
#include "session/Session.h"
#include "sim/HayesModem.h"
#include "sim/MeterModel.h"
#include "sim/Simulator.h"
#include "state/Formats.h"
#include "state/NumberText.h"
#include "support/RecordingHost.h"

#include <QDir>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <atomic>
#include <csignal>
#include <gtest/gtest.h>
#include <memory>
#include <thread>

namespace rt570 {
namespace {

using test::RecordingHost;

constexpr uint8_t kPort = 3;
constexpr int kRate9600 = 4;
// The simulated modem answers a dial at once and keeps a guard time of 200 ms, on a clock that
// moves a second with each arrival of bytes; the tool's own waits (35 s, 5 s) are the front
// ends' timers, stood in for here by waiting until the modem has taken each command.
constexpr int kConnectMs = 0;
constexpr int kGuardMs = 200;
constexpr int kClockStepMs = 1000;

// Passes every call on to the Qt backend and keeps what was sent.
class SendLog : public ForwardingSerialLine {
public:
    explicit SendLog(SerialLine& line) : ForwardingSerialLine(line) {}
    int Send_Binary(uint8_t port, const uint8_t* buf, int count) override {
        sent.push_back(QByteArray(reinterpret_cast<const char*>(buf), count));
        return ForwardingSerialLine::Send_Binary(port, buf, count);
    }
    std::vector<QByteArray> sent;
};

// The simulated meter behind the simulated modem, on a pty linked as <home>/com3.
class ModemOnPty {
public:
    explicit ModemOnPty(const QString& home)
        : m_simulator(options(home)),
          m_modem(std::make_unique<sim::HayesModem>(m_simulator.meter(), settings())) {
        m_modem->clock = test::steppingClock(kClockStepMs);
        auto log = std::make_unique<test::ModemLog>(*m_modem);
        m_log = log.get();
        m_simulator.putInFront(std::move(log));
        QString error;
        m_open = m_simulator.open(&error);
        if (m_open)
            m_thread = std::thread([this] { m_simulator.run([this] { return m_stop.load(); }); });
    }
    ~ModemOnPty() { stop(); }
    bool isOpen() const { return m_open; }
    const test::ModemLog& log() const { return *m_log; }
    // Ends the line loop; the modem may be looked at afterwards.
    const sim::HayesModem& stop() {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
        return *m_modem;
    }

private:
    static sim::ModemSettings settings() {
        sim::ModemSettings settings;
        settings.connectMs = kConnectMs;
        settings.guardMs = kGuardMs;
        return settings;
    }
    static sim::SimOptions options(const QString& home) {
        sim::SimOptions o;
        o.seed = 570;
        o.baud = 0;
        o.link = QStringLiteral("%1/com%2").arg(home).arg(kPort);
        return o;
    }
    sim::Simulator m_simulator;
    std::unique_ptr<sim::HayesModem> m_modem;
    test::ModemLog* m_log = nullptr;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
    bool m_open = false;
};

TEST(GsmDial, DialReadOverTheCallAndHangUp) {
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    ASSERT_TRUE(QDir(home.path()).mkdir(QStringLiteral("arc")));
    ModemOnPty modem(home.path());
    ASSERT_TRUE(modem.isOpen());
    QtSerialLine qtLine(home.path());
    SendLog line(qtLine);
    RecordingHost host;
    Session session(line, host, home.path());
    session.formats.ScaleTable = kScaleTableStart;
    setDecimalSeparator(QLatin1Char('.'));

    // Start with "gsm" ticked: the port opens, nothing is sent.
    openConnection(session, QStringLiteral("1"), QString::number(kPort), kRate9600);
    EXPECT_TRUE(line.sent.empty());

    ASSERT_TRUE(dialNode(session, QStringLiteral("ATD+79001234567")));
    ASSERT_EQ(line.sent.size(), 1u);
    EXPECT_EQ(line.sent[0], QByteArray("ATD+79001234567\r"));
    EXPECT_EQ(session.display.gsmStatus, connectingStatus());

    // The connect wait: the modem has taken the dial and answered "CONNECT 9600" (echo and
    // answer wait in the port's input until a flush read takes them).
    ASSERT_TRUE(modem.log().waitUntilTaken("ATD+79001234567\r"));
    session.requestOpeningRead();
    EXPECT_FALSE(session.link.LinkFailed());
    EXPECT_EQ(session.reports.FilesOpen, 1);
    EXPECT_TRUE(session.display.hangUpEnabled);
    const QStringList files = QDir(home.filePath("arc")).entryList(QDir::Files);
    ASSERT_EQ(files.size(), 4);
    const QString serial = QString::number(qRound(sim::MeterModel(570).parameter(0)));
    for (const QString& name : files)
        EXPECT_TRUE(name.startsWith(serial)) << name.toStdString();
    EXPECT_GT(line.sent.size(), 1u);

    // The hang-up: "+++", the hang-up wait, "ATH" CR; Stop once the modem has hung up.
    breakCall(session);
    EXPECT_EQ(line.sent.back(), QByteArray("+++"));
    EXPECT_EQ(session.display.gsmStatus, breakingStatus());
    ASSERT_TRUE(modem.log().waitUntilTaken("+++"));
    finishCall(session);
    EXPECT_EQ(line.sent.back(), QByteArray("ATH\r"));
    EXPECT_EQ(session.display.gsmStatus, finishedStatus());
    ASSERT_TRUE(modem.log().waitUntilTaken("ATH\r"));
    closeConnection(session);

    const sim::HayesModem& done = modem.stop();
    EXPECT_EQ(done.dials, 1);
    EXPECT_EQ(done.escapes, 1);
    EXPECT_EQ(done.hangUps, 1);
    EXPECT_FALSE(done.callUp());
    EXPECT_EQ(done.state(), sim::HayesModem::State::Command);
}

// The command line told to stop (SIGTERM, as a service manager or a shutdown sends it) in the
// middle of a call: it ends the request under way, hangs up ("+++" between guard times, then
// "ATH") and exits with 128 + the signal's number, so the next run finds the modem on-hook.
TEST(GsmDial, TheCommandLineToldToStopMidCallHangsUp) {
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    ASSERT_TRUE(QDir(home.path()).mkdir(QStringLiteral("arc")));
    ModemOnPty modem(home.path());
    ASSERT_TRUE(modem.isOpen());
    QProcess cli;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("RT570_HOME"), home.path() + QLatin1Char('/'));
    cli.setProcessEnvironment(environment);
    cli.start(QStringLiteral(RT570_BINARY_DIR "/rt570-cli"),
              {"--port", QString::number(kPort), "--gsm", "111", "--no-progress", "hourly",
               "yesterday", "daily", "yesterday"});
    ASSERT_TRUE(cli.waitForStarted(5000));

    // The call is up and the hourly report reads its first archive record (command 11).
    const QByteArray archiveRequest("\x23\x01\x0B", 3);
    ASSERT_TRUE(modem.log().waitUntilTaken(archiveRequest));
    cli.terminate();
    ASSERT_TRUE(cli.waitForFinished(30000));
    EXPECT_EQ(cli.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(cli.exitCode(), 128 + SIGTERM) << cli.readAllStandardError().toStdString();

    const QByteArray taken = modem.log().takenSoFar();
    const qsizetype escape = taken.indexOf("+++", taken.indexOf(archiveRequest));
    ASSERT_GE(escape, 0);
    EXPECT_TRUE(taken.mid(escape).endsWith("+++ATH\r")) << taken.mid(escape).toHex().toStdString();
    const sim::HayesModem& done = modem.stop();
    EXPECT_EQ(done.hangUps, 1);
    EXPECT_FALSE(done.callUp());
}

} // namespace
} // namespace rt570
