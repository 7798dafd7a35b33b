#include "plot/CurveStore.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <utility>

#include "texts/Catalogue.h"
#include "texts/TextIds.h"

using curve::Button;
using curve::Point;

namespace {
// Scale factors, held in extended precision: the product is rounded once,
// when it is stored into the double scale.
constexpr long double kTimePerWidth = 1.0L / 300.0L;      // 300 s across the plot
constexpr long double kVoltPerHeight = 1.0L / 3000.0L;    // 3000 mV up the plot
constexpr long double kCapaPerHeight = 0.01L;             // 100 mAh
constexpr long double kCurrPerHeight = 0.0002L;           // 5000 mA
constexpr long double kCelsiusPerHeight = 1.0L / 80.0L;   // 80 degrees C
constexpr long double kFahrenheitPerHeight = 1.0L / 176.0L;  // 176 degrees F
constexpr long double kCapaGrowth = 2.0L / 3.0L;
constexpr double kHalf = 0.5;
// Vertical scales grow when a value reaches this share of the plot height.
constexpr double kHeadroom = 0.98;

double Scaled(int32_t size, long double factor) {
  return static_cast<double>(size * factor);
}
}  // namespace

CurveStore::CurveStore() { Reset(); }

void CurveStore::Reset() {
  Count = 0;
  ScaleX = ScaleVolt = ScaleCurr = ScaleCapa = ScaleTemp = 0.0;
  MarginBottom = 40;
  MarginLeft = 50;
}

void CurveStore::ComputeZeroScales(int32_t width, int32_t height, bool probePresent,
                                   bool fahrenheit) {
  // Without a plot the scales stay at 0.0: a negative or zero scale would
  // turn every later division into nonsense.
  const int32_t hp = PlotHeight(height);
  const int32_t wp = PlotWidth(width);
  if (hp > 0) {
    if (probePresent && ScaleTemp == 0.0)
      ScaleTemp = Scaled(hp, fahrenheit ? kFahrenheitPerHeight : kCelsiusPerHeight);
    if (ScaleVolt == 0.0) ScaleVolt = Scaled(hp, kVoltPerHeight);
    if (ScaleCurr == 0.0) ScaleCurr = Scaled(hp, kCurrPerHeight);
    if (ScaleCapa == 0.0) ScaleCapa = Scaled(hp, kCapaPerHeight);
  }
  if (wp > 0 && ScaleX == 0.0) ScaleX = Scaled(wp, kTimePerWidth);
}

int32_t CurveStore::DeviceY(int series, int32_t k, int32_t height,
                            const curve::Mapping& m) const {
  const double hp = PlotHeight(height);
  switch (series) {
    case curve::kTemp: return m.Y(hp - Temp[k] * ScaleTemp);
    case curve::kVolt: return m.Y(Volt[k] > 0 ? hp - Volt[k] * ScaleVolt : hp);
    case curve::kCapa: return m.Y(hp - Capa[k] * ScaleCapa);
    default: return m.Y(hp - Curr[k] * ScaleCurr);
  }
}

// Runs once per stored sample, a whole imported file included, so it copies
// and converts instead of going through formatted printing.
void CurveStore::BuildCapacityCaption() {
  constexpr char kUnit[] = " mA       ";
  const char* title = UserTexts(txt::TitleCapacity);
  const size_t room = sizeof CapacityCaption - 1;
  size_t used = std::min(std::strlen(title), room);
  std::memcpy(CapacityCaption, title, used);
  if (Count > 0) {
    char* p = TextBuffer;
    std::memcpy(p, " : ", 3);
    p = std::to_chars(p + 3, TextBuffer + 16, curve::TruncPixel(Capa[Count - 1])).ptr;
    std::memcpy(p, kUnit, sizeof kUnit);  // with its terminator
    const size_t add = std::min(static_cast<size_t>(p - TextBuffer) + sizeof kUnit - 1, room - used);
    std::memcpy(CapacityCaption + used, TextBuffer, add);
    used += add;
  }
  CapacityCaption[used] = '\0';
}

