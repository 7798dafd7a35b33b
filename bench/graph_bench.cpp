// Curve control: a full repaint of a day and a half of samples, and the cost
// of one new sample while no scale grows.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <random>

#include "BenchData.h"
#include "plot/gui/TGraph.h"

namespace {

BenchHost host;

// A full store of four random walks, with the time scale the growth would
// have reached.
std::unique_ptr<TGraph> FullGraph() {
  auto g = std::make_unique<TGraph>(nullptr, &host);
  g->resize(705, 193);
  FillRandomWalks(*g, 7, true);
  g->ComputeZeroScales(705, 193, true, false);
  while (g->Time[g->Count - 1] * g->ScaleX >= 605) g->ScaleX *= 0.5;
  while (g->Capa[g->Count - 1] * g->ScaleCapa >= 0.98 * 153) g->ScaleCapa *= 2.0 / 3.0;
  return g;
}

void BM_FullPaint_ByColumn(benchmark::State& state) {
  auto g = FullGraph();
  for (auto _ : state) {
    g->Paint();
    benchmark::DoNotOptimize(g->CanvasImage().constBits());
  }
}
BENCHMARK(BM_FullPaint_ByColumn)->Unit(benchmark::kMillisecond)->Repetitions(5)
    ->ReportAggregatesOnly(true);

void BM_FullPaint_SegmentBySegment(benchmark::State& state) {
  auto g = FullGraph();
  g->SetSegmentBySegment(true);
  for (auto _ : state) {
    g->Paint();
    benchmark::DoNotOptimize(g->CanvasImage().constBits());
  }
}
BENCHMARK(BM_FullPaint_SegmentBySegment)->Unit(benchmark::kMillisecond)->Repetitions(3)
    ->ReportAggregatesOnly(true);

// Store, scales, the four live segments and the caption of one sample. The
// time scale is set so that no sample reaches the right end, and the store is
// rewound before it fills, so no scale ever grows. The capacity either stays
// (the caption is already on the canvas) or changes at every sample (the
// caption is drawn again each time).
void AddSamples(benchmark::State& state, bool newCaptionEachSample) {
  auto g = std::make_unique<TGraph>(nullptr, &host);
  g->resize(705, 193);
  g->Paint();
  g->ScaleX = 605.0 / (2.0 * curve::kCapacity);
  const double scales = g->ScaleVolt + g->ScaleCapa + g->ScaleCurr + g->ScaleTemp;
  int32_t k = 0;
  for (auto _ : state) {
    if (g->Count >= curve::kCapacity - 1) g->Count = 1;
    g->AddSample(1200 + (k & 63), newCaptionEachSample ? 50 + (k & 7) : 50, 1000 + (k & 255), 25);
    ++k;
  }
  if (g->ScaleVolt + g->ScaleCapa + g->ScaleCurr + g->ScaleTemp != scales)
    state.SkipWithError("a scale grew");
}

void BM_AddSample_SameCaption(benchmark::State& state) { AddSamples(state, false); }
BENCHMARK(BM_AddSample_SameCaption)->Unit(benchmark::kMicrosecond)->Repetitions(5)
    ->ReportAggregatesOnly(true);

void BM_AddSample_NewCaption(benchmark::State& state) { AddSamples(state, true); }
BENCHMARK(BM_AddSample_NewCaption)->Unit(benchmark::kMicrosecond)->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace
