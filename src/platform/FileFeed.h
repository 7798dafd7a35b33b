#pragma once
// FileFeed: a path to give a library that writes a file by name and drops its
// own write errors. The path names the writing end of a pipe; a thread copies
// what comes out into the file with writes of our own, each one checked, and
// the close is checked too. A write into a pipe that is being read never comes
// up short, so a full disk, a file too large or an I/O error is not lost to
// the library: Finish tells it.
#include <string>
#include <thread>

class FileFeed {
 public:
  // Feeds the file open on fd. The descriptor stays the caller's: the feed
  // writes through a copy of its own, which Finish closes.
  explicit FileFeed(int fd);
  ~FileFeed();
  FileFeed(const FileFeed&) = delete;
  FileFeed& operator=(const FileFeed&) = delete;

  // False when no descriptor, pipe or thread could be had.
  bool Ok() const { return ok_; }
  // "/proc/self/fd/N", to open for writing, once.
  const std::string& Path() const { return path_; }
  // To call once whatever opened Path has closed it again: waits for the
  // last bytes. True when every byte went into the file and its close
  // succeeded. The answer stays the same on later calls.
  bool Finish();

 private:
  void Copy();

  bool ok_ = false;
  bool finished_ = false;
  bool whole_ = false;
  bool failed_ = false;  // the copier's: read only once it has been joined
  int file_ = -1;
  int readEnd_ = -1;
  int writeEnd_ = -1;
  std::string path_;
  std::thread copier_;
};
