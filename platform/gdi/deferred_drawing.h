// Drawing on a second thread while the caller goes on working out what comes next: a batch
// tool drawing a big slide spends as long decoding its vectors as putting their pixels down.
// What is put off is drawn in the order given, so the picture is the same as drawn at once;
// everything else that touches pixels settles the drawing first.
#pragma once

#include "platform/gdi/raster.h"

namespace gdi::raster {

// Whether drawing may be put off (off by default). Only for drawings nothing else reads while
// they are made, as in batch work: a window showing its drawing as it goes settles so often
// that the threads gain nothing there. What is put off is drawn by `bands` threads (at most 2, and
// one a core), each in its own band of rows of the picture.
void DeferDrawing(bool on, int bands = 1);

// Smaller pictures draw faster than threads start and take their work.
constexpr int64_t kBandedDrawingMinPixels = int64_t{1} << 20;

// Drawing put off, when on, for as long as it lives.
struct DeferredDrawing {
  explicit DeferredDrawing(bool on = true, int bands = 1) { DeferDrawing(on, bands); }
  ~DeferredDrawing() { DeferDrawing(false); }
  DeferredDrawing(const DeferredDrawing&) = delete;
  DeferredDrawing& operator=(const DeferredDrawing&) = delete;
};

// Each takes what to draw later and returns true, or returns false for the caller to draw it
// now. A pixel must lie on the canvas.
bool DeferLine(const Canvas& canvas, DevicePoint a, DevicePoint b, int width, COLORREF colour);
bool DeferFill(const Canvas& canvas, const DevicePoint* pts, int count, COLORREF colour);
bool DeferPixel(const Canvas& canvas, DevicePoint p, COLORREF colour);

// Everything put off is on its canvas when this returns; cheap when there is nothing.
void SettleDrawing();

}  // namespace gdi::raster
