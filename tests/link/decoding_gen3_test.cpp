#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "decoding_harness.h"

namespace {

using G3 = sim::Gen3Values;

TEST(DecodingGen3, AlgorithmTags) {
  struct {
    int algorithm;
    const char* text;
  } cases[] = {
      {0, "[Automatique]Charge"}, {1, "[Normal]Charge"},    {2, "[Linéaire]Charge"},
      {3, "[ReFlex]Charge"},      {4, "[CC-CV]Charge"},     {5, "[Algo 5?]Charge"},
      {6, "[Algo 6?]Charge"},     {7, "[Algo 7?]Charge"},   {8, "[Algo 8?]Charge"},
      {9, "[Algo 9?]Charge"},     {10, "[Algo Def]Charge"}, {255, "[Algo Def]Charge"},
  };
  for (auto c : cases) {
    Decoder d;
    d.Gen3({.state1 = 1, .algorithm1 = c.algorithm});
    EXPECT_EQ(d.T.EditOperatingMode1, c.text) << c.algorithm;
  }
}

TEST(DecodingGen3, StateWordsAfterAStop) {
  struct {
    int state;
    const char* text;
  } cases[] = {
      {0, "[Normal]Arrêt"},       {1, "[Normal]Charge"},   {2, "[Normal]Décharge"},
      {3, "[Normal]Pause"},       {4, "[Normal]Op 4?"},    {5, "[Normal]Fin"},
      {6, "[Normal]Déconnexion"}, {7, "[Normal]Op 7?"},    {8, "[Normal]Op 8?"},
      {9, "[Normal]Op 9?"},       {10, "[Normal]Op Def?"}, {200, "[Normal]Op Def?"},
  };
  for (auto c : cases) {
    Decoder d;  // previous state 0
    d.Gen3({.state1 = c.state, .algorithm1 = 1});
    EXPECT_EQ(d.T.EditOperatingMode1, c.text) << c.state;
  }
}

// Consecutive frames: (state, algorithm) and the text shown after each.
struct Step {
  int state, algorithm;
  const char* shown;
};
struct Sequence {
  const char* name;
  std::vector<Step> steps;
};

TEST(DecodingGen3, EndRuleAcrossConsecutiveFrames) {
  const Sequence sequences[] = {
      {"CC-CV charge ends with a full pack; the end stays even if the algorithm changes",
       {{1, 4, "[CC-CV]Charge"},
        {5, 4, "[Accu plein]Fin"},
        {5, 1, "[Accu plein]Fin"},
        {5, 2, "[Accu plein]Fin"}}},
      {"other charge ends with a delta peak",
       {{1, 1, "[Normal]Charge"}, {5, 1, "[Delta-Peak]Fin"}}},
      {"the algorithm of the charge decides, not the one of the end frame",
       {{1, 4, "[CC-CV]Charge"}, {5, 1, "[Accu plein]Fin"}}},
      {"...and the other way round", {{1, 1, "[Normal]Charge"}, {5, 4, "[Delta-Peak]Fin"}}},
      {"pause after a discharge is a cut",
       {{2, 0, "[Automatique]Décharge"}, {3, 0, "[Coupure]Pause"}, {3, 0, "[Coupure]Pause"}}},
      {"pause after a stop keeps the tag", {{0, 3, "[ReFlex]Arrêt"}, {3, 3, "[ReFlex]Pause"}}},
      {"pause after a charge, then an end after the pause",
       {{1, 4, "[CC-CV]Charge"}, {3, 4, "[Accu plein]Pause"}, {5, 4, "[CC-CV]Fin"}}},
      {"end, then a new charge, then its end",
       {{1, 2, "[Linéaire]Charge"},
        {5, 2, "[Delta-Peak]Fin"},
        {1, 2, "[Linéaire]Charge"},
        {2, 2, "[Linéaire]Décharge"},
        {5, 2, "[Coupure]Fin"}}},
  };
  for (const Sequence& seq : sequences) {
    Decoder d;
    int i = 0;
    for (const Step& s : seq.steps) {
      d.Gen3({.state1 = s.state, .algorithm1 = s.algorithm});
      EXPECT_EQ(d.T.EditOperatingMode1, s.shown) << seq.name << ", frame " << i;
      ++i;
    }
  }
}

TEST(DecodingGen3, EditIsNotWrittenWhileThePauseOrEndLasts) {
  for (int state : {3, 5}) {
    Decoder d;
    d.Gen3({.state1 = state});
    d.T.EditOperatingMode1.clear();  // as a change of charger does
    d.Gen3({.state1 = state, .algorithm1 = 2});
    EXPECT_EQ(d.T.EditOperatingMode1, "") << state;
    d.Gen3({.state1 = 0});
    EXPECT_EQ(d.T.EditOperatingMode1, "[Automatique]Arrêt");
  }
}

TEST(DecodingGen3, Output2Texts) {
  struct {
    int mode, state;
    const char* text;
  } cases[] = {
      {0, 0, "[Automatique]Arrêt"},
      {1, 0, "[Manuelle]Arrêt"},
      {2, 0, "[Status2 2?]Arrêt"},
      {3, 0,
       "Déconnexion"
       "Arrêt"},
      {4, 0, "[Status2 4?]Arrêt"},
      {5, 0, "[Status2 5?]Arrêt"},
      {6, 0, "[Status2 6?]Arrêt"},
      {7, 0, "[Status2 7?]Arrêt"},
      {8, 0, "[Def ?]Arrêt"},
      {9, 0, "[Def ?]Arrêt"},
      {1, 1, "[Manuelle]Charge"},
      {1, 2, "[Manuelle]Op 2?"},
      {1, 3, "[Manuelle]Op 3?"},
      {1, 4, "[Manuelle]Op 4?"},
      {1, 5, "[Delta-Peak]Fin"},
      {9, 5, "[Delta-Peak]Fin"},
      {1, 6, "[Manuelle]Erreur"},
      {1, 7, "[Manuelle]Op 7?"},
      {1, 8, "[Manuelle]Op Def?"},
      {1, 255, "[Manuelle]Op Def?"},
  };
  for (auto c : cases) {
    Decoder d;
    d.Gen3({.state2 = c.state, .mode2 = c.mode});
    EXPECT_EQ(d.T.EditOperatingMode2, c.text) << c.mode << "/" << c.state;
  }
}

TEST(DecodingGen3, Output2TextIsWrittenOnEveryFrame) {
  Decoder d;
  d.Gen3({.state2 = 5});
  d.T.EditOperatingMode2.clear();
  d.Gen3({.state2 = 5});
  EXPECT_EQ(d.T.EditOperatingMode2, "[Delta-Peak]Fin");
}

TEST(DecodingGen3, Temperature) {
  struct {
    const char* name;
    int probe, fahrenheit, tenths, output;
    const char* shown;
    const char* unit;  // starts as "°C"
    float temperature;
    int t1, t2;
  } cases[] = {
      {"no probe", 0, 1, 0x00EB, 1, "", "°C", 0.0f, 0, 0},
      {"Fahrenheit", 1, 1, 0x00EB, 1, " 23.5", "°F", 23.5f, 23, 0},
      {"Celsius", 1, 0, 0x00EB, 1, " 23.5", "°C", 23.5f, 23, 0},
      {"any non-zero flag", 7, 9, 0x00EB, 1, " 23.5", "°F", 23.5f, 23, 0},
      {"output 2", 1, 0, 0x00EB, 2, " 23.5", "°C", 23.5f, 0, 23},
      {"neither output", 1, 0, 0x00EB, 3, " 23.5", "°C", 23.5f, 0, 0},
      {"zero", 1, 0, 0, 1, "  0.0", "°C", 0.0f, 0, 0},
      {"under one degree", 1, 0, 9, 1, "  0.9", "°C", 0.9f, 0, 0},
      {"wider than five", 1, 0, 0xFFFF, 1, "6553.5", "°C", 6553.5f, 6553, 0},
      {"no conversion", 1, 1, 1000, 2, "100.0", "°F", 100.0f, 0, 100},
  };
  for (auto c : cases) {
    Decoder d;
    d.V.TemperatureOutput = c.output;
    d.Gen3({.temperatureTenths = c.tenths, .probe = c.probe, .fahrenheit = c.fahrenheit});
    EXPECT_EQ(d.T.EditTemperature, c.shown) << c.name;
    EXPECT_EQ(d.T.LTempUnit, c.unit) << c.name;
    EXPECT_FLOAT_EQ(d.V.Temperature, c.temperature) << c.name;
    EXPECT_EQ(d.Last1().t, c.t1) << c.name;
    EXPECT_EQ(d.Last2().t, c.t2) << c.name;
  }
}

TEST(DecodingGen3, ProbeRemovedEmptiesTheValueAndKeepsTheUnit) {
  Decoder d;
  d.Gen3({.temperatureTenths = 250, .probe = 1, .fahrenheit = 1});
  d.Gen3({.temperatureTenths = 250, .probe = 0, .fahrenheit = 0});
  EXPECT_EQ(d.T.EditTemperature, "");
  EXPECT_EQ(d.T.LTempUnit, "°F");
  EXPECT_EQ(d.V.Temperature, 0.0f);
  EXPECT_EQ(d.Last1().t, 0);
}

TEST(DecodingGen3, ValuesSamplesAndShownTexts) {
  Decoder d;
  d.Gen3({.supply = 13800,
          .state1 = 1,
          .cycle = 3,
          .voltage1 = 12000,
          .current1 = 1500,
          .capacity1 = 250,
          .state2 = 1,
          .voltage2 = 8400,
          .current2 = 700,
          .capacity2 = 90});
  EXPECT_EQ(d.T.EditInputVoltage, "13800");
  EXPECT_EQ(d.T.EditCycle, "3");
  EXPECT_EQ(d.T.Curve(1).TVoltage, "12000 mV");
  EXPECT_EQ(d.T.Curve(1).TCurrent, "1500 mA");
  EXPECT_EQ(d.T.Curve(2).TVoltage, "8400 mV");
  EXPECT_EQ(d.T.Curve(2).TCurrent, "700 mA");
  ASSERT_EQ(d.curve1.SampleCount(), 1);
  ASSERT_EQ(d.curve2.SampleCount(), 1);
  EXPECT_EQ(d.Last1().v, 9000);
  EXPECT_EQ(d.Last1().c, 250);
  EXPECT_EQ(d.Last1().i, 1500);
  EXPECT_EQ(d.Last2().v, 5400);
  EXPECT_EQ(d.Last2().c, 90);
  EXPECT_EQ(d.Last2().i, 700);
}

TEST(DecodingGen3, StoppedOutputsShowNoCurrent) {
  Decoder d;
  d.Gen3({.state1 = 0, .current1 = 500, .state2 = 0, .current2 = 300});
  EXPECT_EQ(d.T.Curve(1).TCurrent, "0 mA");
  EXPECT_EQ(d.Last1().i, 0);
  EXPECT_EQ(d.T.Curve(2).TCurrent, "0 mA");
  EXPECT_EQ(d.Last2().i, 0);
  // Every frame gives both curves a sample, whatever the states.
  d.Gen3({.state1 = 9, .state2 = 9});
  EXPECT_EQ(d.curve1.SampleCount(), 2);
  EXPECT_EQ(d.curve2.SampleCount(), 2);
}

TEST(DecodingGen3, CellAverages) {
  struct {
    std::vector<int> cells;
    int average;
  } cases[] = {
      {{4100, 4120}, 4110},
      {{}, 0},
      {{4101, 4102}, 4101},
      {{0, 0, 0, 3300, 0, 0, 0, 0, 0, 0, 0, 3600}, 3450},
      {{4200, 4200, 4200, 4200, 4200, 4200, 4200, 4200, 4200, 4200, 4200, 4199}, 4199},
      {{65535, 65535, 65535, 65535, 65535, 65535, 65535, 65535, 65535, 65535, 65535, 65535}, 65535},
  };
  for (auto& c : cases) {
    G3 v;
    for (size_t k = 0; k < c.cells.size(); ++k) v.cells[k] = c.cells[k];
    Decoder d;
    d.Gen3(v);
    EXPECT_EQ(d.V.CellAverage, c.average);
    ASSERT_EQ(d.spider.calls, 1);
    EXPECT_EQ(d.spider.average, c.average);
    EXPECT_EQ(d.spider.cells[0], 0) << "entry 0 is never written";
    for (int k = 1; k <= 12; ++k) EXPECT_EQ(d.spider.cells[k], v.cells[k - 1]) << "cell " << k;
  }
}

TEST(DecodingGen3, VoltageOffsetAppliesToBothCurves) {
  Decoder d;
  d.V.VoltageOffset = 2500;
  d.Gen3({.voltage1 = 2000, .voltage2 = 0});
  EXPECT_EQ(d.Last1().v, -500);
  EXPECT_EQ(d.Last2().v, -2500);
}

TEST(DecodingGen3, StateChangeStoresTheCapacityOfTheFrameThatShowsIt) {
  Decoder d;
  d.Gen3({.state1 = 1, .capacity1 = 100});
  d.Gen3({.state1 = 1, .capacity1 = 1400});
  d.Gen3({.state1 = 5, .capacity1 = 1500});
  EXPECT_EQ(d.T.ECharge[1], "1500");
  d.Gen3({.state1 = 2, .capacity1 = 10});
  d.Gen3({.state1 = 3, .capacity1 = 1200});
  EXPECT_EQ(d.T.EDecharge[1], "1200");
  EXPECT_EQ(d.Mem.ChargeMemoryIndex, 2);
  EXPECT_EQ(d.Mem.DischargeMemoryIndex, 2);
}

TEST(DecodingGen3, WithoutSinks) {
  Decoder d;
  d.m.SetControls(nullptr, nullptr, nullptr);
  d.Gen3({.state1 = 1, .current1 = 100, .cells = {4000}});
  EXPECT_EQ(d.T.Curve(1).TCurrent, "100 mA");
  EXPECT_EQ(d.V.CellAverage, 4000);
}

TEST(DecodingGen3, ForeignBytesThatPassTheChecksumGiveFallbacks) {
  // Bytes that are no upper-case digit convert by the formula; the checksum
  // only sums them. Every code then falls outside its table.
  std::string frame = sim::BuildGen3Frame({});
  for (int i = 3; i <= 96; ++i) frame[static_cast<size_t>(i)] = 'z';
  frame.replace(charger::gen3::kChecksum, 4, sim::Hex(static_cast<unsigned>(sim::Gen3Checksum(frame)) & 0xFFFF, 4));
  Decoder d;
  d.Feed(frame, 3);
  EXPECT_EQ(d.T.EditOperatingMode1, "[Algo Def]Op Def?");
  EXPECT_EQ(d.T.EditOperatingMode2, "[Def ?]Op Def?");
  EXPECT_EQ(d.V.Out[0].Voltage, 67 * 4369);
  EXPECT_EQ(d.V.CellAverage, 67 * 4369);
  EXPECT_EQ(d.curve1.SampleCount(), 1);

  std::string low = frame;
  for (int i = 3; i <= 96; ++i) low[static_cast<size_t>(i)] = '\x80';
  low.replace(charger::gen3::kChecksum, 4, sim::Hex(static_cast<unsigned>(sim::Gen3Checksum(low)) & 0xFFFF, 4));
  Decoder n;
  n.Feed(low, 3);
  EXPECT_EQ(n.V.CellAverage, 0) << "negative cells are not counted";
  EXPECT_EQ(n.T.EditOperatingMode1, "[Algo Def]Op Def?");
}

TEST(DecodingGen3, ThroughTheTick) {
  ChargerMonitor m;
  ScriptedSource src;
  CountingCurve c1, c2;
  CellSpy spider;
  src.Attach(m);
  m.SetControls(&c1, &c2, &spider);
  std::string idle = sim::BuildGen3Frame({});
  src.Burst(idle + idle + idle);
  m.TimerEvent();
  ASSERT_EQ(m.Reader().Generation, 3);
  src.Burst(sim::BuildGen3Frame(
      {.state1 = 1, .algorithm1 = 4, .voltage1 = 12500, .current1 = 2000, .cells = {4150, 4160}}));
  ASSERT_TRUE(m.TimerEvent());
  EXPECT_EQ(m.Texts().EditOperatingMode1, "[CC-CV]Charge");
  EXPECT_EQ(m.Texts().EditOperatingMode2, "[Automatique]Arrêt");
  EXPECT_EQ(m.Texts().Curve(1).TVoltage, "12500 mV");
  EXPECT_EQ(m.Texts().Curve(1).TCurrent, "2000 mA");
  ASSERT_EQ(c1.SampleCount(), 1);
  EXPECT_EQ(c1.samples.back().v, 9500);
  EXPECT_EQ(c2.SampleCount(), 1);
  EXPECT_EQ(spider.average, 4155);
  // A bad frame decodes nothing.
  std::string bad = sim::BuildGen3Frame({.state1 = 2});
  bad[20] = bad[20] == '1' ? '2' : '1';
  src.Burst(bad);
  m.TimerEvent();
  EXPECT_EQ(m.Texts().EditOperatingMode1, "[CC-CV]Charge");
  EXPECT_EQ(c1.SampleCount(), 1);
}

}  // namespace
