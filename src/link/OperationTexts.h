#pragma once
// The texts that name what the charger is doing: generation-2 mode texts and
// phase letters, generation-3 algorithm tags, state words and output-2 modes.
// Each lookup takes the code as decoded (any int, including codes the charger
// never sends) and gives a text that lives for the whole run.
#include <cstdint>

namespace optext {

// Generation 2, EditOperatingMode1: mode code 0x30..0x35, else "?".
const char* Gen2ModeText(int32_t mode);
// Generation 2, EditOperatingMode2: phase 1..9, else "?".
const char* Gen2PhaseLetter(int32_t phase);

// Generation 3, output 1: tag of the charge algorithm.
const char* AlgorithmTag(int32_t algorithm);
// Generation 3, output 1: word of the state (3 "Pause" and 5 "Fin" included;
// the end rule that decides whether they are appended is the caller's).
const char* State1Word(int32_t state);
// Tag that replaces the algorithm's when a pause or an end follows a charge
// (depends on the algorithm of that charge) or a discharge; nullptr when the
// algorithm's tag stays.
const char* EndTag(int32_t previousState, int32_t previousAlgorithm);

// Generation 3, output 2.
const char* Mode2Text(int32_t mode);
const char* State2Word(int32_t state);

}  // namespace optext
