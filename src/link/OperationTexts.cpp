#include "link/OperationTexts.h"

#include <cstddef>

#include "texts/Catalogue.h"
#include "texts/TextIds.h"

namespace optext {
namespace {

// A table row is either a catalogue entry (language-dependent) or a code text
// that reads the same in both builds.
struct Text {
  int entry;            // catalogue entry, or -1
  const char* literal;  // used when entry is -1
};

constexpr int kCode = -1;

const char* Resolve(const Text& t) { return t.entry == kCode ? t.literal : UserTexts(t.entry); }

const char* Lookup(const Text* table, int32_t count, int32_t code, const char* fallback) {
  if (code < 0 || code >= count) return fallback;
  return Resolve(table[code]);
}

template <std::size_t N>
constexpr int32_t Rows(const Text (&)[N]) {
  return static_cast<int32_t>(N);
}

// Rows are indexed by the code, from 0 (generation-2 modes from 0x30).
const Text kGen2Modes[] = {
    {txt::WordCharge, nullptr},           // 0x30
    {txt::WordDischarge, nullptr},        // 0x31
    {txt::ModeChargeDischarge, nullptr},  // 0x32
    {txt::ModeDischargeCharge, nullptr},  // 0x33
    {txt::ModeLead, nullptr},             // 0x34
    {txt::ModeLithium, nullptr},          // 0x35
};
constexpr int32_t kGen2FirstMode = 0x30;

// Phases 2, 5 and 6 charge ("C"), 3, 4 and 7 discharge ("D").
const char* const kPhaseLetters[] = {"?", "R", "C", "D", "D", "C", "C", "D", "F", "P"};

const Text kAlgorithmTags[] = {
    {txt::TagAutomatic, nullptr},  // 0
    {txt::TagNormal, nullptr},     // 1
    {txt::TagLinear, nullptr},     // 2
    {txt::TagReflex, nullptr},     // 3
    {txt::TagCcCv, nullptr},       // 4
    {kCode, "[Algo 5?]"},          // 5
    {kCode, "[Algo 6?]"},          // 6
    {kCode, "[Algo 7?]"},          // 7
    {kCode, "[Algo 8?]"},          // 8
    {kCode, "[Algo 9?]"},          // 9
};

const Text kState1Words[] = {
    {txt::WordStop, nullptr},           // 0
    {txt::WordCharge, nullptr},         // 1
    {txt::WordDischarge, nullptr},      // 2
    {txt::WordPause, nullptr},          // 3
    {kCode, "Op 4?"},                   // 4
    {txt::WordEnd, nullptr},            // 5
    {txt::WordDisconnection, nullptr},  // 6
    {kCode, "Op 7?"},                   // 7
    {kCode, "Op 8?"},                   // 8
    {kCode, "Op 9?"},                   // 9
};

const Text kMode2Texts[] = {
    {txt::TagAutomatic, nullptr},       // 0
    {txt::TagManual, nullptr},          // 1
    {kCode, "[Status2 2?]"},            // 2
    {txt::WordDisconnection, nullptr},  // 3
    {kCode, "[Status2 4?]"},            // 4
    {kCode, "[Status2 5?]"},            // 5
    {kCode, "[Status2 6?]"},            // 6
    {kCode, "[Status2 7?]"},            // 7
};

// Output 2's charge word is its own catalogue entry; its end (5) also
// replaces the mode text, which the caller does.
const Text kState2Words[] = {
    {txt::WordStop, nullptr},     // 0
    {txt::WordCharge2, nullptr},  // 1
    {kCode, "Op 2?"},             // 2
    {kCode, "Op 3?"},             // 3
    {kCode, "Op 4?"},             // 4
    {txt::WordEnd, nullptr},      // 5
    {txt::WordError, nullptr},    // 6
    {kCode, "Op 7?"},             // 7
};

}  // namespace

const char* Gen2ModeText(int32_t mode) {
  return Lookup(kGen2Modes, Rows(kGen2Modes), mode - kGen2FirstMode, "?");
}

const char* Gen2PhaseLetter(int32_t phase) {
  if (phase < 0 || phase > 9) return "?";
  return kPhaseLetters[phase];
}

const char* AlgorithmTag(int32_t algorithm) {
  return Lookup(kAlgorithmTags, Rows(kAlgorithmTags), algorithm, "[Algo Def]");
}

const char* State1Word(int32_t state) {
  return Lookup(kState1Words, Rows(kState1Words), state, "Op Def?");
}

const char* EndTag(int32_t previousState, int32_t previousAlgorithm) {
  constexpr int32_t kCharge = 1, kDischarge = 2, kCcCv = 4;
  if (previousState == kCharge)
    return UserTexts(previousAlgorithm == kCcCv ? txt::TagPackFull : txt::TagDeltaPeak);
  if (previousState == kDischarge) return UserTexts(txt::TagCut);
  return nullptr;
}

const char* Mode2Text(int32_t mode) {
  return Lookup(kMode2Texts, Rows(kMode2Texts), mode, "[Def ?]");
}

const char* State2Word(int32_t state) {
  return Lookup(kState2Words, Rows(kState2Words), state, "Op Def?");
}

}  // namespace optext
