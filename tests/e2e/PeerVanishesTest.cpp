// The far end goes away, or was never there: the adapter is pulled in the middle of a report, the
// port names no device, another program holds the device. Requests then fail as on a silent
// line, reports are still written, the process idles while it waits, and a later Start works.

#include "archives/ArchiveReports.h"
#include "link/qt/QtSerialLine.h"
#include "readings/ParameterReport.h"
#include "session/Connection.h"
#include "session/Session.h"
#include "sim/MeterModel.h"
#include "sim/MeterProtocol.h"
#include "state/NumberText.h"
#include "support/FakeSerialLine.h"
#include "support/PtyPeer.h"
#include "support/RecordingHost.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>
#include <sys/resource.h>

namespace rt570 {
namespace {

using test::FakeSerialLine;
using test::PtyPeer;
using test::RecordingHost;
using Script = PtyPeer::Script;

constexpr int kRate9600 = 4;
constexpr uint32_t kSeed = 41;
constexpr uint32_t kSerial = 5703;
constexpr uint8_t kSilentQuantity = 8; // B4, the last request of the monthly record

long long processCpuMs() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000LL +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000;
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

bool asksForSilentQuantity(const QByteArray& frame) {
    return frame.size() == kFrameLength && uint8_t(frame[2]) == kCmdArchiveInteger &&
           uint8_t(frame[3]) == kSilentQuantity;
}

// A session as the window keeps it, with a fixed PC clock, on the given line.
struct Tool {
    Tool(SerialLine& line, const QString& home) : session(line, host, home) {
        QDir(home).mkpath(QStringLiteral("arc"));
        session.clock = [this] { return pcTime; };
        fillParameterNames(session.ParameterNames);
        session.formats.ScaleTable = kScaleTableStart;
    }
    // "Старт" without the widgets: counters, port, opening read.
    void start(const QString& port) {
        resetCounters(session);
        openConnection(session, QStringLiteral("1"), port, kRate9600);
        session.requestOpeningRead();
    }
    QString file(Report r) const { return session.reports.ReportFiles[size_t(r)].path(); }

    QDateTime pcTime{QDate::currentDate(), QTime(11, 5, 0)};
    RecordingHost host;
    Session session;
};

const QDate kPicked = QDate::currentDate().addMonths(-2);

class PeerVanishes : public ::testing::Test {
protected:
    void SetUp() override { setDecimalSeparator(QLatin1Char(',')); }
    void TearDown() override { setDecimalSeparator(QLatin1Char('.')); }

    // The monthly report the window writes for the same meter behind the scripted fake line,
    // with the meter silent for the last quantity or answering it.
    QByteArray monthlyReportBytes(bool lastQuantitySilent) {
        QTemporaryDir dir;
        sim::MeterModel model(kSeed, kSerial);
        sim::MeterProtocol protocol(model, 1);
        FakeSerialLine fake;
        fake.responder = [&](const QByteArray& sent) {
            return lastQuantitySilent && asksForSilentQuantity(sent) ? QByteArray()
                                                                     : protocol.feed(sent);
        };
        Tool held(fake, dir.path());
        held.start(QStringLiteral("7"));
        held.session.runOperation([&] { monthlyReport(held.session, kPicked); });
        return readAll(held.file(Report::Monthly));
    }

