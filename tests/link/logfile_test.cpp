#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>
#include <string>

#include "link/LogFile.h"

namespace {
class LogFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/zephyral-log-XXXXXX";
    dir_ = mkdtemp(tmpl);
    ASSERT_EQ(chdir(dir_.c_str()), 0);
  }
  void TearDown() override {
    ASSERT_EQ(chdir("/tmp"), 0);
    ASSERT_EQ(std::system(("rm -rf " + dir_).c_str()), 0);
  }
  static std::string Read(const char* name) {
    std::ifstream in(name, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }
  std::string dir_;
};

TEST_F(LogFileTest, LinesAreExactBytes) {
  TLogFile log;
  log.Open("Zephyral");
  EXPECT_STREQ(log.FileName, "Zephyral-1.log");
  log.WriteLine("", false);
  log.Write("", true);
  log.WriteLine("Frame Error", false);
  log.WriteLine("Frame Error", true);
  log.Write("Contr\xc3\xb4leur", false);
  log.Write(", ", false);
  log.WriteLine("Version 3.16 ", false);
  log.Close();
  const std::string text = Read("Zephyral-1.log");
  std::smatch m;
  ASSERT_TRUE(std::regex_match(text, m, std::regex(
      "\r\n([0-9:]{8}) Frame Error\r\n([0-9:]{8}) Frame Error\r\nContr\xc3\xb4leur, Version 3\\.16 \r\n")))
      << text;
}

TEST_F(LogFileTest, StartingAgainEmptiesTheLog) {
  {
    TLogFile log;
    log.Open("Zephyral");
    log.WriteLine("old run", false);
  }
  TLogFile log;
  log.Open("Zephyral");
  log.WriteLine("new run", false);
  EXPECT_EQ(Read("Zephyral-1.log"), "new run\r\n");
}

TEST_F(LogFileTest, HeldLogMovesOnWithoutEmptyingIt) {
  TLogFile first;
  first.Open("Zephyral");
  first.WriteLine("first copy", false);
  TLogFile second;
  second.Open("Zephyral");
  EXPECT_STREQ(second.FileName, "Zephyral-2.log");
  second.WriteLine("second copy", false);
  EXPECT_EQ(Read("Zephyral-1.log"), "first copy\r\n");
  EXPECT_EQ(Read("Zephyral-2.log"), "second copy\r\n");

  // A third copy gets no log, and writing to it is harmless.
  TLogFile third;
  third.Open("Zephyral");
  EXPECT_EQ(third.Handle, -1);
  third.WriteLine("lost", true);
  third.WriteBytes("lost", 4);
  EXPECT_EQ(Read("Zephyral-1.log"), "first copy\r\n");
}

int OpenDescriptors() {
  return static_cast<int>(std::distance(std::filesystem::directory_iterator("/proc/self/fd"),
                                        std::filesystem::directory_iterator()));
}

// Opening a log that is already open starts it again under the same name,
// without keeping the old descriptor.
TEST_F(LogFileTest, OpeningAgainReusesItsOwnLog) {
  TLogFile log;
  log.Open("Zephyral");
  log.WriteLine("before", false);
  const int descriptors = OpenDescriptors();
  log.Open("Zephyral");
  EXPECT_STREQ(log.FileName, "Zephyral-1.log");
  EXPECT_EQ(OpenDescriptors(), descriptors);
  log.WriteLine("after", false);
  EXPECT_EQ(Read("Zephyral-1.log"), "after\r\n");
  EXPECT_EQ(::access("Zephyral-2.log", F_OK), -1);
}

TEST_F(LogFileTest, LockHeldByAnotherProgramIsRespected) {
  int fd = ::open("Zephyral-1.log", O_RDWR | O_CREAT, 0644);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::write(fd, "keep", 4), 4);
  ASSERT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
  TLogFile log;
  log.Open("Zephyral");
  EXPECT_STREQ(log.FileName, "Zephyral-2.log");
  EXPECT_EQ(Read("Zephyral-1.log"), "keep");
  ::close(fd);
}

TEST_F(LogFileTest, OverlongTextsAndNamesStayInBounds) {
  TLogFile tooLong;
  tooLong.Open(std::string(40, 'z').c_str());
  EXPECT_EQ(tooLong.Handle, -1);
  EXPECT_EQ(::access((std::string(25, 'z')).c_str(), F_OK), -1);

  TLogFile log;
  log.Open("Zephyral");
  std::string big(5000, 'x');
  log.WriteLine(big.c_str(), true);
  const std::string text = Read("Zephyral-1.log");
  EXPECT_LE(text.size(), 1024u);
  EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
}

TEST_F(LogFileTest, RawBytesKeepNulAndControlBytes) {
  TLogFile log;
  log.Open("Zephyral");
  const char frame[] = {'\x0c', 'A', '\0', 'B', '\x0d'};
  log.Write("Trame 0: <", false);
  log.WriteBytes(frame, 5);
  log.WriteLine(">", false);
  EXPECT_EQ(Read("Zephyral-1.log"), std::string("Trame 0: <\x0c" "A\0B\x0d>\r\n", 18));
}
}  // namespace
