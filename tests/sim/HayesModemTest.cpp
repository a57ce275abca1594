#include "sim/HayesModem.h"
#include "sim/FaultInjector.h"
#include "sim/MeterModel.h"
#include "sim/MeterProtocol.h"
#include "sim/ModemOptions.h"
#include "sim/SimOptions.h"
#include "sim/SimTestSupport.h"
#include "sim/SimulatedMeter.h"

#include <gtest/gtest.h>

namespace rt570::sim {
namespace {

// Records what reaches the meter and answers each piece with "<piece>" 7 ms later.
class EchoMeter : public LineDevice {
public:
    Transmissions feed(const QByteArray& in) override {
        received += in;
        return {{"<" + in + ">", 7}};
    }
    QByteArray received;
};

// Everything the modem sends back, with the delay of each piece.
QByteArray joined(const Transmissions& out) {
    QByteArray all;
    for (const Transmission& t : out)
        all += t.bytes;
    return all;
}

class HayesModemLine : public ::testing::Test {
protected:
    HayesModemLine() {
        modem.clock = [this] { return now; };
    }
    Transmissions at(long long ms, const QByteArray& in) {
        now = ms;
        return modem.feed(in);
    }
    // Dials and lets the call come up (default settings: 3000 ms to connect).
    void online() {
        at(0, "ATD+79000000000\r");
        ASSERT_EQ(modem.state(), HayesModem::State::Dialing);
        at(5000, QByteArray());
        ASSERT_EQ(modem.state(), HayesModem::State::Online);
    }
    EchoMeter meter;
    ModemSettings settings;
    HayesModem modem{meter, settings};
    long long now = 0;
};

TEST_F(HayesModemLine, CommandLinesAreEchoedAndAnswered) {
    const Transmissions out = at(0, "AT\r");
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[0].bytes, "AT\r");
    EXPECT_EQ(out[0].delayMs, 0);
    EXPECT_EQ(out[1].bytes, "\r\nOK\r\n");
    // Pieces of a line are echoed as they come; the answer follows the CR.
    EXPECT_EQ(joined(at(10, "at&f")), "at&f");
    EXPECT_EQ(joined(at(20, "\r\n")), "\r\r\nOK\r\n\n");
    EXPECT_EQ(joined(at(30, "ATE0\r")), "ATE0\r\r\nOK\r\n");
    EXPECT_EQ(joined(at(40, "ATI\r")), "\r\nOK\r\n");
    EXPECT_TRUE(meter.received.isEmpty());
}

TEST_F(HayesModemLine, LinesWithoutAtAreDropped) {
    // The phone text without a dial prefix, as an unedited phone field sends it.
    EXPECT_EQ(joined(at(0, "+79000000000\r")), "+79000000000\r");
    EXPECT_EQ(modem.state(), HayesModem::State::Command);
    EXPECT_EQ(modem.dials, 0);
    // Backspace edits the line; a huge line is cut and does not grow without bound.
    EXPECT_EQ(joined(at(10, "AX\bTH\r")).right(6), "\r\nOK\r\n");
    EXPECT_EQ(joined(at(20, QByteArray(100000, 'x') + "\r")).size(), 100001);
}

TEST_F(HayesModemLine, DialAnswersConnectAfterTheDelayAndGoesOnLine) {
    const Transmissions out = at(0, "ATD+79000000000\r");
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[0].bytes, "ATD+79000000000\r");
    EXPECT_EQ(out[1].bytes, "\r\nCONNECT 9600\r\n");
    EXPECT_EQ(out[1].delayMs, 3000);
    EXPECT_EQ(modem.dials, 1);
    // Time alone does not bring the call up early.
    at(2999, QByteArray());
    EXPECT_EQ(modem.state(), HayesModem::State::Dialing);
    // On line: data passes to the meter, its answers come back with their own delay.
    const Transmissions data = at(3000, "#req");
    EXPECT_EQ(modem.state(), HayesModem::State::Online);
    EXPECT_TRUE(modem.callUp());
    ASSERT_EQ(data.size(), 1u);
    EXPECT_EQ(data[0].bytes, "<#req>");
    EXPECT_EQ(data[0].delayMs, 7);
    EXPECT_EQ(meter.received, "#req");
}

