#pragma once
// Starts a program as a child with extra environment variables, reads its
// standard output, and stops it.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <utility>
#include <vector>

class ChildProcess {
 public:
  ChildProcess(const std::vector<std::string>& argv, const std::vector<std::pair<std::string, std::string>>& env,
               const std::string& workDir = "") {
    int out[2];
    if (pipe(out) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      dup2(out[1], STDOUT_FILENO);
      close(out[0]);
      close(out[1]);
      if (!workDir.empty() && chdir(workDir.c_str()) != 0) _exit(127);
      for (auto& [k, v] : env) setenv(k.c_str(), v.c_str(), 1);
      std::vector<char*> args;
      for (auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
      args.push_back(nullptr);
      execv(args[0], args.data());
      _exit(127);
    }
    close(out[1]);
    out_ = out[0];
  }
  ~ChildProcess() {
    Stop();
    if (out_ >= 0) close(out_);
  }
  // The first line the child prints, waiting up to timeoutMs.
  std::string FirstLine(int timeoutMs) {
    std::string line;
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < end) {
      pollfd p{out_, POLLIN, 0};
      if (poll(&p, 1, 50) <= 0) continue;
      char c;
      if (read(out_, &c, 1) != 1) break;
      if (c == '\n') return line;
      line += c;
    }
    return line;
  }
  // SIGTERM, then SIGKILL if it lingers past graceMs; returns the wait status.
  int Stop(int graceMs = 2000) {
    if (pid_ <= 0) return status_;
    kill(pid_, SIGTERM);
    for (int i = 0; i < graceMs / 20; ++i) {
      if (waitpid(pid_, &status_, WNOHANG) == pid_) {
        pid_ = -1;
        return status_;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    kill(pid_, SIGKILL);
    waitpid(pid_, &status_, 0);
    pid_ = -1;
    return status_;
  }
  // SIGKILL at once: the child gets no chance to tidy up.
  int Kill() {
    if (pid_ <= 0) return status_;
    kill(pid_, SIGKILL);
    waitpid(pid_, &status_, 0);
    pid_ = -1;
    return status_;
  }
  bool Running() {
    return pid_ > 0 && waitpid(pid_, &status_, WNOHANG) == 0;
  }

 private:
  pid_t pid_ = -1;
  int out_ = -1;
  int status_ = 0;
};
