#include "platform/gui/TerminationSignals.h"

#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QSocketNotifier>
#include <cerrno>
#include <iterator>
#include <type_traits>

namespace {
constexpr int kSignals[] = {SIGTERM, SIGHUP, SIGINT};
constexpr int kBoxLookMs = 100;  // how often a waiting signal looks whether the box was answered

// A handler may run on any thread, the serial reader's too, in the middle of
// anything: all it may do is write a byte, which the event loop reads. The
// pipe is made once and never closed, so that a handler still running while
// an instance goes never writes into another file that took its number.
int readEnd = -1;
int writeEnd = -1;

void OnSignal(int) {
  const int saved = errno;
  const char byte = 0;
  // A full pipe already holds a byte that wakes the loop: one more is not missed.
  [[maybe_unused]] const ssize_t written = write(writeEnd, &byte, 1);
  errno = saved;
}

void Drain() {
  char bytes[64];
  while (read(readEnd, bytes, sizeof bytes) > 0) {
  }
}
}  // namespace

TTerminationSignals::TTerminationSignals(QWidget* window) : window_(window) {
  static_assert(std::extent_v<decltype(previous_)> == std::size(kSignals));
  for (size_t i = 0; i < std::size(kSignals); ++i) sigaction(kSignals[i], nullptr, &previous_[i]);
  if (readEnd < 0) {
    int ends[2];
    if (pipe2(ends, O_NONBLOCK | O_CLOEXEC) != 0) return;  // the signals keep their actions
    readEnd = ends[0];
    writeEnd = ends[1];
  }
  // Bytes of signals an earlier instance took are not this one's to act on.
  Drain();
  auto* notifier = new QSocketNotifier(readEnd, QSocketNotifier::Read, this);
  connect(notifier, &QSocketNotifier::activated, this, &TTerminationSignals::Arrived);
  boxAnswered_.setSingleShot(true);
  boxAnswered_.setInterval(kBoxLookMs);
  connect(&boxAnswered_, &QTimer::timeout, this, &TTerminationSignals::Close);

  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  // A read or write that the signal lands in, on whichever thread, goes on
  // rather than failing with EINTR where its caller does not expect it.
  action.sa_flags = SA_RESTART;
  for (size_t i = 0; i < std::size(kSignals); ++i) {
    if (previous_[i].sa_handler != SIG_IGN) sigaction(kSignals[i], &action, nullptr);
  }
}

TTerminationSignals::~TTerminationSignals() {
  for (size_t i = 0; i < std::size(kSignals); ++i) sigaction(kSignals[i], &previous_[i], nullptr);
}

void TTerminationSignals::Arrived() {
  Drain();
  Close();
}

void TTerminationSignals::Close() {
  // Once only, and only a window still shown: a second signal while the
  // closing asks about a record or writes it, or a signal while the close
  // box's own closing does, must not start another closing inside it.
  if (closing_ || !window_ || !window_->isVisible()) return;
  // While a box waits for an answer the close box cannot be used either;
  // closing inside the box would leave the code that asked going on with a
  // log already closed.
  if (QApplication::activeModalWidget()) {
    boxAnswered_.start();
    return;
  }
  closing_ = true;
  window_->close();
}
