// Decoding of one generation-3 frame, from the validated buffer to values,
// texts, samples and cells handed on. The frames cycle through a charge with
// rest periods and an end, so that every text, the memory step and the
// resistance computation are exercised.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <vector>

#include "FrameBuilder.h"
#include "link/ChargerMonitor.h"
#include "plot/CellSink.h"
#include "plot/CurveSink.h"

namespace {

class StoringCurve : public CurveSink {
 public:
  void AddSample(int32_t v, int32_t c, int32_t i, int32_t t) override {
    last[0] = v;
    last[1] = c;
    last[2] = i;
    last[3] = t;
    ++count;
  }
  int32_t SampleCount() const override { return count; }
  void Clear() override { count = 0; }
  int32_t last[4] = {};
  int32_t count = 0;
};

class StoringCells : public CellSink {
 public:
  void SetCells(const int32_t c[13], int32_t avg) override {
    std::memcpy(cells, c, sizeof cells);
    average = avg;
  }
  int32_t cells[13] = {};
  int32_t average = 0;
};

std::vector<std::string> ChargeCycle() {
  std::vector<std::string> frames;
  sim::Gen3Values v;
  v.algorithm1 = 4;
  v.probe = 1;
  v.temperatureTenths = 235;
  v.state2 = 1;
  v.mode2 = 1;
  for (int k = 0; k < 12; ++k) v.cells[k] = 4100 + 3 * k;
  for (int i = 0; i < 16; ++i) {
    const bool rest = i % 4 == 1;
    v.state1 = i == 15 ? 5 : 1;
    v.voltage1 = rest ? 11900 : 12000 + i;
    v.current1 = rest ? 20 : 2000;
    v.capacity1 = 100 * i;
    v.voltage2 = rest ? 7900 : 8000 + i;
    v.current2 = rest ? 0 : 1000;
    v.capacity2 = 50 * i;
    frames.push_back(sim::BuildGen3Frame(v));
    // As the tick leaves it once the status line is shown.
    frames.back()[0] = '-';
    frames.back()[101] = '\0';
  }
  return frames;
}

void BM_DecodeGen3Frame(benchmark::State& state) {
  const std::vector<std::string> frames = ChargeCycle();
  ChargerMonitor m;
  StoringCurve c1, c2;
  StoringCells spider;
  m.SetControls(&c1, &c2, &spider);
  m.Texts().Pack(1).EditNbElements = "12";
  char* buffer = m.Reader().FrameBuffer;
  size_t i = 0;
  for (auto _ : state) {
    const std::string& f = frames[i];
    i = (i + 1) % frames.size();
    std::memcpy(buffer, f.data(), f.size());
    m.Decoder().DecodeFrame(buffer, 3);
    benchmark::DoNotOptimize(m.Texts().EditOperatingMode1.data());
    benchmark::DoNotOptimize(c1.last);
    benchmark::DoNotOptimize(spider.average);
  }
}
BENCHMARK(BM_DecodeGen3Frame);

}  // namespace
