#include "archives/ArchiveDate.h"
#include "archives/ArchiveRequests.h"
#include "link/Link.h"
#include "state/ArchiveState.h"
#include "support/FakeSerialLine.h"
#include "support/RecordingHost.h"

#include <gtest/gtest.h>

namespace rt570 {
namespace {

using test::FakeSerialLine;
using test::RecordingHost;
using test::toHex;

QByteArray reply(uint8_t command, uint32_t data) {
    const ReplyFrame f = makeReply(1, command, 0, 0, data);
    return QByteArray(reinterpret_cast<const char*>(f.data()), kFrameLength);
}

class ArchiveRequest : public ::testing::Test {
protected:
    void SetUp() override { link.setDeviceAddress(1); }
    void ask(uint8_t quantity, uint8_t kind, uint32_t code, uint16_t slot) {
        asked = quantity;
        at = {kind, code, slot};
    }
    double entry(int q, int slot) const { return archive.ArchiveTables[size_t(q)][size_t(slot)]; }

    FakeSerialLine line;
    RecordingHost host;
    Link link{line, host};
    ArchiveState archive;
    uint8_t asked = 0;
    ArchiveAddress at;
};

TEST_F(ArchiveRequest, FloatFrameCarriesQuantityKindAndDateCode) {
    // 15 March 2009, hour 7: 903150700 = 0x35D4FC6C.
    ask(2, kKindHourly, archiveDateCode(9, 3, 15, 7), 7);
    line.queueReply(reply(kCmdArchiveFloat, bitsFromFloat(12.5f)));
    ReadArchiveFloat(link, archive, at, asked);
    ASSERT_EQ(line.sentFrames().size(), 1u);
    EXPECT_EQ(toHex(line.sentFrames()[0]), "23 01 0B 02 00 6C FC D4 35 AF 0D");
    EXPECT_EQ(entry(2, 7), 12.5);
    EXPECT_EQ(link.RequestCount(), 1);
    EXPECT_EQ(link.ErrorCount(), 0);
    // Flush read of 30 ms before the send, reply read of 3000 ms after it.
    EXPECT_EQ(line.calls[0].timeoutMs, 30);
    EXPECT_EQ(line.calls[2].timeoutMs, 3000);
}

TEST_F(ArchiveRequest, FloatOfANonFlowQuantityIsAskedForButNotStored) {
    for (auto& table : archive.ArchiveTables)
        table.fill(-7);
    ask(4, kKindDaily, archiveDateCode(9, 3, 15, 23), 15);
    line.queueReply(reply(kCmdArchiveFloat, bitsFromFloat(99.0f)));
    ReadArchiveFloat(link, archive, at, asked);
    EXPECT_EQ(line.sentFrames().size(), 1u);
    EXPECT_EQ(line.sentFrames()[0][2], char(kCmdArchiveFloat));
    for (const auto& table : archive.ArchiveTables)
        for (double v : table)
            ASSERT_EQ(v, -7);
}

TEST_F(ArchiveRequest, IntegerJustUnderAFullDayBecomesAFullDay) {
    struct Case {
        int32_t received;
        double stored;
    };
    const Case cases[] = {{239899, 239899}, {239900, 239900}, {239901, 240000}, {239950, 240000},
                          {239999, 240000}, {240000, 240000}, {240001, 240001}, {-5, -5}};
    for (const Case& c : cases) {
        ask(0, kKindMonthly, archiveDateCode(9, 3, 25, 23), 23);
        line.queueReply(reply(kCmdArchiveInteger, uint32_t(c.received)));
        ReadArchiveInteger(link, archive, at, asked);
        EXPECT_EQ(entry(0, 23), c.stored) << c.received;
    }
    EXPECT_EQ(toHex(line.sentFrames()[0]).left(14), "23 01 0C 00 02");
}

TEST_F(ArchiveRequest, IntegratorValueKeepsWhatItReceives) {
    ask(4, kKindIntegrators, archiveDateCode(9, 3, 15, 23), 15);
    line.queueReply(reply(kCmdArchiveInteger, 239950));
    ReadIntegratorValue(link, archive, at, asked);
    EXPECT_EQ(entry(4, 15), 239950);
    EXPECT_EQ(toHex(line.sentFrames()[0]).left(14), "23 01 0C 04 04");
}

TEST_F(ArchiveRequest, SilentLineLeavesThePrefillInTheEntry) {
    ask(5, kKindDaily, archiveDateCode(12, 2, 29, 23), 29);
    ReadArchiveInteger(link, archive, at, asked);
    EXPECT_EQ(line.sentFrames().size(), 11u);
    EXPECT_EQ(link.RequestCount(), 12);
    EXPECT_EQ(link.ErrorCount(), 11);
    EXPECT_EQ(link.TimeoutCount(), 1);
    EXPECT_TRUE(link.LinkFailed());
    EXPECT_EQ(entry(5, 29), 16843009.0);

    // The float routine stores the pre-fill read as a float (about 2.37e-38).
    ask(1, kKindDaily, archiveDateCode(12, 2, 29, 23), 29);
    ReadArchiveFloat(link, archive, at, asked);
    EXPECT_EQ(entry(1, 29), double(floatFromBits(0x01010101u)));
    EXPECT_EQ(link.RequestCount(), 24);
}

TEST_F(ArchiveRequest, IntegratorValueGivesUpAfterThirteenFrames) {
    ask(8, kKindIntegrators, archiveDateCode(12, 2, 29, 23), 29);
    ReadIntegratorValue(link, archive, at, asked);
    const auto frames = line.sentFrames();
    ASSERT_EQ(frames.size(), 13u);
    for (const QByteArray& f : frames)
        EXPECT_EQ(f, frames[0]);
    EXPECT_EQ(link.RequestCount(), 14);
    EXPECT_EQ(link.ErrorCount(), 13);
    EXPECT_EQ(link.TimeoutCount(), 1);
    EXPECT_EQ(entry(8, 29), 16843009.0);
}

TEST_F(ArchiveRequest, RecordsAskTheirQuantitiesInOrder) {
    line.responder = [](const QByteArray& sent) {
        return reply(uint8_t(sent[2]), uint32_t(100 + uint8_t(sent[3])));
    };
    const uint32_t code = archiveDateCode(14, 1, 5, 23);
    auto commandsAndQuantities = [&] {
        QList<int> out;
        for (const QByteArray& f : line.sentFrames()) {
            EXPECT_EQ(frameData(frameAt(f)), code);
            out << uint8_t(f[2]) * 100 + uint8_t(f[3]);
        }
        line.clear();
        return out;
    };
    ask(0, kKindDaily, code, 5);
    ReadFlowRecord(link, archive, at);
    EXPECT_EQ(commandsAndQuantities(),
              (QList<int>{1100, 1101, 1102, 1103, 1204, 1205, 1206, 1207, 1208}));
    ReadMonthRecord(link, archive, at);
    EXPECT_EQ(commandsAndQuantities(),
              (QList<int>{1200, 1201, 1202, 1203, 1204, 1205, 1206, 1207, 1208}));
    ReadIntegratorRecord(link, archive, at);
    EXPECT_EQ(commandsAndQuantities(),
              (QList<int>{1200, 1201, 1202, 1203, 1204, 1205, 1206, 1207, 1208}));
    for (int q = 0; q < kArchiveQuantities; ++q)
        EXPECT_EQ(entry(q, 5), 100 + q);
}

} // namespace
} // namespace rt570
