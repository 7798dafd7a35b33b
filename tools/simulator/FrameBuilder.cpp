#include "FrameBuilder.h"

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
  std::string f(32, v.filler);
  f[0] = 0x0C;
  f[31] = 0x0D;
  Put(f, 3, static_cast<unsigned>(v.mode), 2);
  Put(f, 5, static_cast<unsigned>(v.cycle), 2);
  Put(f, 7, static_cast<unsigned>(v.supply), 4);
  Put(f, 11, static_cast<unsigned>(v.voltage), 4);
  Put(f, 15, static_cast<unsigned>(v.currentTenths), 4);
  Put(f, 19, static_cast<unsigned>(v.capacity), 4);
  Put(f, 23, static_cast<unsigned>(v.phase), 2);
  return f;
}

int32_t Gen3Checksum(const std::string& frame) {
  int32_t sum = 0;
  for (size_t i = 1; i <= 96 && i < frame.size(); ++i) sum += static_cast<signed char>(frame[i]);
  return sum;
}

std::string BuildGen3Frame(const Gen3Values& v) {
  std::string f(102, v.filler);
  f[0] = 0x0C;
  f[101] = 0x0D;
  Put(f, 3, static_cast<unsigned>(v.supply), 4);
  Put(f, 7, static_cast<unsigned>(v.state1), 2);
  Put(f, 9, static_cast<unsigned>(v.algorithm1), 2);
  Put(f, 11, static_cast<unsigned>(v.cycle), 2);
  Put(f, 13, static_cast<unsigned>(v.voltage1), 4);
  Put(f, 17, static_cast<unsigned>(v.current1), 4);
  Put(f, 21, static_cast<unsigned>(v.capacity1), 4);
  Put(f, 25, static_cast<unsigned>(v.temperatureTenths), 4);
  Put(f, 29, static_cast<unsigned>(v.probe), 2);
  Put(f, 31, static_cast<unsigned>(v.fahrenheit), 2);
  Put(f, 33, static_cast<unsigned>(v.state2), 2);
  Put(f, 35, static_cast<unsigned>(v.mode2), 2);
  Put(f, 37, static_cast<unsigned>(v.voltage2), 4);
  Put(f, 41, static_cast<unsigned>(v.current2), 4);
  Put(f, 45, static_cast<unsigned>(v.capacity2), 4);
  for (int k = 1; k <= 12; ++k) Put(f, 45 + 4 * k, static_cast<unsigned>(v.cells[k - 1]), 4);
  Put(f, 97, static_cast<unsigned>(Gen3Checksum(f)) & 0xFFFF, 4);
  return f;
}

}  // namespace sim
