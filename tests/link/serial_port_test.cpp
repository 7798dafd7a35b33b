#include "link/SerialPort.h"

#include <gtest/gtest.h>
#include <sys/file.h>

#include <atomic>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include "link/LogFile.h"
#include "platform/PtyPair.h"

namespace {
using Clock = std::chrono::steady_clock;
using Result = SerialDevice::OpenResult;

// A read that returns at once is back well before the shortest time-out a
// waiting read could end with (1 ms per byte plus 250 ms).
constexpr long long kNoTimeOutMs = 250;

std::string FileBytes(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// What Close wrote: each line must be "HH:MM:SS " + text + "\r\n" (the C
// locale's time of day). Returns the texts, one per line, or a marker.
std::string ClosingLines(const std::string& bytes) {
  std::string texts;
  std::size_t at = 0;
  while (at < bytes.size()) {
    const std::size_t end = bytes.find("\r\n", at);
    if (end == std::string::npos) return "<no line end>";
    const std::string line = bytes.substr(at, end - at);
    if (line.size() < 9 || line[2] != ':' || line[5] != ':' || line[8] != ' ') return "<no stamp>";
    texts += line.substr(9) + "|";
    at = end + 2;
  }
  return texts;
}

// A port and a trace log in a folder of their own.
struct Bench {
  TempDir dir;
  TLogFile log;
  TSerialPort port;
  Bench() { log.Open((dir.Path() + "/z").c_str()); }
  std::string Log() {
    log.Close();
    return ClosingLines(FileBytes(dir.File("z-1.log")));
  }
};

TEST(SerialPort, MissingPortFailsAndClosingSaysNotOpened) {
  Bench b;
  ScopedEnv env("ZEPHYRAL_COM6", b.dir.File("no-such-tty").c_str());
  EXPECT_EQ(b.port.Open("COM6"), -1);
  EXPECT_FALSE(b.port.IsOpen);
  EXPECT_STREQ(b.port.PortName, "COM6");
  EXPECT_EQ(b.port.LastOpenResult, SerialDevice::OpenResult::Missing);
  char byte = 'x';
  const auto start = Clock::now();
  EXPECT_EQ(b.port.Read(&byte, 1), 0);
  EXPECT_LT(ElapsedMs(start), kNoTimeOutMs);
  b.port.Close(b.log);
  EXPECT_EQ(b.Log(), "Pas ouvert: COM6|");
}

TEST(SerialPort, NamesThatAreNoPortFailWithBoundedName) {
  struct Case {
    const char* name;
    const char* kept;
  };
  const Case cases[] = {
      {"LPT1", "LPT1"},
      {"", ""},
      {"COM0", "COM0"},
      {"COM1-but-far-too-long-for-a-port", "COM1-but-fa"},
      {nullptr, ""},
  };
  for (const Case& c : cases) {
    Bench b;
    EXPECT_EQ(b.port.Open(c.name), -1) << c.kept;
    EXPECT_FALSE(b.port.IsOpen);
    EXPECT_STREQ(b.port.PortName, c.kept);
    EXPECT_STREQ(b.port.DevicePath, "");
    EXPECT_EQ(b.port.LastOpenResult, Result::Missing);
    b.port.Close(b.log);
    EXPECT_EQ(b.Log(), std::string("Pas ouvert: ") + c.kept + "|");
  }
}

TEST(SerialPort, OpenPortClosesWithFermetureAndItsName) {
  PtyPair pty;
  ASSERT_TRUE(pty.Ok());
  ScopedEnv env("ZEPHYRAL_COM2", pty.Name);
  Bench b;
  ASSERT_EQ(b.port.Open("COM2"), 0);
  EXPECT_TRUE(b.port.IsOpen);
  EXPECT_STREQ(b.port.DevicePath, pty.Name);
  b.port.Close(b.log);
  EXPECT_TRUE(b.port.IsOpen);  // Close leaves it to the next Open
  // A second Close and a Read after Close do no harm.
  b.port.Close(b.log);
  char byte;
  const auto start = Clock::now();
  EXPECT_EQ(b.port.Read(&byte, 1), 0);
  EXPECT_LT(ElapsedMs(start), kNoTimeOutMs);
  EXPECT_EQ(b.Log(), "Fermeture: COM2|Fermeture: COM2|");
}

TEST(SerialPort, PortHeldByAnotherPortOrLockDoesNotOpen) {
  PtyPair pty;
  ASSERT_TRUE(pty.Ok());
  ScopedEnv one("ZEPHYRAL_COM1", pty.Name);
  ScopedEnv three("ZEPHYRAL_COM3", pty.Name);
  Bench b;
  TSerialPort other;
  ASSERT_EQ(b.port.Open("COM1"), 0);
  EXPECT_EQ(b.port.LastOpenResult, Result::Opened);
  EXPECT_EQ(other.Open("COM3"), -1);
  EXPECT_FALSE(other.IsOpen);
  EXPECT_EQ(other.LastOpenResult, Result::Held);
  b.port.Close(b.log);
  EXPECT_EQ(other.Open("COM3"), 0);
  EXPECT_EQ(other.LastOpenResult, Result::Opened);
  other.Close(b.log);

  int locker = ::open(pty.Name, O_RDONLY | O_NOCTTY);
  ASSERT_GE(locker, 0);
  ASSERT_EQ(::flock(locker, LOCK_EX), 0);
  EXPECT_EQ(b.port.Open("COM1"), -1);
  EXPECT_EQ(b.port.LastOpenResult, Result::Held);
  ::close(locker);
  EXPECT_EQ(b.port.Open("COM1"), 0);
}

// Each way an open ends, as the port keeps it for a later diagnostic; the
// result and the closing log line stay as they were.
TEST(SerialPort, KeepsWhyTheLastOpenFailed) {
  PtyPair pty;
  ASSERT_TRUE(pty.Ok());
  TempDir dir;
  const std::string plain = dir.File("plain");
  std::fclose(std::fopen(plain.c_str(), "w"));
  struct Case {
    const char* what;
    std::string device;
    int result;
    Result kind;
  };
  const Case cases[] = {
      {"a free tty", pty.Name, 0, Result::Opened},
      {"no such device", dir.File("none"), -1, Result::Missing},
      {"a plain file", plain, -1, Result::NotATerminal},
      {"a folder", dir.Path(), -1, Result::NotATerminal},
      {"/dev/null", "/dev/null", -1, Result::NotATerminal},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScopedEnv env("ZEPHYRAL_COM4", c.device.c_str());
    Bench b;
    EXPECT_EQ(b.port.Open("COM4"), c.result);
    EXPECT_EQ(b.port.IsOpen, c.result == 0);
    EXPECT_EQ(b.port.LastOpenResult, c.kind);
    b.port.Close(b.log);
    EXPECT_EQ(b.Log(), std::string(c.result == 0 ? "Fermeture" : "Pas ouvert") + ": COM4|");
  }
}

// The port's read time-outs, as the timer tick counts on them. Windows are
// wide: only what tells the time-outs apart is checked.
TEST(SerialPort, ReadTimeOuts) {
  PtyPair pty;
  ASSERT_TRUE(pty.Ok());
  ScopedEnv env("ZEPHYRAL_COM2", pty.Name);
  TSerialPort port;
  ASSERT_EQ(port.Open("COM2"), 0);
  char buffer[1000];

  {  // nothing comes: 1 ms per byte + 250 ms
    const auto start = Clock::now();
    EXPECT_EQ(port.Read(buffer, 1), 0);
    EXPECT_GE(ElapsedMs(start), 250);
  }
  {  // count satisfied at once, the rest stays queued
    ASSERT_EQ(pty.Send("0123456789"), 10u);
    ASSERT_TRUE(WaitFor([&] { return port.Queued() == 10u; }));
    const auto start = Clock::now();
    ASSERT_EQ(port.Read(buffer, 4), 4);
    EXPECT_LT(ElapsedMs(start), kNoTimeOutMs);
    EXPECT_EQ(std::string(buffer, 4), "0123");
    ASSERT_EQ(port.Read(buffer, 6), 6);
    EXPECT_EQ(std::string(buffer, 6), "456789");
  }
  {  // fewer bytes than asked: back 15 ms after the last one, not after 1250 ms
    ASSERT_EQ(pty.Send("abcde"), 5u);
    ASSERT_TRUE(WaitFor([&] { return port.Queued() == 5u; }));
    const auto start = Clock::now();
    ASSERT_EQ(port.Read(buffer, 1000), 5);
    const long long ms = ElapsedMs(start);
    EXPECT_GE(ms, 15);
    EXPECT_LT(ms, 1250);
    EXPECT_EQ(std::string(buffer, 5), "abcde");
  }
  {  // bytes that come during the read end it 15 ms later, not at 1250 ms
    std::thread late([&] {
      std::this_thread::sleep_for(std::chrono::milliseconds(60));  // come while the read waits
      pty.Send("xyz");
    });
    const auto start = Clock::now();
    const int n = port.Read(buffer, 1000);
    const long long ms = ElapsedMs(start);
    late.join();
    EXPECT_EQ(n, 3);
    EXPECT_GE(ms, 60);
    EXPECT_LT(ms, 1250);
  }
  {  // a steady trickle never ends the read before count + 250 ms
    std::atomic<bool> stop{false};
    std::thread trickle([&] {
      for (int i = 0; i < 400 && !stop; ++i) {
        pty.Send("t");
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
      }
    });
    const auto start = Clock::now();
    const int n = port.Read(buffer, 1000);
    const long long ms = ElapsedMs(start);
    stop = true;
    trickle.join();
    EXPECT_GT(n, 0);
    EXPECT_LT(n, 1000);
    EXPECT_LT(ms, 2000);  // the trickle alone lasts at least 2 s
  }
}

TEST(SerialPort, NothingIsEverWrittenToThePort) {
  PtyPair pty;
  ASSERT_TRUE(pty.Ok());
  ScopedEnv env("ZEPHYRAL_COM4", pty.Name);
  Bench b;
  ASSERT_EQ(b.port.Open("COM4"), 0);
  // Line ends and control bytes would be echoed or answered by a cooked tty.
  const std::string frame = "\x0c" "0123\r\n\x03\x1a\x7f" "ABC\x0d";
  ASSERT_EQ(pty.Send(frame), frame.size());
  char buffer[64];
  std::string got;
  for (int i = 0; i < 5 && got.size() < frame.size(); ++i) {
    const int n = b.port.Read(buffer, static_cast<int>(frame.size() - got.size()));
    got.append(buffer, static_cast<std::size_t>(n));
  }
  EXPECT_EQ(got, frame);  // raw: no translation, no signal characters taken
  b.port.Close(b.log);
  EXPECT_EQ(pty.Received(100), "");
}

// The GUI thread may be held for a minute (a print job, a dialog): some
// 57,600 bytes at 9600 baud. The tty alone keeps a few KiB; the port's own
// queue must keep them all.
TEST(SerialPort, NoByteLostWhileNotRead) {
  PtyPair pty;
  ASSERT_TRUE(pty.Ok());
  ASSERT_TRUE(pty.NoSoftwareFlowControl());  // every byte value counts here
  ScopedEnv env("ZEPHYRAL_COM5", pty.Name);
  TSerialPort port;
  ASSERT_EQ(port.Open("COM5"), 0);
  std::string data(64 * 1024, '\0');
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>((i * 31 + i / 509) & 0xFF);
  for (std::size_t at = 0; at < data.size(); at += 1024) {
    ASSERT_EQ(pty.Send(data.data() + at, 1024, 2000), 1024u) << "stalled at " << at;
  }
  ASSERT_TRUE(WaitFor([&] { return port.Queued() == data.size(); }));
  std::string got;
  char buffer[4096];
  while (got.size() < data.size()) {
    const int n = port.Read(buffer, sizeof buffer);
    if (n <= 0) break;
    got.append(buffer, static_cast<std::size_t>(n));
  }
  ASSERT_EQ(got.size(), data.size());
  EXPECT_TRUE(got == data);
}
}  // namespace
