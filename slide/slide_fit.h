// Fitting a slide into a target rectangle with one scale for both axes, and the device
// mappings that put slide coordinates (y up) centred and upright on a device.
#pragma once

#include <cstdint>

#include "platform/gdi/gdi.h"
#include "slide/slide_types.h"

namespace lanterna {

struct SlideFit {
  uint16_t slideWidth = 0;
  uint16_t slideHeight = 0;
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
  float scale = 1.0f;
  float verticalScale = 1.0f;
  int16_t offsetX = 0;  // slide units of free space on the left
  int16_t offsetY = 0;  // slide units of free space below
};

// The fit of the calling thread's drawing in progress.
SlideFit& CurrentFit();

void FitSlide(uint16_t width, uint16_t height, const gdi::RECT& target);
// Zoom and pan come from the view; none means zoom 1 and no pan.
void ApplyWindowMapping(gdi::HDC dc, const ViewState* view);
// Slide units with y turned downward; mapping mode and viewport belong to the context's owner.
void ApplyMetafileMapping(gdi::HDC dc);

}  // namespace lanterna
