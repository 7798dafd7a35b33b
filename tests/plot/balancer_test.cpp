#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "plot/Balancer.h"

using balancer::Geometry;
using balancer::Point;

namespace {

constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
constexpr int32_t kMin = std::numeric_limits<int32_t>::min();

// The control's size in the main window.
Geometry ControlGeometry() { return {201, 193, balancer::ScaleFor(193)}; }

double DistanceFromCentre(const Geometry& g, Point p) {
  return std::hypot(p.x - g.Width * 0.5, g.Height * 0.5 - p.y);
}

}  // namespace

TEST(BalancerConstants, AreTheProgramsOwnBitPatterns) {
  EXPECT_EQ(std::bit_cast<uint64_t>(balancer::kFullCircle), 0x401921FB5A7ED197u);
  EXPECT_EQ(std::bit_cast<uint64_t>(balancer::kSectorAngle), 0x3FE0C1523C548BBAu);
}

TEST(BalancerStats, CountsNonZeroCellsAndLargestDeviation) {
  struct Case {
    const char* name;
    std::vector<int32_t> cells;  // cells 1.. ; the rest are 0
    int32_t average;
    int32_t count, maxDeviation;
    const char* averageLine;
    const char* deviationLine;
    const char* countLabel;
  };
  const Case cases[] = {
      {"two cells and ten zeros", {4100, 4120}, 4110, 2, 10,
       "Moyenne = 4110 mV", "Ecart Max =   10 mV", "2 Cells"},
      {"all zeros", {}, 0, 0, 0, "Moyenne =    0 mV", "Ecart Max =    0 mV", ""},
      {"one cell", {3700}, 3700, 1, 0, "Moyenne = 3700 mV", "Ecart Max =    0 mV", "1 Cells"},
      {"six cells", {3800, 3810, 3790, 3800, 3805, 3795}, 3800, 6, 10,
       "Moyenne = 3800 mV", "Ecart Max =   10 mV", "6 Cells"},
      {"zero among the cells is skipped", {3800, 3700, 0, 4000}, 3833, 3, 167,
       "Moyenne = 3833 mV", "Ecart Max =  167 mV", "3 Cells"},
      {"twelve cells", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}, 6, 12, 6,
       "Moyenne =    6 mV", "Ecart Max =    6 mV", "12 Cells"},
      {"caller's average of 0 with cells", {4000, 4100}, 0, 2, 4100,
       "Moyenne =    0 mV", "Ecart Max = 4100 mV", "2 Cells"},
      {"largest frame value", {65535}, 0, 1, 65535,
       "Moyenne =    0 mV", "Ecart Max = 65535 mV", "1 Cells"},
      {"negative cell still counts", {-5}, 0, 1, 5, "Moyenne =    0 mV", "Ecart Max =    5 mV",
       "1 Cells"},
      {"deviation beyond int32 is held", {kMin}, kMax, 1, kMax,
       "Moyenne = 2147483647 mV", "Ecart Max = 2147483647 mV", "1 Cells"},
      {"int32 extremes", {kMax, kMin}, kMin, 2, kMax,
       "Moyenne = -2147483648 mV", "Ecart Max = 2147483647 mV", "2 Cells"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    int32_t cells[13] = {};
    cells[0] = 999999;  // entry 0 is never read
    for (size_t i = 0; i < c.cells.size(); ++i) cells[i + 1] = c.cells[i];
    const balancer::CellStats stats = balancer::ComputeStats(cells, c.average);
    EXPECT_EQ(stats.CellCount, c.count);
    EXPECT_EQ(stats.MaxDeviation, c.maxDeviation);
    EXPECT_EQ(balancer::AverageText(c.average), c.averageLine);
    EXPECT_EQ(balancer::MaxDeviationText(stats.MaxDeviation), c.deviationLine);
    EXPECT_EQ(balancer::CellCountText(stats.CellCount), c.countLabel);
  }
}

TEST(BalancerList, LinesAndPlaces) {
  struct Case {
    int index;
    int32_t cell;
    const char* line;
    Point at;
  };
  const Case cases[] = {
      {1, 3800, " 1 :  3800 mV", {10, 40}},    {6, 0, " 6 :     0 mV", {10, 140}},
      {7, 4123, " 7 :  4123 mV", {120, 40}},   {12, 65535, "12 : 65535 mV", {120, 140}},
      {9, -12, " 9 :   -12 mV", {120, 80}},    {3, kMin, " 3 : -2147483648 mV", {10, 80}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.index);
    EXPECT_EQ(balancer::ListLine(c.index, c.cell), c.line);
    EXPECT_EQ(balancer::ListPosition(c.index), c.at);
  }
}

