#include "Runner.h"

#include <algorithm>
#include <ctime>

#include "Scenario.h"

namespace sim {

namespace {

// Sleeps in short slices so that a stop request from another thread (the
// tests) is seen soon; a signal ends the slice at once.
void SleepUntil(int64_t deadlineMs, const std::atomic<bool>& stop) {
  constexpr int64_t kSliceMs = 100;
  for (;;) {
    if (stop.load()) return;
    const int64_t left = deadlineMs - MonotonicMs();
    if (left <= 0) return;
    const int64_t ms = std::min(left, kSliceMs);
    struct timespec ts {static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
    nanosleep(&ts, nullptr);
  }
}

}  // namespace

RunEnd Run(const Options& options, Link& link, const std::atomic<bool>& stop, RunStats& stats) {
  FrameSequence frames(options);
  if (options.waitListener) {
    constexpr int64_t kListenerPollMs = 20;
    while (!link.HasListener()) {
      if (stop.load()) return RunEnd::Stopped;
      SleepUntil(MonotonicMs() + kListenerPollMs, stop);
    }
  }
  int64_t slotStart = MonotonicMs();
  for (int64_t n = 1; options.count == 0 || n <= options.count; ++n) {
    if (stop.load()) return RunEnd::Stopped;
    const Slot slot = frames.Make(n);
    const int64_t slotEnd = slotStart + options.intervalMs + (slot.cut ? options.cutPauseMs : 0);
    ++stats.frames;
    switch (link.Write(slot.bytes, slotEnd, &stop)) {
      case WriteOutcome::Written: ++stats.written; break;
      case WriteOutcome::Partial:
      case WriteOutcome::Dropped: ++stats.lost; break;
      case WriteOutcome::NoListener: ++stats.unheard; break;
      case WriteOutcome::Failed: return RunEnd::Failed;
    }
    SleepUntil(slotEnd, stop);
    // Keep the cadence; only after a long stall start afresh from now.
    const int64_t now = MonotonicMs();
    slotStart = now - slotEnd > options.intervalMs ? now : slotEnd;
  }
  return stop.load() ? RunEnd::Stopped : RunEnd::CountReached;
}

}  // namespace sim
