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
#include "BenchData.h"
#include "plot/gui/TGraph.h"

namespace {

BenchHost fileHost;

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
  FillRandomWalks(*s, 11, false);
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
