#include <gtest/gtest.h>

#include <QAction>
#include <QGroupBox>
#include <regex>

#include "Language.h"
#include "TempDir.h"
#include "app/MainForm.h"
#include "platform/gui/PanelButton.h"
#include "platform/gui/SortedComboBox.h"

namespace {
std::string L(const char* fr, const char* en) { return Lang(fr, en); }

class PortsAndLooks : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int n = 1; n <= 6; ++n) {
      std::string var = "ZEPHYRAL_COM" + std::to_string(n);
      setenv(var.c_str(), "/nonexistent/zephyral-tty", 1);
    }
    form_ = std::make_unique<TMainForm>();
    form_->FormCreate();
    form_->Timer->stop();
  }
  void TearDown() override {
    form_.reset();
    for (int n = 1; n <= 6; ++n) unsetenv(("ZEPHYRAL_COM" + std::to_string(n)).c_str());
  }
  TempWorkDir wd_;
  std::unique_ptr<TMainForm> form_;
};

TEST_F(PortsAndLooks, ChoosingAMissingPortLogsClosingAndFailure) {
  form_->Monitor.Texts().StatusBar = "<-frame>";
  form_->ComClick(4);
  const std::string log = TempWorkDir::Read("Zephyral-1.log");
  const std::string tail = "[0-9:]{8} " + L("Pas ouvert", "Not Opened") + ": COM1\r\n[0-9:]{8} " +
                           L("Erreur ouverture driver serie COM4", "Error while opening serial driver COM4") +
                           "\r\n$";
  EXPECT_TRUE(std::regex_search(log, std::regex(tail))) << log;
  EXPECT_EQ(form_->CommPanel->text().toStdString(), L("Pas de COM4", "No COM4 port"));
  for (int n = 1; n <= 6; ++n) EXPECT_FALSE(form_->Com[static_cast<size_t>(n)]->isChecked());
  EXPECT_TRUE(form_->StatusBar->text().isEmpty()) << "a port choice clears the measurements";
  EXPECT_STREQ(form_->PortName, "COM4");
}

TEST_F(PortsAndLooks, QuitLogsTheLastPortAndClosesTheLog) {
  form_->ComClick(2);
  form_->SortieClick();
  const std::string log = TempWorkDir::Read("Zephyral-1.log");
  EXPECT_TRUE(std::regex_search(log, std::regex(L("Pas ouvert", "Not Opened") + ": COM2\r\n$"))) << log;
  EXPECT_EQ(form_->LogFile->Handle, -1);
}

TEST_F(PortsAndLooks, OneOutputLookGreysOutput2AndComesBack) {
  form_->Zephyral2Disabling();
  EXPECT_FALSE(form_->GroupBox3->isEnabled());
  EXPECT_FALSE(form_->GraphBox2->isEnabled());
  EXPECT_FALSE(form_->ComboTemperature->isEnabled());
  EXPECT_FALSE(form_->PanelDataGraph->isEnabled());
  EXPECT_FALSE(form_->EditTemperature->isEnabled());
  EXPECT_TRUE(form_->EditOperatingMode2->isEnabled());
  EXPECT_EQ(form_->LabelLoaderOut2->text(), "Status");
  EXPECT_EQ(form_->EditOperatingMode2->toolTip(), "Status en cours sur la sortie 1");
  EXPECT_EQ(form_->CurveBox[1].PanelErase->palette().color(QPalette::WindowText), QColor(160, 160, 164));

  form_->Monitor.Texts().EditCycle = "7";
  form_->Redemarrer1Click();
  EXPECT_TRUE(form_->GroupBox3->isEnabled());
  EXPECT_TRUE(form_->GraphBox2->isEnabled());
  EXPECT_EQ(form_->LabelLoaderOut2->text().toStdString(), L("Sortie 2", "Out 2"));
  EXPECT_EQ(form_->EditOperatingMode2->toolTip().toStdString(),
            L("Opération en cours sur la sortie 2", "Out 2 operation"));
  EXPECT_EQ(form_->CurveBox[1].PanelErase->palette().color(QPalette::WindowText), QColor(0, 0, 255));
  EXPECT_EQ(form_->GroupBox3->palette().color(QPalette::WindowText), QColor(255, 0, 0));
  EXPECT_EQ(form_->PanelLoader->title().toStdString(), L("Données Chargeur", "Loader Datas"));
  EXPECT_TRUE(form_->EditCycle->text().isEmpty());
}
}  // namespace
