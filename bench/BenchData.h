#pragma once
// What the curve benchmarks share: a main window that answers nothing, and a
// full store of four random walks, as a day and a half of charging.
#include <cmath>
#include <cstdint>
#include <random>

#include "plot/CurveStore.h"
#include "plot/GraphHost.h"

class BenchHost : public GraphHost {
 public:
  int32_t ProbePresent() const override { return 1; }
  int32_t Fahrenheit() const override { return 0; }
  void SetStatusText(const char*) override {}
};

inline void FillRandomWalks(CurveStore& s, unsigned seed, bool whole) {
  std::mt19937 rng(seed);
  std::normal_distribution<double> d(0.0, 3.0);
  double volt = 1200, capa = 0, curr = 1000, temp = 25;
  auto keep = [whole](double v) { return whole ? std::trunc(v) : v; };
  for (int32_t k = 0; k < curve::kCapacity; ++k) {
    volt += d(rng);
    capa += std::abs(d(rng)) / 10;
    curr += 4 * d(rng);
    temp += d(rng) / 10;
    s.Time[k] = k;
    s.Volt[k] = keep(volt);
    s.Capa[k] = keep(capa);
    s.Curr[k] = keep(curr);
    s.Temp[k] = keep(temp);
  }
  s.Count = curve::kCapacity;
}
