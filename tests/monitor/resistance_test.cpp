#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/decoding_harness.h"

namespace {

// One generation-3 frame seen by output 1 (or output 2), and the resistance
// field after it.
struct Frame3 {
  int state, mv, ma;
  const char* shown;
};

sim::Gen3Values Out1(const Frame3& f) {
  sim::Gen3Values v;
  v.state1 = f.state;
  v.voltage1 = f.mv;
  v.current1 = f.ma;
  return v;
}
sim::Gen3Values Out2(const Frame3& f) {
  sim::Gen3Values v;
  v.state2 = f.state;
  v.voltage2 = f.mv;
  v.current2 = f.ma;
  return v;
}

struct Case3 {
  const char* name;
  std::vector<Frame3> frames;
};

void RunFrames(const Case3& c, bool output2) {
  Decoder d;
  int i = 0;
  for (const Frame3& f : c.frames) {
    d.Gen3(output2 ? Out2(f) : Out1(f));
    const std::string& field = output2 ? d.T.Pack(2).EditResistor : d.T.Pack(1).EditResistor;
    EXPECT_EQ(field, f.shown) << c.name << ", frame " << i;
    ++i;
  }
}

TEST(ResistanceGen3, Output1) {
  const Case3 cases[] = {
      {"charge: the voltage before the rest is used; one value per rest",
       {{1, 12000, 1000, ""},
        {1, 11900, 30, " "},
        {1, 12100, 1000, " 0.100"},
        {1, 12300, 1000, " 0.100"},
        {1, 11950, 10, " "}}},
      {"discharge", {{2, 11500, 2000, ""}, {2, 11900, 1, " "}, {2, 11400, 2000, " 0.200"}}},
      {"discharge at 2 mA is already a load",
       {{2, 11500, 2000, ""}, {2, 11900, 0, " "}, {2, 11600, 2, "200.000"}}},
      {"charge at 49 mA is rest, at 50 mA a load",
       {{1, 12000, 1000, ""}, {1, 11900, 49, " "}, {1, 12050, 50, " 2.000"}}},
      {"rest frames take the rest voltage again",
       {{1, 12000, 1000, ""}, {1, 11000, 0, " "}, {1, 11900, 40, " "}, {1, 12500, 1000, " 0.100"}}},
      {"an end while armed shows the kept value again, whatever its current",
       {{1, 12000, 1000, ""},
        {1, 11900, 0, " "},
        {1, 12000, 1000, " 0.100"},
        {1, 11800, 0, " "},
        {5, 11000, 0, " 0.100"},
        {5, 11000, 0, " 0.100"}}},
      {"a stop is a loaded frame: no value is worked out",
       {{1, 12000, 1000, ""}, {1, 11900, 0, " "}, {0, 11000, 0, " 0.000"}}},
      // 3/80 and 9/80 fall on the other side of a rounding step once stored
      // in single precision.
      {"the stored single value is formatted, not the double quotient",
       {{1, 12003, 1000, ""}, {1, 12000, 0, " "}, {1, 12500, 80, " 0.038"}}},
      {"...also when discharging",
       {{2, 11991, 2000, ""}, {2, 12000, 0, " "}, {2, 11000, 80, " 0.112"}}},
      {"...and below zero", {{1, 11991, 1000, ""}, {1, 12000, 0, " "}, {1, 12500, 80, "-0.112"}}},
      {"an exact half rounds to even, as printf does",
       {{2, 11995, 2000, ""}, {2, 12000, 0, " "}, {2, 11000, 16, " 0.312"}}},
      {"negative when the loaded voltage was lower",
       {{1, 11000, 1000, ""}, {1, 11100, 0, " "}, {1, 11500, 1000, "-0.100"}}},
  };
  for (const Case3& c : cases) RunFrames(c, false);
}

TEST(ResistanceGen3, Output2) {
  const Case3 cases[] = {
      {"charge", {{1, 8000, 1000, ""}, {1, 7900, 5, " "}, {1, 8100, 1000, " 0.100"}}},
      {"6 mA is a load", {{1, 8000, 1000, ""}, {1, 7900, 4, " "}, {1, 8100, 6, "16.667"}}},
      {"a stop is a loaded frame and computes nothing",
       {{1, 8000, 1000, ""}, {1, 7900, 0, " "}, {0, 7000, 2000, " 0.000"}}},
      {"no discharge rule", {{1, 8000, 1000, ""}, {1, 7900, 0, " "}, {2, 8100, 1, " 0.000"}}},
  };
  for (const Case3& c : cases) RunFrames(c, true);
}

TEST(ResistanceGen3, OutputThatWasNeverLoadedShowsNoValue) {
  // Rest frames from start-up: there is no loaded voltage to compare with,
  // so the first load shows nothing instead of -11.900 (or 5.950).
  const Case3 out1[] = {
      {"charge",
       {{1, 11900, 30, " "},
        {1, 12100, 1000, " "},
        {1, 12150, 1000, " "},
        {1, 11900, 0, " "},
        {1, 12200, 1000, " 0.250"}}},
      {"discharge", {{2, 11900, 1, " "}, {2, 11500, 2000, " "}}},
      {"an end shows the kept value as usual", {{1, 11900, 0, " "}, {5, 11900, 0, " 0.000"}}},
  };
  for (const Case3& c : out1) RunFrames(c, false);
  RunFrames(
      {"output 2",
       {{1, 7900, 0, " "}, {1, 8000, 1000, " "}, {1, 7900, 0, " "}, {1, 8000, 1000, " 0.100"}}},
      true);
  Decoder d;
  d.Gen3({.state1 = 1, .voltage1 = 11900, .current1 = 0});
  d.Gen3({.state1 = 1, .voltage1 = 12100, .current1 = 1000});
  EXPECT_EQ(d.R(1).Resistance, 0.0f);
  EXPECT_FALSE(d.R(1).ResistanceArmed);
  EXPECT_EQ(d.R(1).LoadedVoltage, 12100);
}

TEST(ResistanceGen3, ArmedStateAndLoadedVoltage) {
  Decoder d;
  d.Gen3({.state1 = 1, .voltage1 = 12000, .current1 = 1000});
  EXPECT_FALSE(d.R(1).ResistanceArmed);
  EXPECT_EQ(d.R(1).LoadedVoltage, 12000);
  d.Gen3({.state1 = 1, .voltage1 = 11900, .current1 = 10});
  EXPECT_TRUE(d.R(1).ResistanceArmed);
  EXPECT_EQ(d.R(1).RestVoltage, 11900.0f);
  EXPECT_EQ(d.R(1).LoadedVoltage, 12000) << "a rest frame keeps the loaded voltage";
  d.Gen3({.state1 = 1, .voltage1 = 12100, .current1 = 1000});
  EXPECT_FALSE(d.R(1).ResistanceArmed);
  EXPECT_FLOAT_EQ(d.R(1).Resistance, 0.1f);
  EXPECT_EQ(d.R(1).LoadedVoltage, 12100);
  EXPECT_EQ(d.T.LabelGb1ResistorLeft, 202) << "generation 3 leaves the label alone";
  EXPECT_EQ(d.T.LabelGb1ResistorCaption, "");
}

// Generation 2: one frame, with the pack's cell count, and the field and
// label after it.
struct Frame2 {
  int phase, mv, tenths;
  const char* shown;
  const char* label;
  int left;
};
struct Case2 {
  const char* name;
  const char* cells;
  std::vector<Frame2> frames;
};

TEST(ResistanceGen2, Computation) {
  const Case2 cases[] = {
      {"4 cells: per cell",
       "4",
       {{2, 8000, 0, " ", "", 202}, {2, 8400, 10000, " 0.100", "R/e", 192}}},
      {"no cell count: whole pack",
       "",
       {{2, 8000, 0, " ", "", 202}, {2, 8400, 10000, " 0.400", "R", 206}}},
      {"negative cell count: whole pack",
       "-4",
       {{2, 8000, 0, " ", "", 202}, {2, 8400, 10000, " 0.400", "R", 206}}},
      {"the frame that turns the letter to C does not compute",
       "",
       {{1, 8000, 0, " ", "", 202},
        {2, 8400, 10000, " ", "", 202},
        {2, 8400, 10000, " 0.400", "R", 206}}},
      {"every loaded frame after C computes with its own values",
       "2",
       {{5, 8000, 0, " ", "", 202},
        {5, 8400, 10000, " 0.200", "R/e", 192},
        {6, 8600, 20000, " 0.150", "R/e", 192}}},
      {"not under charge",
       "",
       {{3, 8000, 0, " ", "", 202},
        {3, 7600, 10000, " ", "", 202},
        {8, 7600, 10000, " ", "", 202}}},
      {"the label keeps its last caption and place",
       "3",
       {{2, 8000, 0, " ", "", 202},
        {2, 8300, 10000, " 0.100", "R/e", 192},
        {8, 8000, 0, " ", "R/e", 192},
        {8, 8300, 10000, " ", "R/e", 192}}},
      {"a current under 1 mA counts as none",
       "",
       {{2, 8000, 9, " ", "", 202}, {2, 8100, 10000, " 0.100", "R", 206}}},
  };
  for (const Case2& c : cases) {
    Decoder d;
    d.T.Pack(1).EditNbElements = c.cells;
    int i = 0;
    for (const Frame2& f : c.frames) {
      d.Gen2({.voltage = f.mv, .currentTenths = f.tenths, .phase = f.phase});
      EXPECT_EQ(d.T.Pack(1).EditResistor, f.shown) << c.name << ", frame " << i;
      EXPECT_EQ(d.T.LabelGb1ResistorCaption, f.label) << c.name << ", frame " << i;
      EXPECT_EQ(d.T.LabelGb1ResistorLeft, f.left) << c.name << ", frame " << i;
      ++i;
    }
  }
}

TEST(ResistanceGen2, NoRestVoltageNoValue) {
  Decoder d;
  d.Gen2({.voltage = 8000, .currentTenths = 0, .phase = 2});
  d.m.RAZClick();  // rest voltage back to 0
  d.Gen2({.voltage = 8400, .currentTenths = 10000, .phase = 2});
  EXPECT_EQ(d.T.Pack(1).EditResistor, " ");
  d.Gen2({.voltage = 8000, .currentTenths = 0, .phase = 2});
  d.Gen2({.voltage = 8400, .currentTenths = 10000, .phase = 2});
  EXPECT_EQ(d.T.Pack(1).EditResistor, " 0.400");
}

class CurveOrder : public CurveSink {
 public:
  CurveOrder(std::string& log, char name) : log_(log), name_(name) {}
  void AddSample(int32_t, int32_t, int32_t, int32_t) override {}
  int32_t SampleCount() const override { return 0; }
  void Clear() override { log_ += name_; }

