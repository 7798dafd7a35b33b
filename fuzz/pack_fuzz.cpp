// Feeds arbitrary texts to the pack description reader: line ends, blanks,
// zero bytes, long words, any encoding. Any crash, overrun or undefined
// behaviour is a finding, and so is a value beyond the length limit or a
// value that is not UTF-8.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "monitor/PackFile.h"

namespace {
size_t Chars(const std::string& s) {
  size_t n = 0;
  for (unsigned char c : s) n += (c & 0xC0) != 0x80;
  return n;
}

void Check(const std::string& value) {
  if (Chars(value) > pack::kMaxValueChars) std::abort();
  if (!value.empty() && (value.back() == ' ' || value.front() == ' ')) std::abort();
  // Every value is whole UTF-8: it never ends inside a character.
  size_t i = value.size();
  size_t back = 0;
  while (i > 0 && (static_cast<unsigned char>(value[i - 1]) & 0xC0) == 0x80 && back < 4) --i, ++back;
  if (i > 0) {
    const unsigned char lead = static_cast<unsigned char>(value[i - 1]);
    const size_t len = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    if (len != back + 1) std::abort();
  }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  pack::PackFields f;
  const int lines = pack::ParsePack(reinterpret_cast<const char*>(data), size, f);
  if (lines < 1) std::abort();
  for (const std::string* v : {&f.Type, &f.Capacity, &f.NbElements, &f.Charge, &f.Decharge,
                               &f.Coupure, &f.DeltaPeak, &f.Reference})
    Check(*v);
  return 0;
}
