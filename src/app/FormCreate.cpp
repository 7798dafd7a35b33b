// The main window's start-up.
#include <dirent.h>
#include <sys/stat.h>

#include <QAction>
#include <QGroupBox>
#include <QMenu>
#include <cstdio>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "app/MainForm.h"
#include "monitor/PackFile.h"
#include "platform/gui/PanelButton.h"
#include "platform/gui/SortedComboBox.h"
#include "texts/Catalogue.h"
#include "texts/TextIds.h"

namespace {
QString T(int n) { return QString::fromUtf8(UserTexts(n)); }

void Copy(char* dst, size_t size, const char* src) { std::snprintf(dst, size, "%s", src); }

bool IsPackEnding(std::string_view e) {
  return e.size() == pack::kEndingBytes && e[0] == '.' && (e[1] | 0x20) == 'p' && (e[2] | 0x20) == 'c' &&
         (e[3] | 0x20) == 'k';
}

// Of two files of one pack name whose endings differ in case only, the one
// listed: ".pck" itself, else the first in byte order.
bool PreferredEnding(std::string_view e, std::string_view other) {
  return other != ".pck" && (e == ".pck" || e < other);
}

// Ordinary, non-hidden files in ./Packs whose name ends in ".pck" in any
// case, as a folder search on Windows finds them: their names as bytes, with
// the ending. A name that the pack name fields cannot hold is left out
// rather than cut short, since a cut name would stand for another pack.
std::vector<std::string> PackFiles() {
  std::vector<std::string> files;
  std::unordered_map<std::string, size_t> byName;
  DIR* dir = opendir("./Packs");
  if (!dir) return files;
  while (dirent* e = readdir(dir)) {
    const std::string_view file = e->d_name;
    if (file.size() < pack::kEndingBytes || file[0] == '.') continue;
    const std::string_view name = file.substr(0, file.size() - pack::kEndingBytes);
    const std::string_view ending = file.substr(name.size());
    if (!IsPackEnding(ending) || !pack::UsableName(name)) continue;
    struct stat st {};
    if (stat(pack::PackPath(pack::PackFile::Description, name, ending).c_str(), &st) != 0 || !S_ISREG(st.st_mode))
      continue;
    const auto [at, added] = byName.try_emplace(std::string(name), files.size());
    if (added)
      files.emplace_back(file);
    else if (PreferredEnding(ending, std::string_view(files[at->second]).substr(name.size())))
      files[at->second] = file;
  }
  closedir(dir);
  return files;
}
}  // namespace

void TMainForm::FormCreate() {
  // The log comes first: every later step may write to it, and its title line
  // must lead the file.
  LogFile = std::make_unique<TLogFile>();
  LogFile->Open(UserTexts(txt::LogBaseName));
  Copy(AboutTitle, sizeof AboutTitle, UserTexts(txt::AboutTitle));
  Copy(AboutVersion, sizeof AboutVersion, UserTexts(txt::Version));
  Copy(AboutNotice, sizeof AboutNotice, UserTexts(txt::AboutNotice));
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
  LogFile->Write(AboutTitle, false);
  LogFile->Write(", ", false);
  LogFile->WriteLine(AboutVersion, false);
  LogFile->WriteLine("", false);

  SetPackBoxTexts(1);
  SetPackBoxTexts(2);
  Monitor.Texts().LabelGb1ResistorCaption = UserTexts(txt::LabelResistor);
  Monitor.Texts().PanelLoaderCaption = UserTexts(txt::ChargerData);
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
  GraphBox1->setTitle(T(txt::Graph1Caption));
  GraphBox2->setTitle(T(txt::Graph2Caption));
  GraphSpider->setTitle(T(txt::BalancerCaption));
  Memories->setTitle(T(txt::MemoriesCaption));
  GraphBox1->setToolTip(T(txt::HintGraph1));
  GraphBox2->setToolTip(T(txt::HintGraph2));
  GraphSpider->setToolTip(T(txt::HintBalancer));
  Memories->setToolTip(T(txt::HintMemories));
  PanelDataGraph->setToolTip(T(txt::HintDataGraph));

  // The controls are created inside boxes that already carry their captions,
  // and before the hints of the buttons that act on them.
  CreateControls();
  for (const CurveBoxWidgets& c : CurveBox) {
    c.PanelPrint->setToolTip(T(txt::HintPrint));
    c.PanelErase->setToolTip(T(txt::HintErase));
    c.PanelZoom->setToolTip(T(txt::HintZoom));
    c.PanelImport->setToolTip(T(txt::HintImport));
    c.PanelExport->setToolTip(T(txt::HintExport));
  }
  for (const PackBoxWidgets& p : PackBox) {
    p.Histo->setToolTip(T(txt::HintMaintenance));
    p.Histo->setText(T(txt::MaintenanceButton));
  }
  StatusBar->setToolTip(T(txt::HintStatusBar));
  CommPanel->setToolTip(T(txt::HintCommPanel));

  // The folders must exist before the packs are listed; one that exists
  // already is fine, and a failure shows as no packs.
  mkdir("Packs", 0777);
  mkdir("Exports", 0777);
  // "- aucun -" takes its place in the sorted list like any pack; selecting
  // entry 0 by program loads nothing.
  ComboBox1->AddSorted(T(txt::NoPack));
  ComboBox2->AddSorted(T(txt::NoPack));
  ListPacks();
  ComboBox1->setCurrentIndex(0);
  ComboBox2->setCurrentIndex(0);
  PackName1[0] = PackName2[0] = '\0';

  // The port opens once the decoding state is set (the monitor's defaults),
  // so that its first frame finds everything in place; its line follows the
  // title in the log.
  SerialPort = std::make_unique<TSerialPort>();
  serialSource_.Port = SerialPort.get();
  Monitor.Connect(&serialSource_, LogFile.get(), this);
  Copy(PortName, sizeof PortName, "COM1");
  OpenPort(1, " COM1 ");
  Timer->start();
  move(5, 5);
  ComboTemperature->AddSorted(T(txt::Output1));
  ComboTemperature->AddSorted(T(txt::Output2));
  ComboTemperature->setCurrentIndex(0);
  ShowState();
}

