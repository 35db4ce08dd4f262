// The pie gauge's geometry: the ellipse of a client rectangle, the angle of
// each value and the rounded points.
#include <gtest/gtest.h>

#include "ui/common/sector_geometry.h"

namespace {

using namespace moni::gauge;

TEST(SectorGeometry, EllipseFromTheClientRectangle) {
  const Geometry g = GeometryOf({0, 0, 201, 99});
  EXPECT_EQ(g.centre, (Point{100, 99 - 12}));  // h / 8 = 12 (integer division)
  EXPECT_EQ(g.rx, 70);                          // 201 * 35 / 100 = 70.35
  EXPECT_EQ(g.ry, 79);                          // 99 * 80 / 100 = 79.2
  EXPECT_EQ(g.box.left, 30);
  EXPECT_EQ(g.box.top, 8);
  EXPECT_EQ(g.box.right, 170);
  EXPECT_EQ(g.box.bottom, 166);
  const Geometry shifted = GeometryOf({10, 20, 110, 100});
  EXPECT_EQ(shifted.centre, (Point{60, 90}));
  const Geometry none = GeometryOf({0, 0, 0, 0});
  EXPECT_EQ(none.rx, 0);
  EXPECT_EQ(none.ry, 0);
}

TEST(SectorGeometry, ValueToAngle) {
  const struct {
    int value;
    double angle;
  } cases[] = {{100, 180.0}, {0, -180.0}, {1, -175.5}, {2, -172.8}, {50, 0.0}, {99, 176.4}, {-1, 0.0}, {101, 180.0}, {1000, 180.0}};
  for (const auto& c : cases) EXPECT_DOUBLE_EQ(ValueAngle(c.value), c.angle) << c.value;
  EXPECT_FALSE(ValueDrawn(0));
  EXPECT_TRUE(ValueDrawn(1));
  EXPECT_FALSE(ValueDrawn(-5));
}

TEST(SectorGeometry, PointsAreRoundedToTheNearestPixel) {
  Geometry g;
  g.centre = {100, 100};
  g.rx = 50;
  g.ry = 40;
  EXPECT_EQ(PointAt(g, 0), (Point{150, 100}));
  EXPECT_EQ(PointAt(g, 90), (Point{100, 60}));   // up is smaller y
  EXPECT_EQ(PointAt(g, 180), (Point{50, 100}));
  EXPECT_EQ(PointAt(g, -90), (Point{100, 140}));
  // value 1: cos(-175.5) * 50 = -49.85 -> 50.15 -> 50; sin(-175.5) * 40 = -3.14 -> 103
  EXPECT_EQ(PointAt(g, ValueAngle(1)), (Point{50, 103}));
  // the needle at 85 %: 0.85 * 50 = 42.5 rounds away from zero
  EXPECT_EQ(PointAt(g, 0, 0, kNeedleScale), (Point{143, 100}));
  // a base angle turns every point
  EXPECT_EQ(PointAt(g, 0, 90), PointAt(g, 90));
}

}  // namespace
