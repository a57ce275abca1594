#include "gsm/ModemDialogue.h"
#include "gsm/VirtualDeviceLine.h"
#include "link/Link.h"
#include "sim/ModemBank.h"
#include "support/FakeSerialLine.h"
#include "support/RecordingHost.h"

#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace rt570 {

void PrintTo(ModemResult result, std::ostream* out) {
    *out << modemResultWord(result).toStdString();
}

namespace {

using test::VirtualDeviceLine;

constexpr uint8_t kPort = 4;
const ModemTimings kShort{200, 500, 5000, 1000};

// The simulated modem with a bank of numbers behind it, made from the simulator's options, on
// a virtual line; the dialogue under test talks to it.
struct ModemRig {
    explicit ModemRig(const QStringList& extra = {})
        : options(parse(extra)),
          bank(std::make_shared<sim::ModemBank>(options.numbers, sim::SimOptions{})),
          modem([bank = bank](const QByteArray& number) { return bank->route(number); },
                options.settings),
          line(&modem) {
        modem.clock = [this] { return line.now; };
    }
    static sim::ModemOptions parse(const QStringList& extra) {
        const QStringList args =
            QStringList{"--modem-connect-ms", "300",          "--modem-guard-ms", "200",
                        "--number",           "111=5",        "--number",         "222=6",
                        "--number",           "333=busy",     "--number",         "444=no-carrier",
                        "--number",           "555=no-answer"} +
            extra;
        sim::SimOptions meter;
        sim::ModemOptions options;
        QString error;
        EXPECT_TRUE(sim::parseSimArguments(args, meter, options, &error)) << error.toStdString();
        return options;
    }
    ModemDialogue dialogue() {
        return ModemDialogue(line, kPort, kShort, [this] { return line.now; });
    }
    // The meter's serial number read over the call as the tool reads it; -1 when the link fails.
    double serial() {
        test::RecordingHost host;
        Link link(line, host);
        link.setDeviceAddress(1);
        link.setPortNumber(kPort);
        link.ReadParameter(0);
        return link.LinkFailed() ? -1 : link.values()[kParameterSection];
    }

    sim::ModemOptions options;
    std::shared_ptr<sim::ModemBank> bank;
    sim::HayesModem modem;
    VirtualDeviceLine line;
};

TEST(ModemDialogue, DialsEachKindOfNumber) {
    ModemRig rig;
    ModemDialogue dialogue = rig.dialogue();
    const struct {
        const char* dial;
        ModemResult result;
        double serial; // of the meter reached; 20000 + seed mod 10000
    } rows[] = {
        {"ATD111", ModemResult::Connected, 20005},
        {"ATDT 2-2-2", ModemResult::Connected, 20006},
        {"ATD333", ModemResult::Busy, 0},
        {"ATDP111", ModemResult::Connected, 20005},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.dial);
        EXPECT_EQ(dialogue.checkCommandMode(), ModemResult::Ok);
        EXPECT_EQ(dialogue.dial(QString::fromLatin1(row.dial)), row.result);
        if (row.result != ModemResult::Connected)
            continue;
        EXPECT_EQ(rig.serial(), row.serial);
        const HangUpResult hungUp = dialogue.hangUp();
        EXPECT_TRUE(hungUp.escapeOk);
        EXPECT_TRUE(hungUp.hangUpOk);
        EXPECT_FALSE(rig.modem.callUp());
    }
    // Every failed call left the modem in command mode: only the hang-ups escaped.
    EXPECT_EQ(rig.modem.escapes, 3);
    EXPECT_EQ(rig.modem.aborts, 0);
}

TEST(ModemDialogue, EscapesAModemLeftInDataModeAndHangsUpALostCall) {
    ModemRig rig({"--modem-drop-after", "60"});
    ASSERT_EQ(rig.dialogue().dial(QStringLiteral("ATD111")), ModemResult::Connected);
    // A later run finds the call up and the modem on line.
    ModemDialogue later = rig.dialogue();
    EXPECT_EQ(later.checkCommandMode(), ModemResult::Ok);
    EXPECT_EQ(rig.modem.escapes, 1);
    EXPECT_TRUE(rig.modem.callUp());
    // The call standing, the modem answers the dial with "ERROR": the dialogue hangs it up and
    // dials again. Back on line, the carrier drops in the middle of the readout.
    ASSERT_EQ(later.dial(QStringLiteral("ATD222")), ModemResult::Connected);
    EXPECT_EQ(rig.modem.hangUps, 1);
    EXPECT_EQ(rig.serial(), 20006);
    rig.line.wait(60000);
    EXPECT_NE(rig.serial(), 20006); // the meter is out of reach
    EXPECT_EQ(rig.modem.drops, 1);
    // In command mode the escape gets no OK; the hang-up does.
    const HangUpResult hungUp = later.hangUp();
    EXPECT_FALSE(hungUp.escapeOk);
    EXPECT_TRUE(hungUp.hangUpOk);
    EXPECT_EQ(later.checkCommandMode(), ModemResult::Ok);
    EXPECT_EQ(rig.modem.escapes, 1);
}

