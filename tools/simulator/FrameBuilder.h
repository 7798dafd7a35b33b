#pragma once
// Builds charger status frames byte for byte: start byte 0x0C, upper-case
// hexadecimal fields, end byte 0x0D; generation 3 with its checksum. Shared by
// the charger simulator, the tests and the benchmarks.
#include <cstdint>
#include <string>

#include "charger/ChargerLayout.h"

namespace sim {

struct Gen2Values {
  int mode = 0x30;          // output mode code, 0x30..0x35 known
  int cycle = 1;
  int supply = 12000;       // mV
  int voltage = 4000;       // mV
  int currentTenths = 0;    // tenths of a mA
  int capacity = 0;         // mAh
  int phase = 1;            // 1..9 known
  char filler = '0';        // bytes that are not decoded
};

struct Gen3Values {
  int supply = 12000;       // mV
  int state1 = 0;           // 0..9
  int algorithm1 = 0;       // 0..9
  int cycle = 1;
  int voltage1 = 4000, current1 = 0, capacity1 = 0;
  int temperatureTenths = 0;
  int probe = 0, fahrenheit = 0;
  int state2 = 0, mode2 = 0;
  int voltage2 = 4000, current2 = 0, capacity2 = 0;
  int cells[charger::gen3::kCellCount] = {};  // mV, cell 1 first
  char filler = '0';
};

std::string Hex(unsigned value, int digits);
std::string BuildGen2Frame(const Gen2Values& v);  // 32 bytes
std::string BuildGen3Frame(const Gen3Values& v);  // 102 bytes, valid checksum
// Sum of bytes 1..96 as the charger computes it (signed bytes).
int32_t Gen3Checksum(const std::string& frame);

}  // namespace sim
