#include "history/HistoryTexts.h"

#include "texts/Catalogue.h"

namespace history {
namespace {
constexpr int kCount = static_cast<int>(Said::Count);

const char* const kFrench[kCount] = {
    "L'enregistrement a été modifié ailleurs",
    "Aucune valeur lue pour cet enregistrement",
    "'%1' n'est pas un nombre entier valide",
    "L'enregistrement n'est pas écrit.",
    "Réessayer",
    "Quitter sans l'écrire",
};

const char* const kEnglish[kCount] = {
    "The record was changed elsewhere",
    "No values read for this record",
    "'%1' is not a valid whole number",
    "The record is not written.",
    "Try again",
    "Leave without it",
};
}  // namespace

const char* Say(Said what) { return (texts::ActiveIsEnglish ? kEnglish : kFrench)[static_cast<int>(what)]; }
}  // namespace history
