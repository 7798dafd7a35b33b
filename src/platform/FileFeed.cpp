#include "platform/FileFeed.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <system_error>

namespace {
bool WriteAll(int fd, const char* bytes, std::size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, bytes, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}
}  // namespace

FileFeed::FileFeed(int fd) {
  file_ = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
  if (file_ < 0) return;
  int ends[2];
  if (::pipe2(ends, O_CLOEXEC) != 0) return;
  readEnd_ = ends[0];
  writeEnd_ = ends[1];
  path_ = "/proc/self/fd/" + std::to_string(writeEnd_);
  try {
    copier_ = std::thread(&FileFeed::Copy, this);
  } catch (const std::system_error&) {
    return;
  }
  ok_ = true;
}

FileFeed::~FileFeed() {
  Finish();
  if (file_ >= 0) ::close(file_);
  if (readEnd_ >= 0) ::close(readEnd_);
  if (writeEnd_ >= 0) ::close(writeEnd_);
}

void FileFeed::Copy() {
  char chunk[64 * 1024];
  for (;;) {
    const ssize_t n = ::read(readEnd_, chunk, sizeof chunk);
    if (n == 0) return;
    if (n < 0) {
      if (errno == EINTR) continue;
      failed_ = true;
      return;
    }
    // Once a write has failed the rest is still read, so that the writer is
    // never left waiting on a full pipe.
    if (!failed_ && !WriteAll(file_, chunk, static_cast<std::size_t>(n))) failed_ = true;
  }
}

bool FileFeed::Finish() {
  if (!ok_ || finished_) return whole_;
  finished_ = true;
  // Our own writing end goes, so that the copier sees the end of the pipe
  // once the writer's is closed too.
  ::close(writeEnd_);
  writeEnd_ = -1;
  copier_.join();
  const bool closed = ::close(file_) == 0;
  file_ = -1;
  whole_ = !failed_ && closed;
  return whole_;
}
