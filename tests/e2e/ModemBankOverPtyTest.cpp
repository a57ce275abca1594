#include "gsm/ModemDialogue.h"
#include "link/Link.h"
#include "link/qt/QtSerialLine.h"

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

TEST(ModemBankOverPty, ADialGivenUpNeverDeliversALateConnect) {
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
    ModemDialogue dialogue(line, kPort, kShort);
    EXPECT_EQ(dialogue.checkCommandMode(), ModemResult::Ok);
    // Each number's answer is covered by the bank's and the dialogue's own tests and by the
    // collect run end to end; over the real line runner one thing is left to check.

    // A dial the tool gives up on before the modem connects: the CONNECT never comes.
    ModemTimings impatient = kShort;
    impatient.dialAnswerMs = 50;
    EXPECT_EQ(ModemDialogue(line, kPort, impatient).dial(QStringLiteral("ATD111")),
              ModemResult::NoAnswer);
    std::array<uint8_t, 64> late{};
    const int got = line.Receive_Binary(kPort, late.data(), 400, int(late.size()));
    EXPECT_FALSE(QByteArray(reinterpret_cast<const char*>(late.data()), got).contains("CONNECT"));

    line.Close_Com(kPort);
    sim.terminate();
    ASSERT_TRUE(sim.waitForFinished(5000));
    EXPECT_EQ(sim.exitCode(), 0);
}

} // namespace
} // namespace rt570
