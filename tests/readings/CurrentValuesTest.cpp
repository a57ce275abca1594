#include "readings/CurrentValues.h"
#include "session/Session.h"
#include "state/NumberText.h"
#include "support/FakeMeter.h"
#include "support/RecordingHost.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace rt570 {
namespace {

using test::FakeMeter;
using test::FakeSerialLine;
using test::frameSummary;
using test::RecordingHost;

class CurrentValues : public ::testing::Test {
protected:
    void SetUp() override {
        m_separator = decimalSeparator();
        setDecimalSeparator(QLatin1Char('.'));
        session.link.setDeviceAddress(1);
        session.formats.ScaleTable = kScaleTableStart;
        meter.attach(line);
        host.onMessagePass = [this] { progressAtPasses << session.display.progress; };
    }
    void TearDown() override { setDecimalSeparator(m_separator); }

    void setGmax(double g1, double g2, double g3, double g4) {
        session.link.setValue(10, g1);
        session.link.setValue(20, g2);
        session.link.setValue(30, g3);
        session.link.setValue(40, g4);
    }

    QChar m_separator;
    FakeSerialLine line;
    RecordingHost host;
    QTemporaryDir home;
    Session session{line, host, home.path()};
    FakeMeter meter;
    QList<int> progressAtPasses;
};

TEST_F(CurrentValues, RequestOrderProgressAndStatus) {
    meter.dateCode = 1401050907;
    meter.seconds = 3;
    readCurrentValues(session);
    EXPECT_EQ(frameSummary(line.sentFrames()),
              "4:0 4:1 4:2 4:3 8:0 8:1 8:2 8:3 8:4 8:5 8:6 8:7 8:8 8:9 8:10 8:11 8:12 1:0");
    // The position seen while each request waits: set after the request before it.
    EXPECT_EQ(progressAtPasses,
              (QList<int>{0, 0, 5, 10, 15, 20, 25, 30, 35, 40, 45, 50, 55, 60, 65, 70, 75, 100}));
    EXPECT_EQ(session.display.progress, 100);
    EXPECT_EQ(session.display.statusText, "Параметры считаны");
    EXPECT_EQ(session.display.dateLabel, "Дата:  2014.01.05 ");
    EXPECT_EQ(session.display.timeLabel, "Время:  09:07:03");
    EXPECT_EQ(session.link.RequestCount(), 18);
}

TEST_F(CurrentValues, BeforeAnyParameterReadAllChannelsUseFourDecimals) {
    meter.floats = {{0, 1.5f}, {1, 0.0f}, {2, -2.25f}, {3, 12345.6789f}};
    meter.integers = {{0, 1234567}, {1, -5}, {2, 0}, {3, 1000}};
    readCurrentValues(session);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(session.formats.ValueFormats[size_t(i)].width, 6);
        EXPECT_EQ(session.formats.ValueFormats[size_t(i)].precision, 4);
    }
    EXPECT_EQ(session.display.flowLabels[0], "G1,м3/час: 1.5000");
    EXPECT_EQ(session.display.flowLabels[1], "G2,м3/час: 0.0000");
    EXPECT_EQ(session.display.flowLabels[2], "G3,м3/час: -2.2500");
    // Wider than 6: written in full after the prefix (the float is 12345.6787109375).
    EXPECT_EQ(session.display.flowLabels[3], "G4,м3/час: 12345.6787");
    EXPECT_EQ(session.display.volumeLabels[0], "V1,м3:    1234.567");
    EXPECT_EQ(session.display.volumeLabels[1], "V2,м3:      -0.005");
    EXPECT_EQ(session.display.volumeLabels[2], "V3,м3:       0.000");
    EXPECT_EQ(session.display.volumeLabels[3], "V4,м3:       1.000");
}

