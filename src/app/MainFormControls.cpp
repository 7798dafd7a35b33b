// The curve and balancer controls inside their boxes, and the buttons that
// act on them.
#include <QGroupBox>

#include "app/MainForm.h"
#include "monitor/PackFile.h"
#include "platform/gui/PanelButton.h"
#include "plot/CurveFile.h"
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
    const CurveBoxWidgets& c = CurveBox[static_cast<size_t>(n - 1)];
    connect(c.PanelExport, &TPanelButton::clicked, this, [this, n] { ExporterClick(n); });
    connect(c.PanelImport, &TPanelButton::clicked, this, [this, n] { ImporterClick(n); });
    connect(c.PanelZoom, &TPanelButton::clicked, this, [this, n] { PanelZoomClick(n); });
    connect(c.PanelErase, &TPanelButton::clicked, this, [this, n] { PanelEraseClick(n); });
    connect(c.PanelPrint, &TPanelButton::clicked, this, [this, n] { PanelPrintClick(n); });
  }
}

void TMainForm::PanelEraseClick(int n) { Monitor.EraseOutput(n); }

void TMainForm::PanelZoomClick(int n) { CurveBox[static_cast<size_t>(n - 1)].Graph->Extract(); }

// The printout shows the pack name as the selector does; the curve file is
// named by its bytes.
void TMainForm::PanelPrintClick(int n) {
  CurveBox[static_cast<size_t>(n - 1)].Graph->Print(AboutTitle, AboutVersion, pack::TextToUtf8(PackName(n)).c_str());
}

void TMainForm::ExporterClick(int n) {
  curvefile::Export(*CurveBox[static_cast<size_t>(n - 1)].Graph, Monitor.Values().VoltageOffset,
                    pack::PackPath(pack::PackFile::Curve, PackName(n)).c_str());
}

void TMainForm::ImporterClick(int n) {
  CurveBox[static_cast<size_t>(n - 1)].Graph->ImportFile(pack::PackPath(pack::PackFile::Curve, PackName(n)).c_str(),
                                                         Monitor.Values().VoltageOffset);
}

void TMainForm::PanelDataGraphClick() { Spider->ToggleView(); }
