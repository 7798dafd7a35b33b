#include "plot/gui/TGraph.h"

#include <QApplication>
#include <QDate>
#include <QLocale>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPalette>
#include <QPrinter>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "plot/CurveFile.h"
#include "platform/gui/PrintJob.h"
#include "platform/gui/WidgetLook.h"
#include "plot/GraphHost.h"
#include "plot/gui/Canvas.h"
#include "texts/Catalogue.h"
#include "texts/TextIds.h"

namespace {
const char kGraphFace[] = "Comic Sans MS";
// Face of the printout's header line.
const char kHeaderFace[] = "Arial";

using look::kBlack;
using look::kBlue;
using look::kGreen;
using look::kRed;
using look::kWhite;

const QColor& SeriesColour(int series) {
  static const QColor colours[curve::kSeriesCount] = {kBlack, kBlue, kGreen, kRed};
  return colours[series];
}

// Whole units under a scale, toward zero, never beyond what an int64 holds:
// a scale halved by many clicks leaves a huge quotient.
int64_t TruncUnits(double v) {
  constexpr double kLimit = 1.0e15;
  if (!(v == v)) return 0;
  if (v > kLimit) return static_cast<int64_t>(kLimit);
  if (v < -kLimit) return -static_cast<int64_t>(kLimit);
  return static_cast<int64_t>(v);
}

// A grid label: i steps of `step` units (mA or mV) in whole hundredths of
// the thousandfold unit (A or V).
double GridLabel(int i, int64_t step) {
  const long double units = static_cast<long double>(i * step * 100);
  return static_cast<double>(std::trunc(units * 0.001L + 0.5L) * 0.01L);
}

class CanvasCurveSink : public CurvePathSink {
 public:
  explicit CanvasCurveSink(Canvas& canvas) : canvas_(canvas) {}
  void Segment(int series, curve::Point from, curve::Point to) override {
    canvas_.SetPenColor(SeriesColour(series));
    canvas_.MoveTo(from.x, from.y);
    canvas_.LineTo(to.x, to.y);
  }
  void Run(int series, int32_t x, int32_t top, int32_t bottom) override {
    canvas_.SetPenColor(SeriesColour(series));
    canvas_.VerticalRun(x, top, bottom);
  }

 private:
  Canvas& canvas_;
};

QRect SegmentRect(curve::Point a, curve::Point b) {
  return QRect(QPoint(std::min(a.x, b.x), std::min(a.y, b.y)),
               QPoint(std::max(a.x, b.x), std::max(a.y, b.y)))
      .adjusted(-1, -1, 1, 1);
}
}  // namespace

TGraph::TGraph(QWidget* parent, GraphHost* host) : QWidget(parent), host_(host) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  Reset();
}

TGraph::~TGraph() = default;

bool TGraph::ProbePresent() const { return host_ && host_->ProbePresent() != 0; }
bool TGraph::Fahrenheit() const { return host_ && host_->Fahrenheit() != 0; }

QColor TGraph::InactiveBorderColor() { return look::kInactiveBorder; }

void TGraph::EnsureImage() {
  if (image_.size() == size()) return;
  image_ = QImage(size(), QImage::Format_RGB32);
  // 96 dots per inch, so that sizes in points come out as on a usual screen.
  image_.setDotsPerMeterX(3780);
  image_.setDotsPerMeterY(3780);
  image_.fill(kWhite);
  imageStale_ = true;
  liveCaption_.valid = false;
  captionCell_ = QRect();
}

void TGraph::Invalidate() {
  imageStale_ = true;
  update();
}

