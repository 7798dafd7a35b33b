#include "Options.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <functional>

namespace sim {

namespace {

// Whole number in decimal or 0x-hexadecimal (mode codes read best in hex).
bool ParseInt(const std::string& text, int64_t lo, int64_t hi, int64_t& out) {
  if (text.empty()) return false;
  errno = 0;
  char* end = nullptr;
  long long v = std::strtoll(text.c_str(), &end, 0);
  if (errno != 0 || *end != '\0' || v < lo || v > hi) return false;
  out = v;
  return true;
}

// Decimal number with an optional fraction ("123.4"); the simulator never
// calls setlocale, so the point is the decimal separator.
bool ParseDecimal(const std::string& text, double lo, double hi, double& out) {
  if (text.empty()) return false;
  errno = 0;
  char* end = nullptr;
  double v = std::strtod(text.c_str(), &end);
  if (errno != 0 || *end != '\0' || !std::isfinite(v) || v < lo || v > hi) return false;
  out = v;
  return true;
}

bool ParseCells(const std::string& text, int cells[12]) {
  int parsed[12] = {};
  int n = 0;
  size_t pos = 0;
  for (;;) {
    size_t comma = text.find(',', pos);
    std::string item = text.substr(pos, comma == std::string::npos ? std::string::npos : comma - pos);
    int64_t v;
    if (n == 12 || !ParseInt(item, 0, 65535, v)) return false;
    parsed[n++] = static_cast<int>(v);
    if (comma == std::string::npos) break;
    pos = comma + 1;
  }
  for (int k = 0; k < 12; ++k) cells[k] = parsed[k];
  return true;
}

// What the value options ask for before the generation is known.
struct Pending {
  double currentMa = -1;      // -1: not given
  double temperature = -1;
  int64_t probe = -1;
};

using Setter = std::function<bool(const std::string&, Options&, Pending&)>;

struct OptionDef {
  const char* name;
  bool takesValue;
  Setter set;
};

Setter IntField(int64_t lo, int64_t hi, std::function<void(Options&, int)> store) {
  return [=](const std::string& v, Options& o, Pending&) {
    int64_t n;
    if (!ParseInt(v, lo, hi, n)) return false;
    store(o, static_cast<int>(n));
    return true;
  };
}

const std::vector<OptionDef>& OptionTable() {
  static const std::vector<OptionDef> table = {
      {"--pty", false, [](const std::string&, Options& o, Pending&) {
         o.output = OutputKind::Pty;
         return true;
       }},
      {"--device", true, [](const std::string& v, Options& o, Pending&) {
         if (v.empty()) return false;
         o.output = OutputKind::Device;
         o.devicePath = v;
         return true;
       }},
      {"--scenario", true, [](const std::string& v, Options& o, Pending&) {
         if (v == "gen3-charge") o.scenario = ScenarioKind::Gen3Charge;
         else if (v == "gen2-cycle") o.scenario = ScenarioKind::Gen2Cycle;
         else return false;
         return true;
       }},
      {"--gen", true, IntField(2, 3, [](Options& o, int v) { o.generation = v; })},
      {"--count", true, [](const std::string& v, Options& o, Pending&) {
         int64_t n;
         if (!ParseInt(v, 0, INT64_MAX, n)) return false;
         o.count = n;
         return true;
       }},
      {"--interval-ms", true, IntField(1, 3600000, [](Options& o, int v) { o.intervalMs = v; })},
      {"--bad-every", true, IntField(1, 1000000, [](Options& o, int v) { o.badEvery = v; })},
      {"--cut-every", true, IntField(1, 1000000, [](Options& o, int v) { o.cutEvery = v; })},
      {"--cut-pause-ms", true, IntField(0, 3600000, [](Options& o, int v) { o.cutPauseMs = v; })},
      {"--noise", false, [](const std::string&, Options& o, Pending&) {
         o.noise = true;
         return true;
       }},
      {"--wait-listener", false, [](const std::string&, Options& o, Pending&) {
         o.waitListener = true;
         return true;
       }},
      // Values shared by both generations (output 1).
      {"--supply", true, IntField(0, 65535, [](Options& o, int v) { o.gen2.supply = o.gen3.supply = v; })},
      {"--cycle", true, IntField(0, 255, [](Options& o, int v) { o.gen2.cycle = o.gen3.cycle = v; })},
      {"--voltage", true, IntField(0, 65535, [](Options& o, int v) { o.gen2.voltage = o.gen3.voltage1 = v; })},
      {"--current", true, [](const std::string& v, Options&, Pending& p) {
         return ParseDecimal(v, 0, 65535, p.currentMa);
       }},
      {"--capacity", true, IntField(0, 65535, [](Options& o, int v) { o.gen2.capacity = o.gen3.capacity1 = v; })},
      // Generation 2.
      {"--mode", true, IntField(0, 255, [](Options& o, int v) { o.gen2.mode = v; })},
      {"--phase", true, IntField(0, 255, [](Options& o, int v) { o.gen2.phase = v; })},
      // Generation 3.
      {"--state", true, IntField(0, 255, [](Options& o, int v) { o.gen3.state1 = v; })},
      {"--algorithm", true, IntField(0, 255, [](Options& o, int v) { o.gen3.algorithm1 = v; })},
      {"--temp", true, [](const std::string& v, Options&, Pending& p) {
         return ParseDecimal(v, 0, 6553.5, p.temperature);
       }},
      {"--probe", true, [](const std::string& v, Options&, Pending& p) {
         return ParseInt(v, 0, 255, p.probe);
       }},
      {"--fahrenheit", false, [](const std::string&, Options& o, Pending&) {
         o.gen3.fahrenheit = 1;
         return true;
       }},
      {"--cells", true, [](const std::string& v, Options& o, Pending&) { return ParseCells(v, o.gen3.cells); }},
      {"--state2", true, IntField(0, 255, [](Options& o, int v) { o.gen3.state2 = v; })},
      {"--mode2", true, IntField(0, 255, [](Options& o, int v) { o.gen3.mode2 = v; })},
      {"--voltage2", true, IntField(0, 65535, [](Options& o, int v) { o.gen3.voltage2 = v; })},
      {"--current2", true, IntField(0, 65535, [](Options& o, int v) { o.gen3.current2 = v; })},
      {"--capacity2", true, IntField(0, 65535, [](Options& o, int v) { o.gen3.capacity2 = v; })},
  };
  return table;
}

}  // namespace

ParseResult ParseOptions(const std::vector<std::string>& args, Options& out, std::string& error) {
  Options o;
  Pending p;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--help" || arg == "-h") return ParseResult::Help;
    std::string name = arg, value;
    bool inlineValue = false;
    if (size_t eq = arg.find('='); arg.rfind("--", 0) == 0 && eq != std::string::npos) {
      name = arg.substr(0, eq);
      value = arg.substr(eq + 1);
      inlineValue = true;
    }
    const OptionDef* def = nullptr;
    for (const auto& d : OptionTable())
      if (name == d.name) def = &d;
    if (!def) {
      error = "unknown option " + arg;
      return ParseResult::Error;
    }
    if (def->takesValue && !inlineValue) {
      if (i + 1 >= args.size()) {
        error = name + " needs a value";
        return ParseResult::Error;
      }
      value = args[++i];
    } else if (!def->takesValue && inlineValue) {
      error = name + " takes no value";
      return ParseResult::Error;
    }
    if (!def->set(value, o, p)) {
      error = "bad value for " + name + ": '" + value + "'";
      return ParseResult::Error;
    }
  }

