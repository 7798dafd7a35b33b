#pragma once
// A fresh working directory for one test; the previous one is restored after.
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

class TempWorkDir {
 public:
  TempWorkDir() {
    char tmpl[] = "/tmp/zephyral-wd-XXXXXX";
    path_ = mkdtemp(tmpl);
    char cwd[4096];
    old_ = getcwd(cwd, sizeof cwd) ? cwd : "/tmp";
    if (chdir(path_.c_str()) != 0) std::abort();
  }
  ~TempWorkDir() {
    if (chdir(old_.c_str()) != 0) std::abort();
    std::string cmd = "rm -rf '" + path_ + "'";
    if (std::system(cmd.c_str()) != 0) std::abort();
  }
  const std::string& Path() const { return path_; }
  static std::string Read(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }

 private:
  std::string path_, old_;
};
