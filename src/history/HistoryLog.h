#pragma once
// What a pack's maintenance log holds. Each pack has its own database file in
// Packs/ (pack::PackPath); the pack name only ever names that file and never
// enters SQL text, so any name opens its own log and nothing else.
#include <cstdint>
#include <string_view>

namespace history {
inline constexpr const char* kConnectionName = "Historique";
inline constexpr const char* kTableName = "Records";
inline constexpr int kFieldCount = 4;
inline constexpr const char* kFieldNames[kFieldCount] = {"Date", "ChargedCapacity", "DischargedCapacity",
                                                         "Resistor"};
inline constexpr int kDateColumn = 0;
inline constexpr int kDateMaxChars = 20;
// How long a statement waits for a log that another program holds before it
// fails: the window and the charger display stand still for that long.
inline constexpr int kBusyWaitMs = 200;

// Creates the empty table the first time a log is opened; a no-op afterwards.
const char* CreateTableSql();

// A number cell's text: empty (no value), a whole number that fits 32 bits,
// or anything else, which the cell refuses.
enum class NumberText { Empty, Whole, Refused };
NumberText ParseNumber(std::string_view text, int32_t* value);
}  // namespace history
