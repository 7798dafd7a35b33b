#include <gtest/gtest.h>

#include <QApplication>
#include <QGroupBox>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "plot/Balancer.h"
#include "platform/gui/WidgetLook.h"
#include "plot/gui/TGraphSpider.h"
#include "texts/Catalogue.h"
#include "texts/TextIds.h"

namespace {

// Stands in for the main window's label and view button.
struct FakeHost : SpiderHost {
  std::vector<std::string> cellsCaptions;
  std::vector<std::string> dataGraphCaptions;
  void SetCellsCaption(const char* text) override { cellsCaptions.emplace_back(text); }
  void SetDataGraphCaption(const char* text) override { dataGraphCaptions.emplace_back(text); }
};

constexpr int kWidth = 201;
constexpr int kHeight = 193;

struct Fixture {
  FakeHost host;
  QGroupBox box;  // the main window's GraphSpider
  TGraphSpider* spider;
  Fixture() : spider(new TGraphSpider(&host, &box)) {
    box.resize(kWidth + 40, kHeight + 40);
    spider->setGeometry(20, 33, kWidth, kHeight);
  }
  void Set(std::vector<int32_t> first, int32_t average) {
    int32_t cells[13] = {};
    for (size_t i = 0; i < first.size(); ++i) cells[i + 1] = first[i];
    spider->SetCells(cells, average);
  }
  QImage Render() {
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    image.fill(Qt::magenta);  // anything the paint leaves untouched shows up
    spider->render(&image);
    return image;
  }
  void Press(Qt::MouseButton button) {
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(50, 50), spider->mapToGlobal(QPointF(50, 50)),
                      button, button, Qt::NoModifier);
    QApplication::sendEvent(spider, &press);
  }
};

using Pred = std::function<bool(QRgb)>;
const Pred kRed = [](QRgb c) { return qRed(c) > 200 && qGreen(c) < 60 && qBlue(c) < 60; };
const Pred kBlue = [](QRgb c) { return qBlue(c) > 200 && qRed(c) < 60 && qGreen(c) < 60; };
const Pred kBlack = [](QRgb c) { return qRed(c) < 60 && qGreen(c) < 60 && qBlue(c) < 60; };
const Pred kWhite = [](QRgb c) { return c == qRgb(255, 255, 255); };

int Count(const QImage& image, QRect area, const Pred& pred) {
  int n = 0;
  area = area.intersected(image.rect());
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x) n += pred(image.pixel(x, y));
  return n;
}

// A few pixels around the point at this angle and radius, as the control computes it.
QRect Around(double degrees, double radius, int half = 2) {
  const balancer::Geometry g{kWidth, kHeight, balancer::ScaleFor(kHeight)};
  const balancer::Point p = balancer::PointAt(g, degrees * M_PI / 180, radius);
  return QRect(p.x - half, p.y - half, 2 * half + 1, 2 * half + 1);
}

double Px(double mV) { return mV * 3.0 / kHeight; }

const std::vector<int32_t> kSixCells{3800, 3810, 3790, 3800, 3805, 3795};

}  // namespace

TEST(TGraphSpider, StartsInTheRadialViewAndScalesAtPaint) {
  Fixture f;
  EXPECT_EQ(f.spider->ViewMode, 1);
  EXPECT_EQ(f.spider->Scale, 0.0);
  f.Render();
  EXPECT_DOUBLE_EQ(f.spider->Scale, 3.0 / kHeight);
}

TEST(TGraphSpider, SetCellsCopiesOneToTwelve) {
  Fixture f;
  int32_t cells[13];
  for (int i = 0; i < 13; ++i) cells[i] = 1000 + i;
  f.spider->SetCells(cells, -7);
  EXPECT_EQ(f.spider->Cells[0], 0);  // entry 0 is not read
  for (int i = 1; i <= 12; ++i) EXPECT_EQ(f.spider->Cells[i], 1000 + i);
  EXPECT_EQ(f.spider->Average, -7);

  f.spider->SetCells(nullptr, 0);  // no array: no cells
  for (int i = 0; i < 13; ++i) EXPECT_EQ(f.spider->Cells[i], 0);
}

