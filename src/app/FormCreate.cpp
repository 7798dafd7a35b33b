// The main window's start-up: log, texts, controls, folders, packs, decoding
// state, port, timer, in the order the log and the window rely on.
#include <dirent.h>
#include <sys/stat.h>

#include <QAction>
#include <QGroupBox>
#include <QMenu>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/MainForm.h"
#include "platform/gui/PanelButton.h"
#include "platform/gui/SortedComboBox.h"
#include "texts/Catalogue.h"
#include "texts/TextIds.h"

namespace {
QString T(int n) { return QString::fromUtf8(UserTexts(n)); }

void Copy(char* dst, size_t size, const char* src) { std::snprintf(dst, size, "%s", src); }

// Ordinary, non-hidden files "*.pck" in ./Packs, names without the ending.
// Names longer than a pack name holds are left out rather than cut short: a
// cut name would point at a file that does not exist.
std::vector<std::string> PackFiles() {
  std::vector<std::string> names;
  DIR* dir = opendir("./Packs");
  if (!dir) return names;
  while (dirent* e = readdir(dir)) {
    const char* name = e->d_name;
    size_t len = std::strlen(name);
    if (name[0] == '.' || len < 4 || std::strcmp(name + len - 4, ".pck") != 0) continue;
    std::string path = std::string("./Packs/") + name;
    struct stat st {};
    if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
    if (len - 4 > 127) continue;
    names.emplace_back(name, len - 4);
  }
  closedir(dir);
  return names;
}
}  // namespace

