// The one entry through which a slide is read, measured, drawn or copied.
#pragma once

#include <cstdint>
#include <cstdio>

#include "platform/gdi/gdi.h"
#include "platform/window.h"
#include "render/acacol.h"
#include "slide/slide_types.h"

namespace lanterna {

// Results besides sizes and positions.
constexpr int32_t kEmptyPath = -1;
constexpr int32_t kCannotOpen = -2;
constexpr int32_t kNotFound = -3;  // member not found, no memory, no bitmap
constexpr int32_t kNotRendering = -4;
constexpr int32_t kNotSlide = -5;  // a vector slide or member without the slide signature

// The loader's state, one per thread that draws; the renderers work on it.
struct LoaderState {
  platform::HWND owner = nullptr;
  const uint8_t* data = nullptr;  // the slide's bytes while a call runs
  uint32_t IconSize = 0;
  uint32_t ByteReaded = 0;
  bool bigEndian = false;  // 16-bit numbers of the slide in the other byte order
  gdi::HDC drawDC = nullptr;
  int LoaderBusy = 0;
  gdi::HBITMAP bitmapSlot = nullptr;
  bool displayCapsKnown = false;
  int displayPlanes = 1;
  int displayBitsPixel = 32;
};
LoaderState& Loader();

int LoaderBusy();
gdi::HBITMAP GetBitmapSlot();
void SetBitmapSlot(gdi::HBITMAP bitmap);

// Reads one slide (a file, or a member of a library named in member, which is upper-cased in
// place) and does what mode asks; see the mode bits in slide_types.h.
int32_t ShowIcon(platform::HWND owner, const char* path, char* member, uint32_t mode,
                 const char* dxfName, gdi::HDC dc, gdi::RECT* rect, std::FILE* rawOut,
                 ViewState* view, SlidePalette* palette, SlideInfo* info);
// The same for a slide's bytes already in memory (size of them at data), of the kind its file's
// name would give; no DXF and no raw copy.
int32_t ShowIconData(platform::HWND owner, int kind, const uint8_t* data, uint32_t size,
                     uint32_t mode, gdi::HDC dc, gdi::RECT* rect, ViewState* view,
                     SlidePalette* palette, SlideInfo* info);

}  // namespace lanterna
