#pragma once
// ChargerMonitor: the charger side of the main window, free of widgets. It
// ties the frame reader, the frame decoder, both outputs' resistance and the
// capacity memories to the window's texts, and carries the handler names the
// window calls. Each job lives in its own class; this front only wires them.
#include <cstdint>

#include "link/FrameDecoder.h"
#include "link/FrameReader.h"
#include "monitor/Memories.h"
#include "monitor/Resistance.h"
#include "monitor/WindowTexts.h"

class ByteSource;
class CellSink;
class CurveSink;
class LookSink;
class TLogFile;

class ChargerMonitor {
 public:
  ChargerMonitor();
  ChargerMonitor(const ChargerMonitor&) = delete;
  ChargerMonitor& operator=(const ChargerMonitor&) = delete;

  // Wiring; any of these may be null.
  void Connect(ByteSource* port, TLogFile* log, LookSink* looks);
  void SetControls(CurveSink* graph1, CurveSink* graph2, CellSink* spider);

  // One 500 ms timer tick: reads until a read returns nothing or one frame has
  // been handled. Returns true when a frame (good or bad) was handled.
  bool TimerEvent();
  // "Changer le chargeur": the charger box emptied, the two-output look, then
  // a fresh identification from the new charger's own frames.
  void Redemarrer1Click();
  // "Mesures" / "Effacer" and every port choice: both outputs' measurements
  // start afresh and both curves are cleared.
  void RAZClick();
  // "Mémoires" / "Effacer".
  void Effacer1Click();
  // An output's erase button: its resistance state, then its curve.
  void EraseOutput(int n);

  static int32_t Hexa2Dec(char c) { return charger::Hexa2Dec(c); }

  WindowTexts& Texts() { return texts_; }
  const WindowTexts& Texts() const { return texts_; }
  FrameReader& Reader() { return reader_; }
  const FrameReader& Reader() const { return reader_; }
  ChargerValues& Values() { return decoder_.V; }
  const ChargerValues& Values() const { return decoder_.V; }
  OutputResistance& Resistance(int n) { return resistance_[n - 1]; }
  CapacityMemories& Memories() { return memories_; }
  FrameDecoder& Decoder() { return decoder_; }

 private:
  WindowTexts texts_;
  OutputResistance resistance_[2];
  CapacityMemories memories_;
  FrameReader reader_;
  FrameDecoder decoder_;
  LookSink* looks_ = nullptr;
};
