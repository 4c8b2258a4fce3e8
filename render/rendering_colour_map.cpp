// The colour map of a rendering slide, the colours its records name, and the slide's own
// palette on 256-colour displays.
#include <cmath>
#include <cstdint>
#include <limits>

#include "platform/exten.h"
#include "render/acacol.h"
#include "render/rendering_state.h"

namespace lanterna {

RenderingRendererState& RenderingRenderer() {
  static thread_local RenderingRendererState state;
  return state;
}

int32_t TruncateToInt(double value) {
  if (std::isnan(value)) return 0;
  if (value >= static_cast<double>(std::numeric_limits<int32_t>::max()))
    return std::numeric_limits<int32_t>::max();
  if (value <= static_cast<double>(std::numeric_limits<int32_t>::min()))
    return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(value);
}

namespace {

bool InMap(int index) {
  return index >= 0 && index <= kColourMapLast;
}

uint8_t LowByte(int32_t v) {
  return static_cast<uint8_t>(v & 0xFF);
}

// Plain RGB, or the nearest entry of the slide's palette while it is in use.
gdi::COLORREF OnSlidePalette(gdi::COLORREF rgb) {
  const RenderingRendererState& s = RenderingRenderer();
  if (!s.paletteInUse || !s.palette) return rgb;
  const gdi::UINT index = gdi::GetNearestPaletteIndex(s.palette->palette, rgb);
  return index == gdi::CLR_INVALID ? rgb : gdi::PALETTEINDEX(index);
}

}  // namespace

gdi::COLORREF FuncColorMap(bool store, int index, int red, int green, int blue) {
  RenderingRendererState& s = RenderingRenderer();
  const uint16_t maxIntensity = RenderingMaxIntensity(s.header);
  // An integer quotient on purpose: 256 colours over intensity 255 give exactly 1.
  if (maxIntensity > 0.01)
    s.colourScale = static_cast<double>((RenderingColours(s.header) - 1) / int{maxIntensity});
  if (!InMap(index)) {
    platform::ShowErrorBox(s.owner, "Troppi colori! (FuncColorMap)", "Errore", platform::MB_OK);
    return MapColorRef(index);
  }
  if (store) {
    ColourMapEntry& e = s.colourMap[index];
    e.index = static_cast<int16_t>(index);
    e.red = static_cast<int16_t>(TruncateToInt(red * s.colourScale));
    e.green = static_cast<int16_t>(TruncateToInt(green * s.colourScale));
    e.blue = static_cast<int16_t>(TruncateToInt(blue * s.colourScale));
  }
  return MapColorRef(index);
}

gdi::COLORREF MapColorRef(int index) {
  const RenderingRendererState& s = RenderingRenderer();
  gdi::COLORREF ref = gdi::RGB(0, 0, 0);  // indices outside the map are black
  if (InMap(index)) {
    const ColourMapEntry& e = s.colourMap[index];
    ref = gdi::RGB(LowByte(e.red), LowByte(e.green), LowByte(e.blue));
  }
  if (s.paletteInUse) ref |= 0x02000000;  // palette-relative
  return ref;
}

gdi::COLORREF ScanlineColour(uint8_t blue, uint8_t green, uint8_t red) {
  const gdi::COLORREF rgb = gdi::RGB(red, green, blue);
  // White stays plain RGB, so it is white whatever the palette holds.
  if (red == 255 && green == 255 && blue == 255) return rgb;
  return OnSlidePalette(rgb);
}

gdi::COLORREF ContinuousColour(double red, double green, double blue, double k,
                               gdi::COLORREF* rgb) {
  *rgb = gdi::RGB(LowByte(TruncateToInt(red * k)), LowByte(TruncateToInt(green * k)),
                  LowByte(TruncateToInt(blue * k)));
  return OnSlidePalette(*rgb);
}

void FillColourMapWithAci() {
  RenderingRendererState& s = RenderingRenderer();
  for (int i = 0; i <= 254; ++i) {
    float rgb[3];
    AciToRgb(i, rgb, 1);
    s.colourMap[i] = {static_cast<int16_t>(i), static_cast<int16_t>(TruncateToInt(rgb[0])),
                      static_cast<int16_t>(TruncateToInt(rgb[1])),
                      static_cast<int16_t>(TruncateToInt(rgb[2]))};
  }
}

void SelectSlidePalette() {
  RenderingRendererState& s = RenderingRenderer();
  SlidePalette* record = s.palette;
  if (!record) return;
  if (record->logPalette) {
    // A resumed drawing: the colour map comes back from the palette made the first time.
    const gdi::LOGPALETTE& lp = *record->logPalette;
    for (int i = 0; i < kSlidePaletteEntries; ++i) {
      const gdi::PALETTEENTRY& p = lp.palPalEntry[i];
      s.colourMap[i] = {static_cast<int16_t>(i), p.peRed, p.peGreen, p.peBlue};
    }
    s.paletteInUse = true;
  } else if (gdi::GetDeviceCaps(s.dc, gdi::SIZEPALETTE) == kPaletteDeviceEntries) {
    s.paletteInUse = true;
    auto* lp = new gdi::LOGPALETTE;
    lp->palVersion = 0x300;
    lp->palNumEntries = kSlidePaletteEntries;
    for (int i = 0; i < kSlidePaletteEntries; ++i) {
      const ColourMapEntry& e = s.colourMap[i];
      // Reserved, so that other windows' colours are never mapped onto the slide's.
      lp->palPalEntry[i] = {LowByte(e.red), LowByte(e.green), LowByte(e.blue), gdi::PC_RESERVED};
    }
    record->logPalette = lp;  // the slide window owns both from now on
    record->palette = gdi::CreatePalette(lp);
  }
  if (!s.paletteInUse) return;
  if (s.display) gdi::SelectPalette(s.display, record->palette, 0);
  gdi::SelectPalette(s.dc, record->palette, 0);
  gdi::RealizePalette(s.dc);
}

}  // namespace lanterna
