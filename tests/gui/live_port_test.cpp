// The main window against a real pseudo-terminal: the port opens, a charger's
// frames are identified and shown.
#include <gtest/gtest.h>

#include <QAction>
#include <QGroupBox>
#include <sys/stat.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <regex>
#include <thread>
#include <vector>

#include "FrameBuilder.h"
#include "Language.h"
#include "TempDir.h"
#include "app/MainForm.h"
#include "platform/PtyPair.h"
#include "platform/gui/SortedComboBox.h"
#include "plot/gui/TGraph.h"

namespace {

// The main window with COM1 mapped to a fresh pseudo-terminal; the test
// plays the charger on the master side and runs the ticks itself.
class LivePort : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(pty.Ok());
    setenv("ZEPHYRAL_COM1", pty.Name, 1);
    form.FormCreate();
    form.Timer->stop();
    unsetenv("ZEPHYRAL_COM1");
  }
  TempWorkDir wd;
  PtyPair pty;
  TMainForm form;
};

TEST_F(LivePort, Com1OpensAndAGeneration3ChargerIsShown) {

  EXPECT_EQ(form.CommPanel->text(), " COM1 ");
  EXPECT_EQ(form.CommPanel->palette().color(QPalette::WindowText), QColor(0, 0, 0));
  EXPECT_TRUE(form.Com[1]->isChecked());
  for (int n = 2; n <= 6; ++n) EXPECT_FALSE(form.Com[static_cast<size_t>(n)]->isChecked());
  const std::string opened = kEnglish ? "Serial port COM1 opened " : "Driver s\xc3\xa9rie COM1 ouvert ";
  EXPECT_TRUE(std::regex_search(TempWorkDir::Read("Zephyral-1.log"),
                                std::regex("\r\n\r\n[0-9:]{8} " + opened + "\r\n$")));

  sim::Gen3Values v;
  v.voltage1 = 12000;
  const std::string f = sim::BuildGen3Frame(v);
  pty.Send(f + f + f);
  form.TimerEvent();
  EXPECT_EQ(form.PanelLoader->title(), "Zephyral (V3)");
  EXPECT_TRUE(form.GraphBox2->isEnabled());
  pty.Send(f);
  form.TimerEvent();
  EXPECT_EQ(form.StatusBar->text().toStdString(), "<-" + f.substr(1, 100) + ">");

  form.SortieClick();
  const std::string closing = kEnglish ? "Closing" : "Fermeture";
  EXPECT_TRUE(std::regex_search(TempWorkDir::Read("Zephyral-1.log"),
                                std::regex("[0-9:]{8} " + closing + ": COM1\r\n$")));
}

TEST_F(LivePort, Generation2ChargerSwitchesToTheOneOutputLook) {
  const std::string f = sim::BuildGen2Frame(sim::Gen2Values{});
  pty.Send(f + f + f);
  form.TimerEvent();
  EXPECT_EQ(form.PanelLoader->title(), "Zephyral (V2)");
  EXPECT_FALSE(form.GraphBox2->isEnabled());
  EXPECT_EQ(form.LabelLoaderOut2->text(), "Status");
}
}  // namespace