TEST(TGraphSpider, PaintWritesTheCellCountLabel) {
  struct Case {
    const char* name;
    std::vector<int32_t> cells;
    int32_t average;
    int32_t count, maxDeviation;
  };
  const Case cases[] = {
      {"two cells and ten zeros", {4100, 4120}, 4110, 2, 10},
      {"all zeros", {}, 0, 0, 0},
      {"gap at cell 3", {3800, 3800, 0, 3900}, 3833, 3, 67},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Fixture f;
    f.Set(c.cells, c.average);
    f.Render();
    EXPECT_EQ(f.spider->CellCount, c.count);
    EXPECT_EQ(f.spider->MaxDeviation, c.maxDeviation);
    ASSERT_EQ(f.host.cellsCaptions.size(), 1u);
    EXPECT_EQ(f.host.cellsCaptions[0], c.count ? std::to_string(c.count) + " Cells" : "");
  }
}

TEST(TGraphSpider, AnyMouseButtonSwitchesTheViewAndNamesTheNextOne) {
  for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton}) {
    SCOPED_TRACE(button);
    Fixture f;
    const struct {
      int32_t viewMode;
      const char* caption;
    } steps[] = {{0, "G"}, {1, "N"}, {0, "G"}};
    for (const auto& step : steps) {
      f.Press(button);
      EXPECT_EQ(f.spider->ViewMode, step.viewMode);
      ASSERT_FALSE(f.host.dataGraphCaptions.empty());
      EXPECT_EQ(f.host.dataGraphCaptions.back(), step.caption);
    }
    EXPECT_EQ(f.host.dataGraphCaptions.size(), 3u);
  }
}

TEST(TGraphSpider, ViewButtonTogglesTheSameWay) {
  Fixture f;
  f.spider->ToggleView();
  f.spider->ToggleView();
  EXPECT_EQ(f.spider->ViewMode, 1);
  EXPECT_EQ(f.host.dataGraphCaptions, (std::vector<std::string>{"G", "N"}));
  // A view the main window wrote itself goes back to the radial graph.
  f.spider->ViewMode = 7;
  f.spider->ToggleView();
  EXPECT_EQ(f.spider->ViewMode, 1);
  EXPECT_EQ(f.host.dataGraphCaptions.back(), "N");
}

TEST(TGraphSpider, NoOwnerWritesNoCaption) {
  QGroupBox box;
  TGraphSpider spider(nullptr, &box);
  spider.resize(kWidth, kHeight);
  const int32_t cells[13] = {0, 3800};
  spider.SetCells(cells, 3800);
  spider.ToggleView();
  QImage image(kWidth, kHeight, QImage::Format_RGB32);
  spider.render(&image);
  EXPECT_EQ(spider.ViewMode, 0);
  EXPECT_EQ(spider.CellCount, 1);
}

TEST(TGraphSpider, GreyedControlShowsOnlyItsBackground) {
  Fixture f;
  f.Render();  // label written once
  f.spider->Disable();
  f.Set(kSixCells, 3800);  // still stored while greyed
  EXPECT_EQ(f.spider->Cells[2], 3810);
  for (int32_t viewMode : {1, 0}) {
    f.spider->ViewMode = viewMode;
    const QImage image = f.Render();
    EXPECT_EQ(Count(image, image.rect(), [](QRgb c) { return c == look::kInactiveBorder.rgb(); }),
              kWidth * kHeight);
  }
  EXPECT_EQ(f.host.cellsCaptions.size(), 1u);  // the label is left alone

  f.spider->ViewMode = 1;
  f.spider->Enable();
  const QImage image = f.Render();
  EXPECT_GT(Count(image, Around(15, Px(3800)), kRed), 0);  // the stored cells come back
  EXPECT_EQ(f.host.cellsCaptions.back(), "6 Cells");
}

