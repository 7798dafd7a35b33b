#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QAction>
#include <QGroupBox>
#include <QMenu>
#include <regex>

#include "Language.h"
#include "TempDir.h"
#include "app/MainForm.h"
#include "platform/gui/PanelButton.h"
#include "platform/gui/SortedComboBox.h"

namespace {
QString L(const char* fr, const char* en) { return QString::fromUtf8(kEnglish ? en : fr); }

QStringList Items(QComboBox* c) {
  QStringList l;
  for (int i = 0; i < c->count(); ++i) l << c->itemText(i);
  return l;
}

// Start-up with COM1 mapped to a device that does not exist.
class Startup : public ::testing::Test {
 protected:
  void SetUp() override { setenv("ZEPHYRAL_COM1", "/nonexistent/zephyral-tty", 1); }
  void TearDown() override { unsetenv("ZEPHYRAL_COM1"); }
  std::unique_ptr<TMainForm> Create() {
    auto f = std::make_unique<TMainForm>();
    f->FormCreate();
    f->Timer->stop();
    return f;
  }
};

TEST_F(Startup, EmptyFolderGetsFoldersLogAndEmptySelectors) {
  TempWorkDir wd;
  auto f = Create();
  struct stat st {};
  EXPECT_EQ(stat("Packs", &st), 0);
  EXPECT_TRUE(S_ISDIR(st.st_mode));
  EXPECT_EQ(stat("Exports", &st), 0);
  EXPECT_EQ(Items(f->ComboBox1), QStringList{L("- aucun -", "- none -")});
  EXPECT_EQ(Items(f->ComboBox2), QStringList{L("- aucun -", "- none -")});
  EXPECT_EQ(f->PackName1[0], '\0');
  EXPECT_EQ(f->PackName2[0], '\0');

  const std::string log = TempWorkDir::Read("Zephyral-1.log");
  const std::string title = kEnglish ? "    Zephyral Loaders Software" : "Contr\xc3\xb4leur pour chargeurs Zephyral";
  const std::string portLine =
      kEnglish ? "Error while opening serial driver COM1" : "Erreur ouverture driver serie COM1";
  std::regex expected(title + ", Version 3\\.16 \r\n\r\n[0-9:]{8} " + portLine + "\r\n");
  EXPECT_TRUE(std::regex_match(log, expected)) << log;
}

// Every case of the ending is a pack file, as on Windows; each entry shows
// its name decoded and keeps its file's name as bytes. Names that the pack
// name fields cannot hold are not listed.
TEST_F(Startup, PackListingSkipsFoldersAndHiddenFilesAndSorts) {
  TempWorkDir wd;
  ASSERT_EQ(mkdir("Packs", 0777), 0);
  ASSERT_EQ(mkdir("Packs/Old.pck", 0777), 0);
  const std::string n127(127, 'n');
  for (const std::string& name :
       {std::string("LiPo3S.pck"), std::string(".X.pck"), std::string(".Y.PCK"), std::string("Alpha.pck"),
        std::string("Alpha.PCK"),  // the same pack name: the one ending in ".pck" is listed
        std::string("NiMh.PCK"), std::string("Mixed.Pck"), std::string("Accu\xE9.pck"), std::string("notes.txt"),
        n127 + ".pck", n127 + "n.pck", std::string(64, '\xE9') + ".pck"})
    close(open(("Packs/" + name).c_str(), O_CREAT | O_WRONLY, 0644));
  auto f = Create();
  const QStringList want{L("- aucun -", "- none -"), "Accué", "Alpha", "LiPo3S", "Mixed", "NiMh",
                         QString::fromStdString(n127)};
  const QByteArrayList files{"", "Accu\xE9.pck", "Alpha.pck", "LiPo3S.pck", "Mixed.Pck", "NiMh.PCK",
                             QByteArray::fromStdString(n127 + ".pck")};
  for (TSortedComboBox* c : {f->ComboBox1, f->ComboBox2}) {
    EXPECT_EQ(Items(c), want);
    QByteArrayList data;
    for (int i = 0; i < c->count(); ++i) data << c->itemData(i).toByteArray();
    EXPECT_EQ(data, files);
  }
  EXPECT_EQ(f->ComboBox1->currentIndex(), 0);
  EXPECT_EQ(f->PackName1[0], '\0') << "selecting by program loads no pack";
}

TEST_F(Startup, CaptionsHintsAndMenus) {
  TempWorkDir wd;
  auto f = Create();
  EXPECT_EQ(f->windowTitle(), L("Logiciel pour les chargeurs Zephyral", "Zephyral Loaders Software"));
  EXPECT_EQ(f->pos(), QPoint(5, 5));
  EXPECT_EQ(f->Client->size(), QSize(1008, 693));
  f->show();
  EXPECT_EQ(f->minimumSize(), f->maximumSize()) << "the window is not resizable";
  EXPECT_EQ(f->centralWidget()->size(), QSize(1008, 693));
  struct { QString actual, expected; } cases[] = {
      {f->Systeme->title(), L("Système", "System")},
      {f->Redmarrer1->text(), L("Changer le chargeur", "Change Loader")},
      {f->Sortie->text(), L("Quitter", "Exit")},
      {f->Com7->title(), "Communication"},
      {f->Com[3]->text(), "Com3"},
      {f->Donnes1->title(), L("Mesures", "Datas")},
      {f->RAZ->text(), L("Effacer", "Clear")},
      {f->Mmoires1->title(), L("Mémoires", "Memories")},
      {f->Effacer1->text(), L("Effacer", "Clear")},
      {f->Aide1->title(), L("Aide", "Help")},
      {f->Apropos1->text(), L("A propos ...", "About ...")},
      {f->GroupBox1->title(), L("Caractéristiques Accu 1", "Pack 1 - Datas")},
      {f->GroupBox3->title(), L("Caractéristiques Accu 2", "Pack 2 - Datas")},
      {f->GroupBox3->toolTip(), L("Caractéristiques de l'Accu", "Pack Datas")},
      {f->PackBox[1].LabelElem->text(), L("Elém.", "Cells")},
      {f->LabelGb1Resistor->text(), L("Rés.", "Res.")},
      {f->PackBox[1].EditType->toolTip(), L("Type de l'accu : LiPo, NiCad, NiMh, Life ... (Fichier Pack)",
                                  "Pack Type : LiPo, NiCad, NiMh, Life ... (Pack File)")},
      {f->PanelLoader->title(), L("Données Chargeur", "Loader Datas")},
      {f->LabelLoaderOut2->text(), L("Sortie 2", "Out 2")},
      {f->EditOperatingMode2->toolTip(), L("Opération en cours sur la sortie 2", "Output 2 Opération")},
      {f->GraphBox1->title(), L("Sortie 1 - Données Graphiques", "Out 1 - Graphical Datas")},
      {f->GraphSpider->title(), L("Balancer/Equilibreur", "Balancer/Equalizer")},
      {f->Memories->title(), L("Mémoires", "Mémories")},
      {f->PanelDataGraph->toolTip(), L("Numérique/Graphique", "Numeric/Graphic")},
      {f->CurveBox[1].PanelZoom->toolTip(), L("Zoomer (Extraire) sur les données sélectionnées (entre les marqueurs)",
                                   "Zoom (Extract) Selected Datas (According to Markers)")},
      {f->PanelHisto1->text(), L("L", "B")},
      {f->PanelHisto2->toolTip(), L("Livret d'entretien", "Maintenance booklet")},
      {f->PanelGb3Edit->text(), "E"},
      {f->CurveBox[0].PanelExport->text(), "X"},
      {f->StatusBar->toolTip(), L("Toutes les secondes une nouvelle trame envoyée par le chargeur s'affiche ici !",
                                  "Every seconds a new frame send by the loader is displayed here !")},
      {f->CommPanel->toolTip(), L("Etat du port de communication série sélectionné", "Serial Port COM Status")},
  };
  for (auto& c : cases) EXPECT_EQ(c.actual, c.expected);
}

TEST_F(Startup, MissingCom1IsShownInRedWithoutCheckMarks) {
  TempWorkDir wd;
  auto f = Create();
  EXPECT_EQ(f->CommPanel->text(), L("Pas de COM1", "No COM1 port"));
  EXPECT_EQ(f->CommPanel->palette().color(QPalette::WindowText), QColor(255, 0, 0));
  for (int n = 1; n <= 6; ++n) EXPECT_FALSE(f->Com[static_cast<size_t>(n)]->isChecked()) << n;
  EXPECT_TRUE(f->StatusBar->text().isEmpty());
}

TEST_F(Startup, DecodingStateStartsAsTheChargerExpects) {
  TempWorkDir wd;
  auto f = Create();
  EXPECT_EQ(f->Monitor.Values().Cycle, 1);
  EXPECT_EQ(f->Monitor.Values().Phase, 1);
  EXPECT_EQ(f->Monitor.Values().PreviousPhase, 1);
  EXPECT_EQ(f->Monitor.Values().VoltageOffset, 3000);
  EXPECT_EQ(f->Monitor.Memories().ChargeMemoryIndex, 1);
  EXPECT_EQ(f->Monitor.Memories().DischargeMemoryIndex, 1);
  EXPECT_EQ(f->Monitor.Values().TemperatureOutput, 1);
  EXPECT_EQ(f->Monitor.Reader().Generation, 0);
  EXPECT_EQ(f->ComboTemperature->currentText(), L("Sortie 1", "Out 1"));
  EXPECT_EQ(Items(f->ComboTemperature), (QStringList{L("Sortie 1", "Out 1"), L("Sortie 2", "Out 2")}));
}

TEST_F(Startup, SecondCopyLogsToTheSecondFileAndLeavesTheFirstAlone) {
  TempWorkDir wd;
  auto first = Create();
  const std::string before = TempWorkDir::Read("Zephyral-1.log");
  auto second = Create();
  EXPECT_EQ(TempWorkDir::Read("Zephyral-1.log"), before);
  EXPECT_FALSE(TempWorkDir::Read("Zephyral-2.log").empty());
}

TEST_F(Startup, TemperatureSelectorFollowsTheUsersChoice) {
  TempWorkDir wd;
  auto f = Create();
  f->ComboTemperature->setCurrentIndex(1);
  f->ComboTemperatureChange();
  EXPECT_EQ(f->Monitor.Values().TemperatureOutput, 2);
  f->ComboTemperature->setCurrentIndex(0);
  f->ComboTemperatureChange();
  EXPECT_EQ(f->Monitor.Values().TemperatureOutput, 1);
}
}  // namespace
