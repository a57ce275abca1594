#include "SimOnPty.h"
#include "archives/ArchiveLayout.h"
#include "archives/ArchiveReports.h"
#include "archives/ArchiveRequests.h"
#include "link/Cp1251.h"
#include "link/qt/QtSerialLine.h"
#include "session/Connection.h"
#include "session/Session.h"
#include "sim/MeterArchive.h"
#include "sim/MeterModel.h"
#include "state/NumberText.h"
#include "support/RecordingHost.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <set>

namespace rt570 {
namespace {

using test::quickMeter;
using test::RecordingHost;
using test::SimOnPty;

constexpr uint8_t kPort = 3;
constexpr int kRate9600 = 4;

struct Ask {
    uint8_t command, quantity, kind;
    uint32_t code;
};

// Passes every call to the Qt backend and keeps the frames sent. Frames asking for a quantity
// in `dropped` are not passed on, so the meter stays silent for that quantity.
class RecordingLine : public SerialLine {
public:
    explicit RecordingLine(SerialLine& inner) : m_inner(inner) {}
    void Open_Com(uint8_t port, uint32_t rate, int dataBits, int parity, int stopBits) override {
        m_inner.Open_Com(port, rate, dataBits, parity, stopBits);
    }
    void Close_Com(uint8_t port) override { m_inner.Close_Com(port); }
    int Send_Binary(uint8_t port, const uint8_t* buf, int count) override {
        if (count == kFrameLength && (buf[2] == kCmdArchiveFloat || buf[2] == kCmdArchiveInteger)) {
            asks.push_back({buf[2], buf[3], buf[4], readLe32(buf + 5)});
            if (dropped.count(buf[3]))
                return count;
        }
        return m_inner.Send_Binary(port, buf, count);
    }
    uint16_t Receive_Binary(uint8_t port, uint8_t* buf, int timeoutMs, int count,
                            uint16_t* aux) override {
        return m_inner.Receive_Binary(port, buf, timeoutMs, count, aux);
    }
    std::vector<Ask> asks;
    std::set<int> dropped;

private:
    SerialLine& m_inner;
};

// The tool's session on the Qt backend, the simulated meter on a pty as port 3, connected and
// with its report files created by the opening read.
class ArchiveOverPty : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(home.isValid());
        ASSERT_TRUE(sim.isOpen());
        ASSERT_TRUE(QDir(home.path()).mkdir(QStringLiteral("arc")));
        setDecimalSeparator(QLatin1Char(','));
        session.formats.ScaleTable = kScaleTableStart;
        openConnection(session, QStringLiteral("1"), QStringLiteral("3"), kRate9600);
    }
    void TearDown() override {
        closeConnection(session);
        setDecimalSeparator(QLatin1Char('.'));
    }
    void openFiles() {
        session.requestOpeningRead();
        ASSERT_EQ(session.reports.FilesOpen, 1);
        line.asks.clear();
        session.link.RequestCount = 0;
    }
    QList<QByteArray> lines(Report r) const {
        QFile f(session.reports.ReportFiles[size_t(r)].path());
        if (!f.open(QIODevice::ReadOnly))
            return {};
        QList<QByteArray> all = f.readAll().split('\n');
        all.removeLast(); // after the last line end
        return all;
    }
    // A record as the meter's twin holds it, read the way the tool reads that kind.
    ArchiveRecord twinRecord(uint8_t kind, uint32_t code) const {
        ArchiveRecord r{};
        for (uint8_t q = 0; q < kArchiveQuantities; ++q) {
            const bool asFloat = (kind == kKindHourly || kind == kKindDaily) && q < 4;
            const int32_t i = twin.archiveInteger(kind, q, code);
            r[q] = asFloat ? double(twin.archiveFloat(kind, q, code))
                           : double(kind == kKindIntegrators ? i : roundUpFullDay(i));
        }
        return r;
    }
    static QByteArray cp1251(const QString& text) { return cp1251::encode(text) + '\r'; }

    QTemporaryDir home;
    SimOnPty sim{quickMeter(1), home.path(), kPort};
    QtSerialLine qtLine{home.path()};
    RecordingLine line{qtLine};
    RecordingHost host;
    Session session{line, host, home.path()};
    sim::MeterModel twin{570};
};

TEST_F(ArchiveOverPty, ArchiveHourlyReportOfYesterday) {
    openFiles();
    const QDate day = QDate::currentDate().addDays(-1);
    session.runOperation([&] { hourlyReport(session, day); });
    EXPECT_TRUE(host.errors.isEmpty());
    EXPECT_EQ(session.link.RequestCount, 234);
    EXPECT_EQ(session.link.ErrorCount, 0);
    EXPECT_EQ(session.link.TimeoutCount, 0);

    const uint32_t dayCode = uint32_t(day.year() - 2000) * 100000000u +
                             uint32_t(day.month()) * 1000000u + uint32_t(day.day()) * 10000u;
    ASSERT_EQ(line.asks.size(), 234u);
    for (size_t i = 0; i < line.asks.size(); ++i) {
        const Ask& a = line.asks[i];
        const int record = int(i / 9);
        const uint8_t kind = record < 24    ? kKindHourly
                             : record == 24 ? kKindDaily
                                            : kKindIntegrators;
        ASSERT_EQ(a.kind, kind) << i;
        ASSERT_EQ(a.quantity, i % 9) << i;
        ASSERT_EQ(a.command,
                  kind != kKindIntegrators && i % 9 < 4 ? kCmdArchiveFloat : kCmdArchiveInteger)
            << i;
        ASSERT_EQ(a.code, dayCode + uint32_t(record < 24 ? record : 23) * 100u) << i;
    }

    const QList<QByteArray> report = lines(Report::Hourly);
    ASSERT_EQ(report.size(), 46);
    const ChannelFormats formats = channelFormats(session);
    for (int h = 0; h < 24; ++h)
        EXPECT_EQ(report[7 + h],
                  cp1251(tableRow(h, twinRecord(kKindHourly, dayCode + uint32_t(h) * 100u), formats,
                                  ChannelCells::Flow)));
    EXPECT_EQ(report[32], cp1251(QStringLiteral("|Cут. : ") +
                                 recordCells(twinRecord(kKindDaily, dayCode + 2300), formats,
                                             ChannelCells::Flow)));
    const QStringList integrators =
        integratorLines(twinRecord(kKindIntegrators, dayCode + 2300), formats);
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(report[37 + i], cp1251(integrators[i]));
    // The meter ran yesterday: the volume integrator of channel 1 is not zero.
    EXPECT_NE(session.archive.ArchiveTables[0][day.day()], 0.0);
}

