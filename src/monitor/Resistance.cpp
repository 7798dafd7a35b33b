// Pack resistance (cables included) from the voltage at rest and under load:
// millivolts over milliamperes give ohms.
#include <string>

#include "link/ChargerMonitor.h"
#include "link/NumberText.h"

namespace {

constexpr int32_t kStateCharge = 1, kStateDischarge = 2;
// A charge current up to this is still rest: the charger trickles between
// pulses. A discharge at rest draws next to nothing; output 2 trickles less.
constexpr int32_t kChargeRestMaxMa = 49;
constexpr int32_t kDischargeRestMaxMa = 1;
constexpr int32_t kOutput2RestMaxMa = 5;

// Generation-2 label beside the value: per cell when the cell count is known.
constexpr int kLabelPerCellLeft = 192;
constexpr int kLabelWholeLeft = 206;

const char kBlank[] = " ";

// mV difference over mA, worked out in double and kept in single precision.
float Ohms(double millivolts, int32_t milliamperes) {
  return static_cast<float>(millivolts * 1.0 / static_cast<double>(milliamperes));
}

// The stored single value, widened, as "%6.3f".
void ShowOhms(MonitorState& S, std::string& field, float ohms) {
  size_t n =
      numtext::Fixed(S.MessageBuffer, sizeof S.MessageBuffer, static_cast<double>(ohms), 6, 3);
  field.assign(S.MessageBuffer, n);
}

}  // namespace

void ChargerMonitor::UpdateResistanceV2() {
  if (S.Current1 == 0) {
    S.RestVoltage1 = static_cast<float>(S.Voltage1);
    S.Shown.EditResistor1 = kBlank;
    return;
  }
  // Only under charge ("C" was shown for the previous frame), and only once a
  // rest voltage has been taken.
  if (S.Shown.EditOperatingMode2 != "C" || S.RestVoltage1 == 0.0f) {
    S.Shown.EditResistor1 = kBlank;
    return;
  }
  S.Resistance1 =
      Ohms(static_cast<double>(S.Voltage1) - static_cast<double>(S.RestVoltage1), S.Current1);
  if (S.CellCount1 > 0) {
    S.Resistance1 = static_cast<float>(static_cast<double>(S.Resistance1) / S.CellCount1);
    ShowOhms(S, S.Shown.EditResistor1, S.Resistance1);
    S.Shown.LabelGb1ResistorCaption = "R/e";
    S.Shown.LabelGb1ResistorLeft = kLabelPerCellLeft;
  } else {
    ShowOhms(S, S.Shown.EditResistor1, S.Resistance1);
    S.Shown.LabelGb1ResistorCaption = "R";
    S.Shown.LabelGb1ResistorLeft = kLabelWholeLeft;
  }
}

// Generation 3: a rest frame arms the output; the first loaded frame after it
// computes one value from the voltage of the last loaded frame before the
// rest, then only records loaded voltages until the next rest.
void ChargerMonitor::UpdateResistance1V3() {
  const bool rest = (S.Mode1 == kStateCharge && S.Current1 <= kChargeRestMaxMa) ||
                    (S.Mode1 == kStateDischarge && S.Current1 <= kDischargeRestMaxMa);
  if (rest) {
    S.RestVoltage1 = static_cast<float>(S.Voltage1);
    S.Shown.EditResistor1 = kBlank;
    S.ResistanceArmed1 = true;
    return;
  }
  if (S.ResistanceArmed1) {
    const bool computes = S.Mode1 == kStateCharge || S.Mode1 == kStateDischarge;
    S.ResistanceArmed1 = false;
    if (computes && !S.LoadedSeen1) {
      // No loaded voltage was ever measured on this output: a value would be
      // made up from the start-up 0, so this rest period shows none.
      S.Shown.EditResistor1 = kBlank;
    } else {
      const double loaded = static_cast<double>(S.LoadedVoltage1);
      const double rested = static_cast<double>(S.RestVoltage1);
      if (S.Mode1 == kStateCharge)
        S.Resistance1 = Ohms(loaded - rested, S.Current1);
      else if (S.Mode1 == kStateDischarge)
        S.Resistance1 = Ohms(rested - loaded, S.Current1);
      ShowOhms(S, S.Shown.EditResistor1, S.Resistance1);
    }
  }
  S.LoadedVoltage1 = S.Voltage1;
  S.LoadedSeen1 = true;
}

void ChargerMonitor::UpdateResistance2V3() {
  const bool rest = S.State2 == kStateCharge && S.Current2 <= kOutput2RestMaxMa;
  if (rest) {
    S.RestVoltage2 = static_cast<float>(S.Voltage2);
    S.Shown.EditResistor2 = kBlank;
    S.ResistanceArmed2 = true;
    return;
  }
  if (S.ResistanceArmed2) {
    const bool computes = S.State2 == kStateCharge;
    S.ResistanceArmed2 = false;
    if (computes && !S.LoadedSeen2) {
      S.Shown.EditResistor2 = kBlank;
    } else {
      if (computes)
        S.Resistance2 =
            Ohms(static_cast<double>(S.LoadedVoltage2) - static_cast<double>(S.RestVoltage2),
                 S.Current2);
      ShowOhms(S, S.Shown.EditResistor2, S.Resistance2);
    }
  }
  S.LoadedVoltage2 = S.Voltage2;
  S.LoadedSeen2 = true;
}

// Starts the measurements afresh. The memories, the values shown and the last
// loaded voltages stay.
void ChargerMonitor::RAZClick() {
  S.RestVoltage1 = S.RestVoltage2 = 0;
  S.Resistance1 = S.Resistance2 = 0;
  S.ResistanceArmed1 = S.ResistanceArmed2 = false;
  if (Graph1) Graph1->Clear();
  if (Graph2) Graph2->Clear();
  S.Shown.StatusBar.clear();
}
