#include "link/TracingSerialLine.h"
#include "link/Link.h"
#include "support/FakeSerialLine.h"
#include "support/QStringPrinter.h"
#include "support/RecordingHost.h"

#include <QFile>
#include <QLoggingCategory>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace rt570 {
namespace {

using test::FakeSerialLine;
using test::hexBytes;
using test::RecordingHost;

QByteArray replyBytes(uint8_t command, uint32_t data) {
    const ReplyFrame f = makeReply(1, command, 0, 0, data);
    return QByteArray(reinterpret_cast<const char*>(f.data()), kFrameLength);
}

// The trace lines without their time stamps, a read's duration shown as "T".
QStringList traceBodies(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    static const QRegularExpression stamp(
        QStringLiteral("^\\d{4}-\\d{2}-\\d{2} \\d{2}:\\d{2}:\\d{2}\\.\\d{3} "));
    QStringList bodies;
    for (const QByteArray& raw : file.readAll().split('\n')) {
        if (raw.isEmpty())
            continue;
        const QString line = QString::fromUtf8(raw);
        EXPECT_TRUE(stamp.match(line).hasMatch()) << line.toStdString();
        static const QRegularExpression duration(QStringLiteral("after [0-9]+\\.[0-9] ms"));
        bodies << line.mid(24).replace(duration, QStringLiteral("after T ms"));
    }
    return bodies;
}

class Tracing : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("trace.log"));
    FakeSerialLine fake;
};

TEST_F(Tracing, RetriedRequestShowsEveryAttempt) {
    TracingSerialLine traced(fake, path);
    ASSERT_TRUE(traced.isOpen());
    RecordingHost host;
    Link link(traced, host);
    link.setDeviceAddress(1);
    link.setPortNumber(3);
    QByteArray bad = replyBytes(kCmdCurrentFloat, bitsFromFloat(2.5f));
    bad[9] = char(bad[9] + 1);
    fake.queueSilence();
    fake.queueReply(bad);
    fake.queueReply(replyBytes(kCmdCurrentFloat, bitsFromFloat(2.5f)));
    link.ReadCurrentFloat(2);
    ASSERT_EQ(link.ErrorCount(), 2);

    const QString frame = QStringLiteral("23 01 04 02 00 00 00 00 00 37 0D");
    const QStringList lines = traceBodies(path);
    ASSERT_EQ(lines.size(), 9);
    for (int attempt = 0; attempt < 3; ++attempt) {
        EXPECT_EQ(lines[attempt * 3],
                  QStringLiteral("read  port 3: up to 40 bytes in 30 ms: 0 bytes after T ms"));
        EXPECT_EQ(lines[attempt * 3 + 1], QStringLiteral("send  port 3: ") + frame);
    }
    EXPECT_EQ(lines[2],
              QStringLiteral("read  port 3: up to 11 bytes in 3000 ms: 0 bytes after T ms"));
    EXPECT_EQ(lines[5], QStringLiteral("read  port 3: up to 11 bytes in 3000 ms: 11 bytes after "
                                       "T ms: 23 01 04 00 00 00 00 20 40 96 0D"));
    EXPECT_EQ(lines[8], QStringLiteral("read  port 3: up to 11 bytes in 3000 ms: 11 bytes after "
                                       "T ms: 23 01 04 00 00 00 00 20 40 95 0D"));
}

TEST_F(Tracing, OpenCloseModemCommandsAndNotesAppend) {
    {
        TracingSerialLine traced(fake, path);
        traced.Open_Com(4, 19200, 8, 0, 0);
        const QByteArray escape("+++");
        EXPECT_EQ(traced.Send_Binary(4, reinterpret_cast<const uint8_t*>(escape.constData()), 3),
                  3);
        traced.note(QStringLiteral("begin hourly"));
        traced.Close_Com(4);
    }
    {
        // A second trace on the same file appends.
        TracingSerialLine traced(fake, path);
        traced.Close_Com(7);
    }
    EXPECT_EQ(
        traceBodies(path),
        QStringList({QStringLiteral("open  port 4: 19200 baud, 8 data bits, parity 0, stop "
                                    "bits 0"),
                     QStringLiteral("send  port 4: 2B 2B 2B"), QStringLiteral("# begin hourly"),
                     QStringLiteral("close port 4"), QStringLiteral("close port 7")}));
    // Every call still reached the line underneath.
    EXPECT_EQ(fake.count(FakeSerialLine::Call::Open), 1);
    EXPECT_EQ(fake.count(FakeSerialLine::Call::Close), 2);
    EXPECT_EQ(fake.sentFrames().front(), QByteArray("+++"));
}

TEST_F(Tracing, ReadPassesBytesAndResultThrough) {
    TracingSerialLine traced(fake, path);
    fake.putOnLine(hexBytes("AA BB CC"));
    uint8_t buf[8] = {1, 1, 1, 1, 1, 1, 1, 1};
    EXPECT_EQ(traced.Receive_Binary(2, buf, 30, 40), 3);
    EXPECT_EQ(buf[0], 0xAA);
    EXPECT_EQ(buf[2], 0xCC);
    EXPECT_EQ(buf[3], 1); // bytes not received stay as they were
    EXPECT_EQ(
        traceBodies(path).last(),
        QStringLiteral("read  port 2: up to 40 bytes in 30 ms: 3 bytes after T ms: AA BB CC"));
}

TEST_F(Tracing, UnwritableTraceStillPassesCallsOn) {
    TracingSerialLine traced(fake, dir.filePath(QStringLiteral("missing/trace.log")));
    EXPECT_FALSE(traced.isOpen());
    EXPECT_FALSE(traced.errorString().isEmpty());
    traced.Open_Com(3, 9600, 8, 0, 0);
    traced.note(QStringLiteral("nothing"));
    EXPECT_EQ(fake.count(FakeSerialLine::Call::Open), 1);
}

TEST(TraceHex, UpperCaseWithBlanksAndDashForNone) {
    const uint8_t bytes[] = {0x00, 0x0d, 0xff, 0x23};
    EXPECT_EQ(traceHex(bytes, 4), QStringLiteral("00 0D FF 23"));
    EXPECT_EQ(traceHex(bytes, 0), QStringLiteral("-"));
}

// Without a file the lines go to the "rt570.link" category alone, and only once it is on.
QStringList g_logged;
TEST_F(Tracing, WithoutAFileTheLinesAreLoggedOnceTheCategoryIsOn) {
    const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext& context, const QString& text) {
            g_logged << QLatin1String(context.category) + QLatin1Char(' ') + text;
        });
    TracingSerialLine traced(fake);
    const uint8_t bytes[] = {0x23, 0x01};
    traced.Send_Binary(3, bytes, 2);
    EXPECT_TRUE(g_logged.isEmpty()) << g_logged.join('\n').toStdString();
    enableTraceLogging();
    traced.Send_Binary(3, bytes, 2);
    QLoggingCategory::setFilterRules(QString());
    qInstallMessageHandler(previous);
    EXPECT_EQ(g_logged, QStringList{QStringLiteral("rt570.link send  port 3: 23 01")});
}

} // namespace
} // namespace rt570
