#include "app/MainForm.h"


#include <QAction>
#include <QGroupBox>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <string>

#include "platform/gui/GroupBox.h"
#include "platform/gui/PanelButton.h"
#include "platform/gui/SortedComboBox.h"
#include "platform/gui/WidgetLook.h"
#include "texts/Catalogue.h"
#include "texts/TextIds.h"

TMainForm* MainForm = nullptr;

using look::Font;
using look::SetTextColour;
using look::kBlack;
using look::kBlue;
using look::kGreen;
using look::kRed;

namespace {
QString Q(const char* text) { return QString::fromUtf8(text); }
}  // namespace

TMainForm::TMainForm(QWidget* owner) : QMainWindow(owner) {
  BuildLayout();
  BuildMenu();
  // A single fixed border: the window keeps the size of its client area and menu.
  layout()->setSizeConstraint(QLayout::SetFixedSize);
}

TMainForm::~TMainForm() = default;

// ---------------------------------------------------------------- layout

namespace {
QGroupBox* Box(QWidget* parent, const char* caption, int x, int y, int w, int h) {
  auto* b = new TGroupBox(Q(caption), parent);
  b->setGeometry(x, y, w, h);
  b->setFont(Font("Courier", true));
  SetTextColour(b, kRed);
  return b;
}
// A box's caption band: from the caption's top to just above the frame line,
// a pixel clear of it.
constexpr int kTitleBandTop = TGroupBox::kCaptionTop;
constexpr int kTitleBandHeight = TGroupBox::kFrameLineRow - 1 - kTitleBandTop;

QLabel* Label(QWidget* parent, const char* caption, int x, int y, int w = 60, int h = 17) {
  auto* l = new QLabel(Q(caption), parent);
  l->setGeometry(x, y, w, h);
  l->setFont(Font("Comic Sans MS", true));
  SetTextColour(l, kBlack);
  return l;
}
QLineEdit* Edit(QWidget* parent, int x, int y, int w, const QColor& colour = kRed) {
  auto* e = new QLineEdit(parent);
  e->setGeometry(x, y, w, 21);
  e->setReadOnly(true);
  e->setFont(Font("Courier", true));
  SetTextColour(e, colour);
  return e;
}
TPanelButton* Button(QWidget* parent, const char* caption, int x, int y, int h = 20) {
  auto* b = new TPanelButton(Q(caption), parent);
  b->setGeometry(x, y, 20, h);
  b->setFont(Font("Courier", true, true, 13));
  SetTextColour(b, kBlue);
  return b;
}
}  // namespace

void TMainForm::BuildPackBox(int n, int left) {
  PackBoxWidgets& w = PackBox[static_cast<size_t>(n - 1)];
  QGroupBox* box = w.Box = Box(Client, n == 1 ? "Caractéristiques Accu 1" : "Caractéristiques Accu 2", left, 8, 329, 185);
  w.Combo = new TSortedComboBox(box);
  w.Combo->setGeometry(80, 20, 208, 21);
  w.Combo->setFont(Font("MS Sans Serif", false));
  SetTextColour(w.Combo, kBlack);
  // Both buttons sit below the frame line that runs under the caption.
  w.Histo = Button(box, "L", 298, 20);
  w.Edit = Button(box, "E", 298, 44);
  auto label = [&](const char* c, int x, int y, int width = 60) { return Label(box, c, x, y, width); };
  w.LabelAccu = label("Accu", 8, 22);
  w.LabelRef = label("Référence", 8, 50);
  w.EditReference = Edit(box, 80, 48, 208);
  w.LabelType = label("Type", 8, 76);
  w.EditType = Edit(box, 80, 74, 80);
  w.LabelElem = label("Elém.", 202, 76);
  w.EditNbElements = Edit(box, 250, 74, 50);
  w.LabelDelta = label("Delta Peak", 8, 102);
  w.EditDeltaPeak = Edit(box, 80, 100, 80);
  w.LabelResistor = label("Rés.", 202, 102);
  w.EditResistor = Edit(box, 250, 100, 50);
  w.UnitOhm = label("Ohm", 303, 102, 26);
  w.LabelCapacity = label("Capacité", 8, 128);
  w.EditCapacity = Edit(box, 80, 126, 80);
  w.UnitCapacity = label("mA", 164, 128, 24);
  w.LabelCut = label("Coupure", 190, 128);
  w.EditCoupure = Edit(box, 250, 126, 50);
  w.UnitCut = label("mV", 303, 128, 24);
  w.LabelCharge = label("Charge", 8, 154);
  w.EditCharge = Edit(box, 80, 152, 80);
  w.UnitCharge = label("mA", 164, 154, 24);
  w.LabelDischarge = label("Décharge", 190, 154);
  w.EditDecharge = Edit(box, 250, 152, 50);
  w.UnitDischarge = label("mA", 303, 154, 24);
}

