// Decoding of one valid frame: values, the charger box's texts, the samples
// for the curves and the cells for the balancer, with the memory and
// resistance steps at their fixed places in between. The order of the steps
// matters: the generation-2 resistance reads the phase letter of the previous
// frame, and the memories take the capacity of the frame that shows a change.
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>

#include "link/ChargerMonitor.h"
#include "link/NumberText.h"
#include "link/OperationTexts.h"
#include "texts/Catalogue.h"
#include "texts/TextIds.h"

namespace {

// Field positions, counted from the start byte.
namespace gen2 {
constexpr int kMode = 3, kCycle = 5, kSupply = 7, kVoltage = 11, kCurrent = 15, kCapacity = 19,
              kPhase = 23;
}  // namespace gen2
namespace gen3 {
constexpr int kSupply = 3, kState1 = 7, kAlgorithm1 = 9, kCycle = 11, kVoltage1 = 13,
              kCurrent1 = 17, kCapacity1 = 21, kTemperature = 25, kProbe = 29, kFahrenheit = 31,
              kState2 = 33, kMode2 = 35, kVoltage2 = 37, kCurrent2 = 41, kCapacity2 = 45;
constexpr int CellPosition(int k) { return 45 + 4 * k; }  // k = 1..12
}  // namespace gen3

constexpr int kCellCount = 12;
constexpr int32_t kStatePause = 3, kStateEnd = 5, kState2End = 5;

// The leading decimal number of a text as the C library's strtol reads it
// (leading blanks and one sign allowed, 0 when no digit follows), held within
// int32 so that a long run of digits typed into a pack file cannot overflow.
int32_t LeadingNumber(const std::string& text) {
  size_t i = 0;
  const size_t n = text.size();
  while (i < n && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < n && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  constexpr int64_t kLimit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
  int64_t value = 0;
  for (; i < n && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > kLimit) value = kLimit;
  }
  if (negative) return static_cast<int32_t>(-value);
  return static_cast<int32_t>(value < kLimit ? value : kLimit - 1);
}

// Bounded copy and append into one of the window's fixed text buffers.
template <size_t N>
void CopyText(char (&dst)[N], const char* src) {
  size_t n = std::strlen(src);
  if (n >= N) n = N - 1;
  std::memcpy(dst, src, n);
  dst[n] = '\0';
}
template <size_t N>
void AppendText(char (&dst)[N], const char* src) {
  size_t used = std::strlen(dst);
  size_t n = std::strlen(src);
  if (n > N - 1 - used) n = N - 1 - used;
  std::memcpy(dst + used, src, n);
  dst[used + n] = '\0';
}

// Shows an integer, with an optional unit, through the message buffer.
void ShowDecimal(MonitorState& S, std::string& field, int32_t value, const char* suffix) {
  size_t n = numtext::Decimal(S.MessageBuffer, sizeof S.MessageBuffer, value, suffix);
  field.assign(S.MessageBuffer, n);
}

// Whole degrees for a curve: the fraction is dropped, towards zero.
int32_t WholeDegrees(float temperature) { return static_cast<int32_t>(temperature); }

}  // namespace

int32_t ChargerMonitor::Field2(int pos) const {
  return Hexa2Dec(S.FrameBuffer[pos]) * 16 + Hexa2Dec(S.FrameBuffer[pos + 1]);
}

int32_t ChargerMonitor::Field4(int pos) const {
  return Hexa2Dec(S.FrameBuffer[pos]) * 4096 + Hexa2Dec(S.FrameBuffer[pos + 1]) * 256 +
         Hexa2Dec(S.FrameBuffer[pos + 2]) * 16 + Hexa2Dec(S.FrameBuffer[pos + 3]);
}