TEST_F(HayesModemLine, BusyAndNoCarrierStayInCommandMode) {
    for (const auto& [answer, text] :
         {std::pair{DialAnswer::Busy, QByteArray("\r\nBUSY\r\n")},
          std::pair{DialAnswer::NoCarrier, QByteArray("\r\nNO CARRIER\r\n")},
          std::pair{DialAnswer::NoAnswer, QByteArray("\r\nNO ANSWER\r\n")}}) {
        ModemSettings s;
        s.answer = answer;
        s.connectMs = 100;
        HayesModem m(meter, s);
        m.clock = [this] { return now; };
        now = 0;
        const Transmissions out = m.feed("ATDT123\r");
        ASSERT_EQ(out.size(), 2u);
        EXPECT_EQ(out[1].bytes, text);
        EXPECT_EQ(out[1].delayMs, 100);
        now = 200;
        EXPECT_EQ(joined(m.feed("#req\r")), "#req\r");
        EXPECT_EQ(m.state(), HayesModem::State::Command);
        EXPECT_FALSE(m.callUp());
    }
    EXPECT_TRUE(meter.received.isEmpty());
}

TEST_F(HayesModemLine, EscapeWithGuardTimesThenHangUp) {
    online();
    at(6000, "#req");
    // One second of silence, "+++", one second of silence: command mode, call still up.
    const Transmissions out = at(7000, "+++");
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].bytes, "\r\nOK\r\n");
    EXPECT_EQ(out[0].delayMs, 1000);
    EXPECT_EQ(modem.state(), HayesModem::State::EscapePending);
    EXPECT_EQ(joined(at(12000, "ATH\r")), "ATH\r\r\nOK\r\n");
    EXPECT_EQ(modem.state(), HayesModem::State::Command);
    EXPECT_FALSE(modem.callUp());
    EXPECT_EQ(modem.escapes, 1);
    EXPECT_EQ(modem.hangUps, 1);
    EXPECT_EQ(meter.received, "#req"); // neither "+++" nor "ATH" reached the meter
    // The call is gone: ATO finds no carrier.
    EXPECT_EQ(joined(at(13000, "ATO\r")), "ATO\r\r\nNO CARRIER\r\n");
}

TEST_F(HayesModemLine, EscapeAndReturnOnLine) {
    online();
    at(7000, "+++");
    EXPECT_EQ(joined(at(9000, "ATO\r")), "ATO\r\r\nCONNECT 9600\r\n");
    EXPECT_EQ(modem.state(), HayesModem::State::Online);
    at(9001, "#x");
    EXPECT_EQ(meter.received, "#x");
    // A dial while the call stands is refused.
    at(11000, "+++");
    EXPECT_EQ(joined(at(12500, "ATD1\r")), "ATD1\r\r\nERROR\r\n");
    EXPECT_TRUE(modem.callUp());
}

TEST_F(HayesModemLine, PlusSignsInDataAreData) {
    online();
    // No silence before: "+++" inside the data.
    at(6000, "#a");
    at(6100, "+++");
    EXPECT_EQ(modem.state(), HayesModem::State::Online);
    // Silence before but more data right behind it in the same piece.
    at(8000, "+++#b");
    // Silence before, but data within the guard after it.
    at(10000, "+++");
    EXPECT_EQ(modem.state(), HayesModem::State::EscapePending);
    at(10500, "#c");
    EXPECT_EQ(modem.state(), HayesModem::State::Online);
    // "+" one at a time after silence is an escape; a fourth "+" is data.
    at(12000, "++++");
    EXPECT_EQ(meter.received, "#a+++"
                              "+++#b"
                              "+++#c"
                              "++++");
    at(14000, "+");
    at(14100, "+");
    at(14200, "+");
    at(15300, "ATH\r");
    EXPECT_FALSE(modem.callUp());
    EXPECT_EQ(modem.escapes, 2); // the one cancelled by "#c" and this one
}

