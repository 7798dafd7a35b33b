#pragma once
// A byte source for the reception core: bytes arrive in bursts; between two
// bursts one read times out (returns 0) as the serial port does when the
// charger is silent. A fake clock advances by one port time-out per empty read.
#include <cstdint>
#include <cstring>
#include <deque>
#include <string>

#include "link/ChargerMonitor.h"
#include "link/ByteSource.h"
#include "plot/CurveSink.h"

class ScriptedSource : public ByteSource {
 public:
  void Burst(const std::string& bytes) { bursts_.push_back(bytes); }
  int Read(char* buffer, int count) override {
    while (!bursts_.empty() && bursts_.front().empty()) {
      bursts_.pop_front();
      now_ += 251;
      return 0;  // the gap after a burst
    }
    if (bursts_.empty()) {
      now_ += 251;
      return 0;
    }
    std::string& b = bursts_.front();
    int n = count < static_cast<int>(b.size()) ? count : static_cast<int>(b.size());
    std::memcpy(buffer, b.data(), static_cast<size_t>(n));
    b.erase(0, static_cast<size_t>(n));
    return n;
  }
  int64_t Now() const { return now_; }
  void Attach(ChargerMonitor& m, TLogFile* log = nullptr, LookSink* looks = nullptr) {
    m.Connect(this, log, looks);
    m.Reader().NowMs = [this] { return now_; };
  }

 private:
  std::deque<std::string> bursts_;
  int64_t now_ = 0;
};

class CountingCurve : public CurveSink {
 public:
  struct Sample { int32_t v, c, i, t; };
  void AddSample(int32_t v, int32_t c, int32_t i, int32_t t) override { samples.push_back({v, c, i, t}); }
  int32_t SampleCount() const override { return static_cast<int32_t>(samples.size()); }
  void Clear() override { samples.clear(); ++clears; }
  std::deque<Sample> samples;
  int clears = 0;
};
