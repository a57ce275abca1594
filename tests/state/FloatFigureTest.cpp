#include "state/FloatFigure.h"

#include <cfloat>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace rt570 {
namespace {

// Floats as the meter sends them, and the decimals they stand for (worked out from the
// float's neighbours: the shortest decimal that no neighbour is nearer to).
TEST(FloatFigureTest, TheShortestDecimalThatReadsBackAsTheFloat) {
    const struct {
        float sent;
        double figure;
    } cases[] = {
        {0.16f, 0.16},
        {-0.35f, -0.35},
        {141.42f, 141.42},
        {12345.6787109375f, 12345.679}, // neighbours 12345.677734375 and 12345.6796875
        {0.5f, 0.5},
        {0.0f, 0.0},
        {16843008.0f, 16843008.0}, // the float nearest to 16843009
        {1e-45f, 1e-45},           // the smallest float
        {FLT_MAX, 3.4028235e38},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.figure);
        EXPECT_EQ(floatFigure(c.sent), c.figure);
        // The figure is still the float the meter sent.
        EXPECT_EQ(float(floatFigure(c.sent)), c.sent);
    }
    EXPECT_TRUE(std::isnan(floatFigure(std::numeric_limits<float>::quiet_NaN())));
    EXPECT_EQ(floatFigure(-std::numeric_limits<float>::infinity()),
              -std::numeric_limits<double>::infinity());
}

} // namespace
} // namespace rt570
