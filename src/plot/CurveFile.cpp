#include "plot/CurveFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "plot/CurveStore.h"

namespace curvefile {
namespace {

constexpr char kHeader[] = "  t  \t  V  \t  I  \t  C  \t  T  \r\n";
constexpr size_t kBlockBytes = 256 * 1024;
// The longest line the format allows, in characters (CR and LF not counted).
constexpr size_t kMaxLineChars = 63;

constexpr int64_t kInt32Min = std::numeric_limits<int32_t>::min();
constexpr int64_t kInt32Max = std::numeric_limits<int32_t>::max();

int32_t Saturate(int64_t v) {
  return static_cast<int32_t>(v < kInt32Min ? kInt32Min : v > kInt32Max ? kInt32Max : v);
}

// Toward zero into 32 bits. Values beyond the range are held at its ends and
// a value that is not a number gives 0, so that every line of the file is
// five 32-bit numbers that the import reads back.
int32_t Trunc32(double v) {
  if (!(v == v)) return 0;
  if (v >= 2147483648.0) return std::numeric_limits<int32_t>::max();
  if (v <= -2147483649.0) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(v);
}

// "%5ld" of the C locale: right-aligned in at least five characters.
char* PutField(char* p, int32_t v) {
  char digits[16];
  const auto res = std::to_chars(digits, digits + sizeof digits, v);
  const size_t len = static_cast<size_t>(res.ptr - digits);
  for (size_t pad = len; pad < 5; ++pad) *p++ = ' ';
  std::memcpy(p, digits, len);
  return p + len;
}

bool WriteAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

// The folder that holds a path's last name, as open() takes it.
std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

// The first part of every temporary name of a target: hidden, beside it.
std::string TemporaryPrefix(const std::string& path) {
  const size_t slash = path.rfind('/');
  const size_t baseAt = slash == std::string::npos ? 0 : slash + 1;
  return path.substr(0, baseAt) + "." + path.substr(baseAt) + ".tmp";
}

// Tries prefix + "<pid>-<n>" names until make() takes one; a name that is
// there already is passed over. tmpName is empty when none was taken.
template <class Make>
int WithFreshName(const std::string& path, std::string& tmpName, Make make) {
  static std::atomic<unsigned> serial{0};
  const std::string prefix = TemporaryPrefix(path) + std::to_string(::getpid()) + "-";
  for (int attempt = 0; attempt < 100; ++attempt) {
    tmpName = prefix + std::to_string(serial++);
    const int r = make(tmpName);
    if (r >= 0) return r;
    if (errno != EEXIST) break;
  }
  tmpName.clear();
  return -1;
}

// The file the new curve goes into, in the target's folder. It has no name
// where the file system allows that, so that a program killed before the
// rename leaves nothing behind; tmpName is empty then.
int CreateTemporary(const std::string& path, std::string& tmpName) {
  tmpName.clear();
  // 0666: the user's umask decides, as for any new file.
  if (::access("/proc/self/fd", X_OK) == 0) {
    const int fd = ::open(FolderOf(path).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (fd >= 0) return fd;
  }
  return WithFreshName(path, tmpName, [](const std::string& name) {
    return ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  });
}

// An unnamed temporary gets its hidden name only now, just before the rename.
bool NameTemporary(int fd, const std::string& path, std::string& tmpName) {
  if (!tmpName.empty()) return true;
  const std::string self = "/proc/self/fd/" + std::to_string(fd);
  return WithFreshName(path, tmpName, [&self](const std::string& name) {
           return ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW);
         }) == 0;
}

// Temporaries of this target whose program is gone: an export killed on its
// way. Another running copy's are left to it.
void RemoveLeftovers(const std::string& path) {
  const std::string prefix = TemporaryPrefix(path);
  const std::string hidden = prefix.substr(prefix.rfind('/') + 1);
  DIR* dir = ::opendir(FolderOf(path).c_str());
  if (dir == nullptr) return;
  while (const dirent* e = ::readdir(dir)) {
    const char* name = e->d_name;
    if (std::strncmp(name, hidden.c_str(), hidden.size()) != 0) continue;
    const char* const end = name + std::strlen(name);
    pid_t pid = 0;
    unsigned n = 0;
    const auto p = std::from_chars(name + hidden.size(), end, pid);
    if (p.ec != std::errc() || pid <= 0 || pid == ::getpid() || *p.ptr != '-') continue;
    const auto q = std::from_chars(p.ptr + 1, end, n);
    if (q.ec != std::errc() || q.ptr != end) continue;
    if (::kill(pid, 0) != 0 && errno == ESRCH) ::unlinkat(::dirfd(dir), name, 0);
  }
  ::closedir(dir);
}

// The name that opening the path would reach: through symbolic links to the
// file they name, which is written while the links stay. A link to a missing
// file leads to that name, and the export creates it.
bool FollowLinks(std::string& path) {
  for (int hops = 0; hops < 40; ++hops) {
    char to[PATH_MAX];
    const ssize_t n = ::readlink(path.c_str(), to, sizeof to);
    if (n < 0) return true;  // not a link, or not there: the name itself
    if (static_cast<size_t>(n) >= sizeof to) return false;
    const size_t slash = path.rfind('/');
    const std::string link(to, static_cast<size_t>(n));
    path = link[0] == '/' || slash == std::string::npos ? link : path.substr(0, slash + 1) + link;
  }
  return false;  // a loop of links, which open() refuses as well
}

// The replacement gets the old file's owner and group where this user may
// give them; false when not.
bool KeepOwner(int fd, const struct stat& old) {
  struct stat st {};
  if (::fstat(fd, &st) != 0) return false;
  return (st.st_uid == old.st_uid && st.st_gid == old.st_gid) ||
         ::fchown(fd, old.st_uid, old.st_gid) == 0;
}

void SyncFolderOf(const std::string& path) {
  const int fd = ::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);  // the rename is in place already; this only makes it durable
  ::close(fd);
}

bool WriteCurve(int fd, const CurveStore& store, int32_t voltageOffset) {
  std::vector<char> block(kBlockBytes);
  char* const begin = block.data();
  char* const flushAt = begin + kBlockBytes - 128;  // room for one more line
  char* p = begin;
  std::memcpy(p, kHeader, sizeof kHeader - 1);
  p += sizeof kHeader - 1;
  int32_t count = store.Count;
  if (count < 0) count = 0;
  if (count > curve::kCapacity) count = curve::kCapacity;
  for (int32_t k = 0; k < count; ++k) {
    // The voltage is truncated before the offset is added.
    const int64_t volt = static_cast<int64_t>(Trunc32(store.Volt[k])) + voltageOffset;
    p = PutField(p, store.Time[k]);
    *p++ = '\t';
    p = PutField(p, Saturate(volt));
    *p++ = '\t';
    p = PutField(p, Trunc32(store.Curr[k]));
    *p++ = '\t';
    p = PutField(p, Trunc32(store.Capa[k]));
    *p++ = '\t';
    p = PutField(p, Trunc32(store.Temp[k]));
    *p++ = '\r';
    *p++ = '\n';
    if (p >= flushAt) {
      if (!WriteAll(fd, begin, static_cast<size_t>(p - begin))) return false;
      p = begin;
    }
  }
  return WriteAll(fd, begin, static_cast<size_t>(p - begin));
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Five whole numbers, each with an optional sign, separated by any run of
// blanks and tabs. What follows the fifth is not looked at.
bool ReadFive(const char* s, size_t len, int64_t out[5]) {
  constexpr int64_t kHuge = 1000000000000LL;  // far beyond 32 bits, far below 64
  size_t i = 0;
  for (int k = 0; k < 5; ++k) {
    while (i < len && IsBlank(s[i])) ++i;
    bool negative = false;
    if (i < len && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    if (i >= len || s[i] < '0' || s[i] > '9') return false;
    int64_t v = 0;
    for (; i < len && s[i] >= '0' && s[i] <= '9'; ++i)
      if (v < kHuge) v = v * 10 + (s[i] - '0');
    out[k] = negative ? -v : v;
  }
  return true;
}

class LineReader {
 public:
  LineReader(int32_t voltageOffset, ImportSink& sink) : offset_(voltageOffset), sink_(sink) {}

  void Feed(const char* data, size_t size) {
    const char* p = data;
    const char* const end = data + size;
    while (p < end) {
      while (p < end && *p == '\n') ++p;  // LF ends nothing: the CR does
      const char* cr = static_cast<const char*>(std::memchr(p, '\r', static_cast<size_t>(end - p)));
      const char* stop = cr ? cr : end;
      const size_t n = static_cast<size_t>(stop - p);
      if (cr && len_ == 0 && n <= kMaxLineChars && !std::memchr(p, '\n', n)) {
        // The usual line, whole inside this block: read in place.
        EndLine(p, n);
      } else {
        Append(p, n);
        if (cr) EndLine(line_, len_);
      }
      if (!cr) break;
      p = cr + 1;
    }
  }

 private:
  void Append(const char* p, size_t n) {
    for (size_t i = 0; i < n; ++i) {
      if (p[i] == '\n') continue;
      if (len_ < kMaxLineChars)
        line_[len_++] = p[i];
      else
        tooLong_ = true;
    }
  }

  void EndLine(const char* text, size_t len) {
    ++lines_;
    if (lines_ >= 2 && !tooLong_) DataLine(text, len);
    len_ = 0;
    tooLong_ = false;
  }

  void DataLine(const char* text, size_t len) {
    int64_t v[5];
    if (!ReadFive(text, len, v)) return;
    const int64_t volt = v[1] - offset_;
    // A number that is not a 32-bit integer was not written by an export:
    // the line is passed over rather than stored wrapped round.
    for (int64_t x : {v[0], v[1], v[2], v[3], v[4], volt})
      if (x < kInt32Min || x > kInt32Max) return;
    // t (v[0]) is not used: samples are numbered as they come.
    sink_.AddSample(static_cast<int32_t>(volt), static_cast<int32_t>(v[3]),
                    static_cast<int32_t>(v[2]), static_cast<int32_t>(v[4]));
  }

  const int64_t offset_;
  ImportSink& sink_;
  char line_[kMaxLineChars];
  size_t len_ = 0;
  bool tooLong_ = false;
  int64_t lines_ = 0;
};

}  // namespace

bool Export(const CurveStore& store, int32_t voltageOffset, const char* path) {
  if (path == nullptr || *path == '\0') return false;
  std::string target(path);
  if (!FollowLinks(target) || target.back() == '/') return false;

  // Only a file that this user may open for writing is replaced: the rename
  // itself asks the folder only. The lock sits on the file in place: another
  // copy that holds it is busy with it, and its file is left alone.
  const int fileFd = ::open(target.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  struct stat old {};
  if (fileFd < 0) {
    if (errno != ENOENT) return false;
  } else if (::flock(fileFd, LOCK_EX | LOCK_NB) != 0 || ::fstat(fileFd, &old) != 0 ||
             !S_ISREG(old.st_mode)) {
    ::close(fileFd);
    return false;
  }

  RemoveLeftovers(target);
  std::string tmpName;
  const int fd = CreateTemporary(target, tmpName);
  const int createError = errno;
  if (fileFd >= 0 && (fd >= 0 ? !KeepOwner(fd, old) : createError == EACCES)) {
    // A replacement would take someone else's file over, or the folder takes
    // no new name: the file is written where it is, as opening it does.
    if (fd >= 0) ::close(fd);
    if (!tmpName.empty()) ::unlink(tmpName.c_str());
    bool ok = ::ftruncate(fileFd, 0) == 0 && WriteCurve(fileFd, store, voltageOffset) &&
              ::fsync(fileFd) == 0;
    return ::close(fileFd) == 0 && ok;
  }

  bool ok = fd >= 0;
  if (ok && fileFd >= 0) ok = ::fchmod(fd, old.st_mode & 07777) == 0;
  if (ok) ok = WriteCurve(fd, store, voltageOffset);
  if (ok) ok = ::fsync(fd) == 0;
  if (ok) ok = NameTemporary(fd, target, tmpName);
  if (fd >= 0 && ::close(fd) != 0) ok = false;
  if (ok) ok = ::rename(tmpName.c_str(), target.c_str()) == 0;
  if (!ok && !tmpName.empty()) ::unlink(tmpName.c_str());
  if (ok) SyncFolderOf(target);
  if (fileFd >= 0) ::close(fileFd);
  return ok;
}

bool Import(const char* path, int32_t voltageOffset, ImportSink& sink) {
  // Non-blocking only so that a pipe under that name cannot hang the open.
  const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st {};
  // A folder opens for reading but holds no curve; the curve stays.
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return false;
  }
  sink.Reset();
  LineReader reader(voltageOffset, sink);
  std::vector<char> block(kBlockBytes);
  for (;;) {
    const ssize_t n = ::read(fd, block.data(), block.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;  // end of file, or a read error: what came in stays
    reader.Feed(block.data(), static_cast<size_t>(n));
  }
  ::close(fd);
  return true;
}

void ImportBytes(const char* data, size_t size, int32_t voltageOffset, ImportSink& sink) {
  LineReader reader(voltageOffset, sink);
  if (data != nullptr) reader.Feed(data, size);
}

}  // namespace curvefile
