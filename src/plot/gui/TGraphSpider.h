#pragma once
// The balancer control: up to twelve cell voltages and their average, drawn
// either as a radial graph (one pie sector per cell around a dotted circle at
// the average, each cell's deviation magnified) or as a numeric list. Any
// mouse button on the control, or the main window's view button, switches
// between the two.
#include <QColor>
#include <QFont>
#include <QWidget>
#include <cstdint>

#include "charger/ChargerLayout.h"
#include "plot/CellSink.h"
#include "plot/SpiderHost.h"

class QPainter;

class TGraphSpider : public QWidget, public CellSink {
  Q_OBJECT

 public:
  // `owner` receives the two captions and may be null (then none is written).
  explicit TGraphSpider(SpiderHost* owner, QWidget* parent = nullptr);
  ~TGraphSpider() override;

  // Entries 1..12 are copied (entry 0 is not read); a null array clears the cells.
  void SetCells(const int32_t cells[charger::kCellArraySize], int32_t average) override;
  void Disable();
  void Enable();
  // The view switch of both the control's mouse handler and the main window's
  // view button: flips `ViewMode`, names the other view on the button, repaints.
  void ToggleView();

  // The whole drawing, on any painter whose device is Width x Height.
  void Paint(QPainter& canvas);

  int32_t ViewMode = 1;  // 1: radial graph; 0: numeric list
  bool Disabled = false;
  int32_t Cells[charger::kCellArraySize] = {};  // mV; 1..12 used, 0 means no cell
  int32_t Average = 0;     // mV, computed by the caller
  int32_t CellCount = 0;
  int32_t MaxDeviation = 0;
  double SectorAngle = 0.0;
  double StartAngle = 0.0;
  double Scale = 0.0;  // pixels per mV
  double Gain = 0.0;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  void ResetScale();
  void DrawSpider(QPainter& canvas);
  void SpiderMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);

  SpiderHost* Owner;
  QFont SpiderFont;
};
