#pragma once
// TMainForm: the main window. It builds its layout, runs the start-up
// (FormCreate), drives the 500 ms timer tick through ChargerMonitor and shows
// the texts the core decides on. The window writes none of those texts
// itself: ShowState is the only place that puts them into widgets.
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QTimer>
#include <array>
#include <memory>
#include <string>

#include "charger/ChargerLayout.h"
#include "link/ByteSource.h"
#include "link/ChargerMonitor.h"
#include "link/LogFile.h"
#include "link/LookSink.h"
#include "link/SerialPort.h"
#include "monitor/AboutHost.h"
#include "plot/GraphHost.h"
#include "plot/SpiderHost.h"

class QAction;
class QGroupBox;
class QMenu;
class TPanelButton;
class TSortedComboBox;
class TGraph;
class TGraphSpider;

// The widgets of one output's pack box (output 2's are named with 3 in the
// layout: GroupBox3, PanelGb3Edit, LabelGb3Type ...).
struct PackBoxWidgets {
  QGroupBox* Box = nullptr;
  TSortedComboBox* Combo = nullptr;
  TPanelButton* Histo = nullptr;  // maintenance log, "L"
  TPanelButton* Edit = nullptr;   // pack file in the editor, "E"
  QLineEdit *EditReference = nullptr, *EditType = nullptr, *EditNbElements = nullptr,
            *EditDeltaPeak = nullptr, *EditResistor = nullptr, *EditCapacity = nullptr,
            *EditCharge = nullptr, *EditCoupure = nullptr, *EditDecharge = nullptr;
  QLabel *LabelAccu = nullptr, *LabelRef = nullptr, *LabelType = nullptr, *LabelElem = nullptr,
         *LabelDelta = nullptr, *LabelResistor = nullptr, *LabelCapacity = nullptr,
         *LabelCut = nullptr, *LabelCharge = nullptr, *LabelDischarge = nullptr;
  // Unit labels: "Ohm", "mA" (capacity), "mV" (cut-off), "mA" (charge), "mA" (discharge).
  QLabel *UnitOhm = nullptr, *UnitCapacity = nullptr, *UnitCut = nullptr, *UnitCharge = nullptr,
         *UnitDischarge = nullptr;
};

// The widgets of one output's curve box.
struct CurveBoxWidgets {
  QGroupBox* Box = nullptr;
  QLabel *TVoltage = nullptr, *TCurrent = nullptr;
  TPanelButton *PanelExport = nullptr, *PanelImport = nullptr, *PanelZoom = nullptr,
               *PanelErase = nullptr, *PanelPrint = nullptr;
  TGraph* Graph = nullptr;
};

