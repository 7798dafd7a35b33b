// Pack description files: the word rules by line position, line ends, the
// end of the text, limits, encodings, and the file itself.
#include "monitor/PackFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace pack {
void PrintTo(const PackFields& f, std::ostream* os) {
  *os << "[" << f.Type << "|" << f.Capacity << "|" << f.NbElements << "|" << f.Charge << "|"
      << f.Decharge << "|" << f.Coupure << "|" << f.DeltaPeak << "|" << f.Reference << "]";
}
}  // namespace pack

namespace {

using pack::PackFields;

// Fields in file order; those left out are empty.
PackFields P(std::string type = "", std::string capacity = "", std::string cells = "",
             std::string charge = "", std::string decharge = "", std::string coupure = "",
             std::string deltaPeak = "", std::string reference = "") {
  return {type, capacity, cells, charge, decharge, coupure, deltaPeak, reference};
}

const char kFull[] =
    "Mon pack\r\nType Li Po\r\nCapacite 2200 mAh\r\nElements 3\r\nCharge 2000\r\n"
    "Decharge 1500\r\nCoupure 9000\r\nDeltaPeak 5 mV\r\nReference AB 12\r\n";
const PackFields kFullFields = P("Li Po", "2200", "3", "2000", "1500", "9000", "5 mV", "AB 12");

PackFields Only(std::string PackFields::*field, const std::string& value) {
  PackFields f = P();
  f.*field = value;
  return f;
}

TEST(PackFile, WordRulesByLinePosition) {
  const std::string w70(70, 'w'), w63(63, 'w');
  std::string e70, e63;
  for (int i = 0; i < 70; ++i) e70 += "\xC3\xA9";  // é, two bytes each
  for (int i = 0; i < 63; ++i) e63 += "\xC3\xA9";
  const std::string w40(40, 'a'), w30(30, 'b');
  const struct {
    const char* what;
    std::string text;
    PackFields fields;
    int lines;
  } rows[] = {
      {"empty file", "", P(), 1},
      {"title line only", "Titre\r\n", P(), 2},
      {"all eight lines", kFull, kFullFields, 10},
      {"type of two words", "T\r\nType Li Po\r\n", Only(&PackFields::Type, "Li Po"), 3},
      {"type of one word", "T\r\nType LiPo\r\n", Only(&PackFields::Type, "LiPo"), 3},
      {"type alone", "T\r\nLiPo\r\n", Only(&PackFields::Type, "LiPo"), 3},
      {"capacity first word", "T\r\nx\r\nCapacite 2200 mAh\r\n", P("x", "2200"), 4},
      {"capacity label alone", "T\r\nx\r\nCapacite\r\n", Only(&PackFields::Type, "x"), 4},
      {"empty lines, leading and repeated blanks, tabs",
       "\r\n  T\r\n\r\n\t Type \t Li   Po\r\n\r\n   \r\n Capacite\t\t2200\r\n",
       P("Li Po", "2200"), 4},
      {"ninth line and later ignored", std::string(kFull) + "Extra 1 2\r\nMore 3\r\n", kFullFields, 12},
      {"last line without end, many words", "T\r\nx\r\nx\r\nx\r\nx\r\nx\r\nx\r\nx\r\nReference AB 12",
       P("x", "", "", "", "", "", "x", "AB 12"), 9},
      {"last line without end, two words", "T\r\nx\r\nCapacite 2200", P("x", "2200"), 3},
      {"last line without end keeps the last word", "T\r\nx\r\nCapacite 2200 mAh",
       P("x", "mAh"), 3},
      {"last label alone without end", "T\r\nx\r\nCapacite", P("x", "Capacite"), 3},
      {"last line ending in blanks reads as a line end", "T\r\nx\r\nCapacite 2200 mAh \t",
       P("x", "2200"), 4},
      {"last line ending in a lone CR reads as a line end", "T\r\nx\r\nCapacite 2200 mAh\r",
       P("x", "2200"), 4},
      {"LF line ends", "T\nType Li Po\nCapacite 2200 mAh\n", P("Li Po", "2200"), 4},
      {"mixed line ends", "T\r\nType Li Po\nCapacite 2200\r\n", P("Li Po", "2200"), 4},
      {"blanks before the line end end the line",
       "T \r\nType Li Po \r\nCapacite \t\r\nElements 3  \r\n",
       P("Li Po", "", "3"), 5},
      {"text ends at the first zero byte", std::string("T\r\nType LiPo\r\nCap 22", 20) + '\0' + "00 mAh\r\n",
       P("LiPo", "22"), 3},
      {"word cut at 63 characters", "T\r\nType " + w70 + "\r\nCap " + w70 + "\r\n",
       P(w63, w63), 4},
      {"cut never splits a UTF-8 character", "T\r\nType " + e70 + "\r\n", Only(&PackFields::Type, e63), 3},
      {"joined value cut at 63 without a trailing blank", "T\r\nType " + w40 + " " + w30 + "\r\n",
       Only(&PackFields::Type, w40 + " " + std::string(22, 'b')), 3},
      {"joined value cut right after a blank", "T\r\nType " + std::string(62, 'a') + " " + w30 + "\r\n",
       Only(&PackFields::Type, std::string(62, 'a')), 3},
      {"UTF-8 text stays", "T\r\nType NiMh\xC3\xA9\r\n", Only(&PackFields::Type, "NiMh\xC3\xA9"), 3},
      {"Windows-1252 text converted", "T\r\nType NiMh\xE9 \x80\r\n",
       Only(&PackFields::Type, "NiMh\xC3\xA9 \xE2\x82\xAC"), 3},
      {"one stray byte makes the whole text Windows-1252", "T\r\nType \xC3\xA9\r\nCap \xE9\r\n",
       P("\xC3\x83\xC2\xA9", "\xC3\xA9"), 4},
  };
  for (const auto& r : rows) {
    PackFields f;
    f.Reference = "stale";
    EXPECT_EQ(pack::ParsePack(r.text.data(), r.text.size(), f), r.lines) << r.what;
    EXPECT_EQ(f, r.fields) << r.what;
  }
}

class PackDir : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/zpack.XXXXXX";
    ASSERT_NE(::mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string Write(const char* name, const std::string& bytes) {
    const std::string path = dir_ + "/" + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }
  std::string dir_;
};

TEST_F(PackDir, ReadOnlyFileLoadsAndUnreadablePathsLeaveTheFields) {
  const std::string path = Write("ro.pck", kFull);
  ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
  PackFields f;
  EXPECT_EQ(pack::ImportPack(path.c_str(), f), 10);
  EXPECT_EQ(f, kFullFields);

  const std::string pipe = dir_ + "/pipe.pck";
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0644), 0);
  for (const std::string& bad : {dir_ + "/missing.pck", dir_, pipe}) {
    PackFields kept;
    kept.Type = "kept";
    EXPECT_EQ(pack::ImportPack(bad.c_str(), kept), 0) << bad;
    EXPECT_EQ(kept.Type, "kept") << bad;
  }
}