// A run killed in the middle of a call leaves the modem off-hook: on line, or escaped to
// command mode with the call still up, where "AT" gets "OK" but every dial "ERROR". Before a
// dial (or after its "ERROR") the modem is brought to a known state, and the dial connects.
TEST(ModemDialogue, AModemLeftOffHookIsHungUpAndTheDialConnects) {
    enum class Left { Idle, OnLine, Escaped };
    const struct {
        Left left;
        bool prepareFirst; // else the dial's "ERROR" leads to it
        std::vector<QByteArray> sent;
    } rows[] = {
        {Left::Idle, true, {"AT\r", "ATH\r", "ATD222\r"}},
        {Left::OnLine, true, {"AT\r", "+++", "AT\r", "ATH\r", "ATD222\r"}},
        {Left::Escaped, true, {"AT\r", "ATH\r", "ATD222\r"}},
        {Left::Escaped, false, {"ATD222\r", "AT\r", "ATH\r", "ATD222\r"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(int(row.left) * 2 + row.prepareFirst);
        ModemRig rig;
        ModemDialogue dialogue = rig.dialogue();
        if (row.left != Left::Idle) {
            ASSERT_EQ(dialogue.dial(QStringLiteral("ATD111")), ModemResult::Connected);
        }
        if (row.left == Left::Escaped) {
            ASSERT_EQ(dialogue.checkCommandMode(), ModemResult::Ok);
        }
        const size_t before = rig.line.sent.size();
        if (row.prepareFirst) {
            EXPECT_EQ(dialogue.prepare(), ModemResult::Ok);
        }
        EXPECT_EQ(dialogue.dial(QStringLiteral("ATD222")), ModemResult::Connected);
        std::vector<QByteArray> sent;
        for (size_t i = before; i < rig.line.sent.size(); ++i)
            sent.push_back(rig.line.sent[i].bytes);
        EXPECT_EQ(sent, row.sent);
        EXPECT_EQ(rig.modem.hangUps, row.left == Left::Idle ? 0 : 1);
        EXPECT_EQ(rig.serial(), 20006);
    }
}

TEST(ModemDialogue, ADialThatOutlastsTheWaitIsAborted) {
    ModemRig rig({"--modem-connect-ms", "9000"});
    ModemDialogue dialogue = rig.dialogue();
    EXPECT_EQ(dialogue.dial(QStringLiteral("ATD111")), ModemResult::NoAnswer);
    EXPECT_EQ(rig.modem.aborts, 1);
    rig.line.wait(20000);
    EXPECT_FALSE(rig.line.pendingInput().contains("CONNECT"));
    EXPECT_EQ(dialogue.checkCommandMode(), ModemResult::Ok);
    EXPECT_EQ(rig.modem.escapes, 0);
}

// The dial wait runs out, or a stop cuts it short: a CR makes the modem give up dialling, and
// a "CONNECT" that crossed it is hung up at once.
TEST(ModemDialogue, ADialGivenUpLeavesNoCallStanding) {
    const struct {
        int stopAtMs; // -1: no stop
        const char* answerToAbort;
        ModemResult result;
        std::vector<QByteArray> sent;
    } rows[] = {
        {-1, "\r\nNO CARRIER\r\n", ModemResult::NoAnswer, {"ATD1\r", "\r"}},
        {-1, "\r\nCONNECT 9600\r\n", ModemResult::NoAnswer, {"ATD1\r", "\r", "+++", "ATH\r"}},
        {1000, "\r\nNO CARRIER\r\n", ModemResult::Interrupted, {"ATD1\r", "\r"}},
        {1000, "\r\nCONNECT 9600\r\n", ModemResult::Interrupted, {"ATD1\r", "\r", "+++", "ATH\r"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.answerToAbort);
        test::FakeSerialLine line;
        for (const char* answer : {"", row.answerToAbort, "\r\nOK\r\n", "\r\nOK\r\n"})
            line.queueReply(answer);
        ModemDialogue dialogue(line, kPort, kShort, [&line] { return line.virtualMs; });
        if (row.stopAtMs >= 0)
            dialogue.setStopCheck([&line, &row] { return line.virtualMs >= row.stopAtMs; });
        EXPECT_EQ(dialogue.dial(QStringLiteral("ATD1")), row.result);
        EXPECT_EQ(line.sentFrames(), row.sent);
        // A stop is seen within a slice of the wait, not at its end; the hang-up is not cut.
        if (row.stopAtMs >= 0) {
            EXPECT_LT(line.virtualMs, kShort.dialAnswerMs);
        }
    }
}

TEST(ModemDialogue, SilentLine) {
    VirtualDeviceLine line(nullptr);
    ModemDialogue dialogue(line, kPort, kShort, [&line] { return line.now; });
    EXPECT_EQ(dialogue.checkCommandMode(), ModemResult::ModemSilent);
    ASSERT_EQ(line.sent.size(), 3u);
    EXPECT_EQ(line.sent[0].bytes, "AT\r");
    EXPECT_EQ(line.sent[1].bytes, "+++");
    EXPECT_EQ(line.sent[2].bytes, "AT\r");
    EXPECT_EQ(dialogue.dial(QStringLiteral("ATD111")), ModemResult::NoAnswer);
    EXPECT_EQ(line.sent.back().bytes, "\r");
    const HangUpResult hungUp = dialogue.hangUp();
    EXPECT_FALSE(hungUp.escapeOk);
    EXPECT_FALSE(hungUp.hangUpOk);
}

TEST(ModemDialogue, ResultLinesAndWhatFollowsThem) {
    const struct {
        const char* answer;
        ModemResult result;
        const char* left; // on the line after the dial
    } rows[] = {
        {"ATD1\r\r\nCONNECT 9600\r\n#\x01", ModemResult::Connected, "\n#\x01"},
        {"\r\nRING\r\n\r\nCONNECT\r\n", ModemResult::Connected, "\n"},
        {"ATD1\r\r\nNO DIAL TONE\r\n", ModemResult::NoDialtone, "\n"},
        {"\nNO DIALTONE\n\nOK\n", ModemResult::NoDialtone, "\nOK\n"},
        {"\r\nNO ANSWER\r\n", ModemResult::NoAnswer, "\n"},
        {"ATD1\r\r\nBUSY\r\n", ModemResult::Busy, "\n"},
        {"\r\nNO CARRIER\r\n", ModemResult::NoCarrier, "\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.answer);
        test::FakeSerialLine line;
        line.queueReply(row.answer);
        ModemDialogue dialogue(line, kPort, kShort, [&line] { return line.virtualMs; });
        EXPECT_EQ(dialogue.dial(QStringLiteral("ATD1")), row.result);
        EXPECT_EQ(line.pending, row.left);
        EXPECT_EQ(line.sentFrames().size(), 1u);
    }
    // A dial refused again after the modem was brought to a known state: the modem's error.
    test::FakeSerialLine refused;
    for (const char* answer : {"\r\nERROR\r\n", "AT\r\r\nOK\r\n", "\r\nOK\r\n", "\r\nERROR\r\n"})
        refused.queueReply(answer);
    EXPECT_EQ(ModemDialogue(refused, kPort, kShort, [&refused] { return refused.virtualMs; })
                  .dial(QStringLiteral("ATD1")),
              ModemResult::ModemError);
    EXPECT_EQ(refused.sentFrames(), (std::vector<QByteArray>{"ATD1\r", "AT\r", "ATH\r", "ATD1\r"}));
    // A modem that refuses "AT" is in command mode: no escape.
    test::FakeSerialLine line;
    line.queueReply("AT\r\r\nERROR\r\n");
    ModemDialogue dialogue(line, kPort, kShort, [&line] { return line.virtualMs; });
    EXPECT_EQ(dialogue.checkCommandMode(), ModemResult::ModemError);
    EXPECT_EQ(line.sentFrames().size(), 1u);
}

} // namespace
} // namespace rt570
