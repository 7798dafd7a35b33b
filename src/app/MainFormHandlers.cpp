// The main window's handlers: timer tick, port menu, charger change, looks.
#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <cstdio>
#include <cstring>

#include "app/MainForm.h"
#include "monitor/gui/TAide.h"
#include "platform/gui/PanelButton.h"
#include "platform/gui/SortedComboBox.h"
#include "platform/gui/WidgetLook.h"
#include "plot/gui/TGraph.h"
#include "plot/gui/TGraphSpider.h"
#include "texts/Catalogue.h"
#include "texts/TextIds.h"

using look::SetFontColour;
using look::kBlack;
using look::kBlue;
using look::kGrey;
using look::kRed;

namespace {
void ShowText(QLineEdit* e, const std::string& text) {
  QString t = QString::fromUtf8(text.data(), static_cast<int>(text.size()));
  if (e->text() != t) e->setText(t);
}
void ShowText(QLabel* l, const std::string& text) {
  QString t = QString::fromUtf8(text.data(), static_cast<int>(text.size()));
  if (l->text() != t) l->setText(t);
}
// A caption the core has not set yet keeps the one start-up gave the box.
void ShowTitle(QGroupBox* box, const std::string& text) {
  if (text.empty()) return;
  QString t = QString::fromUtf8(text.data(), static_cast<int>(text.size()));
  if (box->title() != t) box->setTitle(t);
}
// The status line shows a frame's bytes; anything that is not UTF-8 is shown
// as the single-byte text the charger meant.
QString FrameText(const std::string& text) {
  QString t = QString::fromUtf8(text.data(), static_cast<int>(text.size()));
  if (t.contains(QChar::ReplacementCharacter)) t = QString::fromLatin1(text.data(), static_cast<int>(text.size()));
  return t;
}

struct PortTexts {
  int openError, noPort, opened;
};
const PortTexts kPorts[charger::kPortCount + 1] = {
    {0, 0, 0},
    {txt::Com1OpenError, txt::NoCom1, txt::Com1Opened},
    {txt::Com2OpenError, txt::NoCom2, txt::Com2Opened},
    {txt::Com3OpenError, txt::NoCom3, txt::Com3Opened},
    {txt::Com4OpenError, txt::NoCom4, txt::Com4Opened},
    {txt::Com5OpenError, txt::NoCom5, txt::Com5Opened},
    {txt::Com6OpenError, txt::NoCom6, txt::Com6Opened},
};
}  // namespace

void TMainForm::TimerEvent() {
  Monitor.TimerEvent();
  ShowState();
}

void TMainForm::ShowState() {
  const WindowTexts& t = Monitor.Texts();
  if (PanelLoader->title() != QString::fromUtf8(t.PanelLoaderCaption.c_str()))
    PanelLoader->setTitle(QString::fromUtf8(t.PanelLoaderCaption.c_str()));
  ShowText(EditInputVoltage, t.EditInputVoltage);
  ShowText(EditTemperature, t.EditTemperature);
  ShowText(EditCycle, t.EditCycle);
  ShowText(EditOperatingMode1, t.EditOperatingMode1);
  ShowText(EditOperatingMode2, t.EditOperatingMode2);
  ShowText(LTempUnit, t.LTempUnit);
  for (int n = 1; n <= 2; ++n) {
    const PackTexts& p = t.Pack(n);
    const PackBoxWidgets& w = PackBox[static_cast<size_t>(n - 1)];
    ShowText(w.EditReference, p.EditReference);
    ShowText(w.EditType, p.EditType);
    ShowText(w.EditDeltaPeak, p.EditDeltaPeak);
    ShowText(w.EditNbElements, p.EditNbElements);
    ShowText(w.EditCapacity, p.EditCapacity);
    ShowText(w.EditCharge, p.EditCharge);
    ShowText(w.EditCoupure, p.EditCoupure);
    ShowText(w.EditDecharge, p.EditDecharge);
    ShowText(w.EditResistor, p.EditResistor);
    ShowTitle(w.Box, p.BoxCaption);
    const CurveBoxWidgets& c = CurveBox[static_cast<size_t>(n - 1)];
    ShowTitle(c.Box, p.GraphCaption);
    ShowText(c.TVoltage, t.Curve(n).TVoltage);
    ShowText(c.TCurrent, t.Curve(n).TCurrent);
  }
  if (!t.LabelGb1ResistorCaption.empty()) ShowText(LabelGb1Resistor, t.LabelGb1ResistorCaption);
  if (LabelGb1Resistor->x() != t.LabelGb1ResistorLeft)
    LabelGb1Resistor->move(t.LabelGb1ResistorLeft, LabelGb1Resistor->y());
  for (size_t k = 1; k <= charger::kMemoryCount; ++k) {
    ShowText(ECharge[k], t.ECharge[k]);
    ShowText(EDecharge[k], t.EDecharge[k]);
  }
  QString status = FrameText(t.StatusBar);
  if (StatusBar->text() != status) StatusBar->setText(status);
}

