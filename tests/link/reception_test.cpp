#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "FrameBuilder.h"
#include "ScriptedSource.h"
#include "link/ChargerMonitor.h"
#include "link/LookSink.h"
#include "link/LogFile.h"

namespace {

class LookSpy : public LookSink {
 public:
  void Zephyral2Disabling() override { ++disabling; }
  void Zephyral3Enabling() override { ++enabling; }
  int disabling = 0, enabling = 0;
};

// A monitor wired to a script, a log in a fresh temporary folder and spies.
class Reception : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/zephyral-rx-XXXXXX";
    dir_ = mkdtemp(tmpl);
    ASSERT_EQ(chdir(dir_.c_str()), 0);
    log_.Open("Zephyral");
    src_.Attach(m_, &log_, &looks_);
    m_.SetControls(&curve1_, &curve2_, nullptr);
  }
  void TearDown() override {
    log_.Close();
    ASSERT_EQ(chdir("/tmp"), 0);
    std::string cmd = "rm -rf " + dir_;
    ASSERT_EQ(std::system(cmd.c_str()), 0);
  }
  std::string LogText() {
    std::ifstream in(dir_ + "/Zephyral-1.log", std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }
  // Runs ticks until the script is spent.
  void RunTicks(int n) {
    for (int i = 0; i < n; ++i) m_.TimerEvent();
  }

  std::string dir_;
  TLogFile log_;
  ScriptedSource src_;
  ChargerMonitor m_;
  CountingCurve curve1_, curve2_;
  LookSpy looks_;
};

std::string Gen2(int capacity = 0) {
  sim::Gen2Values v;
  v.capacity = capacity;
  return sim::BuildGen2Frame(v);
}
std::string Gen3(int supply = 12000) {
  sim::Gen3Values v;
  v.supply = supply;
  return sim::BuildGen3Frame(v);
}

TEST(Hexa2Dec, FormulaWithoutValidation) {
  struct { char in; int out; } cases[] = {
      {'0', 0}, {'9', 9}, {'A', 10}, {'F', 15}, {'a', 42}, {'f', 47}, {'G', 16}, {' ', -16},
      {'\x80', -176}};
  for (auto c : cases) EXPECT_EQ(ChargerMonitor::Hexa2Dec(c.in), c.out) << int(c.in);
}

TEST_F(Reception, TraceMapsBytesBeforeSynchronisation) {
  src_.Burst(std::string("\x0c" "A\x0d\x20\x21\x80\x7f\x22", 8));
  m_.TimerEvent();
  EXPECT_EQ(std::string(m_.Reader().ReceiveTrace, m_.Reader().TraceIndex), "<A>---\x7f\"");
  EXPECT_EQ(m_.Reader().StartByteCount, 1);
  EXPECT_FALSE(m_.Reader().Synchronised);
}

TEST_F(Reception, TraceIndexStopsAt511) {
  src_.Burst(std::string(700, 'x') + "yz");
  m_.TimerEvent();
  EXPECT_EQ(m_.Reader().TraceIndex, 511);
  EXPECT_EQ(m_.Reader().ReceiveTrace[510], 'x');
  EXPECT_EQ(m_.Reader().ReceiveTrace[511], 'z');
}

TEST_F(Reception, ThirdStartByteSynchronisesAndIdentifies) {
  struct Case {
    std::string frame;
    int length, generation, disablings;
    const char* caption;
  } cases[] = {
      {Gen2(), 32, 2, 1, "Zephyral (V2)"},
      {Gen3(), 102, 3, 0, "Zephyral (V3)"},
  };
  for (const Case& c : cases) {
    ChargerMonitor m;
    ScriptedSource src;
    LookSpy looks;
    src.Attach(m, nullptr, &looks);
    src.Burst(c.frame + c.frame);
    m.TimerEvent();
    EXPECT_FALSE(m.Reader().Synchronised);
    src.Burst(c.frame);  // its start byte is the third one
    m.TimerEvent();
    EXPECT_TRUE(m.Reader().Synchronised);
    EXPECT_EQ(m.Reader().FrameLength, c.length);
    EXPECT_EQ(m.Reader().Generation, c.generation);
    EXPECT_EQ(m.Texts().PanelLoaderCaption, c.caption);
    EXPECT_EQ(looks.disabling, c.disablings);
    EXPECT_TRUE(m.Texts().StatusBar.empty()) << "the third frame is not read as a frame";
  }
}