void TMainForm::SetPackBoxTexts(int n) {
  const PackBoxWidgets& p = PackBox[static_cast<size_t>(n - 1)];
  // The captions name the loaded pack later; until then the start-up titles,
  // which the edit button then names too.
  PackTexts& texts = Monitor.Texts().Pack(n);
  texts.BoxCaption = UserTexts(n == 1 ? txt::Pack1Caption : txt::Pack2Caption);
  boxFile_[static_cast<size_t>(n - 1)] = texts.BoxCaption + ".pck";
  texts.GraphCaption = UserTexts(n == 1 ? txt::Graph1Caption : txt::Graph2Caption);
  p.Box->setTitle(T(n == 1 ? txt::Pack1Caption : txt::Pack2Caption));
  p.Box->setToolTip(T(txt::PackBoxHint));
  p.LabelAccu->setText(T(txt::LabelPack));
  p.LabelRef->setText(T(txt::LabelReference));
  p.LabelType->setText(T(txt::LabelType));
  p.LabelElem->setText(T(txt::LabelCells));
  p.LabelDelta->setText(T(txt::LabelDeltaPeak));
  p.LabelResistor->setText(T(txt::LabelResistor));
  p.LabelCapacity->setText(T(txt::LabelCapacity));
  p.LabelCut->setText(T(txt::LabelCut));
  p.LabelCharge->setText(T(txt::LabelCharge));
  p.LabelDischarge->setText(T(txt::LabelDischarge));
  p.Combo->setToolTip(T(txt::HintPackSelector));
  p.EditReference->setToolTip(T(txt::HintReference));
  p.EditType->setToolTip(T(txt::HintType));
  p.EditNbElements->setToolTip(T(txt::HintCells));
  p.EditDeltaPeak->setToolTip(T(txt::HintDeltaPeak));
  p.EditResistor->setToolTip(T(txt::HintResistor));
  p.EditCapacity->setToolTip(T(txt::HintCapacity));
  p.EditCharge->setToolTip(T(txt::HintChargeCurrent));
  p.EditCoupure->setToolTip(T(txt::HintCutVoltage));
  p.EditDecharge->setToolTip(T(txt::HintDischargeCurrent));
  p.Edit->setToolTip(T(txt::HintEditPack));
}

void TMainForm::ListPacks() {
  // Each entry shows its name as text and keeps its file's name as bytes.
  QList<TSortedComboBox::Entry> entries;
  for (const std::string& file : PackFiles()) {
    const std::string_view name(file.data(), file.size() - pack::kEndingBytes);
    entries.push_back({QString::fromStdString(pack::TextToUtf8(name)), QByteArray::fromStdString(file)});
  }
  ComboBox1->AddSorted(entries);
  ComboBox2->AddSorted(entries);
}
