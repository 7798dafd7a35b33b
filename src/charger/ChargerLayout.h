#pragma once
// What the charger sends and what the window keeps of it, in one place: the
// frame lengths and field positions of both generations, the buffers that
// hold them, the memories and the ports. Everything that reads a frame, the
// charger simulator and the tests build on these names, never on a second
// literal.
#include <cstdint>

namespace charger {

inline constexpr unsigned char kStartByte = 0x0C;
inline constexpr unsigned char kEndByte = 0x0D;

// Whole frames, start and end byte included.
inline constexpr int kGen2FrameLength = 32;
inline constexpr int kGen3FrameLength = 102;

inline constexpr int kFrameBufferSize = 256;
inline constexpr int kTraceSize = 512;
// The link counts as synchronised on this start byte since start-up.
inline constexpr int kSyncStartBytes = 3;

// Field positions, counted from the start byte. Two hexadecimal digits for a
// byte, four for a 16-bit value.
namespace gen2 {
inline constexpr int kMode = 3, kCycle = 5, kSupply = 7, kVoltage = 11, kCurrent = 15,
                     kCapacity = 19, kPhase = 23;
}  // namespace gen2

namespace gen3 {
inline constexpr int kSupply = 3, kState1 = 7, kAlgorithm1 = 9, kCycle = 11, kVoltage1 = 13,
                     kCurrent1 = 17, kCapacity1 = 21, kTemperature = 25, kProbe = 29,
                     kFahrenheit = 31, kState2 = 33, kMode2 = 35, kVoltage2 = 37,
                     kCurrent2 = 41, kCapacity2 = 45;
// Where each output's measurements stand.
struct OutputFields {
  int Voltage, Current, Capacity;
};
inline constexpr OutputFields kOutputFields[2] = {{kVoltage1, kCurrent1, kCapacity1},
                                                  {kVoltage2, kCurrent2, kCapacity2}};
// The checksum (four digits at kChecksum) is the byte sum of kSummedFirst..kSummedLast.
inline constexpr int kSummedFirst = 1, kSummedLast = 96, kChecksum = 97;
inline constexpr int kCellCount = 12;
// Cell k = 1..12.
constexpr int CellPosition(int k) { return kCapacity2 + 4 * k; }
static_assert(CellPosition(kCellCount) + 4 == kChecksum, "cells end where the checksum begins");
static_assert(kChecksum + 4 == kGen3FrameLength - 1, "the end byte follows the checksum");
}  // namespace gen3
static_assert(gen2::kPhase + 2 < kGen2FrameLength - 1, "generation-2 fields end before the end byte");
// Cell arrays count from 1, as the cells are numbered: entry 0 is not used.
inline constexpr int kCellArraySize = gen3::kCellCount + 1;

// Capacity memories per column: all ten shown for generation 3, three used by
// generation 2.
inline constexpr int kMemoryCount = 10;
inline constexpr int kGen2MemoryCount = 3;
// COM1 .. COM6 in the port menu.
inline constexpr int kPortCount = 6;

// One upper-case hexadecimal digit to its value. Deliberately unchecked: a
// stray byte converts by the same formula, and the generation-3 checksum
// catches it.
inline int32_t Hexa2Dec(char c) {
  const int32_t v = static_cast<signed char>(c);
  return v >= 0x41 ? v - 55 : v - 48;
}
inline int32_t Field2(const char* frame, int pos) {
  return Hexa2Dec(frame[pos]) * 16 + Hexa2Dec(frame[pos + 1]);
}
inline int32_t Field4(const char* frame, int pos) {
  return Hexa2Dec(frame[pos]) * 4096 + Hexa2Dec(frame[pos + 1]) * 256 +
         Hexa2Dec(frame[pos + 2]) * 16 + Hexa2Dec(frame[pos + 3]);
}

}  // namespace charger
