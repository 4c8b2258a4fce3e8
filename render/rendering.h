// AutoShade rendering slides: the header as the loader reads it, and the renderer.
#pragma once

#include <cstdint>

#include "platform/gdi/gdi.h"
#include "platform/window.h"
#include "render/acacol.h"
#include "slide/slide_types.h"

namespace lanterna {

constexpr uint32_t kRenderingShortHeaderAt = 28;
constexpr uint32_t kRenderingLongHeaderAt = 110;
constexpr uint32_t kRenderingHeaderBlockLength = 18;

struct RenderingHeader {
  char text[40] = {};                               // the first 40 bytes of the block
  char description[71] = {};                        // long variant only
  uint8_t block[kRenderingHeaderBlockLength] = {};  // the fixed header block
  uint16_t width = 0;
  uint16_t height = 0;
  float pixelAspect = 1.0f;  // pixel height / pixel width; 1 when the width is 0
  uint32_t dataStart = 0;    // the first record
};

// False when the block lacks the signature.
bool ParseRenderingHeader(const uint8_t* data, uint32_t size, RenderingHeader* out);
void FillRenderingInfo(SlideInfo* info, const RenderingHeader& h);

// What DrawRendering returns besides the pending-input test's -1 or 0.
constexpr int kRenderingComplete = 1;     // the data ran out
constexpr int kRenderingStopped = -1000;  // classified, refused (scanline to DXF) or cancelled

// Render types an information pass stores in SlideInfo::renderType.
constexpr int32_t kRenderUnknown = 0;
constexpr int32_t kRenderScanline = 1;
constexpr int32_t kRenderMappedPolygons = 2;
constexpr int32_t kRenderContinuousPolygons = 3;

// The measured left and top of a view that has not been measured yet.
constexpr int32_t kUnmeasuredOrigin = 2222;

// Decodes the records of the loader's block from its cursor up to size. With info it only
// classifies the slide and fills the statistics; with a view not measured yet it only finds
// the extent the records cover and stores it in the view; otherwise it draws on dc, copying
// the picture to windowDC as it goes, and also writes the polygons as DXF when dxfOn.
int DrawRendering(gdi::HDC dc, uint32_t size, const RenderingHeader& header, ViewState* view,
                  SlidePalette* palette, gdi::HDC windowDC, SlideInfo* info, platform::HWND owner,
                  bool dxfOn, float aspect);

// Set on this thread when a record is cut short by the end of the data: the picture lacks it.
// The renderer never clears it; whoever asks clears it before the drawing.
bool& RenderingCutShort();

// The colour map of the slide being drawn, indices 0-256. FuncColorMap scales and stores one
// entry (unless store is false) and returns its colour reference.
gdi::COLORREF FuncColorMap(bool store, int index, int red, int green, int blue);
gdi::COLORREF MapColorRef(int index);
// Builds the slide's palette from the colour map, or restores the colour map from the palette
// the SlidePalette already holds; then selects and realises it (256-entry palette devices).
void SelectSlidePalette();

}  // namespace lanterna
