#include "texts/Catalogue.h"

namespace texts {
const char* const* const Active = en::Table;
const bool ActiveIsEnglish = true;
}