void TMainForm::FormCreate() {
  // 1. Trace log.
  LogFile = new TLogFile;
  LogFile->Open(UserTexts(txt::LogBaseName));
  Monitor.LogFile = LogFile;
  Monitor.Looks = this;
  // 2. About texts.
  Copy(AboutTitle, sizeof AboutTitle, UserTexts(txt::AboutTitle));
  Copy(AboutVersion, sizeof AboutVersion, UserTexts(txt::Version));
  Copy(AboutNotice, sizeof AboutNotice, UserTexts(txt::AboutNotice));
  // 3. Caption and menu texts.
  setWindowTitle(T(txt::WindowCaption));
  Systeme->setTitle(T(txt::MenuSystem));
  Sortie->setText(T(txt::MenuQuit));
  Redmarrer1->setText(T(txt::MenuChangeCharger));
  Com7->setTitle(T(txt::MenuCommunication));
  Donnes1->setTitle(T(txt::MenuMeasures));
  RAZ->setText(T(txt::MenuMeasuresClear));
  Mmoires1->setTitle(T(txt::MenuMemories));
  Effacer1->setText(T(txt::MenuMemoriesClear));
  Aide1->setTitle(T(txt::MenuHelp));
  Apropos1->setText(T(txt::MenuAbout));
  // 5. Title line of the log.
  LogFile->Write(AboutTitle, false);
  LogFile->Write(", ", false);
  LogFile->WriteLine(AboutVersion, false);
  LogFile->WriteLine("", false);
  // 6, 7. Pack boxes.
  struct PackBox {
    QGroupBox* box;
    QLabel *accu, *ref, *type, *elem, *delta, *res, *capa, *cut, *charge, *dis;
    QComboBox* combo;
    QLineEdit *eRef, *eType, *eElem, *eDelta, *eRes, *eCapa, *eCharge, *eCut, *eDis;
    TPanelButton* edit;
    int caption;
  };
  const PackBox boxes[2] = {
      {GroupBox1, LabelGb1Accu, LabelGb1Ref, LabelGb1Type, LabelGb1Elem, LabelGb1Delta, LabelGb1Resistor,
       LabelGb1Capacity, LabelGb1Cut, LabelGb1Charge, LabelGb1Discharge, ComboBox1, EditReference1, EditType1,
       EditNbElements1, EditDeltaPeak1, EditResistor1, EditCapacity1, EditCharge1, EditCoupure1, EditDecharge1,
       PanelGb1Edit, txt::Pack1Caption},
      {GroupBox3, LabelGb3Accu, LabelGb3Ref, LabelGb3Type, LabelGb3Elem, LabelGb3Delta, LabelGb3Resistor,
       LabelGb3Capacity, LabelGb3Cut, LabelGb3Charge, LabelGb3Discharge, ComboBox2, EditReference2, EditType2,
       EditNbElements2, EditDeltaPeak2, EditResistor2, EditCapacity2, EditCharge2, EditCoupure2, EditDecharge2,
       PanelGb3Edit, txt::Pack2Caption},
  };
  for (const PackBox& b : boxes) {
    b.box->setTitle(T(b.caption));
    b.box->setToolTip(T(txt::PackBoxHint));
    b.accu->setText(T(txt::LabelPack));
    b.ref->setText(T(txt::LabelReference));
    b.type->setText(T(txt::LabelType));
    b.elem->setText(T(txt::LabelCells));
    b.delta->setText(T(txt::LabelDeltaPeak));
    b.res->setText(T(txt::LabelResistor));
    b.capa->setText(T(txt::LabelCapacity));
    b.cut->setText(T(txt::LabelCut));
    b.charge->setText(T(txt::LabelCharge));
    b.dis->setText(T(txt::LabelDischarge));
    b.combo->setToolTip(T(txt::HintPackSelector));
    b.eRef->setToolTip(T(txt::HintReference));
    b.eType->setToolTip(T(txt::HintType));
    b.eElem->setToolTip(T(txt::HintCells));
    b.eDelta->setToolTip(T(txt::HintDeltaPeak));
    b.eRes->setToolTip(T(txt::HintResistor));
    b.eCapa->setToolTip(T(txt::HintCapacity));
    b.eCharge->setToolTip(T(txt::HintChargeCurrent));
    b.eCut->setToolTip(T(txt::HintCutVoltage));
    b.eDis->setToolTip(T(txt::HintDischargeCurrent));
    b.edit->setToolTip(T(txt::HintEditPack));
  }
  S.Shown.LabelGb1ResistorCaption = UserTexts(txt::LabelResistor);
  // 8. Charger box.
  S.Shown.PanelLoaderCaption = UserTexts(txt::ChargerData);
  PanelLoader->setTitle(T(txt::ChargerData));
  LabelLoaderAlim->setText(T(txt::LabelSupply));
  LabelLoaderTemp->setText(T(txt::LabelTemperature));
  LabelLoaderCycle->setText(T(txt::LabelCycle));
  LabelLoaderOut1->setText(T(txt::Output1));
  LabelLoaderOut2->setText(T(txt::Output2));
  PanelLoader->setToolTip(T(txt::HintChargerBox));
  EditInputVoltage->setToolTip(T(txt::HintSupply));
  EditTemperature->setToolTip(T(txt::HintTemperature));
  ComboTemperature->setToolTip(T(txt::HintTemperatureOutput));
  EditOperatingMode1->setToolTip(T(txt::HintOperation1));
  EditOperatingMode2->setToolTip(T(txt::HintOperation2));
  EditCycle->setToolTip(T(txt::HintCycle));
  // 9. Curve, balancer and memory boxes.
  GraphBox1->setTitle(T(txt::Graph1Caption));
  GraphBox2->setTitle(T(txt::Graph2Caption));
  GraphSpider->setTitle(T(txt::BalancerCaption));
  Memories->setTitle(T(txt::MemoriesCaption));
  GraphBox1->setToolTip(T(txt::HintGraph1));
  GraphBox2->setToolTip(T(txt::HintGraph2));
  GraphSpider->setToolTip(T(txt::HintBalancer));
  Memories->setToolTip(T(txt::HintMemories));
  PanelDataGraph->setToolTip(T(txt::HintDataGraph));
  // 10. Curve and balancer controls.
  CreateControls();
  // 11. Button hints and the maintenance-log buttons' caption.
  for (TPanelButton* b : {PanelPrint1, PanelPrint2}) b->setToolTip(T(txt::HintPrint));
  for (TPanelButton* b : {PanelErase1, PanelErase2}) b->setToolTip(T(txt::HintErase));
  for (TPanelButton* b : {PanelZoom1, PanelZoom2}) b->setToolTip(T(txt::HintZoom));
  for (TPanelButton* b : {PanelImport1, PanelImport2}) b->setToolTip(T(txt::HintImport));
  for (TPanelButton* b : {PanelExport1, PanelExport2}) b->setToolTip(T(txt::HintExport));
  PanelHisto1->setToolTip(T(txt::HintMaintenance));
  PanelHisto2->setToolTip(T(txt::HintMaintenance));
  PanelHisto1->setText(T(txt::MaintenanceButton));
  PanelHisto2->setText(T(txt::MaintenanceButton));
  StatusBar->setToolTip(T(txt::HintStatusBar));
  CommPanel->setToolTip(T(txt::HintCommPanel));
  // 12. Folders (one that exists already is fine; a failure shows as no packs).
  mkdir("Packs", 0777);
  mkdir("Exports", 0777);
  // 13-15. Pack selectors.
  ComboBox1->AddSorted(T(txt::NoPack));
  ComboBox2->AddSorted(T(txt::NoPack));
  ListPacks();
  ComboBox1->setCurrentIndex(0);
  ComboBox2->setCurrentIndex(0);
  // 16, 17. Pack names and the decoding state start empty (MonitorState's
  // defaults are the start-up values).
  S.PackName1[0] = S.PackName2[0] = '\0';
  // 18, 19. Serial port COM1.
  SerialPort = new TSerialPort;
  serialSource_.Port = SerialPort;
  Monitor.Port = &serialSource_;
  Copy(S.PortName, sizeof S.PortName, "COM1");
  if (SerialPort->Open(S.PortName) == -1) {
    Copy(S.MessageBuffer, sizeof S.MessageBuffer, UserTexts(txt::Com1OpenError));
    LogFile->WriteLine(S.MessageBuffer, true);
    SetCommPanel(UserTexts(txt::NoCom1), true);
    CheckPort(0);
  } else {
    Copy(S.MessageBuffer, sizeof S.MessageBuffer, UserTexts(txt::Com1Opened));
    LogFile->WriteLine(S.MessageBuffer, true);
    CheckPort(1);
    SetCommPanel(" COM1 ", false);
  }
  // 20-22. Timer, place, temperature selector.
  Timer->start();
  move(5, 5);
  ComboTemperature->AddSorted(T(txt::Output1));
  ComboTemperature->AddSorted(T(txt::Output2));
  ComboTemperature->setCurrentIndex(0);
  ShowState();
}

void TMainForm::ListPacks() {
  for (const std::string& name : PackFiles()) {
    Copy(S.PackName1, sizeof S.PackName1, name.c_str());
    ComboBox1->AddSorted(QString::fromUtf8(S.PackName1));
    ComboBox2->AddSorted(QString::fromUtf8(S.PackName1));
  }
}
