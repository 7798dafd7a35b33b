#include "monitor/Memories.h"

#include <limits>
#include <string>

#include "charger/ChargerLayout.h"
#include "monitor/NumberText.h"
#include "monitor/WindowTexts.h"

namespace {

bool IsGen2ChargePhase(int32_t phase) { return phase == 2 || phase == 5 || phase == 6; }
bool IsGen2DischargePhase(int32_t phase) { return phase == 3 || phase == 4 || phase == 7; }
constexpr int32_t kGen3Charge = 1, kGen3Discharge = 2;

void Store(std::string* column, int32_t& index, int memories, int32_t capacity) {
  if (index >= 1 && index <= memories) {
    char text[16];
    size_t n = numtext::Decimal(text, sizeof text, capacity);
    column[index].assign(text, n);
  }
  if (index < std::numeric_limits<int32_t>::max()) ++index;
}

}  // namespace

void CapacityMemories::StoreMemory(int generation, int32_t endedCode, int32_t capacity,
                                   WindowTexts& texts) {
  bool charge = false, discharge = false;
  int memories = 0;
  if (generation == 2) {
    charge = IsGen2ChargePhase(endedCode);
    discharge = IsGen2DischargePhase(endedCode);
    memories = charger::kGen2MemoryCount;
  } else if (generation == 3) {
    charge = endedCode == kGen3Charge;
    discharge = endedCode == kGen3Discharge;
    memories = charger::kMemoryCount;
  }
  if (charge) Store(texts.ECharge, ChargeMemoryIndex, memories, capacity);
  else if (discharge) Store(texts.EDecharge, DischargeMemoryIndex, memories, capacity);
}

void CapacityMemories::Clear(WindowTexts& texts) {
  ChargeMemoryIndex = 1;
  DischargeMemoryIndex = 1;
  for (int i = 1; i <= charger::kMemoryCount; ++i) texts.ECharge[i].clear();
  for (int i = 1; i <= charger::kMemoryCount; ++i) texts.EDecharge[i].clear();
}
