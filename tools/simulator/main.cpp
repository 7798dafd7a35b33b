// zephyral-sim: a stand-in for a Zephyral charger on a serial line, for trying
// the monitor and for end-to-end tests. See --help.
#include <signal.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <vector>

#include "Link.h"
#include "Options.h"
#include "Runner.h"

namespace {

std::atomic<bool> g_stop{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the signal handler needs a lock-free flag");

void OnSignal(int) { g_stop.store(true); }

void InstallSignals() {
  struct sigaction sa {};
  sa.sa_handler = OnSignal;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = 0;  // no SA_RESTART: a pending wait ends at once
  sigaction(SIGINT, &sa, nullptr);
  sigaction(SIGTERM, &sa, nullptr);
  // A test harness that stops reading our stdout must not kill us.
  signal(SIGPIPE, SIG_IGN);
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  sim::Options options;
  std::string error;
  switch (sim::ParseOptions(args, options, error)) {
    case sim::ParseResult::Help:
      std::fputs(sim::UsageText().c_str(), stdout);
      return 0;
    case sim::ParseResult::Error:
      std::fprintf(stderr, "zephyral-sim: %s\nTry zephyral-sim --help\n", error.c_str());
      return 2;
    case sim::ParseResult::Run:
      break;
  }

  InstallSignals();
  sim::Link link;
  const bool opened = options.output == sim::OutputKind::Pty ? link.OpenPty(error)
                                                             : link.OpenDevice(options.devicePath, error);
  if (!opened) {
    std::fprintf(stderr, "zephyral-sim: %s\n", error.c_str());
    return 1;
  }
  if (options.output == sim::OutputKind::Pty) {
    // The first line is the contract with whoever started us.
    std::printf("%s\n", link.Path().c_str());
    std::fflush(stdout);
  }

  sim::RunStats stats;
  const sim::RunEnd end = sim::Run(options, link, g_stop, stats);
  link.Close();
  std::fprintf(stderr,
               "zephyral-sim: %lld frames, %lld sent, %lld lost for want of room, %lld with nobody listening\n",
               static_cast<long long>(stats.frames), static_cast<long long>(stats.written),
               static_cast<long long>(stats.lost), static_cast<long long>(stats.unheard));
  if (end == sim::RunEnd::Failed) {
    std::fprintf(stderr, "zephyral-sim: the device refused a write\n");
    return 1;
  }
  return 0;
}
