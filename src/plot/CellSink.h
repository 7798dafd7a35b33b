#pragma once
// What the charger monitor hands the balancer's cell voltages to.
#include <cstdint>

#include "charger/ChargerLayout.h"

class CellSink {
 public:
  virtual ~CellSink() = default;
  // Entries 1..12 are the cells in mV; entry 0 is not read.
  virtual void SetCells(const int32_t cells[charger::kCellArraySize], int32_t average) = 0;
};
