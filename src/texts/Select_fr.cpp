#include "texts/Catalogue.h"

namespace texts {
const char* const* const Active = fr::Table;
const bool ActiveIsEnglish = false;
}
