#include "plot/CurvePath.h"

#include <algorithm>

void EmitEverySegment(const CurveStore& store, const CurvePathRequest& request,
                      CurvePathSink& sink) {
  for (int32_t j = 1; j < store.Count; ++j)
    for (int s = 0; s < curve::kSeriesCount; ++s)
      if (request.series[s])
        sink.Segment(s, store.DevicePoint(s, j - 1, request.height, request.map),
                     store.DevicePoint(s, j, request.height, request.map));
}

void CurveColumnPath::Emit(const CurveStore& store, const CurvePathRequest& request,
                           CurvePathSink& sink) {
  const int32_t n = store.Count;
  if (n < 2) return;
  int32_t first = 0;
  int32_t x = store.DeviceX(0, request.map);
  for (int32_t k = 1; k < n; ++k) {
    const int32_t xk = store.DeviceX(k, request.map);
    if (xk == x) continue;
    EmitColumn(store, request, first, k - 1, x, sink);
    // The step into the next column, as it is.
    for (int s = 0; s < curve::kSeriesCount; ++s)
      if (request.series[s])
        sink.Segment(s, store.DevicePoint(s, k - 1, request.height, request.map),
                     store.DevicePoint(s, k, request.height, request.map));
    first = k;
    x = xk;
  }
  EmitColumn(store, request, first, n - 1, x, sink);
}

// Samples first..last share column x, so steps first+1..last are vertical
// lines there. Walking the steps backwards, the pixels a series covers from
// step k on form one interval that only widens; each widening is a run that
// this series owns from step k. Drawing all runs of all series in the order
// (step, series) leaves on every pixel the colour of the last step that
// covered it, as the step-by-step drawing does.
void CurveColumnPath::EmitColumn(const CurveStore& store, const CurvePathRequest& request,
                                 int32_t first, int32_t last, int32_t x, CurvePathSink& sink) {
  if (last <= first) return;
  const int32_t clipTop = request.clipTop;
  const int32_t clipBottom = request.clipBottom;
  if (clipTop > clipBottom || x < request.clipLeft || x > request.clipRight) return;
  pieces_.clear();
  auto keep = [&](int32_t step, int s, int32_t top, int32_t bottom) {
    top = std::max(top, clipTop);
    bottom = std::min(bottom, clipBottom);
    if (top <= bottom) pieces_.push_back({step, s, top, bottom});
  };
  for (int s = 0; s < curve::kSeriesCount; ++s) {
    if (!request.series[s]) continue;
    int32_t y = store.DeviceY(s, last, request.height, request.map);
    const int32_t v = store.DeviceY(s, last - 1, request.height, request.map);
    int32_t lo = std::min(y, v), hi = std::max(y, v);
    keep(last, s, lo, hi);
    for (int32_t k = last - 1; k > first; --k) {
      // Once the column is covered from top to bottom, older steps show nowhere.
      if (lo <= clipTop && hi >= clipBottom) break;
      y = store.DeviceY(s, k - 1, request.height, request.map);
      if (y < lo) {
        keep(k, s, y, lo - 1);
        lo = y;
      } else if (y > hi) {
        keep(k, s, hi + 1, y);
        hi = y;
      }
    }
  }
  std::sort(pieces_.begin(), pieces_.end(), [](const Piece& a, const Piece& b) {
    return a.step != b.step ? a.step < b.step : a.series < b.series;
  });
  for (const Piece& p : pieces_) sink.Run(p.series, x, p.top, p.bottom);
}
