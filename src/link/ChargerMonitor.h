#pragma once
// ChargerMonitor: everything the main window's timer tick does with the
// charger's byte stream, free of widgets. It reads bytes, keeps the receive
// trace, synchronises, identifies the charger generation, reads and validates
// frames, logs them, decodes the good ones into MonitorState (values and shown
// texts), runs the resistance and memory steps and hands samples and cells on.
#include <cstdint>
#include <functional>
#include <string>

#include "monitor/MonitorState.h"

class TLogFile;

// Where the bytes come from: the serial port in the program, a script in tests.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Bytes that arrived (0..count) within the port's time-outs.
  virtual int Read(char* buffer, int count) = 0;
};

class ChargerMonitor {
 public:
  ChargerMonitor();

  // Wiring; any of these may be null (nothing is then handed on or logged).
  ByteSource* Port = nullptr;
  TLogFile* LogFile = nullptr;
  CurveSink* Graph1 = nullptr;
  CurveSink* Graph2 = nullptr;
  CellSink* Spider = nullptr;
  LookSink* Looks = nullptr;

  // Longest wait for the rest of a frame once its start byte came; a charger
  // that stops mid-frame must not hold the window.
  int64_t FrameWaitLimitMs = 2000;
  // Monotonic milliseconds; tests may replace it to run without waiting.
  std::function<int64_t()> NowMs;

  MonitorState S;

  // One 500 ms timer tick: reads until a read returns nothing or one frame has
  // been handled. Returns true when a frame (good or bad) was handled.
  bool TimerEvent();
  // "Changer le chargeur": the two-output look, then a fresh identification
  // from the new charger's own frames.
  void Redemarrer1Click();

  static int32_t Hexa2Dec(char c);
  bool FrameIsValid(const char* frame) const;
  void IdentifyCharger();

  // Decoding of one valid frame held in S.FrameBuffer.
  void DecodeFrame();
  // Resistance and memories.
  void UpdateResistanceV2();
  void UpdateResistance1V3();
  void UpdateResistance2V3();
  void StoreMemory(int32_t endedCode);
  void RAZClick();
  void Effacer1Click();

  // 2- and 4-digit hexadecimal fields of the frame buffer at position pos.
  int32_t Field2(int pos) const;
  int32_t Field4(int pos) const;

 private:
  void RecordTraceByte(unsigned char byte);
  void Synchronise();
  int ReadFrameRest(int length);
  int CurrentFrameLength() const;
  void LogBadFrame(int length);
  void ShowGoodFrame(int length);
  void Log(const char* text);
};