TEST(TGraphSpider, ClicksDoNotReachItThroughADisabledBox) {
  Fixture f;
  f.box.setEnabled(false);
  f.Press(Qt::LeftButton);
  EXPECT_EQ(f.spider->ViewMode, 1);
  f.box.setEnabled(true);
  f.Press(Qt::LeftButton);
  EXPECT_EQ(f.spider->ViewMode, 0);
}

TEST(TGraphSpider, RadialViewPixels) {
  Fixture f;
  f.Set(kSixCells, 3800);
  const QImage image = f.Render();
  const double circle = Px(3800);
  struct Probe {
    const char* what;
    QRect area;
    const Pred& pred;
    bool expected;  // some pixel of the area matches
  };
  const Probe probes[] = {
      {"average text", QRect(10, 5, 140, 15), kBlue, true},
      {"deviation text", QRect(kWidth / 2 - 10, kHeight - 20, 110, 20), kRed, true},
      {"cell 1's first edge along the rightward axis", QRect(130, 96, 1, 1), kRed, true},
      {"cell 1 at the circle", Around(15, circle), kRed, true},
      {"cell 2 beyond the circle", Around(45, Px(3800 + 510)), kRed, true},
      {"cell 2 not at the circle", Around(45, circle, 1), kRed, false},
      {"cell 3 inside the circle", Around(75, Px(3800 - 510)), kRed, true},
      {"dotted circle under cell 3", Around(75, circle), kBlue, true},
      {"cell 6 ends at 180 degrees", QRect(45, 96, 40, 1), kRed, true},
      {"dotted circle at the bottom", Around(270, circle), kBlue, true},
      {"no sector in the lower half", Around(225, circle / 2, 10), kRed, false},
      {"no sector at the bottom", Around(300, circle - 5, 4), kRed, false},
      {"background", QRect(170, 150, 25, 15), kWhite, true},
  };
  for (const Probe& p : probes) {
    SCOPED_TRACE(p.what);
    EXPECT_EQ(Count(image, p.area, p.pred) > 0, p.expected);
  }
  EXPECT_EQ(Count(image, QRect(170, 150, 25, 15), kWhite), 25 * 15);
}

