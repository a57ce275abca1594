#pragma once

#include "link/qt/QtSerialLine.h"
#include "readings/ParameterReport.h"
#include "session/Connection.h"
#include "session/Session.h"
#include "state/NumberText.h"
#include "support/FakeMeter.h"
#include "support/KnownMeter.h"
#include "support/PtyPeer.h"
#include "support/RecordingHost.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace rt570::test {

// The tool's session on the Qt backend against the known meter, whose replies a peer on a
// pseudo-terminal (linked as port 3) takes from the fake meter's answers. The reports written
// over the real line can so be held against the golden files made for that meter. A test sets
// the meter's parameters and the PC's clock, then starts.
class KnownMeterOnPty : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(home.isValid());
        ASSERT_TRUE(QDir(home.path()).mkdir(QStringLiteral("arc")));
        m_separator = decimalSeparator();
        setDecimalSeparator(QLatin1Char(','));
        session.clock = [this] { return pcTime; };
        fillParameterNames(session.ParameterNames);
        session.formats.ScaleTable = kScaleTableStart;
    }
    void TearDown() override {
        closeConnection(session);
        setDecimalSeparator(m_separator);
    }

    // "Старт" without the widgets: address 1 on port 3 at 9600 baud, then the opening read.
    void start() {
        peer = std::make_unique<PtyPeer>(home.filePath(QStringLiteral("com3")),
                                         [this](int, const QByteArray& frame) {
                                             return PtyPeer::Script{{0, meter.answer(frame)}};
                                         });
        ASSERT_TRUE(peer->isOpen());
        openConnection(session, QStringLiteral("1"), QStringLiteral("3"), kRate9600Item);
        session.requestOpeningRead();
        ASSERT_EQ(session.reports.FilesOpen, 1);
    }
    QByteArray reportFile(const QString& name) const {
        QFile f(home.filePath(QStringLiteral("arc/") + name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing report file>");
    }

    static constexpr int kRate9600Item = 4;
    QChar m_separator;
    FakeMeter meter;
    QDateTime pcTime;
    QTemporaryDir home;
    QtSerialLine line{home.path()};
    RecordingHost host;
    Session session{line, host, home.path()};
    std::unique_ptr<PtyPeer> peer;
};

} // namespace rt570::test
