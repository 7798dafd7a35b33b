#include "link/ChargerMonitor.h"

// Placeholder until the capacity memories land.
void ChargerMonitor::StoreMemory(int32_t) {}
void ChargerMonitor::Effacer1Click() {}
