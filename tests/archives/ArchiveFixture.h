#pragma once

#include "link/Cp1251.h"
#include "link/Frame.h"
#include "session/Session.h"
#include "state/ArchiveState.h"
#include "state/NumberText.h"
#include "support/FakeSerialLine.h"
#include "support/KnownMeter.h"
#include "support/RecordingHost.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <set>

namespace rt570::test {

// A recording host that also lets a test watch every change of the display.
class WatchingHost : public RecordingHost {
public:
    void textsChanged() override {
        RecordingHost::textsChanged();
        if (onTextsChanged)
            onTextsChanged();
    }
    std::function<void()> onTextsChanged;
};

// A session with open report files in a temporary home and the known meter on a fake line.
class ArchiveSession : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(home.isValid());
        ASSERT_TRUE(QDir(home.path()).mkdir(QStringLiteral("arc")));
        session.link.setDeviceAddress(1);
        session.formats.ScaleTable = kScaleTableStart;
        // Four decimals on channel 1 down to one on channel 4; the dump copies in 12..15.
        for (int n = 0; n < 4; ++n) {
            session.formats.ValueFormats[size_t(n)] = FormatPair{6, 4 - n};
            session.formats.ValueFormats[size_t(kDumpFormatBase + n)] = FormatPair{6, 4 - n};
        }
        session.link.setValue(0, 1234); // serial number
        session.link.setValue(3, 25);   // reporting day
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
        host.onTextsChanged = [this] {
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