TEST(BalancerGeometry, ScaleAndPoints) {
  EXPECT_DOUBLE_EQ(balancer::ScaleFor(193), 3.0 / 193);
  EXPECT_EQ(balancer::ScaleFor(0), 0.0);  // no division by zero
  EXPECT_EQ(balancer::ScaleFor(-4), 0.0);

  const Geometry g = ControlGeometry();
  struct Case {
    double angle, radius;
    Point expected;
  };
  const Case cases[] = {
      {0.0, 0.0, {100, 96}},                 // the centre
      {0.0, 59.0, {159, 96}},                // rightward
      {M_PI / 2, 50.0, {100, 46}},           // upward: y shrinks
      {M_PI, 50.0, {50, 96}},                // leftward
      {3 * M_PI / 2, 50.0, {100, 146}},      // downward
      {M_PI / 6, 10.0, {109, 91}},           // 100.5+8.66 ; 96.5-5
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.angle);
    EXPECT_EQ(balancer::PointAt(g, c.angle, c.radius), c.expected);
  }
  EXPECT_EQ(balancer::Centre(g), (Point{100, 96}));
}

TEST(BalancerGeometry, ReferenceCircleAtTheAverage) {
  const Geometry g = ControlGeometry();
  const double radius = 3800 * g.Scale;  // about 59 px
  const std::vector<Point> circle = balancer::ReferenceCircle(g, 3800);
  ASSERT_GE(circle.size(), 100u);
  ASSERT_LE(circle.size(), 101u);
  EXPECT_EQ(circle.front(), (Point{159, 96}));
  for (const Point& p : circle) EXPECT_NEAR(DistanceFromCentre(g, p), radius, 1.5);
  // The last step comes back to within one step of the start.
  EXPECT_LE(std::hypot(circle.back().x - circle.front().x, circle.back().y - circle.front().y),
            2 * M_PI * radius / 100 + 1.5);

  // An average of 0 is a circle of radius 0: every point is the centre.
  for (const Point& p : balancer::ReferenceCircle(g, 0)) EXPECT_EQ(p, balancer::Centre(g));
}

TEST(BalancerGeometry, Sectors) {
  const Geometry g = ControlGeometry();
  struct Case {
    const char* name;
    int index;
    int32_t cell, average;
    double radius;  // expected, px
  };
  const Case cases[] = {
      {"at the average reaches the circle", 1, 3800, 3800, 3800 * 3.0 / 193},
      {"above: 51 times the deviation", 2, 3810, 3800, (3800 + 51 * 10) * 3.0 / 193},
      {"below: inside the circle", 3, 3790, 3800, (3800 - 51 * 10) * 3.0 / 193},
      {"just above a fiftieth below", 4, 3727, 3800, (3727 - 50 * 73) * 3.0 / 193},
      {"more than a fiftieth below collapses", 5, 3700, 3800, 0.0},
      {"zero cell among the first collapses", 3, 0, 3800, 0.0},
      {"far above is held at the largest radius", 12, 65535, 3000, 2.0 * (201 + 193)},
      {"int32 extremes are held too", 7, kMax, kMin, 2.0 * (201 + 193)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_NEAR(balancer::SectorRadius(g, c.cell, c.average), c.radius, 1e-9);
    const std::vector<Point> path = balancer::SectorPath(g, c.index, c.cell, c.average);
    ASSERT_GE(path.size(), 102u);
    ASSERT_LE(path.size(), 103u);
    EXPECT_EQ(path.front(), balancer::Centre(g));
    EXPECT_EQ(path.back(), balancer::Centre(g));
    const double from = (c.index - 1) * balancer::kSectorAngle;
    const double to = c.index * balancer::kSectorAngle;
    EXPECT_EQ(path[1], balancer::PointAt(g, from, c.radius));
    for (size_t k = 1; k + 1 < path.size(); ++k) {
      EXPECT_NEAR(DistanceFromCentre(g, path[k]), c.radius, 1.5);
      if (c.radius > 20) {  // far enough out for truncation to keep the angle readable
        const double a = std::atan2(g.Height * 0.5 - path[k].y, path[k].x - g.Width * 0.5);
        EXPECT_LE(std::fabs(std::remainder(a - (from + to) / 2, 2 * M_PI)), (to - from) / 2 + 0.08);
      }
    }
  }
}

TEST(BalancerGeometry, NoHeightDrawsEverythingAtTheCentre) {
  const Geometry g{201, 0, balancer::ScaleFor(0)};
  for (const Point& p : balancer::ReferenceCircle(g, 3800)) EXPECT_EQ(p, balancer::Centre(g));
  for (const Point& p : balancer::SectorPath(g, 1, 4200, 3800)) EXPECT_EQ(p, balancer::Centre(g));
  const Geometry empty{0, 0, 0.0};
  for (const Point& p : balancer::SectorPath(empty, 12, kMax, kMin)) EXPECT_EQ(p, (Point{0, 0}));
}
