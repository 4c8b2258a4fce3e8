// AutoCAD Color Index conversions and the application palette.
#include "render/acacol.h"

#include <atomic>

#include "platform/exten.h"

namespace lanterna {

namespace {

constexpr int kWheelFirst = 10;  // indices 10-249 are the HSV wheel
constexpr int kWheelLast = 249;
constexpr int kGreyFirst = 250;
constexpr int kWhite = 255;
constexpr int kAppPaletteEntries = 236;
constexpr int kPaletteDeviceSize = 256;

// Everything the module keeps between calls.
struct ColourState {
  gdi::HPALETTE appPalette = nullptr;
  gdi::LOGPALETTE* appPaletteDescription = nullptr;
  int paletteInUse = 0;
  float nearestTable[256][3] = {};  // unscaled RGB of indices 0-255, built on first lookup
  bool nearestTablePending = true;
};

ColourState colourState;

void ReportOutOfRange(const char* text) {
  platform::ShowErrorBox(nullptr, text, "Error in acacol", 0);
}

// Colours 0-9 and 255 are fixed; returns false for every other index.
bool FixedColour(int index, float rgb[3]) {
  static constexpr float kGrey8 = 128.0f / 255.0f;
  static constexpr float kGrey9 = 192.0f / 255.0f;
  // 7 is the foreground colour and is drawn black; white is 255.
  static constexpr float kFixed[10][3] = {
      {0, 0, 0},
      {1, 0, 0},
      {1, 1, 0},
      {0, 1, 0},
      {0, 1, 1},
      {0, 0, 1},
      {1, 0, 1},
      {0, 0, 0},
      {kGrey8, kGrey8, kGrey8},
      {kGrey9, kGrey9, kGrey9},
  };
  if (index == kWhite) {
    rgb[0] = rgb[1] = rgb[2] = 1.0f;
    return true;
  }
  if (index < 0 || index > 9) return false;
  for (int c = 0; c < 3; ++c) rgb[c] = kFixed[index][c];
  return true;
}

// Indices 10-249: 24 hues of ten shades each (five values, full and half saturation).
// Returns the value (brightness) and leaves the full-brightness colour in rgb.
float WheelColour(int index, float rgb[3]) {
  static constexpr float kValues[5] = {1.0f, 0.65f, 0.5f, 0.3f, 0.15f};
  int hue = (index - kWheelFirst) / 10;
  if (hue >= 24) hue -= 24;
  float h = static_cast<float>(hue) * 0.25f;
  int sector = static_cast<int>(h);
  float f = h - static_cast<float>(sector);
  int shade = index % 10;
  float value = kValues[shade / 2];
  float saturation = (shade % 2 == 0) ? 1.0f : 0.5f;
  float p = 1.0f - saturation;
  float q = 1.0f - saturation * f;
  float t = 1.0f - saturation * (1.0f - f);
  const float bySector[6][3] = {{1, t, p}, {q, 1, p}, {p, 1, t}, {p, q, 1}, {t, p, 1}, {1, p, q}};
  for (int c = 0; c < 3; ++c) rgb[c] = bySector[sector][c];
  return value;
}

// Low byte of a component truncated toward zero. Out-of-range indices give components far
// outside 0-255 (and beyond int), so truncate through a wider type before taking the byte.
uint8_t ComponentByte(float component) {
  return static_cast<uint8_t>(static_cast<int64_t>(component) & 0xFF);
}

void BuildNearestTable() {
  for (int i = 0; i < 256; ++i) AciToRgb(i, colourState.nearestTable[i], 0);
  colourState.nearestTablePending = false;
}

}  // namespace

void AciToRgb(int index, float rgb[3], int scaled) {
  if (index < 0 || index > 256) ReportOutOfRange("HSV Out of Range");

  float brightness = 1.0f;
  if (FixedColour(index, rgb)) {
    if (index == 0) brightness = 0.0f;
  } else if (index >= kWheelFirst && index <= kWheelLast) {
    brightness = WheelColour(index, rgb);
  } else {
    // 250-254, and anything out of range, fall on the grey ramp. Widen so that extreme
    // indices cannot overflow the subtraction.
    rgb[0] = rgb[1] = rgb[2] = 1.0f;
    brightness = static_cast<float>(static_cast<int64_t>(index) - kGreyFirst) * 0.134f + 0.33f;
  }

  for (int c = 0; c < 3; ++c) {
    rgb[c] *= brightness;
    if (scaled) rgb[c] *= 255.0f;
  }
}

namespace {
std::atomic<bool> gBlackBackground{false};
}

void SetBlackBackground(bool on) {
  gBlackBackground = on;
}

bool BlackBackground() {
  return gBlackBackground;
}

gdi::COLORREF AciColorRef(int index) {
  float rgb[3];
  AciToRgb(index, rgb, 1);
  // The foreground colour shows on the background: white on black.
  if (index == 7 && gBlackBackground) rgb[0] = rgb[1] = rgb[2] = 255.0f;
  gdi::COLORREF ref = gdi::RGB(ComponentByte(rgb[0]), ComponentByte(rgb[1]), ComponentByte(rgb[2]));
  // Palette-relative, so a palette device matches it against the realized palette.
  if (PaletteInUse() != 0) ref += 0x02000000;
  return ref;
}

gdi::COLORREF BackgroundColorRef() {
  const uint8_t level = gBlackBackground ? 0 : 255;
  return gdi::RGB(level, level, level) + (PaletteInUse() != 0 ? 0x02000000 : 0);
}

int RgbToNearestAci(float r, float g, float b) {
  // Rounded once from the double product, then compared in float like the table.
  constexpr double kToUnit = 0.00392156862745098;  // 1/255
  r = static_cast<float>(r * kToUnit);
  g = static_cast<float>(g * kToUnit);
  b = static_cast<float>(b * kToUnit);
  if (r < 0.0f || r > 1.0f || g < 0.0f || g > 1.0f || b < 0.0f || b > 1.0f)
    ReportOutOfRange("rgb Out of Range");

  if (colourState.nearestTablePending) BuildNearestTable();

  // Greys are matched on the grey ramp and white only; nothing matches 0, which is not a
  // drawing colour.
  int first = (r == g && g == b) ? kGreyFirst : 1;
  float best = 1000.0f;
  int nearest = first;
  for (int i = first; i <= kWhite; ++i) {
    const float* entry = colourState.nearestTable[i];
    float dr = entry[0] - r;
    float dg = entry[1] - g;
    float db = entry[2] - b;
    float d = dr * dr + dg * dg + db * db;
    if (d < best) {
      best = d;
      nearest = i;
      if (best == 0.0f) break;
    }
  }
  // White is drawn as colour 7.
  return nearest == kWhite ? 7 : nearest;
}

void CreateAppPalette(gdi::HDC dc) {
  if (gdi::GetDeviceCaps(dc, gdi::SIZEPALETTE) != kPaletteDeviceSize) return;
  if (colourState.appPalette != nullptr || colourState.appPaletteDescription != nullptr) return;

  auto* description = new gdi::LOGPALETTE;
  description->palVersion = 0x300;
  description->palNumEntries = kAppPaletteEntries;
  for (int i = 0; i < kAppPaletteEntries; ++i) {
    float rgb[3];
    AciToRgb(i, rgb, 1);
    gdi::PALETTEENTRY& entry = description->palPalEntry[i];
    entry.peRed = ComponentByte(rgb[0]);
    entry.peGreen = ComponentByte(rgb[1]);
    entry.peBlue = ComponentByte(rgb[2]);
    // Reserved, so other windows' colours are never mapped onto these entries.
    entry.peFlags = gdi::PC_RESERVED;
  }
  colourState.appPaletteDescription = description;
  colourState.appPalette = gdi::CreatePalette(description);
}

void DestroyAppPalette() {
  delete colourState.appPaletteDescription;
  colourState.appPaletteDescription = nullptr;
  if (colourState.appPalette != nullptr) gdi::DeleteObject(colourState.appPalette);
  colourState.appPalette = nullptr;
}

gdi::HPALETTE AppPalette() {
  return colourState.appPalette;
}

const gdi::LOGPALETTE* AppPaletteDescription() {
  return colourState.appPaletteDescription;
}

void SelectAppPalette(gdi::HDC target, int& paletteInUse, SlidePalette* slidePalette,
                      gdi::HDC second) {
  if (gdi::GetDeviceCaps(target, gdi::SIZEPALETTE) == kPaletteDeviceSize) paletteInUse = 1;
  if (paletteInUse == 0) return;
  if (second != nullptr) gdi::SelectPalette(second, AppPalette(), 0);
  gdi::SelectPalette(target, AppPalette(), 0);
  if (slidePalette != nullptr) slidePalette->palette = AppPalette();
  gdi::RealizePalette(target);
}

int& PaletteInUse() {
  return colourState.paletteInUse;
}

}  // namespace lanterna
