// The curve control on its backing image: the grid of a new control, live
// segments and caption, repaint requests, mouse, disabled look, zoom.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QImage>
#include <QMouseEvent>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>

#include "plot/GraphHost.h"
#include "plot/gui/TGraph.h"
#include "texts/Catalogue.h"
#include "texts/TextIds.h"

namespace {

constexpr QRgb kBlue = 0xff0000ff, kRed = 0xffff0000, kGreen = 0xff008000, kBlack = 0xff000000,
               kWhite = 0xffffffff;

class FakeHost : public GraphHost {
 public:
  int32_t probe = 1;
  std::string status;
  int32_t ProbePresent() const override { return probe; }
  int32_t Fahrenheit() const override { return 0; }
  void SetStatusText(const char* text) override { status = text; }
};

std::unique_ptr<TGraph> NewGraph(GraphHost* host, int w = 705, int h = 193) {
  auto g = std::make_unique<TGraph>(nullptr, host);
  g->resize(w, h);
  return g;
}

QRgb Px(const TGraph& g, int x, int y) { return g.CanvasImage().pixel(x, y); }

// Antialiased text: a pixel counts as the colour when every channel is
// within 100 of it.
bool Near(QRgb p, QRgb c) {
  return std::abs(qRed(p) - qRed(c)) < 100 && std::abs(qGreen(p) - qGreen(c)) < 100 &&
         std::abs(qBlue(p) - qBlue(c)) < 100;
}

int CountNear(const TGraph& g, QRect r, QRgb colour) {
  int n = 0;
  r &= g.CanvasImage().rect();
  for (int y = r.top(); y <= r.bottom(); ++y)
    for (int x = r.left(); x <= r.right(); ++x) n += Near(Px(g, x, y), colour);
  return n;
}

int CountColour(const TGraph& g, QRect r, QRgb colour) {
  int n = 0;
  r &= g.CanvasImage().rect();
  for (int y = r.top(); y <= r.bottom(); ++y)
    for (int x = r.left(); x <= r.right(); ++x) n += Px(g, x, y) == colour;
  return n;
}

// The longest run of one colour along a row, and whether it occurs at all.
int LongestRun(const TGraph& g, int y, int x0, int x1, QRgb colour) {
  int best = 0, run = 0;
  for (int x = x0; x <= x1; ++x) {
    run = Px(g, x, y) == colour ? run + 1 : 0;
    best = std::max(best, run);
  }
  return best;
}

void Click(TGraph& g, int x, int y, Qt::MouseButton button) {
  QMouseEvent press(QEvent::MouseButtonPress, QPointF(x, y), g.mapToGlobal(QPointF(x, y)), button,
                    button, Qt::NoModifier);
  QApplication::sendEvent(&g, &press);
}

TEST(GraphPaint, NewControlShowsGridsAxesTicksAndLabelsAtTheInitialScales) {
  FakeHost host;
  auto g = NewGraph(&host);
  g->Paint();
  struct Grid {
    const char* what;
    int row;
    QRgb colour;
    QRect label;  // where its label is printed, if any
  };
  // Voltage lines every 500 mV (25.5 px), current lines every 1000 mA (30.6 px).
  const Grid grids[] = {
      {"3.50 V", 127, kBlue, QRect(20, 121, 29, 14)}, {"4.00 V", 102, kBlue, QRect(20, 96, 29, 14)},
      {"4.50 V", 76, kBlue, QRect(20, 70, 29, 14)},   {"5.00 V", 51, kBlue, QRect(20, 45, 29, 14)},
      {"5.50 V", 25, kBlue, QRect(20, 19, 29, 14)},   {"1.00 A", 122, kRed, QRect(660, 116, 26, 14)},
      {"2.00 A", 91, kRed, QRect(660, 85, 26, 14)},   {"3.00 A", 61, kRed, QRect(660, 55, 26, 14)},
      {"4.00 A", 30, kRed, QRect(660, 24, 26, 14)},
  };
  for (const Grid& gr : grids) {
    // Dotted: three pixels on, three off, from one axis to the other.
    EXPECT_EQ(LongestRun(*g, gr.row, 51, 654, gr.colour), 3) << gr.what;
    EXPECT_EQ(LongestRun(*g, gr.row, 51, 654, kWhite), 3) << gr.what;
    EXPECT_GT(CountColour(*g, QRect(51, gr.row, 604, 1), gr.colour), 280) << gr.what;
    EXPECT_EQ(CountColour(*g, QRect(51, gr.row - 1, 604, 1), gr.colour), 0) << gr.what;
    EXPECT_GT(CountNear(*g, gr.label, gr.colour), 10) << gr.what << " label";
  }
  // No label on the topmost lines, which share row 0.
  EXPECT_EQ(Px(*g, 51, 0), kBlue);
  // Axes: black, full plot height, the time axis across the plot.
  for (int y = 0; y <= 153; ++y) {
    EXPECT_EQ(Px(*g, 50, y), kBlack) << y;
    EXPECT_EQ(Px(*g, 655, y), kBlack) << y;
  }
  EXPECT_EQ(CountColour(*g, QRect(50, 153, 606, 1), kBlack), 606);
  // Ticks every 60 px from 110 to 590, 5 px above and below the axis.
  for (int i = 1; i <= 9; ++i) {
    const int x = 50 + 60 * i;
    EXPECT_EQ(CountColour(*g, QRect(x, 148, 1, 11), kBlack), 11) << x;
    EXPECT_NE(Px(*g, x, 147), kBlack) << x;
    EXPECT_NE(Px(*g, x, 159), kBlack) << x;
    EXPECT_EQ(Px(*g, x - 30, 150), kWhite) << x;
  }
  // Time labels below the axis, every 30 s = 60.5 px from 38 + 60.5.
  for (int i = 1; i <= 9; ++i) {
    const int x = 38 + static_cast<int>(i * 60.5);
    EXPECT_GT(CountNear(*g, QRect(x, 160, 45, 33), kBlack), 5) << "time label " << i;
  }
  // The capacity caption in green at (70, 8), the titles around the plot.
  EXPECT_GT(CountNear(*g, QRect(70, 8, 200, 16), kGreen), 50);
  EXPECT_GT(CountNear(*g, QRect(0, 0, 17, 96), kBlue), 50);     // voltage, reading upward
  EXPECT_GT(CountNear(*g, QRect(688, 32, 17, 160), kRed), 50);  // current, reading downward
  EXPECT_GT(CountNear(*g, QRect(300, 170, 60, 23), kBlack), 20);  // "Temps"
  EXPECT_EQ(CountNear(*g, QRect(51, 30, 604, 122), kGreen), 0);   // no curve
}

TEST(GraphPaint, DisabledControlShowsOnlyItsBackgroundButComputesItsScales) {
  FakeHost host;
  auto g = NewGraph(&host);
  g->Count = 2;
  g->Marker1Set = true;
  g->MarkerX1 = 300;
  g->Disable();
  EXPECT_TRUE(g->FullRedrawPending());
  g->Paint();
  const QRgb background = TGraph::InactiveBorderColor().rgb();
  EXPECT_EQ(CountColour(*g, g->CanvasImage().rect(), background), 705 * 193);
  EXPECT_NE(g->ScaleX, 0.0);
  EXPECT_NE(g->ScaleTemp, 0.0);
  g->Enable();
  g->Paint();
  EXPECT_EQ(Px(*g, 50, 10), kBlack);
}

TEST(GraphPaint, NoCurveBelowTwoSamples) {
  FakeHost host;
  auto a = NewGraph(&host), b = NewGraph(&host);
  b->Count = 1;
  b->Volt[0] = 1500;
  b->Curr[0] = 2000;
  a->Paint();
  b->Paint();
  QImage ia = a->CanvasImage().copy(), ib = b->CanvasImage().copy();
  // Apart from the caption, which shows the one capacity, nothing differs.
  for (QImage* img : {&ia, &ib})
    for (int y = 8; y < 26; ++y)
      for (int x = 70; x < 400; ++x) img->setPixel(x, y, kWhite);
  EXPECT_TRUE(ia == ib);
}

TEST(GraphPaint, TemperatureIsDrawnOnlyWhileTheProbeIsPresent) {
  FakeHost host;
  auto withTemps = NewGraph(&host), zeroTemps = NewGraph(&host);
  std::mt19937 rng(5);
  std::uniform_int_distribution<int> d(-50, 150);
  for (auto* g : {withTemps.get(), zeroTemps.get()}) {
    for (int k = 0; k < 300; ++k) {
      g->Time[k] = k;
      g->Volt[k] = 1000;
      g->Capa[k] = 10;
      g->Curr[k] = 1000;
    }
    g->Count = 300;
  }
  for (int k = 0; k < 300; ++k) withTemps->Temp[k] = d(rng);
  host.probe = 0;
  withTemps->Paint();
  zeroTemps->Paint();
  EXPECT_TRUE(withTemps->CanvasImage() == zeroTemps->CanvasImage());
  host.probe = 1;
  withTemps->Paint();
  zeroTemps->Paint();
  EXPECT_FALSE(withTemps->CanvasImage() == zeroTemps->CanvasImage());
}

TEST(GraphPaint, NegativeCurrentRunsBelowTheAxisAndLowVoltageLiesOnIt) {
  FakeHost host;
  auto g = NewGraph(&host);
  g->ComputeZeroScales(705, 193, true, false);
  g->ScaleX = 10;  // one sample every 10 px
  for (int k = 0; k < 3; ++k) {
    g->Time[k] = k;
    g->Volt[k] = k == 1 ? 1000 : -200;
    g->Curr[k] = -1000;  // 153 + 30.6
    g->Capa[k] = 50;
  }
  g->Count = 3;
  g->Paint();
  EXPECT_EQ(CountColour(*g, QRect(50, 183, 21, 1), kRed), 21);
  EXPECT_EQ(Px(*g, 50, 153), kBlue);   // from the axis...
  EXPECT_EQ(Px(*g, 60, 102), kBlue);   // ...up to 4.00 V...
  EXPECT_EQ(Px(*g, 70, 153), kBlue);   // ...and back onto the axis
}

TEST(GraphPaint, CurrentGridCollapsesOntoTheAxisWhenItsStepIsZero) {
  FakeHost host;
  auto g = NewGraph(&host);
  g->ComputeZeroScales(705, 193, true, false);
  g->ScaleCurr *= 1024;  // 153 / ScaleCurr below 5 mA
  g->Paint();
  EXPECT_EQ(CountColour(*g, QRect(51, 1, 604, 152), kRed), 0);
  // The four labels (0.00) all sit just above the axis.
  EXPECT_GT(CountNear(*g, QRect(660, 147, 30, 16), kRed), 10);
  EXPECT_EQ(CountNear(*g, QRect(660, 20, 30, 110), kRed), 0);
}

TEST(GraphPaint, AControlWithoutPlotDrawsOnlyItsBackground) {
  FakeHost host;
  for (QSize size : {QSize(90, 193), QSize(705, 30), QSize(100, 40)}) {
    auto g = NewGraph(&host, size.width(), size.height());
    for (int k = 0; k < 5; ++k) g->AddSample(1000 + k, k, 1000, 20);
    EXPECT_EQ(g->Count, 5);
    g->Paint();
    EXPECT_EQ(CountColour(*g, g->CanvasImage().rect(), kWhite), size.width() * size.height());
    g->GraphMouseDown(curve::Button::Left, size.width() / 2, 5);
    g->GraphMouseDown(curve::Button::Left, 0, 5);
    EXPECT_FALSE(g->Marker1Set && g->ScaleX == 0.0);
  }
}

TEST(GraphLive, ANewSampleDrawsItsSegmentsAndCaptionWithoutAFullRepaint) {
  FakeHost host;
  auto g = NewGraph(&host);
  g->Paint();
  g->AddSample(1000, 20, 2000, 40);
  EXPECT_FALSE(g->FullRedrawPending());
  g->AddSample(1000, 30, -1000, 40);
  EXPECT_FALSE(g->FullRedrawPending());
  // Voltage flat at 4.00 V from x 50 to 52, current from 91 down to 183.
  EXPECT_EQ(Px(*g, 51, 102), kBlue);
  EXPECT_EQ(Px(*g, 52, 102), kBlue);
  EXPECT_EQ(Px(*g, 52, 183), kRed);
  EXPECT_GT(CountNear(*g, QRect(70, 8, 250, 16), kGreen), 50);
  EXPECT_EQ(std::string(g->CapacityCaption),
            std::string(UserTexts(txt::TitleCapacity)) + " : 30 mA       ");
  EXPECT_EQ(g->SampleCount(), 2);
}

// The full drawing writes the caption in a larger face than the live one:
// the first live caption after it must leave nothing of the old one beside or
// below it, whatever the build's caption text.
TEST(GraphLive, TheLiveCaptionLeavesNothingOfTheFullDrawingsCaption) {
  FakeHost host;
  auto g = NewGraph(&host);
  for (int k = 0; k < 20; ++k) g->AddSample(1000, 1000 + k, 1000, 20);
  QFont live("Comic Sans MS");  // 8 points at 96 dpi, as the live caption draws it
  live.setPixelSize(11);
  live.setStyleStrategy(QFont::PreferNoShaping);
  const QFontMetrics fm(live);
  const std::string next = std::string(UserTexts(txt::TitleCapacity)) + " : 1020 mA       ";
  const int right = 70 + fm.horizontalAdvance(QString::fromStdString(next));
  const int bottom = 8 + fm.ascent() + fm.descent();
  const int marker = right + 6;  // a marker line through the old caption's tail
  g->GraphMouseDown(curve::Button::Left, marker, 50);
  g->Paint();
  const QImage before = g->CanvasImage().copy(marker, 8, 1, 15);
  g->AddSample(1000, 1020, 1000, 20);
  ASSERT_FALSE(g->FullRedrawPending());
  ASSERT_EQ(std::string(g->CapacityCaption), next);
  // The old caption's cell is 15 rows high from row 8; row 25 holds a grid line.
  const QRect beside(right, 8, marker - right, 15), below(70, bottom, right - 70, 23 - bottom);
  ASSERT_GT(CountColour(*g, QRect(marker, 8, 1, 15), kBlack), 0);
  EXPECT_EQ(CountColour(*g, beside, kWhite), beside.width() * beside.height());
  EXPECT_EQ(CountColour(*g, below, kWhite), below.width() * below.height());
  for (int y = 0; y < 15; ++y)  // the marker line's dots stay, the old ink goes
    EXPECT_EQ(Px(*g, marker, 8 + y), before.pixel(0, y) == kBlack ? kBlack : kWhite) << y;
  EXPECT_GT(CountNear(*g, QRect(70, 8, right - 70, bottom - 8), kGreen), 50);
}

TEST(GraphLive, AGrowingScaleAsksForAFullRepaint) {
  FakeHost host;
  auto g = NewGraph(&host);
  g->Paint();
  g->AddSample(1000, 10, 1000, 20);
  g->AddSample(1000, 97, 1000, 20);
  EXPECT_FALSE(g->FullRedrawPending());
  const double capa = g->ScaleCapa;
  g->AddSample(1000, 99, 1000, 20);
  EXPECT_TRUE(g->FullRedrawPending());
  EXPECT_DOUBLE_EQ(g->ScaleCapa, capa * 2 / 3);
  g->Paint();
  EXPECT_FALSE(g->FullRedrawPending());
}

TEST(GraphLive, AFullStoreRefusesTheSampleOnTheStatusLine) {
  FakeHost host;
  auto g = NewGraph(&host);
  g->Paint();
  g->Count = curve::kCapacity;
  g->AddSample(1000, 10, 1000, 20);
  EXPECT_EQ(g->Count, curve::kCapacity);
  EXPECT_EQ(host.status, UserTexts(txt::TooManySamples));
  EXPECT_FALSE(g->FullRedrawPending());
  // Without a host the sample is dropped all the same.
  auto lone = NewGraph(nullptr);
  lone->Count = curve::kCapacity;
  lone->AddSample(1000, 10, 1000, 20);
  EXPECT_EQ(lone->Count, curve::kCapacity);
}

TEST(GraphMouse, ButtonsOnTheMarginsChangeScalesAndInThePlotPlaceMarkers) {
  FakeHost host;
  auto g = NewGraph(&host);
  g->Paint();
  const double volt = g->ScaleVolt, curr = g->ScaleCurr;
  Click(*g, 10, 50, Qt::LeftButton);
  EXPECT_DOUBLE_EQ(g->ScaleVolt, volt / 2);
  EXPECT_TRUE(g->FullRedrawPending());
  Click(*g, 700, 50, Qt::MiddleButton);
  EXPECT_DOUBLE_EQ(g->ScaleCurr, curr * 2);
  g->Paint();
  g->ChangeScale(690, curve::Button::Left);
  EXPECT_DOUBLE_EQ(g->ScaleCurr, curr);
  EXPECT_TRUE(g->FullRedrawPending());
  g->Paint();

  // First left click: a dotted black line at once, no full repaint.
  Click(*g, 300, 50, Qt::LeftButton);
  EXPECT_TRUE(g->Marker1Set);
  EXPECT_FALSE(g->FullRedrawPending());
  int black = 0;
  for (int y = 0; y < 193; ++y) black += Px(*g, 300, y) == kBlack;
  EXPECT_GT(black, 60);
  EXPECT_LT(black, 150);
  // Second: marker 2, drawn at once too; third: marker 2 moves, full repaint.
  Click(*g, 400, 50, Qt::LeftButton);
  EXPECT_TRUE(g->Marker2Set);
  EXPECT_FALSE(g->FullRedrawPending());
  Click(*g, 450, 50, Qt::LeftButton);
  EXPECT_TRUE(g->FullRedrawPending());
  EXPECT_EQ(g->MarkerX2, 450);
  EXPECT_EQ(g->MarkerX1, 300);
  g->Paint();
  Click(*g, 450, 50, Qt::RightButton);
  EXPECT_FALSE(g->Marker1Set || g->Marker2Set);
  EXPECT_TRUE(g->FullRedrawPending());
}

TEST(GraphZoom, ExtractRepaintsOnlyWhenItKeptSomething) {
  FakeHost host;
  auto g = NewGraph(&host);
  for (int k = 0; k < 200; ++k) g->AddSample(1000 + k, k, 1000, 20);
  g->Paint();
  g->GraphMouseDown(curve::Button::Left, 252, 50);  // 100 s
  g->Extract();                                     // one marker: nothing
  EXPECT_FALSE(g->FullRedrawPending());
  EXPECT_EQ(g->Count, 200);
  g->GraphMouseDown(curve::Button::Left, 151, 50);  // 50 s
  g->Extract();
  EXPECT_TRUE(g->FullRedrawPending());
  EXPECT_EQ(g->Count, 50);
  EXPECT_EQ(g->Volt[0], 1050.0);
  EXPECT_FALSE(g->Marker1Set || g->Marker2Set);
}

TEST(GraphReset, ResetKeepsMarkersAndDisabledAndClearAlsoRepaints) {
  FakeHost host;
  auto g = NewGraph(&host);
  for (int k = 0; k < 20; ++k) g->AddSample(1000, k, 1000, 20);
  g->GraphMouseDown(curve::Button::Left, 100, 50);
  g->Disabled = true;
  g->Paint();
  g->Reset();
  EXPECT_EQ(g->Count, 0);
  EXPECT_EQ(g->ScaleX, 0.0);
  EXPECT_TRUE(g->Marker1Set && g->Disabled);
  EXPECT_FALSE(g->FullRedrawPending());
  for (int k = 0; k < 20; ++k) g->AddSample(1000, k, 1000, 20);
  g->Clear();
  EXPECT_EQ(g->SampleCount(), 0);
  EXPECT_EQ(g->ScaleVolt, 0.0);
  EXPECT_TRUE(g->Marker1Set && g->Disabled);
  EXPECT_TRUE(g->FullRedrawPending());
}

}  // namespace