void ChargerMonitor::DecodeFrame() {
  const bool isGen2 = S.Generation == 2;
  if (!isGen2 && S.Generation != 3) return;  // no layout to decode by

  S.CellCount1 = LeadingNumber(S.Shown.EditNbElements1);

  if (isGen2) {
    S.Cycle = Field2(gen2::kCycle);
    S.SupplyVoltage = Field4(gen2::kSupply);
    S.Voltage1 = Field4(gen2::kVoltage);
    // Tenths of a mA; the fraction of value * 0.1 is dropped, which is
    // exactly the integer quotient for every value the field can hold.
    S.Current1 = Field4(gen2::kCurrent) / 10;
    S.Capacity1 = Field4(gen2::kCapacity);
    S.Mode1 = static_cast<int8_t>(Field2(gen2::kMode));
    S.Shown.EditOperatingMode1 = optext::Gen2ModeText(S.Mode1);
  } else {
    S.Cycle = Field2(gen3::kCycle);
    S.SupplyVoltage = Field4(gen3::kSupply);
    S.Voltage1 = Field4(gen3::kVoltage1);
    S.Current1 = Field4(gen3::kCurrent1);
    S.Capacity1 = Field4(gen3::kCapacity1);
    S.ProbePresent = Field2(gen3::kProbe);
    S.Fahrenheit = Field2(gen3::kFahrenheit);
    if (S.ProbePresent != 0) {
      // Single-precision value times the double 0.1, stored as single.
      S.Temperature = static_cast<float>(
          static_cast<double>(static_cast<float>(Field4(gen3::kTemperature))) * 0.1);
      size_t n = numtext::Fixed(S.MessageBuffer, sizeof S.MessageBuffer, S.Temperature, 5, 1);
      S.Shown.EditTemperature.assign(S.MessageBuffer, n);
      S.Shown.LTempUnit = S.Fahrenheit != 0 ? "°F" : "°C";
    } else {
      S.Temperature = 0;
      S.Shown.EditTemperature.clear();
    }

    S.PreviousState1 = S.Mode1;
    S.Mode1 = static_cast<int8_t>(Field2(gen3::kState1));
    if (S.Mode1 != S.PreviousState1) StoreMemory(S.PreviousState1);
    S.PreviousAlgorithm1 = S.Algorithm1;
    S.Algorithm1 = Field2(gen3::kAlgorithm1);

    // Output-1 operation text: algorithm tag, then the state word. A pause or
    // an end names what it followed, and keeps that text for as long as it
    // lasts (the edit is not rewritten while the state stays the same).
    const int32_t state = S.Mode1;
    const bool pauseOrEnd = state == kStatePause || state == kStateEnd;
    const bool stillSame = pauseOrEnd && S.PreviousState1 == state;
    const char* tag = optext::AlgorithmTag(S.Algorithm1);
    if (pauseOrEnd && !stillSame) {
      if (const char* endTag = optext::EndTag(S.PreviousState1, S.PreviousAlgorithm1)) tag = endTag;
    }
    CopyText(S.WorkText, tag);
    if (!stillSame) {
      AppendText(S.WorkText, optext::State1Word(state));
      S.Shown.EditOperatingMode1 = S.WorkText;
    }
  }

  ShowDecimal(S, S.Shown.EditCycle, S.Cycle, "");
  ShowDecimal(S, S.Shown.EditInputVoltage, S.SupplyVoltage, "");

  if (isGen2) {
    UpdateResistanceV2();  // still sees the previous frame's phase letter
    S.PreviousPhase = S.Phase;
    S.Phase = Field2(gen2::kPhase);
    S.Shown.EditOperatingMode2 = optext::Gen2PhaseLetter(S.Phase);
    if (S.Phase >= 1 && S.Phase <= 9) {
      if (S.Phase != S.PreviousPhase) StoreMemory(S.PreviousPhase);
      if (Graph1)
        Graph1->AddSample(S.Voltage1 - S.VoltageOffset, S.Capacity1, S.Current1,
                          WholeDegrees(S.Temperature));
    }
  } else {
    UpdateResistance1V3();  // sees the current as decoded
    if (S.Mode1 == 0) S.Current1 = 0;
    if (Graph1)
      Graph1->AddSample(S.Voltage1 - S.VoltageOffset, S.Capacity1, S.Current1,
                        S.TemperatureOutput == 1 ? WholeDegrees(S.Temperature) : 0);
  }

  ShowDecimal(S, S.Shown.TVoltage1, S.Voltage1, " mV");
  ShowDecimal(S, S.Shown.TCurrent1, S.Current1, " mA");

  if (isGen2) return;

  int32_t sum = 0, used = 0;
  for (int k = 1; k <= kCellCount; ++k) {
    S.CellVoltages[k] = Field4(gen3::CellPosition(k));
    if (S.CellVoltages[k] > 0) {
      sum += S.CellVoltages[k];
      ++used;
    }
  }
  S.CellAverage = used > 0 ? sum / used : 0;
  if (Spider) Spider->SetCells(S.CellVoltages, S.CellAverage);

  S.State2 = Field2(gen3::kState2);
  S.Mode2 = Field2(gen3::kMode2);
  S.Voltage2 = Field4(gen3::kVoltage2);
  S.Current2 = Field4(gen3::kCurrent2);
  S.Capacity2 = Field4(gen3::kCapacity2);
  CopyText(S.WorkText,
           S.State2 == kState2End ? UserTexts(txt::TagDeltaPeak) : optext::Mode2Text(S.Mode2));
  AppendText(S.WorkText, optext::State2Word(S.State2));
  S.Shown.EditOperatingMode2 = S.WorkText;
  if (S.State2 == 0) S.Current2 = 0;
  if (Graph2)
    Graph2->AddSample(S.Voltage2 - S.VoltageOffset, S.Capacity2, S.Current2,
                      S.TemperatureOutput == 2 ? WholeDegrees(S.Temperature) : 0);
  ShowDecimal(S, S.Shown.TVoltage2, S.Voltage2, " mV");
  ShowDecimal(S, S.Shown.TCurrent2, S.Current2, " mA");
  UpdateResistance2V3();
}