  if (o.output == OutputKind::None) {
    error = "say where the frames go: --pty or --device PATH";
    return ParseResult::Error;
  }
  if (p.currentMa >= 0) {
    // Generation 2 carries tenths of a mA in four hex digits.
    const long tenths = std::lround(p.currentMa * 10);
    if (o.generation == 2 && o.scenario == ScenarioKind::Fixed && tenths > 65535) {
      error = "--current above 6553.5 mA does not fit a generation-2 frame";
      return ParseResult::Error;
    }
    o.gen2.currentTenths = static_cast<int>(tenths > 65535 ? 65535 : tenths);
    o.gen3.current1 = static_cast<int>(std::lround(p.currentMa));
  }
  if (p.temperature >= 0) {
    o.gen3.temperatureTenths = static_cast<int>(std::lround(p.temperature * 10));
    o.gen3.probe = 1;  // a temperature only shows with a probe
  }
  if (p.probe >= 0) o.gen3.probe = static_cast<int>(p.probe);
  out = o;
  return ParseResult::Run;
}

std::string UsageText() {
  return
      "Usage: zephyral-sim (--pty | --device PATH) [options]\n"
      "Sends Zephyral charger status frames, one a second unless told otherwise.\n"
      "\n"
      "Where:\n"
      "  --pty                 make a pseudo-terminal; its path is the first line on stdout\n"
      "                        (run the monitor with ZEPHYRAL_COM1=<that path>)\n"
      "  --device PATH         write to an existing tty, set raw 9600 8N1\n"
      "\n"
      "What:\n"
      "  --scenario NAME       gen3-charge: stop, load, rest, load, rest, load, end on both\n"
      "                          outputs (44 frames, then the end frame repeats)\n"
      "                        gen2-cycle: rest, charge with a pause, end, discharge, end\n"
      "                          (39 frames, then the end frame repeats)\n"
      "  without --scenario    the same frame over and over, from the values below\n"
      "  --gen 2|3             generation of the fixed frames (default 3)\n"
      "\n"
      "When:\n"
      "  --interval-ms N       time between frames (default 1000)\n"
      "  --count N             send N frames, then exit (default: until SIGINT/SIGTERM)\n"
      "  --wait-listener       with --pty: start with frame 1 once the monitor opens the port\n"
      "                        (otherwise frames nobody listens to are dropped)\n"
      "\n"
      "Spoilt frames (frames counted from 1):\n"
      "  --bad-every N         every Nth frame is invalid: generation 3 with one payload\n"
      "                        digit changed after the checksum, generation 2 with a\n"
      "                        start byte in the middle\n"
      "  --cut-every N         every Nth frame stops half way, then silence\n"
      "  --cut-pause-ms N      length of that silence (default 3000)\n"
      "  --noise               1 to 8 stray bytes before each frame (never a start or end\n"
      "                        byte, nor '<' or '>')\n"
      "\n"
      "Values of the fixed frames (numbers in decimal, or hexadecimal with 0x):\n"
      "  --supply MV  --cycle N  --voltage MV  --current MA  --capacity MAH   output 1\n"
      "  --mode CODE  --phase N                   generation 2 (mode 0x30..0x35, phase 1..9)\n"
      "  --state N  --algorithm N                 generation 3, output 1\n"
      "  --temp DEG  --probe N  --fahrenheit      generation 3 (--temp also sets --probe 1)\n"
      "  --cells MV,MV,...                        generation 3, up to 12 cells\n"
      "  --state2 N  --mode2 N  --voltage2 MV  --current2 MA  --capacity2 MAH\n"
      "  (--current takes tenths for generation 2: --current 123.4)\n"
      "\n"
      "  --help                this text\n";
}

}  // namespace sim
