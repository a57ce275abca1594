#include "gsm/ModemDialogue.h"
#include "link/Link.h"
#include "link/qt/QtSerialLine.h"
#include "support/RecordingHost.h"

#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <array>
#include <gtest/gtest.h>

namespace rt570 {

void PrintTo(ModemResult result, std::ostream* out) {
    *out << modemResultWord(result).toStdString();
}

namespace {

constexpr uint8_t kPort = 3;
// The simulator's modem takes 200 ms to connect and has guard times of 200 ms.
const ModemTimings kShort{200, 1000, 3000, 1000};

QString simProgram() {
    return QStringLiteral(RT570_BINARY_DIR "/rt570-sim");
}

TEST(ModemBankOverPty, TheDialogueReachesEachNumbersMeter) {
    if (!QFileInfo(simProgram()).isExecutable())
        GTEST_SKIP() << "rt570-sim is not built";
    QTemporaryDir home;
    QProcess sim;
    sim.start(simProgram(), {"--link", home.filePath(QStringLiteral("com3")), "--baud", "0",
                             "--modem-connect-ms", "200", "--modem-guard-ms", "200", "--number",
                             "111=5", "--number", "222=6", "--number", "333=busy"});
    ASSERT_TRUE(sim.waitForStarted(5000));
    ASSERT_TRUE(sim.waitForReadyRead(5000));
    QtSerialLine line(home.path());
    line.Open_Com(kPort, 9600, kDataBits, kParityNone, kOneStopBit);
    test::RecordingHost host;
    Link link(line, host);
    link.DeviceAddress = 1;
    link.PortNumber = kPort;

    ModemDialogue dialogue(line, kPort, kShort);
    EXPECT_EQ(dialogue.checkCommandMode(), ModemResult::Ok);
    const struct {
        const char* dial;
        ModemResult result;
        double serial; // 20000 + seed mod 10000
    } rows[] = {
        {"ATD111", ModemResult::Connected, 20005},
        {"ATDT 222", ModemResult::Connected, 20006},
        {"ATD333", ModemResult::Busy, 0},
        {"ATD444", ModemResult::NoCarrier, 0},
        {"ATD1-1-1", ModemResult::Connected, 20005},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.dial);
        EXPECT_EQ(dialogue.dial(QString::fromLatin1(row.dial)), row.result);
        if (row.result != ModemResult::Connected)
            continue;
        link.LinkFailed = 0;
        link.ReadParameter();
        EXPECT_EQ(link.LinkFailed, 0);
        EXPECT_EQ(link.values[kParameterSection], row.serial);
        const HangUpResult hungUp = dialogue.hangUp();
        EXPECT_TRUE(hungUp.escapeOk);
        EXPECT_TRUE(hungUp.hangUpOk);
    }

    // A dial the tool gives up on before the modem connects: the CONNECT never comes.
    ModemTimings impatient = kShort;
    impatient.dialAnswerMs = 50;
    EXPECT_EQ(ModemDialogue(line, kPort, impatient).dial(QStringLiteral("ATD111")),
              ModemResult::NoAnswer);
    std::array<uint8_t, 64> late{};
    uint16_t aux = 0;
    const int got = line.Receive_Binary(kPort, late.data(), 400, int(late.size()), &aux);
    EXPECT_FALSE(QByteArray(reinterpret_cast<const char*>(late.data()), got).contains("CONNECT"));

    line.Close_Com(kPort);
    sim.terminate();
    ASSERT_TRUE(sim.waitForFinished(5000));
    EXPECT_EQ(sim.exitCode(), 0);
}

} // namespace
} // namespace rt570
