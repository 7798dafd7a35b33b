#pragma once
// TMainForm: the main window. It builds its layout, runs the start-up
// (FormCreate), drives the 500 ms timer tick through ChargerMonitor and mirrors
// the texts the core decides on into its widgets.
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPointer>
#include <QTimer>
#include <array>
#include <memory>

#include "link/ChargerMonitor.h"
#include "link/LogFile.h"
#include "link/SerialPort.h"
#include "plot/GraphHost.h"
#include "plot/SpiderHost.h"

class QAction;
class QGroupBox;
class QMenu;
class TPanelButton;
class TSortedComboBox;
class TGraph;
class TGraphSpider;

class TMainForm : public QMainWindow, public LookSink, public GraphHost, public SpiderHost {
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

  // Looks of the window (one output for generation 2, two for generation 3).
  void Zephyral2Disabling() override;
  void Zephyral3Enabling() override;

  // What the curve and balancer controls read from and write to the window.
  int32_t ProbePresent() const override { return Monitor.S.ProbePresent; }
  int32_t Fahrenheit() const override { return Monitor.S.Fahrenheit; }
  void SetStatusText(const char* text) override;
  void SetCellsCaption(const char* text) override;
  void SetDataGraphCaption(const char* text) override;
  void PanelDataGraphClick();
  void PanelErase1Click();
  void PanelErase2Click();

  // Pushes the core's shown texts into the widgets.
  void ShowState();

  ChargerMonitor Monitor;
  MonitorState& S = Monitor.S;
  TLogFile* LogFile = nullptr;
  TSerialPort* SerialPort = nullptr;
  TGraph* Graph1 = nullptr;
  TGraph* Graph2 = nullptr;
  TGraphSpider* Spider = nullptr;
  char AboutTitle[64] = {};
  char AboutVersion[32] = {};
  char AboutNotice[128] = {};

  // Layout components (names of the window layout).
  QWidget* Client = nullptr;
  QGroupBox *GroupBox1 = nullptr, *PanelLoader = nullptr, *GroupBox3 = nullptr;
  QGroupBox *GraphBox1 = nullptr, *GraphSpider = nullptr, *GraphBox2 = nullptr, *Memories = nullptr;
  TSortedComboBox *ComboBox1 = nullptr, *ComboBox2 = nullptr, *ComboTemperature = nullptr;
  TPanelButton *PanelHisto1 = nullptr, *PanelGb1Edit = nullptr, *PanelHisto2 = nullptr, *PanelGb3Edit = nullptr;
  QLineEdit *EditReference1, *EditType1, *EditNbElements1, *EditDeltaPeak1, *EditResistor1, *EditCapacity1,
      *EditCharge1, *EditCoupure1, *EditDecharge1;
  QLineEdit *EditReference2, *EditType2, *EditNbElements2, *EditDeltaPeak2, *EditResistor2, *EditCapacity2,
      *EditCharge2, *EditCoupure2, *EditDecharge2;
  QLabel *LabelGb1Accu, *LabelGb1Ref, *LabelGb1Type, *LabelGb1Elem, *LabelGb1Delta, *LabelGb1Resistor,
      *LabelGb1Capacity, *LabelGb1Cut, *LabelGb1Charge, *LabelGb1Discharge;
  QLabel *LabelGb3Accu, *LabelGb3Ref, *LabelGb3Type, *LabelGb3Elem, *LabelGb3Delta, *LabelGb3Resistor,
      *LabelGb3Capacity, *LabelGb3Cut, *LabelGb3Charge, *LabelGb3Discharge;
  QLabel *Label72, *Label73, *Label78, *Label76, *Label4;
  QLineEdit *EditInputVoltage, *EditTemperature, *EditOperatingMode1, *EditCycle, *EditOperatingMode2;
  QLabel *LTempUnit, *LabelLoaderAlim, *LabelLoaderTemp, *LabelLoaderOut1, *LabelLoaderCycle, *LabelLoaderOut2;
  QLabel *TVoltage1, *TCurrent1, *TVoltage2, *TCurrent2, *TCells;
  TPanelButton *PanelExport1, *PanelImport1, *PanelZoom1, *PanelErase1, *PanelPrint1;
  TPanelButton *PanelExport2, *PanelImport2, *PanelZoom2, *PanelErase2, *PanelPrint2;
  TPanelButton* PanelDataGraph = nullptr;
  std::array<QLineEdit*, 11> ECharge{};
  std::array<QLineEdit*, 11> EDecharge{};
  QLabel *CommPanel = nullptr, *StatusBar = nullptr;
  QTimer* Timer = nullptr;
  QMenu *Systeme, *Com7, *Donnes1, *Mmoires1, *Aide1;
  QAction *Redmarrer1, *N1, *Sortie, *RAZ, *Effacer1, *Apropos1;
  std::array<QAction*, 7> Com{};  // Com[1]..Com[6]

 private:
  void BuildLayout();
  void BuildPackBox(QGroupBox* box, int n);
  void BuildMenu();
  void CreateControls();
  void ListPacks();
  void SetCommPanel(const char* caption, bool failed);
  void CheckPort(int port);
  void SetOutput2Look(bool enabled);
  void SpiderEnable(bool on);
  void Graph2Enable(bool on);

  class SerialSource : public ByteSource {
   public:
    TSerialPort* Port = nullptr;
    int Read(char* buffer, int count) override { return Port ? Port->Read(buffer, count) : 0; }
  } serialSource_;
};

// The program's global pointer to its main window.
extern TMainForm* MainForm;
