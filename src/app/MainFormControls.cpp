// The curve and balancer controls inside their boxes.
#include "app/MainForm.h"

#include <QGroupBox>

#include "platform/gui/PanelButton.h"
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
  Spider = new TGraphSpider(this, GraphSpider);
  Place(Spider, GraphSpider);
  Monitor.Spider = Spider;
  connect(PanelDataGraph, &TPanelButton::clicked, this, [this] { PanelDataGraphClick(); });
}

void TMainForm::PanelDataGraphClick() { Spider->ToggleView(); }

void TMainForm::SpiderEnable(bool on) {
  if (on) Spider->Enable();
  else Spider->Disable();
}

void TMainForm::Graph2Enable(bool) {}
