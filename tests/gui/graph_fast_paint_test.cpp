// The column-wise curve drawing against the segment-by-segment reference:
// the two pictures must be the same image, pixel for pixel.
#include <gtest/gtest.h>

#include <QImage>
#include <cmath>
#include <functional>
#include <limits>
#include <ostream>
#include <memory>
#include <random>
#include <string>

#include "plot/GraphHost.h"
#include "plot/gui/TGraph.h"

namespace {

class FakeHost : public GraphHost {
 public:
  int32_t probe = 1;
  int32_t fahrenheit = 0;
  int32_t ProbePresent() const override { return probe; }
  int32_t Fahrenheit() const override { return fahrenheit; }
  void SetStatusText(const char*) override {}
};

struct Values {
  double volt, capa, curr, temp;
};

struct FillCase {
  const char* name;
  int32_t count;
  std::function<Values(int32_t k, std::mt19937& rng)> sample;
  // Run after the zero scales are computed: grow or shrink them.
  std::function<void(TGraph&)> adjust;
};
void PrintTo(const FillCase& c, std::ostream* os) { *os << c.name; }

// A random walk per series, starting from the given values.
std::function<Values(int32_t, std::mt19937&)> Walk(Values start, double stepSize) {
  auto state = std::make_shared<Values>(start);
  return [state, stepSize](int32_t, std::mt19937& rng) {
    std::normal_distribution<double> d(0.0, stepSize);
    state->volt += d(rng);
    state->capa += d(rng);
    state->curr += 4 * d(rng);
    state->temp += d(rng) / 10;
    return *state;
  };
}

std::string FirstDifference(const QImage& a, const QImage& b) {
  int diffs = 0;
  std::string first;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x)
      if (a.pixel(x, y) != b.pixel(x, y)) {
        if (diffs++ == 0)
          first = "(" + std::to_string(x) + "," + std::to_string(y) + ") column-wise " +
                  std::to_string(a.pixel(x, y)) + " reference " + std::to_string(b.pixel(x, y));
      }
  return std::to_string(diffs) + " pixels differ, first at " + first;
}

class FastPaintTest : public ::testing::TestWithParam<FillCase> {};

TEST_P(FastPaintTest, ColumnWiseDrawingIsPixelIdenticalToSegmentBySegment) {
  const FillCase& c = GetParam();
  FakeHost host;
  auto graph = std::make_unique<TGraph>(nullptr, &host);
  graph->resize(705, 193);
  std::mt19937 rng(20240611);
  for (int32_t k = 0; k < c.count; ++k) {
    const Values v = c.sample(k, rng);
    graph->Time[k] = k;
    graph->Volt[k] = std::trunc(v.volt);
    graph->Capa[k] = std::trunc(v.capa);
    graph->Curr[k] = std::trunc(v.curr);
    graph->Temp[k] = std::trunc(v.temp);
  }
  graph->Count = c.count;
  graph->ComputeZeroScales(705, 193, true, false);
  // Enough time range for the whole store, as the growth would have made it.
  while (graph->Count > 0 && graph->Time[graph->Count - 1] * graph->ScaleX >= 605)
    graph->ScaleX *= 0.5;
  if (c.adjust) c.adjust(*graph);

  graph->SetSegmentBySegment(false);
  graph->Paint();
  const QImage fast = graph->CanvasImage().copy();
  graph->SetSegmentBySegment(true);
  graph->Paint();
  const QImage reference = graph->CanvasImage().copy();
  ASSERT_EQ(fast.size(), reference.size());
  EXPECT_TRUE(fast == reference) << FirstDifference(fast, reference);
}

const FillCase kCases[] = {
    {"RandomWalkFullStore", curve::kCapacity, Walk({1200, 0, 1000, 25}, 3.0), nullptr},
    {"RandomWalkSteep", 20000, Walk({1500, 50, 2000, 30}, 40.0), nullptr},
    {"FewSamplesWideApart", 40, Walk({1200, 20, 1000, 25}, 200.0),
     [](TGraph& g) { g.ScaleX = 605.0 / 40; }},
    {"Spikes", 60000,
     [](int32_t k, std::mt19937& rng) {
       std::uniform_int_distribution<int> pick(0, 200);
       const int p = pick(rng);
       const double spike = p == 0 ? 1e6 : p == 1 ? -1e6 : p == 2 ? 4e4 : 0;
       return Values{1200 + spike, 30 + spike / 10, 1000 - spike, 20 + spike / 100};
     },
     nullptr},
    {"NegativeValues", 30000, Walk({-300, -40, -2000, -10}, 8.0), nullptr},
    {"VoltageHeldOnTheAxis", 50000,
     [](int32_t k, std::mt19937& rng) {
       std::uniform_int_distribution<int> d(-400, 300);
       return Values{static_cast<double>(d(rng)), 10.0 + k % 7, static_cast<double>(d(rng) * 3),
                     20};
     },
     nullptr},
    {"GrownScales", 90000, Walk({2500, 300, 9000, 60}, 10.0),
     [](TGraph& g) {
       g.ScaleVolt *= 0.25;
       g.ScaleCapa *= 4.0 / 9.0;
       g.ScaleCurr *= 0.125;
       g.ScaleTemp *= 0.5;
     }},
    {"ZoomedFarIn", 3000, Walk({1200, 100, 1500, 30}, 25.0),
     [](TGraph& g) { g.ScaleX *= 37.3; }},
    {"AllInOneColumn", 5000, Walk({1200, 50, 1000, 30}, 30.0),
     [](TGraph& g) { g.ScaleX = 1e-7; }},
    {"SawtoothAcrossEveryRow", 40000,
     [](int32_t k, std::mt19937&) {
       const double tooth = (k % 97) * 40.0;
       return Values{tooth, 100 - tooth / 30, 5000 - tooth, tooth / 40};
     },
     nullptr},
    {"FlatLines", 70000,
     [](int32_t, std::mt19937&) { return Values{1500, 50, 2500, 40}; }, nullptr},
    {"ScalesDoubledByClicks", 30000, Walk({1200, 50, 1000, 30}, 10.0),
     [](TGraph& g) {
       g.ScaleVolt *= 64;
       g.ScaleCurr *= 1024;
     }},
    {"ScalesPushedOutOfRange", 20000, Walk({1200, 50, 1000, 30}, 10.0),
     [](TGraph& g) {
       g.ScaleVolt = std::numeric_limits<double>::infinity();
       g.ScaleCurr = std::numeric_limits<double>::denorm_min();
       g.ScaleCapa = 1e300;
     }},
};

INSTANTIATE_TEST_SUITE_P(Data, FastPaintTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