void TGraph::AddSample(int32_t volt, int32_t capa, int32_t curr, int32_t temp) {
  const bool probe = ProbePresent();
  const LiveStep step = StoreSample(volt, capa, curr, temp, width(), height(), probe, Fahrenheit());
  if (!step.Stored) {
    if (host_) host_->SetStatusText(UserTexts(txt::TooManySamples));
    return;
  }
  // A disabled control shows its background only, whatever it is given.
  if (step.Drawn && !Disabled && !size().isEmpty()) {
    EnsureImage();
    QPainter painter(&image_);
    Canvas canvas(painter, &image_);
    QRect touched;
    bool captionFont = false;  // the live caption's font is selected on the canvas
    ClearStaleCaption(canvas, step.Caption, touched, captionFont);
    auto segment = [&](int s) {
      if (!step.HasSegment[s]) return;
      canvas.SetPenColor(SeriesColour(s));
      canvas.MoveTo(step.From[s].x, step.From[s].y);
      canvas.LineTo(step.To[s].x, step.To[s].y);
      const QRect r = SegmentRect(step.From[s], step.To[s]) & rect();
      if (r.intersects(liveCaption_.rect)) liveCaption_.valid = false;
      touched |= r;
    };
    segment(curve::kTemp);
    segment(curve::kVolt);
    segment(curve::kCapa);
    DrawLiveCaption(canvas, step.Caption, touched, captionFont);
    segment(curve::kCurr);
    painter.end();
    update(touched);
  }
  if (step.Grew) Invalidate();
}

namespace {
void SelectLiveCaptionFont(Canvas& canvas) {
  canvas.SetFont(kGraphFace, 15, 0);
  canvas.SetFontSize(8);
}
}  // namespace

// The live caption's trailing blanks cover a shorter caption of its own face,
// not the wider and taller one of the full drawing: what of that one the new
// caption will not cover is cleared before this sample's segments are drawn,
// and the marker lines through it are drawn again.
void TGraph::ClearStaleCaption(Canvas& canvas, curve::Point at, QRect& touched, bool& fontSelected) {
  if (captionCell_.isEmpty()) return;
  // A cell the live caption drew itself is covered by the next one's
  // trailing blanks: only the full drawing's larger caption needs clearing,
  // and the common sample measures nothing.
  if (captionCell_ == liveCaption_.rect) return;
  if (!fontSelected) SelectLiveCaptionFont(canvas);
  fontSelected = true;
  if (canvas.TextRect(at.x, at.y, CapacityCaption).contains(captionCell_)) return;
  const QRect stale = captionCell_ & rect();
  captionCell_ = QRect();
  if (stale.isEmpty()) return;
  canvas.SetBrushColor(kWhite);
  canvas.FillRect(stale);
  if (Marker1Set) {
    QPainter& painter = canvas.Painter();
    painter.save();
    painter.setClipRect(stale);
    canvas.SetPenColor(kBlack);
    canvas.SetPenStyle(Canvas::PenStyle::Dot);
    for (int i = 0; i < (Marker2Set ? 2 : 1); ++i) {
      const int32_t x = i == 0 ? MarkerX1 : MarkerX2;
      canvas.MoveTo(x, height());
      canvas.LineTo(x, 0);
    }
    canvas.SetPenStyle(Canvas::PenStyle::Solid);
    painter.restore();
  }
  touched |= stale;
}

void TGraph::DrawLiveCaption(Canvas& canvas, curve::Point at, QRect& touched, bool& fontSelected) {
  if (liveCaption_.valid && liveCaption_.rect.topLeft() == QPoint(at.x, at.y) &&
      std::strcmp(liveCaption_.text, CapacityCaption) == 0)
    return;
  if (!fontSelected) SelectLiveCaptionFont(canvas);
  fontSelected = true;
  canvas.SetFontColor(kGreen);
  canvas.TextOut(at.x, at.y, CapacityCaption);
  liveCaption_.valid = true;
  liveCaption_.rect = canvas.TextRect(at.x, at.y, CapacityCaption);
  captionCell_ = liveCaption_.rect;
  std::memcpy(liveCaption_.text, CapacityCaption, sizeof liveCaption_.text);
  touched |= liveCaption_.rect;
}

void TGraph::Clear() {
  Reset();
  Invalidate();
}