namespace {
// A generation-3 charge as the window sees it: rest, load, end.
TEST_F(LivePort, Generation3ChargeShowsResistanceMemoryAndCurves) {

  auto frame = [](int state, int current, int voltage, int capacity) {
    sim::Gen3Values v;
    v.state1 = state;
    v.algorithm1 = 1;
    v.current1 = current;
    v.voltage1 = voltage;
    v.capacity1 = capacity;
    v.cells[0] = 4100;
    v.cells[1] = 4120;
    return sim::BuildGen3Frame(v);
  };
  std::vector<std::string> frames = {
      frame(0, 0, 12000, 0), frame(0, 0, 12000, 0), frame(0, 0, 12000, 0),  // synchronisation
      frame(1, 1000, 12000, 10),   // loaded
      frame(1, 30, 11900, 11),     // rest
      frame(1, 1000, 12100, 12),   // loaded: (12000 - 11900) / 1000
      frame(5, 0, 12200, 1800),    // end of charge
  };
  std::string all;
  for (auto& f : frames) all += f;
  pty.Send(all);
  for (int i = 0; i < 5; ++i) form.TimerEvent();

  EXPECT_EQ(form.EditResistor1->text(), " 0.100");
  EXPECT_EQ(form.EditOperatingMode1->text(), "[Delta-Peak]" + QString::fromUtf8(Lang("Fin", "End").c_str()));
  EXPECT_EQ(form.ECharge[1]->text(), "1800");
  EXPECT_EQ(form.ECharge[2]->text(), "");
  EXPECT_EQ(form.CurveBox[0].TVoltage->text(), "12200 mV");
  EXPECT_EQ(form.Graph1->SampleCount(), 4);
  EXPECT_EQ(form.Graph2->SampleCount(), 4);

  form.RAZClick();
  EXPECT_EQ(form.Graph1->SampleCount(), 0);
  EXPECT_EQ(form.ECharge[1]->text(), "1800") << "clearing the measurements keeps the memories";
  EXPECT_EQ(form.EditResistor1->text(), " 0.100");
  form.Effacer1Click();
  EXPECT_EQ(form.ECharge[1]->text(), "");
}
}  // namespace

namespace {
// A pack chosen in the window gives the cell count that the generation-2
// resistance divides by, from the next frame on.
TEST_F(LivePort, LoadedCellCountReachesTheResistance) {
  mkdir("Packs", 0777);
  std::ofstream("Packs/Trio.pck", std::ios::binary) << "T\r\nType NiMh\r\nCapacite 2000\r\nElements 3\r\n";
  form.ComboBox1->AddSorted("Trio");
  form.ComboBox1->setCurrentIndex(form.ComboBox1->findText("Trio"));
  form.ComboBox1Change();
  ASSERT_EQ(form.EditNbElements1->text(), "3");

  auto frame = [](int currentTenths, int voltage) {
    sim::Gen2Values v;
    v.phase = 2;  // charge: "C"
    v.currentTenths = currentTenths;
    v.voltage = voltage;
    return sim::BuildGen2Frame(v);
  };
  const std::string sync = frame(0, 8000);
  pty.Send(sync + sync + sync + frame(0, 8000) + frame(10000, 8300));
  for (int i = 0; i < 3; ++i) form.TimerEvent();
  // (8300 - 8000) mV / 1000 mA over 3 cells.
  EXPECT_EQ(form.EditResistor1->text(), " 0.100");
  EXPECT_EQ(form.LabelGb1Resistor->text(), "R/e");
}

// The charger's samples, exported by "X", are the file's lines.
TEST_F(LivePort, ExportWritesTheSamplesTheChargerSent) {
  std::vector<sim::Gen3Values> sent;
  std::string bytes;
  for (int k = 0; k < 6; ++k) {
    sim::Gen3Values v;
    v.state1 = k < 3 ? 0 : 1;
    v.voltage1 = 11000 + 37 * k;
    v.current1 = 900 + k;
    v.capacity1 = 5 * k;
    v.probe = 1;
    v.temperatureTenths = 251 + 10 * k;
    bytes += sim::BuildGen3Frame(v);
    if (k >= 3) sent.push_back(v);
  }
  pty.Send(bytes);
  for (int i = 0; i < 4; ++i) form.TimerEvent();
  ASSERT_EQ(form.Graph1->SampleCount(), 3);
  std::snprintf(form.PackName1, sizeof form.PackName1, "%s", "Sent");
  form.Exporter1Click();

  std::string expected = "  t  \t  V  \t  I  \t  C  \t  T  \r\n";
  for (size_t k = 0; k < sent.size(); ++k) {
    char line[128];
    std::snprintf(line, sizeof line, "%5d\t%5d\t%5d\t%5d\t%5d\r\n", static_cast<int>(k), sent[k].voltage1,
                  sent[k].current1, sent[k].capacity1, sent[k].temperatureTenths / 10);
    expected += line;
  }
  EXPECT_EQ(TempWorkDir::Read("Exports/Sent.txt"), expected);
}
}  // namespace

