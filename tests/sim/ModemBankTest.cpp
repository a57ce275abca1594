#include "sim/ModemBank.h"
#include "link/Frame.h"
#include "sim/HayesModem.h"
#include "sim/ModemOptions.h"
#include "sim/SimOptions.h"
#include "sim/SimTestSupport.h"

#include <gtest/gtest.h>

namespace rt570::sim {
namespace {

QByteArray joined(const Transmissions& out) {
    QByteArray all;
    for (const Transmission& t : out)
        all += t.bytes;
    return all;
}

ModemOptions bankOptions() {
    QStringList args{
        "--number", "+7 (900) 111-22-33=5", "--number=222=6", "--number",     "333=busy",
        "--number", "444=no-carrier",       "--number",       "555=no-answer"};
    SimOptions meter;
    ModemOptions options;
    QString error;
    EXPECT_TRUE(parseSimArguments(args, meter, options, &error)) << error.toStdString();
    return options;
}

// The modem with the bank behind it, on a virtual clock; the meters' PC clock stands still.
class ModemBankLine : public ::testing::Test {
protected:
    ModemBankLine() {
        modem.clock = [this] { return now; };
        for (const char* number : {"+79001112233", "222"})
            bank->model(number)->clock = test::fixedPcTime;
    }
    // Dials and waits out the connect delay; returns what the modem said after the echo.
    QByteArray dial(const QByteArray& line) {
        now += 2000;
        const QByteArray said = joined(modem.feed(line));
        now += options.settings.connectMs;
        return said.mid(line.size());
    }
    // One request over the call; the reply's data field.
    uint32_t ask(uint8_t command, uint8_t index = 0, uint32_t data = 0) {
        now += 10;
        const QByteArray reply = joined(modem.feed(test::request(1, command, index, 0, data)));
        EXPECT_EQ(reply.size(), kFrameLength);
        return reply.size() == kFrameLength ? frameData(frameAt(reply)) : 0;
    }
    void hangUp() {
        now += 2000;
        modem.feed("+++");
        now += 2000;
        EXPECT_EQ(joined(modem.feed("ATH\r")), "ATH\r\r\nOK\r\n");
    }

    ModemOptions options = bankOptions();
    std::shared_ptr<ModemBank> bank = std::make_shared<ModemBank>(options.numbers, SimOptions{});
    HayesModem modem{[bank = bank](const QByteArray& n) { return bank->route(n); },
                     options.settings};
    long long now = 0;
};

TEST_F(ModemBankLine, EachNumberAnswersAsListed) {
    const struct {
        const char* dial;
        const char* answer;
        float serial; // of the meter that answers a call that comes up
    } rows[] = {
        {"ATD+79001112233\r", "\r\nCONNECT 9600\r\n", 20005.0f},
        {"ATDT +7-900-111 22 33\r", "\r\nCONNECT 9600\r\n", 20005.0f},
        {"ATDP222\r", "\r\nCONNECT 9600\r\n", 20006.0f},
        {"ATD2,2W2\r", "\r\nCONNECT 9600\r\n", 20006.0f},
        {"ATD333\r", "\r\nBUSY\r\n", 0},
        {"ATD444\r", "\r\nNO CARRIER\r\n", 0},
        {"ATD555\r", "\r\nNO ANSWER\r\n", 0},
        // Not listed: another prefix, a "+" too many, a number never given.
        {"ATD89001112233\r", "\r\nNO CARRIER\r\n", 0},
        {"ATD+222\r", "\r\nNO CARRIER\r\n", 0},
        {"ATD666\r", "\r\nNO CARRIER\r\n", 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.dial);
        EXPECT_EQ(dial(row.dial), row.answer);
        if (row.serial == 0) {
            now += 10;
            EXPECT_EQ(joined(modem.feed("AT\r")), "AT\r\r\nOK\r\n"); // still in command mode
            continue;
        }
        EXPECT_EQ(floatFromBits(ask(kCmdParameter, 0)), row.serial);
        hangUp();
    }
}

TEST_F(ModemBankLine, MetersKeepTheirStateFromCallToCall) {
    // 2019-05-01 10:20:00 as a date code.
    constexpr uint32_t kSetClock = 1905011020u;
    dial("ATD+79001112233\r");
    EXPECT_EQ(ask(kCmdWriteClock, 0, kSetClock), kSetClock);
    hangUp();
    dial("ATD222\r");
    EXPECT_NE(ask(kCmdReadClock), kSetClock);
    hangUp();
    dial("ATD+79001112233\r");
    EXPECT_EQ(ask(kCmdReadClock), kSetClock);
    hangUp();
}

TEST(ModemBankOptions, NumbersAndDropTime) {
    QStringList args{"--modem-drop-after", "2.5", "--seed", "3", "--number", "0-1=4294967295"};
    SimOptions meter;
    ModemOptions options;
    QString error;
    ASSERT_TRUE(parseSimArguments(args, meter, options, &error)) << error.toStdString();
    EXPECT_TRUE(options.enabled);
    EXPECT_EQ(options.settings.dropAfterMs, 2500);
    ASSERT_EQ(options.numbers.size(), 1u);
    EXPECT_EQ(options.numbers[0].digits, "01");
    EXPECT_EQ(options.numbers[0].seed, 4294967295u);
    EXPECT_EQ(meter.seed, 3u);

    const QStringList bad[] = {
        {"--number", "=5"},
        {"--number", "abc=5"},
        {"--number", "111"},
        {"--number", "111="},
        {"--number", "111=connect"},
        {"--number", "111=-1"},
        {"--number", "111=4294967296"},
        {"--number"},
        {"--number", "111=5", "--number", "1-1-1=busy"}, // the same phone twice
        {"--number", "1=5", "--number", "2=10005"},      // two meters with serial 20005
        {"--modem-drop-after", "-1"},
        {"--modem-drop-after", "x"},
        {"--modem-drop-after", "nan"},
        {"--modem-drop-after", "86401"},
    };
    for (const QStringList& row : bad) {
        ModemOptions refused;
        QString message;
        EXPECT_FALSE(parseSimArguments(row, meter, refused, &message))
            << row.join(' ').toStdString();
        EXPECT_FALSE(message.isEmpty());
    }
}

} // namespace
} // namespace rt570::sim
