#pragma once
// Pack description files ("./Packs/<name>.pck"): a free title line, then
// eight lines, each a label word followed by its value. Lines are known by
// their position only; the labels are never looked at. The user writes these
// files with a text editor, so the reader takes what editors produce: CR LF
// or LF line ends, stray blanks, UTF-8 or Windows-1252 text.
#include <cstddef>
#include <string>

namespace pack {

// Values exactly as they stand in the file, as UTF-8.
struct PackFields {
  std::string Type;        // line 1, every word after the label
  std::string Capacity;    // line 2, first word after the label
  std::string NbElements;  // line 3, first word after the label
  std::string Charge;      // line 4, first word after the label
  std::string Decharge;    // line 5, first word after the label
  std::string Coupure;     // line 6, first word after the label
  std::string DeltaPeak;   // line 7, every word after the label
  std::string Reference;   // line 8, every word after the label
  bool operator==(const PackFields&) const = default;
};

// The reader reads at most this many bytes; the rest of a longer file is
// not looked at.
constexpr size_t kMaxTextBytes = 16383;
// Longest word, and longest joined value, in characters.
constexpr size_t kMaxValueChars = 63;

// Reads the file into fields. 0 when the file cannot be opened and read (the
// fields are then left as they were); otherwise the number of lines counted,
// the end-of-text line included (at least 1, also for an empty file).
int ImportPack(const char* path, PackFields& fields);

// The same rules on a text in memory. The fields are emptied first.
int ParsePack(const char* data, size_t size, PackFields& fields);

// "./Packs/" + packName + ".pck" into out. False, with out empty, when the
// path does not fit in size bytes with its terminator.
bool PackPath(const char* packName, char* out, size_t size);

}  // namespace pack
