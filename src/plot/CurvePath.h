#pragma once
// Turning the stored samples into drawing primitives.
//
// The reference picture joins every pair of neighbouring samples with its own
// move and line, series after series within each sample step, so at a crossing
// the later series of the later step lies on top. With a day of samples on a
// few hundred pixel columns that is half a million lines, most of them
// vertical runs inside one column. CurveColumnPath gives the same pixels with a
// few primitives per column: lines between columns are kept as they are, and
// the vertical lines inside a column are replaced by the runs of pixels that
// each series owns last, drawn in the order of the step that last covered
// them. That needs only one property of the canvas: a line whose two ends
// share a column covers exactly the pixels from one end to the other, both
// ends included (a line of zero length covers its one pixel).
#include <cstdint>
#include <vector>

#include "plot/CurveStore.h"

class CurvePathSink {
 public:
  virtual ~CurvePathSink() = default;
  // One move to `from` and one line to `to`, in the series' colour.
  virtual void Segment(int series, curve::Point from, curve::Point to) = 0;
  // Pixels (x, top) to (x, bottom), both included, top <= bottom, already
  // clipped to the request's rows.
  virtual void Run(int series, int32_t x, int32_t top, int32_t bottom) = 0;
};

struct CurvePathRequest {
  int32_t height = 0;         // control height, for the plot height
  curve::Mapping map;         // control pixels to device pixels
  bool series[curve::kSeriesCount] = {};  // series drawn
  // Device pixels that can show anything; runs outside are never emitted.
  int32_t clipLeft = 0;
  int32_t clipRight = 0;
  int32_t clipTop = 0;
  int32_t clipBottom = 0;
};

// The reference: every segment of every series, one move and one line each.
void EmitEverySegment(const CurveStore& store, const CurvePathRequest& request,
                      CurvePathSink& sink);

// The same pixels, grouped by device column. The pieces of one column are
// kept from call to call; they never hold more than four runs per visible row.
class CurveColumnPath {
 public:
  void Emit(const CurveStore& store, const CurvePathRequest& request, CurvePathSink& sink);

 private:
  struct Piece {
    int32_t step;  // sample index that last covered these pixels
    int32_t series;
    int32_t top;
    int32_t bottom;
  };
  void EmitColumn(const CurveStore& store, const CurvePathRequest& request, int32_t first,
                  int32_t last, int32_t x, CurvePathSink& sink);
  std::vector<Piece> pieces_;
};