TEST_F(ArchiveOverPty, ArchiveDailyReportOfLastMonth) {
    openFiles();
    const QDate picked = QDate::currentDate().addMonths(-1);
    const int days = picked.daysInMonth();
    session.runOperation([&] { dailyReport(session, picked); });
    EXPECT_TRUE(host.errors.isEmpty());
    EXPECT_EQ(session.link.RequestCount, 9 * days + 18);
    EXPECT_EQ(session.link.ErrorCount, 0);
    ASSERT_EQ(line.asks.size(), size_t(9 * days + 18));
    const uint32_t monthCode =
        uint32_t(picked.year() - 2000) * 100000000u + uint32_t(picked.month()) * 1000000u;
    const QDate before = picked.addMonths(-1);
    const uint32_t startCode = uint32_t(before.year() - 2000) * 100000000u +
                               uint32_t(before.month()) * 1000000u +
                               uint32_t(before.daysInMonth()) * 10000u + 2300u;
    EXPECT_EQ(line.asks[0].code, monthCode + 10000u + 2300u);
    EXPECT_EQ(line.asks[size_t(9 * days)].code, monthCode + uint32_t(days) * 10000u + 2300u);
    EXPECT_EQ(line.asks.back().code, startCode);
    EXPECT_EQ(line.asks.back().kind, kKindIntegrators);

    const QList<QByteArray> report = lines(Report::Daily);
    ASSERT_EQ(report.size(), days + 31);
    const ChannelFormats formats = channelFormats(session);
    for (int d = 1; d <= days; ++d)
        EXPECT_EQ(
            report[6 + d],
            cp1251(tableRow(d, twinRecord(kKindDaily, monthCode + uint32_t(d) * 10000u + 2300u),
                            formats, ChannelCells::Flow)));
    const ArchiveRecord end =
        twinRecord(kKindIntegrators, monthCode + uint32_t(days) * 10000u + 2300u);
    const ArchiveRecord start = twinRecord(kKindIntegrators, startCode);
    ArchiveRecord increase{};
    for (int q = 0; q < kArchiveQuantities; ++q)
        increase[q] = end[q] - start[q];
    const QStringList increaseLines = integratorLines(increase, formats);
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(report[days + 21 + i], cp1251(increaseLines[i]));
}

TEST_F(ArchiveOverPty, ArchiveMonthlyReportTwoPressesAndNoFile) {
    // Before the opening read no file is open: the nine requests, then the error.
    session.runOperation([&] { monthlyReport(session, QDate::currentDate().addMonths(-2)); });
    EXPECT_EQ(host.errors, QStringList{QStringLiteral("I/O error 103")});
    EXPECT_EQ(line.asks.size(), 9u);

    openFiles();
    const QDate picked = QDate::currentDate().addMonths(-2);
    session.runOperation([&] { monthlyReport(session, picked); });
    session.runOperation([&] { monthlyReport(session, picked); });
    EXPECT_EQ(host.errors.size(), 1);
    EXPECT_EQ(session.link.RequestCount, 18);
    const int reportingDay = int(twin.parameter(3));
    const uint32_t code = uint32_t(picked.year() - 2000) * 100000000u +
                          uint32_t(picked.month()) * 1000000u + uint32_t(reportingDay) * 10000u +
                          2300u;
    for (const Ask& a : line.asks) {
        EXPECT_EQ(a.code, code);
        EXPECT_EQ(a.kind, kKindMonthly);
        EXPECT_EQ(a.command, kCmdArchiveInteger);
    }
    const QList<QByteArray> report = lines(Report::Monthly);
    ASSERT_EQ(report.size(), 18);
    EXPECT_EQ(report.mid(0, 9), report.mid(9, 9));
    EXPECT_EQ(report[7], cp1251(tableRow(reportingDay, twinRecord(kKindMonthly, code),
                                         channelFormats(session), ChannelCells::Volume)));
}

TEST_F(ArchiveOverPty, ArchiveSilentQuantityStillWritesTheMonthlyReport) {
    openFiles();
    line.dropped = {6};
    session.runOperation([&] { monthlyReport(session, QDate::currentDate().addMonths(-2)); });
    EXPECT_TRUE(host.errors.isEmpty());
    EXPECT_EQ(session.archive.ArchiveTables[6][23], 16843009.0);
    EXPECT_EQ(line.asks.size(), 8u + 11u);
    EXPECT_EQ(session.link.RequestCount, 9 + 11);
    EXPECT_EQ(session.link.ErrorCount, 11);
    EXPECT_EQ(session.link.TimeoutCount, 1);
    const QList<QByteArray> report = lines(Report::Monthly);
    ASSERT_EQ(report.size(), 9);
    EXPECT_TRUE(report[7].contains(" | 1684,30 | ")) << report[7].constData();
}

} // namespace
} // namespace rt570