void TMainForm::BuildCurveBox(int n, int top) {
  CurveBoxWidgets& w = CurveBox[static_cast<size_t>(n - 1)];
  QGroupBox* box = w.Box =
      Box(Client, n == 1 ? "Sortie 1 - Données Graphiques " : "Sortie 2 - Données Graphiques ", 8, top, 745, 233);
  // The values and the buttons share the caption's band, above the frame
  // line: the curve control takes the box from 33 pixels down.
  w.TVoltage = Label(box, "", 330, kTitleBandTop, 100, kTitleBandHeight);
  SetTextColour(w.TVoltage, kBlue);
  w.TCurrent = Label(box, "", 440, kTitleBandTop, 100, kTitleBandHeight);
  SetTextColour(w.TCurrent, kRed);
  w.PanelExport = Button(box, "X", 717, kTitleBandTop, kTitleBandHeight);
  w.PanelImport = Button(box, "I", 694, kTitleBandTop, kTitleBandHeight);
  w.PanelZoom = Button(box, "Z", 671, kTitleBandTop, kTitleBandHeight);
  w.PanelErase = Button(box, "E", 648, kTitleBandTop, kTitleBandHeight);
  w.PanelPrint = Button(box, "P", 625, kTitleBandTop, kTitleBandHeight);
}

