// Capacity memories: when output 1 leaves a charge or a discharge, the
// capacity it reports goes into the next free memory of that kind.
#include <cstdint>
#include <limits>
#include <string>

#include "link/ChargerMonitor.h"
#include "link/NumberText.h"

namespace {

constexpr int kMemoriesGen2 = 3;
constexpr int kMemoriesGen3 = 10;

bool IsGen2ChargePhase(int32_t phase) { return phase == 2 || phase == 5 || phase == 6; }
bool IsGen2DischargePhase(int32_t phase) { return phase == 3 || phase == 4 || phase == 7; }

// Writes the memory the index names, if there is one, and moves the index on
// either way: past the last memory, ends are counted but not kept.
void Store(MonitorState& S, std::string* column, int32_t& index, int memories) {
  if (index >= 1 && index <= memories) {
    size_t n = numtext::Decimal(S.MessageBuffer, sizeof S.MessageBuffer, S.Capacity1);
    column[index].assign(S.MessageBuffer, n);
  }
  if (index < std::numeric_limits<int32_t>::max()) ++index;
}

}  // namespace

void ChargerMonitor::StoreMemory(int32_t endedCode) {
  if (S.Generation == 2) {
    if (IsGen2ChargePhase(endedCode))
      Store(S, S.Shown.ECharge, S.ChargeMemoryIndex, kMemoriesGen2);
    else if (IsGen2DischargePhase(endedCode))
      Store(S, S.Shown.EDecharge, S.DischargeMemoryIndex, kMemoriesGen2);
  } else if (S.Generation == 3) {
    constexpr int32_t kCharge = 1, kDischarge = 2;
    if (endedCode == kCharge)
      Store(S, S.Shown.ECharge, S.ChargeMemoryIndex, kMemoriesGen3);
    else if (endedCode == kDischarge)
      Store(S, S.Shown.EDecharge, S.DischargeMemoryIndex, kMemoriesGen3);
  }
}

void ChargerMonitor::Effacer1Click() {
  S.ChargeMemoryIndex = 1;
  S.DischargeMemoryIndex = 1;
  for (int i = 1; i <= kMemoriesGen3; ++i) S.Shown.ECharge[i].clear();
  for (int i = 1; i <= kMemoriesGen3; ++i) S.Shown.EDecharge[i].clear();
}