TEST_F(HayesModemLine, HeldPlusSignsGoOutWithTheNextData) {
    online();
    at(7000, "+");
    at(7100, "+");
    EXPECT_TRUE(meter.received.isEmpty());
    at(7200, "#d");
    EXPECT_EQ(meter.received, "++#d");
    EXPECT_EQ(modem.state(), HayesModem::State::Online);
}

TEST_F(HayesModemLine, RealMeterBehindTheModem) {
    MeterModel model(570, 20417, 1);
    model.clock = test::fixedPcTime;
    MeterProtocol protocol(model, 1);
    FaultInjector faults({}, 1);
    SimulatedMeter simulated(protocol, faults, 0);
    HayesModem m(simulated, settings);
    m.clock = [this] { return now; };
    now = 0;
    m.feed("ATD+79000000000\r");
    now = 4000;
    const QByteArray request = test::request(1, kCmdParameter, 0);
    const Transmissions out = m.feed(request.left(5));
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(joined(m.feed(request.mid(5))),
              test::bytesOf(makeReply(1, kCmdParameter, 0, 0, bitsFromFloat(20417.0f))));
    // The tool's hang-up: "+++", five seconds, "ATH" CR.
    now = 6000;
    m.feed("+++");
    now = 11000;
    m.feed("ATH\r");
    EXPECT_FALSE(m.callUp());
    EXPECT_EQ(protocol.answered(), 1);
}

TEST_F(HayesModemLine, AByteDuringTheDialAbortsIt) {
    const Transmissions dial = at(0, "ATD+79000000000\r");
    at(10, "\n"); // the line end of the dial itself
    EXPECT_EQ(modem.state(), HayesModem::State::Dialing);
    const Transmissions abort = at(1000, "x");
    ASSERT_EQ(abort.size(), 1u);
    EXPECT_EQ(abort[0].bytes, "\r\nNO CARRIER\r\n");
    EXPECT_EQ(abort[0].delayMs, 0);
    EXPECT_EQ(modem.state(), HayesModem::State::Command);
    // The CONNECT on its way is withdrawn; no call comes up, the modem stays in command mode.
    ASSERT_EQ(dial.size(), 2u);
    EXPECT_TRUE(modem.withdrawn(dial[1].ticket));
    EXPECT_EQ(joined(at(5000, "#req")), "#req");
    EXPECT_FALSE(modem.callUp());
    EXPECT_EQ(joined(at(6000, "\rATO\r")), "\rATO\r\r\nNO CARRIER\r\n");
    EXPECT_TRUE(meter.received.isEmpty());
    // A dial left alone keeps its CONNECT, also with its CR LF in one piece.
    const Transmissions again = at(7000, "ATD1\r\n");
    at(10000, "#x");
    EXPECT_TRUE(modem.callUp());
    EXPECT_FALSE(modem.withdrawn(again[1].ticket));
    EXPECT_EQ(meter.received, "#x");
}

TEST_F(HayesModemLine, DataWithinTheGuardCancelsTheEscapeAndItsOk) {
    online();
    const Transmissions escape = at(7000, "+++");
    ASSERT_EQ(escape.size(), 1u);
    at(7500, "#c");
    EXPECT_TRUE(modem.withdrawn(escape[0].ticket));
    EXPECT_EQ(modem.state(), HayesModem::State::Online);
    EXPECT_EQ(meter.received, "+++#c");
    // An escape whose guard runs out keeps its OK.
    const Transmissions kept = at(9000, "+++");
    ASSERT_EQ(kept.size(), 1u);
    at(10000, "ATH\r");
    EXPECT_FALSE(modem.withdrawn(kept[0].ticket));
    EXPECT_FALSE(modem.callUp());
}

