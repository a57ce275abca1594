#include "link/Frame.h"
#include "link/Link.h"
#include "link/qt/QtSerialLine.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace rt570 {
namespace {

QString simProgram() {
    return QStringLiteral(RT570_BINARY_DIR "/rt570-sim");
}

class SimProgram : public ::testing::Test {
protected:
    void SetUp() override {
        if (!QFileInfo(simProgram()).isExecutable())
            GTEST_SKIP() << "rt570-sim is not built";
    }
};

TEST_F(SimProgram, ServesItsLinkAndRemovesItOnTerminate) {
    QTemporaryDir home;
    const QString link = home.filePath(QStringLiteral("com3"));
    QProcess sim;
    sim.start(simProgram(),
              {"--link", link, "--seed", "570", "--serial", "20417", "--address", "2"});
    ASSERT_TRUE(sim.waitForStarted(5000));
    ASSERT_TRUE(sim.waitForReadyRead(5000));
    const QString slave = QString::fromLocal8Bit(sim.readLine()).trimmed();
    EXPECT_TRUE(slave.startsWith(QLatin1String("/dev/")));
    EXPECT_EQ(QFile::symLinkTarget(link), slave);

    QtSerialLine line(home.path());
    line.Open_Com(3, 9600, kDataBits, kParityNone, kOneStopBit);
    const RequestFrame request = makeRequest(2, kCmdParameter, 0, 0, 0);
    line.Send_Binary(3, request.data(), kFrameLength);
    std::array<uint8_t, 16> reply{};
    ASSERT_EQ(line.Receive_Binary(3, reply.data(), kReplyTimeoutMs, kFrameLength), kFrameLength);
    EXPECT_TRUE(replyChecksumOk(frameAt(reply)));
    EXPECT_EQ(floatFromBits(frameData(frameAt(reply))), 20417.0f);
    line.Close_Com(3);

    sim.terminate(); // SIGTERM
    ASSERT_TRUE(sim.waitForFinished(5000));
    EXPECT_EQ(sim.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(sim.exitCode(), 0);
    EXPECT_FALSE(QFileInfo(link).isSymLink());
}

TEST_F(SimProgram, HelpAndBadOptions) {
    QProcess help;
    help.start(simProgram(), {"--help"});
    ASSERT_TRUE(help.waitForFinished(5000));
    EXPECT_EQ(help.exitCode(), 0);
    const QByteArray text = help.readAllStandardOutput();
    for (const char* option : {"--address", "--serial", "--seed", "--latency", "--baud", "--drop",
                               "--corrupt", "--short", "--noise", "--late", "--link"})
        EXPECT_TRUE(text.contains(option)) << option;

    QProcess bad;
    bad.start(simProgram(), {"--corrupt", "2"});
    ASSERT_TRUE(bad.waitForFinished(5000));
    EXPECT_EQ(bad.exitCode(), 2);
    EXPECT_TRUE(bad.readAllStandardError().contains("--corrupt"));
}

} // namespace
} // namespace rt570
