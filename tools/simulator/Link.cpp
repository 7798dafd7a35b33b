#include "Link.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>

namespace sim {

namespace {

// Longest single wait for room, so that a stop request is seen soon.
constexpr int kPollSliceMs = 50;
// A pseudo-terminal may say "writable" while its queue is still full: pause
// a little before trying again rather than spin.
constexpr int kRetryPauseMs = 5;

void MakeRaw9600(struct termios& t) {
  cfmakeraw(&t);
  cfsetispeed(&t, B9600);
  cfsetospeed(&t, B9600);
  t.c_cflag &= ~static_cast<tcflag_t>(PARENB | CSTOPB | CSIZE | CRTSCTS);
  t.c_cflag |= CS8 | CLOCAL | CREAD;
  t.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
}

std::string Errno(const std::string& what) { return what + ": " + std::strerror(errno); }

void PauseMs(int ms) {
  struct timespec ts {0, static_cast<long>(ms) * 1000000L};
  nanosleep(&ts, nullptr);
}

}  // namespace

int64_t MonotonicMs() {
  struct timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

Link::~Link() { Close(); }

bool Link::OpenPty(std::string& error) {
  Close();
  int master = -1, slave = -1;
  char name[256] = {};
  if (openpty(&master, &slave, name, nullptr, nullptr) != 0) {
    error = Errno("openpty");
    return false;
  }
  struct termios t;
  if (tcgetattr(slave, &t) != 0) {
    error = Errno("tcgetattr on the pseudo-terminal");
    close(master);
    close(slave);
    return false;
  }
  MakeRaw9600(t);
  tcsetattr(slave, TCSANOW, &t);
  // The settings live as long as the master side; holding the slave open here
  // would hide whether anybody listens (see Write).
  close(slave);
  fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
  fcntl(master, F_SETFD, FD_CLOEXEC);
  fd_ = master;
  pty_ = true;
  path_ = name;
  return true;
}

bool Link::OpenDevice(const std::string& path, std::string& error) {
  Close();
  // Non-blocking: opening must not wait for a carrier, writing not for room.
  int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    error = Errno(path);
    return false;
  }
  struct termios t;
  if (tcgetattr(fd, &t) != 0) {
    error = path + ": not a terminal";
    close(fd);
    return false;
  }
  saved_ = t;
  MakeRaw9600(t);
  if (tcsetattr(fd, TCSANOW, &t) != 0) {
    error = Errno(path);
    close(fd);
    return false;
  }
  fd_ = fd;
  pty_ = false;
  restore_ = true;
  path_ = path;
  return true;
}

void Link::Close() {
  if (fd_ < 0) return;
  // TCSANOW: a line that does not drain must not hold the exit.
  if (restore_) tcsetattr(fd_, TCSANOW, &saved_);
  close(fd_);
  fd_ = -1;
  restore_ = false;
  pty_ = false;
}

bool Link::HasListener() const {
  if (fd_ < 0) return false;
  if (!pty_) return true;
  // The master side hangs up while no process holds the slave side.
  struct pollfd p {fd_, POLLOUT, 0};
  return !(poll(&p, 1, 0) > 0 && (p.revents & POLLHUP));
}

WriteOutcome Link::Write(const std::string& bytes, int64_t deadlineMs, const std::atomic<bool>* stop) {
  if (fd_ < 0) return WriteOutcome::Failed;
  // Bytes written with nobody listening would wait in the queue and reach the
  // monitor late, as a burst of stale frames, when it opens the port: a real
  // line loses them.
  if (!HasListener()) return WriteOutcome::NoListener;
  size_t done = 0;
  bool roomPromised = false;
  while (done < bytes.size()) {
    ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
    if (n > 0) {
      done += static_cast<size_t>(n);
      roomPromised = false;
      continue;
    }
    if (n < 0 && errno == EINTR) {
      if (stop && stop->load()) break;
      continue;
    }
    if (n < 0 && errno == EIO && pty_) return WriteOutcome::NoListener;
    if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) return WriteOutcome::Failed;
    if (stop && stop->load()) break;
    const int64_t left = deadlineMs - MonotonicMs();
    if (left <= 0) break;
    if (roomPromised) PauseMs(static_cast<int>(std::min<int64_t>(left, kRetryPauseMs)));
    struct pollfd p {fd_, POLLOUT, 0};
    int r = poll(&p, 1, static_cast<int>(std::min<int64_t>(left, kPollSliceMs)));
    if (r > 0 && pty_ && (p.revents & POLLHUP)) return WriteOutcome::NoListener;
    roomPromised = r > 0 && (p.revents & POLLOUT);
  }
  if (done == bytes.size()) return WriteOutcome::Written;
  return done > 0 ? WriteOutcome::Partial : WriteOutcome::Dropped;
}

}  // namespace sim
