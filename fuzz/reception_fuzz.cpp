// Feeds arbitrary byte streams to the reception core: synchronisation,
// identification, frame reading, validation, decoding. Any crash, overrun or
// undefined behaviour is a finding.
#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "link/ByteSource.h"
#include "link/ChargerMonitor.h"
#include "link/LogFile.h"
#include "plot/CellSink.h"
#include "plot/CurveSink.h"

namespace {
class StreamSource : public ByteSource {
 public:
  const uint8_t* data = nullptr;
  size_t size = 0;
  size_t burst = 1;
  int64_t now = 0;
  int Read(char* buffer, int count) override {
    if (size == 0) {
      now += 251;
      return 0;
    }
    size_t n = static_cast<size_t>(count);
    if (n > burst) n = burst;
    if (n > size) n = size;
    std::memcpy(buffer, data, n);
    data += n;
    size -= n;
    now += 1;
    return static_cast<int>(n);
  }
};

class NullCurve : public CurveSink {
 public:
  int32_t count = 0;
  void AddSample(int32_t, int32_t, int32_t, int32_t) override { ++count; }
  int32_t SampleCount() const override { return count; }
  void Clear() override { count = 0; }
};

class NullCells : public CellSink {
 public:
  void SetCells(const int32_t*, int32_t) override {}
};

TLogFile& Log() {
  static TLogFile log;
  if (log.Handle < 0) log.Handle = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
  return log;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  // Two leading bytes steer the run: read burst size, a forced generation,
  // a change of charger half way, and a cell-count text.
  const uint8_t control = data[0];
  const uint8_t cells = data[1];
  data += 2;
  size -= 2;

  StreamSource src;
  src.data = data;
  src.size = size;
  src.burst = 1 + (control & 0x3F);
  NullCurve g1, g2;
  NullCells spider;
  ChargerMonitor m;
  m.Connect(&src, &Log(), nullptr);
  m.Reader().NowMs = [&src] { return src.now; };
  m.SetControls(&g1, &g2, &spider);
  m.Texts().Pack(1).EditNbElements = std::to_string(static_cast<int>(cells) - 128);
  if (control & 0x40) {
    // Skip the identification and go straight to frames of either generation.
    FrameReader& r = m.Reader();
    r.Synchronised = true;
    r.Generation = (control & 0x80) ? 3 : 2;
    r.FrameLength = r.Generation == 3 ? charger::kGen3FrameLength : charger::kGen2FrameLength;
  }
  const size_t half = size / 2;
  bool changed = false;
  for (int ticks = 0; ticks < 100000 && (src.size > 0); ++ticks) {
    m.TimerEvent();
    if (!changed && (control & 0x80) && src.size < half) {
      m.Redemarrer1Click();
      changed = true;
    }
  }
  m.TimerEvent();
  return 0;
}
