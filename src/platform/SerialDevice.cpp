#include "platform/SerialDevice.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <system_error>

namespace {
using Clock = std::chrono::steady_clock;

SerialDevice::OpenResult FromOpenErrno(int error) {
  switch (error) {
    case EBUSY:
      return SerialDevice::OpenResult::Held;  // TIOCEXCL of a live holder, or a stale one
    case EACCES:
    case EPERM:
      return SerialDevice::OpenResult::Denied;
    default:
      return SerialDevice::OpenResult::Missing;  // ENOENT, ENXIO, ENODEV, EIO...
  }
}

// A Unix98 pseudo-terminal's slave side (majors 136 to 143).
bool IsPseudoTerminal(int fd) {
  struct stat st{};
  if (::fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode)) return false;
  const unsigned int m = major(st.st_rdev);
  return m >= 136 && m <= 143;
}
}  // namespace

SerialDevice::SerialDevice(std::size_t queueBytes) : capacity_(queueBytes > 0 ? queueBytes : 1) {}

SerialDevice::~SerialDevice() { Close(); }

bool SerialDevice::PathForPort(const char* portName, char* path, std::size_t size) {
  if (path == nullptr || size == 0) return false;
  path[0] = '\0';
  if (portName == nullptr || std::strncmp(portName, "COM", 3) != 0) return false;
  const char* digit = portName + 3;
  if (*digit < '1' || *digit > '9') return false;
  int number = 0;
  int digits = 0;
  for (; *digit != '\0'; ++digit) {
    if (*digit < '0' || *digit > '9' || ++digits > 3) return false;
    number = number * 10 + (*digit - '0');
  }
  if (number > 256) return false;

  char variable[32];
  std::snprintf(variable, sizeof variable, "ZEPHYRAL_COM%d", number);
  const char* chosen = std::getenv(variable);
  const int written = (chosen != nullptr && chosen[0] != '\0')
                          ? std::snprintf(path, size, "%s", chosen)
                          : std::snprintf(path, size, "/dev/ttyS%d", number - 1);
  if (written < 0 || static_cast<std::size_t>(written) >= size) {
    path[0] = '\0';
    return false;
  }
  return true;
}

termios SerialDevice::WorkSettings(const termios& found) {
  termios t = found;
  // Bytes exactly as they came: no break handling, no parity marks or checks,
  // no stripping, no CR/NL translation, and no XON/XOFF, which would swallow
  // the data bytes 0x11 and 0x13.
  t.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | INPCK | ISTRIP | INLCR |
                                       IGNCR | ICRNL | IUCLC | IXON | IXOFF | IXANY);
  t.c_oflag &= ~static_cast<tcflag_t>(OPOST);
  t.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO | ECHOE | ECHOK | ECHONL | ISIG | IEXTEN);
  // 8N1. CRTSCTS and HUPCL stay as found. CLOCAL: the charger has no carrier
  // line, so a missing carrier must neither hang the port up nor block it.
  t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CSTOPB | CMSPAR);
  t.c_cflag |= CS8 | CREAD | CLOCAL;
  t.c_cc[VMIN] = 1;
  t.c_cc[VTIME] = 0;
  cfsetispeed(&t, B9600);
  cfsetospeed(&t, B9600);
  return t;
}

SerialDevice::OpenResult SerialDevice::Open(const char* path) {
  Close();
  if (path == nullptr || path[0] == '\0') return OpenResult::Missing;

  // Read-only: this link never sends anything.
  const int fd = ::open(path, O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return FromOpenErrno(errno);
  auto fail = [fd](OpenResult result, bool exclusiveSet) {
    if (exclusiveSet) ::ioctl(fd, TIOCNXCL);
    ::close(fd);
    return result;
  };
  if (!::isatty(fd)) return fail(OpenResult::NotATerminal, false);
  // The flock is what says whether a program holds the port: it goes with its
  // holder however that ends. TIOCEXCL does not on a pseudo-terminal: the
  // tty lives on while its master is open, flag and all, after a holder was
  // killed without Close, and only an opener with CAP_SYS_ADMIN gets past it
  // (anyone else is refused by open() above and cannot tell a dead holder
  // from a live one). So a pseudo-terminal is held by the flock alone, and a
  // flag found set on one with the flock free is such a leftover: it goes.
  // A real port's tty ends with its last descriptor, flag included, so there
  // TIOCEXCL also keeps out programs that take no flock.
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) return fail(OpenResult::Held, false);
  const bool pseudo = IsPseudoTerminal(fd);
  if (pseudo) {
    ::ioctl(fd, TIOCNXCL);
  } else if (::ioctl(fd, TIOCEXCL) != 0) {
    // The device is there and ours, but refuses exclusive use: a failure of
    // the device, not a missing one.
    return fail(OpenResult::Failed, false);
  }
  if (::tcgetattr(fd, &saved_) != 0) return fail(OpenResult::NotATerminal, true);

  // A device that refuses some setting still opens, as with any serial port
  // driver: the charger then simply sends nothing readable.
  const termios work = WorkSettings(saved_);
  ::tcsetattr(fd, TCSANOW, &work);

  int wake[2];
  if (::pipe2(wake, O_CLOEXEC | O_NONBLOCK) != 0) {
    ::tcsetattr(fd, TCSANOW, &saved_);
    return fail(OpenResult::Failed, true);
  }
  ring_.reset(new (std::nothrow) char[capacity_]);
  if (!ring_) {
    ::close(wake[0]);
    ::close(wake[1]);
    ::tcsetattr(fd, TCSANOW, &saved_);
    return fail(OpenResult::Failed, true);
  }
  fd_ = fd;
  wakeRead_ = wake[0];
  wakeWrite_ = wake[1];
  head_ = size_ = 0;
  stop_ = ended_ = released_ = false;
  try {
    reader_ = std::thread(&SerialDevice::ReaderLoop, this, fd, wake[0]);
  } catch (const std::system_error&) {
    ::tcsetattr(fd, TCSANOW, &saved_);
    ::ioctl(fd, TIOCNXCL);
    CloseFds();
    return OpenResult::Failed;
  }
  return OpenResult::Opened;
}

