// Curve files: the exact bytes written, the line rules of the import, the
// round trip, the old file kept whole when an export cannot finish, and an
// export that behaves as writing the file does: what the user may not write
// is left alone, links stay, and nothing is left behind.
#include "plot/CurveFile.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/fsuid.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "plot/CurveStore.h"

namespace {

constexpr int32_t kOffset = 3000;
const std::string kHeader = "  t  \t  V  \t  I  \t  C  \t  T  \r\n";

using Sample = std::array<int32_t, 4>;  // volt, capa, curr, temp

class Recorder : public curvefile::ImportSink {
 public:
  int resets = 0;
  std::vector<Sample> samples;
  void Reset() override {
    ++resets;
    samples.clear();
  }
  void AddSample(int32_t volt, int32_t capa, int32_t curr, int32_t temp) override {
    samples.push_back({volt, capa, curr, temp});
  }
};

std::vector<Sample> ImportText(const std::string& text) {
  Recorder r;
  curvefile::ImportBytes(text.data(), text.size(), kOffset, r);
  return r.samples;
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

class CurveDir : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/zcurve.XXXXXX";
    ASSERT_NE(::mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string File(const char* name) const { return dir_ + "/" + name; }
  size_t Entries() const {
    size_t n = 0;
    for (auto& e : std::filesystem::directory_iterator(dir_)) n += e.exists();
    return n;
  }
  std::string dir_;
};

TEST_F(CurveDir, ExportWritesTheHeaderAndOneLinePerSample) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const struct {
    int32_t time;
    double volt, curr, capa, temp;
    const char* line;
  } rows[] = {
      {0, 1234.9, 7, -1200, 25.9, "    0\t 4234\t    7\t-1200\t   25\r\n"},
      {1, -500.5, -7.9, 0.5, -0.5, "    1\t 2500\t   -7\t    0\t    0\r\n"},
      {123456, 99999.0, 100000.0, -12345.6, 5, "123456\t102999\t100000\t-12345\t    5\r\n"},
      // Beyond 32 bits the ends of the range are written, not a wrapped value.
      {-5, 2147483000.0, 3.0e10, -1.0e300, nan, "   -5\t2147483647\t2147483647\t-2147483648\t    0\r\n"},
  };
  auto store = std::make_unique<CurveStore>();
  const std::string path = File("c.txt");
  ASSERT_TRUE(curvefile::Export(*store, kOffset, path.c_str()));
  EXPECT_EQ(ReadAll(path), kHeader);
  EXPECT_EQ(kHeader.size(), 31u);

  std::string expected = kHeader;
  for (const auto& r : rows) {
    const int32_t k = store->Count++;
    store->Time[k] = r.time;
    store->Volt[k] = r.volt;
    store->Curr[k] = r.curr;
    store->Capa[k] = r.capa;
    store->Temp[k] = r.temp;
    expected += r.line;
  }
  ASSERT_TRUE(curvefile::Export(*store, kOffset, path.c_str()));
  EXPECT_EQ(ReadAll(path), expected);
  EXPECT_EQ(Entries(), 1u) << "no temporary file left";
}

TEST(CurveFile, ImportLineRules) {
  const std::string n63 = "1\t3005\t3\t4\t5" + std::string(63 - 12, ' ');
  const struct {
    const char* what;
    std::string text;
    std::vector<Sample> samples;
  } rows[] = {
      {"header only", kHeader, {}},
      {"columns t V I C T to volt capa curr temp", kHeader + "9\t3005\t3\t4\t6\r\n", {{5, 4, 3, 6}}},
      {"last line without CR is not read", kHeader + "0\t3001\t1\t1\t1\r\n1\t3002\t2\t2\t2", {{1, 1, 1, 1}}},
      {"first line is never data", "0\t3001\t1\t1\t1\r\n1\t3002\t2\t2\t2\r\n", {{2, 2, 2, 2}}},
      {"LF alone ends no line", "H\n0\t3001\t1\t1\t1\n1\t3002\t2\t2\t2\n", {}},
      {"LF ignored inside a line", "H\r\n1\t30\n05\t3\t4\t5\r\n", {{5, 4, 3, 5}}},
      {"numbers of six and more characters read whole", "H\r\n123456\t 4234\t-1200\t100000\t -50\r\n",
       {{1234, 100000, -1200, -50}}},
      {"signs and runs of blanks", "H\r\n +1 \t\t 3000   -2 +3\t4 tail\r\n", {{0, 3, -2, 4}}},
      {"fewer than five numbers add nothing", "H\r\n1\t2\t3\t4\r\n\r\nabc\r\n1\t2\t3\t4\tx\r\n- 1\t2\t3\t4\t5\r\n", {}},
      {"63 characters are read, 64 skipped",
       "H\r\n" + n63 + "\r\n" + n63 + " \r\n" + n63 + "\n\n\r\n", {{5, 4, 3, 5}, {5, 4, 3, 5}}},
      {"beyond 32 bits skipped",
       "H\r\n1\t2147483648\t0\t0\t0\r\n1\t-2147482000\t0\t0\t0\r\n1\t3000\t0\t99999999999999999999\t0\r\n"
       "2147483648\t3000\t0\t0\t0\r\n1\t2147483647\t0\t0\t-2147483648\r\n",
       {{2147480647, 0, 0, std::numeric_limits<int32_t>::min()}}},
  };
  for (const auto& r : rows) EXPECT_EQ(ImportText(r.text), r.samples) << r.what;
}

TEST_F(CurveDir, FullCurveRoundTripWithSixDigitTimes) {
  auto store = std::make_unique<CurveStore>();
  std::mt19937 rng(3);
  std::uniform_int_distribution<int32_t> any(-99999, 999999);
  for (int32_t k = 0; k < curve::kCapacity; ++k) {
    store->Time[k] = k;
    store->Volt[k] = any(rng) + 0.75;
    store->Capa[k] = any(rng);
    store->Curr[k] = any(rng);
    store->Temp[k] = any(rng) - 0.25;
  }
  store->Count = curve::kCapacity;
  const std::string path = File("full.txt");
  ASSERT_TRUE(curvefile::Export(*store, kOffset, path.c_str()));
  // Read back from a read-only file.
  ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
  Recorder r;
  r.samples.push_back({9, 9, 9, 9});
  ASSERT_TRUE(curvefile::Import(path.c_str(), kOffset, r));
  EXPECT_EQ(r.resets, 1);
  ASSERT_EQ(r.samples.size(), static_cast<size_t>(curve::kCapacity));
  for (int32_t k = 0; k < curve::kCapacity; ++k) {
    const Sample want{static_cast<int32_t>(std::trunc(store->Volt[k])),
                      static_cast<int32_t>(store->Capa[k]), static_cast<int32_t>(store->Curr[k]),
                      static_cast<int32_t>(std::trunc(store->Temp[k]))};
    ASSERT_EQ(r.samples[k], want) << "sample " << k;
  }
}

TEST_F(CurveDir, ImportOfWhatCannotBeReadLeavesTheCurve) {
  const std::string pipe = File("pipe.txt");
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0644), 0);
  for (const std::string& path : {File("missing.txt"), dir_, pipe}) {
    Recorder r;
    r.samples.push_back({1, 2, 3, 4});
    EXPECT_FALSE(curvefile::Import(path.c_str(), kOffset, r)) << path;
    EXPECT_EQ(r.resets, 0);
    EXPECT_EQ(r.samples.size(), 1u);
  }
}

