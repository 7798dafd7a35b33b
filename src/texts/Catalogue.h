#pragma once
// The user-text catalogue: 133 texts per language, addressed by a fixed entry
// number. The language is chosen when an executable is linked (Select_fr.cpp or
// Select_en.cpp); both tables are always compiled so that tests can see both.

namespace texts {
constexpr int kTextCount = 133;

namespace fr { extern const char* const Table[kTextCount]; }
namespace en { extern const char* const Table[kTextCount]; }

// The table of this build's language; defined by the Select_<lang>.cpp file
// that the executable links.
extern const char* const* const Active;
extern const bool ActiveIsEnglish;
}  // namespace texts

// Entry n of this build's catalogue, unchanged. n is always a fixed entry number.
inline const char* UserTexts(int n) { return texts::Active[n]; }
