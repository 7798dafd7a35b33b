#pragma once
// What the charger monitor hands each output's samples to: a curve control.
#include <cstdint>

class CurveSink {
 public:
  virtual ~CurveSink() = default;
  // Voltage already less the 3000 mV offset.
  virtual void AddSample(int32_t volt, int32_t capa, int32_t curr, int32_t temp) = 0;
  virtual int32_t SampleCount() const = 0;
  // Forgets the samples and repaints.
  virtual void Clear() = 0;
};
