#pragma once
// The balancer control's arithmetic, kept away from any widget: the cell
// statistics, the texts it shows, and the points of its radial view. The
// control (gui/TGraphSpider) only strokes these points and writes these texts.
#include <cstdint>
#include <string>
#include <vector>

#include "charger/ChargerLayout.h"

namespace balancer {

// The program's full circle is this decimal constant, not the exact 2*pi; the
// reference circle ends there and a sector is a twelfth of it.
inline constexpr double kFullCircle = 6.2831854;
inline constexpr double kSectorAngle = kFullCircle / 12;  // radians
inline constexpr double kStartAngle = 0.0;                // sector 1 begins at the rightward axis
inline constexpr double kGain = 50.0;                     // magnification of a cell's deviation
inline constexpr int kCellSlots = charger::gen3::kCellCount;  // cells 1..12 of a cell array

struct Point {
  int x = 0;
  int y = 0;
  bool operator==(const Point&) const = default;
};

// What a paint computes afresh from the cells.
struct CellStats {
  int32_t CellCount = 0;     // cells that are not 0
  int32_t MaxDeviation = 0;  // largest |cell - average| over those cells, mV
};

// Counts the non-zero cells among 1..12 and their largest distance from the
// caller's average. A distance beyond the int32 range (only reachable with
// values no charger sends) is held at INT32_MAX.
CellStats ComputeStats(const int32_t cells[charger::kCellArraySize], int32_t average);

// Pixels per mV for a control of this height: 3.0 / height. A control with no
// height has nothing to draw on; its scale is 0.0 rather than a division by 0.
double ScaleFor(int height);

// Size and constants of one drawing of the radial view.
struct Geometry {
  int Width = 0;
  int Height = 0;
  double Scale = 0.0;  // pixels per mV
  double SectorAngle = kSectorAngle;
  double StartAngle = kStartAngle;
  double Gain = kGain;
};

// The point at angle a (radians, counter-clockwise from the rightward axis)
// and radius r around the control's centre, each coordinate truncated toward
// zero.
Point PointAt(const Geometry& g, double angle, double radius);
// The pen position of the sectors' common corner.
Point Centre(const Geometry& g);

// A radius as large as this already reaches past every corner of the control;
// larger ones are held here so that a cell far off the average (or a caller's
// average far off the cells) keeps every coordinate well inside int.
double MaxRadius(const Geometry& g);

// The dotted circle at the average voltage: the point at angle 0, then one
// point per hundredth of the full circle.
std::vector<Point> ReferenceCircle(const Geometry& g, int32_t average);

// Radius of cell `index`'s arc: (deviation * gain + cell) * scale, 0.0 when
// that is negative, at most MaxRadius.
double SectorRadius(const Geometry& g, int32_t cell, int32_t average);

// Closed outline of cell `index` (1-based): the centre, the sector's first
// edge, its arc in hundredths of the sector angle, and back to the centre.
std::vector<Point> SectorPath(const Geometry& g, int index, int32_t cell, int32_t average);

// Texts of the control and of the main window's cell count label.
std::string AverageText(int32_t average);
std::string MaxDeviationText(int32_t maxDeviation);
std::string CellCountText(int32_t cellCount);  // empty when there is no cell
std::string ListLine(int index, int32_t cell);
// Top-left corner of cell `index`'s line in the numeric list: two columns of six.
Point ListPosition(int index);

}  // namespace balancer