namespace {
// Stores the samples of a file as live ones, without drawing each: the
// import ends with one full repaint.
class StoreImportSink : public curvefile::ImportSink {
 public:
  StoreImportSink(CurveStore& store, int32_t width, int32_t height, bool probe, bool fahrenheit)
      : store_(store), width_(width), height_(height), probe_(probe), fahrenheit_(fahrenheit) {}
  void Reset() override { store_.Reset(); }
  void AddSample(int32_t volt, int32_t capa, int32_t curr, int32_t temp) override {
    if (!store_.StoreSample(volt, capa, curr, temp, width_, height_, probe_, fahrenheit_).Stored)
      Refused = true;
  }
  bool Refused = false;

 private:
  CurveStore& store_;
  const int32_t width_, height_;
  const bool probe_, fahrenheit_;
};
}  // namespace

bool TGraph::ImportFile(const char* path, int32_t voltageOffset) {
  StoreImportSink sink(*this, width(), height(), ProbePresent(), Fahrenheit());
  if (!curvefile::Import(path, voltageOffset, sink)) return false;
  if (sink.Refused && host_) host_->SetStatusText(UserTexts(txt::TooManySamples));
  Invalidate();
  return true;
}

void TGraph::Extract() {
  if (CurveStore::Extract()) Invalidate();
}

void TGraph::ChangeScale(int32_t x, curve::Button button) {
  CurveStore::ChangeScale(x, button, width());
  Invalidate();
}

void TGraph::Disable() {
  Disabled = true;
  Invalidate();
}

void TGraph::Enable() {
  Disabled = false;
  Invalidate();
}

void TGraph::GraphMouseDown(curve::Button button, int32_t x, int32_t y) {
  switch (MouseDown(button, x, width())) {
    case MouseResult::Repaint: Invalidate(); break;
    case MouseResult::DrawMarker: DrawMarkerLine(x); break;
    case MouseResult::Nothing: break;
  }
}

void TGraph::DrawMarkerLine(int32_t x) {
  if (Disabled || size().isEmpty()) return;
  EnsureImage();
  QPainter painter(&image_);
  Canvas canvas(painter, &image_);
  canvas.SetPenColor(kBlack);
  canvas.SetPenStyle(Canvas::PenStyle::Dot);
  canvas.MoveTo(x, height());
  canvas.LineTo(x, 0);
  painter.end();
  const QRect line(x - 1, 0, 3, height() + 1);
  if (line.intersects(liveCaption_.rect)) liveCaption_.valid = false;
  update(line);
}

void TGraph::mousePressEvent(QMouseEvent* event) {
  curve::Button button;
  switch (event->button()) {
    case Qt::LeftButton: button = curve::Button::Left; break;
    case Qt::RightButton: button = curve::Button::Right; break;
    case Qt::MiddleButton: button = curve::Button::Middle; break;
    default: return;
  }
  const QPoint p = event->position().toPoint();
  GraphMouseDown(button, p.x(), p.y());
}

void TGraph::resizeEvent(QResizeEvent*) {
  EnsureImage();
  imageStale_ = true;
}

void TGraph::paintEvent(QPaintEvent* event) {
  if (size().isEmpty()) return;
  EnsureImage();
  if (imageStale_) Paint();
  QPainter painter(this);
  painter.drawImage(event->rect(), image_, event->rect());
}

void TGraph::Paint() {
  ComputeZeroScales(width(), height(), ProbePresent(), Fahrenheit());
  if (size().isEmpty()) return;
  EnsureImage();
  QPainter painter(&image_);
  Canvas canvas(painter, &image_);
  liveCaption_.valid = false;
  captionCell_ = QRect();
  canvas.SetBrushColor(Disabled ? InactiveBorderColor() : kWhite);
  canvas.FillRect(QRect(0, 0, width(), height()));
  if (!Disabled) {
    DrawGraph(canvas, 1, 0, 0);
    if (HasPlot(width(), height())) {
      // Where DrawGraph left the caption, in the font it used.
      canvas.SetFont(kGraphFace, 15, 0);
      captionCell_ = canvas.TextRect(curve::TruncPixel(width() * 0.1), 8, CapacityCaption);
    }
  }
  imageStale_ = false;
}

void TGraph::DrawGraph(Canvas& canvas, int32_t a, int32_t xo, int32_t yo) {
  const int32_t W = width(), H = height();
  // Without a plot there are no scales to draw with.
  if (!HasPlot(W, H) || !(ScaleX > 0.0 && ScaleVolt > 0.0 && ScaleCurr > 0.0 && ScaleCapa > 0.0))
    return;
  const int32_t ML = MarginLeft;
  const int32_t Hp = PlotHeight(H), Wp = PlotWidth(W);
  const curve::Mapping m{a, xo, yo};
  const bool probe = ProbePresent() && ScaleTemp != 0.0;

  canvas.SetFont(kGraphFace, 15 * a, 0);

  // One dotted grid per side: `lines` lines at whole-unit steps, every line
  // but the topmost labelled with its value (plus `offset`) at labelX.
  auto grid = [&](int lines, double scale, const QColor& colour, int32_t labelX, double offset) {
    const int64_t step = TruncUnits(Hp / scale) / lines;
    canvas.SetFontColor(colour);
    canvas.SetPenColor(colour);
    canvas.SetPenStyle(Canvas::PenStyle::Dot);
    for (int i = 1; i <= lines; ++i) {
      const double y = Hp - i * step * scale;
      canvas.MoveTo(m.X(ML), m.Y(y));
      canvas.LineTo(m.X(W - ML), m.Y(y));
      std::snprintf(TextBuffer, sizeof TextBuffer, "%0.2f", GridLabel(i, step) + offset);
      if (i < lines) canvas.TextOut(m.X(labelX), m.Y(y - 6), TextBuffer);
    }
  };
  grid(5, ScaleCurr, kRed, W - ML + 5, 0.0);   // current, right-hand scale
  grid(6, ScaleVolt, kBlue, ML - 30, 3.0);     // voltage, from the 3 V offset up
  // Axes and time ticks.
  canvas.SetPenStyle(Canvas::PenStyle::Solid);
  canvas.SetPenColor(kBlack);
  canvas.MoveTo(m.X(ML), m.Y(Hp));
  canvas.LineTo(m.X(ML), m.Y(0));
  canvas.MoveTo(m.X(W - ML), m.Y(Hp));
  canvas.LineTo(m.X(W - ML), m.Y(0));
  canvas.MoveTo(m.X(ML), m.Y(Hp));
  canvas.LineTo(m.X(W - ML), m.Y(Hp));
  const int32_t tick = Wp / 10;
  for (int i = 1; i <= 9; ++i) {
    canvas.MoveTo(m.X(ML + i * tick), m.Y(Hp - 5));
    canvas.LineTo(m.X(ML + i * tick), m.Y(Hp + 5));
  }

  // Curves: three times the line width on paper.
  const int savedWidth = canvas.PenWidth();
  if (a != 1) canvas.SetPenWidth(3 * savedWidth);
  {
    CurvePathRequest request;
    request.height = H;
    request.map = m;
    request.series[curve::kTemp] = probe;
    request.series[curve::kVolt] = request.series[curve::kCapa] = request.series[curve::kCurr] = true;
    const QPaintDevice* device = canvas.Painter().device();
    request.clipLeft = 0;
    request.clipTop = 0;
    request.clipRight = device ? device->width() - 1 : 0;
    request.clipBottom = device ? device->height() - 1 : 0;
    CanvasCurveSink sink(canvas);
    if (segmentBySegment_)
      EmitEverySegment(*this, request, sink);
    else
      columnPath_.Emit(*this, request, sink);
  }
  if (a != 1) canvas.SetPenWidth(savedWidth);

  canvas.SetFontColor(kBlack);
  canvas.TextOut(m.X(W * 0.5 - 43), m.Y(H - 15), UserTexts(txt::AxisTime));
  canvas.SetFontColor(kGreen);
  BuildCapacityCaption();
  canvas.TextOut(m.X(W * 0.1), m.Y(8), CapacityCaption);

  canvas.SetBrushStyle(Canvas::BrushStyle::Clear);
  canvas.SetFont(kGraphFace, 15 * a, 900);
  canvas.SetFontColor(kBlue);
  canvas.TextOut(xo + 3 * a - 3, m.Y(H * 0.25 * 2), UserTexts(txt::TitleVoltage));
  canvas.SetFont(kGraphFace, 15 * a, -900);
  canvas.SetFontColor(kRed);
  canvas.TextOut(m.X(W - 1), m.Y(H / 6.0), UserTexts(txt::TitleCurrent));

  // Time labels every tenth of the plot width, in whole seconds.
  canvas.SetFont(kGraphFace, 14 * a, 300);
  canvas.SetFontColor(kBlack);
  const int64_t s = TruncUnits(Wp / ScaleX / 10);
  for (int i = 1; i <= 9; ++i) {
    const int64_t t = i * s;
    const int64_t minutes = t / 60;
    std::snprintf(TextBuffer, sizeof TextBuffer, "%lld'%2lld\"", static_cast<long long>(minutes),
                  static_cast<long long>(t - 60 * minutes));
    canvas.TextOut(m.X(ML - 12 + t * ScaleX), m.Y(Hp + 18), TextBuffer);
  }
  canvas.SetBrushStyle(Canvas::BrushStyle::Solid);
  canvas.SetFontPlain();

  if (Marker1Set) {
    canvas.SetPenColor(kBlack);
    canvas.SetPenStyle(Canvas::PenStyle::Dot);
    canvas.MoveTo(m.X(MarkerX1), m.Y(H));
    canvas.LineTo(m.X(MarkerX1), m.Y(0));
    if (Marker2Set) {
      canvas.MoveTo(m.X(MarkerX2), m.Y(H));
      canvas.LineTo(m.X(MarkerX2), m.Y(0));
    }
  }
}

void TGraph::Print(const char* title, const char* version, const char* packName) {
  const QString error = PrintOnDefaultQueue(
      [&](QPrinter& printer) { return Print(printer, title, version, packName); });
  if (!error.isEmpty())
    QMessageBox::critical(this, QString::fromUtf8(UserTexts(txt::WindowCaption)), error);
}

QString TGraph::Print(QPrinter& printer, const char* title, const char* version,
                      const char* packName) {
  PrinterRef = &printer;
  printer.setDocName(QString::fromUtf8(UserTexts(txt::WindowCaption)));
  printer.setPageOrientation(QPageLayout::Landscape);
  // The page is laid out in device pixels of a 600 dpi printer.
  printer.setResolution(600);
  QPainter painter;
  if (!painter.begin(&printer)) {
    PrinterRef = nullptr;
    return QString::fromUtf8("L'imprimante n'a pas pu commencer le document.");
  }
  // A curve that was never drawn since a reset has no scales yet.
  ComputeZeroScales(width(), height(), ProbePresent(), Fahrenheit());
  {
    Canvas canvas(painter);
    canvas.SetBrushColor(kWhite);
    canvas.SetFont(kHeaderFace, -1, 0);
    canvas.SetFontSize(10);
    canvas.SetFontColor(kBlack);
    canvas.SetPenWidth(2);

    const char* t = title ? title : "";
    while (*t == ' ') ++t;
    std::snprintf(TextBuffer, sizeof TextBuffer, "%s - %s%s", t, version ? version : "",
                  UserTexts(txt::Notice));
    canvas.TextOut(40, 10, TextBuffer);

    DrawGraph(canvas, 8, 500, 800);

    const QString date = QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat);
    std::snprintf(TextBuffer, sizeof TextBuffer, "%s - %s",
                  packName && *packName ? packName : UserTexts(txt::PackNotSet),
                  date.toUtf8().constData());
    canvas.SetFontSize(13);
    canvas.TextOut(2600, 2800, TextBuffer);
  }
  QString error;
  if (printer.printerState() == QPrinter::Error) {
    // A printer that failed during the page gets no half page: the job goes.
    printer.abort();
    error = QString::fromUtf8("L'imprimante a échoué : l'impression est annulée.");
  }
  if (!painter.end() && error.isEmpty())
    error = QString::fromUtf8("L'imprimante n'a pas pu terminer le document.");
  PrinterRef = nullptr;
  return error;
}
