// The rendering-slide renderer's per-thread state, shared by its source files. Not for the
// renderer's callers: they go through rendering.h.
#pragma once

#include <cstdint>

#include "render/rendering.h"

namespace lanterna {

constexpr int kColourMapLast = 256;  // the colour map holds indices 0 to 256
constexpr int kSlidePaletteEntries = 236;
constexpr int kPaletteDeviceEntries = 256;
constexpr gdi::COLORREF kNoColour = 0xFFFFFFFF;  // no pen or brush of a slide colour yet

struct ColourMapEntry {
  int16_t index = 0;
  int16_t red = 0;
  int16_t green = 0;
  int16_t blue = 0;
};

struct RenderingRendererState {
  // Copied from the arguments of each DrawRendering call.
  gdi::HDC dc = nullptr;
  uint32_t size = 0;
  RenderingHeader header;
  SlidePalette* palette = nullptr;
  gdi::HDC display = nullptr;
  platform::HWND owner = nullptr;
  bool dxf = false;
  float aspect = 1.0f;
  bool aspectOn = false;
  // Cleared at the start of each call.
  bool paletteInUse = false;
  bool beepGiven = false;
  // Left for the callers to clear (RenderingCutShort).
  bool cutShort = false;
  // Pen and brush caches: the renderer's own objects, their colours, and what they replaced.
  gdi::HPEN pen = nullptr;
  gdi::COLORREF penColour = kNoColour;
  gdi::HGDIOBJ previousPen = nullptr;
  gdi::HBRUSH brush = nullptr;
  gdi::COLORREF brushColour = kNoColour;
  gdi::HGDIOBJ previousBrush = nullptr;
  // Where the last run ended, so that a run continuing it needs no move.
  bool penKnown = false;
  int32_t penX = 0;
  int32_t penY = 0;

  // Kept for the process; the next slide overwrites them.
  ColourMapEntry colourMap[kColourMapLast + 1];
  double colourScale = 1.0;
};
RenderingRendererState& RenderingRenderer();

// Header fields the renderer acts on.
int16_t RenderingColours(const RenderingHeader& h);  // 0: continuous colour
uint16_t RenderingMaxIntensity(const RenderingHeader& h);
int8_t RenderingFileVersion(const RenderingHeader& h);

// Toward zero, and within the 32-bit range whatever the value (NaN gives 0).
int32_t TruncateToInt(double value);

// A scanline's colour from its data bytes, stored blue first.
gdi::COLORREF ScanlineColour(uint8_t blue, uint8_t green, uint8_t red);
// A continuous-colour polygon's colour: components 0-1 times k (255 x intensity). rgb receives
// the plain RGB, which the DXF colour is taken from.
gdi::COLORREF ContinuousColour(double red, double green, double blue, double k, gdi::COLORREF* rgb);
// Continuous-colour slides on palette devices: entries 0-254 become the AutoCAD colours.
void FillColourMapWithAci();

}  // namespace lanterna
