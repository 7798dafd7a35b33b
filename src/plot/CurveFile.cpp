#include "plot/CurveFile.h"

#include <fcntl.h>
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

// A name beside the target that no listing shows and no other export uses.
int CreateTemporary(const std::string& path, std::string& tmpName) {
  static std::atomic<unsigned> serial{0};
  const size_t slash = path.rfind('/');
  const size_t baseAt = slash == std::string::npos ? 0 : slash + 1;
  for (int attempt = 0; attempt < 100; ++attempt) {
    tmpName = path.substr(0, baseAt) + "." + path.substr(baseAt) + ".tmp" +
              std::to_string(::getpid()) + "-" + std::to_string(serial++);
    // 0666: the user's umask decides, as for any new file.
    const int fd = ::open(tmpName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

void SyncFolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  const std::string dir = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
  const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
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
  const std::string target(path);
  if (target.back() == '/') return false;

  // The lock sits on the file in place: another copy that holds it is busy
  // with it, and its file is left alone.
  int lockFd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  struct stat old {};
  if (lockFd < 0) {
    if (errno != ENOENT) return false;
  } else if (::flock(lockFd, LOCK_EX | LOCK_NB) != 0 || ::fstat(lockFd, &old) != 0 ||
             !S_ISREG(old.st_mode)) {
    ::close(lockFd);
    return false;
  }

  std::string tmpName;
  const int fd = CreateTemporary(target, tmpName);
  bool ok = fd >= 0;
  if (ok && lockFd >= 0) ok = ::fchmod(fd, old.st_mode & 07777) == 0;
  if (ok) ok = WriteCurve(fd, store, voltageOffset);
  if (ok) ok = ::fsync(fd) == 0;
  if (fd >= 0 && ::close(fd) != 0) ok = false;
  if (ok) ok = ::rename(tmpName.c_str(), path) == 0;
  if (fd >= 0 && !ok) ::unlink(tmpName.c_str());
  if (ok) SyncFolderOf(target);
  if (lockFd >= 0) ::close(lockFd);
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
