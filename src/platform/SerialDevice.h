#pragma once
// SerialDevice: one receive-only serial tty on Linux.
//
// The device is held exclusively: a flock, which alone decides, since only it
// ends with a holder that is killed, and on a real port TIOCEXCL as well (on a
// pseudo-terminal that flag outlives a killed holder). It runs raw at 9600 8N1 without
// software flow control, and gets its own settings back on Close.
// A tty keeps only a few KiB of input, far less than a GUI thread may leave
// unread while a dialog or a print job holds it, so a reader thread drains the
// device into a bounded queue of our own. When that queue is full the thread
// stops draining and the tty holds the rest. Read() takes from the queue with
// the classic serial time-outs. Nothing is ever written to the device: it is
// opened read-only.
#include <termios.h>

#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <thread>

class SerialDevice {
 public:
  enum class OpenResult {
    Opened,
    Missing,       // no such device, or a device without hardware behind it
    Denied,        // no permission
    NotATerminal,  // a file or a device that is not a tty
    Held,          // another program holds the port (or, to an opener without
                   // CAP_SYS_ADMIN, once held it and was killed)
    Failed,        // the port refused exclusive use, or no thread, pipe or memory
  };

  // All in milliseconds; 0 switches the interval time-out off.
  struct ReadTimeouts {
    int IntervalMs;
    int TotalPerByteMs;
    int TotalConstantMs;
  };

  explicit SerialDevice(std::size_t queueBytes);
  ~SerialDevice();
  SerialDevice(const SerialDevice&) = delete;
  SerialDevice& operator=(const SerialDevice&) = delete;

  // Closes a device still open first, so a port is never held twice by us.
  OpenResult Open(const char* path);
  // Stops the reader, puts the saved settings back, closes. Harmless when
  // nothing is open.
  void Close();
  bool IsOpen() const { return fd_ >= 0; }

  // Returns as soon as count bytes are in, or IntervalMs after the last byte
  // taken when no next one comes, or at the latest
  // count * TotalPerByteMs + TotalConstantMs after the call. A device that has
  // gone away still waits out its time-outs, so a caller that keeps reading
  // does not spin.
  int Read(char* buffer, int count, const ReadTimeouts& timeouts);

  // False once the reader thread ended because the device went away (a USB
  // adapter pulled, the other end of a pseudo-terminal closed). The device
  // file is then closed at once, so that a returning adapter gets its old
  // name back; the device still counts as open until Close, which then has
  // no settings to put back.
  bool ReaderRunning() const;
  // Bytes waiting in our queue.
  std::size_t Queued() const;

  // "COMn" (n = 1..256, no leading zero) to the device path: the value of the
  // environment variable ZEPHYRAL_COM<n> when it is set and not empty,
  // /dev/ttyS<n-1> otherwise. False, with an empty path, for any other name
  // or when the path does not fit in size bytes (never opened cut short).
  static bool PathForPort(const char* portName, char* path, std::size_t size);

  // The settings this device runs with, made from the ones found: raw input,
  // 9600 baud, 8 data bits, no parity, one stop bit, receiver on, modem lines
  // ignored, software flow control (IXON, IXOFF, IXANY) off. A new Linux tty
  // has XON/XOFF on and would take the bytes 0x11 and 0x13 for itself, while
  // the charger sends them as data; we never send, so nothing needs pacing.
  // RTS/CTS, the XON/XOFF characters and the DTR mode on close are kept.
  static termios WorkSettings(const termios& found);

 private:
  // Runs on its own descriptor copies: fd_ and the wake pipe belong to the
  // thread that opens and closes.
  void ReaderLoop(int device, int wake);
  void CloseFds();

  const std::size_t capacity_;
  int fd_ = -1;
  int wakeRead_ = -1;
  int wakeWrite_ = -1;
  termios saved_{};
  std::thread reader_;

  mutable std::mutex mutex_;
  std::condition_variable dataReady_;
  std::condition_variable spaceFree_;
  std::unique_ptr<char[]> ring_;
  std::size_t head_ = 0;  // oldest byte
  std::size_t size_ = 0;
  bool stop_ = false;
  bool ended_ = false;
  // The reader closed the device because it went away.
  bool released_ = false;
};
