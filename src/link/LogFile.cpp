#include "link/LogFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <initializer_list>

namespace {
// Opens and locks name; the file is emptied only once the lock is ours, so a
// copy that is still running never loses its log.
int OpenExclusive(const char* name) {
  int fd = ::open(name, O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return -1;
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::ftruncate(fd, 0) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

void WriteAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    ssize_t n = ::write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;  // a full disk or a closed log: the line is lost, by design
    data += n;
    size -= static_cast<size_t>(n);
  }
}
}  // namespace

TLogFile::~TLogFile() { Close(); }

void TLogFile::Open(const char* baseName) {
  // Our own lock would otherwise keep us out of our own log, and the old
  // descriptor would leak.
  Close();
  // A base name too long for FileName gives no log rather than a log under a
  // cut-short name that nobody would look for.
  for (const char* ending : {"-1.log", "-2.log"}) {
    int n = std::snprintf(FileName, sizeof FileName, "%s%s", baseName, ending);
    if (n < 0 || n >= static_cast<int>(sizeof FileName)) return;
    Handle = OpenExclusive(FileName);
    if (Handle >= 0) return;
  }
}

void TLogFile::Close() {
  if (Handle >= 0) ::close(Handle);
  Handle = -1;
}

void TLogFile::TimeStamp(char* buffer, int size) {
  buffer[0] = '\0';
  std::time_t now = std::time(nullptr);
  std::tm local{};
  if (localtime_r(&now, &local) == nullptr) return;
  if (std::strftime(buffer, static_cast<size_t>(size), "%X", &local) == 0) buffer[0] = '\0';
}

void TLogFile::Compose(const char* text, bool withTime, bool lineEnd) {
  if (Handle < 0) return;
  char line[1024];
  int used = 0;
  if (withTime) {
    TimeStamp(line, 64);
    used = static_cast<int>(std::strlen(line));
    line[used++] = ' ';
  }
  size_t len = std::strlen(text);
  size_t room = sizeof line - static_cast<size_t>(used) - 2;
  if (len > room) len = room;  // callers pass at most 512 characters; never overrun
  std::memcpy(line + used, text, len);
  used += static_cast<int>(len);
  if (lineEnd) {
    line[used++] = '\r';
    line[used++] = '\n';
  }
  WriteAll(Handle, line, static_cast<size_t>(used));
}

void TLogFile::WriteLine(const char* text, bool withTime) { Compose(text, withTime, true); }
void TLogFile::Write(const char* text, bool withTime) { Compose(text, withTime, false); }

void TLogFile::WriteBytes(const char* data, int length) {
  if (Handle >= 0 && length > 0) WriteAll(Handle, data, static_cast<size_t>(length));
}
