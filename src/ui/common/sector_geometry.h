// The pie gauge's geometry (portable core, no windows.h): the ellipse of a
// client rectangle, the angle of a value and the points at angles.
//
// Angles are in degrees, counter-clockwise from the right as on a drawing
// with y upwards; a point's y grows downwards as on the screen. The owner may
// turn the whole gauge by a base angle, added to every angle.
#pragma once

namespace moni::gauge {

struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;
};
struct Point {
  int x = 0, y = 0;
  bool operator==(const Point&) const = default;
};

struct Geometry {
  Point centre;
  int rx = 0, ry = 0;  // radii
  Rect box;            // the ellipse's bounding box: centre -/+ radii
};

// Centre x = (left + right) / 2, centre y = bottom - height / 8; rx = width *
// 35 / 100, ry = height * 80 / 100 (integer division).
Geometry GeometryOf(const Rect& client);

// The angle of a value (percent): 100 -> 180, 0 -> -180, 1 -> -175.5 (so that
// the smallest level is still seen), negative -> 0, otherwise v * 3.6 - 180.
// Values above 100 are shown as 100.
double ValueAngle(int value);
// Only values of at least 1 are drawn.
inline bool ValueDrawn(int value) { return value >= 1; }
// The level sector ends at the point of value 100.
inline constexpr double kEndAngle = 180.0;

// The point at `angle` (plus `baseAngle`) on the ellipse scaled by `scale`,
// rounded to the nearest integer.
Point PointAt(const Geometry& g, double angle, double baseAngle = 0.0, double scale = 1.0);
// The needle ends at 85 % of the radii.
inline constexpr double kNeedleScale = 0.85;

}  // namespace moni::gauge
