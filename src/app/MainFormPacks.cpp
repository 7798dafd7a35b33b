// The pack boxes: choosing a pack reads its description file into the box,
// "E" opens that file in the system's editor, "L" the pack's maintenance log.
#include <unistd.h>

#include <QProcess>
#include <QStringList>
#include <cstdio>
#include <string>

#include "app/MainForm.h"
#include "history/gui/THistoriqueForm.h"
#include "monitor/PackFile.h"
#include "platform/gui/SortedComboBox.h"
#include "texts/Catalogue.h"
#include "texts/TextIds.h"

char* TMainForm::PackName(int n) { return n == 1 ? PackName1 : PackName2; }

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
  char* name = PackName(n);
  const QByteArray chosen = PackBox[static_cast<size_t>(n - 1)].Combo->currentText().toUtf8();
  // The selectors only hold names that fit; a longer one would be cut, and a
  // cut name would stand for another pack.
  if (chosen.size() < static_cast<qsizetype>(sizeof PackName1)) {
    std::snprintf(name, sizeof PackName1, "%s", chosen.constData());
    char path[128];
    if (pack::PackPath(name, path, sizeof path) && ImportPack(n, path) != 0) {
      p.BoxCaption = name;
      char caption[254];
      std::snprintf(caption, sizeof caption, "%s: %s", UserTexts(n == 1 ? txt::Output1 : txt::Output2), name);
      p.GraphCaption = caption;
    }
  }
  ShowState();
}

void TMainForm::PanelEditClick(int n) {
  char cwd[512];
  if (getcwd(cwd, sizeof cwd) == nullptr) return;
  const std::string path =
      std::string(cwd) + "/Packs/" + Monitor.Texts().Pack(n).BoxCaption + ".pck";
  // Detached: the editor lives on its own, and whether it started is not
  // looked at.
  QProcess::startDetached(QStringLiteral("xdg-open"), QStringList{QString::fromUtf8(path.c_str())});
}

void TMainForm::PanelHistoClick(int n) {
  if (HistoriqueForm) HistoriqueForm->OpenLog(PackBox[static_cast<size_t>(n - 1)].Combo->currentText());
}
