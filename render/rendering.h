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
  char text[40] = {};          // the first 40 bytes of the block
  char description[71] = {};   // long variant only
  uint8_t block[kRenderingHeaderBlockLength] = {};  // the fixed header block
  uint16_t width = 0;
  uint16_t height = 0;
  float pixelAspect = 1.0f;  // pixel height / pixel width; 1 when the width is 0
  uint32_t dataStart = 0;    // the first record
};

// False when the block lacks the signature.
bool ParseRenderingHeader(const uint8_t* data, uint32_t size, RenderingHeader* out);
void FillRenderingInfo(SlideInfo* info, const RenderingHeader& h);

// Draws (or measures, reports, converts) the records of a rendering slide on dc.
int DrawRendering(gdi::HDC dc, uint32_t size, const RenderingHeader& header, ViewState* view,
                  SlidePalette* palette, gdi::HDC windowDC, SlideInfo* info,
                  platform::HWND owner, bool dxfOn);

}  // namespace lanterna
