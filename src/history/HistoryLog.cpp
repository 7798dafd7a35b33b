#include "history/HistoryLog.h"

#include <limits>

namespace history {
const char* CreateTableSql() {
  return "CREATE TABLE IF NOT EXISTS Records (Date VARCHAR(20), ChargedCapacity INTEGER, "
         "DischargedCapacity INTEGER, Resistor INTEGER)";
}

NumberText ParseNumber(std::string_view text, int32_t* value) {
  if (text.empty()) return NumberText::Empty;
  size_t i = 0;
  const bool negative = text[0] == '-';
  if (negative) ++i;
  if (i == text.size()) return NumberText::Refused;
  int64_t n = 0;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c < '0' || c > '9') return NumberText::Refused;
    n = n * 10 + (c - '0');
    if (n > int64_t{std::numeric_limits<int32_t>::max()} + 1) return NumberText::Refused;
  }
  if (negative) n = -n;
  if (n > std::numeric_limits<int32_t>::max() || n < std::numeric_limits<int32_t>::min())
    return NumberText::Refused;
  *value = static_cast<int32_t>(n);
  return NumberText::Whole;
}
}  // namespace history
