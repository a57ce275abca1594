#pragma once

#include "link/Cp1251.h"
#include "link/Frame.h"
#include "session/Session.h"
#include "state/ArchiveState.h"
#include "state/NumberText.h"
#include "support/FakeSerialLine.h"
#include "support/RecordingHost.h"

#include "link/DateCode.h"
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <set>

namespace rt570::test {

// One archive request as the meter sees it.
struct ArchiveAsk {
    uint8_t command = 0;
    uint8_t quantity = 0;
    uint8_t kind = 0;
    uint32_t code = 0;
    int yy() const { return unpackDateCode(code).year - kDateCodeBaseYear; }
    int month() const { return unpackDateCode(code).month; }
    int day() const { return unpackDateCode(code).day; }
    int hour() const { return unpackDateCode(code).hour; }
};

inline ArchiveAsk askOf(const QByteArray& frame) {
    const auto* b = reinterpret_cast<const uint8_t*>(frame.constData());
    return {b[2], b[3], b[4], readLe32(b + 5)};
}

// A meter with a known archive: every value follows from the quantity, the kind and the date
// code, so a report of any date can be checked against numbers worked out by hand.
//  flows (command 11):        10*(q+1) + day + hour/8 + kind/2   m3/h (exact in binary; the
//                             eighths give halves to round at one and two decimals)
//  volumes (command 12, 0..3): 1000000*(q+1) + 1000*day + 10*month + kind
//  hours (command 12, 4..8):  hourly 10000 (one hour), mains 9000 on odd hours;
//                             other kinds 240000 - 10000*q - 100*day
inline double knownFlow(const ArchiveAsk& a) {
    return 10.0 * (a.quantity + 1) + a.day() + a.hour() / 8.0 + a.kind / 2.0;
}
inline int32_t knownInteger(const ArchiveAsk& a) {
    if (a.quantity < 4)
        return 1000000 * (a.quantity + 1) + 1000 * a.day() + 10 * a.month() + a.kind;
    if (a.kind == kKindHourly)
        return a.quantity == kMainsQuantity && a.hour() % 2 == 1 ? 9000 : 10000;
    return 240000 - 10000 * a.quantity - 100 * a.day();
}

inline QByteArray replyWith(uint8_t command, uint32_t data) {
    const ReplyFrame f = makeReply(1, command, 0, 0, data);
    return QByteArray(reinterpret_cast<const char*>(f.data()), kFrameLength);
}

// A recording host that also lets a test watch every change of the display.
class WatchingHost : public RecordingHost {
public:
    void displayChanged() override {
        RecordingHost::displayChanged();
        if (onDisplayChanged)
            onDisplayChanged();
    }
    std::function<void()> onDisplayChanged;
};

// A session with open report files in a temporary home and the known meter on a fake line.
class ArchiveSession : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(home.isValid());
        ASSERT_TRUE(QDir(home.path()).mkdir(QStringLiteral("arc")));
        session.link.DeviceAddress = 1;
        session.formats.ScaleTable = kScaleTableStart;
        // Four decimals on channel 1 down to one on channel 4; the dump copies in 12..15.
        for (int n = 0; n < 4; ++n) {
            session.formats.ValueFormats[size_t(n)] = FormatPair{6, 4 - n};
            session.formats.ValueFormats[size_t(kDumpFormatBase + n)] = FormatPair{6, 4 - n};
        }
        session.link.values[0] = 1234; // serial number
        session.link.values[3] = 25;   // reporting day
        session.clock = [] { return QDateTime(QDate(2014, 1, 20), QTime(10, 0)); };
        setDecimalSeparator(QLatin1Char(','));
        line.responder = [this](const QByteArray& sent) { return answer(sent); };
    }
    void TearDown() override { setDecimalSeparator(QLatin1Char('.')); }

    QByteArray answer(const QByteArray& sent) {
        const ArchiveAsk a = askOf(sent);
        asks.push_back(a);
        if (silentQuantities.count(a.quantity))
            return {};
        if (a.command == kCmdArchiveFloat)
            return replyWith(a.command, bitsFromFloat(float(flow(a))));
        return replyWith(a.command, uint32_t(integer(a)));
    }

    void openReports() {
        for (int r = 0; r < kReportCount; ++r)
            session.reports.ReportFiles[size_t(r)].create(reportPath(Report(r)));
        session.reports.FilesOpen = 1;
    }
    QString reportPath(Report r) const {
        return home.path() + QStringLiteral("/arc/1234D2014_01_20_10_00") +
               QLatin1String(kReportSuffixes[size_t(r)]);
    }
    QByteArray reportBytes(Report r) const {
        QFile f(reportPath(r));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    static QByteArray golden(const char* name) {
        QFile f(QStringLiteral(RT570_TEST_DATA "/") + QLatin1String(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("missing golden file");
    }
    // A text as the report file holds it.
    static QByteArray cp1251(const QString& text) { return cp1251::encode(text); }
    // Runs an operation as the front ends do: through the guard that shows its error.
    void run(const std::function<void()>& operation) { session.runOperation(operation); }
    // Every progress position shown, in order, without repeats.
    void watchProgress() {
        host.onDisplayChanged = [this] {
            if (progress.empty() || progress.back() != session.display.progress)
                progress.push_back(session.display.progress);
        };
    }
    std::vector<int> progress;

    QTemporaryDir home;
    FakeSerialLine line;
    WatchingHost host;
    Session session{line, host, home.path()};
    std::function<double(const ArchiveAsk&)> flow = knownFlow;
    std::function<int32_t(const ArchiveAsk&)> integer = knownInteger;
    std::set<int> silentQuantities;
    std::vector<ArchiveAsk> asks; // every frame the meter saw, repeats included
};

} // namespace rt570::test
