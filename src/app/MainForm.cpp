#include "app/MainForm.h"

#include <dirent.h>
#include <sys/stat.h>

#include <QAction>
#include <QGroupBox>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

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
  auto* b = new QGroupBox(Q(caption), parent);
  b->setGeometry(x, y, w, h);
  b->setFont(Font("Courier", true));
  SetTextColour(b, kRed);
  return b;
}
QLabel* Label(QWidget* parent, const char* caption, int x, int y, int w = 60) {
  auto* l = new QLabel(Q(caption), parent);
  l->setGeometry(x, y, w, 17);
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
TPanelButton* Button(QWidget* parent, const char* caption, int x, int y) {
  auto* b = new TPanelButton(Q(caption), parent);
  b->setGeometry(x, y, 20, 20);
  b->setFont(Font("Courier", true, true, 13));
  SetTextColour(b, kBlue);
  return b;
}
}  // namespace

void TMainForm::BuildPackBox(QGroupBox* box, int n) {
  const bool one = n == 1;
  auto* combo = new TSortedComboBox(box);
  combo->setGeometry(80, 20, 208, 21);
  combo->setFont(Font("MS Sans Serif", false));
  SetTextColour(combo, kBlack);
  auto* histo = Button(box, "L", 298, 14);
  auto* edit = Button(box, "E", 298, 38);
  auto label = [&](const char* c, int x, int y, int w = 60) { return Label(box, c, x, y, w); };
  QLabel* accu = label("Accu", 8, 22);
  QLabel* ref = label("Référence", 8, 50);
  QLineEdit* eRef = Edit(box, 80, 48, 208);
  QLabel* type = label("Type", 8, 76);
  QLineEdit* eType = Edit(box, 80, 74, 80);
  QLabel* elem = label("Elém.", 202, 76);
  QLineEdit* eElem = Edit(box, 250, 74, 50);
  QLabel* delta = label("Delta Peak", 8, 102);
  QLineEdit* eDelta = Edit(box, 80, 100, 80);
  QLabel* res = label("Rés.", 202, 102);
  QLineEdit* eRes = Edit(box, 250, 100, 50);
  QLabel* ohm = label("Ohm", 303, 102, 26);
  QLabel* capa = label("Capacité", 8, 128);
  QLineEdit* eCapa = Edit(box, 80, 126, 80);
  QLabel* mA1 = label("mA", 164, 128, 24);
  QLabel* cut = label("Coupure", 190, 128);
  QLineEdit* eCut = Edit(box, 250, 126, 50);
  QLabel* mV = label("mV", 303, 128, 24);
  QLabel* charge = label("Charge", 8, 154);
  QLineEdit* eCharge = Edit(box, 80, 152, 80);
  QLabel* mA2 = label("mA", 164, 154, 24);
  QLabel* dis = label("Décharge", 190, 154);
  QLineEdit* eDis = Edit(box, 250, 152, 50);
  QLabel* mA3 = label("mA", 303, 154, 24);
  if (one) {
    ComboBox1 = combo; PanelHisto1 = histo; PanelGb1Edit = edit;
    LabelGb1Accu = accu; LabelGb1Ref = ref; LabelGb1Type = type; LabelGb1Elem = elem;
    LabelGb1Delta = delta; LabelGb1Resistor = res; LabelGb1Capacity = capa; LabelGb1Cut = cut;
    LabelGb1Charge = charge; LabelGb1Discharge = dis;
    EditReference1 = eRef; EditType1 = eType; EditNbElements1 = eElem; EditDeltaPeak1 = eDelta;
    EditResistor1 = eRes; EditCapacity1 = eCapa; EditCharge1 = eCharge; EditCoupure1 = eCut;
    EditDecharge1 = eDis;
  } else {
    ComboBox2 = combo; PanelHisto2 = histo; PanelGb3Edit = edit;
    LabelGb3Accu = accu; LabelGb3Ref = ref; LabelGb3Type = type; LabelGb3Elem = elem;
    LabelGb3Delta = delta; LabelGb3Resistor = res; LabelGb3Capacity = capa; LabelGb3Cut = cut;
    LabelGb3Charge = charge; LabelGb3Discharge = dis;
    EditReference2 = eRef; EditType2 = eType; EditNbElements2 = eElem; EditDeltaPeak2 = eDelta;
    EditResistor2 = eRes; EditCapacity2 = eCapa; EditCharge2 = eCharge; EditCoupure2 = eCut;
    EditDecharge2 = eDis;
    Label4 = ohm; Label72 = mA1; Label73 = mA2; Label78 = mA3; Label76 = mV;
  }
}

void TMainForm::BuildLayout() {
  Client = new QWidget(this);
  Client->setFixedSize(1008, 693);
  Client->setFont(Font("MS Sans Serif", false));
  setCentralWidget(Client);
  setWindowFlags(Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
  move(149, 187);

  GroupBox1 = Box(Client, "Caractéristiques Accu 1", 9, 8, 329, 185);
  BuildPackBox(GroupBox1, 1);
  LabelGb1Resistor->move(202, LabelGb1Resistor->y());
  GroupBox3 = Box(Client, "Caractéristiques Accu 2", 669, 8, 329, 185);
  BuildPackBox(GroupBox3, 2);

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

  GraphBox1 = Box(Client, "Sortie 1 - Données Graphiques ", 8, 192, 745, 233);
  GraphSpider = Box(Client, "Equilibreur", 757, 192, 241, 233);
  GraphBox2 = Box(Client, "Sortie 2 - Données Graphiques ", 8, 424, 745, 233);
  auto curveBox = [&](QGroupBox* box, QLabel*& volt, QLabel*& curr, TPanelButton*& x, TPanelButton*& i,
                      TPanelButton*& z, TPanelButton*& e, TPanelButton*& p) {
    volt = Label(box, "", 330, 12, 100);
    SetTextColour(volt, kBlue);
    curr = Label(box, "", 440, 12, 100);
    SetTextColour(curr, kRed);
    x = Button(box, "X", 717, 10);
    i = Button(box, "I", 694, 10);
    z = Button(box, "Z", 671, 10);
    e = Button(box, "E", 648, 10);
    p = Button(box, "P", 625, 10);
  };
  curveBox(GraphBox1, TVoltage1, TCurrent1, PanelExport1, PanelImport1, PanelZoom1, PanelErase1, PanelPrint1);
  curveBox(GraphBox2, TVoltage2, TCurrent2, PanelExport2, PanelImport2, PanelZoom2, PanelErase2, PanelPrint2);
  TCells = Label(GraphSpider, "", 20, 14, 120);
  PanelDataGraph = Button(GraphSpider, "N", 213, 10);

  Memories = Box(Client, "Mémoires", 757, 424, 241, 262);
  for (int k = 1; k <= 10; ++k) {
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
}

void TMainForm::BuildMenu() {
  QMenuBar* bar = menuBar();
  Systeme = bar->addMenu(Q("Système"));
  Redmarrer1 = Systeme->addAction(Q("Changer chargeur"));
  N1 = Systeme->addSeparator();
  Sortie = Systeme->addAction(Q("Quitter"));
  Com7 = bar->addMenu(Q("Communication"));
  for (int n = 1; n <= 6; ++n) {
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
}
