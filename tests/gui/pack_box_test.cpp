// The pack boxes: choosing a pack fills its box from the pack file, "E" opens
// the file the box names in the system's editor. A pack is known by the
// bytes of its file's name; "Accu\xE9" (Windows-1252) is shown as "Accué".
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <thread>

#include "Language.h"
#include "TempDir.h"
#include "app/MainForm.h"
#include "history/gui/THistoriqueForm.h"
#include "monitor/gui/TAide.h"
#include "platform/gui/SortedComboBox.h"
#include "plot/gui/TGraph.h"

namespace {

void Write(const std::string& name, const std::string& text) {
  std::ofstream(name, std::ios::binary) << text;
}

bool Exists(const std::string& name) { return access(name.c_str(), F_OK) == 0; }

// 110 bytes, but 130 once each 0xE9 is taken for U+FFFD in UTF-8.
const std::string kAccents = "Z" + std::string(99, 'a') + std::string(10, '\xE9');
const QString kAccentsShown = "Z" + QString(99, 'a') + QString(10, QChar(0xE9));

class PackBoxes : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("ZEPHYRAL_COM1", "/nonexistent/zephyral-tty", 1);
    mkdir("Packs", 0777);
    for (const std::string& file : std::vector<std::string>{"LiPo3S.pck", "Accu\xE9.pck", "Mixed.Pck", "Gone.pck", kAccents + ".pck"})
      Write("Packs/" + file,
            "Mon accu\r\nType Li Po\r\nCapacite 2200 mAh\r\nElements 3\r\nCharge 2000\r\n"
            "Decharge 10000\r\nCoupure 9000\r\nDelta 5 mV\r\nReference AB 12\r\n");
    form.FormCreate();
    form.Timer->stop();
    unsetenv("ZEPHYRAL_COM1");
  }
  void Choose(int n, const QString& name) {
    TSortedComboBox* combo = form.PackBox[static_cast<size_t>(n - 1)].Combo;
    combo->setCurrentIndex(combo->findText(name));
    if (n == 1) form.ComboBox1Change();
    else form.ComboBox2Change();
  }
  QStringList Fields(int n) {
    const PackBoxWidgets& p = form.PackBox[static_cast<size_t>(n - 1)];
    QStringList l;
    for (QLineEdit* e : {p.EditType, p.EditCapacity, p.EditNbElements, p.EditCharge, p.EditDecharge,
                         p.EditCoupure, p.EditDeltaPeak, p.EditReference, p.EditResistor})
      l << e->text();
    return l;
  }
  TempWorkDir wd;
  TMainForm form;
};

TEST_F(PackBoxes, ChoosingAPackFillsItsBoxAndAFailedLoadEmptiesIt) {
  const QStringList loaded{"Li Po", "2200", "3", "2000", "10000", "9000", "5 mV", "AB 12", ""};
  const QStringList empty(9, QString());
  const QString none = QString::fromUtf8(Lang("- aucun -", "- none -").c_str());
  const QString out2 = QString::fromUtf8(Lang("Sortie 2: LiPo3S", "Out 2: LiPo3S").c_str());
  const QString box2 = QString::fromUtf8(Lang("Caractéristiques Accu 2", "Pack 2 - Datas").c_str());
  const QString graph2 = QString::fromUtf8(Lang("Sortie 2 - Données Graphiques", "Out 2 - Graphical Datas").c_str());
  struct Step {
    QString choice;
    QStringList fields;
    std::string packName;
    QString box, graph;
  } steps[] = {
      {"LiPo3S", loaded, "LiPo3S", "LiPo3S", out2},
      // No "- aucun -.pck": the fields empty, the name is kept, the captions
      // still name the pack that loaded last.
      {none, empty, Lang("- aucun -", "- none -"), "LiPo3S", out2},
  };
  EXPECT_EQ(form.GroupBox3->title(), box2);
  EXPECT_EQ(form.GraphBox2->title(), graph2);
  for (const Step& s : steps) {
    Choose(2, s.choice);
    EXPECT_EQ(Fields(2), s.fields) << s.choice.toStdString();
    EXPECT_EQ(std::string(form.PackName2), s.packName);
    EXPECT_EQ(form.GroupBox3->title(), s.box);
    EXPECT_EQ(form.GraphBox2->title(), s.graph);
  }
  EXPECT_EQ(Fields(1), empty) << "the other output is not touched";
  EXPECT_EQ(form.PackName1[0], '\0');
}

