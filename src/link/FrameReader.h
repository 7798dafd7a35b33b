#pragma once
// The reading half of the timer tick: bytes from the port into the receive
// trace until the link synchronises, identification of the charger
// generation, then one frame per tick, read to its end and validated. Good
// frames go to the status line and the trace log; bad ones to the log only.
#include <cstdint>
#include <functional>

#include "charger/ChargerLayout.h"

class ByteSource;
class CurveSink;
class LookSink;
class TLogFile;
struct WindowTexts;

class FrameReader {
 public:
  enum class Result { Nothing, BadFrame, GoodFrame };

  explicit FrameReader(WindowTexts& texts);

  // Wiring; any of these may be null (nothing is then read, logged or asked).
  ByteSource* Port = nullptr;
  TLogFile* LogFile = nullptr;
  LookSink* Looks = nullptr;
  // Output 1's curve: its sample count numbers the bad frames in the log.
  const CurveSink* Graph1 = nullptr;

  // Longest wait for the rest of a frame once its start byte came; a charger
  // that stops mid-frame must not hold the window.
  int64_t FrameWaitLimitMs = 2000;
  // Longest a tick goes on reading bytes that open no frame once bytes come.
  // A device that streams without pause (a GPS receiver, a charger at another
  // baud rate) would otherwise keep the window from ever handling a click;
  // what is left waits in the port's queue for the next tick, which goes on
  // where this one stopped. A frame begun is not cut by it: its rest comes at
  // the line's pace (256 bytes at most, about 270 ms).
  int64_t TickReadLimitMs = 200;
  // Monotonic milliseconds; tests may replace it to run without waiting.
  std::function<int64_t()> NowMs;

  // Reads until a read returns nothing, one frame has been handled or the
  // tick's read time is up. A frame begun is read to its end or given up
  // within the call. A good frame is left in FrameBuffer as the status line
  // shows it: the start byte replaced by '-', the end byte by a NUL.
  Result ReadFrame();
  // Drops the synchronisation so that the next charger is identified from its
  // own frames, not from what the previous one left in the trace.
  void Restart();

  bool FrameIsValid(const char* frame) const;
  void IdentifyCharger();

  bool Synchronised = false;
  int32_t TraceIndex = 0;
  int32_t StartByteCount = 0;
  char ReceiveTrace[charger::kTraceSize] = {};
  char FrameBuffer[charger::kFrameBufferSize] = {};
  int32_t StartByte = charger::kStartByte;
  int32_t EndByte = charger::kEndByte;
  // Length of the last complete frame in the trace at synchronisation.
  int32_t FrameLength = 0;
  // 2 or 3; 0 while undetermined.
  int32_t Generation = 0;

 private:
  void RecordTraceByte(unsigned char byte);
  void Synchronise();
  int ReadFrameRest(int length);
  int CurrentFrameLength() const;
  void LogBadFrame(int length);
  void ShowGoodFrame(int length);
  void Log(const char* text);

  WindowTexts& texts_;
};
