// The main window against a real pseudo-terminal: the port opens, a charger's
// frames are identified and shown.
#include <gtest/gtest.h>

#include <QAction>
#include <QGroupBox>
#include <regex>

#include "FrameBuilder.h"
#include "Language.h"
#include "TempDir.h"
#include "app/MainForm.h"
#include "platform/PtyPair.h"

namespace {

TEST(LivePort, Com1OpensAndAGeneration3ChargerIsShown) {
  TempWorkDir wd;
  PtyPair pty;
  ASSERT_TRUE(pty.Ok());
  setenv("ZEPHYRAL_COM1", pty.Name, 1);
  TMainForm form;
  form.FormCreate();
  form.Timer->stop();
  unsetenv("ZEPHYRAL_COM1");

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

TEST(LivePort, Generation2ChargerSwitchesToTheOneOutputLook) {
  TempWorkDir wd;
  PtyPair pty;
  ASSERT_TRUE(pty.Ok());
  setenv("ZEPHYRAL_COM1", pty.Name, 1);
  TMainForm form;
  form.FormCreate();
  form.Timer->stop();
  unsetenv("ZEPHYRAL_COM1");
  const std::string f = sim::BuildGen2Frame(sim::Gen2Values{});
  pty.Send(f + f + f);
  form.TimerEvent();
  EXPECT_EQ(form.PanelLoader->title(), "Zephyral (V2)");
  EXPECT_FALSE(form.GraphBox2->isEnabled());
  EXPECT_EQ(form.LabelLoaderOut2->text(), "Status");
}
}  // namespace
