#include "cli/CarrierWatch.h"
#include "support/FakeSerialLine.h"

#include <array>
#include <gtest/gtest.h>

namespace rt570::cli {
namespace {

// The modem's "NO CARRIER" behind a meter reply, split between two reads at every place: the
// call counts as lost once the second part has been read, never before. A watch that is not
// armed sees nothing.
TEST(CarrierWatch, SeesNoCarrierSplitAcrossTwoReads) {
    const QByteArray input = QByteArray::fromHex("23010500") + "\r\nNO CARRIER\r\n";
    for (qsizetype split = 1; split < input.size(); ++split) {
        SCOPED_TRACE(split);
        for (const bool armed : {true, false}) {
            rt570::test::FakeSerialLine line;
            CarrierWatch watch(line);
            if (armed)
                watch.arm();
            std::array<uint8_t, 64> buf{};
            line.putOnLine(input.left(split));
            ASSERT_EQ(watch.Receive_Binary(1, buf.data(), 100, int(buf.size())), split);
            EXPECT_EQ(watch.carrierLost(), armed && split >= input.size() - 2);
            line.putOnLine(input.mid(split));
            watch.Receive_Binary(1, buf.data(), 100, int(buf.size()));
            EXPECT_EQ(watch.carrierLost(), armed);
        }
    }
}

} // namespace
} // namespace rt570::cli
