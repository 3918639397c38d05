// The test chart at a few positions worked out by hand, so that a change of
// the chart that hosts read their window back from does not pass unseen.
#include <gtest/gtest.h>

#include "test_chart.h"

namespace zorvik::sim {
namespace {

struct ChartPoint {
  uint32_t x, y;
  uint16_t red, green, blue;
};

TEST(TestChart, MarkGridRampsAndInchCells) {
  const ChartPoint points[] = {
      {0, 0, 0xFFFF, 0, 0xFFFF},                       // origin mark
      {239, 239, 0xFFFF, 0, 0xFFFF},                   // its far corner
      {240, 100, 6556, 2731, 0x0080},                  // ramps just outside the mark
      {2400, 1000, 0, 0, 0},                           // grid line across
      {1000, 4823, 0, 0, 0},                           // grid line down, last unit of it
      {3600, 8400, 32781, 32781, 0x1380},              // middle of inch cell (1, 3)
      {16 * 2400 + 1200, 1200, 32781, 32781, 0x0080},  // inch numbers count mod 16
  };
  for (const ChartPoint& point : points) {
    SCOPED_TRACE(testing::Message() << "x " << point.x << ", y " << point.y);
    const ChartColor color = ChartColorAt(point.x, point.y);
    EXPECT_EQ(point.red, color.red);
    EXPECT_EQ(point.green, color.green);
    EXPECT_EQ(point.blue, color.blue);
  }
}

TEST(TestChart, PixelPositionsFollowWindowAndResolution) {
  EXPECT_EQ(2400u, ChartPosition(300, 0, 300));
  EXPECT_EQ(2400u + 32u, ChartPosition(300, 1, 75));
  EXPECT_EQ(233u, ChartPosition(0, 7, 72));    // 233.3, leading edge rounded down
  EXPECT_EQ(2400u, ChartPosition(0, 72, 72));  // any whole resolution lands on the inch
}

}  // namespace
}  // namespace zorvik::sim
