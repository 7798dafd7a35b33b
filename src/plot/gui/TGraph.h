#pragma once
// The curve control of one charger output: voltage, capacity, current and
// temperature against time. The store, the scales and the markers live in
// CurveStore; this class draws them on a backing image and on the printer.
//
// Drawing outside the paint step (the segments of a new sample, the capacity
// caption, a new marker line) goes straight onto the backing image and
// repaints only what it touched; Invalidate asks for the whole image to be
// drawn again at the next paint.
#include <QImage>
#include <QString>
#include <QWidget>

#include "plot/CurveSink.h"
#include "plot/CurvePath.h"
#include "plot/CurveStore.h"

class Canvas;
class GraphHost;
class QPrinter;

class TGraph : public QWidget, public CurveSink, public CurveStore {
  Q_OBJECT
 public:
  explicit TGraph(QWidget* parent = nullptr, GraphHost* host = nullptr);
  ~TGraph() override;

  // CurveSink: one sample per received frame; voltage already less 3000 mV.
  void AddSample(int32_t volt, int32_t capa, int32_t curr, int32_t temp) override;
  int32_t SampleCount() const override { return Count; }
  // Reset, then a full repaint.
  void Clear() override;

  // Replaces the curve by the samples of a curve file (voltages less
  // voltageOffset), grown through the same scales as live samples, then
  // repaints the whole control. False, with the curve as it was, when the
  // file cannot be opened.
  bool ImportFile(const char* path, int32_t voltageOffset);

  void Extract();
  void ChangeScale(int32_t x, curve::Button button);
  void Disable();
  void Enable();
  void GraphMouseDown(curve::Button button, int32_t x, int32_t y);

  // Draws the whole control onto its backing image.
  void Paint();
  // The full picture on any canvas: control pixel (x, y) lands on device
  // pixel (xo + a x, yo + a y).
  void DrawGraph(Canvas& canvas, int32_t a, int32_t xo, int32_t yo);

  // Prints the curve on the system's default printer. Without a usable
  // printer, when the printer fails or when its queue refuses the job, a
  // message box tells so and the curve stays as it is.
  void Print(const char* title, const char* version, const char* packName);
  // The same page on a given printer (a PDF file in the tests). Returns the
  // printer's error, empty when the page was printed.
  QString Print(QPrinter& printer, const char* title, const char* version, const char* packName);

  // Marks the backing image for a full redraw and schedules a repaint.
  void Invalidate();
  // True from an Invalidate until the paint step has drawn the whole image.
  bool FullRedrawPending() const { return imageStale_; }
  // The backing image as the last drawing left it.
  const QImage& CanvasImage() const { return image_; }
  // Background of a disabled control.
  static QColor InactiveBorderColor();
  // Draw the curves segment by segment, each with its own move and line, as
  // the reference that the column-wise drawing must match pixel for pixel.
  void SetSegmentBySegment(bool on) { segmentBySegment_ = on; }

  QPrinter* PrinterRef = nullptr;  // the printer of the job under way

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  bool ProbePresent() const;
  bool Fahrenheit() const;
  void DrawMarkerLine(int32_t x);
  void EnsureImage();

  GraphHost* host_ = nullptr;
  QImage image_;
  bool imageStale_ = true;
  // The capacity caption as the live drawing last left it on the image. The
  // caption is drawn again only when that would change a pixel: another
  // text, or a line drawn into its cell since, or a full drawing since.
  struct LiveCaption {
    bool valid = false;
    QRect rect;
    char text[sizeof CurveStore::CapacityCaption] = {};
  };
  void DrawLiveCaption(Canvas& canvas, curve::Point at, QRect& touched, bool& fontSelected);
  void ClearStaleCaption(Canvas& canvas, curve::Point at, QRect& touched, bool& fontSelected);
  LiveCaption liveCaption_;
  // The cell of the capacity caption now on the image: the full drawing's
  // (a larger face) or the last live one's; empty when there is none.
  QRect captionCell_;
  bool segmentBySegment_ = false;
  CurveColumnPath columnPath_;
};
