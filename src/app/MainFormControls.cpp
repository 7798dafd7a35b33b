// The curve and balancer controls inside their boxes, and the buttons that
// act on them.
#include <QGroupBox>

#include "app/MainForm.h"
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
  for (CurveBoxWidgets& c : CurveBox) {
    c.Graph = new TGraph(c.Box, this);
    Place(c.Graph, c.Box);
  }
  Spider = new TGraphSpider(this, GraphSpider);
  Place(Spider, GraphSpider);
  Monitor.SetControls(Graph1, Graph2, Spider);
  connect(PanelDataGraph, &TPanelButton::clicked, this, [this] { PanelDataGraphClick(); });
  for (int n = 1; n <= 2; ++n) {
    CurveBoxWidgets& c = CurveBox[static_cast<size_t>(n - 1)];
    TGraph* graph = c.Graph;
    const char* packName = n == 1 ? PackName1 : PackName2;
    connect(c.PanelZoom, &TPanelButton::clicked, this, [graph] { graph->Extract(); });
    connect(c.PanelErase, &TPanelButton::clicked, this, [this, n] { PanelEraseClick(n); });
    connect(c.PanelPrint, &TPanelButton::clicked, this,
            [this, graph, packName] { graph->Print(AboutTitle, AboutVersion, packName); });
  }
}

void TMainForm::PanelEraseClick(int n) { Monitor.EraseOutput(n); }

void TMainForm::PanelDataGraphClick() { Spider->ToggleView(); }