 private:
  std::string& log_;
  char name_;
};

TEST(MeasuresClear, ResetsResistanceStateAndCurvesOnly) {
  Decoder d;
  std::string order;
  CurveOrder g1(order, '1'), g2(order, '2');
  d.m.SetControls(&g1, &g2, nullptr);
  d.Gen3({.state1 = 1,
          .voltage1 = 12000,
          .current1 = 1000,
          .state2 = 1,
          .voltage2 = 8000,
          .current2 = 900});
  d.Gen3({.state1 = 1,
          .voltage1 = 11900,
          .current1 = 0,
          .state2 = 1,
          .voltage2 = 7900,
          .current2 = 0});
  d.Gen3({.state1 = 2,
          .voltage1 = 12100,
          .current1 = 1000,
          .capacity1 = 1234,
          .state2 = 1,
          .voltage2 = 8100,
          .current2 = 1000});
  d.Gen3({.state1 = 1,
          .voltage1 = 11900,
          .current1 = 0,
          .state2 = 1,
          .voltage2 = 7900,
          .current2 = 0});
  d.T.Pack(1).EditResistor = " 0.100";
  d.T.Pack(2).EditResistor = " 0.100";
  d.T.StatusBar = "<-frame>";
  ASSERT_TRUE(d.R(1).ResistanceArmed);
  ASSERT_TRUE(d.R(2).ResistanceArmed);
  ASSERT_EQ(d.T.ECharge[1], "1234");

  d.m.RAZClick();
  EXPECT_EQ(order, "12") << "curve 1, then curve 2";
  EXPECT_EQ(d.R(1).RestVoltage, 0.0f);
  EXPECT_EQ(d.R(2).RestVoltage, 0.0f);
  EXPECT_EQ(d.R(1).Resistance, 0.0f);
  EXPECT_EQ(d.R(2).Resistance, 0.0f);
  EXPECT_FALSE(d.R(1).ResistanceArmed);
  EXPECT_FALSE(d.R(2).ResistanceArmed);
  EXPECT_EQ(d.T.StatusBar, "");
  // What stays.
  EXPECT_EQ(d.R(1).LoadedVoltage, 12100);
  EXPECT_EQ(d.R(2).LoadedVoltage, 8100);
  EXPECT_EQ(d.T.Pack(1).EditResistor, " 0.100");
  EXPECT_EQ(d.T.Pack(2).EditResistor, " 0.100");
  EXPECT_EQ(d.T.ECharge[1], "1234");
  EXPECT_EQ(d.Mem.ChargeMemoryIndex, 2);
  // Disarmed: the next load computes nothing.
  d.Gen3({.state1 = 1, .voltage1 = 12100, .current1 = 1000});
  EXPECT_EQ(d.T.Pack(1).EditResistor, " 0.100");

  d.m.SetControls(nullptr, nullptr, nullptr);
  d.m.RAZClick();  // no curve: nothing to clear
}

}  // namespace
