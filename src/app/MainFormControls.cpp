// The curve and balancer controls inside their boxes.
#include "app/MainForm.h"

#include <QGroupBox>

#include "platform/gui/PanelButton.h"
#include "plot/gui/TGraph.h"
#include "plot/gui/TGraphSpider.h"

namespace {
// Each control sits 20 pixels in from the left, 33 down from the top, and is
// 40 pixels smaller than its box each way.
void Place(QWidget* control, QWidget* box) {
  control->resize(box->width() - 40, box->height() - 40);
  control->move(20, 33);
}
}  // namespace

void TMainForm::CreateControls() {
  Graph1 = new TGraph(GraphBox1, this);
  Place(Graph1, GraphBox1);
  Graph2 = new TGraph(GraphBox2, this);
  Place(Graph2, GraphBox2);
  Spider = new TGraphSpider(this, GraphSpider);
  Place(Spider, GraphSpider);
  Monitor.Graph1 = Graph1;
  Monitor.Graph2 = Graph2;
  Monitor.Spider = Spider;
  connect(PanelDataGraph, &TPanelButton::clicked, this, [this] { PanelDataGraphClick(); });
  connect(PanelZoom1, &TPanelButton::clicked, this, [this] { Graph1->Extract(); });
  connect(PanelZoom2, &TPanelButton::clicked, this, [this] { Graph2->Extract(); });
  connect(PanelErase1, &TPanelButton::clicked, this, [this] { PanelErase1Click(); });
  connect(PanelErase2, &TPanelButton::clicked, this, [this] { PanelErase2Click(); });
  connect(PanelPrint1, &TPanelButton::clicked, this,
          [this] { Graph1->Print(AboutTitle, AboutVersion, S.PackName1); });
  connect(PanelPrint2, &TPanelButton::clicked, this,
          [this] { Graph2->Print(AboutTitle, AboutVersion, S.PackName2); });
}

void TMainForm::PanelErase1Click() {
  S.RestVoltage1 = 0.0f;
  S.Resistance1 = 0.0f;
  S.ResistanceArmed1 = false;
  Graph1->Clear();
}

void TMainForm::PanelErase2Click() {
  S.RestVoltage2 = 0.0f;
  S.Resistance2 = 0.0f;
  S.ResistanceArmed2 = false;
  Graph2->Clear();
}

void TMainForm::PanelDataGraphClick() { Spider->ToggleView(); }

void TMainForm::SpiderEnable(bool on) {
  if (on) Spider->Enable();
  else Spider->Disable();
}

void TMainForm::Graph2Enable(bool on) {
  if (on) Graph2->Enable();
  else Graph2->Disable();
}
