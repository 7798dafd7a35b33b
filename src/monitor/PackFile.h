#pragma once
// Pack description files ("./Packs/<name>.pck"): a free title line, then
// eight lines, each a label word followed by its value. Lines are known by
// their position only; the labels are never looked at. The user writes these
// files with a text editor, so the reader takes what editors produce: CR LF
// or LF line ends, stray blanks, UTF-8 or Windows-1252 text.
#include <cstddef>
#include <string>
#include <string_view>

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

// A pack's text as UTF-8: its bytes as they are when they are UTF-8, else
// read as Windows-1252, as files made on Windows keep their accents. Pack
// files and pack names (file names are bytes) are both shown this way.
std::string TextToUtf8(std::string_view bytes);

// A pack name is the bytes of its file's name before the ending, which is
// ".pck" in any case.
constexpr size_t kEndingBytes = 4;
// The pack name fields hold a name and its terminator in 128 bytes.
constexpr size_t kMaxNameBytes = 127;

// A name that the pack name fields hold whole, as bytes and as shown text,
// and that names a file in Packs/ and in Exports/. Every path built from it
// fits the system's limits.
bool UsableName(std::string_view name);

// The files of one pack, each named after it.
enum class PackFile {
  Description,  // "Packs/<name><ending>", the ending in its own case
  Log,          // "Packs/<name>.db", the maintenance log
  Curve,        // "Exports/<name>.txt"; an empty name gives "NonDefini"
};
// Where one of a pack's files lies, relative to the working directory; the
// name is taken as bytes.
std::string PackPath(PackFile file, std::string_view name, std::string_view ending = ".pck");

}  // namespace pack
