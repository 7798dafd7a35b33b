#include "link/ChargerMonitor.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

#include "link/LogFile.h"
#include "texts/Catalogue.h"
#include "texts/TextIds.h"

namespace {
int64_t SteadyMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}
constexpr int kFrameBufferSize = 256;
constexpr int kTraceLast = 511;
}  // namespace

ChargerMonitor::ChargerMonitor() : NowMs(SteadyMs) {}

int32_t ChargerMonitor::Hexa2Dec(char c) {
  // Deliberately unchecked: a lower-case or stray digit converts by the same
  // formula, and the generation-3 checksum then catches it.
  int32_t v = static_cast<signed char>(c);
  return v >= 0x41 ? v - 55 : v - 48;
}

void ChargerMonitor::Log(const char* text) {
  if (LogFile) LogFile->WriteLine(text, true);
}

void ChargerMonitor::RecordTraceByte(unsigned char byte) {
  char shown;
  if (byte == static_cast<unsigned char>(S.StartByte)) shown = '<';
  else if (byte == static_cast<unsigned char>(S.EndByte)) shown = '>';
  else if (byte >= 0x22 && byte <= 0x7F) shown = static_cast<char>(byte);
  else shown = '-';
  S.ReceiveTrace[S.TraceIndex] = shown;
  if (S.TraceIndex < kTraceLast) ++S.TraceIndex;
}

void ChargerMonitor::Synchronise() {
  S.Synchronised = true;
  S.ReceiveTrace[S.TraceIndex] = '\0';
  Log("Frame Analysing");
  if (LogFile) {
    LogFile->Write("Frame Analysis : ", true);
    LogFile->WriteLine(S.ReceiveTrace, false);
  }
  Log("Frame Analysed");
  IdentifyCharger();
  if (S.Generation == 2 && Looks) Looks->Zephyral2Disabling();
}

void ChargerMonitor::IdentifyCharger() {
  int end = -1, start = -1;
  for (int i = S.TraceIndex - 1; i >= 0; --i) {
    if (end < 0) {
      if (S.ReceiveTrace[i] == '>') end = i;
    } else if (S.ReceiveTrace[i] == '<') {
      start = i;
      break;
    }
  }
  S.FrameLength = end - start + 1;
  std::snprintf(S.MessageBuffer, sizeof S.MessageBuffer, UserTexts(txt::UnknownVersion),
                static_cast<int>(S.FrameLength));
  if (S.FrameLength == 32) {
    S.Shown.PanelLoaderCaption = UserTexts(txt::ZephyralV2);
    S.Generation = 2;
  } else if (S.FrameLength == 102) {
    S.Shown.PanelLoaderCaption = UserTexts(txt::ZephyralV3);
    S.Generation = 3;
  } else {
    S.Shown.PanelLoaderCaption = S.MessageBuffer;
    S.Generation = 0;
  }
}

bool ChargerMonitor::FrameIsValid(const char* frame) const {
  if (S.Generation == 2) {
    for (int i = 1; i <= 31; ++i)
      if (frame[i] == static_cast<char>(S.StartByte)) return false;
    return true;
  }
  if (S.Generation == 3) {
    int32_t sum = 0;
    for (int i = 1; i <= 96; ++i) sum += static_cast<signed char>(frame[i]);
    int32_t check = Hexa2Dec(frame[97]) * 4096 + Hexa2Dec(frame[98]) * 256 +
                    Hexa2Dec(frame[99]) * 16 + Hexa2Dec(frame[100]);
    return sum == check;
  }
  // Undetermined generation: there is no rule to trust such a frame.
  return false;
}

// Reads the rest of a frame whose start byte is already in FrameBuffer[0].
// Gives up after FrameWaitLimitMs; returns how many bytes the frame holds.
int ChargerMonitor::ReadFrameRest(int length) {
  int held = 1;
  const int64_t deadline = NowMs() + FrameWaitLimitMs;
  while (held < length) {
    int n = Port ? Port->Read(S.FrameBuffer + held, length - held) : 0;
    if (n > 0) held += n;
    if (held < length && NowMs() >= deadline) break;
  }
  return held;
}

void ChargerMonitor::LogBadFrame(int length) {
  Log("Frame Error");
  if (!LogFile) return;
  const long count = Graph1 ? static_cast<long>(Graph1->SampleCount()) : 0L;
  std::snprintf(S.WorkText, sizeof S.WorkText, "Trame %ld: <", count);
  // The raw frame may hold any byte, NUL included: write it by length.
  LogFile->Write(S.WorkText, true);
  LogFile->WriteBytes(S.FrameBuffer, length);
  LogFile->WriteLine(">", false);
}

void ChargerMonitor::ShowGoodFrame(int length) {
  S.FrameBuffer[0] = '-';
  S.FrameBuffer[length - 1] = '\0';
  // Frames are at most 102 bytes; the precision only keeps the copy bounded.
  std::snprintf(S.WorkText, sizeof S.WorkText, "<%.*s>", static_cast<int>(sizeof S.WorkText) - 3, S.FrameBuffer);
  S.Shown.StatusBar = S.WorkText;
  Log(S.WorkText);
}

int ChargerMonitor::CurrentFrameLength() const {
  if (S.Generation == 2) return 32;
  if (S.Generation == 3) return 102;
  // Undetermined: read what the identification measured, within the buffer.
  if (S.FrameLength < 1) return 1;
  if (S.FrameLength > kFrameBufferSize) return kFrameBufferSize;
  return S.FrameLength;
}

bool ChargerMonitor::TimerEvent() {
  for (;;) {
    if (!Port || Port->Read(S.FrameBuffer, 1) != 1) return false;
    const auto byte = static_cast<unsigned char>(S.FrameBuffer[0]);
    const bool isStart = byte == static_cast<unsigned char>(S.StartByte);
    if (isStart && S.Synchronised) break;
    RecordTraceByte(byte);
    if (isStart && ++S.StartByteCount >= 3) Synchronise();
  }
  const int length = CurrentFrameLength();
  const int held = ReadFrameRest(length);
  if (held < length || !FrameIsValid(S.FrameBuffer)) {
    LogBadFrame(held);
    return true;
  }
  ShowGoodFrame(length);
  DecodeFrame();
  return true;
}

void ChargerMonitor::Redemarrer1Click() {
  S.Shown.PanelLoaderCaption = UserTexts(txt::ChargerData);
  S.Shown.EditInputVoltage.clear();
  S.Shown.EditTemperature.clear();
  S.Shown.EditCycle.clear();
  S.Shown.EditOperatingMode1.clear();
  S.Shown.EditOperatingMode2.clear();
  if (Looks) Looks->Zephyral3Enabling();
  S.Synchronised = false;
  // Start afresh, so the new charger is identified from its own frames and
  // not from what the previous one left in the trace.
  S.StartByteCount = 0;
  S.TraceIndex = 0;
}
