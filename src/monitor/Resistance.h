#pragma once
// Pack resistance (cables included) from the voltage at rest and under load:
// millivolts over milliamperes give ohms. One routine serves both outputs;
// what differs between them is a rest rule.
#include <cstdint>
#include <string>

// One output's measurement.
struct OutputResistance {
  float RestVoltage = 0;
  float Resistance = 0;
  bool ResistanceArmed = false;
  // Generation 3: voltage of the last loaded frame, and whether one was ever
  // measured (a value made up from the start-up 0 would mean nothing).
  int32_t LoadedVoltage = 0;
  bool LoadedSeen = false;

  // Starts the measurement afresh; the value shown and the last loaded
  // voltage stay.
  void Reset() {
    RestVoltage = 0.0f;
    Resistance = 0.0f;
    ResistanceArmed = false;
  }
};

// Generation 3: when a frame counts as rest. A charge current up to
// ChargeRestMaxMa is still rest (the charger trickles between pulses); a
// discharge at rest draws next to nothing. Output 2 has no discharge rule
// and trickles less.
struct RestRule {
  int32_t ChargeRestMaxMa;
  bool Discharges;
  int32_t DischargeRestMaxMa;
};
inline constexpr RestRule kOutput1Rest{49, true, 1};
inline constexpr RestRule kOutput2Rest{5, false, 0};

// Generation 3: a rest frame arms the output; the first loaded frame after it
// computes one value from the voltage of the last loaded frame before the
// rest, then loaded frames only record their voltage until the next rest.
void UpdateResistanceV3(OutputResistance& out, const RestRule& rule, int32_t state,
                        int32_t current, int32_t voltage, std::string& shown);

// Generation 2 (output 1 only): computed under charge ("C" shown for the
// previous frame) once a rest voltage was taken; per cell when the pack's
// cell count is known, with the label beside the value saying which.
struct ResistanceLabel {
  std::string& Caption;
  int& Left;
};
void UpdateResistanceV2(OutputResistance& out, int32_t voltage, int32_t current,
                        bool underCharge, int32_t cellCount, std::string& shown,
                        ResistanceLabel label);

// The leading decimal number of a shown text as the C library's strtol reads
// it (leading blanks and one sign allowed, 0 when no digit follows), held
// within int32 so that a long run of digits typed into a pack file cannot
// overflow.
int32_t LeadingNumber(const std::string& text);