TEST_F(Reception, TraceWithoutEndByteIsUnknownVersionOne) {
  src_.Burst("\x0c" "abc\x0c" "def\x0c");
  m_.TimerEvent();
  EXPECT_TRUE(m_.Reader().Synchronised);
  EXPECT_EQ(m_.Reader().FrameLength, 1);
  EXPECT_EQ(m_.Reader().Generation, 0);
  EXPECT_EQ(m_.Texts().PanelLoaderCaption, "Zephyral (version inconnue 1)");
}

TEST_F(Reception, SynchronisationIsLogged) {
  std::string f = Gen2();
  src_.Burst(f + f + f);
  m_.TimerEvent();
  std::string log = LogText();
  std::string trace = "<" + f.substr(1, 30) + "><" + f.substr(1, 30) + "><";
  EXPECT_NE(log.find(" Frame Analysing\r\n"), std::string::npos);
  EXPECT_NE(log.find(" Frame Analysis : " + trace + "\r\n"), std::string::npos) << log;
  EXPECT_NE(log.find(" Frame Analysed\r\n"), std::string::npos);
}

TEST_F(Reception, FirstFrameReadIsOpenedByTheFourthStartByte) {
  std::string f = Gen2(7);
  src_.Burst(f + f + f);
  m_.TimerEvent();
  src_.Burst(f);
  EXPECT_TRUE(m_.TimerEvent());
  EXPECT_EQ(m_.Texts().StatusBar, "<-" + f.substr(1, 30) + ">");
  EXPECT_NE(LogText().find(" <-" + f.substr(1, 30) + ">\r\n"), std::string::npos);
}

TEST_F(Reception, OneFramePerTick) {
  std::string f = Gen3();
  src_.Burst(f + f + f);
  m_.TimerEvent();
  src_.Burst(Gen3(11000) + Gen3(11500));
  m_.TimerEvent();
  std::string first = m_.Texts().StatusBar;
  m_.TimerEvent();
  EXPECT_NE(first, m_.Texts().StatusBar);
}

TEST_F(Reception, ValidationRules) {
  std::string g2 = Gen2();
  std::string g2BadEnd = g2;
  g2BadEnd[charger::kGen2FrameLength - 1] = charger::kStartByte;
  std::string g2Odd = g2;
  g2Odd[12] = '\x01';
  g2Odd[28] = '\xff';
  std::string g3 = Gen3();
  std::string g3Changed = g3;
  g3Changed[14] = g3Changed[14] == '1' ? '2' : '1';
  std::string g3Lower = sim::BuildGen3Frame([] {
    sim::Gen3Values v;
    v.supply = 0xFFFF;  // makes a checksum with letters
    return v;
  }());
  for (int i = charger::gen3::kChecksum; i < charger::gen3::kChecksum + 4; ++i) g3Lower[i] = static_cast<char>(std::tolower(g3Lower[i]));
  ASSERT_NE(g3Lower.substr(charger::gen3::kChecksum, 4), sim::BuildGen3Frame([] {
              sim::Gen3Values v;
              v.supply = 0xFFFF;
              return v;
            }()).substr(charger::gen3::kChecksum, 4));
  struct { int gen; std::string frame; bool valid; } cases[] = {
      {2, g2, true}, {2, g2BadEnd, false}, {2, g2Odd, true},
      {3, g3, true}, {3, g3Changed, false}, {3, g3Lower, false},
      {0, g3, false},
  };
  for (auto& c : cases) {
    m_.Reader().Generation = c.gen;
    EXPECT_EQ(m_.Reader().FrameIsValid(c.frame.data()), c.valid) << c.gen << " " << c.frame;
  }
}

