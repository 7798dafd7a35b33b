#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "link/decoding_harness.h"

namespace {

std::vector<std::string> Column(const std::string (&c)[11]) { return {c + 1, c + 11}; }
std::vector<std::string> Filled(std::vector<std::string> head) {
  head.resize(10);
  return head;
}

TEST(StoreMemory, WhichEndsAreKept) {
  struct {
    int generation, ended;
    int chargeIndex, dischargeIndex;
  } cases[] = {
      {2, 2, 2, 1},   {2, 5, 2, 1}, {2, 6, 2, 1}, {2, 3, 1, 2}, {2, 4, 1, 2},  {2, 7, 1, 2},
      {2, 0, 1, 1},   {2, 1, 1, 1}, {2, 8, 1, 1}, {2, 9, 1, 1}, {2, -1, 1, 1}, {2, 12, 1, 1},
      {3, 1, 2, 1},   {3, 2, 1, 2}, {3, 0, 1, 1}, {3, 3, 1, 1}, {3, 5, 1, 1},  {3, 6, 1, 1},
      {3, -56, 1, 1}, {0, 1, 1, 1}, {0, 2, 1, 1},
  };
  for (auto c : cases) {
    Decoder d;
    d.S.Generation = c.generation;
    d.S.Capacity1 = 777;
    d.m.StoreMemory(c.ended);
    EXPECT_EQ(d.S.ChargeMemoryIndex, c.chargeIndex) << c.generation << "/" << c.ended;
    EXPECT_EQ(d.S.DischargeMemoryIndex, c.dischargeIndex) << c.generation << "/" << c.ended;
    EXPECT_EQ(d.S.Shown.ECharge[1], c.chargeIndex == 2 ? "777" : "");
    EXPECT_EQ(d.S.Shown.EDecharge[1], c.dischargeIndex == 2 ? "777" : "");
  }
}

TEST(MemoriesGen2, ThreePerColumnThenCountedOnly) {
  Decoder d;
  auto charge = [&](int capacity) {
    d.Gen2({.capacity = 1, .phase = 2});
    d.Gen2({.capacity = capacity, .phase = 8});
    d.Gen2({.capacity = capacity + 1, .phase = 8});
  };
  charge(1100);
  EXPECT_EQ(d.S.Shown.ECharge[1], "1100") << "the capacity of the first F frame";
  EXPECT_EQ(d.S.ChargeMemoryIndex, 2);
  charge(1200);
  charge(1300);
  charge(1400);  // the fourth charge end
  EXPECT_EQ(Column(d.S.Shown.ECharge), Filled({"1100", "1200", "1300"}));
  EXPECT_EQ(d.S.ChargeMemoryIndex, 5);
  EXPECT_EQ(Column(d.S.Shown.EDecharge), Filled({}));

  d.m.Effacer1Click();
  EXPECT_EQ(Column(d.S.Shown.ECharge), Filled({}));
  EXPECT_EQ(d.S.ChargeMemoryIndex, 1);
  charge(900);
  EXPECT_EQ(Column(d.S.Shown.ECharge), Filled({"900"}));
}

TEST(MemoriesGen3, TenPerColumnThenCountedOnly) {
  Decoder d;
  for (int i = 1; i <= 11; ++i) {
    d.Gen3({.state1 = 1});
    d.Gen3({.state1 = 5, .capacity1 = 100 * i});
    d.Gen3({.state1 = 2});
    d.Gen3({.state1 = 0, .capacity1 = 10 * i});
  }
  EXPECT_EQ(Column(d.S.Shown.ECharge),
            (std::vector<std::string>{"100", "200", "300", "400", "500", "600", "700", "800", "900",
                                      "1000"}));
  EXPECT_EQ(Column(d.S.Shown.EDecharge), (std::vector<std::string>{"10", "20", "30", "40", "50",
                                                                   "60", "70", "80", "90", "100"}));
  EXPECT_EQ(d.S.ChargeMemoryIndex, 12);
  EXPECT_EQ(d.S.DischargeMemoryIndex, 12);
}

TEST(MemoriesIndex, DoesNotOverflow) {
  Decoder d;
  d.S.Generation = 3;
  d.S.ChargeMemoryIndex = INT32_MAX;
  d.S.DischargeMemoryIndex = INT32_MAX - 1;
  d.m.StoreMemory(1);
  d.m.StoreMemory(2);
  d.m.StoreMemory(2);
  EXPECT_EQ(d.S.ChargeMemoryIndex, INT32_MAX);
  EXPECT_EQ(d.S.DischargeMemoryIndex, INT32_MAX);
  EXPECT_EQ(Column(d.S.Shown.ECharge), Filled({}));
}

TEST(MemoriesClear, EmptiesMemoriesOnly) {
  Decoder d;
  d.S.Generation = 3;
  for (int i = 1; i <= 10; ++i) {
    d.S.Shown.ECharge[i] = "c";
    d.S.Shown.EDecharge[i] = "d";
  }
  d.S.ChargeMemoryIndex = 7;
  d.S.DischargeMemoryIndex = 13;
  d.S.Shown.EditResistor1 = " 0.100";
  d.S.Shown.StatusBar = "<-frame>";
  d.S.ResistanceArmed1 = true;
  d.S.RestVoltage1 = 11900;
  d.curve1.AddSample(1, 2, 3, 4);

  d.m.Effacer1Click();
  EXPECT_EQ(Column(d.S.Shown.ECharge), Filled({}));
  EXPECT_EQ(Column(d.S.Shown.EDecharge), Filled({}));
  EXPECT_EQ(d.S.ChargeMemoryIndex, 1);
  EXPECT_EQ(d.S.DischargeMemoryIndex, 1);
  EXPECT_EQ(d.S.Shown.EditResistor1, " 0.100");
  EXPECT_EQ(d.S.Shown.StatusBar, "<-frame>");
  EXPECT_TRUE(d.S.ResistanceArmed1);
  EXPECT_EQ(d.S.RestVoltage1, 11900.0f);
  EXPECT_EQ(d.curve1.SampleCount(), 1);
  EXPECT_EQ(d.curve1.clears, 0);
}

}  // namespace
