#pragma once
// Number texts of the window, always as the C locale writes them: the GUI
// sets the C library's locale from the environment, and a French locale would
// turn "%5.1f" into a decimal comma. std::to_chars ignores the locale and
// rounds exactly as printf does in the C locale.
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace numtext {

// printf("%*.*f", width, decimals, value) into out (size bytes, NUL ended).
// Returns the length written; a text that does not fit is cut short.
inline size_t Fixed(char* out, size_t size, double value, int width, int decimals) {
  if (size == 0) return 0;
  char digits[400];  // the widest double with a few decimals fits easily
  auto r = std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed, decimals);
  size_t len = r.ec == std::errc() ? static_cast<size_t>(r.ptr - digits) : 0;
  size_t pad = width > 0 && static_cast<size_t>(width) > len ? static_cast<size_t>(width) - len : 0;
  size_t n = 0;
  for (; n < pad && n + 1 < size; ++n) out[n] = ' ';
  for (size_t i = 0; i < len && n + 1 < size; ++i) out[n++] = digits[i];
  out[n] = '\0';
  return n;
}

// printf("%d<suffix>", value) into out (size bytes, NUL ended).
inline size_t Decimal(char* out, size_t size, int32_t value, const char* suffix = "") {
  if (size == 0) return 0;
  char digits[16];
  auto r = std::to_chars(digits, digits + sizeof digits, value);
  size_t n = 0;
  for (const char* p = digits; p < r.ptr && n + 1 < size; ++p) out[n++] = *p;
  for (const char* p = suffix; *p && n + 1 < size; ++p) out[n++] = *p;
  out[n] = '\0';
  return n;
}

}  // namespace numtext