TEST_F(PackDir, FileOfTheLimitIsReadUpToItsLastByteButOne) {
  // Line 8's value ends on byte 16384 of the file: the reader keeps 16383.
  auto sized = [](const std::string& last) {
    const std::string tail = "T\r\nx\r\nx\r\nx\r\nx\r\nx\r\nx\r\nx\r\nReference " + last;
    return std::string(16384 - tail.size() - 2, ' ') + "\r\n" + tail;
  };
  const struct {
    const char* name;
    std::string last, value;
  } rows[] = {
      {"ascii.pck", "AB 12", "AB 1"},
      // A UTF-8 character cut by the limit does not make the text Windows-1252.
      {"utf8.pck", "AB \xC3\xA9\xC3\xA9", "AB \xC3\xA9"},
  };
  for (const auto& r : rows) {
    const std::string text = sized(r.last);
    ASSERT_EQ(text.size(), 16384u);
    PackFields f;
    EXPECT_EQ(pack::ImportPack(Write(r.name, text).c_str(), f), 9) << r.name;
    EXPECT_EQ(f.Reference, r.value) << r.name;
  }
}

// Each of a pack's files is named by the pack name's bytes, and the
// description file by its ending's own case.
TEST(PackFile, EveryFileOfAPackIsNamedByItsBytes) {
  using pack::PackFile;
  const std::string longest(pack::kMaxNameBytes, 'n');
  const struct {
    PackFile file;
    std::string name, ending, path;
  } rows[] = {
      {PackFile::Description, "LiPo3S", ".pck", "Packs/LiPo3S.pck"},
      {PackFile::Description, "Mixed", ".Pck", "Packs/Mixed.Pck"},
      {PackFile::Description, "- aucun -", ".pck", "Packs/- aucun -.pck"},
      {PackFile::Description, longest, ".PCK", "Packs/" + longest + ".PCK"},
      {PackFile::Log, "Accu\xE9", ".pck", "Packs/Accu\xE9.db"},
      {PackFile::Log, "- aucun -", ".pck", "Packs/- aucun -.db"},
      {PackFile::Curve, "Accu\xE9", ".pck", "Exports/Accu\xE9.txt"},
      {PackFile::Curve, "- aucun -", ".pck", "Exports/- aucun -.txt"},
      {PackFile::Curve, "", ".pck", "Exports/NonDefini.txt"},
      {PackFile::Curve, longest, ".pck", "Exports/" + longest + ".txt"},
  };
  for (const auto& r : rows) EXPECT_EQ(pack::PackPath(r.file, r.name, r.ending), r.path);
}

// A usable name fits the pack name fields whole, as bytes and as shown.
TEST(PackFile, UsableNamesFitTheNameFieldsAsBytesAndAsShown) {
  const std::string n127(127, 'n');
  const std::string accents = "Z" + std::string(99, 'a') + std::string(10, '\xE9');  // 110 bytes, 120 shown
  const struct {
    std::string name;
    bool usable;
  } rows[] = {
      {"LiPo3S", true},
      {n127, true},
      {n127 + "n", false},
      {accents, true},
      {std::string(63, '\xE9'), true},   // shown in 126 bytes
      {std::string(64, '\xE9'), false},  // shown in 128 bytes
      {"a/b", false},
      {std::string("a\0b", 3), false},
  };
  for (const auto& r : rows) EXPECT_EQ(pack::UsableName(r.name), r.usable) << r.name.size();
}

}  // namespace
