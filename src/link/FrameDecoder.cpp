#include "link/FrameDecoder.h"

#include <cstdio>
#include <string>

#include "link/OperationTexts.h"
#include "monitor/Memories.h"
#include "monitor/NumberText.h"
#include "monitor/Resistance.h"
#include "monitor/WindowTexts.h"
#include "plot/CellSink.h"
#include "plot/CurveSink.h"
#include "texts/Catalogue.h"
#include "texts/TextIds.h"

using namespace charger;

namespace {

constexpr int32_t kStatePause = 3, kStateEnd = 5, kState2End = 5;

void ShowDecimal(std::string& field, int32_t value, const char* suffix) {
  char text[32];
  size_t n = numtext::Decimal(text, sizeof text, value, suffix);
  field.assign(text, n);
}

// Whole degrees for a curve: the fraction is dropped, towards zero.
int32_t WholeDegrees(float temperature) { return static_cast<int32_t>(temperature); }

// Operation texts are a tag followed by a state word, built in one work
// text of fixed size.
template <size_t N>
void CopyText(char (&dst)[N], const char* src) {
  std::snprintf(dst, N, "%s", src);
}
template <size_t N>
void AppendText(char (&dst)[N], const char* src) {
  const size_t used = std::char_traits<char>::length(dst);
  std::snprintf(dst + used, N - used, "%s", src);
}

}  // namespace

FrameDecoder::FrameDecoder(WindowTexts& texts, OutputResistance (&resistance)[2],
                           CapacityMemories& memories)
    : texts_(texts), resistance_(resistance), memories_(memories) {}

void FrameDecoder::AddSample(int n, int32_t temperature) {
  const OutputValues& o = V.Out[n - 1];
  if (CurveSink* g = Graph[n - 1]) g->AddSample(o.Voltage - V.VoltageOffset, o.Capacity, o.Current, temperature);
}

void FrameDecoder::ShowCurveValues(int n) {
  const OutputValues& o = V.Out[n - 1];
  ShowDecimal(texts_.Curve(n).TVoltage, o.Voltage, " mV");
  ShowDecimal(texts_.Curve(n).TCurrent, o.Current, " mA");
}

void FrameDecoder::DecodeFrame(const char* frame, int generation) {
  if (generation != 2 && generation != 3) return;  // no layout to decode by
  V.CellCount1 = LeadingNumber(texts_.Pack(1).EditNbElements);
  if (generation == 2) {
    DecodeGen2(frame);
    return;
  }
  DecodeGen3Output1(frame);
  DecodeCells(frame);
  DecodeGen3Output2(frame);
}

void FrameDecoder::DecodeGen2(const char* frame) {
  OutputValues& o = V.Out[0];
  V.Cycle = Field2(frame, gen2::kCycle);
  V.SupplyVoltage = Field4(frame, gen2::kSupply);
  o.Voltage = Field4(frame, gen2::kVoltage);
  // Tenths of a mA; the fraction of value * 0.1 is dropped, which is
  // exactly the integer quotient for every value the field can hold.
  o.Current = Field4(frame, gen2::kCurrent) / 10;
  o.Capacity = Field4(frame, gen2::kCapacity);
  V.Mode1 = static_cast<int8_t>(Field2(frame, gen2::kMode));
  texts_.EditOperatingMode1 = optext::Gen2ModeText(V.Mode1);
  ShowDecimal(texts_.EditCycle, V.Cycle, "");
  ShowDecimal(texts_.EditInputVoltage, V.SupplyVoltage, "");

  // Still sees the previous frame's phase letter.
  UpdateResistanceV2(resistance_[0], o.Voltage, o.Current, texts_.EditOperatingMode2 == "C",
                     V.CellCount1, texts_.Pack(1).EditResistor,
                     {texts_.LabelGb1ResistorCaption, texts_.LabelGb1ResistorLeft});
  V.PreviousPhase = V.Phase;
  V.Phase = Field2(frame, gen2::kPhase);
  texts_.EditOperatingMode2 = optext::Gen2PhaseLetter(V.Phase);
  if (V.Phase >= 1 && V.Phase <= 9) {
    if (V.Phase != V.PreviousPhase) memories_.StoreMemory(2, V.PreviousPhase, o.Capacity, texts_);
    AddSample(1, WholeDegrees(V.Temperature));
  }
  ShowCurveValues(1);
}

