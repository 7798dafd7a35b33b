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
    d.Generation = c.generation;
    d.V.Out[0].Capacity = 777;
    d.StoreMemory(c.ended);
    EXPECT_EQ(d.Mem.ChargeMemoryIndex, c.chargeIndex) << c.generation << "/" << c.ended;
    EXPECT_EQ(d.Mem.DischargeMemoryIndex, c.dischargeIndex) << c.generation << "/" << c.ended;
    EXPECT_EQ(d.T.ECharge[1], c.chargeIndex == 2 ? "777" : "");
    EXPECT_EQ(d.T.EDecharge[1], c.dischargeIndex == 2 ? "777" : "");
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
  EXPECT_EQ(d.T.ECharge[1], "1100") << "the capacity of the first F frame";
  EXPECT_EQ(d.Mem.ChargeMemoryIndex, 2);
  charge(1200);
  charge(1300);
  charge(1400);  // the fourth charge end
  EXPECT_EQ(Column(d.T.ECharge), Filled({"1100", "1200", "1300"}));
  EXPECT_EQ(d.Mem.ChargeMemoryIndex, 5);
  EXPECT_EQ(Column(d.T.EDecharge), Filled({}));

  d.m.Effacer1Click();
  EXPECT_EQ(Column(d.T.ECharge), Filled({}));
  EXPECT_EQ(d.Mem.ChargeMemoryIndex, 1);
  charge(900);
  EXPECT_EQ(Column(d.T.ECharge), Filled({"900"}));
}

TEST(MemoriesGen3, TenPerColumnThenCountedOnly) {
  Decoder d;
  for (int i = 1; i <= 11; ++i) {
    d.Gen3({.state1 = 1});
    d.Gen3({.state1 = 5, .capacity1 = 100 * i});
    d.Gen3({.state1 = 2});
    d.Gen3({.state1 = 0, .capacity1 = 10 * i});
  }
  EXPECT_EQ(Column(d.T.ECharge),
            (std::vector<std::string>{"100", "200", "300", "400", "500", "600", "700", "800", "900",
                                      "1000"}));
  EXPECT_EQ(Column(d.T.EDecharge), (std::vector<std::string>{"10", "20", "30", "40", "50",
                                                                   "60", "70", "80", "90", "100"}));
  EXPECT_EQ(d.Mem.ChargeMemoryIndex, 12);
  EXPECT_EQ(d.Mem.DischargeMemoryIndex, 12);
}

TEST(MemoriesIndex, DoesNotOverflow) {
  Decoder d;
  d.Generation = 3;
  d.Mem.ChargeMemoryIndex = INT32_MAX;
  d.Mem.DischargeMemoryIndex = INT32_MAX - 1;
  d.StoreMemory(1);
  d.StoreMemory(2);
  d.StoreMemory(2);
  EXPECT_EQ(d.Mem.ChargeMemoryIndex, INT32_MAX);
  EXPECT_EQ(d.Mem.DischargeMemoryIndex, INT32_MAX);
  EXPECT_EQ(Column(d.T.ECharge), Filled({}));
}

TEST(MemoriesClear, EmptiesMemoriesOnly) {
  Decoder d;
  d.Generation = 3;
  for (int i = 1; i <= 10; ++i) {
    d.T.ECharge[i] = "c";
    d.T.EDecharge[i] = "d";
  }
  d.Mem.ChargeMemoryIndex = 7;
  d.Mem.DischargeMemoryIndex = 13;
  d.T.Pack(1).EditResistor = " 0.100";
  d.T.StatusBar = "<-frame>";
  d.R(1).ResistanceArmed = true;
  d.R(1).RestVoltage = 11900;
  d.curve1.AddSample(1, 2, 3, 4);

  d.m.Effacer1Click();
  EXPECT_EQ(Column(d.T.ECharge), Filled({}));
  EXPECT_EQ(Column(d.T.EDecharge), Filled({}));
  EXPECT_EQ(d.Mem.ChargeMemoryIndex, 1);
  EXPECT_EQ(d.Mem.DischargeMemoryIndex, 1);
  EXPECT_EQ(d.T.Pack(1).EditResistor, " 0.100");
  EXPECT_EQ(d.T.StatusBar, "<-frame>");
  EXPECT_TRUE(d.R(1).ResistanceArmed);
  EXPECT_EQ(d.R(1).RestVoltage, 11900.0f);
  EXPECT_EQ(d.curve1.SampleCount(), 1);
  EXPECT_EQ(d.curve1.clears, 0);
}

}  // namespace
