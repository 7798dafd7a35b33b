// Column-wise curve drawing against the segment-by-segment reference on a
// small raster of our own, whose only shared rule with a real canvas is the
// one the column drawing relies on: a line within one column covers both of
// its ends and everything between.
#include "plot/CurvePath.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <random>
#include <vector>

namespace {

class Raster : public CurvePathSink {
 public:
  Raster(int w, int h) : w_(w), h_(h), px_(static_cast<size_t>(w) * h, -1) {}
  void Segment(int series, curve::Point a, curve::Point b) override {
    ++segments;
    // Any fixed rule does for lines across columns: a simple DDA.
    const int n = std::max(std::abs(b.x - a.x), std::abs(b.y - a.y));
    for (int i = 0; i <= n; ++i) {
      const double t = n ? static_cast<double>(i) / n : 0.0;
      Set(a.x + static_cast<int>(std::lround((b.x - a.x) * t)),
          a.y + static_cast<int>(std::lround((b.y - a.y) * t)), series);
    }
  }
  void Run(int series, int32_t x, int32_t top, int32_t bottom) override {
    ++runs;
    EXPECT_LE(top, bottom);
    EXPECT_GE(top, 0);
    EXPECT_LT(bottom, h_);
    for (int y = top; y <= bottom; ++y) Set(x, y, series);
  }
  bool operator==(const Raster& o) const { return px_ == o.px_; }
  int segments = 0, runs = 0;

 private:
  void Set(int x, int y, int series) {
    if (x >= 0 && x < w_ && y >= 0 && y < h_) px_[static_cast<size_t>(y) * w_ + x] = series;
  }
  int w_, h_;
  std::vector<int> px_;
};

CurvePathRequest Screen(bool probe) {
  CurvePathRequest r;
  r.height = 193;
  r.series[curve::kTemp] = probe;
  r.series[curve::kVolt] = r.series[curve::kCapa] = r.series[curve::kCurr] = true;
  r.clipLeft = 0;
  r.clipRight = 704;
  r.clipTop = 0;
  r.clipBottom = 192;
  return r;
}

TEST(CurvePath, ColumnWiseGivesTheSamePixelsAsEverySegment) {
  struct Row {
    const char* what;
    int32_t count;
    double scaleX;
    double jump;  // random walk step
  };
  const Row rows[] = {
      {"many samples per column", 60000, 605.0 / 76800, 6},
      {"all in one column", 3000, 1e-9, 40},
      {"wide steps", 50, 12.1, 300},
      {"big jumps off the control", 8000, 605.0 / 15360, 4000},
  };
  std::mt19937 rng(3);
  for (const Row& r : rows) {
    auto s = std::make_unique<CurveStore>();
    s->ComputeZeroScales(705, 193, true, false);
    s->ScaleX = r.scaleX;
    std::normal_distribution<double> d(0.0, r.jump);
    double v[4] = {1000, 50, 1500, 30};
    for (int32_t k = 0; k < r.count; ++k) {
      for (double& x : v) x += d(rng);
      s->Time[k] = k;
      s->Temp[k] = std::trunc(v[0] / 10);
      s->Volt[k] = std::trunc(v[1] * 10);
      s->Capa[k] = std::trunc(v[2] / 20);
      s->Curr[k] = std::trunc(v[3] * 30);
    }
    s->Count = r.count;
    for (bool probe : {false, true}) {
      Raster every(705, 193), byColumn(705, 193);
      EmitEverySegment(*s, Screen(probe), every);
      CurveColumnPath path;
      path.Emit(*s, Screen(probe), byColumn);
      EXPECT_TRUE(every == byColumn) << r.what << " probe " << probe;
      if (r.count > 2000) {
        EXPECT_LT(byColumn.segments + byColumn.runs, every.segments / 4) << r.what;
      }
    }
  }
}

TEST(CurvePath, RunsStayInsideTheClipRows) {
  auto s = std::make_unique<CurveStore>();
  s->ComputeZeroScales(705, 193, true, false);
  s->ScaleX = 1e-6;
  for (int32_t k = 0; k < 1000; ++k) {
    s->Time[k] = k;
    s->Volt[k] = (k % 2) ? 1e7 : -1e7;  // far above the top and on the axis
    s->Curr[k] = (k % 3) ? -1e7 : 1e7;  // far below and far above
    s->Capa[k] = k;
    s->Temp[k] = -k;
  }
  s->Count = 1000;
  CurvePathRequest r = Screen(true);
  r.clipTop = 20;
  r.clipBottom = 120;
  class Check : public CurvePathSink {
   public:
    void Segment(int, curve::Point, curve::Point) override {}
    void Run(int, int32_t, int32_t top, int32_t bottom) override {
      EXPECT_GE(top, 20);
      EXPECT_LE(bottom, 120);
      EXPECT_LE(top, bottom);
      ++runs;
    }
    int runs = 0;
  } check;
  CurveColumnPath().Emit(*s, r, check);
  EXPECT_GT(check.runs, 0);
  EXPECT_LE(check.runs, 4 * 101);
}

}  // namespace