void SerialDevice::Close() {
  if (fd_ < 0) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  spaceFree_.notify_all();
  const char wake = 1;
  while (::write(wakeWrite_, &wake, 1) < 0 && errno == EINTR) {
  }
  if (reader_.joinable()) reader_.join();
  // The reader has ended, so released_ is settled and fd_ is ours alone. A
  // device that went away was closed by the reader: its number may already
  // belong to another file, and there is nothing to put back.
  if (released_) {
    fd_ = -1;
  } else {
    ::tcsetattr(fd_, TCSANOW, &saved_);
    ::ioctl(fd_, TIOCNXCL);
  }
  CloseFds();  // closing the descriptor also drops the flock
  std::lock_guard<std::mutex> lock(mutex_);
  head_ = size_ = 0;
  ended_ = true;
}

void SerialDevice::CloseFds() {
  if (fd_ >= 0) ::close(fd_);
  if (wakeRead_ >= 0) ::close(wakeRead_);
  if (wakeWrite_ >= 0) ::close(wakeWrite_);
  fd_ = wakeRead_ = wakeWrite_ = -1;
}

void SerialDevice::ReaderLoop(int device, int wake) {
  char chunk[4096];
  bool gone = false;
  for (;;) {
    std::size_t room;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      // A full queue: leave the rest in the tty until Read makes room.
      spaceFree_.wait(lock, [this] { return stop_ || size_ < capacity_; });
      if (stop_) break;
      room = std::min(capacity_ - size_, sizeof chunk);
    }
    pollfd watch[2] = {{device, POLLIN, 0}, {wake, POLLIN, 0}};
    const int ready = ::poll(watch, 2, -1);
    if (ready < 0) {
      if (errno == EINTR) continue;
      break;
    }
    if (watch[1].revents != 0) break;  // Close wants us gone
    const short events = watch[0].revents;
    if (events & POLLNVAL) break;
    if ((events & (POLLIN | POLLHUP | POLLERR)) == 0) continue;

    const ssize_t n = ::read(device, chunk, room);
    if (n > 0) {
      {
        std::lock_guard<std::mutex> lock(mutex_);
        // Only this thread adds, so the room seen above is still there.
        std::size_t tail = (head_ + size_) % capacity_;
        const std::size_t count = static_cast<std::size_t>(n);
        const std::size_t first = std::min(count, capacity_ - tail);
        std::memcpy(ring_.get() + tail, chunk, first);
        std::memcpy(ring_.get(), chunk + first, count - first);
        size_ += count;
      }
      dataReady_.notify_all();
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      if ((events & (POLLHUP | POLLERR)) == 0) continue;
    }
    // Hung up with nothing left, 0 (hung up), EIO or ENODEV: the device has gone.
    gone = true;
    break;
  }
  // A USB adapter or a pseudo-terminal frees its device number only at its
  // last close: held until Close, it would come back under another name. No
  // other thread uses the descriptor (Close touches it only after joining
  // us), so it can go now. The bytes already queued stay readable.
  if (gone) ::close(device);
  {
    std::lock_guard<std::mutex> lock(mutex_);
    ended_ = true;
    released_ = gone;
  }
  dataReady_.notify_all();
}

int SerialDevice::Read(char* buffer, int count, const ReadTimeouts& timeouts) {
  if (fd_ < 0 || buffer == nullptr || count <= 0) return 0;
  const auto start = Clock::now();
  const int64_t totalMs = static_cast<int64_t>(count) * std::max(timeouts.TotalPerByteMs, 0) +
                          std::max(timeouts.TotalConstantMs, 0);
  const auto totalEnd = start + std::chrono::milliseconds(totalMs);
  auto intervalEnd = Clock::time_point::max();

  std::unique_lock<std::mutex> lock(mutex_);
  int got = 0;
  for (;;) {
    if (size_ > 0) {
      const std::size_t wanted = static_cast<std::size_t>(count - got);
      const std::size_t take = std::min(size_, wanted);
      const std::size_t first = std::min(take, capacity_ - head_);
      std::memcpy(buffer + got, ring_.get() + head_, first);
      std::memcpy(buffer + got + first, ring_.get(), take - first);
      head_ = (head_ + take) % capacity_;
      size_ -= take;
      got += static_cast<int>(take);
      spaceFree_.notify_one();
      if (got == count) return got;
      if (timeouts.IntervalMs > 0) {
        intervalEnd = Clock::now() + std::chrono::milliseconds(timeouts.IntervalMs);
      }
    }
    const auto deadline = std::min(totalEnd, intervalEnd);
    if (Clock::now() >= deadline) return got;
    dataReady_.wait_until(lock, deadline);
  }
}

bool SerialDevice::ReaderRunning() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return fd_ >= 0 && !ended_;
}

std::size_t SerialDevice::Queued() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return size_;
}
