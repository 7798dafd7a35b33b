#pragma once
// What a curve control reads from and writes to the main window: the two
// temperature flags of the last generation-3 frame, and the status line.
#include <cstdint>

class GraphHost {
 public:
  virtual ~GraphHost() = default;
  virtual int32_t ProbePresent() const = 0;
  virtual int32_t Fahrenheit() const = 0;
  virtual void SetStatusText(const char* text) = 0;
};
