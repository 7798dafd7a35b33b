#pragma once
// Runs the decoding on hand-built frames, as the tick leaves them after the
// status line: start byte replaced by '-', end byte by a NUL.
#include <cstring>
#include <string>
#include <vector>

#include "FrameBuilder.h"
#include "ScriptedSource.h"
#include "link/ChargerMonitor.h"

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
  MonitorState& S = m.S;
  CountingCurve curve1, curve2;
  CellSpy spider;

  Decoder() {
    m.Graph1 = &curve1;
    m.Graph2 = &curve2;
    m.Spider = &spider;
  }
  void Feed(const std::string& frame, int generation) {
    S.Generation = generation;
    std::memcpy(S.FrameBuffer, frame.data(), frame.size());
    S.FrameBuffer[0] = '-';
    S.FrameBuffer[frame.size() - 1] = '\0';
    m.DecodeFrame();
  }
  void Gen2(const sim::Gen2Values& v) { Feed(sim::BuildGen2Frame(v), 2); }
  void Gen3(const sim::Gen3Values& v) { Feed(sim::BuildGen3Frame(v), 3); }
  const CountingCurve::Sample& Last1() const { return curve1.samples.back(); }
  const CountingCurve::Sample& Last2() const { return curve2.samples.back(); }
};
