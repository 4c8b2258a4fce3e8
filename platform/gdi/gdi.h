// Device contexts with the Windows GDI rules the slide engine relies on: isotropic mapping,
// MoveToEx/LineTo without the end pixel, alternate-fill polygons, solid pens scaled by the
// mapping, BitBlt, palettes and palette-relative colour references. Standard C++ only.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace gdi {

using COLORREF = uint32_t;
using DWORD = uint32_t;
using UINT = uint32_t;
using BOOL = int;

constexpr COLORREF RGB(unsigned r, unsigned g, unsigned b) {
  return (r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16);
}
constexpr COLORREF PALETTERGB(unsigned r, unsigned g, unsigned b) {
  return 0x02000000 | RGB(r, g, b);
}
constexpr COLORREF PALETTEINDEX(unsigned i) {
  return 0x01000000 | (i & 0xFFFF);
}
constexpr unsigned GetRValue(COLORREF c) {
  return c & 0xFF;
}
constexpr unsigned GetGValue(COLORREF c) {
  return (c >> 8) & 0xFF;
}
constexpr unsigned GetBValue(COLORREF c) {
  return (c >> 16) & 0xFF;
}
constexpr COLORREF CLR_INVALID = 0xFFFFFFFF;

struct POINT {
  int32_t x, y;
};
struct SIZE {
  int32_t cx, cy;
};
struct RECT {
  int32_t left, top, right, bottom;
};
// A device point before it is narrowed to 32 bits; mapping keeps magnitudes within 2^40.
struct DevicePoint {
  int64_t x, y;
};

struct PALETTEENTRY {
  uint8_t peRed, peGreen, peBlue, peFlags;
};
constexpr uint8_t PC_RESERVED = 1;

// A logical palette description; room for 256 entries, palNumEntries of them used.
struct LOGPALETTE {
  uint16_t palVersion = 0x300;
  uint16_t palNumEntries = 0;
  PALETTEENTRY palPalEntry[256] = {};
};

// ---- objects -------------------------------------------------------------------------------

enum class ObjectKind { Pen, Brush, Bitmap, Palette };

struct GdiObject {
  explicit GdiObject(ObjectKind k) : kind(k) {}
  virtual ~GdiObject() = default;
  ObjectKind kind;
  bool stock = false;  // stock objects survive DeleteObject
};

constexpr int PS_SOLID = 0;
constexpr int PS_NULL = 5;

struct Pen : GdiObject {
  Pen() : GdiObject(ObjectKind::Pen) {}
  int style = PS_SOLID;
  int width = 1;  // logical units; 0 and 1 under scale 1 are one pixel
  COLORREF color = 0;
};

struct Brush : GdiObject {
  Brush() : GdiObject(ObjectKind::Brush) {}
  COLORREF color = 0xFFFFFF;
  bool hollow = false;
};

// Pixel memory comes zeroed, for large bitmaps in huge pages where the system offers them:
// a drawing writes all over its bitmap, and small pages cost a TLB miss on most vectors.
void* AllocatePixels(size_t bytes);
void FreePixels(void* p, size_t bytes);

template <typename T>
struct PixelAllocator {
  using value_type = T;
  PixelAllocator() = default;
  template <typename U>
  PixelAllocator(const PixelAllocator<U>&) {}
  T* allocate(size_t n) { return static_cast<T*>(AllocatePixels(n * sizeof(T))); }
  void deallocate(T* p, size_t n) { FreePixels(p, n * sizeof(T)); }
  // The memory comes zeroed: value-initialising it again would be a wasted pass.
  template <typename U>
  void construct(U* p) noexcept {
    ::new (static_cast<void*>(p)) U;
  }
  template <typename U, typename... Args>
  void construct(U* p, Args&&... args) {
    ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
  }
  template <typename U>
  bool operator==(const PixelAllocator<U>&) const {
    return true;
  }
};
using PixelVector = std::vector<uint32_t, PixelAllocator<uint32_t>>;

