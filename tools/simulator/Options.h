#pragma once
// Command line of the charger simulator: where the frames go, which frames,
// how fast, and which of them are spoilt on purpose.
#include <cstdint>
#include <string>
#include <vector>

#include "FrameBuilder.h"

namespace sim {

enum class OutputKind { None, Pty, Device };
enum class ScenarioKind { Fixed, Gen3Charge, Gen2Cycle };

struct Options {
  OutputKind output = OutputKind::None;
  std::string devicePath;           // with OutputKind::Device
  ScenarioKind scenario = ScenarioKind::Fixed;
  int generation = 3;               // fixed frames only; a scenario brings its own
  int64_t count = 0;                // frames to send, 0: until stopped
  int intervalMs = 1000;            // one frame a second, as the charger does
  int badEvery = 0;                 // every Nth frame fails validation, 0: none
  int cutEvery = 0;                 // every Nth frame stops half way, 0: none
  int cutPauseMs = 3000;            // silence after a cut frame, beyond the program's 2 s wait
  bool noise = false;               // stray bytes between frames
  bool waitListener = false;        // pty: the first frame waits for the port to be opened
  // Values of the fixed frames (ignored by the scenarios).
  Gen2Values gen2;
  Gen3Values gen3;
};

enum class ParseResult { Run, Help, Error };

// args excludes the program name. On Error, error holds a one-line reason.
ParseResult ParseOptions(const std::vector<std::string>& args, Options& out, std::string& error);
std::string UsageText();

}  // namespace sim
