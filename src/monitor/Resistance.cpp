#include "link/ChargerMonitor.h"

// Placeholder until the resistance steps land.
void ChargerMonitor::UpdateResistanceV2() {}
void ChargerMonitor::UpdateResistance1V3() {}
void ChargerMonitor::UpdateResistance2V3() {}
void ChargerMonitor::RAZClick() {
  S.RestVoltage1 = S.RestVoltage2 = 0;
  S.Resistance1 = S.Resistance2 = 0;
  S.ResistanceArmed1 = S.ResistanceArmed2 = false;
  if (Graph1) Graph1->Clear();
  if (Graph2) Graph2->Clear();
  S.Shown.StatusBar.clear();
}
