#pragma once
// The texts of the main window that the program decides on or reads back:
// this is their one owner. The core writes them; the window only shows them,
// and a rule that reads a shown text (the cell count of a loaded pack, the
// phase letter of the last frame) reads it here, so what is shown and what
// is decided on can never differ.
#include <array>
#include <string>

#include "charger/ChargerLayout.h"

// One output's pack box: the nine fields in their order on screen, and the
// captions that name the loaded pack.
struct PackTexts {
  std::string EditReference, EditType, EditDeltaPeak, EditNbElements, EditCapacity, EditCharge,
      EditCoupure, EditDecharge, EditResistor;
  std::string BoxCaption;    // GroupBox1 / GroupBox3
  std::string GraphCaption;  // GraphBox1 / GraphBox2
};

// One output's live values above its curve.
struct CurveTexts {
  std::string TVoltage, TCurrent;
};

struct WindowTexts {
  // Charger box (PanelLoader).
  std::string PanelLoaderCaption;
  std::string EditInputVoltage, EditTemperature, EditCycle;
  std::string EditOperatingMode1, EditOperatingMode2;
  std::string LTempUnit = "°C";
  // Output 1's resistance label: "R/e" beside a value per cell, "R" beside
  // one for the whole pack (generation 2); empty until then.
  std::string LabelGb1ResistorCaption;
  int LabelGb1ResistorLeft = 202;
  // Memories C1..C10 and D1..D10 (entry 0 unused).
  std::string ECharge[charger::kMemoryCount + 1];
  std::string EDecharge[charger::kMemoryCount + 1];
  std::string StatusBar;

  // Output n = 1 or 2.
  PackTexts& Pack(int n) { return packs_[static_cast<size_t>(n - 1)]; }
  const PackTexts& Pack(int n) const { return packs_[static_cast<size_t>(n - 1)]; }
  CurveTexts& Curve(int n) { return curves_[static_cast<size_t>(n - 1)]; }
  const CurveTexts& Curve(int n) const { return curves_[static_cast<size_t>(n - 1)]; }

 private:
  std::array<PackTexts, 2> packs_;
  std::array<CurveTexts, 2> curves_;
};