// Every selection puts its own name in charge, loaded or not: "I" and "X"
// then act on that pack's curve file, by its bytes, and never on the file
// of the pack chosen before.
TEST_F(PackBoxes, EverySelectionNamesTheCurveFileOfIAndX) {
  unlink("Packs/Gone.pck");  // listed, then gone before it is chosen
  const std::string curve = std::string("  t  \t  V  \t  I  \t  C  \t  T  \r\n") + "    0\t 4200\t 1000\t  100\t   25\r\n";
  const struct {
    QString choice;
    std::string name;
    bool loads;
  } rows[] = {
      {"Gone", "Gone", false},
      {kAccentsShown, kAccents, true},
      {"Accué", "Accu\xE9", true},
      {"Mixed", "Mixed", true},
  };
  for (const auto& r : rows) {
    Choose(1, "LiPo3S");
    Choose(1, r.choice);
    EXPECT_EQ(std::string(form.PackName1), r.name);
    EXPECT_EQ(form.GroupBox1->title(), r.loads ? r.choice : "LiPo3S");
    EXPECT_EQ(Fields(1)[0], r.loads ? "Li Po" : "");
    const std::string file = "Exports/" + r.name + ".txt";
    Write(file, curve);
    form.Importer1Click();
    EXPECT_EQ(form.Graph1->Count, 1) << r.name;
    std::remove(file.c_str());
    form.Exporter1Click();
    EXPECT_EQ(TempWorkDir::Read(file), curve) << r.name;
    EXPECT_FALSE(Exists("Exports/LiPo3S.txt"));
  }
}

// The edit button starts `xdg-open`, found along PATH, on the pack file that
// the box's caption names, by its bytes.
TEST_F(PackBoxes, EditButtonOpensTheFileTheBoxNames) {
  mkdir("bin", 0777);
  Write("bin/xdg-open", "#!/bin/sh\nprintf '%s' \"$1\" > \"$(dirname \"$0\")/../opened.tmp\"\n"
                        "mv \"$(dirname \"$0\")/../opened.tmp\" \"$(dirname \"$0\")/../opened\"\n");
  chmod("bin/xdg-open", 0755);
  const std::string path = getenv("PATH");
  setenv("PATH", (wd.Path() + "/bin:" + path).c_str(), 1);
  auto opened = [&] {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    std::string got;
    while (got.empty() && std::chrono::steady_clock::now() < end) {
      got = TempWorkDir::Read("opened");
      if (got.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    std::remove("opened");
    return got;
  };
  form.Panel1Click();
  EXPECT_EQ(opened(), wd.Path() + "/Packs/" + Lang("Caractéristiques Accu 1", "Pack 1 - Datas") + ".pck");
  unlink("Packs/Gone.pck");
  const struct {
    QString choice;
    std::string file;
  } rows[] = {
      {"LiPo3S", "LiPo3S.pck"},
      {"Accué", "Accu\xE9.pck"},
      {"Mixed", "Mixed.Pck"},
      {"Gone", "Mixed.Pck"},  // failed to load: the box still names Mixed
  };
  for (const auto& r : rows) {
    Choose(1, r.choice);
    form.Panel1Click();
    EXPECT_EQ(opened(), wd.Path() + "/Packs/" + r.file);
  }
  setenv("PATH", path.c_str(), 1);
}

}  // namespace

namespace {
// "A propos ..." and "L" reach the other two windows through their pointers.
TEST_F(PackBoxes, AboutAndLogWindowsOpenFromTheMainWindow) {
  TAide about(&form);
  THistoriqueForm history;
  Aide = &about;
  HistoriqueForm = &history;
  form.Apropos1->trigger();
  EXPECT_TRUE(about.isVisible());
  EXPECT_FALSE(about.isModal());
  EXPECT_EQ(about.Label2->text(), QString::fromUtf8(form.AboutNotice));
  EXPECT_EQ(about.Version->text(), "Version 3.16 ");

  Choose(1, "LiPo3S");
  form.PanelHisto1Click();
  EXPECT_TRUE(history.isVisible());
  EXPECT_EQ(history.HistoryPackName, "LiPo3S");
  form.PanelHisto2Click();  // the other selector still says "- aucun -"
  EXPECT_EQ(history.HistoryPackName, Lang("- aucun -", "- none -"));
  Choose(1, "Accué");
  form.PanelHisto1Click();
  EXPECT_EQ(history.HistoryPackName, "Accu\xE9");
  EXPECT_TRUE(history.windowTitle().endsWith(" - Accué"));
  EXPECT_TRUE(Exists("Packs/Accu\xE9.db"));
  history.hide();
  about.hide();
  Aide = nullptr;
  HistoriqueForm = nullptr;
}
}  // namespace
