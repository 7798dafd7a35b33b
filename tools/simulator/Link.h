#pragma once
// The simulator's end of the serial line: a pseudo-terminal of its own, or an
// existing tty. Writes never block for long: a charger does not wait for its
// listener, so bytes that find no room in time are dropped.
#include <termios.h>

#include <atomic>
#include <cstdint>
#include <string>

namespace sim {

enum class WriteOutcome {
  Written,     // every byte went out
  Partial,     // some went out, the rest found no room before the deadline
  Dropped,     // none went out before the deadline
  NoListener,  // nobody holds the pseudo-terminal's other side: not written
  Failed,      // the device refused the write (unplugged adapter, ...)
};

int64_t MonotonicMs();

class Link {
 public:
  Link() = default;
  ~Link();
  Link(const Link&) = delete;
  Link& operator=(const Link&) = delete;

  // A new pseudo-terminal pair; its slave side is set raw and closed again, so
  // the monitor that opens it by name is its only user.
  bool OpenPty(std::string& error);
  // An existing tty, set raw 9600 8N1 without flow control; its settings are
  // put back by Close.
  bool OpenDevice(const std::string& path, std::string& error);
  void Close();

  // The path the monitor should open (the slave side of a pseudo-terminal).
  const std::string& Path() const { return path_; }
  bool IsOpen() const { return fd_ >= 0; }

  // False while nobody holds the pseudo-terminal's other side; a tty always
  // counts as heard.
  bool HasListener() const;

  // Waits for room at most until deadlineMs (MonotonicMs clock) and returns
  // early when *stop becomes true.
  WriteOutcome Write(const std::string& bytes, int64_t deadlineMs, const std::atomic<bool>* stop);

 private:
  int fd_ = -1;
  bool pty_ = false;
  bool restore_ = false;
  struct termios saved_ {};
  std::string path_;
};

}  // namespace sim
