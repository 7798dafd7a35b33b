#pragma once
// The simulator's clock: one frame per interval, written through a Link,
// until the count is reached or a stop is asked for.
#include <atomic>
#include <cstdint>

#include "Link.h"
#include "Options.h"

namespace sim {

struct RunStats {
  int64_t frames = 0;      // frame slots gone through
  int64_t written = 0;     // frames that went out whole (cut frames included)
  int64_t lost = 0;        // frames dropped or sent in part for want of room
  int64_t unheard = 0;     // frames not sent because nobody held the pseudo-terminal
};

enum class RunEnd { CountReached, Stopped, Failed };

// Each frame starts one interval after the previous one (plus the pause that
// follows a cut frame); a slow write never makes the next frames come in a
// burst to catch up.
RunEnd Run(const Options& options, Link& link, const std::atomic<bool>& stop, RunStats& stats);

}  // namespace sim
