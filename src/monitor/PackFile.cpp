#include "monitor/PackFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string_view>
#include <vector>

namespace pack {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// Strict UTF-8: no overlong forms, no surrogates, nothing past U+10FFFF.
bool ValidUtf8(const unsigned char* s, size_t n) {
  size_t i = 0;
  while (i < n) {
    const unsigned char c = s[i];
    if (c < 0x80) {
      ++i;
      continue;
    }
    size_t len;
    unsigned char lo = 0x80, hi = 0xBF;  // allowed range of the second byte
    if (c >= 0xC2 && c <= 0xDF) {
      len = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
      len = 3;
      if (c == 0xE0) lo = 0xA0;
      if (c == 0xED) hi = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      len = 4;
      if (c == 0xF0) lo = 0x90;
      if (c == 0xF4) hi = 0x8F;
    } else {
      return false;
    }
    if (n - i < len) return false;
    if (s[i + 1] < lo || s[i + 1] > hi) return false;
    for (size_t k = 2; k < len; ++k)
      if (!IsContinuation(s[i + k])) return false;
    i += len;
  }
  return true;
}

// Code points of Windows-1252's 0x80..0x9F; the five unassigned bytes keep
// their C1 code points, as Windows itself maps them.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

std::string Cp1252ToUtf8(const unsigned char* s, size_t n) {
  std::string out;
  out.reserve(n * 2);
  for (size_t i = 0; i < n; ++i) {
    const unsigned char c = s[i];
    const char32_t u = c < 0x80 ? c : c < 0xA0 ? kCp1252High[c - 0x80] : c;
    if (u < 0x80) {
      out += static_cast<char>(u);
    } else if (u < 0x800) {
      out += static_cast<char>(0xC0 | (u >> 6));
      out += static_cast<char>(0x80 | (u & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | (u >> 12));
      out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (u & 0x3F));
    }
  }
  return out;
}

// The longest prefix of s that holds at most max characters.
std::string_view CutChars(std::string_view s, size_t max) {
  size_t chars = 0;
  for (size_t i = 0; i < s.size(); ++i) {
    if (IsContinuation(static_cast<unsigned char>(s[i]))) continue;
    if (chars == max) return s.substr(0, i);
    ++chars;
  }
  return s;
}

void SplitWords(std::string_view line, std::vector<std::string_view>& words) {
  words.clear();
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && IsBlank(line[i])) ++i;
    const size_t start = i;
    while (i < line.size() && !IsBlank(line[i])) ++i;
    if (i > start) words.push_back(line.substr(start, i - start));
  }
}

std::string* FieldOfLine(int line, PackFields& f) {
  switch (line) {
    case 1: return &f.Type;
    case 2: return &f.Capacity;
    case 3: return &f.NbElements;
    case 4: return &f.Charge;
    case 5: return &f.Decharge;
    case 6: return &f.Coupure;
    case 7: return &f.DeltaPeak;
    case 8: return &f.Reference;
    default: return nullptr;
  }
}

bool KeepsAllWords(int line) { return line == 1 || line == 7 || line == 8; }

// Lines 1, 7 and 8: the words after the label joined by single blanks, or
// the one word of a line that holds nothing else.
std::string JoinedValue(const std::vector<std::string_view>& words) {
  if (words.size() == 1) return std::string(CutChars(words[0], kMaxValueChars));
  std::string joined;
  for (size_t k = 1; k < words.size(); ++k) {
    if (k > 1) joined += ' ';
    joined += CutChars(words[k], kMaxValueChars);
  }
  std::string value(CutChars(joined, kMaxValueChars));
  // A cut just after a joining blank must not leave it at the end.
  while (!value.empty() && value.back() == ' ') value.pop_back();
  return value;
}

// A line that ended with its line end.
void EndLine(int line, const std::vector<std::string_view>& words, PackFields& f) {
  std::string* field = FieldOfLine(line, f);
  if (field == nullptr) return;
  if (KeepsAllWords(line))
    *field = JoinedValue(words);
  else if (words.size() >= 2)
    *field = std::string(CutChars(words[1], kMaxValueChars));
}

