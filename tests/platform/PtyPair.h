#pragma once
// Test helpers for the serial layer: a pseudo-terminal pair (a real tty whose
// slave side the driver opens by name while the test plays the charger on the
// master side), an environment variable set for one test, and a temporary
// folder.
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <string>
#include <thread>

struct PtyPair {
  int Master = -1;
  int Slave = -1;  // kept open by the test so the pair lives across opens
  char Name[128] = {};

  PtyPair() {
    if (::openpty(&Master, &Slave, nullptr, nullptr, nullptr) != 0) return;
    if (::ptsname_r(Master, Name, sizeof Name) != 0) Name[0] = '\0';
    ::fcntl(Master, F_SETFL, ::fcntl(Master, F_GETFL) | O_NONBLOCK);
  }
  ~PtyPair() {
    CloseMaster();
    if (Slave >= 0) ::close(Slave);
  }
  PtyPair(const PtyPair&) = delete;
  PtyPair& operator=(const PtyPair&) = delete;

  bool Ok() const { return Master >= 0 && Slave >= 0 && Name[0] != '\0'; }

  // A new tty has XON/XOFF on, which keeps 0x11 and 0x13 for itself. A port
  // set up without it passes every byte value.
  bool NoSoftwareFlowControl() {
    termios t{};
    if (::tcgetattr(Slave, &t) != 0) return false;
    t.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    return ::tcsetattr(Slave, TCSANOW, &t) == 0;
  }

  void CloseMaster() {
    if (Master >= 0) ::close(Master);
    Master = -1;
  }

  // Writes everything on the master side, waiting while the tty is full;
  // gives up after timeoutMs. Returns the bytes written.
  std::size_t Send(const void* data, std::size_t size, int timeoutMs = 5000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    const char* p = static_cast<const char*>(data);
    std::size_t done = 0;
    while (done < size && std::chrono::steady_clock::now() < end) {
      ssize_t n = ::write(Master, p + done, size - done);
      if (n > 0) {
        done += static_cast<std::size_t>(n);
        continue;
      }
      pollfd w{Master, POLLOUT, 0};
      ::poll(&w, 1, 20);
    }
    return done;
  }
  std::size_t Send(const std::string& text) { return Send(text.data(), text.size()); }

  // Bytes the slave side sent (or echoed) to the master, waiting up to waitMs.
  std::string Received(int waitMs) {
    std::string got;
    pollfd r{Master, POLLIN, 0};
    while (::poll(&r, 1, waitMs) > 0 && (r.revents & POLLIN)) {
      char chunk[256];
      ssize_t n = ::read(Master, chunk, sizeof chunk);
      if (n <= 0) break;
      got.append(chunk, static_cast<std::size_t>(n));
      waitMs = 0;
    }
    return got;
  }
};

class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    const char* old = ::getenv(name);
    if (old != nullptr) {
      hadOld_ = true;
      old_ = old;
    }
    ::setenv(name, value, 1);
  }
  ~ScopedEnv() {
    if (hadOld_)
      ::setenv(name_.c_str(), old_.c_str(), 1);
    else
      ::unsetenv(name_.c_str());
  }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  std::string name_;
  std::string old_;
  bool hadOld_ = false;
};

// A fresh folder under /tmp with a short name (the trace log's file name holds
// 31 characters), removed with its files at the end.
class TempDir {
 public:
  TempDir() {
    std::snprintf(path_, sizeof path_, "/tmp/zsp.XXXXXX");
    if (::mkdtemp(path_) == nullptr) path_[0] = '\0';
  }
  ~TempDir() {
    std::error_code ignored;
    if (path_[0] != '\0') std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  std::string Path() const { return path_; }
  std::string File(const char* name) const { return std::string(path_) + "/" + name; }

 private:
  char path_[32];
};

inline long long ElapsedMs(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                               since)
      .count();
}

// Polls until done() holds or timeoutMs passed; returns done()'s last answer.
// The deadline is wide: the sanitized suite runs in parallel on busy machines.
template <class Condition>
bool WaitFor(Condition done, int timeoutMs = 10000) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!done()) {
    if (std::chrono::steady_clock::now() >= end) return done();
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}
