#include "platform/SerialDevice.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <time.h>

#include <atomic>
#include <cerrno>
#include <cstdarg>
#include <filesystem>
#include <string>
#include <thread>

#include "platform/PtyPair.h"

// A tty that refuses exclusive use cannot be made on demand, so this binary
// stands in for ioctl: while gRefuseExclusive is set, TIOCEXCL fails as such a
// device's driver would; every other request goes to the real call.
std::atomic<bool> gRefuseExclusive{false};

extern "C" int ioctl(int fd, unsigned long request, ...) noexcept {
  va_list args;
  va_start(args, request);
  void* argument = va_arg(args, void*);
  va_end(args);
  if (request == TIOCEXCL && gRefuseExclusive.load()) {
    errno = EIO;
    return -1;
  }
  using Real = int (*)(int, unsigned long, ...);
  static const Real real = reinterpret_cast<Real>(::dlsym(RTLD_NEXT, "ioctl"));
  return real(fd, request, argument);
}

namespace {
using Result = SerialDevice::OpenResult;
constexpr SerialDevice::ReadTimeouts kTimeouts{15, 1, 250};
constexpr std::size_t kQueue = 128 * 1024;

std::string Pattern(std::size_t size) {
  std::string data(size, '\0');
  for (std::size_t i = 0; i < size; ++i) data[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
  return data;
}

// Reads until size bytes came or a read brings nothing.
std::string ReadAll(SerialDevice& device, std::size_t size) {
  std::string got;
  char chunk[3000];
  while (got.size() < size) {
    int n = device.Read(chunk, sizeof chunk, kTimeouts);
    if (n <= 0) break;
    got.append(chunk, static_cast<std::size_t>(n));
  }
  return got;
}

TEST(SerialDevicePath, PortNamesMapToDevices) {
  struct Case {
    const char* name;
    bool ok;
    const char* path;
  };
  const Case cases[] = {
      {"COM1", true, "/dev/ttyS0"},    {"COM2", true, "/dev/ttyS1"},
      {"COM6", true, "/dev/ttyS5"},    {"COM10", true, "/dev/ttyS9"},
      {"COM256", true, "/dev/ttyS255"}, {"COM257", false, ""},
      {"COM0", false, ""},             {"COM01", false, ""},
      {"COM", false, ""},              {"", false, ""},
      {"com1", false, ""},             {"LPT1", false, ""},
      {"COM1 ", false, ""},            {" COM1", false, ""},
      {"COM-1", false, ""},            {"COM+1", false, ""},
      {"COM1000", false, ""},          {"COM99999999999999999999", false, ""},
  };
  for (const Case& c : cases) {
    char path[64] = "unchanged";
    EXPECT_EQ(SerialDevice::PathForPort(c.name, path, sizeof path), c.ok) << c.name;
    EXPECT_STREQ(path, c.path) << c.name;
  }
  char path[64] = "unchanged";
  EXPECT_FALSE(SerialDevice::PathForPort(nullptr, path, sizeof path));
  EXPECT_STREQ(path, "");
  EXPECT_FALSE(SerialDevice::PathForPort("COM1", nullptr, 10));
}

TEST(SerialDevicePath, EnvironmentNamesAnotherDevice) {
  ScopedEnv usb("ZEPHYRAL_COM3", "/dev/ttyUSB0");
  ScopedEnv empty("ZEPHYRAL_COM4", "");
  char path[64];
  ASSERT_TRUE(SerialDevice::PathForPort("COM3", path, sizeof path));
  EXPECT_STREQ(path, "/dev/ttyUSB0");
  // Set but empty: as if unset.
  ASSERT_TRUE(SerialDevice::PathForPort("COM4", path, sizeof path));
  EXPECT_STREQ(path, "/dev/ttyS3");
  // Only the variable of that number counts.
  ASSERT_TRUE(SerialDevice::PathForPort("COM5", path, sizeof path));
  EXPECT_STREQ(path, "/dev/ttyS4");
}

TEST(SerialDevicePath, PathThatDoesNotFitIsRefusedNotCut) {
  const std::string longPath = "/dev/" + std::string(300, 'x');
  ScopedEnv env("ZEPHYRAL_COM2", longPath.c_str());
  char path[256];
  EXPECT_FALSE(SerialDevice::PathForPort("COM2", path, sizeof path));
  EXPECT_STREQ(path, "");
  char small[10];
  ScopedEnv unset("ZEPHYRAL_COM1", "");
  EXPECT_FALSE(SerialDevice::PathForPort("COM1", small, sizeof small));  // "/dev/ttyS0" is 10
  EXPECT_STREQ(small, "");
  char exact[11];
  EXPECT_TRUE(SerialDevice::PathForPort("COM1", exact, sizeof exact));
  EXPECT_STREQ(exact, "/dev/ttyS0");
}

TEST(SerialDeviceSettings, RawAt9600EightNoneOneWithoutXonXoff) {
  struct Case {
    const char* what;
    tcflag_t iflag, cflag;
  };
  const Case cases[] = {
      {"no flow control", ICRNL | ISTRIP | IGNCR | INLCR | BRKINT | PARMRK | INPCK, CS7 | PARENB | PARODD | CSTOPB},
      {"RTS/CTS", ICRNL, CS8 | CRTSCTS | HUPCL},
      {"XON/XOFF", ICRNL | IXON | IXOFF | IXANY, CS5 | CSTOPB},
      {"both", IXON | IXOFF, CS6 | CRTSCTS | PARENB},
  };
  for (const Case& c : cases) {
    termios found{};
    found.c_iflag = c.iflag;
    found.c_oflag = OPOST | ONLCR;
    found.c_cflag = c.cflag;
    found.c_lflag = ICANON | ECHO | ECHOE | ECHOK | ISIG | IEXTEN;
    found.c_cc[VSTART] = 0x21;
    found.c_cc[VSTOP] = 0x22;
    found.c_cc[VMIN] = 0;
    found.c_cc[VTIME] = 5;
    cfsetispeed(&found, B38400);
    cfsetospeed(&found, B38400);

    const termios work = SerialDevice::WorkSettings(found);
    EXPECT_EQ(cfgetispeed(&work), static_cast<speed_t>(B9600)) << c.what;
    EXPECT_EQ(cfgetospeed(&work), static_cast<speed_t>(B9600)) << c.what;
    EXPECT_EQ(work.c_cflag & CSIZE, static_cast<tcflag_t>(CS8)) << c.what;
    EXPECT_EQ(work.c_cflag & (PARENB | PARODD | CSTOPB), 0u) << c.what;
    EXPECT_EQ(work.c_cflag & (CREAD | CLOCAL), static_cast<tcflag_t>(CREAD | CLOCAL)) << c.what;
    EXPECT_EQ(work.c_lflag & (ICANON | ECHO | ECHOE | ECHOK | ECHONL | ISIG | IEXTEN), 0u) << c.what;
    EXPECT_EQ(work.c_iflag & (ICRNL | IGNCR | INLCR | ISTRIP | BRKINT | PARMRK | INPCK), 0u) << c.what;
    EXPECT_EQ(work.c_oflag & OPOST, 0u) << c.what;
    EXPECT_EQ(work.c_cc[VMIN], 1) << c.what;
    EXPECT_EQ(work.c_cc[VTIME], 0) << c.what;
    // Software flow control off, whatever was found; the rest kept as found.
    EXPECT_EQ(work.c_iflag & (IXON | IXOFF | IXANY), 0u) << c.what;
    EXPECT_EQ(work.c_cflag & (CRTSCTS | HUPCL), c.cflag & (CRTSCTS | HUPCL)) << c.what;
    EXPECT_EQ(work.c_cc[VSTART], 0x21) << c.what;
    EXPECT_EQ(work.c_cc[VSTOP], 0x22) << c.what;
  }
}

void ExpectSameSettings(const termios& a, const termios& b, const char* what) {
  EXPECT_EQ(a.c_iflag, b.c_iflag) << what;
  EXPECT_EQ(a.c_oflag, b.c_oflag) << what;
  EXPECT_EQ(a.c_cflag, b.c_cflag) << what;
  EXPECT_EQ(a.c_lflag, b.c_lflag) << what;
  EXPECT_EQ(cfgetispeed(&a), cfgetispeed(&b)) << what;
  EXPECT_EQ(cfgetospeed(&a), cfgetospeed(&b)) << what;
  for (int i = 0; i < NCCS; ++i) EXPECT_EQ(a.c_cc[i], b.c_cc[i]) << what << " c_cc[" << i << "]";
}

TEST(SerialDeviceSettings, DeviceRunsWorkSettingsAndGetsItsOwnBack) {
  struct Case {
    const char* what;
    tcflag_t iflagOn, cflagOn;
    speed_t speed;
  };
  const Case cases[] = {
      {"pty defaults", 0, 0, B38400},
      {"RTS/CTS at 19200", 0, CRTSCTS, B19200},
      {"XON/XOFF at 2400", IXON | IXOFF, 0, B2400},
  };
  for (const Case& c : cases) {
    PtyPair pty;
    ASSERT_TRUE(pty.Ok());
    termios original{};
    ASSERT_EQ(tcgetattr(pty.Slave, &original), 0);
    original.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF);
    original.c_iflag |= c.iflagOn;
    original.c_cflag |= c.cflagOn;
    original.c_cc[VSTART] = 0x15;
    cfsetispeed(&original, c.speed);
    cfsetospeed(&original, c.speed);
    ASSERT_EQ(tcsetattr(pty.Slave, TCSANOW, &original), 0);
    ASSERT_EQ(tcgetattr(pty.Slave, &original), 0);  // as the tty took it

    SerialDevice device(kQueue);
    ASSERT_EQ(device.Open(pty.Name), Result::Opened) << c.what;
    termios running{};
    ASSERT_EQ(tcgetattr(pty.Slave, &running), 0);
    EXPECT_EQ(cfgetispeed(&running), static_cast<speed_t>(B9600)) << c.what;
    EXPECT_EQ(running.c_lflag & (ICANON | ECHO | ISIG), 0u) << c.what;
    EXPECT_EQ(running.c_iflag & (IXON | IXOFF | IXANY), 0u) << c.what;
    EXPECT_EQ(running.c_cflag & CRTSCTS, c.cflagOn) << c.what;
    EXPECT_EQ(running.c_cc[VSTART], 0x15) << c.what;

    device.Close();
    termios after{};
    ASSERT_EQ(tcgetattr(pty.Slave, &after), 0);
    ExpectSameSettings(after, original, c.what);
  }
}

TEST(SerialDeviceOpen, RefusesWhatIsNotAFreeTty) {
  TempDir dir;
  const std::string file = dir.File("plain");
  FILE* f = std::fopen(file.c_str(), "w");
  ASSERT_NE(f, nullptr);
  std::fclose(f);
  struct Case {
    std::string path;
    Result expected;
  };
  const Case cases[] = {
      {dir.File("missing"), Result::Missing},
      {"", Result::Missing},
      {file, Result::NotATerminal},
      {dir.Path(), Result::NotATerminal},
      {"/dev/null", Result::NotATerminal},
  };
  for (const Case& c : cases) {
    SerialDevice device(kQueue);
    EXPECT_EQ(device.Open(c.path.c_str()), c.expected) << c.path;
    EXPECT_FALSE(device.IsOpen()) << c.path;
    char byte;
    EXPECT_EQ(device.Read(&byte, 1, kTimeouts), 0) << c.path;
  }
  SerialDevice device(kQueue);
  EXPECT_EQ(device.Open(nullptr), Result::Missing);
}

// A holder killed while the far end of a pseudo-terminal stays open leaves
// the tty exclusive, but its flock went with it: the port is free again.
// Only an opener with CAP_SYS_ADMIN gets past that flag; anyone else is
// refused by the kernel before there is a descriptor to look at.
TEST(SerialDeviceOpen, TtyWhoseHolderWasKilledOpensAgain) {
  PtyPair pty;
  ASSERT_TRUE(pty.Ok());
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  const pid_t holder = ::fork();
  ASSERT_GE(holder, 0);
  if (holder == 0) {
    const int fd = ::open(pty.Name, O_RDONLY | O_NOCTTY);
    if (fd < 0 || ::flock(fd, LOCK_EX) != 0 || ::ioctl(fd, TIOCEXCL) != 0) ::_exit(1);
    if (::write(ready[1], "x", 1) == 1) ::pause();
    ::_exit(0);
  }
  ::close(ready[1]);
  char byte = 0;
  const bool holding = ::read(ready[0], &byte, 1) == 1;
  ::close(ready[0]);
  SerialDevice device(kQueue);
  EXPECT_EQ(device.Open(pty.Name), Result::Held);
  ::kill(holder, SIGKILL);
  ::waitpid(holder, nullptr, 0);
  ASSERT_TRUE(holding);

  const int probe = ::open(pty.Name, O_RDONLY | O_NOCTTY | O_NONBLOCK);
  if (probe < 0) {
    EXPECT_EQ(device.Open(pty.Name), Result::Held);
    return;
  }
  ::close(probe);
  EXPECT_EQ(device.Open(pty.Name), Result::Opened);
  // The leftover flag is gone and none of ours takes its place, so an opener
  // without CAP_SYS_ADMIN gets in once we are killed in turn.
  int stale = -1;
  ASSERT_EQ(::ioctl(pty.Slave, TIOCGEXCL, &stale), 0);
  EXPECT_EQ(stale, 0);
  // Opening again on the same object lets go first instead of meeting its
  // own lock.
  EXPECT_EQ(device.Open(pty.Name), Result::Opened);
  device.Close();
  int exclusive = -1;
  ASSERT_EQ(::ioctl(pty.Slave, TIOCGEXCL, &exclusive), 0);
  EXPECT_EQ(exclusive, 0);  // our exclusivity ends with Close
}

// Why a tty does not open, as the serial port keeps it. After each refusal
// the tty is left as it was: free for the next opener, not exclusive.
TEST(SerialDeviceOpen, TtyOpenResultsByCause) {
  struct Case {
    const char* what;
    bool flockedElsewhere, refusesExclusive;
    Result expected;
  };
  const Case cases[] = {
      {"free", false, false, Result::Opened},
      {"locked by another program", true, false, Result::Held},
      // Held by its flock alone, so a driver's refusal is never met.
      {"refuses exclusive use", false, true, Result::Opened},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PtyPair pty;
    ASSERT_TRUE(pty.Ok());
    const int other = ::open(pty.Name, O_RDONLY | O_NOCTTY);
    ASSERT_GE(other, 0);
    if (c.flockedElsewhere) {
      ASSERT_EQ(::flock(other, LOCK_EX | LOCK_NB), 0);
    }
    gRefuseExclusive = c.refusesExclusive;
    SerialDevice device(kQueue);
    EXPECT_EQ(device.Open(pty.Name), c.expected);
    gRefuseExclusive = false;
    EXPECT_EQ(device.IsOpen(), c.expected == Result::Opened);
    device.Close();
    ::close(other);
    int exclusive = -1;
    ASSERT_EQ(::ioctl(pty.Slave, TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 0);
    EXPECT_EQ(device.Open(pty.Name), Result::Opened);
  }
}

// A new tty has XON/XOFF on; the charger's 0x11 and 0x13 are data all the same.
TEST(SerialDeviceSettings, XonXoffBytesArriveAsData) {
  PtyPair pty;
  ASSERT_TRUE(pty.Ok());
  termios fresh{};
  ASSERT_EQ(tcgetattr(pty.Slave, &fresh), 0);
  ASSERT_NE(fresh.c_iflag & IXON, 0u);
  SerialDevice device(kQueue);
  ASSERT_EQ(device.Open(pty.Name), Result::Opened);
  const std::string bytes("A\x13" "B\x11" "C\x13\x13\x11" "D", 9);
  ASSERT_EQ(pty.Send(bytes), bytes.size());
  EXPECT_EQ(ReadAll(device, bytes.size()), bytes);
  device.Close();
  termios after{};
  ASSERT_EQ(tcgetattr(pty.Slave, &after), 0);
  EXPECT_EQ(after.c_iflag, fresh.c_iflag);  // XON/XOFF back on
}

// A queue smaller than the data, with a size that makes the ring wrap at odd
// places: the reader stops at the bound, the tty keeps the rest, nothing is
// lost or reordered.
TEST(SerialDeviceQueue, FullQueueStopsDrainingWithoutLoss) {
  PtyPair pty;
  ASSERT_TRUE(pty.Ok());
  constexpr std::size_t kSmall = 1000;
  ASSERT_TRUE(pty.NoSoftwareFlowControl());
  SerialDevice device(kSmall);
  ASSERT_EQ(device.Open(pty.Name), Result::Opened);
  const std::string data = Pattern(40000);
  std::size_t sent = 0;
  std::thread writer([&] { sent = pty.Send(data.data(), data.size(), 10000); });
  EXPECT_TRUE(WaitFor([&] { return device.Queued() >= kSmall; }));
  EXPECT_EQ(device.Queued(), kSmall);  // full, and never more
  const std::string got = ReadAll(device, data.size());
  writer.join();
  EXPECT_EQ(sent, data.size());
  ASSERT_EQ(got.size(), data.size());
  EXPECT_TRUE(got == data);
}

TEST(SerialDeviceQueue, CloseWhileReaderWaitsForRoom) {
  PtyPair pty;
  ASSERT_TRUE(pty.Ok());
  SerialDevice device(100);
  ASSERT_EQ(device.Open(pty.Name), Result::Opened);
  pty.Send(Pattern(500));
  EXPECT_TRUE(WaitFor([&] { return device.Queued() >= 100u; }));
  EXPECT_EQ(device.Queued(), 100u);
  device.Close();  // returns: the waiting reader was woken
  EXPECT_FALSE(device.IsOpen());
  EXPECT_EQ(device.Queued(), 0u);
}

double CpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// The descriptor of ours that names path ("/dev/pts/3", also once its node
// is gone and the link reads "/dev/pts/3 (deleted)"); -1 when none does.
int DescriptorOf(const std::string& path) {
  for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
    std::error_code error;
    const std::string target = std::filesystem::read_symlink(entry.path(), error).string();
    if (!error && target.compare(0, path.size(), path) == 0 &&
        (target.size() == path.size() || target[path.size()] == ' '))
      return std::stoi(entry.path().filename().string());
  }
  return -1;
}

TEST(SerialDeviceGone, TheDeviceIsLetGoAtOnceWhenTheOtherEndCloses) {
  PtyPair pty;
  ASSERT_TRUE(pty.Ok());
  SerialDevice device(kQueue);
  ASSERT_EQ(device.Open(pty.Name), Result::Opened);
  ::close(pty.Slave);  // now only the device holds the slave, as with an adapter
  pty.Slave = -1;
  const int number = DescriptorOf(pty.Name);
  ASSERT_GE(number, 0);
  EXPECT_TRUE(device.ReaderRunning());
  pty.Send("ab");
  ASSERT_TRUE(WaitFor([&] { return device.Queued() == 2u; }));
  pty.CloseMaster();
  // The pseudo-terminal's number is free again only once its last holder closed it.
  EXPECT_TRUE(WaitFor([&] { return !device.ReaderRunning(); }));
  EXPECT_EQ(DescriptorOf(pty.Name), -1);
  EXPECT_TRUE(device.IsOpen());

  // What came before the hang-up is still read; then reads wait out their
  // time-out and bring nothing, and no thread spins.
  const double cpuBefore = CpuSeconds();
  const auto readStart = std::chrono::steady_clock::now();
  char buffer[8];
  EXPECT_EQ(device.Read(buffer, 8, kTimeouts), 2);
  EXPECT_EQ(std::string(buffer, 2), "ab");
  EXPECT_EQ(device.Read(buffer, 1, kTimeouts), 0);
  EXPECT_EQ(device.Read(buffer, 8, kTimeouts), 0);
  const long long wall = ElapsedMs(readStart);
  EXPECT_GE(wall, 480);
  EXPECT_LT(CpuSeconds() - cpuBefore, 0.2);

  // The device's old number may already name another file: Close leaves it be.
  const int null = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
  ASSERT_EQ(::dup3(null, number, O_CLOEXEC), number);
  ::close(null);
  device.Close();
  device.Close();
  EXPECT_NE(::fcntl(number, F_GETFD), -1);
  ::close(number);
  EXPECT_FALSE(device.IsOpen());
  EXPECT_EQ(device.Read(buffer, 1, kTimeouts), 0);
}
}  // namespace