    QTemporaryDir home;
    QtSerialLine qt{home.path()};
    Tool tool{qt, home.path()};
};

TEST_F(PeerVanishes, MidReportTheRestFailsSilentlyTheReportIsWrittenAndStartWorksAgain) {
    const QByteArray expected = monthlyReportBytes(true);
    ASSERT_FALSE(expected.isEmpty());

    // The meter answers until it is asked for the last quantity; then the adapter is pulled.
    sim::MeterModel model(kSeed, kSerial);
    sim::MeterProtocol protocol(model, 1);
    auto peer = std::make_unique<PtyPeer>(home.filePath("com7"),
                                          [&](int, const QByteArray& frame) -> Script {
                                              if (asksForSilentQuantity(frame))
                                                  return {{0, QByteArray(), true}};
                                              return {{0, protocol.feed(frame)}};
                                          });
    ASSERT_TRUE(peer->isOpen());
    tool.start(QStringLiteral("7"));
    ASSERT_EQ(tool.session.reports.FilesOpen, 1);
    ASSERT_EQ(tool.session.link.ErrorCount(), 0);

    // Process CPU time against wall time from the first attempt after the pull to the end.
    long long cpuAtPull = -1;
    QElapsedTimer wall;
    tool.host.onMessagePass = [&] {
        if (cpuAtPull < 0 && peer->vanished()) {
            cpuAtPull = processCpuMs();
            wall.start();
        }
    };
    tool.session.runOperation([&] { monthlyReport(tool.session, kPicked); });
    const long long cpu = processCpuMs() - cpuAtPull;
    const long long elapsed = wall.elapsed();
    tool.host.onMessagePass = nullptr;

    ASSERT_TRUE(peer->vanished());
    EXPECT_TRUE(tool.host.errors.isEmpty()) << qPrintable(tool.host.errors.join('|'));
    // Opening read 6, monthly record 8 answered + 11 attempts of the last quantity.
    EXPECT_EQ(peer->frames().size(), 6u + 9u);
    EXPECT_EQ(tool.session.link.RequestCount(), 6 + 8 + 12);
    EXPECT_EQ(tool.session.link.ErrorCount(), 11);
    EXPECT_EQ(tool.session.link.TimeoutCount(), 1);
    EXPECT_TRUE(tool.session.link.LinkFailed());
    EXPECT_EQ(tool.session.archive.ArchiveTables[kSilentQuantity][23], 16843009.0);
    const QByteArray written = readAll(tool.file(Report::Monthly));
    EXPECT_EQ(written, expected);
    EXPECT_TRUE(written.contains(" | 1684,30 | ")) << written.constData();
    EXPECT_EQ(tool.session.display.statusText, "Архивы записаны");
    ASSERT_GE(cpuAtPull, 0);
    EXPECT_GE(elapsed, 10 * 2900);
    EXPECT_LT(cpu, elapsed / 10) << "cpu " << cpu << " ms over " << elapsed << " ms";

    // Stop; the adapter is plugged in again; a Start a minute later makes a new set.
    closeConnection(tool.session);
    peer.reset();
    sim::MeterModel again(kSeed, kSerial);
    sim::MeterProtocol answering(again, 1);
    peer = std::make_unique<PtyPeer>(home.filePath("com7"), [&](int, const QByteArray& frame) {
        return Script{{0, answering.feed(frame)}};
    });
    ASSERT_TRUE(peer->isOpen());
    const QString earlierMonthly = tool.file(Report::Monthly);
    tool.pcTime = tool.pcTime.addSecs(60);
    tool.start(QStringLiteral("7"));
    EXPECT_TRUE(tool.host.errors.isEmpty()) << qPrintable(tool.host.errors.join('|'));
    EXPECT_EQ(tool.session.reports.FilesOpen, 1);
    EXPECT_FALSE(tool.session.link.LinkFailed());
    EXPECT_EQ(tool.session.link.RequestCount(), 6);
    EXPECT_NE(tool.file(Report::Monthly), earlierMonthly);
    tool.session.runOperation([&] { monthlyReport(tool.session, kPicked); });
    EXPECT_EQ(tool.session.link.RequestCount(), 6 + 9);
    EXPECT_EQ(tool.session.link.ErrorCount(), 0);
    EXPECT_EQ(readAll(tool.file(Report::Monthly)), monthlyReportBytes(false));
    // The earlier set is as it was.
    EXPECT_EQ(readAll(earlierMonthly), expected);
    EXPECT_EQ(QDir(home.filePath("arc")).entryList(QDir::Files).size(), 8);
    closeConnection(tool.session);
}

TEST_F(PeerVanishes, PortNamingNoDeviceIsASilentLine) {
    ASSERT_TRUE(QFile::link(QStringLiteral("/nonexistent/ttyUSB9"), home.filePath("com8")));
    resetCounters(tool.session);
    openConnection(tool.session, QStringLiteral("1"), QStringLiteral("8"), kRate9600);
    const RequestFrame frame = makeRequest(1, kCmdParameter, 0, 0, 0);
    EXPECT_EQ(qt.Send_Binary(8, frame.data(), kFrameLength), 0);
    std::array<uint8_t, kReplyPrefill> reply;
    reply.fill(kPrefillByte);
    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(qt.Receive_Binary(8, reply.data(), 300, kFrameLength), 0);
    EXPECT_GE(timer.elapsed(), 290);
    EXPECT_EQ(reply[0], kPrefillByte);
    closeConnection(tool.session);
    closeConnection(tool.session);
}

TEST_F(PeerVanishes, DeviceHeldByAnotherProgramIsASilentLineUntilItLetsGo) {
    sim::MeterModel model(kSeed, kSerial);
    sim::MeterProtocol protocol(model, 1);
    PtyPeer peer(home.filePath("com9"), [&](int, const QByteArray& frame) {
        return Script{{0, protocol.feed(frame)}};
    });
    ASSERT_TRUE(peer.isOpen());
    // Another program has the device open.
    auto holder = std::make_unique<QtSerialLine>(QString());
    holder->setDeviceOverride(peer.slavePath());
    holder->Open_Com(1, 9600, kDataBits, kParityNone, kOneStopBit);
    const RequestFrame probe = makeRequest(1, kCmdParameter, 0, 0, 0);
    ASSERT_EQ(holder->Send_Binary(1, probe.data(), kFrameLength), kFrameLength);

    resetCounters(tool.session);
    openConnection(tool.session, QStringLiteral("1"), QStringLiteral("9"), kRate9600);
    Link& link = tool.session.link;
    const long long cpuBefore = processCpuMs();
    QElapsedTimer wall;
    wall.start();
    tool.session.runOperation([&] { link.ReadCurrentInteger(4); });
    const long long cpu = processCpuMs() - cpuBefore;
    EXPECT_EQ(link.RequestCount(), 12);
    EXPECT_EQ(link.ErrorCount(), 11);
    EXPECT_EQ(link.TimeoutCount(), 1);
    EXPECT_TRUE(link.LinkFailed());
    EXPECT_EQ(link.values()[kIntegerSection + 4], 16843009.0);
    // Only the holder's probe reached the meter.
    EXPECT_EQ(peer.frames().size(), 1u);
    EXPECT_LT(cpu, wall.elapsed() / 10) << "cpu " << cpu << " ms";
    EXPECT_TRUE(tool.host.errors.isEmpty());

    // The other program lets go; the next Start opens the device.
    holder.reset();
    resetCounters(tool.session);
    openConnection(tool.session, QStringLiteral("1"), QStringLiteral("9"), kRate9600);
    tool.session.runOperation([&] { link.ReadCurrentInteger(4); });
    EXPECT_EQ(link.RequestCount(), 1);
    EXPECT_EQ(link.ErrorCount(), 0);
    EXPECT_TRUE(link.LinkFailed()); // only the opening read and the parameter report clear it
    EXPECT_EQ(peer.frames().size(), 2u);
    EXPECT_NE(link.values()[kIntegerSection + 4], 16843009.0);
    closeConnection(tool.session);
}

} // namespace
} // namespace rt570
