#pragma once
// Capacity memories: when output 1 leaves a charge or a discharge, the
// capacity it reports goes into the next free memory of that kind.
#include <cstdint>

struct WindowTexts;

class CapacityMemories {
 public:
  // Next memory of each column, from 1. Past the last memory, ends are
  // counted but not kept.
  int32_t ChargeMemoryIndex = 1;
  int32_t DischargeMemoryIndex = 1;

  // endedCode: the generation-2 phase or generation-3 state that just ended.
  void StoreMemory(int generation, int32_t endedCode, int32_t capacity, WindowTexts& texts);
  // "Mémoires" / "Effacer": both columns empty, filled from the first again.
  void Clear(WindowTexts& texts);
};