TEST_F(CurveDir, FailedExportLeavesThePreviousFileAsItWas) {
  auto store = std::make_unique<CurveStore>();
  store->Count = 1;
  const std::string path = File("held.txt");
  const std::string previous = "previous bytes\r\n";
  std::ofstream(path, std::ios::binary) << previous;

  // Another running copy holds the file.
  const int other = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_GE(other, 0);
  ASSERT_EQ(::flock(other, LOCK_EX | LOCK_NB), 0);
  EXPECT_FALSE(curvefile::Export(*store, kOffset, path.c_str()));
  EXPECT_EQ(ReadAll(path), previous);
  EXPECT_EQ(Entries(), 1u) << "no temporary file left";
  ::close(other);

  // No folder to write in; a folder in place of the file.
  EXPECT_FALSE(curvefile::Export(*store, kOffset, File("no/such.txt").c_str()));
  EXPECT_FALSE(curvefile::Export(*store, kOffset, dir_.c_str()));
  EXPECT_EQ(Entries(), 1u);
}

TEST_F(CurveDir, ReplacedFileKeepsItsModeNewFileFollowsTheUmask) {
  auto store = std::make_unique<CurveStore>();
  const std::string kept = File("kept.txt"), fresh = File("fresh.txt");
  std::ofstream(kept, std::ios::binary) << "old";
  ASSERT_EQ(::chmod(kept.c_str(), 0604), 0);
  const mode_t saved = ::umask(027);
  const bool keptOk = curvefile::Export(*store, kOffset, kept.c_str());
  const bool freshOk = curvefile::Export(*store, kOffset, fresh.c_str());
  ::umask(saved);
  ASSERT_TRUE(keptOk && freshOk);
  struct stat st {};
  ASSERT_EQ(::stat(kept.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0604u);
  ASSERT_EQ(::stat(fresh.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_EQ(ReadAll(kept), kHeader);
}

TEST_F(CurveDir, ExportThroughASymbolicLinkWritesWhatItNames) {
  ASSERT_EQ(::mkdir(File("data").c_str(), 0755), 0);
  std::ofstream(File("data/real.txt"), std::ios::binary) << "old";
  ASSERT_EQ(::symlink("data/real.txt", File("a.txt").c_str()), 0);
  ASSERT_EQ(::symlink("a.txt", File("b.txt").c_str()), 0);
  ASSERT_EQ(::symlink(File("data/new.txt").c_str(), File("c.txt").c_str()), 0);
  const struct {
    const char* link;
    const char* file;
  } rows[] = {{"b.txt", "data/real.txt"}, {"c.txt", "data/new.txt"}};
  const auto store = std::make_unique<CurveStore>();
  for (const auto& r : rows) {
    ASSERT_TRUE(curvefile::Export(*store, kOffset, File(r.link).c_str())) << r.link;
    EXPECT_EQ(ReadAll(File(r.file)), kHeader) << r.link;
  }
  for (const char* link : {"a.txt", "b.txt", "c.txt"})
    EXPECT_TRUE(std::filesystem::is_symlink(File(link))) << link;
  EXPECT_EQ(Entries(), 4u);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(File("data")), {}), 2);
}

TEST_F(CurveDir, OrdinaryUserExportsOnlyWhatTheyMayWrite) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to act as another user";
  constexpr uid_t kUser = 65534;
  const struct {
    const char* what;
    uid_t folderOwner, fileOwner;
    mode_t mode;
    bool written;
  } rows[] = {
      {"own read-only file left alone", kUser, kUser, 0444, false},
      {"root's file left alone", kUser, 0, 0644, false},
      {"root's writable file written and still root's", kUser, 0, 0666, true},
      {"own file in a folder that takes no new name", 0, kUser, 0644, true},
  };
  ASSERT_EQ(::chmod(dir_.c_str(), 0755), 0);
  const auto store = std::make_unique<CurveStore>();
  int i = 0;
  for (const auto& r : rows) {
    const std::string folder = File(std::to_string(i++).c_str()), path = folder + "/c.txt";
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    std::ofstream(path, std::ios::binary) << "old\r\n";
    ASSERT_EQ(::chown(folder.c_str(), r.folderOwner, r.folderOwner), 0);
    ASSERT_EQ(::chown(path.c_str(), r.fileOwner, r.fileOwner), 0);
    ASSERT_EQ(::chmod(path.c_str(), r.mode), 0);
    // The user's file-system identity: root's rights to files are dropped.
    ::setfsgid(kUser);
    ::setfsuid(kUser);
    const bool asUser = static_cast<uid_t>(::setfsuid(static_cast<uid_t>(-1))) == kUser;
    const bool ok = curvefile::Export(*store, kOffset, path.c_str());
    ::setfsuid(0);
    ::setfsgid(0);
    ASSERT_TRUE(asUser);
    EXPECT_EQ(ok, r.written) << r.what;
    EXPECT_EQ(ReadAll(path), r.written ? kHeader : "old\r\n") << r.what;
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, r.fileOwner) << r.what;
    EXPECT_EQ(st.st_mode & 07777, r.mode) << r.what;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1) << r.what;
  }
}

TEST_F(CurveDir, ExportRemovesWhatAKilledExportLeft) {
  const pid_t gone = ::fork();
  if (gone == 0) ::_exit(0);
  ASSERT_GT(gone, 0);
  ASSERT_EQ(::waitpid(gone, nullptr, 0), gone);
  const std::string left = dir_ + "/.c.txt.tmp" + std::to_string(gone) + "-7";
  const std::string running = dir_ + "/.c.txt.tmp" + std::to_string(::getppid()) + "-7";
  const std::string otherFile = dir_ + "/.d.txt.tmp" + std::to_string(gone) + "-7";
  for (const std::string& name : {left, running, otherFile}) std::ofstream(name) << "part";
  ASSERT_TRUE(curvefile::Export(*std::make_unique<CurveStore>(), kOffset, File("c.txt").c_str()));
  EXPECT_FALSE(std::filesystem::exists(left));
  EXPECT_TRUE(std::filesystem::exists(running)) << "another copy's is its own";
  EXPECT_TRUE(std::filesystem::exists(otherFile));
  EXPECT_EQ(Entries(), 3u);
}

}  // namespace
