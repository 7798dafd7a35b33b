#pragma once
// Decoding of one valid frame: the values, the charger box's texts, the
// samples for the curves and the cells for the balancer, with the memory and
// resistance steps at their fixed places in between. The order of the steps
// matters: the generation-2 resistance reads the phase letter of the previous
// frame, and the memories take the capacity of the frame that shows a change.
#include <cstdint>

#include "charger/ChargerLayout.h"

class CapacityMemories;
class CellSink;
class CurveSink;
struct OutputResistance;
struct WindowTexts;

// One output's measured values of the last frame.
struct OutputValues {
  int32_t Voltage = 0;   // mV
  int32_t Current = 0;   // mA
  int32_t Capacity = 0;  // mAh
};

// The values of the last decoded frame and the state carried from frame to
// frame.
struct ChargerValues {
  OutputValues Out[2];  // output 1, output 2
  int32_t SupplyVoltage = 0;
  int32_t Cycle = 1;
  float Temperature = 0;  // degrees, tenths kept
  int32_t ProbePresent = 0;
  int32_t Fahrenheit = 0;
  // Generation 2: output mode and charge phase (1..9 known).
  int8_t Mode1 = 0;
  int32_t Phase = 1;
  int32_t PreviousPhase = 1;
  // Generation 3: output 1's state and algorithm, output 2's state and mode.
  int32_t PreviousState1 = 0;
  int32_t Algorithm1 = 0;
  int32_t PreviousAlgorithm1 = 0;
  int32_t State2 = 0;
  int32_t Mode2 = 0;
  int32_t CellVoltages[charger::kCellArraySize] = {};  // 1..12 used
  int32_t CellAverage = 0;
  // Pack cells of output 1, read from the shown pack field at each frame.
  int32_t CellCount1 = 0;
  // mV taken off a voltage before it enters a curve (added back on export).
  int32_t VoltageOffset = 3000;
  // Output whose curve gets the temperature (1 or 2).
  int32_t TemperatureOutput = 1;
};

class FrameDecoder {
 public:
  FrameDecoder(WindowTexts& texts, OutputResistance (&resistance)[2], CapacityMemories& memories);

  CurveSink* Graph[2] = {};  // output 1, output 2; may be null
  CellSink* Spider = nullptr;
  ChargerValues V;

  // frame as the reader leaves it: start byte replaced, end byte a NUL.
  // Frames of an undetermined generation are not decoded.
  void DecodeFrame(const char* frame, int generation);

 private:
  void DecodeGen2(const char* frame);
  void DecodeGen3Output1(const char* frame);
  void DecodeCells(const char* frame);
  void DecodeGen3Output2(const char* frame);
  const OutputValues& ReadGen3Output(const char* frame, int n);
  // What both outputs do last: resistance (generation 3), the current of an
  // idle output shown as 0, the sample, the values above the curve.
  void Gen3OutputTail(int n, int32_t state);
  void ShowCurveValues(int n);
  void AddSample(int n, int32_t temperature);

  WindowTexts& texts_;
  OutputResistance (&resistance_)[2];
  CapacityMemories& memories_;
  char workText_[254] = {};
};