class TMainForm : public QMainWindow,
                  public LookSink,
                  public GraphHost,
                  public SpiderHost,
                  public AboutHost {
  Q_OBJECT
 public:
  explicit TMainForm(QWidget* owner = nullptr);
  ~TMainForm() override;

  void FormCreate();

  // Handlers bound to the layout's events.
  void TimerEvent();
  void Redemarrer1Click();
  void RAZClick();
  void Effacer1Click();
  void SortieClick();
  void ComClick(int port);  // Com1Click .. Com6Click
  void ComboTemperatureChange();
  void PanelDataGraphClick();
  void PanelErase1Click() { PanelEraseClick(1); }
  void PanelErase2Click() { PanelEraseClick(2); }
  void PanelZoom1Click() { PanelZoomClick(1); }
  void PanelZoom2Click() { PanelZoomClick(2); }
  void PanelPrint1Click() { PanelPrintClick(1); }
  void PanelPrint2Click() { PanelPrintClick(2); }
  void Exporter1Click() { ExporterClick(1); }
  void Exporter2Click() { ExporterClick(2); }
  void Importer1Click() { ImporterClick(1); }
  void Importer2Click() { ImporterClick(2); }
  // Bound to no control: the print and the zoom of output 1.
  void Graphique1Click() { PanelPrintClick(1); }
  void Extraire1Click() { PanelZoomClick(1); }
  // "A propos ...": the about box, modeless.
  void Apropos1Click();
  // "L": the maintenance log of the pack the selector names.
  void PanelHisto1Click() { PanelHistoClick(1); }
  void PanelHisto2Click() { PanelHistoClick(2); }
  // Pack boxes.
  void ComboBox1Change() { ComboBoxChange(1); }
  void ComboBox2Change() { ComboBoxChange(2); }
  int ImportPack1(const char* path) { return ImportPack(1, path); }
  int ImportPack2(const char* path) { return ImportPack(2, path); }
  void Panel1Click() { PanelEditClick(1); }
  void Panel2Click() { PanelEditClick(2); }

  // Looks of the window (one output for generation 2, two for generation 3).
  void Zephyral2Disabling() override;
  void Zephyral3Enabling() override;

  // What the curve and balancer controls read from and write to the window.
  int32_t ProbePresent() const override { return Monitor.Values().ProbePresent; }
  int32_t Fahrenheit() const override { return Monitor.Values().Fahrenheit; }
  void SetStatusText(const char* text) override;
  void SetCellsCaption(const char* text) override;
  void SetDataGraphCaption(const char* text) override;
  const char* AboutTitleText() const override { return AboutTitle; }
  const char* AboutVersionText() const override { return AboutVersion; }

  // Puts the core's texts into the widgets.
  void ShowState();

  ChargerMonitor Monitor;
  // Held for the whole run; the log outlives the port, whose closing line it
  // takes.
  std::unique_ptr<TLogFile> LogFile;
  std::unique_ptr<TSerialPort> SerialPort;
  char PortName[10] = {};
  char PackName1[128] = {};
  char PackName2[128] = {};
  char AboutTitle[64] = {};
  char AboutVersion[32] = {};
  char AboutNotice[128] = {};

  // Layout components (names of the window layout). The pack and curve boxes
  // are built from one routine each; their widgets are reached through
  // PackBox[n - 1] and CurveBox[n - 1], and by their layout names below.
  std::array<PackBoxWidgets, 2> PackBox;
  std::array<CurveBoxWidgets, 2> CurveBox;
  QWidget* Client = nullptr;
  QGroupBox *&GroupBox1 = PackBox[0].Box, *&GroupBox3 = PackBox[1].Box;
  TSortedComboBox *&ComboBox1 = PackBox[0].Combo, *&ComboBox2 = PackBox[1].Combo;
  TPanelButton *&PanelHisto1 = PackBox[0].Histo, *&PanelHisto2 = PackBox[1].Histo;
  TPanelButton *&PanelGb1Edit = PackBox[0].Edit, *&PanelGb3Edit = PackBox[1].Edit;
  QLineEdit *&EditNbElements1 = PackBox[0].EditNbElements, *&EditResistor1 = PackBox[0].EditResistor,
            *&EditResistor2 = PackBox[1].EditResistor;
  QLabel*& LabelGb1Resistor = PackBox[0].LabelResistor;
  QGroupBox *&GraphBox1 = CurveBox[0].Box, *&GraphBox2 = CurveBox[1].Box;
  TGraph *&Graph1 = CurveBox[0].Graph, *&Graph2 = CurveBox[1].Graph;
  TGraphSpider* Spider = nullptr;
  QGroupBox *PanelLoader = nullptr, *GraphSpider = nullptr, *Memories = nullptr;
  TSortedComboBox* ComboTemperature = nullptr;
  QLineEdit *EditInputVoltage, *EditTemperature, *EditOperatingMode1, *EditCycle, *EditOperatingMode2;
  QLabel *LTempUnit, *LabelLoaderAlim, *LabelLoaderTemp, *LabelLoaderOut1, *LabelLoaderCycle, *LabelLoaderOut2;
  QLabel* TCells = nullptr;
  TPanelButton* PanelDataGraph = nullptr;
  std::array<QLineEdit*, charger::kMemoryCount + 1> ECharge{};
  std::array<QLineEdit*, charger::kMemoryCount + 1> EDecharge{};
  QLabel *CommPanel = nullptr, *StatusBar = nullptr;
  QTimer* Timer = nullptr;
  QMenu *Systeme, *Com7, *Donnes1, *Mmoires1, *Aide1;
  QAction *Redmarrer1, *N1, *Sortie, *RAZ, *Effacer1, *Apropos1;
  std::array<QAction*, charger::kPortCount + 1> Com{};  // Com[1]..Com[6]

 private:
  void BuildLayout();
  void BuildPackBox(int n, int left);
  void BuildCurveBox(int n, int top);
  void BuildMenu();
  void SetPackBoxTexts(int n);
  void CreateControls();
  void ListPacks();
  void OpenPort(int port, const char* openedCaption);
  void SetCommPanel(const char* caption, bool failed);
  void CheckPort(int port);
  void SetOutput2Look(bool enabled);
  // One routine per pair of twins; n is the output.
  void PanelEraseClick(int n);
  void PanelZoomClick(int n);
  void PanelPrintClick(int n);
  void ExporterClick(int n);
  void ImporterClick(int n);
  void ComboBoxChange(int n);
  // Reads a pack description file into output n's pack fields; 0 when it
  // cannot be read, else the number of lines counted.
  int ImportPack(int n, const char* path);
  void PanelEditClick(int n);
  void PanelHistoClick(int n);
  char* PackName(int n);
  // The pack file that output n's selector has chosen, its name as bytes
  // with its ending.
  std::string SelectedFile(int n) const;
  // The pack file that each pack box's caption names, as bytes: the last
  // one that loaded, which "E" opens.
  std::array<std::string, 2> boxFile_;

  class SerialSource : public ByteSource {
   public:
    TSerialPort* Port = nullptr;
    int Read(char* buffer, int count) override { return Port ? Port->Read(buffer, count) : 0; }
  } serialSource_;
};

// The program's global pointer to its main window.
extern TMainForm* MainForm;
