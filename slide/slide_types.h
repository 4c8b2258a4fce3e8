// The records the loader shares with its callers: per-window view state and slide facts.
#pragma once

#include <cstdint>

namespace lanterna {

// Loader mode bits.
constexpr uint32_t SI_DXF_POLYLINES = 0x400000;
constexpr uint32_t SI_KEEP_BITMAP = 0x200000;
constexpr uint32_t SI_DIRECT = 0x100000;
constexpr uint32_t SI_SIZE_ONLY = 0x080000;
constexpr uint32_t SI_COPY_RAW = 0x040000;
constexpr uint32_t SI_HEADER_ONLY = 0x020000;

// Slide kinds.
constexpr int kKindNone = 0;
constexpr int kKindSlide = 1;
constexpr int kKindLibrary = 2;
constexpr int kKindRendering = 3;

// Progress and view of one drawing, kept by the window between paints.
struct ViewState {
  uint32_t reached = 0;  // bytes consumed when drawing stopped; == size: complete
  int16_t lastX = 0;
  int16_t lastY = 0;
  int16_t colour = 0;
  uint8_t zoom = 1;  // 0 is taken as 1
  int32_t panX = 0;  // device pixels the picture is shifted left
  int32_t panY = 0;  // device pixels the picture is shifted up
  uint32_t size = 0;
  // Rendering slides: the extent the picture really covers, once measured.
  int32_t measuredWidth = 0;
  int32_t measuredHeight = 0;
  int32_t measuredLeft = 0;
  int32_t measuredTop = 0;
};

// Header facts of one slide.
struct SlideInfo {
  int32_t kind = 0;
  char id[40] = {};
  uint8_t machine = 0;
  uint8_t version = 0;
  uint16_t width = 0;
  uint16_t height = 0;
  // Vector slides.
  float aspectRatio = 0;
  int32_t hardwareFill = 0;
  int32_t testWord = 0;
  // Rendering slides: colours, maximum intensity, shades, pixel width, pixel height, byte order.
  int16_t renderWords[6] = {};
  char description[71] = {};
  double minShade = 0;
  double maxShade = 0;
  int16_t contrastStretch = 0;
  double backgroundRed = 0;
  double backgroundGreen = 0;
  double backgroundBlue = 0;
  double ambient = 0;
  int32_t renderType = 0;
};

}  // namespace lanterna
