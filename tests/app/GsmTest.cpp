#include "FormFixture.h"

#include <QCheckBox>
#include <QLabel>

namespace rt570 {
namespace {

using test::FakeSerialLine;
using test::runEventsFor;
using test::toHex;
using test::typeInto;
using Call = FakeSerialLine::Call;

class Gsm : public test::Form {
protected:
    // Start with "gsm" ticked: the port is open, nothing was read.
    void startWithModem(const TimerIntervals& intervals = {}) {
        open(intervals);
        ui().CheckBox2->setChecked(true);
        ui().Button13->click();
        line.clear();
    }
    void dial(const QString& phone) {
        typeInto(ui().Edit1, phone);
        ui().Button7->click();
    }
};

TEST_F(Gsm, FifteenCharactersAndCarriageReturn) {
    startWithModem();
    dial(QStringLiteral("+79001234567890"));
    ASSERT_EQ(line.calls.size(), 1u);
    EXPECT_EQ(line.calls[0].kind, Call::Send);
    EXPECT_EQ(line.calls[0].port, 3);
    EXPECT_EQ(line.calls[0].bytes, QByteArray("+79001234567890\r"));
    EXPECT_EQ(ui().Label47->text(), "Соединение ~30c");
    EXPECT_TRUE(form->timer2()->isActive());
}

TEST_F(Gsm, TwentyCharactersAreCutAfterTheFifteenth) {
    startWithModem();
    dial(QStringLiteral("ATD+7900123456789012"));
    ASSERT_EQ(line.calls.size(), 1u);
    EXPECT_EQ(toHex(line.calls[0].bytes), "41 54 44 2B 37 39 30 30 31 32 33 34 35 36 37 0D");
}

TEST_F(Gsm, ShortPhoneIsSentAsItStands) {
    startWithModem();
    ui().Button7->click(); // the field's start text, 12 characters
    ASSERT_EQ(line.calls.size(), 1u);
    EXPECT_EQ(line.calls[0].bytes, QByteArray("+79000000000\r"));
}

TEST_F(Gsm, EmptyPhoneSendsNothingAndStartsNoWait) {
    startWithModem();
    dial(QString());
    EXPECT_TRUE(line.calls.empty());
    EXPECT_FALSE(form->timer2()->isActive());
    EXPECT_EQ(ui().Label47->text(), "Статус:");
}

TEST_F(Gsm, PhoneOutsideTheCodePageIsRefusedWithAMessage) {
    startWithModem();
    dial(QStringLiteral("+7900\u4e2d"));
    EXPECT_TRUE(line.calls.empty());
    EXPECT_FALSE(form->timer2()->isActive());
    EXPECT_EQ(messages.size(), 1);
}

TEST_F(Gsm, SecondDialWithinTheWaitSendsTwiceAndReadsOnce) {
    TimerIntervals quick;
    quick.connectWaitMs = 40;
    startWithModem(quick);
    meterAnswers();
    // No event runs between the two presses, so the wait cannot have run out in between.
    ui().Button7->click();
    ui().Button7->click();
    EXPECT_EQ(line.sentFrames().size(), 2u);
    runEventsFor(150);
    EXPECT_EQ(framesWithCommand(kCmdParameter), 6);
    EXPECT_EQ(line.sentFrames().size(), 8u);
    EXPECT_FALSE(form->timer2()->isActive());
    // The opening read's end enables the hang-up button and leaves its status text.
    EXPECT_TRUE(ui().Button8->isEnabled());
    EXPECT_EQ(ui().Label47->text(), "Считывание параметров");
    EXPECT_EQ(form->session().reports.FilesOpen, 1);
}

TEST_F(Gsm, FailedLinkStillEnablesHangUp) {
    TimerIntervals quick;
    quick.connectWaitMs = 5;
    startWithModem(quick);
    ui().Button7->click();
    runEventsFor(60);
    EXPECT_TRUE(form->session().link.LinkFailed());
    EXPECT_TRUE(ui().Button8->isEnabled());
    EXPECT_EQ(form->session().reports.FilesOpen, 0);
}

// A modem whose call failed answers in command mode and echoes every frame; an echo passes the
// reply check, so its words must make the opening read fail. A later "CONNECT" (a second dial
// that came through) lets the meter be read.
TEST_F(Gsm, ModemWordsOfAFailedCallFailTheOpeningRead) {
    const struct {
        const char* modemSays;
        bool meterAnswers;
    } rows[] = {
        {"\r\nNO CARRIER\r\n", false}, {"\r\nBUSY\r\n", false},
        {"\r\nNO ANSWER\r\n", false},  {"\r\nNO DIALTONE\r\n", false},
        {"\r\nERROR\r\n", false},      {"\r\nBUSY\r\n\r\nCONNECT 9600\r\n", true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.modemSays);
        TimerIntervals quick;
        quick.connectWaitMs = 5;
        startWithModem(quick);
        if (row.meterAnswers)
            meterAnswers();
        else
            line.responder = [](const QByteArray& sent) { return sent; };
        ui().Button7->click();
        line.putOnLine(QByteArray("+79000000000\r") + row.modemSays);
        runEventsFor(60);
        EXPECT_EQ(form->session().link.LinkFailed(), row.meterAnswers ? 0 : 1);
        EXPECT_EQ(QDir(home.filePath("arc")).entryList(QDir::Files).size(),
                  row.meterAnswers ? 4 : 0);
        ui().Button14->click();
        QDir(home.filePath("arc")).removeRecursively();
        QDir(home.path()).mkpath(QStringLiteral("arc"));
    }
}

TEST_F(Gsm, HangUpSendsEscapeThenAthAfterTheWait) {
    TimerIntervals quick;
    quick.hangUpWaitMs = 30;
    open(quick);
    meterAnswers();
    ui().Button13->click(); // the opening read enables the hang-up button
    ASSERT_TRUE(ui().Button8->isEnabled());
    line.clear();

    ui().Button8->click();
    ASSERT_EQ(line.calls.size(), 1u);
    EXPECT_EQ(toHex(line.calls[0].bytes), "2B 2B 2B");
    EXPECT_EQ(ui().Label47->text(), "Разрыв  ~5c ");
    EXPECT_TRUE(form->timer3()->isActive());
    ui().Button8->click(); // a second press sends "+++" again, the wait goes on
    EXPECT_EQ(line.calls.size(), 2u);

    runEventsFor(100);
    ASSERT_EQ(line.calls.size(), 3u);
    EXPECT_EQ(toHex(line.calls[2].bytes), "41 54 48 0D");
    EXPECT_EQ(line.calls[2].port, 3);
    EXPECT_EQ(ui().Label47->text(), "Завершено");
    EXPECT_FALSE(form->timer3()->isActive());
    // Both buttons stay enabled: the operator can dial again at once.
    EXPECT_TRUE(ui().Button7->isEnabled());
    EXPECT_TRUE(ui().Button8->isEnabled());
}

TEST_F(Gsm, StopEndsTheConnectWait) {
    TimerIntervals quick;
    quick.connectWaitMs = 20;
    startWithModem(quick);
    meterAnswers();
    ui().Button7->click();
    ui().Button14->click();
    EXPECT_FALSE(form->timer2()->isActive());
    runEventsFor(80);
    EXPECT_EQ(framesWithCommand(kCmdParameter), 0);
    EXPECT_FALSE(ui().Button8->isEnabled());
}

TEST_F(Gsm, GsmBoxIsReadOnlyByStart) {
    open();
    meterAnswers();
    ui().Button13->click();
    EXPECT_EQ(framesWithCommand(kCmdParameter), 6);
    ui().CheckBox2->setChecked(true); // no effect during the connection
    ui().Button14->click();
    line.clear();
    ui().Button13->click();
    EXPECT_EQ(line.count(Call::Send), 0);
}

} // namespace
} // namespace rt570