namespace {
// The lines of good frames in a trace log, in order.
std::vector<std::string> GoodLines(const std::string& log) {
  std::vector<std::string> lines;
  const std::regex good(" (<-[^\r]*>)\r\n");
  for (auto it = std::sregex_iterator(log.begin(), log.end(), good); it != std::sregex_iterator(); ++it)
    lines.push_back((*it)[1]);
  return lines;
}

// Half a frame on COM1, then what can come before its rest: a port change
// with COM2's charger caught mid-frame, "Changer le chargeur" and then the
// rest, or a tick that comes late. The half frame is given up within the tick
// that its start byte opened, so none of them can reach it.
TEST(FrameBegun, EndsWithinItsTickWhateverComesBeforeItsRest) {
  sim::Gen2Values v;
  v.voltage = 11111;
  const std::string first = sim::BuildGen2Frame(v);
  v.voltage = 12222;
  const std::string cut = sim::BuildGen2Frame(v);
  const std::string half = cut.substr(0, 16), rest = cut.substr(16);
  v.voltage = 13333;
  const std::string next = sim::BuildGen2Frame(v);
  const std::string nextShown = "<-" + next.substr(1, 30) + ">";

  struct Case {
    const char* name;
    std::function<void(TMainForm&, PtyPair& com1, PtyPair& com2)> between;
    std::vector<std::string> goodAfter;  // the frames logged good after the half one
    bool chargerBoxEmpty;
  };
  const Case cases[] = {
      {"port change",
       [&](TMainForm& f, PtyPair&, PtyPair& com2) {
         f.ComClick(2);
         com2.Send(next.substr(16) + next + next);
       },
       {nextShown, nextShown}, false},
      {"change of charger",
       [&](TMainForm& f, PtyPair& com1, PtyPair&) {
         f.Redemarrer1Click();
         com1.Send(rest + next + next);
       },
       {}, true},
      {"late tick",
       [&](TMainForm& f, PtyPair& com1, PtyPair&) {
         std::this_thread::sleep_for(std::chrono::milliseconds(f.Monitor.Reader().FrameWaitLimitMs + 500));
         com1.Send(next + next);
       },
       {nextShown, nextShown}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempWorkDir wd;
    PtyPair com1, com2;
    ASSERT_TRUE(com1.Ok() && com2.Ok());
    ScopedEnv port1("ZEPHYRAL_COM1", com1.Name), port2("ZEPHYRAL_COM2", com2.Name);
    TMainForm form;
    form.FormCreate();
    form.Timer->stop();
    form.Monitor.Reader().FrameWaitLimitMs = 500;
    com1.Send(first + first + first + first);
    form.TimerEvent();
    ASSERT_FALSE(form.EditInputVoltage->text().isEmpty());
    const std::string before = TempWorkDir::Read("Zephyral-1.log");
    const std::string cutLines =
        " Frame Error\r\n[0-9:]{8} Trame " + std::to_string(form.Graph1->SampleCount()) + ": <";

    com1.Send(half);
    form.TimerEvent();
    c.between(form, com1, com2);
    form.TimerEvent();
    form.TimerEvent();

    const std::string log = TempWorkDir::Read("Zephyral-1.log");
    ASSERT_EQ(log.compare(0, before.size(), before), 0);
    const std::string after = log.substr(before.size());
    // The half frame is logged as cut before anything the action logs.
    EXPECT_TRUE(std::regex_search(after, std::regex("^[0-9:]{8}" + cutLines)));
    EXPECT_EQ(after.find(" Trame"), after.rfind(" Trame"));
    EXPECT_NE(after.find(": <" + half + ">\r\n"), std::string::npos) << after;
    EXPECT_EQ(GoodLines(after), c.goodAfter) << after;
    EXPECT_EQ(form.EditInputVoltage->text().isEmpty(), c.chargerBoxEmpty);
    EXPECT_EQ(form.EditCycle->text().isEmpty(), c.chargerBoxEmpty);
  }
}
}  // namespace