TEST_F(Reception, BadFrameIsLoggedWithTheCurveCount) {
  std::string f = Gen2();
  src_.Burst(f + f + f);
  m_.TimerEvent();
  for (int i = 0; i < 17; ++i) curve1_.AddSample(0, 0, 0, 0);
  std::string bad = f;
  bad[20] = 0x0C;
  src_.Burst(bad);
  m_.Texts().StatusBar = "previous";
  m_.TimerEvent();
  EXPECT_EQ(m_.Texts().StatusBar, "previous");
  std::string log = LogText();
  EXPECT_NE(log.find(" Frame Error\r\n"), std::string::npos);
  EXPECT_NE(log.find(" Trame 17: <" + bad + ">\r\n"), std::string::npos) << log;
}

TEST_F(Reception, FrameCutShortIsDroppedWithinItsTickAtTheWaitLimit) {
  std::string f = Gen3();
  src_.Burst(f + f + f);
  m_.TimerEvent();
  src_.Burst(f.substr(0, 40));  // the charger stops mid-frame
  const int64_t before = src_.Now();
  EXPECT_TRUE(m_.TimerEvent());
  // Neither cut by the tick's bound on bytes that open no frame nor left to
  // a later tick.
  EXPECT_GE(src_.Now() - before, m_.Reader().FrameWaitLimitMs);
  EXPECT_LE(src_.Now() - before, m_.Reader().FrameWaitLimitMs + 251);
  EXPECT_TRUE(m_.Texts().StatusBar.empty());
  EXPECT_NE(LogText().find(" Trame 0: <" + f.substr(0, 40) + ">\r\n"), std::string::npos);
  // The next whole frame is read normally.
  src_.Burst(f);
  m_.TimerEvent();
  EXPECT_EQ(m_.Texts().StatusBar.substr(0, 2), "<-");
}

TEST_F(Reception, UndeterminedGenerationStaysWithinTheBuffer) {
  // A '>' with no '<' before it: the measured length can reach 512.
  src_.Burst(std::string(600, 'x') + "\x0d");
  m_.TimerEvent();
  m_.Reader().StartByteCount = 2;
  m_.Reader().TraceIndex = 511;
  m_.Reader().ReceiveTrace[510] = '>';
  src_.Burst("\x0c");
  m_.TimerEvent();
  ASSERT_TRUE(m_.Reader().Synchronised);
  EXPECT_EQ(m_.Reader().Generation, 0);
  EXPECT_GT(m_.Reader().FrameLength, 256);
  src_.Burst("\x0c" + std::string(400, 'y'));
  EXPECT_TRUE(m_.TimerEvent());
  EXPECT_NE(LogText().find(" Trame 0: <\x0c" + std::string(255, 'y') + ">\r\n"), std::string::npos);
}

TEST_F(Reception, SilentTickChangesNothing) {
  EXPECT_FALSE(m_.TimerEvent());
  EXPECT_EQ(m_.Reader().TraceIndex, 0);
  EXPECT_EQ(LogText(), "");
}

TEST_F(Reception, ChangeChargerIdentifiesFromTheNewChargersFrames) {
  std::string g2 = Gen2();
  src_.Burst(g2 + g2 + g2);
  m_.TimerEvent();
  ASSERT_EQ(m_.Reader().Generation, 2);
  m_.Redemarrer1Click();
  EXPECT_EQ(looks_.enabling, 1);
  EXPECT_EQ(m_.Texts().PanelLoaderCaption, "Donn\xc3\xa9" "es Chargeur");
  EXPECT_FALSE(m_.Reader().Synchronised);
  std::string g3 = Gen3();
  src_.Burst(g3);  // one start byte from the new charger does not synchronise
  m_.TimerEvent();
  EXPECT_FALSE(m_.Reader().Synchronised);
  src_.Burst(g3 + g3);
  m_.TimerEvent();
  EXPECT_TRUE(m_.Reader().Synchronised);
  EXPECT_EQ(m_.Reader().Generation, 3);
}

}  // namespace
