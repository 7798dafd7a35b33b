// Start-up of the main window over a Packs folder of 20,000 pack files: the
// listing and the fill of both sorted selectors dominate it.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <random>
#include <string>

#include "app/MainForm.h"

namespace {

constexpr int kPacks = 20000;

void BM_StartupWith20000Packs(benchmark::State& state) {
  char tmpl[] = "/tmp/zbench-packs.XXXXXX";
  if (!::mkdtemp(tmpl)) {
    state.SkipWithError("no scratch folder");
    return;
  }
  const std::string dir = tmpl;
  char cwd[4096];
  const std::string old = ::getcwd(cwd, sizeof cwd) ? cwd : "/tmp";
  ::mkdir((dir + "/Packs").c_str(), 0777);
  // Names in no particular order, as a folder search returns them.
  std::mt19937 rng(7);
  for (int i = 0; i < kPacks; ++i) {
    char name[64];
    std::snprintf(name, sizeof name, "/Packs/LiPo%uS-%05d.pck", static_cast<unsigned>(rng() % 12 + 1), i);
    ::close(::open((dir + name).c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644));
  }
  setenv("ZEPHYRAL_COM1", "/nonexistent/zephyral-tty", 1);
  if (::chdir(dir.c_str()) != 0) state.SkipWithError("no chdir");
  for (auto _ : state) {
    auto form = std::make_unique<TMainForm>();
    form->FormCreate();
    form->Timer->stop();
    form->show();
    benchmark::DoNotOptimize(form->ComboBox2);
  }
  unsetenv("ZEPHYRAL_COM1");
  if (::chdir(old.c_str()) != 0) state.SkipWithError("no chdir back");
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_StartupWith20000Packs)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)
    ->ReportAggregatesOnly(true);

}  // namespace
