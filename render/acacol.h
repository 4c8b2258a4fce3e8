// AutoCAD Color Index numbers to screen colours and back, and the application palette used on
// 256-colour displays.
#pragma once

#include <cstdint>

#include "platform/gdi/gdi.h"

namespace lanterna {

// The palette record a slide window keeps for its slide.
struct SlidePalette {
  uint32_t reserved = 0;
  gdi::LOGPALETTE* logPalette = nullptr;  // a rendering slide's own palette
  gdi::HPALETTE palette = nullptr;        // not owned when it is the application palette
};

// Fills rgb with 0-1 components, or 0-255 when scaled is non-zero.
void AciToRgb(int index, float rgb[3], int scaled);
// The colour reference pens and brushes use; palette-relative while the palette is in use.
gdi::COLORREF AciColorRef(int index);
// The white slides are drawn on (black with a black background), as a colour reference of the
// same kind.
gdi::COLORREF BackgroundColorRef();
// Slides drawn on black, as on the CAD screen: the background black and colour 7, the
// foreground, white. One setting for the whole program, every thread's drawings.
void SetBlackBackground(bool on);
bool BlackBackground();
// The colour index (1-254, white as 7) nearest to an RGB triple on the 0-255 scale.
int RgbToNearestAci(float r, float g, float b);

// The application palette (236 entries for colour indices 0-235), made only on 256-entry
// palette devices.
void CreateAppPalette(gdi::HDC dc);
void DestroyAppPalette();
gdi::HPALETTE AppPalette();
const gdi::LOGPALETTE* AppPaletteDescription();
void SelectAppPalette(gdi::HDC target, int& paletteInUse, SlidePalette* slidePalette,
                      gdi::HDC second);

// The palette-in-use flag: cleared by the loader at the start of every load.
int& PaletteInUse();

}  // namespace lanterna
