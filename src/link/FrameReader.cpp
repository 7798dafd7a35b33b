#include "link/FrameReader.h"

#include <chrono>
#include <cstdio>

#include "link/ByteSource.h"
#include "link/LogFile.h"
#include "link/LookSink.h"
#include "monitor/WindowTexts.h"
#include "plot/CurveSink.h"
#include "texts/Catalogue.h"
#include "texts/TextIds.h"

using namespace charger;

namespace {
int64_t SteadyMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}
constexpr int kTraceLast = kTraceSize - 1;
}  // namespace

FrameReader::FrameReader(WindowTexts& texts) : NowMs(SteadyMs), texts_(texts) {}

void FrameReader::Log(const char* text) {
  if (LogFile) LogFile->WriteLine(text, true);
}

void FrameReader::RecordTraceByte(unsigned char byte) {
  char shown;
  if (byte == static_cast<unsigned char>(StartByte)) shown = '<';
  else if (byte == static_cast<unsigned char>(EndByte)) shown = '>';
  else if (byte >= 0x22 && byte <= 0x7F) shown = static_cast<char>(byte);
  else shown = '-';
  ReceiveTrace[TraceIndex] = shown;
  if (TraceIndex < kTraceLast) ++TraceIndex;
}

void FrameReader::Synchronise() {
  Synchronised = true;
  ReceiveTrace[TraceIndex] = '\0';
  Log("Frame Analysing");
  if (LogFile) {
    LogFile->Write("Frame Analysis : ", true);
    LogFile->WriteLine(ReceiveTrace, false);
  }
  Log("Frame Analysed");
  IdentifyCharger();
  if (Generation == 2 && Looks) Looks->Zephyral2Disabling();
}

void FrameReader::IdentifyCharger() {
  int end = -1, start = -1;
  for (int i = TraceIndex - 1; i >= 0; --i) {
    if (end < 0) {
      if (ReceiveTrace[i] == '>') end = i;
    } else if (ReceiveTrace[i] == '<') {
      start = i;
      break;
    }
  }
  FrameLength = end - start + 1;
  if (FrameLength == kGen2FrameLength) {
    texts_.PanelLoaderCaption = UserTexts(txt::ZephyralV2);
    Generation = 2;
  } else if (FrameLength == kGen3FrameLength) {
    texts_.PanelLoaderCaption = UserTexts(txt::ZephyralV3);
    Generation = 3;
  } else {
    char caption[64];
    std::snprintf(caption, sizeof caption, UserTexts(txt::UnknownVersion),
                  static_cast<int>(FrameLength));
    texts_.PanelLoaderCaption = caption;
    Generation = 0;
  }
}

bool FrameReader::FrameIsValid(const char* frame) const {
  if (Generation == 2) {
    for (int i = 1; i < kGen2FrameLength; ++i)
      if (frame[i] == static_cast<char>(StartByte)) return false;
    return true;
  }
  if (Generation == 3) {
    int32_t sum = 0;
    for (int i = gen3::kSummedFirst; i <= gen3::kSummedLast; ++i)
      sum += static_cast<signed char>(frame[i]);
    return sum == Field4(frame, gen3::kChecksum);
  }
  // Undetermined generation: there is no rule to trust such a frame.
  return false;
}

// Reads the rest of a frame whose start byte is already in FrameBuffer[0].
// Gives up FrameWaitLimitMs after the start byte; returns how many bytes the
// frame holds.
int FrameReader::ReadFrameRest(int length) {
  int held = 1;
  const int64_t deadline = NowMs() + FrameWaitLimitMs;
  while (held < length) {
    const int n = Port->Read(FrameBuffer + held, length - held);
    if (n > 0) held += n;
    if (held < length && NowMs() >= deadline) break;
  }
  return held;
}

void FrameReader::LogBadFrame(int length) {
  Log("Frame Error");
  if (!LogFile) return;
  const long count = Graph1 ? static_cast<long>(Graph1->SampleCount()) : 0L;
  char line[64];
  std::snprintf(line, sizeof line, "Trame %ld: <", count);
  // The raw frame may hold any byte, NUL included: write it by length.
  LogFile->Write(line, true);
  LogFile->WriteBytes(FrameBuffer, length);
  LogFile->WriteLine(">", false);
}

void FrameReader::ShowGoodFrame(int length) {
  FrameBuffer[0] = '-';
  FrameBuffer[length - 1] = '\0';
  std::string& status = texts_.StatusBar;
  status.assign(1, '<');
  status.append(FrameBuffer);
  status.push_back('>');
  Log(status.c_str());
}

int FrameReader::CurrentFrameLength() const {
  if (Generation == 2) return kGen2FrameLength;
  if (Generation == 3) return kGen3FrameLength;
  // Undetermined: read what the identification measured, within the buffer.
  if (FrameLength < 1) return 1;
  if (FrameLength > kFrameBufferSize) return kFrameBufferSize;
  return FrameLength;
}

FrameReader::Result FrameReader::ReadFrame() {
  if (!Port || Port->Read(FrameBuffer, 1) != 1) return Result::Nothing;
  // The bound runs from the tick's first byte: waiting for that one is the
  // port's time-out, as in a silent tick.
  const int64_t tickEnd = NowMs() + TickReadLimitMs;
  for (;;) {
    const auto byte = static_cast<unsigned char>(FrameBuffer[0]);
    const bool isStart = byte == static_cast<unsigned char>(StartByte);
    if (isStart && Synchronised) break;
    RecordTraceByte(byte);
    if (isStart && ++StartByteCount >= kSyncStartBytes) Synchronise();
    if (NowMs() >= tickEnd || Port->Read(FrameBuffer, 1) != 1) return Result::Nothing;
  }
  // A frame begun ends within this tick, whole or given up: nothing that runs
  // between ticks (a port change, a change of charger, a print holding the
  // window) may find half a frame waiting for bytes.
  const int length = CurrentFrameLength();
  const int held = ReadFrameRest(length);
  if (held < length || !FrameIsValid(FrameBuffer)) {
    LogBadFrame(held);
    return Result::BadFrame;
  }
  ShowGoodFrame(length);
  return Result::GoodFrame;
}

void FrameReader::Restart() {
  Synchronised = false;
  StartByteCount = 0;
  TraceIndex = 0;
}
