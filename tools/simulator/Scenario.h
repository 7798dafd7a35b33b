#pragma once
// What the simulated charger says, frame by frame: a fixed frame from the
// command line, or a compressed charge timeline, and on request frames that
// the monitor must refuse (spoilt, cut short) and stray bytes between frames.
#include <cstdint>
#include <string>
#include <vector>

#include "FrameBuilder.h"
#include "Options.h"

namespace sim {

// A generation-3 charge on both outputs: stopped, loaded, then short rest
// pauses between loads (so a pack resistance can be worked out from the
// voltage before a pause, the voltage in it and the current after it), then
// the end after a delta peak, which the end frames repeat.
std::vector<Gen3Values> Gen3ChargeTimeline();
// A generation-2 charge then discharge ("Charge->Décharge"): rest, charge
// (phase 2) with one zero-current pause, end (phase 8), discharge (phase 3),
// end (phase 8).
std::vector<Gen2Values> Gen2CycleTimeline();

// Pack resistances that the timelines are built with, in ohms, cables included.
constexpr double kGen3Resistance1 = 0.080;
constexpr double kGen3Resistance2 = 0.120;
constexpr double kGen2Resistance = 0.080;

// The same frame made invalid by the monitor's own rule: a generation-3 frame
// gets one payload digit changed (its checksum no longer matches), a
// generation-2 frame a start byte in the middle.
std::string SpoilFrame(const std::string& frame);
// Stray bytes for the gap before frame n: 1 to 8 of them, the same for the
// same n, never a start or end byte nor '<' or '>' (which the monitor's
// receive trace would take for frame edges when it identifies the charger).
std::string NoiseBytes(int64_t n);

struct Slot {
  std::string bytes;
  bool cut = false;  // the frame stops half way; silence should follow
};

class FrameSequence {
 public:
  explicit FrameSequence(const Options& options);
  int Generation() const { return generation_; }
  // Frames a scenario runs through before its last frame repeats; 0 for
  // fixed frames.
  size_t TimelineLength() const;
  // Frame number n (from 1) as the charger means it.
  std::string CleanFrame(int64_t n) const;
  // What goes on the line for frame number n.
  Slot Make(int64_t n) const;

 private:
  Options options_;
  int generation_;
  std::vector<Gen2Values> gen2_;
  std::vector<Gen3Values> gen3_;
};

}  // namespace sim