TEST(HayesModemDrop, TheCarrierDropsAfterTheSetTime) {
    EchoMeter meter;
    ModemSettings settings;
    settings.connectMs = 100;
    settings.dropAfterMs = 10000;
    HayesModem modem(meter, settings);
    long long now = 0;
    modem.clock = [&now] { return now; };
    auto at = [&](long long ms, const QByteArray& in) {
        now = ms;
        return modem.feed(in);
    };
    // NO CARRIER goes out when the call has stood for the drop time.
    const Transmissions dial = at(0, "ATD1\r");
    ASSERT_EQ(dial.size(), 3u);
    EXPECT_EQ(dial[1].bytes, "\r\nCONNECT 9600\r\n");
    EXPECT_EQ(dial[2].bytes, "\r\nNO CARRIER\r\n");
    EXPECT_EQ(dial[2].delayMs, 10100);
    at(10099, "#a");
    EXPECT_TRUE(modem.callUp());
    EXPECT_EQ(joined(at(10100, "#b")), "#b"); // echoed: command mode
    EXPECT_FALSE(modem.callUp());
    EXPECT_EQ(modem.state(), HayesModem::State::Command);
    EXPECT_EQ(meter.received, "#a");
    EXPECT_EQ(modem.drops, 1);
    EXPECT_FALSE(modem.withdrawn(dial[2].ticket));
    // The tool's hang-up still gets its OK: what stands before "AT" on a line is dropped.
    at(12000, "\r+++");
    EXPECT_EQ(joined(at(13500, "ATH\r")), "ATH\r\r\nOK\r\n");
    EXPECT_EQ(joined(at(13600, "ATO\r")), "ATO\r\r\nNO CARRIER\r\n");

    // A call hung up before its drop time withdraws its NO CARRIER.
    const Transmissions hungUp = at(20000, "ATD1\r");
    at(21100, "+++");
    at(22200, "ATH\r");
    ASSERT_EQ(hungUp.size(), 3u);
    EXPECT_TRUE(modem.withdrawn(hungUp[2].ticket));
    EXPECT_EQ(modem.hangUps, 1);
    at(40000, "AT\r");
    EXPECT_EQ(modem.drops, 1);
    // So does an aborted dial, with its CONNECT.
    const Transmissions aborted = at(50000, "ATD1\r");
    at(50050, "x");
    ASSERT_EQ(aborted.size(), 3u);
    EXPECT_TRUE(modem.withdrawn(aborted[1].ticket));
    EXPECT_TRUE(modem.withdrawn(aborted[2].ticket));
}

TEST(ModemOptionsTest, TakesItsOptionsBesideTheMeters) {
    const QStringList args{
        "--address",           "5",      "--modem", "--modem-connect-ms",  "1500",
        "--modem-answer=busy", "--link", "/tmp/x",  "--modem-guard-ms=200"};
    SimOptions meter;
    ModemOptions options;
    QString error;
    ASSERT_TRUE(parseSimArguments(args, meter, options, &error)) << error.toStdString();
    EXPECT_TRUE(options.enabled);
    EXPECT_EQ(options.settings.connectMs, 1500);
    EXPECT_EQ(options.settings.guardMs, 200);
    EXPECT_EQ(options.settings.answer, DialAnswer::Busy);
    EXPECT_EQ(meter.address, 5);
    EXPECT_EQ(meter.link, "/tmp/x");

    ModemOptions second;
    ASSERT_TRUE(parseSimArguments({"--modem-answer", "no-carrier"}, meter, second, &error));
    EXPECT_TRUE(second.enabled);
    EXPECT_EQ(second.settings.answer, DialAnswer::NoCarrier);

    ModemOptions off;
    ASSERT_TRUE(parseSimArguments({"--seed", "3"}, meter, off, &error));
    EXPECT_FALSE(off.enabled);
}

TEST(ModemOptionsTest, BadValuesAreRefused) {
    for (const QStringList& bad :
         {QStringList{"--modem-answer", "maybe"}, QStringList{"--modem-connect-ms", "-1"},
          QStringList{"--modem-connect-ms", "abc"}, QStringList{"--modem-connect-ms=9999999"},
          QStringList{"--modem-guard-ms"}, QStringList{"--modem-speed", "1"}}) {
        SimOptions meter;
        ModemOptions options;
        QString error;
        EXPECT_FALSE(parseSimArguments(bad, meter, options, &error)) << bad.join(' ').toStdString();
        EXPECT_FALSE(error.isEmpty());
    }
}

} // namespace
} // namespace rt570::sim
