// The main window's handlers: timer tick, port menu, charger change, looks.
#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <cstdio>
#include <cstring>

#include "app/MainForm.h"
#include "platform/gui/PanelButton.h"
#include "platform/gui/SortedComboBox.h"
#include "platform/gui/WidgetLook.h"
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
const PortTexts kPorts[7] = {
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
  const ShownTexts& t = S.Shown;
  if (PanelLoader->title() != QString::fromUtf8(t.PanelLoaderCaption.c_str()))
    PanelLoader->setTitle(QString::fromUtf8(t.PanelLoaderCaption.c_str()));
  ShowText(EditInputVoltage, t.EditInputVoltage);
  ShowText(EditTemperature, t.EditTemperature);
  ShowText(EditCycle, t.EditCycle);
  ShowText(EditOperatingMode1, t.EditOperatingMode1);
  ShowText(EditOperatingMode2, t.EditOperatingMode2);
  ShowText(LTempUnit, t.LTempUnit);
  ShowText(TVoltage1, t.TVoltage1);
  ShowText(TCurrent1, t.TCurrent1);
  ShowText(TVoltage2, t.TVoltage2);
  ShowText(TCurrent2, t.TCurrent2);
  ShowText(EditResistor1, t.EditResistor1);
  ShowText(EditResistor2, t.EditResistor2);
  if (!t.LabelGb1ResistorCaption.empty()) ShowText(LabelGb1Resistor, t.LabelGb1ResistorCaption);
  if (LabelGb1Resistor->x() != t.LabelGb1ResistorLeft)
    LabelGb1Resistor->move(t.LabelGb1ResistorLeft, LabelGb1Resistor->y());
  for (size_t k = 1; k <= 10; ++k) {
    ShowText(ECharge[k], t.ECharge[k]);
    ShowText(EDecharge[k], t.EDecharge[k]);
  }
  QString status = FrameText(t.StatusBar);
  if (StatusBar->text() != status) StatusBar->setText(status);
  // The window reads the cell count from the edit, which the pack loader fills.
  S.Shown.EditNbElements1 = EditNbElements1->text().toStdString();
}

void TMainForm::SetStatusText(const char* text) {
  S.Shown.StatusBar = text;
  StatusBar->setText(QString::fromUtf8(text));
}

void TMainForm::SetCellsCaption(const char* text) { TCells->setText(QString::fromUtf8(text)); }
void TMainForm::SetDataGraphCaption(const char* text) { PanelDataGraph->setText(QString::fromUtf8(text)); }

void TMainForm::SetCommPanel(const char* caption, bool failed) {
  SetFontColour(CommPanel, failed ? kRed : kBlack);
  CommPanel->setText(QString::fromUtf8(caption));
}

void TMainForm::CheckPort(int port) {
  for (int n = 1; n <= 6; ++n) Com[static_cast<size_t>(n)]->setChecked(n == port);
}

void TMainForm::ComClick(int port) {
  if (port < 1 || port > 6) return;
  SerialPort->Close(*LogFile);
  std::snprintf(S.PortName, sizeof S.PortName, "COM%d", port);
  const PortTexts& texts = kPorts[port];
  if (SerialPort->Open(S.PortName) != -1) {
    std::snprintf(S.MessageBuffer, sizeof S.MessageBuffer, "%s", UserTexts(texts.opened));
    LogFile->WriteLine(S.MessageBuffer, true);
    CheckPort(port);
    SetCommPanel(S.PortName, false);
  } else {
    std::snprintf(S.MessageBuffer, sizeof S.MessageBuffer, "%s", UserTexts(texts.openError));
    LogFile->WriteLine(S.MessageBuffer, true);
    CheckPort(0);
    SetCommPanel(UserTexts(texts.noPort), true);
  }
  RAZClick();
}

void TMainForm::SortieClick() {
  SerialPort->Close(*LogFile);
  LogFile->Close();
  close();
}

void TMainForm::ComboTemperatureChange() {
  std::snprintf(S.MessageBuffer, sizeof S.MessageBuffer, "%s", ComboTemperature->currentText().toUtf8().constData());
  if (std::strcmp(S.MessageBuffer, UserTexts(txt::Output1)) == 0) S.TemperatureOutput = 1;
  if (std::strcmp(S.MessageBuffer, UserTexts(txt::Output2)) == 0) S.TemperatureOutput = 2;
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
  QWidget* const group[] = {PanelGb3Edit, LabelLoaderTemp, LabelGb3Type, LabelGb3Ref, LabelGb3Delta,
                            LabelGb3Capacity, LabelGb3Elem, LabelGb3Charge, LabelGb3Discharge, LabelGb3Cut,
                            LabelGb3Accu, Label4, LabelGb3Resistor, Label72, Label73, Label78, Label76,
                            PanelHisto2, LTempUnit, PanelDataGraph, GraphSpider, EditTemperature};
  for (QWidget* w : group) w->setEnabled(on);
  LabelLoaderOut2->setText(on ? QString::fromUtf8(UserTexts(txt::Output2)) : QStringLiteral("Status"));
  GroupBox3->setEnabled(on);
  SetFontColour(GroupBox3, on ? kRed : kGrey);
  SetFontColour(GraphSpider, on ? kRed : kGrey);
  SetFontColour(PanelDataGraph, on ? kBlue : kGrey);
  SetFontColour(PanelGb3Edit, on ? kBlue : kGrey);
  SpiderEnable(on);
  ComboTemperature->setEnabled(on);
  ComboBox2->setEnabled(on);
  GraphBox2->setEnabled(on);
  SetFontColour(GraphBox2, on ? kRed : kGrey);
  TPanelButton* const buttons[] = {PanelErase2, PanelZoom2, PanelPrint2, PanelImport2, PanelExport2};
  for (TPanelButton* b : buttons) b->setEnabled(on);
  for (TPanelButton* b : buttons) SetFontColour(b, on ? kBlue : kGrey);
  Graph2Enable(on);
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