// A bitmap's pixels are stored as resolved RGB colour references (0x00BBGGRR), top row first,
// whatever its bits per pixel: on a palette device every pixel is one of the palette's colours.
struct Bitmap : GdiObject {
  Bitmap() : GdiObject(ObjectKind::Bitmap) {}
  int width = 0;
  int height = 0;
  int planes = 1;
  int bitsPixel = 32;
  PixelVector pixels;
  COLORREF At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

struct Palette : GdiObject {
  Palette() : GdiObject(ObjectKind::Palette) {}
  std::vector<PALETTEENTRY> entries;
};

using HGDIOBJ = GdiObject*;
using HPEN = Pen*;
using HBRUSH = Brush*;
using HBITMAP = Bitmap*;
using HPALETTE = Palette*;

// ---- device contexts -----------------------------------------------------------------------

constexpr int MM_TEXT = 1;
constexpr int MM_ISOTROPIC = 7;
constexpr int MM_ANISOTROPIC = 8;

constexpr int BITSPIXEL = 12;
constexpr int PLANES = 14;
constexpr int SIZEPALETTE = 104;

constexpr DWORD SRCCOPY = 0x00CC0020;
constexpr DWORD WHITENESS = 0x00FF0062;
constexpr DWORD BLACKNESS = 0x00000042;

// What a device reports through GetDeviceCaps.
struct DeviceCaps {
  int sizePalette = 0;  // 0: true colour; 256: palette device
  int bitsPixel = 32;
  int planes = 1;
  static DeviceCaps TrueColour() { return {0, 32, 1}; }
  static DeviceCaps Palette256() { return {256, 8, 1}; }
};

class DeviceContext;
using HDC = DeviceContext*;

// The mapping from logical to device units, kept as Windows keeps it.
struct Mapping {
  int mode = MM_TEXT;
  POINT windowOrg{0, 0};
  SIZE windowExt{1, 1};
  POINT viewportOrg{0, 0};
  SIZE viewportExt{1, 1};
};

// The mapping's arithmetic, inline: every vector drawn maps its two ends.
namespace mapping {

// Far beyond any surface, yet small enough that rasterising products of coordinates cannot
// overflow 64 bits.
constexpr int64_t kWideLimit = int64_t{1} << 40;

inline int64_t ClampWide(int64_t v) {
  return v < -kWideLimit ? -kWideLimit : (v > kWideLimit ? kWideLimit : v);
}

inline bool Scaled(const Mapping& m) {
  return m.mode == MM_ISOTROPIC || m.mode == MM_ANISOTROPIC;
}

// One axis of the mapping; a zero extent (only reachable by editing Map() directly) is 1:1.
// Rounds half up; far-off and NaN results are kept within the wide limit without calling floor.
[[gnu::always_inline]] inline int64_t MapAxis(int64_t v, int32_t fromOrg, int32_t fromExt,
                                              int32_t toOrg, int32_t toExt, bool scaled) {
  v = ClampWide(v);
  if (!scaled || fromExt == 0 || toExt == 0) return ClampWide(v - fromOrg + toOrg);
  const double d = static_cast<double>(v - fromOrg) * toExt / fromExt + toOrg + 0.5;
  constexpr double limit = static_cast<double>(kWideLimit);
  if (!(d > -limit && d < limit)) return d > 0 ? kWideLimit : (d < 0 ? -kWideLimit : 0);
  auto t = static_cast<int64_t>(d);
  if (static_cast<double>(t) > d) --t;  // truncation went up for negatives
  return t;
}

}  // namespace mapping

class DeviceContext {
 public:
  explicit DeviceContext(DeviceCaps caps);
  virtual ~DeviceContext();
  DeviceContext(const DeviceContext&) = delete;
  DeviceContext& operator=(const DeviceContext&) = delete;

  const DeviceCaps& Caps() const { return caps_; }
  Mapping& Map() { return map_; }
  const Mapping& Map() const { return map_; }

