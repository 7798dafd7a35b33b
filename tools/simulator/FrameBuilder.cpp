#include "FrameBuilder.h"

#include "charger/ChargerLayout.h"

namespace sim {

std::string Hex(unsigned value, int digits) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string s(static_cast<size_t>(digits), '0');
  for (int i = digits - 1; i >= 0; --i) {
    s[static_cast<size_t>(i)] = kDigits[value & 0xF];
    value >>= 4;
  }
  return s;
}

namespace {
void Put(std::string& frame, int pos, unsigned value, int digits) {
  frame.replace(static_cast<size_t>(pos), static_cast<size_t>(digits), Hex(value, digits));
}
}  // namespace

std::string BuildGen2Frame(const Gen2Values& v) {
  using namespace charger::gen2;
  std::string f(charger::kGen2FrameLength, v.filler);
  f.front() = static_cast<char>(charger::kStartByte);
  f.back() = static_cast<char>(charger::kEndByte);
  Put(f, kMode, static_cast<unsigned>(v.mode), 2);
  Put(f, kCycle, static_cast<unsigned>(v.cycle), 2);
  Put(f, kSupply, static_cast<unsigned>(v.supply), 4);
  Put(f, kVoltage, static_cast<unsigned>(v.voltage), 4);
  Put(f, kCurrent, static_cast<unsigned>(v.currentTenths), 4);
  Put(f, kCapacity, static_cast<unsigned>(v.capacity), 4);
  Put(f, kPhase, static_cast<unsigned>(v.phase), 2);
  return f;
}

int32_t Gen3Checksum(const std::string& frame) {
  using namespace charger::gen3;
  int32_t sum = 0;
  for (size_t i = kSummedFirst; i <= kSummedLast && i < frame.size(); ++i)
    sum += static_cast<signed char>(frame[i]);
  return sum;
}

std::string BuildGen3Frame(const Gen3Values& v) {
  using namespace charger::gen3;
  std::string f(charger::kGen3FrameLength, v.filler);
  f.front() = static_cast<char>(charger::kStartByte);
  f.back() = static_cast<char>(charger::kEndByte);
  Put(f, kSupply, static_cast<unsigned>(v.supply), 4);
  Put(f, kState1, static_cast<unsigned>(v.state1), 2);
  Put(f, kAlgorithm1, static_cast<unsigned>(v.algorithm1), 2);
  Put(f, kCycle, static_cast<unsigned>(v.cycle), 2);
  Put(f, kVoltage1, static_cast<unsigned>(v.voltage1), 4);
  Put(f, kCurrent1, static_cast<unsigned>(v.current1), 4);
  Put(f, kCapacity1, static_cast<unsigned>(v.capacity1), 4);
  Put(f, kTemperature, static_cast<unsigned>(v.temperatureTenths), 4);
  Put(f, kProbe, static_cast<unsigned>(v.probe), 2);
  Put(f, kFahrenheit, static_cast<unsigned>(v.fahrenheit), 2);
  Put(f, kState2, static_cast<unsigned>(v.state2), 2);
  Put(f, kMode2, static_cast<unsigned>(v.mode2), 2);
  Put(f, kVoltage2, static_cast<unsigned>(v.voltage2), 4);
  Put(f, kCurrent2, static_cast<unsigned>(v.current2), 4);
  Put(f, kCapacity2, static_cast<unsigned>(v.capacity2), 4);
  for (int k = 1; k <= kCellCount; ++k) Put(f, CellPosition(k), static_cast<unsigned>(v.cells[k - 1]), 4);
  Put(f, kChecksum, static_cast<unsigned>(Gen3Checksum(f)) & 0xFFFF, 4);
  return f;
}

}  // namespace sim
