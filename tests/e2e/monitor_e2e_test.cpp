// The real executables: the charger simulator on a pseudo-terminal, the monitor
// listening to it headless, and the trace log it writes.
#include <gtest/gtest.h>
#include <pty.h>
#include <termios.h>

#include <chrono>
#include <cstring>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <thread>

#include "e2e/Process.h"

namespace {
const std::string kBin = ZEPHYRAL_BIN_DIR;

std::string ReadFile(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

size_t Count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

struct WorkDir {
  std::string path;
  WorkDir() {
    char tmpl[] = "/tmp/zephyral-e2e-XXXXXX";
    path = mkdtemp(tmpl);
  }
  ~WorkDir() { [[maybe_unused]] int rc = std::system(("rm -rf '" + path + "'").c_str()); }
};

// Runs the monitor against the simulator until the log holds `frames` good
// frame lines or the time runs out; returns the log.
std::string RunMonitor(const std::string& program, std::vector<std::string> simArgs, size_t frames,
                const std::string& dir) {
  simArgs.insert(simArgs.begin(), {kBin + "/zephyral-sim", "--pty", "--wait-listener"});
  ChildProcess sim(simArgs, {});
  const std::string tty = sim.FirstLine(20000);
  EXPECT_FALSE(tty.empty()) << "the simulator printed no device";
  ChildProcess monitor({kBin + "/" + program}, {{"ZEPHYRAL_COM1", tty}, {"QT_QPA_PLATFORM", "offscreen"}}, dir);
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(40);
  std::string log;
  while (std::chrono::steady_clock::now() < end) {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    log = ReadFile(dir + "/Zephyral-1.log");
    if (Count(log, " <-") >= frames) break;
  }
  EXPECT_TRUE(monitor.Running()) << "the monitor ended by itself";
  monitor.Stop();
  sim.Stop();
  return ReadFile(dir + "/Zephyral-1.log");
}

TEST(EndToEnd, FrenchBuildSynchronisesIdentifiesAndLogsFrames) {
  WorkDir dir;
  const std::string log = RunMonitor("zephyral-fr", {"--gen", "3", "--interval-ms", "300", "--bad-every", "4"}, 6, dir.path);
  EXPECT_EQ(log.rfind("Contr\xc3\xb4leur pour chargeurs Zephyral, Version 3.16 \r\n\r\n", 0), 0u) << log;
  EXPECT_NE(log.find(" Driver s\xc3\xa9rie COM1 ouvert \r\n"), std::string::npos);
  EXPECT_NE(log.find(" Frame Analysing\r\n"), std::string::npos);
  EXPECT_TRUE(std::regex_search(log, std::regex(" Frame Analysis : [^\r]*<[^\r]{100}><\r\n")));
  EXPECT_NE(log.find(" Frame Analysed\r\n"), std::string::npos);
  EXPECT_GE(Count(log, " <-"), 6u) << log;
  EXPECT_GE(Count(log, " Frame Error\r\n"), 1u) << log;
  EXPECT_TRUE(std::regex_search(log, std::regex(" Trame [0-9]+: <\x0c")));
  EXPECT_TRUE(std::regex_search(log, std::regex("\r\n[0-9:]{8} <-[0-9A-F]{100}>\r\n")));
}

TEST(EndToEnd, EnglishBuildWithAGeneration2Charger) {
  WorkDir dir;
  const std::string log = RunMonitor("zephyral-en", {"--gen", "2", "--interval-ms", "300"}, 4, dir.path);
  EXPECT_EQ(log.rfind("    Zephyral Loaders Software, Version 3.16 \r\n\r\n", 0), 0u) << log;
  EXPECT_NE(log.find(" Serial port COM1 opened \r\n"), std::string::npos);
  EXPECT_TRUE(std::regex_search(log, std::regex(" Frame Analysis : [^\r]*<[^\r]{30}><\r\n")));
  EXPECT_GE(Count(log, " <-"), 4u);
  EXPECT_EQ(Count(log, " Frame Error\r\n"), 0u);
}

// SIGTERM as soon as the program has set the port raw, while its windows are
// still being made: it ends as its close box ends it, and the port has its own
// settings back.
TEST(EndToEnd, ASignalJustAfterThePortOpensLeavesThePortAsItWas) {
  WorkDir dir;
  int master = -1, slave = -1;
  char name[128] = {};
  ASSERT_EQ(openpty(&master, &slave, name, nullptr, nullptr), 0);
  termios own{};
  ASSERT_EQ(tcgetattr(slave, &own), 0);
  ASSERT_TRUE(own.c_lflag & ICANON);
  ChildProcess monitor({kBin + "/zephyral-fr"}, {{"ZEPHYRAL_COM1", name}, {"QT_QPA_PLATFORM", "offscreen"}}, dir.path);
  termios now{};
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (tcgetattr(slave, &now) == 0 && (now.c_lflag & ICANON) && std::chrono::steady_clock::now() < end)
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  ASSERT_FALSE(now.c_lflag & ICANON) << "the program never set the port raw";
  const int status = monitor.Stop(20000);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "wait status " << status;
  ASSERT_EQ(tcgetattr(slave, &now), 0);
  EXPECT_EQ(now.c_iflag, own.c_iflag);
  EXPECT_EQ(now.c_oflag, own.c_oflag);
  EXPECT_EQ(now.c_cflag, own.c_cflag);
  EXPECT_EQ(now.c_lflag, own.c_lflag);
  EXPECT_EQ(std::memcmp(now.c_cc, own.c_cc, sizeof own.c_cc), 0);
  close(slave);
  close(master);
}
}  // namespace
