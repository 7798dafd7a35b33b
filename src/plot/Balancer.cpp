#include "plot/Balancer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "texts/Catalogue.h"
#include "texts/TextIds.h"

namespace balancer {
namespace {

// Appends the points of an arc after its first one: the angle advances by a
// hundredth of the span and is summed step by step, so rounding decides
// whether the very last step still lands inside the span.
void AppendArc(const Geometry& g, double angleFrom, double angleTo, double radius,
               std::vector<Point>& out) {
  const double angleStep = (angleTo - angleFrom) * 0.01;
  if (!(angleStep > 0.0)) return;
  for (double angle = angleFrom + angleStep; angle <= angleTo; angle += angleStep)
    out.push_back(PointAt(g, angle, radius));
}

double ClampRadius(const Geometry& g, double radius) {
  const double limit = MaxRadius(g);
  return std::clamp(radius, -limit, limit);
}

std::string Format(const char* format, int32_t value) {
  char textBuffer[48];
  std::snprintf(textBuffer, sizeof textBuffer, format, static_cast<int>(value));
  return textBuffer;
}

}  // namespace

CellStats ComputeStats(const int32_t cells[charger::kCellArraySize], int32_t average) {
  CellStats stats;
  for (int i = 1; i <= kCellSlots; ++i) {
    if (cells[i] == 0) continue;
    // In 64 bits: the difference of two arbitrary int32 does not fit in one.
    const int64_t deviation = std::llabs(int64_t{cells[i]} - int64_t{average});
    const int32_t held = static_cast<int32_t>(
        std::min<int64_t>(deviation, std::numeric_limits<int32_t>::max()));
    stats.MaxDeviation = std::max(stats.MaxDeviation, held);
    ++stats.CellCount;
  }
  return stats;
}

double ScaleFor(int height) { return height > 0 ? 3.0 / height : 0.0; }

Point PointAt(const Geometry& g, double angle, double radius) {
  return {static_cast<int>(std::trunc(std::cos(angle) * radius + g.Width * 0.5)),
          static_cast<int>(std::trunc(g.Height * 0.5 - std::sin(angle) * radius))};
}

Point Centre(const Geometry& g) {
  return {static_cast<int>(std::trunc(g.Width * 0.5)),
          static_cast<int>(std::trunc(g.Height * 0.5))};
}

double MaxRadius(const Geometry& g) {
  return 2.0 * (std::max(g.Width, 0) + std::max(g.Height, 0));
}

std::vector<Point> ReferenceCircle(const Geometry& g, int32_t average) {
  const double radius = ClampRadius(g, average * g.Scale);
  std::vector<Point> points;
  points.reserve(102);
  points.push_back(PointAt(g, 0.0, radius));
  AppendArc(g, 0.0, kFullCircle, radius, points);
  return points;
}

double SectorRadius(const Geometry& g, int32_t cell, int32_t average) {
  const double deviation = double(cell) - double(average);
  const double radius = (deviation * g.Gain + cell) * g.Scale;
  return ClampRadius(g, radius < 0.0 ? 0.0 : radius);
}

std::vector<Point> SectorPath(const Geometry& g, int index, int32_t cell, int32_t average) {
  const double angleFrom = (index - 1) * g.SectorAngle + g.StartAngle;
  const double angleTo = index * g.SectorAngle + g.StartAngle;
  const double radius = SectorRadius(g, cell, average);
  std::vector<Point> points;
  points.reserve(104);
  points.push_back(Centre(g));
  points.push_back(PointAt(g, angleFrom, radius));
  AppendArc(g, angleFrom, angleTo, radius, points);
  points.push_back(Centre(g));
  return points;
}

std::string AverageText(int32_t average) {
  return Format(UserTexts(txt::AverageFormat), average);
}

std::string MaxDeviationText(int32_t maxDeviation) {
  return Format(UserTexts(txt::MaxDeviationFormat), maxDeviation);
}

std::string CellCountText(int32_t cellCount) {
  return cellCount != 0 ? Format(UserTexts(txt::CellsFormat), cellCount) : std::string();
}

std::string ListLine(int index, int32_t cell) {
  char textBuffer[48];
  std::snprintf(textBuffer, sizeof textBuffer, "%2d : %5d mV", index, static_cast<int>(cell));
  return textBuffer;
}

Point ListPosition(int index) {
  return index <= 6 ? Point{10, 20 * index + 20} : Point{120, 20 * index - 100};
}

}  // namespace balancer