void TMainForm::SetStatusText(const char* text) {
  Monitor.Texts().StatusBar = text;
  StatusBar->setText(QString::fromUtf8(text));
}

void TMainForm::SetCellsCaption(const char* text) { TCells->setText(QString::fromUtf8(text)); }
void TMainForm::SetDataGraphCaption(const char* text) { PanelDataGraph->setText(QString::fromUtf8(text)); }

void TMainForm::SetCommPanel(const char* caption, bool failed) {
  SetFontColour(CommPanel, failed ? kRed : kBlack);
  CommPanel->setText(QString::fromUtf8(caption));
}

void TMainForm::CheckPort(int port) {
  for (int n = 1; n <= charger::kPortCount; ++n) Com[static_cast<size_t>(n)]->setChecked(n == port);
}

// Opens the port named in PortName; openedCaption is what the communication
// panel shows when it opened.
void TMainForm::OpenPort(int port, const char* openedCaption) {
  const PortTexts& texts = kPorts[port];
  if (SerialPort->Open(PortName) != -1) {
    LogFile->WriteLine(UserTexts(texts.opened), true);
    CheckPort(port);
    SetCommPanel(openedCaption, false);
  } else {
    LogFile->WriteLine(UserTexts(texts.openError), true);
    CheckPort(0);
    SetCommPanel(UserTexts(texts.noPort), true);
  }
}

void TMainForm::ComClick(int port) {
  if (port < 1 || port > charger::kPortCount) return;
  SerialPort->Close(*LogFile);
  std::snprintf(PortName, sizeof PortName, "COM%d", port);
  OpenPort(port, PortName);
  RAZClick();
}

void TMainForm::SortieClick() {
  SerialPort->Close(*LogFile);
  LogFile->Close();
  close();
}

void TMainForm::ComboTemperatureChange() {
  const QByteArray chosen = ComboTemperature->currentText().toUtf8();
  if (std::strcmp(chosen.constData(), UserTexts(txt::Output1)) == 0) Monitor.Values().TemperatureOutput = 1;
  if (std::strcmp(chosen.constData(), UserTexts(txt::Output2)) == 0) Monitor.Values().TemperatureOutput = 2;
}

void TMainForm::RAZClick() {
  Monitor.RAZClick();
  ShowState();
}

void TMainForm::Effacer1Click() {
  Monitor.Effacer1Click();
  ShowState();
}

void TMainForm::Redemarrer1Click() {
  Monitor.Redemarrer1Click();
  ShowState();
}

// The components that belong to output 2, the temperature and the balancer,
// in the order the looks switch them.
void TMainForm::SetOutput2Look(bool on) {
  const PackBoxWidgets& p = PackBox[1];
  QWidget* const group[] = {p.Edit, LabelLoaderTemp, p.LabelType, p.LabelRef, p.LabelDelta,
                            p.LabelCapacity, p.LabelElem, p.LabelCharge, p.LabelDischarge, p.LabelCut,
                            p.LabelAccu, p.UnitOhm, p.LabelResistor, p.UnitCapacity, p.UnitCharge,
                            p.UnitDischarge, p.UnitCut, p.Histo, LTempUnit, PanelDataGraph, GraphSpider,
                            EditTemperature};
  for (QWidget* w : group) w->setEnabled(on);
  LabelLoaderOut2->setText(on ? QString::fromUtf8(UserTexts(txt::Output2)) : QStringLiteral("Status"));
  p.Box->setEnabled(on);
  SetFontColour(p.Box, on ? kRed : kGrey);
  SetFontColour(GraphSpider, on ? kRed : kGrey);
  SetFontColour(PanelDataGraph, on ? kBlue : kGrey);
  SetFontColour(p.Edit, on ? kBlue : kGrey);
  if (on) Spider->Enable();
  else Spider->Disable();
  ComboTemperature->setEnabled(on);
  p.Combo->setEnabled(on);
  const CurveBoxWidgets& c = CurveBox[1];
  c.Box->setEnabled(on);
  SetFontColour(c.Box, on ? kRed : kGrey);
  TPanelButton* const buttons[] = {c.PanelErase, c.PanelZoom, c.PanelPrint, c.PanelImport, c.PanelExport};
  for (TPanelButton* b : buttons) b->setEnabled(on);
  for (TPanelButton* b : buttons) SetFontColour(b, on ? kBlue : kGrey);
  if (on) c.Graph->Enable();
  else c.Graph->Disable();
}

void TMainForm::Zephyral2Disabling() {
  SetOutput2Look(false);
  EditOperatingMode2->setToolTip(QStringLiteral("Status en cours sur la sortie 1"));
}

void TMainForm::Zephyral3Enabling() {
  SetOutput2Look(true);
  EditOperatingMode2->setToolTip(QString::fromUtf8(UserTexts(txt::HintOperation2Again)));
  // The charger box caption and its five fields are emptied by the core.
}

void TMainForm::Apropos1Click() {
  if (Aide) Aide->ShowAbout(AboutNotice);
}