TEST_F(CurrentValues, ChannelPrecisionFollowsTheMaximumFlow) {
    setGmax(10, 10.5, 1000, 20000);
    meter.floats = {{0, 1.5f}, {1, 1.5f}, {2, 12345.6789f}, {3, 987.6f}};
    meter.integers = {{0, 12345}, {1, 12345}, {2, 12345}, {3, 7}};
    readCurrentValues(session);
    EXPECT_EQ(session.formats.ValueFormats[0].precision, 4);
    EXPECT_EQ(session.formats.ValueFormats[1].precision, 3);
    EXPECT_EQ(session.formats.ValueFormats[2].precision, 2);
    EXPECT_EQ(session.formats.ValueFormats[3].precision, 0);
    EXPECT_EQ(session.display.flowLabels[0], "G1,м3/час: 1.5000");
    EXPECT_EQ(session.display.flowLabels[1], "G2,м3/час:  1.500");
    // 12345.6789f is 12345.6787109375: wider than 6, written in full.
    EXPECT_EQ(session.display.flowLabels[2], "G3,м3/час: 12345.68");
    EXPECT_EQ(session.display.flowLabels[3], "G4,м3/час:    988");
    EXPECT_EQ(session.display.volumeLabels[0], "V1,м3:      12.345");
    EXPECT_EQ(session.display.volumeLabels[1], "V2,м3:      123.45");
    EXPECT_EQ(session.display.volumeLabels[2], "V3,м3:      1234.5");
    // Above 10000 m3/h: the count times 10, with 2 decimals.
    EXPECT_EQ(session.display.volumeLabels[3], "V4,м3:       70.00");
}

TEST(ChannelPrecisionBounds, HundredAndTenThousandKeepTheDecimalsOfTheRangeBelow) {
    // 10 and 1000 are bounds of the test above.
    EXPECT_EQ(ChannelPrecision(100.0), 3);
    EXPECT_EQ(ChannelPrecision(10000.0), 1);
}

TEST_F(CurrentValues, HoursAndMainsTimeWithFourDecimals) {
    meter.integers = {{8, 87654321}, {9, 123456789}, {10, 0}, {11, 5}, {12, -10000}};
    readCurrentValues(session);
    // Cyrillic В, one padding blank.
    EXPECT_EQ(session.display.hoursLabels[0], "В1,ч:  12345.6789");
    EXPECT_EQ(session.display.hoursLabels[1], "В2,ч:      0.0000");
    EXPECT_EQ(session.display.hoursLabels[2], "В3,ч:      0.0005");
    EXPECT_EQ(session.display.hoursLabels[3], "В4,ч:     -1.0000");
    // Latin T, Cyrillic с.
    EXPECT_EQ(session.display.mainsLabel, "Tс,ч:   8765.4321");
    EXPECT_EQ(session.display.hoursLabels[0].at(0).unicode(), 0x0412);
    EXPECT_EQ(session.display.mainsLabel.at(0).unicode(), 'T');
    EXPECT_EQ(session.display.mainsLabel.at(1).unicode(), 0x0441);
}

TEST_F(CurrentValues, RegionalCommaSeparator) {
    setDecimalSeparator(QLatin1Char(','));
    setGmax(50, 0, 0, 0);
    meter.floats = {{0, 1.5f}};
    meter.integers = {{0, 12345}};
    readCurrentValues(session);
    EXPECT_EQ(session.display.flowLabels[0], "G1,м3/час:  1,500");
    EXPECT_EQ(session.display.volumeLabels[0], "V1,м3:      123,45");
}

TEST_F(CurrentValues, SilentMeterShowsWhatTheBufferHeld) {
    meter.silent = true;
    readCurrentValues(session);
    // 17 requests of 11 attempts and the clock's 16.
    EXPECT_EQ(line.sentFrames().size(), 17u * 11 + 16);
    EXPECT_TRUE(session.link.LinkFailed());
    // The float 01 01 01 01 is about 2.4e-38; the integer is 16843009.
    EXPECT_EQ(session.display.flowLabels[0], "G1,м3/час: 0.0000");
    EXPECT_EQ(session.display.volumeLabels[0], "V1,м3:   16843.009");
    EXPECT_EQ(session.display.hoursLabels[0], "В1,ч:   1684.3009");
    EXPECT_EQ(session.display.dateLabel, "Дата:  2000.16.84 ");
    EXPECT_EQ(session.display.statusText, "Параметры считаны");
}

} // namespace
} // namespace rt570
