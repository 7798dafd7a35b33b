#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "texts/Catalogue.h"
#include "texts/TextIds.h"

namespace {
struct Entry {
  int n;
  const char* fr;
  const char* en;
};

// Entries whose exact bytes matter most: blanks at either end, accents,
// formats, and the English misspellings that users see.
const Entry kEntries[] = {
    {0, "Version 3.16 ", "Version 3.16 "},
    {2, "Zephyral", "Zephyral"},
    {3, "Contr\xc3\xb4leur pour chargeurs Zephyral", "    Zephyral Loaders Software"},
    {5, "Logiciel pour les chargeurs Zephyral", "Zephyral Loaders Software"},
    {17, "Erreur ouverture driver serie COM1", "Error while opening serial driver COM1"},
    {18, "Pas de COM1", "No COM1 port"},
    {19, "Driver s\xc3\xa9rie COM1 ouvert ", "Serial port COM1 opened "},
    {20, "Fermeture", "Closing"},
    {21, "Pas ouvert", "Not Opened"},
    {36, "Driver s\xc3\xa9rie COM6 ouvert ", "Serial port COM6 opened "},
    {64, "Sortie 1", "Out 1"},
    {72, "Op\xc3\xa9ration en cours sur la sortie 2", "Output 2 Op\xc3\xa9ration"},
    {81, "Moyenne = %4d mV", "Average = %4d mV"},
    {84, "M\xc3\xa9moires", "M\xc3\xa9mories"},
    {101, "D\xc3\xa9" "connexion", "Deconnection"},
    {105, "Trop de donn\xc3\xa9" "es enregistr\xc3\xa9" "es !", "Too many datas recorded !"},
    {114, "Zephyral (version inconnue %d)", "Zephyral (unknown version %d)"},
    {115, "Zephyral (V2)", "Zephyral (V2)"},
    {116, "Zephyral (V3)", "Zephyral (V3)"},
    {117, "Op\xc3\xa9ration en cours sur la sortie 2", "Out 2 operation"},
    {124, "Toutes les secondes une nouvelle trame envoy\xc3\xa9" "e par le chargeur s'affiche ici !",
     "Every seconds a new frame send by the loader is displayed here !"},
    {131, "L", "B"},
    {132, "- aucun -", "- none -"},
};

TEST(Catalogue, KnownEntriesByteForByte) {
  for (const Entry& e : kEntries) {
    EXPECT_STREQ(texts::fr::Table[e.n], e.fr) << "entry " << e.n;
    EXPECT_STREQ(texts::en::Table[e.n], e.en) << "entry " << e.n;
  }
}

TEST(Catalogue, BlanksOnlyWhereIntended) {
  const std::set<int> trailing = {0, 19, 24, 27, 30, 33, 36};
  for (int lang = 0; lang < 2; ++lang) {
    const char* const* table = lang ? texts::en::Table : texts::fr::Table;
    for (int n = 0; n < texts::kTextCount; ++n) {
      std::string s = table[n];
      ASSERT_FALSE(s.empty()) << n;
      EXPECT_EQ(s.back() == ' ', trailing.count(n) == 1) << "entry " << n << " lang " << lang;
      const bool leadingExpected = n == 1 || (lang == 1 && n == 3);
      EXPECT_EQ(s.front() == ' ', leadingExpected) << "entry " << n << " lang " << lang;
      if (leadingExpected) {
        EXPECT_EQ(s.rfind("    ", 0), 0u) << n;
      }
      EXPECT_EQ(s.find('\t'), std::string::npos);
      EXPECT_EQ(s.find('\n'), std::string::npos);
    }
  }
}

TEST(Catalogue, DistinctTextCounts) {
  std::set<std::string> fr(texts::fr::Table, texts::fr::Table + texts::kTextCount);
  std::set<std::string> en(texts::en::Table, texts::en::Table + texts::kTextCount);
  EXPECT_EQ(fr.size(), 125u);
  EXPECT_EQ(en.size(), 126u);
}

TEST(Catalogue, NoticeLineIsTheSameInBothBuilds) {
  EXPECT_STREQ(texts::fr::Table[txt::Notice], texts::en::Table[txt::Notice]);
}

TEST(Catalogue, NamedEntriesPointAtTheirTexts) {
  EXPECT_STREQ(texts::fr::Table[txt::TooManySamples], "Trop de donn\xc3\xa9" "es enregistr\xc3\xa9" "es !");
  EXPECT_STREQ(texts::fr::Table[txt::NoPack], "- aucun -");
  EXPECT_STREQ(texts::fr::Table[txt::ChargerData], "Donn\xc3\xa9" "es Chargeur");
}
}  // namespace