void TMainForm::BuildLayout() {
  Client = new QWidget(this);
  Client->setFixedSize(1008, 693);
  Client->setFont(Font("MS Sans Serif", false));
  setCentralWidget(Client);
  setWindowFlags(Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
  move(149, 187);

  BuildPackBox(1, 9);
  BuildPackBox(2, 669);

  PanelLoader = Box(Client, "Données Chargeur", 343, 8, 321, 185);
  LabelLoaderAlim = Label(PanelLoader, "Alimentation", 8, 24, 90);
  EditInputVoltage = Edit(PanelLoader, 100, 22, 70);
  Label(PanelLoader, "mV", 174, 24, 24);
  LabelLoaderCycle = Label(PanelLoader, "Cycle", 204, 24, 44);
  EditCycle = Edit(PanelLoader, 250, 22, 60);
  LabelLoaderTemp = Label(PanelLoader, "Température", 8, 54, 90);
  EditTemperature = Edit(PanelLoader, 100, 52, 70);
  LTempUnit = Label(PanelLoader, "°C", 174, 54, 24);
  ComboTemperature = new TSortedComboBox(PanelLoader);
  ComboTemperature->setGeometry(204, 52, 106, 21);
  ComboTemperature->setFont(Font("MS Sans Serif", false));
  SetTextColour(ComboTemperature, kBlack);
  LabelLoaderOut1 = Label(PanelLoader, "Sortie 1", 8, 94, 70);
  EditOperatingMode1 = Edit(PanelLoader, 80, 92, 230);
  LabelLoaderOut2 = Label(PanelLoader, "Sortie 2", 8, 134, 70);
  EditOperatingMode2 = Edit(PanelLoader, 80, 132, 230);

  BuildCurveBox(1, 192);
  GraphSpider = Box(Client, "Equilibreur", 757, 192, 241, 233);
  BuildCurveBox(2, 424);
  // Between the frame line and the balancer control, clear of the caption.
  TCells = Label(GraphSpider, "", 20, 19, 120, 14);
  PanelDataGraph = Button(GraphSpider, "N", 213, kTitleBandTop, kTitleBandHeight);

  Memories = Box(Client, "Mémoires", 757, 424, 241, 262);
  for (int k = 1; k <= charger::kMemoryCount; ++k) {
    const int y = 20 + (k - 1) * 23;
    Label(Memories, ("C" + std::to_string(k)).c_str(), 6, y + 2, 28);
    ECharge[static_cast<size_t>(k)] = Edit(Memories, 34, y, 60, kGreen);
    Label(Memories, "mA", 97, y + 2, 22);
    Label(Memories, ("D" + std::to_string(k)).c_str(), 122, y + 2, 28);
    EDecharge[static_cast<size_t>(k)] = Edit(Memories, 150, y, 60, kGreen);
    Label(Memories, "mA", 213, y + 2, 22);
  }

  CommPanel = new QLabel(Client);
  CommPanel->setGeometry(8, 664, 97, 20);
  CommPanel->setFont(Font("MS Sans Serif", true));
  CommPanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  CommPanel->setAlignment(Qt::AlignCenter);
  StatusBar = new QLabel(Client);
  StatusBar->setGeometry(112, 664, 641, 20);
  StatusBar->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  StatusBar->setFont(Font("Courier", false, false, 10));  // a whole generation-3 frame fits

  Timer = new QTimer(this);
  Timer->setInterval(500);
  connect(Timer, &QTimer::timeout, this, &TMainForm::TimerEvent);

  connect(ComboTemperature, &QComboBox::activated, this, [this] { ComboTemperatureChange(); });
  for (int n = 1; n <= 2; ++n) {
    const PackBoxWidgets& p = PackBox[static_cast<size_t>(n - 1)];
    connect(p.Combo, &QComboBox::activated, this, [this, n] { ComboBoxChange(n); });
    connect(p.Edit, &TPanelButton::clicked, this, [this, n] { PanelEditClick(n); });
    connect(p.Histo, &TPanelButton::clicked, this, [this, n] { PanelHistoClick(n); });
  }
}

void TMainForm::BuildMenu() {
  QMenuBar* bar = menuBar();
  Systeme = bar->addMenu(Q("Système"));
  Redmarrer1 = Systeme->addAction(Q("Changer chargeur"));
  N1 = Systeme->addSeparator();
  Sortie = Systeme->addAction(Q("Quitter"));
  Com7 = bar->addMenu(Q("Communication"));
  for (int n = 1; n <= charger::kPortCount; ++n) {
    QAction* a = Com7->addAction(QString("Com%1").arg(n));
    a->setCheckable(true);
    connect(a, &QAction::triggered, this, [this, n] { ComClick(n); });
    Com[static_cast<size_t>(n)] = a;
  }
  Donnes1 = bar->addMenu(Q("Mesures"));
  RAZ = Donnes1->addAction(Q("Effacer"));
  Mmoires1 = bar->addMenu(Q("Mémoires"));
  Effacer1 = Mmoires1->addAction(Q("Effacer"));
  Aide1 = bar->addMenu(Q("Aide"));
  Apropos1 = Aide1->addAction(Q("A propos..."));
  connect(Redmarrer1, &QAction::triggered, this, [this] { Redemarrer1Click(); });
  connect(Sortie, &QAction::triggered, this, [this] { SortieClick(); });
  connect(RAZ, &QAction::triggered, this, [this] { RAZClick(); });
  connect(Effacer1, &QAction::triggered, this, [this] { Effacer1Click(); });
  connect(Apropos1, &QAction::triggered, this, [this] { Apropos1Click(); });
}
