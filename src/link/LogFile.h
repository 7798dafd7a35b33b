#pragma once
// TLogFile: the trace log. Lines are "[time stamp ]text\r\n", written straight
// to the file with no buffering, so the log is complete whenever the program
// stops. The file is held with an exclusive lock so that a second running copy
// moves on to "-2.log" instead of emptying ours.
#include <cstdint>

class TLogFile {
 public:
  TLogFile() = default;
  ~TLogFile();
  TLogFile(const TLogFile&) = delete;
  TLogFile& operator=(const TLogFile&) = delete;

  // Closes a log still open first, then takes "<baseName>-1.log", or
  // "-2.log" when another copy holds the first; Handle is -1 when neither.
  void Open(const char* baseName);
  void Close();
  void WriteLine(const char* text, bool withTime);
  void Write(const char* text, bool withTime);
  // Raw bytes (a frame may hold NUL bytes), no line end.
  void WriteBytes(const char* data, int length);
  static void TimeStamp(char* buffer, int size);

  int32_t Handle = -1;
  char FileName[32] = {};

 private:
  void Compose(const char* text, bool withTime, bool lineEnd);
};