void FrameDecoder::DecodeGen3Output1(const char* frame) {
  const OutputValues& o = ReadGen3Output(frame, 1);
  V.Cycle = Field2(frame, gen3::kCycle);
  V.SupplyVoltage = Field4(frame, gen3::kSupply);
  V.ProbePresent = Field2(frame, gen3::kProbe);
  V.Fahrenheit = Field2(frame, gen3::kFahrenheit);
  if (V.ProbePresent != 0) {
    // Single-precision value times the double 0.1, stored as single.
    V.Temperature = static_cast<float>(
        static_cast<double>(static_cast<float>(Field4(frame, gen3::kTemperature))) * 0.1);
    char text[32];
    size_t n = numtext::Fixed(text, sizeof text, V.Temperature, 5, 1);
    texts_.EditTemperature.assign(text, n);
    texts_.LTempUnit = V.Fahrenheit != 0 ? "°F" : "°C";
  } else {
    V.Temperature = 0;
    texts_.EditTemperature.clear();
  }

  V.PreviousState1 = V.Mode1;
  V.Mode1 = static_cast<int8_t>(Field2(frame, gen3::kState1));
  if (V.Mode1 != V.PreviousState1) memories_.StoreMemory(3, V.PreviousState1, o.Capacity, texts_);
  V.PreviousAlgorithm1 = V.Algorithm1;
  V.Algorithm1 = Field2(frame, gen3::kAlgorithm1);

  // Output-1 operation text: algorithm tag, then the state word. A pause or
  // an end names what it followed, and keeps that text for as long as it
  // lasts (the edit is not rewritten while the state stays the same).
  const int32_t state = V.Mode1;
  const bool pauseOrEnd = state == kStatePause || state == kStateEnd;
  const bool stillSame = pauseOrEnd && V.PreviousState1 == state;
  const char* tag = optext::AlgorithmTag(V.Algorithm1);
  if (pauseOrEnd && !stillSame) {
    if (const char* endTag = optext::EndTag(V.PreviousState1, V.PreviousAlgorithm1)) tag = endTag;
  }
  CopyText(workText_, tag);
  if (!stillSame) {
    AppendText(workText_, optext::State1Word(state));
    texts_.EditOperatingMode1 = workText_;
  }

  ShowDecimal(texts_.EditCycle, V.Cycle, "");
  ShowDecimal(texts_.EditInputVoltage, V.SupplyVoltage, "");
  Gen3OutputTail(1, state);
}

const OutputValues& FrameDecoder::ReadGen3Output(const char* frame, int n) {
  const gen3::OutputFields& at = gen3::kOutputFields[n - 1];
  OutputValues& o = V.Out[n - 1];
  o.Voltage = Field4(frame, at.Voltage);
  o.Current = Field4(frame, at.Current);
  o.Capacity = Field4(frame, at.Capacity);
  return o;
}

void FrameDecoder::DecodeCells(const char* frame) {
  int32_t sum = 0, used = 0;
  for (int k = 1; k <= gen3::kCellCount; ++k) {
    V.CellVoltages[k] = Field4(frame, gen3::CellPosition(k));
    if (V.CellVoltages[k] > 0) {
      sum += V.CellVoltages[k];
      ++used;
    }
  }
  V.CellAverage = used > 0 ? sum / used : 0;
  if (Spider) Spider->SetCells(V.CellVoltages, V.CellAverage);
}

void FrameDecoder::DecodeGen3Output2(const char* frame) {
  ReadGen3Output(frame, 2);
  V.State2 = Field2(frame, gen3::kState2);
  V.Mode2 = Field2(frame, gen3::kMode2);
  CopyText(workText_,
           V.State2 == kState2End ? UserTexts(txt::TagDeltaPeak) : optext::Mode2Text(V.Mode2));
  AppendText(workText_, optext::State2Word(V.State2));
  texts_.EditOperatingMode2 = workText_;
  Gen3OutputTail(2, V.State2);
}

void FrameDecoder::Gen3OutputTail(int n, int32_t state) {
  OutputValues& o = V.Out[n - 1];
  // The resistance sees the current as decoded.
  UpdateResistanceV3(resistance_[n - 1], n == 1 ? kOutput1Rest : kOutput2Rest, state, o.Current,
                     o.Voltage, texts_.Pack(n).EditResistor);
  if (state == 0) o.Current = 0;
  AddSample(n, V.TemperatureOutput == n ? WholeDegrees(V.Temperature) : 0);
  ShowCurveValues(n);
}
