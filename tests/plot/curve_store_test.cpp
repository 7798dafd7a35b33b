// The curve store without any widget: scales and their growth, the live
// segments of a new sample, the full store, markers, zoom and reset.
#include "plot/CurveStore.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>

#include "texts/Catalogue.h"
#include "texts/TextIds.h"

namespace {

constexpr int32_t W = 705, H = 193;  // the main window's controls
constexpr int32_t Hp = 153, Wp = 605;

struct Sample {
  int32_t volt, capa, curr, temp;
};

std::unique_ptr<CurveStore> NewStore() { return std::make_unique<CurveStore>(); }

CurveStore::LiveStep Add(CurveStore& s, Sample v, bool probe = true, bool fahrenheit = false) {
  return s.StoreSample(v.volt, v.capa, v.curr, v.temp, W, H, probe, fahrenheit);
}

TEST(CurveStore, ZeroScalesAreComputedFromThePlotSize) {
  struct Row {
    bool probe, fahrenheit;
    double temp;
  };
  const Row rows[] = {{false, false, 0.0}, {true, false, Hp / 80.0}, {true, true, Hp / 176.0}};
  for (const Row& r : rows) {
    auto s = NewStore();
    s->ComputeZeroScales(W, H, r.probe, r.fahrenheit);
    EXPECT_DOUBLE_EQ(s->ScaleX, Wp / 300.0);
    EXPECT_DOUBLE_EQ(s->ScaleVolt, Hp / 3000.0);
    EXPECT_DOUBLE_EQ(s->ScaleCapa, Hp * 0.01);
    EXPECT_DOUBLE_EQ(s->ScaleCurr, Hp * 0.0002);
    EXPECT_DOUBLE_EQ(s->ScaleTemp, r.temp) << "probe " << r.probe << " F " << r.fahrenheit;
  }
  // A scale that is already set stays.
  auto s = NewStore();
  s->ScaleVolt = 0.25;
  s->ComputeZeroScales(W, H, false, false);
  EXPECT_EQ(s->ScaleVolt, 0.25);
}

TEST(CurveStore, AControlWithoutPlotKeepsZeroScalesAndDrawsNothing) {
  const struct {
    int32_t w, h;
  } sizes[] = {{705, 40}, {705, 10}, {100, 193}, {60, 193}, {0, 0}};
  for (auto sz : sizes) {
    auto s = NewStore();
    s->ComputeZeroScales(sz.w, sz.h, true, false);
    const bool plotHigh = sz.h > 40, plotWide = sz.w > 100;
    EXPECT_EQ(s->ScaleVolt != 0.0, plotHigh) << sz.w << "x" << sz.h;
    EXPECT_EQ(s->ScaleX != 0.0, plotWide) << sz.w << "x" << sz.h;
    EXPECT_GE(s->ScaleVolt, 0.0);
    EXPECT_GE(s->ScaleX, 0.0);
    for (int i = 0; i < 3; ++i) {
      const auto step = s->StoreSample(1000, 10, 100, 20, sz.w, sz.h, true, false);
      EXPECT_TRUE(step.Stored);
      EXPECT_EQ(step.Drawn, plotHigh && plotWide && i > 0);
      if (!(plotHigh && plotWide)) {
        EXPECT_FALSE(step.Grew);
      }
    }
    EXPECT_EQ(s->Count, 3);
  }
}

// Growth limits at a plot height of 153 pixels (limit 149.94 pixels).
TEST(CurveStore, EachSeriesGrowsWhenItsNewValueReachesTheLimit) {
  struct Row {
    const char* what;
    Sample second;
    bool probe;
    double CurveStore::*scale;
    double factor;  // 1 when the scale must stay
  };
  const Row rows[] = {
      {"capacity 97 mAh", {1000, 97, 1000, 20}, true, &CurveStore::ScaleCapa, 1.0},
      {"capacity 99 mAh", {1000, 99, 1000, 20}, true, &CurveStore::ScaleCapa, 2.0 / 3.0},
      {"voltage 5.90 V", {2900, 10, 1000, 20}, true, &CurveStore::ScaleVolt, 1.0},
      {"voltage 6.00 V", {3000, 10, 1000, 20}, true, &CurveStore::ScaleVolt, 0.5},
      {"current 4800 mA", {1000, 10, 4800, 20}, true, &CurveStore::ScaleCurr, 1.0},
      {"current 5000 mA", {1000, 10, 5000, 20}, true, &CurveStore::ScaleCurr, 0.5},
      {"temperature 78", {1000, 10, 1000, 78}, true, &CurveStore::ScaleTemp, 1.0},
      {"temperature 79", {1000, 10, 1000, 79}, true, &CurveStore::ScaleTemp, 0.5},
      {"negative capacity", {1000, -500, 1000, 20}, true, &CurveStore::ScaleCapa, 1.0},
      {"temperature without probe", {1000, 10, 1000, 900}, false, &CurveStore::ScaleTemp, 1.0},
  };
  for (const Row& r : rows) {
    auto s = NewStore();
    Add(*s, {1000, 10, 1000, 20}, r.probe);
    const double before = (*s).*r.scale;
    const auto step = Add(*s, r.second, r.probe);
    EXPECT_DOUBLE_EQ((*s).*r.scale, before * r.factor) << r.what;
    EXPECT_EQ(step.Grew, r.factor != 1.0) << r.what;
    EXPECT_EQ(step.HasSegment[curve::kTemp], r.probe) << r.what;
    EXPECT_EQ(s->Temp[1], r.second.temp) << r.what;  // stored whatever the probe
  }
}

TEST(CurveStore, TheTimeScaleHalvesWhenASampleReachesTheRightEnd) {
  auto s = NewStore();
  int32_t grewAt[3] = {};
  int found = 0;
  for (int32_t i = 0; i < 1300 && found < 3; ++i) {
    const double before = s->ScaleX;
    Add(*s, {1000, 10, 1000, 20});
    if (i > 0 && s->ScaleX != before) {
      EXPECT_DOUBLE_EQ(s->ScaleX, before * 0.5);
      grewAt[found++] = i;
    }
  }
  ASSERT_EQ(found, 3);
  EXPECT_NEAR(grewAt[0], 300, 1);  // five minutes across the plot, then 10, then 20
  EXPECT_NEAR(grewAt[1], 600, 1);
  EXPECT_NEAR(grewAt[2], 1200, 1);
}

TEST(CurveStore, AValueFarOverTheLimitGrowsItsScaleOneStepPerSample) {
  auto s = NewStore();
  Add(*s, {1000, 10, 1000, 20});
  const double volt = s->ScaleVolt, curr = s->ScaleCurr, capa = s->ScaleCapa;
  for (int n = 1; n <= 4; ++n) {
    Add(*s, {300000, 100000, 900000, 20});
    EXPECT_DOUBLE_EQ(s->ScaleVolt, volt * std::pow(0.5, n));
    EXPECT_DOUBLE_EQ(s->ScaleCurr, curr * std::pow(0.5, n));
    EXPECT_NEAR(s->ScaleCapa, capa * std::pow(2.0 / 3.0, n), 1e-12);
  }
}

TEST(CurveStore, TheFirstSampleDrawsNothingAndTheSecondJoinsIt) {
  auto s = NewStore();
  const auto first = Add(*s, {1000, 20, 2000, 40});
  EXPECT_TRUE(first.Stored);
  EXPECT_FALSE(first.Drawn);
  EXPECT_NE(s->ScaleX, 0.0);
  const auto second = Add(*s, {-50, 30, -1000, 41});
  ASSERT_TRUE(second.Drawn);
  EXPECT_EQ(s->Count, 2);
  EXPECT_EQ(s->Time[1], 1);
  // x = 50 + t * 605/300; y = 153 - value * scale, both toward zero.
  EXPECT_EQ(second.From[curve::kVolt].x, 50);
  EXPECT_EQ(second.To[curve::kVolt].x, 52);
  EXPECT_EQ(second.From[curve::kVolt].y, 102);  // 153 - 1000 * 0.051
  EXPECT_EQ(second.To[curve::kVolt].y, Hp);     // 2950 mV lies on the time axis
  EXPECT_EQ(second.From[curve::kCurr].y, 91);   // 153 - 2000 * 0.0306 = 91.8
  EXPECT_EQ(second.To[curve::kCurr].y, 183);    // below the axis: 153 + 30.6
  EXPECT_EQ(second.From[curve::kCapa].y, 122);  // 153 - 20 * 1.53 = 122.4
  EXPECT_EQ(second.From[curve::kTemp].y, 76);   // 153 - 40 * 1.9125 = 76.5
  EXPECT_EQ(second.Caption.x, 70);
  EXPECT_EQ(second.Caption.y, 8);
  EXPECT_STREQ(s->CapacityCaption, "Capacité (chargée/déchargée) : 30 mA       ");
}

TEST(CurveStore, AFullStoreRefusesTheSampleAndChangesNothing) {
  auto s = NewStore();
  for (int32_t i = 0; i < curve::kCapacity; ++i) ASSERT_TRUE(Add(*s, {1000, 10, 1000, 20}).Stored);
  const double scales[] = {s->ScaleX, s->ScaleVolt, s->ScaleCapa, s->ScaleCurr, s->ScaleTemp};
  for (int n = 0; n < 3; ++n) {
    const auto step = Add(*s, {2000, 20, 2000, 30});
    EXPECT_FALSE(step.Stored);
    EXPECT_FALSE(step.Drawn || step.Grew);
  }
  EXPECT_EQ(s->Count, curve::kCapacity);
  EXPECT_EQ(s->Volt[curve::kCapacity - 1], 1000.0);
  const double after[] = {s->ScaleX, s->ScaleVolt, s->ScaleCapa, s->ScaleCurr, s->ScaleTemp};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(after[i], scales[i]);
}

TEST(CurveStore, CapacityCaptionShowsTheLastCapacityTruncated) {
  struct Row {
    int32_t count;
    double capa;
    const char* caption;
  };
  const Row rows[] = {
      {0, 0.0, "Capacité (chargée/déchargée)"},
      {1, 0.0, "Capacité (chargée/déchargée) : 0 mA       "},
      {5, 1234.9, "Capacité (chargée/déchargée) : 1234 mA       "},
      {5, -7.8, "Capacité (chargée/déchargée) : -7 mA       "},
  };
  for (const Row& r : rows) {
    auto s = NewStore();
    s->Count = r.count;
    if (r.count > 0) s->Capa[r.count - 1] = r.capa;
    s->BuildCapacityCaption();
    EXPECT_STREQ(s->CapacityCaption, r.caption);
  }
}

TEST(CurveStore, ResetForgetsSamplesAndScalesButKeepsMarkersAndDisabled) {
  auto s = NewStore();
  EXPECT_EQ(s->PlotHeight(H), Hp);  // margins 40 below, 50 on each side
  EXPECT_EQ(s->PlotWidth(W), Wp);
  for (int i = 0; i < 10; ++i) Add(*s, {1000, 10, 1000, 20});
  s->MarginLeft = 7;
  s->Disabled = true;
  s->Marker1Set = s->Marker2Set = true;
  s->MarkerTime1 = 3;
  s->Reset();
  EXPECT_EQ(s->Count, 0);
  EXPECT_EQ(s->ScaleX + s->ScaleVolt + s->ScaleCapa + s->ScaleCurr + s->ScaleTemp, 0.0);
  EXPECT_EQ(s->MarginLeft, 50);
  EXPECT_EQ(s->MarginBottom, 40);
  EXPECT_TRUE(s->Disabled && s->Marker1Set && s->Marker2Set);
  EXPECT_EQ(s->MarkerTime1, 3);
  EXPECT_EQ(s->Volt[9], 1000.0);  // only Count bounds the store
}

TEST(CurveStore, MarginClicksChangeTheScaleOfThatMargin) {
  using curve::Button;
  struct Row {
    int32_t x;
    Button button;
    double volt, curr;  // factors
  };
  const Row rows[] = {
      {0, Button::Left, 0.5, 1},    {49, Button::Right, 2, 1},  {10, Button::Middle, 2, 1},
      {656, Button::Left, 1, 0.5},  {704, Button::Right, 1, 2}, {700, Button::Middle, 1, 2},
  };
  for (const Row& r : rows) {
    auto s = NewStore();
    s->ComputeZeroScales(W, H, false, false);
    const double volt = s->ScaleVolt, curr = s->ScaleCurr;
    EXPECT_EQ(s->MouseDown(r.button, r.x, W), CurveStore::MouseResult::Repaint) << r.x;
    EXPECT_DOUBLE_EQ(s->ScaleVolt, volt * r.volt) << r.x;
    EXPECT_DOUBLE_EQ(s->ScaleCurr, curr * r.curr) << r.x;
    EXPECT_FALSE(s->Marker1Set);
  }
}

TEST(CurveStore, PlotClicksPlaceMoveAndRemoveTheMarkers) {
  using curve::Button;
  using R = CurveStore::MouseResult;
  auto s = NewStore();
  s->ComputeZeroScales(W, H, false, false);  // 605/300 pixels per second
  struct Click {
    Button button;
    int32_t x;
    R result;
    bool m1, m2;
    int32_t t1, t2;
  };
  const Click clicks[] = {
      {Button::Middle, 300, R::Nothing, false, false, 0, 0},
      {Button::Left, 50, R::DrawMarker, true, false, 0, 0},      // the left axis is time 0
      {Button::Left, 252, R::DrawMarker, true, true, 0, 100},    // (252-50)/2.0167 = 100.2
      {Button::Left, 655, R::Repaint, true, true, 0, 300},       // the right axis is in the plot
      {Button::Middle, 400, R::Nothing, true, true, 0, 300},
      {Button::Right, 400, R::Repaint, false, false, 0, 300},
      {Button::Left, 151, R::DrawMarker, true, false, 50, 300},  // marker 1 again
  };
  for (const Click& c : clicks) {
    EXPECT_EQ(s->MouseDown(c.button, c.x, W), c.result) << c.x;
    EXPECT_EQ(s->Marker1Set, c.m1) << c.x;
    EXPECT_EQ(s->Marker2Set, c.m2) << c.x;
    EXPECT_EQ(s->MarkerTime1, c.t1) << c.x;
    EXPECT_EQ(s->MarkerTime2, c.t2) << c.x;
  }
  EXPECT_EQ(s->MarkerX1, 151);
  EXPECT_EQ(s->MarkerX2, 655);
}

TEST(CurveStore, APlotClickBeforeAnyTimeScaleChangesNothing) {
  auto s = NewStore();
  ASSERT_EQ(s->ScaleX, 0.0);
  for (int32_t x : {50, 51, 300, 655}) {
    EXPECT_EQ(s->MouseDown(curve::Button::Left, x, W), CurveStore::MouseResult::Nothing);
    EXPECT_FALSE(s->Marker1Set || s->Marker2Set);
  }
  s->Marker1Set = true;  // a right click still removes the markers
  EXPECT_EQ(s->MouseDown(curve::Button::Right, 300, W), CurveStore::MouseResult::Repaint);
  EXPECT_FALSE(s->Marker1Set);
  EXPECT_EQ(s->Count, 0);
  EXPECT_EQ(s->ScaleX, 0.0);
}

// Fills `count` samples whose values tell their original index.
void FillNumbered(CurveStore& s, int32_t count) {
  for (int32_t i = 0; i < count; ++i) Add(s, {1000 + i, i, 2000 + i, i % 50});
}

TEST(CurveStore, ExtractKeepsTheSpanBetweenTheMarkersRenumberedFromZero) {
  struct Row {
    const char* what;
    int32_t count, t1, t2, x1, x2;
    int32_t keptFrom, kept;
  };
  const Row rows[] = {
      {"markers 100 s and 50 s", 200, 100, 50, 300, 200, 50, 50},
      {"markers 50 s and 100 s", 200, 50, 100, 200, 300, 50, 50},
      {"second marker past the end", 100, 30, 500, 110, 640, 30, 70},
      {"first marker past the end", 100, 400, 20, 640, 90, 20, 80},
  };
  for (const Row& r : rows) {
    auto s = NewStore();
    FillNumbered(*s, r.count);
    const double scaleX = s->ScaleX, scaleVolt = s->ScaleVolt;
    s->Marker1Set = s->Marker2Set = true;
    s->MarkerTime1 = r.t1;
    s->MarkerTime2 = r.t2;
    s->MarkerX1 = r.x1;
    s->MarkerX2 = r.x2;
    ASSERT_TRUE(s->Extract()) << r.what;
    ASSERT_EQ(s->Count, r.kept) << r.what;
    for (int32_t j = 0; j < r.kept; ++j) {
      ASSERT_EQ(s->Time[j], j) << r.what;
      ASSERT_EQ(s->Volt[j], 1000.0 + r.keptFrom + j) << r.what;
      ASSERT_EQ(s->Capa[j], r.keptFrom + j) << r.what;
      ASSERT_EQ(s->Curr[j], 2000.0 + r.keptFrom + j) << r.what;
      ASSERT_EQ(s->Temp[j], (r.keptFrom + j) % 50) << r.what;
    }
    EXPECT_DOUBLE_EQ(s->ScaleX, r.count * scaleX / r.kept) << r.what;
    EXPECT_EQ(s->ScaleVolt, scaleVolt) << r.what;
    EXPECT_FALSE(s->Marker1Set || s->Marker2Set) << r.what;
    EXPECT_LE(s->MarkerTime1, s->MarkerTime2) << r.what;
    EXPECT_EQ(s->MarkerTime2 - s->MarkerTime1, r.kept) << r.what;
    // Later samples follow the kept ones.
    Add(*s, {7, 7, 7, 7});
    EXPECT_EQ(s->Time[r.kept], r.kept);
  }
}

TEST(CurveStore, ExtractWithoutAWholeSecondToKeepLeavesEverythingAsItWas) {
  struct Row {
    const char* what;
    bool m1, m2;
    int32_t t1, t2;
  };
  const Row rows[] = {
      {"one marker only", true, false, 10, 20},
      {"no marker", false, false, 10, 20},
      {"both markers in one second", true, true, 40, 40},
      {"both markers past the end", true, true, 150, 170},
      {"first marker on the last sample's end", true, true, 100, 120},
  };
  for (const Row& r : rows) {
    auto s = NewStore();
    FillNumbered(*s, 100);
    s->Marker1Set = r.m1;
    s->Marker2Set = r.m2;
    s->MarkerTime1 = r.t1;
    s->MarkerTime2 = r.t2;
    s->MarkerX1 = 400;
    s->MarkerX2 = 300;
    const double scaleX = s->ScaleX;
    EXPECT_FALSE(s->Extract()) << r.what;
    EXPECT_EQ(s->Count, 100) << r.what;
    EXPECT_EQ(s->ScaleX, scaleX) << r.what;
    EXPECT_EQ(s->Marker1Set, r.m1) << r.what;
    EXPECT_EQ(s->Marker2Set, r.m2) << r.what;
    EXPECT_EQ(s->MarkerTime1, r.t1) << r.what;
    EXPECT_EQ(s->MarkerTime2, r.t2) << r.what;
    EXPECT_EQ(s->MarkerX1, 400) << r.what;
    EXPECT_EQ(s->Volt[5], 1005.0) << r.what;
  }
}

TEST(CurveStore, VoltageAtOrBelowTheOffsetLiesOnTheTimeAxis) {
  auto s = NewStore();
  s->ComputeZeroScales(W, H, false, false);
  const double volts[] = {-3000, -1, 0, 1, 1000};
  const int32_t rows[] = {Hp, Hp, Hp, 152, 102};  // 153 - 0.051 = 152.949 -> 152
  s->Count = 5;
  for (int k = 0; k < 5; ++k) s->Volt[k] = volts[k];
  for (int k = 0; k < 5; ++k) EXPECT_EQ(s->DeviceY(curve::kVolt, k, H, {}), rows[k]) << volts[k];
  // Other series go below the axis.
  s->Curr[0] = -1000;
  EXPECT_EQ(s->DeviceY(curve::kCurr, 0, H, {}), 183);
  // The printer's mapping: eight times, offset by (500, 800).
  const curve::Mapping page{8, 500, 800};
  s->Time[4] = 4;
  EXPECT_EQ(s->DeviceX(4, page), 500 + static_cast<int32_t>(8 * (50 + 4 * (605 / 300.0))));
  EXPECT_EQ(s->DeviceY(curve::kVolt, 4, H, page), 800 + 8 * 102);
}

TEST(CurveStore, PixelConversionSurvivesScalesOutOfRange) {
  struct Row {
    double v;
    int32_t px;
  };
  const double inf = std::numeric_limits<double>::infinity();
  const Row rows[] = {{2.9, 2},          {-2.9, -2},        {0.0, 0},
                      {std::nan(""), 0}, {inf, 1000000000}, {-inf, -1000000000},
                      {3e12, 1000000000}};
  for (const Row& r : rows) EXPECT_EQ(curve::TruncPixel(r.v), r.px) << r.v;
  // A voltage scale doubled until it is infinite leaves every point defined.
  auto s = NewStore();
  Add(*s, {1000, 10, 1000, 20});
  s->ScaleVolt = inf;
  s->Volt[0] = 1000;
  EXPECT_EQ(s->DeviceY(curve::kVolt, 0, H, {}), -1000000000);
}

}  // namespace
