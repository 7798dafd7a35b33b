// The charger simulator's frames, judged by the monitor's own reception code:
// what the simulator means to be valid must pass, what it spoils must fail,
// and the scenarios must walk the states that the monitor reacts to.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "Options.h"
#include "Scenario.h"
#include "ScriptedSource.h"
#include "decoding_harness.h"
#include "link/ChargerMonitor.h"
#include "monitor/NumberText.h"

namespace {

// Validates and reads fields with the monitor's own code.
class Reader {
 public:
  explicit Reader(int generation) { m_.Reader().Generation = generation; }
  bool Load(const std::string& frame) {
    char* buffer = m_.Reader().FrameBuffer;
    std::memcpy(buffer, frame.data(), std::min(frame.size(), sizeof m_.Reader().FrameBuffer));
    return m_.Reader().FrameIsValid(buffer);
  }
  int F2(int pos) { return charger::Field2(m_.Reader().FrameBuffer, pos); }
  int F4(int pos) { return charger::Field4(m_.Reader().FrameBuffer, pos); }

 private:
  ChargerMonitor m_;
};

std::vector<std::string> Timeline(sim::ScenarioKind kind) {
  sim::Options o;
  o.scenario = kind;
  sim::FrameSequence seq(o);
  std::vector<std::string> frames;
  for (int64_t n = 1; n <= static_cast<int64_t>(seq.TimelineLength()); ++n) frames.push_back(seq.CleanFrame(n));
  return frames;
}

// The values an output's resistance field takes while the scenario runs
// through the monitor, blanks left out.
std::vector<std::string> ShownResistances(sim::ScenarioKind kind, int generation, int output) {
  Decoder d;
  std::vector<std::string> shown;
  for (const std::string& f : Timeline(kind)) {
    d.Feed(f, generation);
    const std::string& r = d.T.Pack(output).EditResistor;
    if (!r.empty() && r != " " && (shown.empty() || shown.back() != r)) shown.push_back(r);
  }
  return shown;
}

std::string Ohms(double ohms) {
  char text[32];
  numtext::Fixed(text, sizeof text, ohms, 6, 3);
  return text;
}

// Runs of equal values: {0,0,1,1,5} gives {0,1,5}.
template <typename T, typename F>
std::vector<int> Runs(const std::vector<T>& xs, F key) {
  std::vector<int> runs;
  for (const auto& x : xs)
    if (runs.empty() || runs.back() != key(x)) runs.push_back(key(x));
  return runs;
}

struct Out { int state, voltage, current, capacity; };
struct G3 { Out o1, o2; int algorithm, probe, temperature, cells[12]; };

std::vector<G3> DecodeGen3(const std::vector<std::string>& frames) {
  Reader r(3);
  std::vector<G3> out;
  for (const auto& f : frames) {
    EXPECT_EQ(f.size(), 102u);
    EXPECT_EQ(std::count(f.begin(), f.end(), '\x0c'), 1);
    EXPECT_TRUE(r.Load(f)) << f;
    using namespace charger::gen3;
    G3 g{{r.F2(kState1), r.F4(kVoltage1), r.F4(kCurrent1), r.F4(kCapacity1)},
         {r.F2(kState2), r.F4(kVoltage2), r.F4(kCurrent2), r.F4(kCapacity2)},
         r.F2(kAlgorithm1), r.F2(kProbe), r.F4(kTemperature), {}};
    for (int k = 1; k <= kCellCount; ++k) g.cells[k - 1] = r.F4(CellPosition(k));
    out.push_back(g);
  }
  return out;
}

TEST(SimulatorGen3Charge, StopLoadRestEndOnBothOutputs) {
  auto g = DecodeGen3(Timeline(sim::ScenarioKind::Gen3Charge));
  ASSERT_GE(g.size(), 30u);
  EXPECT_EQ(g[3].o1.state, 0) << "the first frame the monitor decodes shows the charger stopped";
  ASSERT_LE(g.size(), 60u) << "an end-to-end run must stay short";
  EXPECT_EQ(Runs(g, [](const G3& x) { return x.o1.state; }), (std::vector<int>{0, 1, 5}));
  EXPECT_EQ(Runs(g, [](const G3& x) { return x.o2.state; }), (std::vector<int>{0, 1, 5}));
  EXPECT_EQ(Runs(g, [](const G3& x) { return x.algorithm; }), (std::vector<int>{1}))
      << "algorithm 1 before the end makes it a delta-peak end";

  // The first end frame closes the charge: its capacity goes to a memory.
  auto end = std::find_if(g.begin(), g.end(), [](const G3& x) { return x.o1.state == 5; });
  ASSERT_NE(end, g.begin());
  EXPECT_EQ(end->o1.capacity, std::prev(end)->o1.capacity);
  EXPECT_GT(end->o1.capacity, 1000);

  int loads = 0, lastLoadedV = 0;
  for (size_t i = 0; i < g.size(); ++i) {
    const G3& x = g[i];
    if (i > 0) {
      EXPECT_GE(x.o1.capacity, g[i - 1].o1.capacity) << i;
    }
    if (x.o1.state == 1 && x.o1.current > 49) {
      ++loads;
      EXPECT_GT(x.o1.voltage, lastLoadedV) << "the voltage rises under load, frame " << i;
      lastLoadedV = x.o1.voltage;
    }
    // Output 1 carries the balanced pack: four cells near 4.1 V, not all equal.
    int sum = 0, used = 0;
    for (int c : x.cells) {
      if (c == 0) continue;
      ++used;
      sum += c;
      EXPECT_GE(c, 4000);
      EXPECT_LE(c, 4200);
    }
    EXPECT_EQ(used, 4);
    EXPECT_EQ(sum, x.o1.voltage);
    EXPECT_NE(*std::max_element(x.cells, x.cells + 4), *std::min_element(x.cells, x.cells + 4));
    EXPECT_EQ(x.probe, 1);
    EXPECT_GE(x.temperature, 150);
    EXPECT_LE(x.temperature, 400);
  }
  EXPECT_GE(loads, 10);

  // What the monitor shows of the pack resistance is the scenario's own.
  EXPECT_EQ(ShownResistances(sim::ScenarioKind::Gen3Charge, 3, 1), std::vector<std::string>{Ohms(sim::kGen3Resistance1)});
  EXPECT_EQ(ShownResistances(sim::ScenarioKind::Gen3Charge, 3, 2), std::vector<std::string>{Ohms(sim::kGen3Resistance2)});
}

TEST(SimulatorGen2Cycle, ChargeEndDischargeEnd) {
  auto frames = Timeline(sim::ScenarioKind::Gen2Cycle);
  ASSERT_GE(frames.size(), 20u);
  ASSERT_LE(frames.size(), 60u);
  Reader r(2);
  struct P { int mode, phase, voltage, current, capacity; };
  std::vector<P> p;
  for (const auto& f : frames) {
    ASSERT_EQ(f.size(), 32u);
    EXPECT_EQ(f.back(), '\x0d');
    EXPECT_TRUE(r.Load(f));
    using namespace charger::gen2;
    p.push_back({r.F2(kMode), r.F2(kPhase), r.F4(kVoltage), r.F4(kCurrent) / 10, r.F4(kCapacity)});
  }
  EXPECT_EQ(Runs(p, [](const P& x) { return x.phase; }), (std::vector<int>{1, 2, 8, 3, 8}));
  EXPECT_EQ(Runs(p, [](const P& x) { return x.mode; }), (std::vector<int>{0x32}));
  // The monitor's synchronisation takes three frames; it must still see the
  // pack at rest (zero current) before the charge.
  EXPECT_EQ(p[3].current, 0);
  EXPECT_EQ(p[3].phase, 1);
  for (size_t i = 1; i + 1 < p.size(); ++i) {
    if (p[i].phase == 8 && p[i - 1].phase != 8) {
      EXPECT_GT(p[i].capacity, 0) << "an end stores the capacity of the phase it closes";
      EXPECT_EQ(p[i].capacity, p[i - 1].capacity);
    }
    if (p[i].current > 0 && p[i - 1].current > 0) {
      // Charging raises the voltage, discharging lowers it.
      EXPECT_EQ(p[i].voltage > p[i - 1].voltage, p[i].phase == 2) << i;
    }
  }
  // The loaded frame after a pause inside the charge shows the pack
  // resistance alone; later loaded frames add the rise of the charge.
  const std::vector<std::string> shown = ShownResistances(sim::ScenarioKind::Gen2Cycle, 2, 1);
  EXPECT_NE(std::find(shown.begin(), shown.end(), Ohms(sim::kGen2Resistance)), shown.end());
}

TEST(SimulatorFrames, TimelineHoldsItsLastFrame) {
  sim::Options o;
  o.scenario = sim::ScenarioKind::Gen3Charge;
  sim::FrameSequence seq(o);
  const auto last = static_cast<int64_t>(seq.TimelineLength());
  EXPECT_EQ(seq.CleanFrame(last + 500), seq.CleanFrame(last));
  EXPECT_NE(seq.CleanFrame(1), seq.CleanFrame(last));
}

TEST(SimulatorFrames, SpoiltFramesFailTheMonitorsValidation) {
  for (int voltage : {0, 0x4010, 0x9FFF, 0xA000, 0xF123, 0xFFFF}) {
    sim::Gen3Values v3;
    v3.voltage1 = voltage;
    sim::Gen2Values v2;
    v2.voltage = voltage;
    for (const auto& [gen, frame] : {std::pair{3, sim::BuildGen3Frame(v3)}, std::pair{2, sim::BuildGen2Frame(v2)}}) {
      Reader r(gen);
      ASSERT_TRUE(r.Load(frame));
      const std::string bad = sim::SpoilFrame(frame);
      EXPECT_EQ(bad.size(), frame.size());
      EXPECT_FALSE(r.Load(bad)) << gen << " " << bad;
      EXPECT_EQ(bad.back(), frame.back());
      if (gen == 3) {
        EXPECT_EQ(bad.substr(charger::gen3::kChecksum, 4), frame.substr(charger::gen3::kChecksum, 4)) << "the checksum is the frame's own";
      } else {
        EXPECT_EQ(std::count(bad.begin() + 1, bad.end(), '\x0c'), 1);
      }
    }
  }
}

TEST(SimulatorFrames, NoiseNeverLooksLikeAFrameEdge) {
  for (int64_t n = 1; n <= 2000; ++n) {
    const std::string noise = sim::NoiseBytes(n);
    ASSERT_GE(noise.size(), 1u);
    ASSERT_LE(noise.size(), 8u);
    EXPECT_EQ(noise.find_first_of(std::string("\x0c\x0d<>", 4)), std::string::npos) << n;
  }
}

// The simulator's stream, spoilt frames, cut frames and noise included, fed to
// the monitor's reception: it must identify the charger and accept exactly the
// clean whole frames opened after its synchronisation, and nothing else.
TEST(SimulatorFrames, MonitorAcceptsExactlyTheCleanFrames) {
  struct Case {
    sim::ScenarioKind scenario;
    int generation, badEvery, cutEvery;
  } cases[] = {
      {sim::ScenarioKind::Gen3Charge, 3, 4, 7},
      {sim::ScenarioKind::Gen2Cycle, 2, 4, 7},
      {sim::ScenarioKind::Gen2Cycle, 2, 2, 0},  // the third start byte is inside a spoilt frame
      {sim::ScenarioKind::Fixed, 3, 0, 3},
  };
  for (const Case& c : cases) {
    sim::Options o;
    o.scenario = c.scenario;
    o.generation = c.generation;
    o.badEvery = c.badEvery;
    o.cutEvery = c.cutEvery;
    o.noise = true;
    sim::FrameSequence seq(o);
    ChargerMonitor m;
    ScriptedSource src;
    src.Attach(m);

    std::vector<std::string> expected;
    int startBytes = 0;
    for (int64_t n = 1; n <= 40; ++n) {
      const sim::Slot slot = seq.Make(n);
      EXPECT_EQ(slot.cut, c.cutEvery && n % c.cutEvery == 0);
      src.Burst(slot.bytes);
      // The silence after a cut frame outlasts the monitor's wait for the rest.
      if (slot.cut)
        for (int64_t t = 0; t * 251 <= o.cutPauseMs; ++t) src.Burst("");
      const bool spoilt = c.badEvery && n % c.badEvery == 0;
      if (startBytes >= 3 && !spoilt && !slot.cut) {
        const std::string f = seq.CleanFrame(n);
        expected.push_back("<-" + f.substr(1, f.size() - 2) + ">");
      }
      startBytes += static_cast<int>(std::count(slot.bytes.begin(), slot.bytes.end(), '\x0c'));
    }
    std::vector<std::string> accepted;
    for (int tick = 0; tick < 4000; ++tick) {
      m.Texts().StatusBar.clear();
      m.TimerEvent();
      if (!m.Texts().StatusBar.empty()) accepted.push_back(m.Texts().StatusBar);
    }
    EXPECT_EQ(m.Reader().Generation, c.generation);
    EXPECT_EQ(accepted, expected) << "bad every " << c.badEvery << ", cut every " << c.cutEvery;
    EXPECT_GE(expected.size(), 15u);
  }
}

TEST(SimulatorOptions, GoodCommandLinesSetTheFrames) {
  sim::Gen2Values g2;
  g2.mode = 0x34;
  g2.phase = 2;
  g2.currentTenths = 1234;
  g2.voltage = 8400;
  g2.capacity = 1500;
  g2.supply = 12500;
  g2.cycle = 3;
  sim::Gen3Values g3;
  g3.state1 = 1;
  g3.algorithm1 = 4;
  g3.current1 = 1000;
  g3.temperatureTenths = 235;
  g3.probe = 1;
  g3.fahrenheit = 1;
  g3.cells[0] = 4100;
  g3.cells[1] = 4120;
  g3.state2 = 5;
  g3.mode2 = 9;
  g3.voltage2 = 8200;
  g3.current2 = 6;
  g3.capacity2 = 77;
  sim::Gen3Values noProbe;
  noProbe.temperatureTenths = 235;
  struct Case {
    std::vector<std::string> args;
    int gen;
    std::string frame;
  } cases[] = {
      {{"--pty", "--gen", "2", "--mode", "0x34", "--phase", "2", "--current", "123.4", "--voltage", "8400",
        "--capacity", "1500", "--supply", "12500", "--cycle", "3"},
       2, sim::BuildGen2Frame(g2)},
      {{"--pty", "--state", "1", "--algorithm", "4", "--current", "1000", "--temp", "23.5", "--fahrenheit",
        "--cells", "4100,4120", "--state2", "5", "--mode2", "9", "--voltage2", "8200", "--current2=6",
        "--capacity2", "77"},
       3, sim::BuildGen3Frame(g3)},
      {{"--pty", "--temp", "23.5", "--probe", "0"}, 3, sim::BuildGen3Frame(noProbe)},
  };
  for (const auto& c : cases) {
    sim::Options o;
    std::string error;
    ASSERT_EQ(sim::ParseOptions(c.args, o, error), sim::ParseResult::Run) << error;
    EXPECT_EQ(sim::FrameSequence(o).CleanFrame(1), c.frame) << ::testing::PrintToString(c.args);
  }

  sim::Options o;
  std::string error;
  ASSERT_EQ(sim::ParseOptions({"--device", "/dev/ttyUSB0", "--count", "5", "--interval-ms=200", "--scenario",
                               "gen2-cycle", "--bad-every", "5", "--cut-every", "7", "--cut-pause-ms", "0", "--noise", "--wait-listener"},
                              o, error),
            sim::ParseResult::Run)
      << error;
  EXPECT_EQ(o.output, sim::OutputKind::Device);
  EXPECT_EQ(o.devicePath, "/dev/ttyUSB0");
  EXPECT_EQ(o.count, 5);
  EXPECT_EQ(o.intervalMs, 200);
  EXPECT_EQ(o.scenario, sim::ScenarioKind::Gen2Cycle);
  EXPECT_EQ(o.badEvery, 5);
  EXPECT_EQ(o.cutEvery, 7);
  EXPECT_EQ(o.cutPauseMs, 0);
  EXPECT_TRUE(o.noise);
  EXPECT_TRUE(o.waitListener);
}

TEST(SimulatorOptions, BadCommandLinesAreRefused) {
  const std::vector<std::vector<std::string>> cases = {
      {}, {"--count", "3"}, {"--pty", "--frobnicate"}, {"--pty", "--count"}, {"--pty", "--count", "-1"},
      {"--pty", "--count", "12x"}, {"--pty", "--interval-ms", "0"}, {"--pty", "--gen", "4"},
      {"--pty", "--scenario", "gen4-charge"}, {"--pty", "--voltage", "65536"}, {"--pty", "--cycle", "256"},
      {"--pty", "--temp", "-1"}, {"--pty", "--temp", "nan"}, {"--pty", "--cells", "4100,,4100"},
      {"--pty", "--cells", "1,2,3,4,5,6,7,8,9,10,11,12,13"}, {"--pty", "--gen", "2", "--current", "6553.6"},
      {"--pty=yes"}, {"--device", ""},
  };
  for (const auto& args : cases) {
    sim::Options o;
    std::string error;
    EXPECT_EQ(sim::ParseOptions(args, o, error), sim::ParseResult::Error) << ::testing::PrintToString(args);
    EXPECT_FALSE(error.empty());
  }
  sim::Options o;
  std::string error;
  EXPECT_EQ(sim::ParseOptions({"--pty", "--help"}, o, error), sim::ParseResult::Help);
}

}  // namespace
