#include "gsm/ModemCommands.h"
#include "gsm/BlindCall.h"
#include "link/Cp1251.h"
#include "link/OperationError.h"
#include "session/Session.h"
#include "support/FakeSerialLine.h"
#include "support/RecordingHost.h"

#include <algorithm>

#include <gtest/gtest.h>

namespace rt570 {
namespace {

using test::FakeSerialLine;
using test::RecordingHost;
using test::toHex;

QByteArray cp1251(const QString& text) {
    return cp1251::encode(text);
}

class Modem : public ::testing::Test {
protected:
    void SetUp() override {
        session.link.setPortNumber(3);
        session.link.setDeviceAddress(1);
    }
    // Everything written to the line, one entry per Send_Binary.
    QList<QByteArray> sent() const {
        QList<QByteArray> out;
        for (const auto& c : line.calls) {
            EXPECT_EQ(c.kind, FakeSerialLine::Call::Send);
            EXPECT_EQ(c.port, 3);
            out << c.bytes;
        }
        return out;
    }
    // The leading bytes of the reply buffer (all 0 in a new session) that hold the pre-fill 1.
    static int prefilled(const Link& link) {
        const auto& buf = link.replyBuffer();
        return int(std::find_if(buf.begin(), buf.end(), [](uint8_t b) { return b != 1; }) -
                   buf.begin());
    }
    FakeSerialLine line;
    RecordingHost host;
    Session session{line, host, QStringLiteral("/nonexistent/")};
};

TEST_F(Modem, DialSendsFifteenCharactersAndCr) {
    EXPECT_TRUE(SendDialCommand(session, QStringLiteral("+79161234567890")));
    ASSERT_EQ(sent().size(), 1);
    EXPECT_EQ(toHex(sent()[0]), "2B 37 39 31 36 31 32 33 34 35 36 37 38 39 30 0D");
    EXPECT_EQ(prefilled(session.link), 52);
    EXPECT_EQ(line.count(FakeSerialLine::Call::Receive), 0); // the modem's answer is not read
}

TEST_F(Modem, DialCutsALongTextAfterFifteen) {
    EXPECT_TRUE(SendDialCommand(session, QStringLiteral("ATDT+7916123456789012")));
    ASSERT_EQ(sent().size(), 1);
    EXPECT_EQ(sent()[0], QByteArray("ATDT+7916123456\r"));
}

TEST_F(Modem, DialSendsAShortTextAsItStands) {
    // Nothing from beyond the text: not the request frame, not padding.
    session.link.ReadCurrentFloat(0);
    line.clear();
    EXPECT_TRUE(SendDialCommand(session, QStringLiteral("+79000000000")));
    EXPECT_EQ(toHex(sent()[0]), "2B 37 39 30 30 30 30 30 30 30 30 30 0D");
    EXPECT_TRUE(SendDialCommand(session, QStringLiteral("5")));
    EXPECT_EQ(toHex(sent()[1]), "35 0D");
}

TEST_F(Modem, DialSendsTheTextByteForByteInTheCodePage) {
    // Cyrillic letters, blanks and control characters go out as they stand.
    EXPECT_TRUE(SendDialCommand(session, QStringLiteral("АТД 12\t№")));
    EXPECT_EQ(toHex(sent()[0]), "C0 D2 C4 20 31 32 09 B9 0D");
}

TEST_F(Modem, EmptyDialSendsNothing) {
    EXPECT_FALSE(SendDialCommand(session, QString()));
    EXPECT_TRUE(line.calls.empty());
    EXPECT_EQ(prefilled(session.link), 0);
}

TEST_F(Modem, CharactersOutsideTheCodePageRefuseTheDial) {
    for (const QString& phone :
         {QStringLiteral("+7916日本"), QStringLiteral("😀123"), QStringLiteral("+79\u0101")}) {
        try {
            SendDialCommand(session, phone);
            ADD_FAILURE() << "dialled " << phone.toStdString();
        } catch (const OperationError& error) {
            EXPECT_TRUE(error.message().contains(QStringLiteral("Windows-1251")));
        }
    }
    EXPECT_TRUE(line.calls.empty());
    EXPECT_EQ(prefilled(session.link), 0);
}

TEST_F(Modem, OnlyTheSentCharactersMustFitTheCodePage) {
    // 15 characters fit, the rest is cut anyway; an emoji counts as one character.
    EXPECT_TRUE(SendDialCommand(session, QStringLiteral("+79161234567890😀")));
    EXPECT_EQ(sent()[0], QByteArray("+79161234567890\r"));
    EXPECT_THROW(SendDialCommand(session, QStringLiteral("+7916123456789😀")), OperationError);
    EXPECT_EQ(sent().size(), 1);
}

TEST_F(Modem, EscapeAndHangUpBytes) {
    // Each in a new session, so that one command's pre-fill cannot stand in for the other's.
    const std::pair<void (*)(RunState&), const char*> commands[] = {
        {SendEscapeSequence, "2B 2B 2B"}, {SendHangUp, "41 54 48 0D"}};
    for (const auto& [send, bytes] : commands) {
        line.clear();
        Session fresh{line, host, QStringLiteral("/nonexistent/")};
        fresh.link.setPortNumber(3);
        send(fresh);
        EXPECT_EQ(prefilled(fresh.link), 52);
        ASSERT_EQ(sent().size(), 1);
        EXPECT_EQ(toHex(sent()[0]), bytes);
    }
}

TEST_F(Modem, RequestInFlightRepeatsItsOwnFrame) {
    // "+++" pressed during the message pass of a request's first attempt: the repeat must send
    // the request frame again, not the modem command left in the shared buffer.
    int passes = 0;
    host.onMessagePass = [&] {
        if (passes++ == 0)
            SendEscapeSequence(session);
    };
    line.queueSilence(2); // the frame, "+++"
    const ReplyFrame good = makeReply(1, kCmdCurrentFloat, 0, 0, bitsFromFloat(7.5f));
    line.queueReply(QByteArray(reinterpret_cast<const char*>(good.data()), kFrameLength));
    session.link.ReadCurrentFloat(0);
    const auto frames = line.sentFrames();
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(toHex(frames[0]), "23 01 04 00 00 00 00 00 00 35 0D");
    EXPECT_EQ(frames[1], QByteArray("+++"));
    EXPECT_EQ(frames[2], frames[0]);
    EXPECT_EQ(session.link.ErrorCount(), 1);
    EXPECT_EQ(session.link.values()[256], 7.5);
}

TEST_F(Modem, CallStatusTextsInTheCodePage) {
    EXPECT_EQ(toHex(cp1251(idleStatus())), "D1 F2 E0 F2 F3 F1 3A");
    // Latin "c" (63) at the end of the first two; two blanks and a trailing blank in "breaking".
    EXPECT_EQ(toHex(cp1251(connectingStatus())), "D1 EE E5 E4 E8 ED E5 ED E8 E5 20 7E 33 30 63");
    EXPECT_EQ(toHex(cp1251(breakingStatus())), "D0 E0 E7 F0 FB E2 20 20 7E 35 63 20");
    EXPECT_EQ(toHex(cp1251(finishedStatus())), "C7 E0 E2 E5 F0 F8 E5 ED EE");
    EXPECT_EQ(session.display.gsmStatus, idleStatus());
    EXPECT_EQ(kConnectWaitMs, 35000);
    EXPECT_EQ(kHangUpWaitMs, 5000);
}

TEST_F(Modem, DialNodeShowsConnectingOnlyWhenSent) {
    EXPECT_FALSE(dialNode(session, QString()));
    EXPECT_EQ(session.display.gsmStatus, idleStatus());
    EXPECT_EQ(host.displayChanges, 0);
    EXPECT_THROW(dialNode(session, QStringLiteral("日本")), OperationError);
    EXPECT_EQ(session.display.gsmStatus, idleStatus());
    EXPECT_TRUE(dialNode(session, QStringLiteral("+79000000000")));
    EXPECT_EQ(session.display.gsmStatus, connectingStatus());
    EXPECT_GT(host.displayChanges, 0);
    EXPECT_EQ(sent(), QList<QByteArray>{QByteArray("+79000000000\r")});
}

TEST_F(Modem, BreakThenFinishSendsEscapeThenHangUp) {
    breakCall(session);
    EXPECT_EQ(session.display.gsmStatus, breakingStatus());
    EXPECT_EQ(sent(), QList<QByteArray>{QByteArray("+++")});
    finishCall(session);
    EXPECT_EQ(session.display.gsmStatus, finishedStatus());
    EXPECT_EQ(sent(), (QList<QByteArray>{QByteArray("+++"), QByteArray("ATH\r")}));
}

} // namespace
} // namespace rt570
