#include "archives/ArchiveLayout.h"
#include "session/Session.h"
#include "state/NumberText.h"
#include "support/FakeSerialLine.h"
#include "support/RecordingHost.h"

#include <gtest/gtest.h>

namespace rt570 {
namespace {

ChannelFormats sameOnEveryChannel(int decimals) {
    ChannelFormats formats;
    for (ChannelFormat& f : formats)
        f = ChannelFormat{6, decimals, kScaleTableStart[size_t(decimals)]};
    return formats;
}

ArchiveRecord record(std::initializer_list<double> byQuantity) {
    ArchiveRecord r{};
    std::copy(byQuantity.begin(), byQuantity.end(), r.begin());
    return r;
}

class Layout : public ::testing::Test {
protected:
    void SetUp() override { setDecimalSeparator(QLatin1Char('.')); }
};

TEST_F(Layout, HourRowLinesUpItsBarsUnderTheHeads) {
    // Quantities 0..3 flows, 4 mains time, 5..8 operating times.
    const ArchiveRecord hour =
        record({12.3456, 12.3456, 12.3456, 12.3456, 10000, 10000, 10000, 10000, 10000});
    const QString row = tableRow(7, hour, sameOnEveryChannel(3), ChannelCells::Flow);
    EXPECT_EQ(row, QStringLiteral("| 07: | 12.346 | 12.346 | 12.346 | 12.346 | 1.00 | 1.00 | "
                                  "1.00 | 1.00 | 1.00 | "));
    EXPECT_EQ(row.size(), 79);
    const QString head = QStringLiteral(
        "| Час |   G1,  |   G2,  |   G3,  |   G4,  |  B1, |  B2, |  B3, |  B4, |  Тс, |");
    for (int i = 0; i < head.size(); ++i) {
        if (head[i] == QLatin1Char('|')) {
            EXPECT_EQ(row[i], QLatin1Char('|')) << "bar at " << i;
        }
    }
}

TEST_F(Layout, DayRowPutsMainsTimeLastAndWidensWithFiveCharacterHours) {
    const ArchiveRecord day = record({1.2345, 0.5, 2.25, 0, 2500, 240000, 240000, 125000, 0});
    const QString row = tableRow(1, day, sameOnEveryChannel(4), ChannelCells::Flow);
    EXPECT_EQ(row, QStringLiteral("| 01: | 1.2345 | 0.5000 | 2.2500 | 0.0000 | 24.00 | 24.00 | "
                                  "12.50 | 0.00 | 0.25 | "));
    EXPECT_EQ(row.size(), 82);
    EXPECT_EQ(row.lastIndexOf(QLatin1Char('|')), 80); // place 81, three places right of 78
}

TEST_F(Layout, MonthRowScalesVolumesAndLetsLongHoursWidenTheRow) {
    ChannelFormats formats;
    formats[0] = {6, 4, 1000}; // count / 1000
    formats[1] = {6, 3, 100};
    formats[2] = {6, 1, 1};
    formats[3] = {6, 0, 0.1}; // count * 10
    const ArchiveRecord month =
        record({123456, 123456, 123456, 42, 7200000, 7200000, 240000, 0, 10000});
    const QString row = tableRow(25, month, formats, ChannelCells::Volume);
    EXPECT_EQ(row, QStringLiteral("| 25: | 123.4560 | 1234.560 | 123456.0 |    420 | 720.00 | "
                                  "24.00 | 0.00 | 1.00 | 720.00 | "));
}

TEST_F(Layout, CellsUseTheRegionalSeparator) {
    setDecimalSeparator(QLatin1Char(','));
    const ArchiveRecord r = record({1.23456, 0, 0, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ(recordCells(r, sameOnEveryChannel(4), ChannelCells::Flow),
              QStringLiteral("1,2346 | 0,0000 | 0,0000 | 0,0000 | 0,00 | 0,00 | 0,00 | 0,00 | "
                             "0,00 | "));
    setDecimalSeparator(QLatin1Char('.'));
}

TEST_F(Layout, IntegratorLinesHaveWidthElevenAndTwoTrailingBlanks) {
    EXPECT_EQ(integratorLine(QStringLiteral("V1 , м3 : "), 123456 / 100.0, 3),
              QStringLiteral("V1 , м3 :    1234.560  "));
    EXPECT_EQ(integratorLine(QStringLiteral("В1 , час : "), 1234567 / 10000.0, 2),
              QStringLiteral("В1 , час :      123.46  "));
    EXPECT_EQ(integratorLine(QStringLiteral("V1 , м3 : "), 1234567 / 1000.0, 4),
              QStringLiteral("V1 , м3 :   1234.5670  "));

    ChannelFormats formats = sameOnEveryChannel(3);
    formats[3] = {6, 0, 0.1};
    const ArchiveRecord values = record({123456, 1, -250, 5, 2280000, 1234567, 0, 240000, 7});
    const QStringList lines = integratorLines(values, formats);
    EXPECT_EQ(
        lines,
        (QStringList{
            QStringLiteral("V1 , м3 :    1234.560  "), QStringLiteral("V2 , м3 :       0.010  "),
            QStringLiteral("V3 , м3 :      -2.500  "), QStringLiteral("V4 , м3 :          50  "),
            QStringLiteral("В1 , час :      123.46  "), QStringLiteral("В2 , час :        0.00  "),
            QStringLiteral("В3 , час :       24.00  "), QStringLiteral("В4 , час :        0.00  "),
            QStringLiteral("ТC , час :      228.00  ")}));
}

TEST_F(Layout, HeaderPieces) {
    EXPECT_EQ(RuleLine(), QString(78, QLatin1Char('_')));
    EXPECT_EQ(deviceLine(1234), QStringLiteral("Расходомер RT570-4: серийный №: 1234  "));
    EXPECT_EQ(deviceLine(1234, false), QStringLiteral("Расходомер RT570-4: серийный №:1234  "));
    EXPECT_EQ(deviceLine(12345678), QStringLiteral("Расходомер RT570-4: серийный №: 12345678"));
    EXPECT_EQ(deviceLine(0), QStringLiteral("Расходомер RT570-4: серийный №: 0     "));
    EXPECT_EQ(titleMonth(9, 3), QStringLiteral("2009.03"));
    EXPECT_EQ(titleDay(14, 1, 5), QStringLiteral("2014.01.05"));
    const QStringList block = headerBlock(QStringLiteral("T"), QStringLiteral("D"),
                                          QStringLiteral("H1"), QStringLiteral("H2"));
    EXPECT_EQ(block,
              (QStringList{QStringLiteral("T"), QStringLiteral("D"), QStringLiteral(" "),
                           RuleLine(), QStringLiteral("H1"), QStringLiteral("H2"), RuleLine()}));
}

TEST_F(Layout, FormatsComeFromTheFlowFormatsAndTheScaleTable) {
    test::FakeSerialLine line;
    test::RecordingHost host;
    Session session{line, host, QString()};
    session.formats.ScaleTable = kScaleTableStart;
    session.formats.ValueFormats[0] = {6, 4};
    session.formats.ValueFormats[1] = {6, 0};
    session.formats.ValueFormats[2] = {6, 2};
    session.formats.ValueFormats[3] = {6, 9}; // no such channel precision: counts unscaled
    const ChannelFormats f = channelFormats(session);
    EXPECT_EQ(f[0].scale, 1000);
    EXPECT_EQ(f[1].scale, 0.1);
    EXPECT_EQ(f[2].scale, 10);
    EXPECT_EQ(f[3].scale, 1);
    EXPECT_EQ(f[3].decimals, 9);
    EXPECT_EQ(f[0].width, 6);
}

} // namespace
} // namespace rt570
