#include "monitor/Resistance.h"

#include <limits>

#include "monitor/NumberText.h"

namespace {

constexpr int32_t kStateCharge = 1, kStateDischarge = 2;

// Generation-2 label beside the value: per cell when the cell count is known.
constexpr int kLabelPerCellLeft = 192;
constexpr int kLabelWholeLeft = 206;

const char kBlank[] = " ";

// mV difference over mA, worked out in double and kept in single precision.
float Ohms(double millivolts, int32_t milliamperes) {
  return static_cast<float>(millivolts * 1.0 / static_cast<double>(milliamperes));
}

// The stored single value, widened, as "%6.3f".
void ShowOhms(std::string& field, float ohms) {
  char text[64];
  size_t n = numtext::Fixed(text, sizeof text, static_cast<double>(ohms), 6, 3);
  field.assign(text, n);
}

}  // namespace

void UpdateResistanceV2(OutputResistance& out, int32_t voltage, int32_t current,
                        bool underCharge, int32_t cellCount, std::string& shown,
                        ResistanceLabel label) {
  if (current == 0) {
    out.RestVoltage = static_cast<float>(voltage);
    shown = kBlank;
    return;
  }
  if (!underCharge || out.RestVoltage == 0.0f) {
    shown = kBlank;
    return;
  }
  out.Resistance =
      Ohms(static_cast<double>(voltage) - static_cast<double>(out.RestVoltage), current);
  if (cellCount > 0) {
    out.Resistance = static_cast<float>(static_cast<double>(out.Resistance) / cellCount);
    label.Caption = "R/e";
    label.Left = kLabelPerCellLeft;
  } else {
    label.Caption = "R";
    label.Left = kLabelWholeLeft;
  }
  ShowOhms(shown, out.Resistance);
}

void UpdateResistanceV3(OutputResistance& out, const RestRule& rule, int32_t state,
                        int32_t current, int32_t voltage, std::string& shown) {
  const bool discharge = rule.Discharges && state == kStateDischarge;
  const bool rest = (state == kStateCharge && current <= rule.ChargeRestMaxMa) ||
                    (discharge && current <= rule.DischargeRestMaxMa);
  if (rest) {
    out.RestVoltage = static_cast<float>(voltage);
    shown = kBlank;
    out.ResistanceArmed = true;
    return;
  }
  if (out.ResistanceArmed) {
    const bool computes = state == kStateCharge || discharge;
    out.ResistanceArmed = false;
    if (computes && !out.LoadedSeen) {
      shown = kBlank;
    } else {
      const double loaded = static_cast<double>(out.LoadedVoltage);
      const double rested = static_cast<double>(out.RestVoltage);
      if (state == kStateCharge)
        out.Resistance = Ohms(loaded - rested, current);
      else if (discharge)
        out.Resistance = Ohms(rested - loaded, current);
      ShowOhms(shown, out.Resistance);
    }
  }
  out.LoadedVoltage = voltage;
  out.LoadedSeen = true;
}

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