  // Logical <-> device, rounded to the nearest whole unit.
  POINT ToDevice(int32_t x, int32_t y) const;
  POINT ToLogical(int32_t x, int32_t y) const;
  // As ToDevice, without the 32-bit clamp, so far-off geometry keeps its shape when rasterised.
  DevicePoint ToDeviceWide(int64_t x, int64_t y) const;
  // Device pixels a pen of this logical width covers (never less than one).
  int DevicePenWidth(int logicalWidth) const;

  HPEN CurrentPen() const { return pen_; }
  HBRUSH CurrentBrush() const { return brush_; }
  HPALETTE CurrentPalette() const { return palette_; }
  POINT CurrentPosition() const { return position_; }

  // Resolves a colour reference to the RGB this device shows for it.
  COLORREF Resolve(COLORREF ref) const;

  // The object-selection rules; bitmap selection is only meaningful on a memory context.
  HGDIOBJ Select(HGDIOBJ obj);
  HPALETTE SelectPalette(HPALETTE pal);
  UINT RealizePalette();
  void MoveTo(int32_t x, int32_t y) { position_ = {x, y}; }

  // Drawing in logical coordinates; each device implements it. FillPolygon is all of
  // Polygon: the brush fill and then the pen outline.
  virtual void Line(POINT from, POINT to) = 0;
  virtual void FillPolygon(const POINT* pts, int count) = 0;
  virtual COLORREF PutPixel(int32_t x, int32_t y, COLORREF ref) = 0;
  // Block transfer in device coordinates of both contexts (already mapped).
  virtual void Blit(RECT dst, DeviceContext* src, POINT srcOrg, DWORD rop) = 0;
  // Device-pixel access; metafiles have none. Read the pixels only after Flush.
  virtual Bitmap* Surface() { return nullptr; }
  // Completes any copy the context has put off (see CreateWindowRasterDC).
  virtual void Flush() {}
  virtual bool SelectBitmap(HBITMAP, HBITMAP* previous);
  // A window extent is being set, whatever the mapping mode: metafiles keep it in Map().
  virtual void NoteWindowExt(SIZE) {}

  // An object is being deleted: every context that has it selected gets the stock one back,
  // so nothing is left pointing at freed memory.
  static void ForgetObject(HGDIOBJ obj);

 protected:
  // A memory context's bitmap is being deleted.
  virtual void ForgetBitmap(HBITMAP) {}
  void PaletteChanged() { resolvedPalette_ = nullptr; }

  DeviceCaps caps_;
  Mapping map_;
  POINT position_{0, 0};
  HPEN pen_;
  HBRUSH brush_;
  HPALETTE palette_;
  bool paletteRealized_ = false;