CurveStore::LiveStep CurveStore::StoreSample(int32_t volt, int32_t capa, int32_t curr,
                                             int32_t temp, int32_t width, int32_t height,
                                             bool probePresent, bool fahrenheit) {
  LiveStep step;
  if (Count >= curve::kCapacity) return step;
  step.Stored = true;

  const int32_t i = Count;
  Time[i] = i;
  Temp[i] = temp;
  Volt[i] = volt;
  Capa[i] = capa;
  Curr[i] = curr;
  ComputeZeroScales(width, height, probePresent, fahrenheit);

  // The first sample has nothing to join; a control without a plot has
  // nothing to draw on and nothing to grow into.
  if (i >= 1 && HasPlot(width, height)) {
    step.Drawn = true;
    const curve::Mapping screen;
    const double limit = kHeadroom * PlotHeight(height);
    auto segment = [&](int series) {
      step.HasSegment[series] = true;
      step.From[series] = DevicePoint(series, i - 1, height, screen);
      step.To[series] = DevicePoint(series, i, height, screen);
    };
    // Each series is drawn with its scale before its own growth test, and
    // grows at most one step per sample.
    if (probePresent) {
      segment(curve::kTemp);
      if (Temp[i] * ScaleTemp >= limit) {
        ScaleTemp *= kHalf;
        step.Grew = true;
      }
    }
    segment(curve::kVolt);
    if (Volt[i] * ScaleVolt >= limit) {
      ScaleVolt *= kHalf;
      step.Grew = true;
    }
    segment(curve::kCapa);
    if (Capa[i] * ScaleCapa >= limit) {
      ScaleCapa = static_cast<double>(ScaleCapa * kCapaGrowth);
      step.Grew = true;
    }
    Count = i + 1;  // the caption shows this sample's capacity
    BuildCapacityCaption();
    step.Caption = {curve::TruncPixel(width * 0.1), 8};
    segment(curve::kCurr);
    if (Curr[i] * ScaleCurr >= limit) {
      ScaleCurr *= kHalf;
      step.Grew = true;
    }
    if (!(PlotWidth(width) > Time[i] * ScaleX)) {
      ScaleX *= kHalf;
      step.Grew = true;
    }
  }
  Count = i + 1;
  return step;
}

CurveStore::MouseResult CurveStore::MouseDown(Button button, int32_t x, int32_t width) {
  // The plot runs from the left axis to the right axis, both columns
  // included: a click on the left axis is a marker at time 0, as a click on
  // the right axis is a marker at the right end.
  if (x < MarginLeft || x > width - MarginLeft) {
    ChangeScale(x, button, width);
    return MouseResult::Repaint;
  }
  switch (button) {
    case Button::Left: {
      // Without a time scale there is no time under the click.
      if (!(ScaleX > 0.0)) return MouseResult::Nothing;
      const int32_t t = curve::TruncPixel((x - MarginLeft) / ScaleX);
      if (Marker1Set) {
        MarkerX2 = x;
        MarkerTime2 = t;
        const bool moved = Marker2Set;
        Marker2Set = true;
        return moved ? MouseResult::Repaint : MouseResult::DrawMarker;
      }
      MarkerX1 = x;
      MarkerTime1 = t;
      Marker1Set = true;
      return MouseResult::DrawMarker;
    }
    case Button::Right:
      Marker1Set = Marker2Set = false;
      return MouseResult::Repaint;
    case Button::Middle:
      break;
  }
  return MouseResult::Nothing;
}

void CurveStore::ChangeScale(int32_t x, Button button, int32_t width) {
  const double factor = button == Button::Left ? 0.5 : 2.0;
  if (x < MarginLeft) ScaleVolt *= factor;
  if (x > width - MarginLeft) ScaleCurr *= factor;
}

bool CurveStore::Extract() {
  if (!(Marker1Set && Marker2Set)) return false;
  int32_t start = MarkerTime1, end = MarkerTime2;
  int32_t startX = MarkerX1, endX = MarkerX2;
  if (end < start) {
    std::swap(start, end);
    std::swap(startX, endX);
  }
  if (Count < end) end = Count;
  // No whole second to keep (both markers in one second, or the first one at
  // or past the last sample): zooming would divide by a span of zero or less,
  // so the curve, its scales and its markers stay as they are.
  if (end <= start) return false;

  MarkerTime1 = start;
  MarkerTime2 = end;
  MarkerX1 = startX;
  MarkerX2 = endX;
  ScaleX = Count * ScaleX / (end - start);
  Count = 0;
  for (int32_t j = start; j < end; ++j) {
    Time[Count] = Count;
    Volt[Count] = Volt[j];
    Capa[Count] = Capa[j];
    Curr[Count] = Curr[j];
    Temp[Count] = Temp[j];
    ++Count;
  }
  Marker1Set = Marker2Set = false;
  return true;
}
