// Feeds arbitrary bytes to the curve file import, stored into a curve store
// as live samples are. Any crash, overrun or undefined behaviour is a
// finding, and so is a store beyond its capacity.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "plot/CurveFile.h"
#include "plot/CurveStore.h"

namespace {
class StoreSink : public curvefile::ImportSink {
 public:
  StoreSink(CurveStore& store, int32_t width, int32_t height, bool probe, bool fahrenheit)
      : store_(store), width_(width), height_(height), probe_(probe), fahrenheit_(fahrenheit) {}
  void Reset() override { store_.Reset(); }
  void AddSample(int32_t volt, int32_t capa, int32_t curr, int32_t temp) override {
    store_.StoreSample(volt, capa, curr, temp, width_, height_, probe_, fahrenheit_);
  }

 private:
  CurveStore& store_;
  int32_t width_, height_;
  bool probe_, fahrenheit_;
};

CurveStore& Store() {
  static CurveStore* store = new CurveStore;  // 4.5 MiB: once per process
  return *store;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  // Three leading bytes steer the control's size, the probe flags and the
  // voltage offset.
  const int32_t width = 40 + data[0] * 4;
  const int32_t height = 20 + (data[1] & 0x7F) * 2;
  const bool probe = data[1] & 0x80;
  const bool fahrenheit = data[2] & 0x01;
  const int32_t offset = (data[2] & 0x02) ? -2147483647 : 3000;
  CurveStore& store = Store();
  store.Reset();
  StoreSink sink(store, width, height, probe, fahrenheit);
  curvefile::ImportBytes(reinterpret_cast<const char*>(data + 3), size - 3, offset, sink);
  if (store.Count < 0 || store.Count > curve::kCapacity) std::abort();
  return 0;
}