 private:
  // Nearest-colour searches are the costly part of drawing on a palette device and pens keep
  // their colour for long runs; one resolved reference is kept until the palette changes.
  mutable COLORREF resolvedRef_ = 0;
  mutable COLORREF resolvedRgb_ = 0;
  mutable const Palette* resolvedPalette_ = nullptr;
};

[[gnu::always_inline]] inline DevicePoint DeviceContext::ToDeviceWide(int64_t x, int64_t y) const {
  const bool scaled = mapping::Scaled(map_);
  return {mapping::MapAxis(x, map_.windowOrg.x, map_.windowExt.cx, map_.viewportOrg.x,
                           map_.viewportExt.cx, scaled),
          mapping::MapAxis(y, map_.windowOrg.y, map_.windowExt.cy, map_.viewportOrg.y,
                           map_.viewportExt.cy, scaled)};
}

// A raster context draws into a bitmap with pixel-exact GDI rules. Screen-like contexts draw
// on a surface they are given; memory contexts draw on whatever bitmap is selected.
std::unique_ptr<DeviceContext> CreateRasterDC(Bitmap* surface, DeviceCaps caps);

// A window's context, like CreateRasterDC, that puts off copies from a memory bitmap: the
// last such copy is carried out only when the context is flushed, used otherwise, deleted,
// or the source bitmap is deleted. Progressive drawings copy the whole picture to the window
// every few hundred records; the window shows the pending source itself meanwhile
// (PendingCopyOf), so only the copies anyone sees are made.
std::unique_ptr<DeviceContext> CreateWindowRasterDC(Bitmap* surface, DeviceCaps caps);

// A copy a window context has put off: pixels of source from srcOrg go to dst.
struct PendingCopy {
  const Bitmap* source = nullptr;
  RECT dst{0, 0, 0, 0};
  POINT srcOrg{0, 0};
};
// The context's pending copy, or null.
const PendingCopy* PendingCopyOf(const DeviceContext* dc);

// A metafile context records what is drawn, in logical units, and writes it as SVG.
std::unique_ptr<DeviceContext> CreateMetafileDC();
// Writes the recorded picture as an SVG document of the given pixel size; the logical window
// (extent and origin as set on the context) spans the whole picture.
void WriteMetafileSvg(DeviceContext* metafile, std::ostream& out, int width, int height);
// The same document as a string (no stream: the web build leaves the stream library out).
std::string MetafileSvg(DeviceContext* metafile, int width, int height);
// How many drawing records a metafile holds (for tests and sanity checks).
size_t MetafileRecordCount(DeviceContext* metafile);

// One recorded drawing call, in logical units, with its colours resolved.
struct MetafileRecord {
  enum class Kind : uint8_t { Line, Polygon, Pixel };
  Kind kind;
  bool penNull;
  bool hollow;
  COLORREF pen;                 // lines, polygon outlines and pixels
  COLORREF fill;                // polygons
  int width;                    // logical pen width
  POINT from, to;               // lines; pixels use from
  uint32_t firstPoint, points;  // polygons, in MetafileContents::points
};

// What a metafile holds, for writers other than SVG; valid while the context lives.
struct MetafileContents {
  const std::vector<MetafileRecord>* records = nullptr;
  const std::vector<POINT>* points = nullptr;
  SIZE windowExt{1, 1};  // as set on the context; without one the units are picture pixels
  POINT windowOrg{0, 0};
  bool windowSet = false;
};
// False when the context is no metafile.
bool ReadMetafile(DeviceContext* metafile, MetafileContents* out);

// ---- the GDI entry points the Parts call ---------------------------------------------------

HPEN CreatePen(int style, int width, COLORREF color);
HBRUSH CreateSolidBrush(COLORREF color);
HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPixel, const void* bits);
HPALETTE CreatePalette(const LOGPALETTE* lp);
BOOL DeleteObject(HGDIOBJ obj);
HGDIOBJ GetStockObject(int which);
constexpr int WHITE_BRUSH = 0;
constexpr int NULL_BRUSH = 5;
constexpr int BLACK_PEN = 7;
constexpr int NULL_PEN = 8;
constexpr int DEFAULT_PALETTE = 15;

HGDIOBJ SelectObject(HDC dc, HGDIOBJ obj);
HDC CreateCompatibleDC(HDC dc);
BOOL DeleteDC(HDC dc);
int GetDeviceCaps(HDC dc, int index);

int SetMapMode(HDC dc, int mode);
BOOL SetWindowExtEx(HDC dc, int x, int y, SIZE* old);
BOOL SetViewportExtEx(HDC dc, int x, int y, SIZE* old);
BOOL SetWindowOrgEx(HDC dc, int x, int y, POINT* old);
BOOL SetViewportOrgEx(HDC dc, int x, int y, POINT* old);
BOOL DPtoLP(HDC dc, POINT* pts, int count);
BOOL LPtoDP(HDC dc, POINT* pts, int count);

BOOL MoveToEx(HDC dc, int x, int y, POINT* old);
BOOL LineTo(HDC dc, int x, int y);
BOOL Polygon(HDC dc, const POINT* pts, int count);
COLORREF SetPixel(HDC dc, int x, int y, COLORREF color);
COLORREF GetPixel(HDC dc, int x, int y);
BOOL BitBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, DWORD rop);

HPALETTE SelectPalette(HDC dc, HPALETTE pal, BOOL forceBackground);
UINT RealizePalette(HDC dc);
UINT GetNearestPaletteIndex(HPALETTE pal, COLORREF color);

}  // namespace gdi