TEST(TGraphSpider, RadialViewFollowsTheFirstCellCountSlots) {
  // Cells 1, 2 and 4 set: sectors 1 to 3 are drawn (3 collapsed), not 4; the
  // 90-degree edge that only sectors 3 and 4 share stays white.
  struct Case {
    const char* name;
    std::vector<int32_t> cells;
    bool upwardEdge;  // red straight above the centre
    bool sector4Arc;
  };
  const Case cases[] = {
      {"four cells", {3800, 3800, 3800, 3800}, true, true},
      {"gap at cell 3", {3800, 3800, 0, 3800}, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Fixture f;
    f.Set(c.cells, 3800);
    const QImage image = f.Render();
    EXPECT_EQ(Count(image, QRect(100, 66, 1, 1), kRed) > 0, c.upwardEdge);
    EXPECT_EQ(Count(image, Around(105, Px(3800), 1), kRed) > 0, c.sector4Arc);
  }
}

TEST(TGraphSpider, NoCellDrawsNoSectorAndNoDot) {
  Fixture f;
  f.Set({}, 0);
  const QImage image = f.Render();
  // Everything between the two texts is white: the radius-0 circle leaves no dot.
  const QRect middle(0, 25, kWidth, kHeight - 50);
  EXPECT_EQ(Count(image, middle, kWhite), middle.width() * middle.height());
}

TEST(TGraphSpider, FarOffCellsDrawWithinTheControl) {
  Fixture f;
  f.Set({65535, 1}, 3000);  // one cell off the scale above, one below
  const QImage image = f.Render();
  EXPECT_GT(Count(image, QRect(101, 96, 99, 1), kRed), 90);  // cell 1's edge runs off the right side
  EXPECT_EQ(f.spider->MaxDeviation, 62535);
}

TEST(TGraphSpider, NumericListPixels) {
  Fixture f;
  f.Set(kSixCells, 3800);
  f.Press(Qt::LeftButton);
  ASSERT_EQ(f.spider->ViewMode, 0);
  const QImage image = f.Render();
  struct Probe {
    const char* what;
    QRect area;
    const Pred& pred;
    bool expected;
  };
  const balancer::Point first = balancer::ListPosition(1), last = balancer::ListPosition(12);
  const Probe probes[] = {
      {"average text", QRect(10, 5, 140, 15), kBlue, true},
      {"deviation text", QRect(kWidth / 2 - 10, kHeight - 20, 110, 20), kRed, true},
      {"cell 1 line", QRect(first.x, first.y, 90, 15), kBlack, true},
      {"cell 12 line", QRect(last.x, last.y, 80, 15), kBlack, true},
      {"no sector edge", QRect(101, 96, 99, 1), kRed, false},
      {"no circle", Around(270, Px(3800)), kBlue, false},
  };
  for (const Probe& p : probes) {
    SCOPED_TRACE(p.what);
    EXPECT_EQ(Count(image, p.area, p.pred) > 0, p.expected);
  }
  const QRect gutter(104, 40, 10, 115);  // between the two columns
  EXPECT_EQ(Count(image, gutter, kWhite), gutter.width() * gutter.height());
}

// The deviation text shows whole in either build, up to five digits: it
// holds as many red pixels on the control as drawn alone on a wide image.
TEST(TGraphSpider, DeviationTextShowsWhole) {
  struct Case {
    std::vector<int32_t> cells;
    int32_t average;
  };
  const Case cases[] = {{kSixCells, 3800}, {{3800}, 3800}, {{65535, 1}, 3000}};
  QFont font = look::Font("Comic Sans MS", false);  // a 15-pixel character cell, as the control sizes it
  font.setPixelSize(15);
  for (int px = 14; px > 1 && QFontMetrics(font).height() > 15; --px) font.setPixelSize(px);
  for (const Case& c : cases) {
    Fixture f;
    f.Set(c.cells, c.average);
    const QImage image = f.Render();
    const std::string text = balancer::MaxDeviationText(f.spider->MaxDeviation);
    SCOPED_TRACE(text);
    QImage alone(400, 20, QImage::Format_RGB32);
    alone.fill(Qt::white);
    {
      QPainter p(&alone);
      p.setFont(font);
      p.setPen(QColor(255, 0, 0));
      p.drawText(QPoint(20, QFontMetrics(font).ascent()), QString::fromStdString(text));
    }
    const QRect band(0, kHeight - 20, kWidth, 20);
    EXPECT_EQ(Count(image, band, kRed), Count(alone, alone.rect(), kRed));
    // Where it fits, it keeps its place: its first stroke just right of x 90.
    const QRect room(kWidth / 2 - 10, kHeight - 20, kWidth / 2 + 10, 20);
    if (Count(image, room, kRed) == Count(image, band, kRed)) {
      EXPECT_GT(Count(image, QRect(kWidth / 2 - 10, kHeight - 20, 3, 20), kRed), 0);
    }
  }
}

TEST(TGraphSpider, TextsComeFromTheCatalogue) {
  // The same texts in both builds' shape: the format entries with the values.
  EXPECT_EQ(balancer::AverageText(3800),
            std::string(texts::ActiveIsEnglish ? "Average = 3800 mV" : "Moyenne = 3800 mV"));
  EXPECT_EQ(balancer::MaxDeviationText(10),
            std::string(texts::ActiveIsEnglish ? "Diff Max =   10 mV" : "Ecart Max =   10 mV"));
  EXPECT_EQ(balancer::CellCountText(6), "6 Cells");
}
