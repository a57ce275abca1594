#include "readings/Clock.h"
#include "link/OperationError.h"
#include "session/Session.h"
#include "support/FakeMeter.h"
#include "support/RecordingHost.h"

#include <QTemporaryDir>
#include <QTimeZone>
#include <gtest/gtest.h>

namespace rt570 {
namespace {

using test::FakeMeter;
using test::FakeSerialLine;
using test::RecordingHost;
using test::toHex;

TEST(ClockTexts, DecodesTheDateCodeWithoutRangeChecks) {
    EXPECT_EQ(clockDateText(1401050907), "Дата:  2014.01.05 ");
    EXPECT_EQ(clockTimeText(1401050907, 3), "Время:  09:07:03");
    EXPECT_EQ(clockDateText(1412311259), "Дата:  2014.12.31 ");
    EXPECT_EQ(clockTimeText(1412311259, 45), "Время:  12:59:45");
    EXPECT_EQ(clockDateText(0), "Дата:  2000.00.00 ");
    EXPECT_EQ(clockTimeText(0, 0), "Время:  00:00:00");
    // What a silent meter leaves: the reply pre-fill 01 01 01 01 and seconds 1.
    EXPECT_EQ(clockDateText(16843009), "Дата:  2000.16.84 ");
    EXPECT_EQ(clockTimeText(16843009, 1), "Время:  30:09:01");
    EXPECT_EQ(clockDateText(4294967295u), "Дата:  2042.94.96 ");
    EXPECT_EQ(clockTimeText(4294967295u, 255), "Время:  72:95:255");
    EXPECT_EQ(clockTimeText(1410100910, 10), "Время:  09:10:10");
}

class ClockOperations : public ::testing::Test {
protected:
    void SetUp() override {
        session.link.setDeviceAddress(1);
        meter.attach(line);
    }
    FakeSerialLine line;
    RecordingHost host;
    QTemporaryDir home;
    Session session{line, host, home.path()};
    FakeMeter meter;
};

TEST_F(ClockOperations, ReadClockShowsTheMetersAnswer) {
    meter.dateCode = 1401050907;
    meter.seconds = 3;
    const ClockReply clock = ReadClock(session);
    ASSERT_EQ(line.sentFrames().size(), 1u);
    EXPECT_EQ(toHex(line.sentFrames()[0]), "23 01 01 00 00 00 00 00 00 32 0D");
    EXPECT_EQ(session.display.dateLabel, "Дата:  2014.01.05 ");
    EXPECT_EQ(session.display.timeLabel, "Время:  09:07:03");
    EXPECT_TRUE(clock.answered);
    EXPECT_EQ(clock.dateCode, 1401050907u);
    EXPECT_EQ(clock.seconds, 3);
}

TEST_F(ClockOperations, SilentMeterShowsThePrefill) {
    meter.silent = true;
    ReadClock(session);
    EXPECT_EQ(line.sentFrames().size(), 16u);
    EXPECT_TRUE(session.link.LinkFailed());
    EXPECT_EQ(session.display.dateLabel, "Дата:  2000.16.84 ");
    EXPECT_EQ(session.display.timeLabel, "Время:  30:09:01");
}

// The meter's clock for the figures: its wall time from one clock request, or invalid when the
// meter is silent or its answer names no date and time; the labels stay as they were.
TEST_F(ClockOperations, MeterClockIsTheMetersWallTimeOrInvalid) {
    const struct {
        uint32_t dateCode;
        uint8_t seconds;
        bool silent;
        QDateTime expected;
        size_t frames;
    } cases[] = {
        {1401050907, 3, false, QDateTime(QDate(2014, 1, 5), QTime(9, 7, 3), QTimeZone::utc()), 1},
        {1402300907, 3, false, QDateTime(), 1},  // 30 February
        {1401050907, 60, false, QDateTime(), 1}, // second 60
        {1401050907, 3, true, QDateTime(), 16},
    };
    for (const auto& c : cases) {
        line.clear();
        meter.dateCode = c.dateCode;
        meter.seconds = c.seconds;
        meter.silent = c.silent;
        session.display.dateLabel = QStringLiteral("before");
        EXPECT_EQ(readMeterClock(session), c.expected) << c.dateCode << " " << int(c.seconds);
        EXPECT_EQ(line.sentFrames().size(), c.frames) << c.dateCode;
        EXPECT_EQ(session.display.dateLabel, QStringLiteral("before"));
    }
}

TEST_F(ClockOperations, PcClockGoesToTheMeter) {
    session.clock = [] { return QDateTime(QDate(2014, 3, 8), QTime(17, 4, 9)); };
    const QString before = session.display.dateLabel;
    writePcClock(session);
    ASSERT_EQ(line.sentFrames().size(), 1u);
    // DateCode 1403081704 = 0x53A153E8, seconds 9 in byte 3.
    EXPECT_EQ(toHex(line.sentFrames()[0]), "23 01 00 09 00 E8 53 A1 53 69 0D");
    EXPECT_EQ(session.display.dateLabel, before);

    line.clear();
    session.clock = [] { return QDateTime(QDate(2042, 12, 31), QTime(23, 59, 59)); };
    writePcClock(session);
    ASSERT_EQ(line.sentFrames().size(), 1u);
    EXPECT_EQ(frameData(frameAt(line.sentFrames()[0])), 4212312359u);
}

TEST_F(ClockOperations, PcYearOutsideTheDateCodeSendsNothing) {
    for (int year : {2000, 1999, 2043, 2100}) {
        session.clock = [year] { return QDateTime(QDate(year, 6, 1), QTime(12, 0, 0)); };
        QString message;
        try {
            writePcClock(session);
        } catch (const OperationError& e) {
            message = e.message();
        }
        EXPECT_TRUE(message.contains(QString::number(year))) << year;
        EXPECT_TRUE(message.contains("2001")) << qPrintable(message);
    }
    EXPECT_TRUE(line.sentFrames().empty());
    EXPECT_EQ(session.link.RequestCount(), 0);
}

} // namespace
} // namespace rt570
