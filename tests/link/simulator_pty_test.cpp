// The charger simulator's line end: its own pseudo-terminal read back from the
// slave side as the monitor reads it, a tty put back as it was found, and
// writes that never hang when nobody reads.
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "Link.h"
#include "Options.h"
#include "Runner.h"
#include "Scenario.h"

namespace {

// Reads until `want` bytes came or ten seconds passed without any.
std::string ReadSome(int fd, size_t want) {
  std::string got;
  char buf[4096];
  while (got.size() < want) {
    struct pollfd p {fd, POLLIN, 0};
    if (poll(&p, 1, 10000) <= 0) break;
    ssize_t n = read(fd, buf, sizeof buf);
    if (n <= 0) break;
    got.append(buf, static_cast<size_t>(n));
  }
  return got;
}

sim::Options Quick(int64_t count, int intervalMs) {
  sim::Options o;
  o.output = sim::OutputKind::Pty;
  o.scenario = sim::ScenarioKind::Gen3Charge;
  o.count = count;
  o.intervalMs = intervalMs;
  return o;
}

TEST(SimulatorPty, FramesReachTheSlaveSideRaw) {
  sim::Link link;
  std::string error;
  ASSERT_TRUE(link.OpenPty(error)) << error;
  ASSERT_EQ(link.Path().rfind("/dev/", 0), 0u) << link.Path();
  int slave = open(link.Path().c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
  ASSERT_GE(slave, 0);

  struct termios t;
  ASSERT_EQ(tcgetattr(slave, &t), 0);
  EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
  EXPECT_EQ(t.c_iflag & (ICRNL | IGNCR | INLCR | ISTRIP | IXON), 0u) << "0x0D must arrive as it is";
  EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
  EXPECT_EQ(cfgetispeed(&t), static_cast<speed_t>(B9600));

  sim::Options o = Quick(3, 10);
  o.badEvery = 2;
  std::atomic<bool> stop{false};
  sim::RunStats stats;
  EXPECT_EQ(sim::Run(o, link, stop, stats), sim::RunEnd::CountReached);
  EXPECT_EQ(stats.frames, 3);
  EXPECT_EQ(stats.written, 3);

  sim::FrameSequence seq(o);
  const std::string expected = seq.Make(1).bytes + seq.Make(2).bytes + seq.Make(3).bytes;
  EXPECT_EQ(ReadSome(slave, expected.size()), expected);
  close(slave);
}

TEST(SimulatorPty, NobodyListeningDropsFramesWithoutWaiting) {
  sim::Link link;
  std::string error;
  ASSERT_TRUE(link.OpenPty(error)) << error;
  std::atomic<bool> stop{false};
  sim::RunStats stats;
  EXPECT_EQ(sim::Run(Quick(50, 1), link, stop, stats), sim::RunEnd::CountReached);
  EXPECT_EQ(stats.unheard, 50);
  EXPECT_EQ(stats.written, 0);

  // Whoever opens the port later gets fresh frames, not a stale backlog.
  int slave = open(link.Path().c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
  ASSERT_GE(slave, 0);
  char c;
  EXPECT_EQ(read(slave, &c, 1), -1);
  stats = {};
  EXPECT_EQ(sim::Run(Quick(1, 1), link, stop, stats), sim::RunEnd::CountReached);
  EXPECT_EQ(ReadSome(slave, 102).size(), 102u);
  close(slave);
}

TEST(SimulatorPty, WaitListenerStartsWhenThePortIsOpened) {
  sim::Link link;
  std::string error;
  ASSERT_TRUE(link.OpenPty(error)) << error;
  sim::Options o = Quick(2, 10);
  o.waitListener = true;
  std::atomic<bool> stop{false};
  std::atomic<bool> started{false};
  sim::RunStats stats;
  std::thread run([&] {
    started = true;
    sim::Run(o, link, stop, stats);
  });
  // Without the wait, frame 1 would go out unheard as soon as the run starts.
  while (!started) std::this_thread::yield();
  int slave = open(link.Path().c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
  if (slave < 0) stop.store(true);
  run.join();
  ASSERT_GE(slave, 0);
  EXPECT_EQ(stats.unheard, 0);
  EXPECT_EQ(stats.written, 2);
  sim::FrameSequence seq(o);
  EXPECT_EQ(ReadSome(slave, 204), seq.Make(1).bytes + seq.Make(2).bytes) << "the timeline starts at frame 1";
  close(slave);
}

// 600 frames of 102 bytes overflow any pseudo-terminal queue: the run must
// still finish on its own schedule, losing what found no room.
TEST(SimulatorPty, ListenerThatNeverReadsDoesNotHangTheRun) {
  sim::Link link;
  std::string error;
  ASSERT_TRUE(link.OpenPty(error)) << error;
  int slave = open(link.Path().c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
  ASSERT_GE(slave, 0);
  std::atomic<bool> stop{false};
  sim::RunStats stats;
  EXPECT_EQ(sim::Run(Quick(600, 1), link, stop, stats), sim::RunEnd::CountReached);
  EXPECT_GT(stats.written, 0);
  EXPECT_GT(stats.lost, 0);
  EXPECT_EQ(stats.written + stats.lost, 600);
  close(slave);
}

TEST(SimulatorPty, StopEndsAnEndlessRun) {
  sim::Link link;
  std::string error;
  ASSERT_TRUE(link.OpenPty(error)) << error;
  int slave = open(link.Path().c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
  ASSERT_GE(slave, 0);
  std::atomic<bool> stop{false};
  sim::RunStats stats;
  // Stop once the first frame is out: the run is then in its 60 s pause.
  std::thread stopper([&] {
    ReadSome(slave, 102);
    stop.store(true);
  });
  // Count 0 and a long interval: only the stop can end this.
  EXPECT_EQ(sim::Run(Quick(0, 60000), link, stop, stats), sim::RunEnd::Stopped);
  stopper.join();
  close(slave);
  EXPECT_EQ(stats.frames, 1);
}

TEST(SimulatorDevice, SetsRawAndPutsTheSettingsBack) {
  int master = -1, slave = -1;
  char name[256] = {};
  ASSERT_EQ(openpty(&master, &slave, name, nullptr, nullptr), 0);
  struct termios before;
  ASSERT_EQ(tcgetattr(slave, &before), 0);
  ASSERT_NE(before.c_lflag & ICANON, 0u) << "a fresh pseudo-terminal is cooked";

  sim::Link link;
  std::string error;
  ASSERT_TRUE(link.OpenDevice(name, error)) << error;
  struct termios during;
  ASSERT_EQ(tcgetattr(slave, &during), 0);
  EXPECT_EQ(during.c_lflag & (ICANON | ECHO), 0u);
  EXPECT_EQ(during.c_oflag & OPOST, 0u) << "0x0D must leave as it is";
  EXPECT_EQ(during.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
  EXPECT_EQ(cfgetospeed(&during), static_cast<speed_t>(B9600));

  const std::string frame = sim::BuildGen2Frame({});
  EXPECT_EQ(link.Write(frame, sim::MonotonicMs() + 1000, nullptr), sim::WriteOutcome::Written);
  fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
  EXPECT_EQ(ReadSome(master, frame.size()), frame);

  link.Close();
  struct termios after;
  ASSERT_EQ(tcgetattr(slave, &after), 0);
  EXPECT_EQ(after.c_lflag, before.c_lflag);
  EXPECT_EQ(after.c_oflag, before.c_oflag);
  EXPECT_EQ(after.c_cflag, before.c_cflag);
  close(slave);
  close(master);
}

TEST(SimulatorDevice, RefusesWhatIsNotATty) {
  for (const char* path : {"/dev/null", "/nonexistent/ttyZ9"}) {
    sim::Link link;
    std::string error;
    EXPECT_FALSE(link.OpenDevice(path, error)) << path;
    EXPECT_NE(error.find(path), std::string::npos) << error;
    EXPECT_FALSE(link.IsOpen());
    EXPECT_EQ(link.Write("x", sim::MonotonicMs(), nullptr), sim::WriteOutcome::Failed);
  }
}

}  // namespace
