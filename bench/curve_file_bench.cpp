// Curve files: export of a full curve (131,072 samples) to disk, and import
// of that file into a curve control with its one full repaint.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <random>
#include <string>

#include "plot/CurveFile.h"
#include "plot/CurveStore.h"
#include "plot/GraphHost.h"
#include "plot/gui/TGraph.h"

namespace {

class FileBenchHost : public GraphHost {
 public:
  int32_t ProbePresent() const override { return 1; }
  int32_t Fahrenheit() const override { return 0; }
  void SetStatusText(const char*) override {}
};

FileBenchHost fileHost;

class ScratchDir {
 public:
  ScratchDir() {
    char tmpl[] = "/tmp/zbench.XXXXXX";
    path_ = ::mkdtemp(tmpl) ? tmpl : "/tmp";
  }
  ~ScratchDir() { std::filesystem::remove_all(path_); }
  std::string File(const char* name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// Four random walks filling the store, as a day and a half of charging.
std::unique_ptr<CurveStore> FullStore() {
  auto s = std::make_unique<CurveStore>();
  std::mt19937 rng(11);
  std::normal_distribution<double> d(0.0, 3.0);
  double volt = 1200, capa = 0, curr = 1000, temp = 25;
  for (int32_t k = 0; k < curve::kCapacity; ++k) {
    volt += d(rng);
    capa += std::abs(d(rng)) / 10;
    curr += 4 * d(rng);
    temp += d(rng) / 10;
    s->Time[k] = k;
    s->Volt[k] = volt;
    s->Capa[k] = capa;
    s->Curr[k] = curr;
    s->Temp[k] = temp;
  }
  s->Count = curve::kCapacity;
  return s;
}

void BM_ExportFullCurve(benchmark::State& state) {
  ScratchDir dir;
  const auto store = FullStore();
  const std::string path = dir.File("full.txt");
  for (auto _ : state) {
    if (!curvefile::Export(*store, 3000, path.c_str())) state.SkipWithError("export failed");
  }
}
BENCHMARK(BM_ExportFullCurve)->Unit(benchmark::kMillisecond)->Repetitions(5)
    ->ReportAggregatesOnly(true);

void BM_ImportFullCurveAndRepaint(benchmark::State& state) {
  ScratchDir dir;
  const std::string path = dir.File("full.txt");
  if (!curvefile::Export(*FullStore(), 3000, path.c_str())) state.SkipWithError("export failed");
  auto g = std::make_unique<TGraph>(nullptr, &fileHost);
  g->resize(705, 193);
  for (auto _ : state) {
    if (!g->ImportFile(path.c_str(), 3000)) state.SkipWithError("import failed");
    g->Paint();
    benchmark::DoNotOptimize(g->CanvasImage().constBits());
  }
  if (g->Count != curve::kCapacity) state.SkipWithError("samples lost");
}
BENCHMARK(BM_ImportFullCurveAndRepaint)->Unit(benchmark::kMillisecond)->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace
