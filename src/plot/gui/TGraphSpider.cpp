#include "plot/gui/TGraphSpider.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>
#include <algorithm>
#include <vector>

#include "platform/gui/WidgetLook.h"
#include "plot/Balancer.h"

namespace {

using look::kBlack;
using look::kBlue;
using look::kRed;
using look::kWhite;

// The texts are sized by their whole character cell (ascent plus descent),
// not by the em: a 15-pixel text is 15 pixels from top to bottom.
QFont CellHeightFont(const char* face, int cellHeight) {
  QFont font(look::Face(face));
  int pixelSize = cellHeight;
  font.setPixelSize(pixelSize);
  while (pixelSize > 1 && QFontMetrics(font).height() > cellHeight) {
    font.setPixelSize(--pixelSize);
  }
  return font;
}

// One run of MoveTo/LineTo. A line to the point the pen already stands on
// draws nothing, so a sector or circle of radius 0 leaves no dot: repeated
// points are dropped, and a path that never leaves its start is not stroked
// (QPainter would put a dot there).
void StrokePath(QPainter& canvas, const std::vector<balancer::Point>& points) {
  QPolygon polygon;
  polygon.reserve(static_cast<int>(points.size()));
  for (const balancer::Point& p : points) {
    const QPoint q(p.x, p.y);
    if (polygon.isEmpty() || polygon.constLast() != q) polygon.append(q);
  }
  if (polygon.size() > 1) canvas.drawPolyline(polygon);
}

// TextOut: the position is the top-left corner of the text's cell.
void TextOut(QPainter& canvas, int x, int y, const QColor& colour, const std::string& text) {
  canvas.setPen(colour);
  canvas.drawText(QPoint(x, y + canvas.fontMetrics().ascent()), QString::fromUtf8(text));
}

}  // namespace

TGraphSpider::TGraphSpider(SpiderHost* owner, QWidget* parent)
    : QWidget(parent), Owner(owner), SpiderFont(CellHeightFont("Comic Sans MS", 15)) {
  ResetScale();
  Disabled = false;
  ViewMode = 1;
  SectorAngle = balancer::kSectorAngle;
  StartAngle = balancer::kStartAngle;
  Gain = balancer::kGain;
  MaxDeviation = 0;
  std::fill(std::begin(Cells), std::end(Cells), 0);
  Average = 0;
}

TGraphSpider::~TGraphSpider() = default;

void TGraphSpider::ResetScale() { Scale = 0.0; }

void TGraphSpider::SetCells(const int32_t cells[charger::kCellArraySize], int32_t average) {
  for (int i = 1; i <= balancer::kCellSlots; ++i) Cells[i] = cells ? cells[i] : 0;
  Average = average;
  update();
}

void TGraphSpider::Disable() {
  Disabled = true;
  update();
}

void TGraphSpider::Enable() {
  Disabled = false;
  update();
}

void TGraphSpider::ToggleView() {
  if (ViewMode == 1) {
    ViewMode = 0;
    if (Owner) Owner->SetDataGraphCaption("G");
  } else {
    ViewMode = 1;
    if (Owner) Owner->SetDataGraphCaption("N");
  }
  update();
}

void TGraphSpider::paintEvent(QPaintEvent*) {
  QPainter canvas(this);
  Paint(canvas);
}

void TGraphSpider::mousePressEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  SpiderMouseDown(event->button(), event->modifiers(), at.x(), at.y());
}

void TGraphSpider::SpiderMouseDown(Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
  ToggleView();
}

void TGraphSpider::Paint(QPainter& canvas) {
  canvas.fillRect(0, 0, width(), height(),
                  Disabled ? look::kInactiveBorder : kWhite);
  canvas.setPen(QPen(kBlue, 0, Qt::DotLine));
  Scale = balancer::ScaleFor(height());
  if (!Disabled) DrawSpider(canvas);
}

void TGraphSpider::DrawSpider(QPainter& canvas) {
  canvas.setFont(SpiderFont);
  TextOut(canvas, 10, 5, kBlue, balancer::AverageText(Average));

  const balancer::CellStats stats = balancer::ComputeStats(Cells, Average);
  MaxDeviation = stats.MaxDeviation;
  CellCount = stats.CellCount;
  if (Owner) Owner->SetCellsCaption(balancer::CellCountText(CellCount).c_str());

  // At its place, unless the text would run past the right edge: the French
  // text, and any five-digit deviation, is wider than the room there.
  const std::string deviation = balancer::MaxDeviationText(MaxDeviation);
  const QString shown = QString::fromUtf8(deviation);
  const QFontMetrics metrics = canvas.fontMetrics();
  const int ink = std::max(metrics.horizontalAdvance(shown), metrics.boundingRect(shown).right() + 1);
  const int left = std::max(0, std::min(width() / 2 - 10, width() - ink));
  TextOut(canvas, left, height() - 20, kRed, deviation);

  if (ViewMode == 1) {
    const balancer::Geometry g{width(), height(), Scale, SectorAngle, StartAngle, Gain};
    canvas.setPen(QPen(kBlue, 0, Qt::DotLine));
    StrokePath(canvas, balancer::ReferenceCircle(g, Average));
    // The sectors follow the first CellCount slots, not the non-zero cells:
    // a gap among them shows as a collapsed sector and pushes the last cell out.
    canvas.setPen(QPen(kRed, 0, Qt::SolidLine));
    for (int i = 1; i <= CellCount; ++i) StrokePath(canvas, balancer::SectorPath(g, i, Cells[i], Average));
  } else if (ViewMode == 0) {
    for (int i = 1; i <= balancer::kCellSlots; ++i) {
      const balancer::Point at = balancer::ListPosition(i);
      TextOut(canvas, at.x, at.y, kBlack, balancer::ListLine(i, Cells[i]));
    }
  }
}
