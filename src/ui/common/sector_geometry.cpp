#include "ui/common/sector_geometry.h"

#include <cmath>

namespace moni::gauge {

Geometry GeometryOf(const Rect& client) {
  const int w = client.right - client.left;
  const int h = client.bottom - client.top;
  Geometry g;
  g.centre = {(client.left + client.right) / 2, client.bottom - h / 8};
  g.rx = w * 35 / 100;
  g.ry = h * 80 / 100;
  g.box = {g.centre.x - g.rx, g.centre.y - g.ry, g.centre.x + g.rx, g.centre.y + g.ry};
  return g;
}

double ValueAngle(int value) {
  if (value < 0) return 0.0;
  if (value >= 100) return 180.0;
  if (value == 0) return -180.0;
  if (value == 1) return -175.5;
  return value * 3.6 - 180.0;
}

Point PointAt(const Geometry& g, double angle, double baseAngle, double scale) {
  const double radians = (angle + baseAngle) * 3.14159265358979323846 / 180.0;
  return {static_cast<int>(std::lround(g.centre.x + std::cos(radians) * g.rx * scale)),
          static_cast<int>(std::lround(g.centre.y - std::sin(radians) * g.ry * scale))};
}

}  // namespace moni::gauge
