#include "link/DateCode.h"

#include <gtest/gtest.h>

namespace rt570 {
namespace {

// Codes from the meter's documented examples and the 32-bit edges.
TEST(DateCode, PacksAndUnpacks) {
    struct Case {
        uint32_t code;
        int year, month, day, hour, minute;
    };
    const Case cases[] = {
        {712311234u, 2007, 12, 31, 12, 34},
        {1401052300u, 2014, 1, 5, 23, 0},
        {0u, 2000, 0, 0, 0, 0},
        {4294967295u, 2042, 94, 96, 72, 95},
    };
    for (const Case& c : cases) {
        const DateCodeFields f = unpackDateCode(c.code);
        EXPECT_EQ(f.year, c.year) << c.code;
        EXPECT_EQ(f.month, c.month) << c.code;
        EXPECT_EQ(f.day, c.day) << c.code;
        EXPECT_EQ(f.hour, c.hour) << c.code;
        EXPECT_EQ(f.minute, c.minute) << c.code;
        if (c.month <= 12) {
            EXPECT_EQ(packDateCode(c.year - 2000, c.month, c.day, c.hour, c.minute), c.code);
        }
    }
    // A year before 2000 wraps in 32-bit arithmetic: 2^32 - 100000000 + 12312300.
    EXPECT_EQ(packDateCode(-1, 12, 31, 23, 0), 4207279596u);
}

} // namespace
} // namespace rt570
