// Decoding of rendering-slide records: drawing, the measuring and information passes, and the
// DXF output of polygons. Records are read in place from the loader's block and never beyond it.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>

#include "platform/exten.h"
#include "render/dxf_writer.h"
#include "render/rendering_state.h"
#include "slide/ciclo.h"
#include "slide/loader.h"

namespace lanterna {

namespace {

constexpr uint8_t kColourEntry = 8;
constexpr uint8_t kColourMapEnd = 9;
constexpr uint8_t kMappedPolygon = 10;
constexpr uint8_t kParameters = 12;
constexpr uint8_t kContinuousPolygon = 13;
constexpr uint8_t kScanline = 14;

constexpr uint32_t kColourEntryLength = 8;
constexpr uint32_t kMappedPolygonFixed = 8;  // then 4 bytes a vertex
constexpr uint32_t kParametersLength = 42;
constexpr uint32_t kParametersWithAmbient = 50;
constexpr int kAmbientFromVersion = 4;
constexpr double kDefaultAmbient = 0.3;
constexpr uint32_t kContinuousPolygonFixed = 60;  // then 4 bytes a vertex, and maybe 8 more
constexpr uint16_t kVertexValuesFlag = 0x10;
constexpr uint32_t kScanlineFixed = 8;  // then the data bytes
constexpr int kMaxVertices = 10;
constexpr uint32_t kMaxScanlineBytes = 4004;

constexpr int kRecordsPerCheck = 100;
constexpr int kFirstCheckCountdown = 92;  // so the first check comes at the 8th record
constexpr int kRecordsPerCopy = 200;
constexpr int kPsInsideFrame = 6;
constexpr int kMessageKind = 0x40;
constexpr unsigned kUnknownRecordStyle =
    platform::MB_RETRYCANCEL | platform::MB_ICONHAND | platform::MB_DEFBUTTON2;

int16_t S16(const uint8_t* p) {
  return static_cast<int16_t>(p[0] | p[1] << 8);
}
uint16_t U16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | p[1] << 8);
}
double F64(const uint8_t* p) {
  uint64_t bits = 0;
  for (int i = 7; i >= 0; --i) bits = bits << 8 | p[i];
  double value;  // memcpy, not std::bit_cast: the web toolchain's library lacks it
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

int32_t Clamp32(int64_t v) {
  return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

enum class Pass { kDrawing, kMeasuring, kInformation };
enum class Step { kNext, kDataEnd, kStop };

// What a measuring pass finds: the box the records cover, in their own coordinates.
struct Extent {
  int32_t right, bottom, left, top;
  void Add(int32_t x, int32_t y) {
    right = std::max(right, x);
    bottom = std::max(bottom, y);
    left = std::min(left, x);
    top = std::min(top, y);
  }
};

// The x of a point or run as drawn: scaled by the pixel aspect in float, then truncated.
int32_t AspectX(int32_t x) {
  const RenderingRendererState& s = RenderingRenderer();
  if (!s.aspectOn) return x;
  return TruncateToInt(static_cast<float>(x) * s.aspect);
}

void UsePen(gdi::COLORREF colour) {
  RenderingRendererState& s = RenderingRenderer();
  if (s.penColour == colour) return;
  if (s.previousPen) gdi::SelectObject(s.dc, s.previousPen);
  gdi::DeleteObject(s.pen);
  s.pen = gdi::CreatePen(gdi::PS_SOLID, 1, colour);
  gdi::SelectObject(s.dc, s.pen);
  s.penColour = colour;
}

void UseBrush(gdi::COLORREF colour) {
  RenderingRendererState& s = RenderingRenderer();
  if (s.brushColour == colour) return;
  if (s.previousBrush) gdi::SelectObject(s.dc, s.previousBrush);
  gdi::DeleteObject(s.brush);
  s.brush = gdi::CreateSolidBrush(colour);
  gdi::SelectObject(s.dc, s.brush);
  s.brushColour = colour;
}

// Placeholders until the first slide colour, so that the context's own objects are put back
// whatever the records select.
void SelectPlaceholders() {
  RenderingRendererState& s = RenderingRenderer();
  s.pen = gdi::CreatePen(kPsInsideFrame, 1, gdi::RGB(0, 0, 0));
  s.penColour = kNoColour;
  s.previousPen = gdi::SelectObject(s.dc, s.pen);
  s.brush = gdi::CreateSolidBrush(gdi::RGB(255, 255, 255));
  s.brushColour = kNoColour;
  s.previousBrush = gdi::SelectObject(s.dc, s.brush);
}

void ReleaseObjects() {
  RenderingRendererState& s = RenderingRenderer();
  if (s.previousPen) gdi::SelectObject(s.dc, s.previousPen);
  if (s.previousBrush) gdi::SelectObject(s.dc, s.previousBrush);
  gdi::DeleteObject(s.pen);
  gdi::DeleteObject(s.brush);
  s.pen = nullptr, s.brush = nullptr;
  s.previousPen = nullptr, s.previousBrush = nullptr;
  s.penColour = s.brushColour = kNoColour;
}

void CopyToDisplay() {
  const RenderingRendererState& s = RenderingRenderer();
  if (!s.display) return;
  gdi::BitBlt(s.display, 0, 0, s.header.width, s.header.height, s.dc, 0, 0, gdi::SRCCOPY);
}

void ShowConverting() {
  platform::ShowMex(RenderingRenderer().owner, "Converting to DXF...", "Wait...", kMessageKind, 0);
}

void CloseMessageWindow() {
  platform::ShowMex(nullptr, nullptr, nullptr, 0, 0);
}

// One call's walk through the records.
class Decoder {
 public:
  Decoder(const uint8_t* data, uint32_t size, Pass pass, Extent* bounds, SlideInfo* info)
      : data_(data), size_(size), pass_(pass), bounds_(bounds), info_(info) {}

  // Decodes the record at the cursor; the cursor is below the end of the block.
  Step Record() {
    uint32_t& cursor = Loader().ByteReaded;
    const uint8_t code = data_[cursor++];
    switch (code) {
      case 6:
      case 7:
        return Step::kNext;
      case kColourEntry:
        return ColourEntry();
      case kColourMapEnd:
        return ColourMapEnd();
      case kMappedPolygon:
        return MappedPolygon();
      case kParameters:
        return Parameters();
      case kContinuousPolygon:
        return ContinuousPolygon();
      case kScanline:
        return Scanline();
      default:
        return UnknownRecord(code);
    }
  }

 private:
  // The next n bytes of the record, or null when the block ends first: then the cursor goes
  // to the end of the block and decoding ends there.
  const uint8_t* Take(uint64_t n) {
    uint32_t& cursor = Loader().ByteReaded;
    if (size_ - cursor < n) {
      cursor = size_;
      RenderingRenderer().cutShort = true;
      return nullptr;
    }
    const uint8_t* at = data_ + cursor;
    cursor += static_cast<uint32_t>(n);
    return at;
  }
  Step Skip(uint64_t n) { return Take(n) ? Step::kNext : Step::kDataEnd; }

  Step Classify(int32_t type) {
    info_->renderType = type;
    return Step::kStop;
  }

  Step ColourEntry() {
    const uint8_t* p = Take(kColourEntryLength);
    if (!p) return Step::kDataEnd;
    FuncColorMap(true, S16(p), S16(p + 2), S16(p + 4), S16(p + 6));
    return Step::kNext;
  }

  Step ColourMapEnd() {
    CloseMessageWindow();
    SelectSlidePalette();
    if (RenderingRenderer().dxf) ShowConverting();
    return Step::kNext;
  }

  Step Parameters() {
    const bool ambient = RenderingFileVersion(RenderingRenderer().header) >= kAmbientFromVersion;
    const uint8_t* p = Take(ambient ? kParametersWithAmbient : kParametersLength);
    if (!p) return Step::kDataEnd;
    if (pass_ == Pass::kInformation) {
      info_->minShade = F64(p);
      info_->maxShade = F64(p + 8);
      info_->contrastStretch = S16(p + 16);
      info_->backgroundRed = F64(p + 18);
      info_->backgroundGreen = F64(p + 26);
      info_->backgroundBlue = F64(p + 34);
      info_->ambient = ambient ? F64(p + 42) : kDefaultAmbient;
    }
    return Step::kNext;
  }

  Step MappedPolygon() {
    if (pass_ == Pass::kInformation) return Classify(kRenderMappedPolygons);
    const uint8_t* p = Take(kMappedPolygonFixed);
    if (!p) return Step::kDataEnd;
    const int16_t fill = S16(p + 2), edge = S16(p + 4), n = S16(p + 6);
    if (n < 1 || n > kMaxVertices) return Skip(4 * static_cast<uint64_t>(std::max<int>(n, 0)));
    const uint8_t* vertices = Take(4 * static_cast<uint64_t>(n));
    if (!vertices) return Step::kDataEnd;
    if (pass_ == Pass::kMeasuring) return Measure(vertices, n);
    const gdi::COLORREF fillColour = MapColorRef(fill);
    DrawPolygon(vertices, n, MapColorRef(edge), fillColour, fillColour & 0xFFFFFF);
    return Step::kNext;
  }

  Step ContinuousPolygon() {
    if (pass_ == Pass::kInformation) return Classify(kRenderContinuousPolygons);
    const uint8_t* p = Take(kContinuousPolygonFixed);
    if (!p) return Step::kDataEnd;
    const uint16_t flags = U16(p);
    const int16_t n = S16(p + 58);
    const uint64_t count = static_cast<uint64_t>(std::max<int>(n, 0));
    const uint64_t perVertex = (flags & kVertexValuesFlag) ? 4 + 8 : 4;
    if (n < 1 || n > kMaxVertices) return Skip(perVertex * count);
    const uint8_t* vertices = Take(perVertex * count);  // the per-vertex values are not used
    if (!vertices) return Step::kDataEnd;
    if (pass_ == Pass::kMeasuring) return Measure(vertices, n);
    const double k = 255.0 * F64(p + 50);
    gdi::COLORREF edgeRgb, fillRgb;
    const gdi::COLORREF edge = ContinuousColour(F64(p + 26), F64(p + 34), F64(p + 42), k, &edgeRgb);
    const gdi::COLORREF fill = ContinuousColour(F64(p + 2), F64(p + 10), F64(p + 18), k, &fillRgb);
    DrawPolygon(vertices, n, edge, fill, fillRgb);
    return Step::kNext;
  }

  Step Measure(const uint8_t* vertices, int n) {
    for (int i = 0; i < n; ++i) bounds_->Add(S16(vertices + 4 * i), S16(vertices + 4 * i + 2));
    return Step::kNext;
  }

  void DrawPolygon(const uint8_t* vertices, int n, gdi::COLORREF edge, gdi::COLORREF fill,
                   gdi::COLORREF fillRgb) {
    RenderingRendererState& s = RenderingRenderer();
    UsePen(edge);
    UseBrush(fill);
    gdi::POINT points[kMaxVertices];
    for (int i = 0; i < n; ++i)
      points[i] = {AspectX(S16(vertices + 4 * i)), S16(vertices + 4 * i + 2)};
    gdi::Polygon(s.dc, points, n);
    if (!s.dxf) return;
    // The DXF colour comes from the RGB, not from a palette index standing for it.
    const int colour = RgbToNearestAci(static_cast<float>(gdi::GetRValue(fillRgb)),
                                       static_cast<float>(gdi::GetGValue(fillRgb)),
                                       static_cast<float>(gdi::GetBValue(fillRgb)));
    if (n <= 4) {
      int corners[5][2] = {};
      for (int i = 0; i < n; ++i) corners[i][0] = points[i].x, corners[i][1] = points[i].y;
      DxfSolid(n, corners, colour);
    } else {
      DxfPolyline(true, colour);
      for (int i = 0; i < n; ++i) DxfVertex(points[i].x, points[i].y);
      DxfSeqend();
    }
  }

  Step Scanline() {
    RenderingRendererState& s = RenderingRenderer();
    if (s.dxf) {
      platform::ShowErrorBox(s.owner, "Cannot convert Scanline Render", "Error", platform::MB_OK);
      return Step::kStop;
    }
    if (pass_ == Pass::kInformation) return Classify(kRenderScanline);
    const uint8_t* p = Take(kScanlineFixed);
    if (!p) return Step::kDataEnd;
    const int16_t x = S16(p), y = S16(p + 2);
    const uint16_t run = U16(p + 4), n = U16(p + 6);
    if (n > kMaxScanlineBytes) return Skip(n);
    const uint8_t* bytes = Take(n);
    if (!bytes) return Step::kDataEnd;

    if (pass_ == Pass::kMeasuring) {
      const int64_t candidate = int64_t{x} + int64_t{n} * run;
      if (candidate > bounds_->right)
        bounds_->right = Clamp32(std::min<int64_t>(candidate, s.header.width));
      bounds_->left = std::min<int32_t>(bounds_->left, x);
      bounds_->bottom = std::max<int32_t>(bounds_->bottom, y);
      bounds_->top = std::min<int32_t>(bounds_->top, y);
      return Step::kNext;
    }

    const bool continuous = RenderingColours(s.header) == 0;
    if (run > 1) {
      // A run without a colour byte has nothing to draw; index 0 alone is the background.
      if (n == 0 || (n == 1 && bytes[0] == 0)) return Step::kNext;
      UsePen(n == 3 ? ScanlineColour(bytes[0], bytes[1], bytes[2]) : MapColorRef(bytes[0]));
      const int32_t from = AspectX(x);
      const int64_t length = s.aspectOn ? TruncateToInt(static_cast<float>(run) * s.aspect) : run;
      if (!s.penKnown || s.penX != from || s.penY != y) gdi::MoveToEx(s.dc, from, y, nullptr);
      const int32_t to = Clamp32(from + length);
      gdi::LineTo(s.dc, to, y);  // paints the run's pixels, not the end point
      s.penKnown = true;
      s.penX = to;
      s.penY = y;
    } else if (!continuous) {
      for (uint32_t i = 0; i < n; ++i)
        gdi::SetPixel(s.dc, x + static_cast<int>(i), y, MapColorRef(bytes[i]));
    } else if (n >= 3) {
      gdi::SetPixel(s.dc, x, y, ScanlineColour(bytes[0], bytes[1], bytes[2]));
      if (n != 3 && !s.beepGiven) {
        platform::MessageBeep(0xFFFFFFFF);
        s.beepGiven = true;
      }
    } else {
      platform::ShowErrorBox(s.owner, "Unknow color metod", "Errore", platform::MB_OK);
    }
    return Step::kNext;
  }

  // Retry reads the next byte as a record code; anything but Retry closes the slide window.
  Step UnknownRecord(uint8_t code) {
    const RenderingRendererState& s = RenderingRenderer();
    char text[48];
    std::snprintf(text, sizeof text, "Unknown record code, vedi %d", code);
    if (platform::ShowErrorBox(s.owner, text, "Errore", kUnknownRecordStyle) == platform::IDRETRY)
      return Step::kNext;
    platform::PostMessage(s.owner, platform::WM_CLOSE, 0, 0);
    return Step::kStop;
  }

  const uint8_t* data_;
  uint32_t size_;
  Pass pass_;
  Extent* bounds_;
  SlideInfo* info_;
};

// The end of a measuring pass: the view takes the extent found. A slide that draws nothing
// (or nothing wider than a column) takes its header size, so that it is not measured again
// at every paint.
void StoreExtent(ViewState* view, const Extent& b) {
  const RenderingRendererState& s = RenderingRenderer();
  const int32_t right = TruncateToInt(static_cast<float>(b.right) * s.aspect);
  const int32_t left = TruncateToInt(static_cast<float>(b.left) * s.aspect);
  const int64_t width = int64_t{right} - left;
  if (width > 0) {
    view->measuredWidth = Clamp32(width);
    view->measuredHeight = Clamp32(int64_t{b.bottom} - b.top);
    view->measuredLeft = left;
    view->measuredTop = b.top;
  } else {
    view->measuredWidth = std::max<int32_t>(s.header.width, 1);
    view->measuredHeight = s.header.height;
    view->measuredLeft = 0;
    view->measuredTop = 0;
  }
}

}  // namespace

bool& RenderingCutShort() {
  return RenderingRenderer().cutShort;
}

int DrawRendering(gdi::HDC dc, uint32_t size, const RenderingHeader& header, ViewState* view,
                  SlidePalette* palette, gdi::HDC windowDC, SlideInfo* info, platform::HWND owner,
                  bool dxfOn, float aspect) {
  LoaderState& L = Loader();
  RenderingRendererState& s = RenderingRenderer();
  // The block is the loader's: nothing past its IconSize bytes is ever read.
  const uint8_t* const data = L.data;
  size = data ? std::min(size, L.IconSize) : 0;

  s.dc = dc;
  s.size = size;
  s.header = header;
  s.palette = palette;
  s.display = windowDC;
  s.owner = owner;
  s.dxf = dxfOn;
  s.aspect = aspect;
  s.aspectOn = aspect != 1.0f;
  s.paletteInUse = false;
  s.beepGiven = false;
  s.penKnown = false;

  const Pass pass = info                                 ? Pass::kInformation
                    : (view && view->measuredWidth <= 0) ? Pass::kMeasuring
                                                         : Pass::kDrawing;
  Extent bounds{0, 0, kUnmeasuredOrigin, kUnmeasuredOrigin};
  if (view)
    bounds = {view->measuredWidth, view->measuredHeight, view->measuredLeft, view->measuredTop};

  if (view && view->reached != 0) {
    SelectSlidePalette();  // resumed: the colour map comes back from the slide's palette
  } else {
    // A fresh drawing starts from an empty map: indices this slide never defines are black,
    // whatever slide was drawn before it in this process.
    std::fill(std::begin(s.colourMap), std::end(s.colourMap), ColourMapEntry{});
    if (RenderingColours(header) == 0 &&
        gdi::GetDeviceCaps(dc, gdi::SIZEPALETTE) == kPaletteDeviceEntries) {
      FillColourMapWithAci();
      SelectSlidePalette();
    }
  }
  SelectPlaceholders();
  if (dxfOn) ShowConverting();

  Decoder decoder(data, size, pass, &bounds, info);
  int result = kRenderingComplete;
  bool stopped = false;
  int checkCounter = kFirstCheckCountdown;
  int copyCounter = 0;
  while (L.ByteReaded < size) {
    if (pass == Pass::kMeasuring) {
      checkCounter = copyCounter = 0;
    } else {
      if (++checkCounter >= kRecordsPerCheck) {
        checkCounter = 0;
        int found = 0;
        if (PendingInputTest(owner, &found)) {
          result = found;
          stopped = true;
          break;
        }
      }
      if (++copyCounter >= kRecordsPerCopy && windowDC) {
        CopyToDisplay();
        copyCounter = 0;
      }
    }
    const Step step = decoder.Record();
    if (step == Step::kStop) {
      result = kRenderingStopped;
      stopped = true;
      break;
    }
    if (step == Step::kDataEnd) break;
  }

  if (dxfOn && !stopped) {
    platform::ShowMex(owner, "Closing file", "Wait...", kMessageKind, 0);
    DxfEnd();
    CloseMessageWindow();
  }
  ReleaseObjects();
  CopyToDisplay();
  if (view) view->reached = L.ByteReaded;
  if (pass == Pass::kMeasuring) {
    StoreExtent(view, bounds);
    view->reached = 0;  // the drawing itself starts over, fitted to the extent
    platform::RedrawWindow(owner, platform::RDW_INVALIDATE);
  }
  return result;
}

}  // namespace lanterna
