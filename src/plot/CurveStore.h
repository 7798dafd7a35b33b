#pragma once
// The data of one curve control, without any widget: the fixed sample store,
// the five scales and their growth, the two time markers, the zoom between
// them, and the geometry that maps a sample onto the control. TGraph derives
// from it and only adds the drawing, so everything here is reachable from
// plain unit tests.
#include <cstdint>

namespace curve {

// 36 h 24 min 32 s at one sample a second.
constexpr int32_t kCapacity = 131072;

// Series in drawing order: at a crossing the later one lies on top.
enum Series : int { kTemp = 0, kVolt = 1, kCapa = 2, kCurr = 3, kSeriesCount = 4 };

enum class Button { Left, Right, Middle };

// Double to whole pixels, toward zero. A value that is not a number maps to 0
// and values beyond a billion pixels are held there, so that no scale the
// user can reach (a scale doubled until it is infinite, say) makes the
// conversion undefined. Every point that is drawn goes through here.
inline int32_t TruncPixel(double v) {
  constexpr double kLimit = 1.0e9;
  if (!(v == v)) return 0;
  if (v > kLimit) return static_cast<int32_t>(kLimit);
  if (v < -kLimit) return -static_cast<int32_t>(kLimit);
  return static_cast<int32_t>(v);
}

// Where the control's own pixel space lands on a canvas: device point =
// trunc(xo + a * x), trunc(yo + a * y). The screen uses a = 1 and no offset.
struct Mapping {
  int32_t a = 1;
  int32_t xo = 0;
  int32_t yo = 0;
  int32_t X(double x) const { return TruncPixel(xo + a * x); }
  int32_t Y(double y) const { return TruncPixel(yo + a * y); }
};

struct Point {
  int32_t x = 0;
  int32_t y = 0;
};

}  // namespace curve

class CurveStore {
 public:
  // What one new sample asks the control to draw on its canvas, in this
  // order: the temperature, voltage and capacity segments, the capacity
  // caption (text in CapacityCaption), then the current segment.
  struct LiveStep {
    bool Stored = false;   // false: the store was full and the sample dropped
    bool Drawn = false;    // segments and caption below are to be drawn
    bool Grew = false;     // a scale grew: the whole control must be redrawn
    bool HasSegment[curve::kSeriesCount] = {};
    curve::Point From[curve::kSeriesCount];
    curve::Point To[curve::kSeriesCount];
    curve::Point Caption;
  };

  // What a mouse-down asks of the control.
  enum class MouseResult { Nothing, Repaint, DrawMarker };

  CurveStore();
  // Some 4.5 MiB: never copied.
  CurveStore(const CurveStore&) = delete;
  CurveStore& operator=(const CurveStore&) = delete;

  // Public store, read directly by the main window and the curve files.
  int32_t Count = 0;
  int32_t Time[curve::kCapacity] = {};
  double Volt[curve::kCapacity] = {};  // mV less the 3000 mV offset
  double Capa[curve::kCapacity] = {};  // mAh
  double Curr[curve::kCapacity] = {};  // mA
  double Temp[curve::kCapacity] = {};  // whole degrees, C or F

  int32_t MarginBottom = 0;  // pixels under the plot for the time axis
  int32_t MarginLeft = 0;    // pixels of the left margin, and of the right one
  bool Disabled = false;
  double ScaleX = 0.0;       // pixels per second; 0.0 means not yet computed
  double ScaleVolt = 0.0;    // pixels per mV
  double ScaleCapa = 0.0;    // pixels per mAh
  double ScaleCurr = 0.0;    // pixels per mA
  double ScaleTemp = 0.0;    // pixels per degree
  int32_t MarkerTime2 = 0;
  int32_t MarkerTime1 = 0;
  int32_t MarkerX2 = 0;
  int32_t MarkerX1 = 0;
  bool Marker2Set = false;
  bool Marker1Set = false;
  char CapacityCaption[254] = {};
  char TextBuffer[256] = {};

  // Geometry of a control of the given size.
  int32_t PlotHeight(int32_t height) const { return height - MarginBottom; }
  int32_t PlotWidth(int32_t width) const { return width - 2 * MarginLeft; }
  // A control too small to hold a plot has zero scales and draws no curve.
  bool HasPlot(int32_t width, int32_t height) const {
    return PlotHeight(height) > 0 && PlotWidth(width) > 0;
  }

  // Forgets the samples, the scales and the margins; markers and Disabled stay.
  void Reset();

  // Computes every scale still at 0.0 from the plot size, temperature first
  // (only while the probe is present), then voltage, current, capacity, time.
  void ComputeZeroScales(int32_t width, int32_t height, bool probePresent, bool fahrenheit);

  // Stores one sample, computes the zero scales, works out the live segments
  // and tests each series for growth. A full store refuses the sample.
  LiveStep StoreSample(int32_t volt, int32_t capa, int32_t curr, int32_t temp,
                       int32_t width, int32_t height, bool probePresent, bool fahrenheit);

  // Mouse-down at column x. DrawMarker: draw the marker line at x now.
  MouseResult MouseDown(curve::Button button, int32_t x, int32_t width);

  // A click in a margin: left halves that margin's scale, any other button
  // doubles it.
  void ChangeScale(int32_t x, curve::Button button, int32_t width);

  // Zoom between the two markers. Returns true when the store changed and the
  // control must be redrawn; false when there was nothing to zoom (fewer than
  // two markers, or no whole second between them within the store).
  bool Extract();

  // The capacity caption: the catalogue title, then the last capacity when
  // there are samples.
  void BuildCapacityCaption();

  // Device point of sample k of a series on a control of the given height.
  // The voltage is held on the time axis at and below the 3000 mV offset.
  int32_t DeviceX(int32_t k, const curve::Mapping& m) const {
    return m.X(MarginLeft + Time[k] * ScaleX);
  }
  int32_t DeviceY(int series, int32_t k, int32_t height, const curve::Mapping& m) const;
  curve::Point DevicePoint(int series, int32_t k, int32_t height, const curve::Mapping& m) const {
    return {DeviceX(k, m), DeviceY(series, k, height, m)};
  }
};
