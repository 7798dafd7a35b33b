#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "decoding_harness.h"

namespace {

using G2 = sim::Gen2Values;

TEST(DecodingGen2, ModeTexts) {
  struct {
    int mode;
    const char* text;
  } cases[] = {
      {0x30, "Charge"},
      {0x31, "Décharge"},
      {0x32, "Charge->Décharge"},
      {0x33, "Décharge->Charge"},
      {0x34, "Batterie au Plomb"},
      {0x35, "Batterie au Lithium"},
      {0x36, "?"},
      {0x2F, "?"},
      {0x00, "?"},
      {0xFF, "?"},
  };
  for (auto c : cases) {
    Decoder d;
    d.Gen2({.mode = c.mode});
    EXPECT_EQ(d.T.EditOperatingMode1, c.text) << std::hex << c.mode;
  }
}

TEST(DecodingGen2, PhaseLettersAndWhichPhasesAddASample) {
  struct {
    int phase;
    const char* letter;
    bool sample;
  } cases[] = {
      {0, "?", false}, {1, "R", true}, {2, "C", true},   {3, "D", true},
      {4, "D", true},  {5, "C", true}, {6, "C", true},   {7, "D", true},
      {8, "F", true},  {9, "P", true}, {10, "?", false}, {0xFF, "?", false},
  };
  for (auto c : cases) {
    Decoder d;
    d.Gen2({.phase = c.phase});
    EXPECT_EQ(d.T.EditOperatingMode2, c.letter) << c.phase;
    EXPECT_EQ(d.curve1.SampleCount(), c.sample ? 1 : 0) << c.phase;
    EXPECT_EQ(d.V.Phase, c.phase);
    EXPECT_EQ(d.V.PreviousPhase, 1);
  }
}

TEST(DecodingGen2, FieldsAndShownValues) {
  Decoder d;
  d.Gen2({.cycle = 0x2A,
          .supply = 11950,
          .voltage = 12000,
          .currentTenths = 0x04D2,
          .capacity = 1520,
          .phase = 2});
  EXPECT_EQ(d.V.Cycle, 42);
  EXPECT_EQ(d.V.SupplyVoltage, 11950);
  EXPECT_EQ(d.V.Out[0].Current, 123);
  EXPECT_EQ(d.T.EditCycle, "42");
  EXPECT_EQ(d.T.EditInputVoltage, "11950");
  EXPECT_EQ(d.T.Curve(1).TVoltage, "12000 mV");
  EXPECT_EQ(d.T.Curve(1).TCurrent, "123 mA");
  ASSERT_EQ(d.curve1.SampleCount(), 1);
  EXPECT_EQ(d.Last1().v, 9000) << "voltage offset";
  EXPECT_EQ(d.Last1().c, 1520);
  EXPECT_EQ(d.Last1().i, 123);
  EXPECT_EQ(d.Last1().t, 0);
  EXPECT_EQ(d.curve2.SampleCount(), 0);
  EXPECT_EQ(d.spider.calls, 0) << "no balancer on generation 2";
}

TEST(DecodingGen2, CurrentTenthsDropTheFraction) {
  struct {
    int tenths, ma;
  } cases[] = {{0, 0}, {9, 0}, {10, 1}, {19, 1}, {1234, 123}, {65535, 6553}};
  for (auto c : cases) {
    Decoder d;
    d.Gen2({.currentTenths = c.tenths});
    EXPECT_EQ(d.V.Out[0].Current, c.ma) << c.tenths;
  }
}

TEST(DecodingGen2, SampleCarriesTheTemperatureLeftByGeneration3) {
  Decoder d;
  d.V.Temperature = 21.7f;
  d.V.TemperatureOutput = 2;  // not consulted for generation 2
  d.Gen2({});
  EXPECT_EQ(d.Last1().t, 21);
}

TEST(DecodingGen2, PhaseChangesStoreMemoriesBeforeTheSample) {
  Decoder d;
  d.Gen2({.capacity = 10, .phase = 2});  // 1 -> 2: phase 1 ended, nothing kept
  d.Gen2({.capacity = 20, .phase = 2});  // no change
  EXPECT_EQ(d.curve1.SampleCount(), 2);
  EXPECT_EQ(d.Mem.ChargeMemoryIndex, 1);
  d.Gen2({.capacity = 30, .phase = 8});  // charge ended
  EXPECT_EQ(d.T.ECharge[1], "30");
  EXPECT_EQ(d.Mem.ChargeMemoryIndex, 2);
  EXPECT_EQ(d.curve1.SampleCount(), 3);
}

TEST(DecodingGen2, PhaseOutOfRangeStoresNothing) {
  // The out-of-range frame neither stores nor samples, and it becomes the
  // previous phase, so the charge end it hid is not stored later either.
  Decoder d;
  d.Gen2({.phase = 2});
  d.Gen2({.phase = 0});
  d.Gen2({.phase = 8});
  EXPECT_EQ(d.Mem.ChargeMemoryIndex, 1);
  EXPECT_EQ(d.curve1.SampleCount(), 2);
}

TEST(DecodingGen2, CellCountIsTheLeadingNumberOfThePackField) {
  struct {
    const char* text;
    int32_t count;
  } cases[] = {
      {"4", 4},
      {"12 elements", 12},
      {"  7", 7},
      {"\t+3", 3},
      {"-2", -2},
      {"", 0},
      {"abc", 0},
      {"- 3", 0},
      {"+", 0},
      {"007", 7},
      {"2147483647", INT32_MAX},
      {"99999999999999999999999", INT32_MAX},
      {"-2147483648", INT32_MIN},
      {"-99999999999999999999999", INT32_MIN},
  };
  for (auto c : cases) {
    Decoder d;
    d.T.Pack(1).EditNbElements = c.text;
    d.Gen2({});
    EXPECT_EQ(d.V.CellCount1, c.count) << '"' << c.text << '"';
  }
}

TEST(DecodingGen2, StartAndEndBytesDoNotMatter) {
  std::string frame = sim::BuildGen2Frame({.mode = 0x31, .voltage = 8123, .phase = 3});
  Decoder raw, shown;
  raw.m.Decoder().DecodeFrame(frame.data(), 2);
  shown.Feed(frame, 2);
  EXPECT_EQ(raw.T.EditOperatingMode1, shown.T.EditOperatingMode1);
  EXPECT_EQ(raw.T.EditOperatingMode2, "D");
  EXPECT_EQ(raw.T.Curve(1).TVoltage, shown.T.Curve(1).TVoltage);
}

TEST(DecodingGen2, ForeignBytesDecodeByTheDigitFormula) {
  // Generation 2 has no checksum: anything but a start byte passes.
  std::string frame(32, '\x80');
  frame[0] = 0x0C;
  frame[charger::kGen2FrameLength - 1] = charger::kEndByte;
  Decoder d;
  d.Feed(frame, 2);
  EXPECT_EQ(d.T.EditOperatingMode1, "?");
  EXPECT_EQ(d.T.EditOperatingMode2, "?");
  EXPECT_EQ(d.V.Out[0].Voltage, -176 * 4369);
  EXPECT_EQ(d.V.Out[0].Current, -176 * 4369 / 10);
  EXPECT_EQ(d.curve1.SampleCount(), 0);
}

TEST(Decoding, UndeterminedGenerationDecodesNothing) {
  Decoder d;
  d.Feed(sim::BuildGen3Frame({}), 0);
  EXPECT_EQ(d.T.EditCycle, "");
  EXPECT_EQ(d.T.Curve(1).TVoltage, "");
  EXPECT_EQ(d.curve1.SampleCount(), 0);
}

}  // namespace
