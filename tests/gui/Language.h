#pragma once
// Which catalogue this test binary was linked with.
#include <string>

#ifdef ZEPHYRAL_LANG_EN
constexpr bool kEnglish = true;
#else
constexpr bool kEnglish = false;
#endif

// The French or the English text, as this build shows it.
inline std::string Lang(const char* fr, const char* en) { return kEnglish ? en : fr; }