// The last line, cut by the end of the text right after a word: that last
// word is the value, wherever it stands in the line.
void EndText(int line, const std::vector<std::string_view>& words, PackFields& f) {
  std::string* field = FieldOfLine(line, f);
  if (field == nullptr) return;
  if (KeepsAllWords(line))
    *field = JoinedValue(words);
  else
    *field = std::string(CutChars(words.back(), kMaxValueChars));
}

// Bytes of an incomplete UTF-8 sequence at the end of s (0 when none).
size_t IncompleteTail(const unsigned char* s, size_t n) {
  size_t back = 0;
  while (back < 3 && back < n && IsContinuation(s[n - 1 - back])) ++back;
  if (back == n) return 0;
  const unsigned char lead = s[n - 1 - back];
  const size_t len = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
  return len > back + 1 ? back + 1 : 0;
}

}  // namespace

int ParsePack(const char* data, size_t size, PackFields& fields) {
  fields = PackFields{};
  const auto* bytes = reinterpret_cast<const unsigned char*>(data);
  size_t n = data ? size : 0;
  const bool cut = n > kMaxTextBytes;
  if (cut) n = kMaxTextBytes;
  if (const void* zero = std::memchr(bytes, 0, n)) {
    n = static_cast<size_t>(static_cast<const unsigned char*>(zero) - bytes);
  } else if (cut) {
    // A UTF-8 file cut at the size limit stays UTF-8.
    n -= IncompleteTail(bytes, n);
  }
  const std::string text = TextToUtf8(std::string_view(reinterpret_cast<const char*>(bytes), n));

  std::vector<std::string_view> words;
  int line = 0;
  size_t pos = 0;
  for (size_t lf; (lf = text.find('\n', pos)) != std::string::npos; pos = lf + 1) {
    std::string_view content(text.data() + pos, lf - pos);
    if (!content.empty() && content.back() == '\r') content.remove_suffix(1);
    SplitWords(content, words);
    // A line of nothing but blanks is an empty line and does not count.
    if (words.empty()) continue;
    EndLine(line, words, fields);
    ++line;
  }

  std::string_view rest(text.data() + pos, text.size() - pos);
  if (!rest.empty()) {
    const char last = rest.back();
    if (IsBlank(last) || last == '\r') {
      // Blanks or a CR after the last word: the line end is all that was
      // lost, so the line is read as if it were there.
      if (last == '\r') rest.remove_suffix(1);
      SplitWords(rest, words);
      if (!words.empty()) {
        EndLine(line, words, fields);
        ++line;
      }
    } else {
      SplitWords(rest, words);
      EndText(line, words, fields);
    }
  }
  return line + 1;
}

int ImportPack(const char* path, PackFields& fields) {
  // Non-blocking only so that a pipe under that name cannot hang the open.
  const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return 0;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return 0;
  }
  // One byte beyond the limit tells a file that was cut from one that fits.
  std::vector<char> buffer(kMaxTextBytes + 1);
  size_t got = 0;
  bool failed = false;
  while (got < buffer.size()) {
    const ssize_t r = ::read(fd, buffer.data() + got, buffer.size() - got);
    if (r < 0 && errno == EINTR) continue;
    if (r < 0) failed = true;
    if (r <= 0) break;
    got += static_cast<size_t>(r);
  }
  ::close(fd);
  if (failed) return 0;
  return ParsePack(buffer.data(), got, fields);
}

std::string TextToUtf8(std::string_view bytes) {
  const auto* s = reinterpret_cast<const unsigned char*>(bytes.data());
  return ValidUtf8(s, bytes.size()) ? std::string(bytes) : Cp1252ToUtf8(s, bytes.size());
}

bool UsableName(std::string_view name) {
  return name.size() <= kMaxNameBytes && name.find_first_of(std::string_view("/\0", 2)) == std::string_view::npos &&
         TextToUtf8(name).size() <= kMaxNameBytes;
}

std::string PackPath(PackFile file, std::string_view name, std::string_view ending) {
  const auto join = [name](std::string_view folder, std::string_view end) {
    std::string path(folder);
    path.append(name).append(end);
    return path;
  };
  switch (file) {
    case PackFile::Description: return join("Packs/", ending);
    case PackFile::Log: return join("Packs/", ".db");
    case PackFile::Curve: return name.empty() ? "Exports/NonDefini.txt" : join("Exports/", ".txt");
  }
  return {};
}

}  // namespace pack
