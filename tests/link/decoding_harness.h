#pragma once
// Runs the decoding on hand-built frames, as the tick leaves them after the
// status line: start byte replaced by '-', end byte by a NUL.
#include <cstring>
#include <string>
#include <vector>

#include "FrameBuilder.h"
#include "ScriptedSource.h"
#include "link/ChargerMonitor.h"
#include "plot/CellSink.h"

class CellSpy : public CellSink {
 public:
  void SetCells(const int32_t c[13], int32_t avg) override {
    cells.assign(c, c + 13);
    average = avg;
    ++calls;
  }
  std::vector<int32_t> cells;
  int32_t average = -1;
  int calls = 0;
};

struct Decoder {
  ChargerMonitor m;
  WindowTexts& T = m.Texts();
  ChargerValues& V = m.Values();
  CapacityMemories& Mem = m.Memories();
  CountingCurve curve1, curve2;
  CellSpy spider;
  int Generation = 0;
  char Frame[charger::kFrameBufferSize] = {};

  Decoder() { m.SetControls(&curve1, &curve2, &spider); }
  void Feed(const std::string& frame, int generation) {
    Generation = generation;
    std::memcpy(Frame, frame.data(), frame.size());
    Frame[0] = '-';
    Frame[frame.size() - 1] = '\0';
    m.Decoder().DecodeFrame(Frame, generation);
  }
  void Gen2(const sim::Gen2Values& v) { Feed(sim::BuildGen2Frame(v), 2); }
  void Gen3(const sim::Gen3Values& v) { Feed(sim::BuildGen3Frame(v), 3); }
  // A memory step as the decoding runs it, with output 1's capacity.
  void StoreMemory(int32_t ended) { Mem.StoreMemory(Generation, ended, V.Out[0].Capacity, T); }
  OutputResistance& R(int n) { return m.Resistance(n); }
  const CountingCurve::Sample& Last1() const { return curve1.samples.back(); }
  const CountingCurve::Sample& Last2() const { return curve2.samples.back(); }
};
