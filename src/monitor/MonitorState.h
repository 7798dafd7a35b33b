#pragma once
// The main window's private data, kept outside the window so that the frame
// reception, the decoding, the resistance and the memories can be exercised
// without any widget. The window (TMainForm) owns one MonitorState and shows
// the `Shown` texts; where a rule reads a text from the window, it reads it
// here, so what is shown and what is decided on can never differ.
#include <cstdint>
#include <string>

class TLogFile;
class TSerialPort;

// Texts of the window's components that the core writes (or reads back).
struct ShownTexts {
  // Charger box (PanelLoader)
  std::string PanelLoaderCaption;  // set at start-up from the catalogue
  std::string EditInputVoltage, EditTemperature, EditCycle;
  std::string EditOperatingMode1, EditOperatingMode2;
  std::string LTempUnit = "°C";
  // Curve boxes
  std::string TVoltage1, TCurrent1, TVoltage2, TCurrent2;
  // Pack boxes
  std::string EditNbElements1;               // written by the pack file loader
  std::string EditResistor1, EditResistor2;  // resistance
  std::string LabelGb1ResistorCaption;       // set at start-up from the catalogue
  int LabelGb1ResistorLeft = 202;
  // Memories
  std::string ECharge[11];    // entries 1..10 used
  std::string EDecharge[11];  // entries 1..10 used
  // Status line
  std::string StatusBar;
};

// What the core hands samples to: a curve control's store.
class CurveSink {
 public:
  virtual ~CurveSink() = default;
  virtual void AddSample(int32_t volt, int32_t capa, int32_t curr, int32_t temp) = 0;
  virtual int32_t SampleCount() const = 0;
  virtual void Clear() = 0;
};

// What the core hands the balancer's cells to.
class CellSink {
 public:
  virtual ~CellSink() = default;
  virtual void SetCells(const int32_t cells[13], int32_t average) = 0;
};

// Window looks that the core asks for (one-output look at a generation-2
// identification, two-output look on "change charger").
class LookSink {
 public:
  virtual ~LookSink() = default;
  virtual void Zephyral2Disabling() = 0;
  virtual void Zephyral3Enabling() = 0;
};

struct MonitorState {
  // Reception
  bool Synchronised = false;
  int32_t TraceIndex = 0;
  int32_t StartByteCount = 0;
  char ReceiveTrace[512] = {};
  char FrameBuffer[256] = {};
  // Decoded values
  int32_t CellVoltages[13] = {};
  int32_t CellAverage = 0;
  int8_t Mode1 = 0;
  int32_t State2 = 0;
  int32_t Phase = 1;
  int32_t PreviousPhase = 1;
  int32_t PreviousState1 = 0;
  int32_t Cycle = 1;
  float Temperature = 0;
  int32_t SupplyVoltage = 0;
  int32_t Voltage1 = 0;
  int32_t LoadedVoltage1 = 0;
  int32_t LoadedVoltage2 = 0;
  int32_t Current1 = 0;
  int32_t Capacity1 = 0;
  int32_t Voltage2 = 0, Current2 = 0, Capacity2 = 0;
  int32_t ChargeMemoryIndex = 1, DischargeMemoryIndex = 1;
  int32_t Algorithm1 = 0;
  int32_t PreviousAlgorithm1 = 0;
  int32_t StartByte = 0x0C;
  int32_t EndByte = 0x0D;
  char PackName1[128] = {};
  char PackName2[128] = {};
  float RestVoltage1 = 0, RestVoltage2 = 0;
  int32_t CellCount1 = 0;
  float Resistance1 = 0, Resistance2 = 0;
  bool ResistanceArmed1 = false, ResistanceArmed2 = false;
  // Generation 3 only: an output's loaded voltage has been measured at least
  // once, so a resistance computed from it means something.
  bool LoadedSeen1 = false, LoadedSeen2 = false;
  char PortName[10] = {};
  int32_t Mode2 = 0;
  char WorkText[254] = {};
  char MessageBuffer[254] = {};
  int32_t VoltageOffset = 3000;
  int32_t Fahrenheit = 0;
  int32_t ProbePresent = 0;
  int32_t TemperatureOutput = 1;
  int32_t FrameLength = 0;
  int32_t Generation = 0;

  ShownTexts Shown;
};
