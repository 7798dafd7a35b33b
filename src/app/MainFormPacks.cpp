// The pack boxes: choosing a pack reads its description file into the box,
// "E" opens that file in the system's editor, "L" the pack's maintenance log.
// A pack is known by the bytes of its file's name, which need not be UTF-8;
// only what is shown is decoded.
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <string_view>

#include "app/MainForm.h"
#include "history/gui/THistoriqueForm.h"
#include "monitor/PackFile.h"
#include "platform/gui/SortedComboBox.h"
#include "texts/Catalogue.h"
#include "texts/TextIds.h"

namespace {
std::string_view NameOf(std::string_view file) { return file.substr(0, file.size() - pack::kEndingBytes); }
std::string_view EndingOf(std::string_view file) { return file.substr(file.size() - pack::kEndingBytes); }

// Starts program on one argument, found along PATH, and does not wait for
// it: the grandchild is the editor, so no child is left to reap. The
// argument goes as bytes, which a file name that is not UTF-8 needs.
void StartDetached(const char* program, const std::string& argument) {
  char* const argv[] = {const_cast<char*>(program), const_cast<char*>(argument.c_str()), nullptr};
  const pid_t child = fork();
  if (child == 0) {
    setsid();
    if (fork() == 0) {
      execvp(program, argv);
      _exit(127);
    }
    _exit(0);
  }
  if (child > 0) waitpid(child, nullptr, 0);
}
}  // namespace

char* TMainForm::PackName(int n) { return n == 1 ? PackName1 : PackName2; }

std::string TMainForm::SelectedFile(int n) const {
  const TSortedComboBox* combo = PackBox[static_cast<size_t>(n - 1)].Combo;
  const QByteArray file = combo->currentData().toByteArray();
  // An entry without a file name ("- aucun -") names the file of its text.
  if (file.isEmpty()) return (combo->currentText() + QStringLiteral(".pck")).toStdString();
  return file.toStdString();
}

int TMainForm::ImportPack(int n, const char* path) {
  pack::PackFields f;
  const int lines = pack::ImportPack(path, f);
  if (lines == 0) return 0;
  PackTexts& p = Monitor.Texts().Pack(n);
  p.EditType = f.Type;
  p.EditCapacity = f.Capacity;
  p.EditNbElements = f.NbElements;
  p.EditCharge = f.Charge;
  p.EditDecharge = f.Decharge;
  p.EditCoupure = f.Coupure;
  p.EditDeltaPeak = f.DeltaPeak;
  p.EditReference = f.Reference;
  return lines;
}

void TMainForm::ComboBoxChange(int n) {
  PackTexts& p = Monitor.Texts().Pack(n);
  for (std::string* field : {&p.EditReference, &p.EditType, &p.EditDeltaPeak, &p.EditNbElements,
                             &p.EditCapacity, &p.EditCharge, &p.EditCoupure, &p.EditDecharge,
                             &p.EditResistor})
    field->clear();
  const std::string file = SelectedFile(n);
  const std::string_view name = NameOf(file);
  // Every selection names the output's pack, loaded or not, so that the
  // curve buttons never act on the files of the pack chosen before. The
  // selectors list usable names only; anything else names no pack.
  char* packName = PackName(n);
  if (!pack::UsableName(name)) {
    packName[0] = '\0';
    ShowState();
    return;
  }
  std::memcpy(packName, name.data(), name.size());
  packName[name.size()] = '\0';
  if (ImportPack(n, pack::PackPath(pack::PackFile::Description, name, EndingOf(file)).c_str()) != 0) {
    const std::string shown = pack::TextToUtf8(name);
    p.BoxCaption = shown;
    boxFile_[static_cast<size_t>(n - 1)] = file;
    p.GraphCaption = std::string(UserTexts(n == 1 ? txt::Output1 : txt::Output2)) + ": " + shown;
  }
  ShowState();
}

void TMainForm::PanelEditClick(int n) {
  char cwd[512];
  if (getcwd(cwd, sizeof cwd) == nullptr) return;
  // The file the box's caption names, by its own bytes.
  const std::string& file = boxFile_[static_cast<size_t>(n - 1)];
  StartDetached("xdg-open", std::string(cwd) + "/" +
                                pack::PackPath(pack::PackFile::Description, NameOf(file), EndingOf(file)));
}

void TMainForm::PanelHistoClick(int n) {
  const std::string file = SelectedFile(n);
  if (HistoriqueForm && pack::UsableName(NameOf(file))) HistoriqueForm->OpenLog(std::string(NameOf(file)));
}
