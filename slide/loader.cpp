#include "slide/loader.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "platform/exten.h"
#include "platform/file_open.h"
#include "render/acacol.h"
#include "render/dxf_writer.h"
#include "render/rendering.h"
#include "slide/ciclo.h"
#include "slide/library.h"
#include "slide/slide_block.h"
#include "slide/slide_fit.h"
#include "slide/slide_header.h"
#include "slide/slide_kind.h"

namespace lanterna {

namespace {

// A recorded picture on black carries its background: the slide's extent filled black.
void RecordBackground(gdi::HDC dc, const SlideFit& fit) {
  gdi::HBRUSH black = gdi::CreateSolidBrush(BackgroundColorRef());
  gdi::HGDIOBJ oldBrush = gdi::SelectObject(dc, black);
  gdi::HGDIOBJ oldPen = gdi::SelectObject(dc, gdi::GetStockObject(gdi::NULL_PEN));
  const gdi::POINT corners[4] = {
      {0, 0}, {fit.slideWidth, 0}, {fit.slideWidth, fit.slideHeight}, {0, fit.slideHeight}};
  gdi::Polygon(dc, corners, 4);
  gdi::SelectObject(dc, oldPen);
  gdi::SelectObject(dc, oldBrush);
  gdi::DeleteObject(black);
}

}  // namespace

LoaderState& Loader() {
  static thread_local LoaderState state;
  return state;
}

int LoaderBusy() {
  return Loader().LoaderBusy;
}
gdi::HBITMAP GetBitmapSlot() {
  return Loader().bitmapSlot;
}
void SetBitmapSlot(gdi::HBITMAP bitmap) {
  Loader().bitmapSlot = bitmap;
}

namespace {

constexpr char kRenderingSignature[] = "AutoShade Rendering Slide\r\n";
constexpr size_t kRenderingSignatureLength = 27;
constexpr uint32_t kModeBits =
    SI_DXF_POLYLINES | SI_KEEP_BITMAP | SI_DIRECT | SI_SIZE_ONLY | SI_COPY_RAW | SI_HEADER_ONLY;

void MsWindowsError(const char* text) {
  platform::ShowErrorBox(Loader().owner, text, "MsWindows Error", 0x1000);
}

// What one call holds and must give back whichever way it returns.
struct CallResources {
  std::FILE* file = nullptr;
  SlideBlock block;
  SlidePalette localPalette;
  SlidePalette* palette = nullptr;

  ~CallResources() {
    LoaderState& L = Loader();
    if (file) std::fclose(file);
    if (localPalette.logPalette) {
      delete localPalette.logPalette;
      gdi::DeleteObject(localPalette.palette);
    }
    L.data = nullptr;
    DxfState().on = false;
    DxfClose();
    L.LoaderBusy = 0;
  }
};

gdi::RECT TakeTarget(platform::HWND owner, gdi::RECT* rect, uint16_t width, uint16_t height) {
  gdi::RECT target{0, 0, 0, 0};
  if (rect) {
    target = *rect;
    rect->left = height;  // callers read the slide's extent back from here
    rect->top = width;
  } else {
    platform::GetClientRect(owner, &target);
  }
  return target;
}

void FillVectorInfo(SlideInfo* info, const SlideHeader& h) {
  *info = SlideInfo{};
  info->kind = kKindSlide;
  std::memcpy(info->id, h.id, sizeof h.id);
  info->machine = h.machine;
  info->version = h.versionCode;
  info->width = h.width;
  info->height = h.height;
  info->aspectRatio = h.aspectRatio;
  info->hardwareFill = h.hardwareFill;
  info->testWord = h.testWord;
}

// Nothing of the last call carries over.
void BeginCall(platform::HWND owner, SlidePalette* palette, CallResources* res) {
  LoaderState& L = Loader();
  L.LoaderBusy = 1;
  L.owner = owner;
  L.ByteReaded = 0;
  L.IconSize = 0;
  L.bigEndian = false;
  DxfOutputState& dxf = DxfState();
  dxf.on = false;
  dxf.polylineMode = false;
  dxf.polylineClosed = true;
  PaletteInUse() = 0;
  res->palette = palette ? palette : &res->localPalette;
  if (!palette) res->localPalette.palette = AppPalette();
}

// What follows once the slide's bytes are in the loader's block: the signature, the header, the
// fit and the drawing.
int32_t ShowData(int kind, uint32_t mode, gdi::HDC dc, gdi::RECT* rect, std::FILE* rawOut,
                 ViewState* view, SlidePalette* palette, SlideInfo* info);
int32_t DrawOffscreen(int kind, uint32_t mode, gdi::HDC givenDC, ViewState* view,
                      SlidePalette* palette, const RenderingHeader& rendering);

}  // namespace

int32_t ShowIcon(platform::HWND owner, const char* path, char* member, uint32_t mode,
                 const char* dxfName, gdi::HDC dc, gdi::RECT* rect, std::FILE* rawOut,
                 ViewState* view, SlidePalette* palette, SlideInfo* info) {
  LoaderState& L = Loader();
  CallResources res;
  BeginCall(owner, palette, &res);
  DxfOutputState& dxf = DxfState();
  mode &= kModeBits;

  std::string upperMember;
  if (member) {
    upperMember = UpperCasedName(member);
    std::memcpy(member, upperMember.c_str(), upperMember.size());
  }

  if (!path || !*path) return kEmptyPath;
  int kind = SlideKindOf(path);
  if (kind == kKindNone) return kCannotOpen;  // nothing of a kind we read
  // Only regular files: a FIFO or a device named like a slide would block the program.
  res.file = platform::OpenRegularFile(path);
  if (!res.file) return kCannotOpen;
  const uint64_t fileSize = platform::OpenFileSize(res.file);

  if (dxfName) {
    if (!DxfOpen(dxfName)) {
      std::string text = std::string("Cannot create ") + dxfName;
      platform::ShowErrorBox(owner, text.c_str(), "Error", 0);
      return kCannotOpen;
    }
    dxf.on = true;
    dxf.polylineMode = (mode & SI_DXF_POLYLINES) != 0;
    DxfBegin();
  }

  if (kind == kKindLibrary) {
    MemberLocation where = FindMember(res.file, upperMember.c_str(), fileSize);
    if (!where.found) return kNotFound;
    std::fseek(res.file, static_cast<long>(where.offset), SEEK_SET);
    L.IconSize = where.length;
  } else {
    L.IconSize = fileSize > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<uint32_t>(fileSize);
  }

  if (mode & SI_SIZE_ONLY) return static_cast<int32_t>(L.IconSize);
  if (view) view->size = L.IconSize;

  if (!res.block.Allocate(L.IconSize)) {
    platform::ShowErrorBox(owner, "Insufficent memory (GlobalAlloc)", "Error", 0);
    return kNotFound;
  }
  const size_t got = res.block.Read(res.file);
  (void)got;  // a short read leaves the rest of the block zero
  std::fclose(res.file);
  res.file = nullptr;
  L.data = res.block.get();
  return ShowData(kind, mode, dc, rect, rawOut, view, res.palette, info);
}

int32_t ShowIconData(platform::HWND owner, int kind, const uint8_t* data, uint32_t size,
                     uint32_t mode, gdi::HDC dc, gdi::RECT* rect, ViewState* view,
                     SlidePalette* palette, SlideInfo* info) {
  LoaderState& L = Loader();
  CallResources res;
  BeginCall(owner, palette, &res);
  mode &= kModeBits;
  L.IconSize = size;
  if (mode & SI_SIZE_ONLY) return static_cast<int32_t>(L.IconSize);
  if (view) view->size = L.IconSize;
  L.data = data;
  return ShowData(kind, mode, dc, rect, nullptr, view, res.palette, info);
}

namespace {

int32_t ShowData(int kind, uint32_t mode, gdi::HDC dc, gdi::RECT* rect, std::FILE* rawOut,
                 ViewState* view, SlidePalette* palette, SlideInfo* info) {
  LoaderState& L = Loader();
  const platform::HWND owner = L.owner;
  if (kind == kKindLibrary && L.IconSize >= kRenderingSignatureLength &&
      std::memcmp(L.data, kRenderingSignature, kRenderingSignatureLength) == 0)
    kind = kKindRendering;
  if (kind != kKindRendering && !HasSlideSignature(L.data, L.IconSize)) return kNotSlide;

  if (mode & SI_COPY_RAW) {
    if (!rawOut || std::fwrite(L.data, 1, L.IconSize, rawOut) != L.IconSize) return kCannotOpen;
    return 0;
  }

  RenderingHeader rendering;
  if (kind != kKindRendering) {
    const SlideHeader h = ParseSlideHeader(L.data, L.IconSize);
    L.bigEndian = h.bigEndian;
    L.ByteReaded = h.length;
    FitSlide(h.width, h.height, TakeTarget(owner, rect, h.width, h.height));
    if (info) FillVectorInfo(info, h);
    if (mode & SI_HEADER_ONLY) return static_cast<int32_t>(L.IconSize);
  } else {
    if (!ParseRenderingHeader(L.data, L.IconSize, &rendering)) {
      platform::ShowErrorBox(owner, "Not a rendering file, or old incompatible format.", "Error",
                             0);
      return kNotRendering;
    }
    L.ByteReaded = rendering.dataStart;
    uint16_t width = rendering.width, height = rendering.height;
    const bool measured = view && view->measuredWidth > 0;
    if (measured) {
      width = static_cast<uint16_t>(view->measuredWidth);
      height = static_cast<uint16_t>(view->measuredHeight);
    }
    gdi::RECT target = TakeTarget(owner, rect, width, height);
    target.right -= 2;
    target.bottom -= 2;
    FitSlide(width, height, target);
    if (measured) {
      SlideFit& f = CurrentFit();
      f.offsetX = static_cast<int16_t>(f.offsetX - static_cast<int16_t>(view->measuredLeft));
      f.offsetY = static_cast<int16_t>(f.offsetY + static_cast<int16_t>(view->measuredTop));
    }
    if (info) FillRenderingInfo(info, rendering);
  }

  const SlideFit& fit = CurrentFit();
  const bool drawable = fit.slideWidth != 0 && fit.slideHeight != 0;

  if (mode & SI_DIRECT) {
    gdi::HDC ownDC = nullptr;
    if (dc) {
      L.drawDC = dc;
      ApplyMetafileMapping(dc);
    } else {
      ownDC = platform::GetDCEx(owner, platform::DCX_CLIPSIBLINGS | platform::DCX_PARENTCLIP);
      if (!ownDC) platform::MessageBeep(0xFFFFFFFF);
      L.drawDC = ownDC;
      ApplyWindowMapping(ownDC, nullptr);
    }
    if (kind != kKindRendering) {
      if (drawable) {
        SelectAppPalette(L.drawDC, PaletteInUse(), palette, nullptr);
        if (dc && BlackBackground() && !DxfState().on) RecordBackground(dc, fit);
        Ciclo(nullptr, nullptr, nullptr);
      }
    } else {
      DrawRendering(L.drawDC, L.IconSize, rendering, view, palette, nullptr, info, owner, false,
                    rendering.pixelAspect);
    }
    if (ownDC) platform::ReleaseDC(owner, ownDC);
    L.drawDC = nullptr;
    if (mode & SI_HEADER_ONLY) return static_cast<int32_t>(L.IconSize);
    return static_cast<int32_t>(L.ByteReaded);
  }

  return DrawOffscreen(kind, mode, dc, view, palette, rendering);
}

int32_t DrawOffscreen(int kind, uint32_t mode, gdi::HDC givenDC, ViewState* view,
                      SlidePalette* palette, const RenderingHeader& rendering) {
  LoaderState& L = Loader();
  const SlideFit& fit = CurrentFit();
  gdi::HDC windowDC = givenDC;
  bool ownWindowDC = false;
  if (!windowDC) {
    windowDC = platform::GetDC(L.owner);
    ownWindowDC = windowDC != nullptr;
    if (!windowDC) MsWindowsError("LocDc==NULL in ShowIcon");
  }
  auto releaseWindowDC = [&] {
    if (ownWindowDC) platform::ReleaseDC(L.owner, windowDC);
    ownWindowDC = false;
  };

  if (!L.displayCapsKnown) {
    gdi::DeviceCaps caps = windowDC ? windowDC->Caps() : gdi::DeviceCaps::TrueColour();
    L.displayPlanes = caps.planes;
    L.displayBitsPixel = caps.bitsPixel;
    L.displayCapsKnown = true;
  }

  const bool fresh = !view || view->reached == 0;
  gdi::HBITMAP bitmap = nullptr;
  if (fresh) {
    bitmap = gdi::CreateBitmap(fit.right, fit.bottom, L.displayPlanes, L.displayBitsPixel, nullptr);
  } else {
    if (L.IconSize < L.ByteReaded) {
      releaseWindowDC();
      MsWindowsError("IconSize<ByteReaded in ShowIcon[1]");
      view->reached = 0;
      return static_cast<int32_t>(L.ByteReaded);
    }
    if (view->reached >= L.IconSize) {
      // Complete already: later paints only show the kept bitmap.
      releaseWindowDC();
      return static_cast<int32_t>(view->reached);
    }
    bitmap = GetBitmapSlot();
    if (view->reached > L.ByteReaded) L.ByteReaded = view->reached;
  }
  if (!bitmap) {
    releaseWindowDC();
    return kNotFound;
  }

  ApplyWindowMapping(windowDC, view);
  gdi::HDC memDC = windowDC ? gdi::CreateCompatibleDC(windowDC) : gdi::CreateCompatibleDC(nullptr);
  if (!memDC) {
    MsWindowsError("MyDc==NULL");
    releaseWindowDC();
    if (fresh) gdi::DeleteObject(bitmap);
    return static_cast<int32_t>(L.ByteReaded);
  }
  gdi::HGDIOBJ previousBitmap = gdi::SelectObject(memDC, bitmap);
  if (fresh)
    gdi::BitBlt(memDC, fit.left, fit.top, fit.right, fit.bottom, nullptr, 0, 0,
                BlackBackground() ? gdi::BLACKNESS : gdi::WHITENESS);
  ApplyWindowMapping(memDC, view);
  L.drawDC = memDC;

  int result = 0;
  const bool drawable = fit.slideWidth != 0 && fit.slideHeight != 0;
  if (kind != kKindRendering) {
    // A DXF needs no picture size: a slide without extent still gives its vectors.
    if (drawable || DxfState().on) {
      SelectAppPalette(memDC, PaletteInUse(), palette, windowDC);
      result = Ciclo(windowDC, memDC, view);
    } else {
      // Nothing to draw on a slide without extent; it is complete as it stands.
      L.ByteReaded = L.IconSize;
      if (view) view->reached = L.IconSize;
    }
  } else {
    result = DrawRendering(memDC, L.IconSize, rendering, view, palette, windowDC, nullptr, L.owner,
                           DxfState().on, rendering.pixelAspect);
  }
  L.drawDC = nullptr;

  const bool overrun = L.IconSize < L.ByteReaded;
  if (!overrun)
    gdi::BitBlt(windowDC, fit.left, fit.top, fit.right, fit.bottom, memDC, 0, 0, gdi::SRCCOPY);
  if (previousBitmap) gdi::SelectObject(memDC, previousBitmap);
  gdi::DeleteDC(memDC);
  releaseWindowDC();
  if (overrun) {
    MsWindowsError("IconSize<ByteReaded in ShowIcon[2]");
    // The data ran out inside a record: what was drawn stands, and the drawing is over, so
    // that later paints do not decode and complain again.
    if (view) view->reached = L.IconSize;
  }

  if (result == -1 || (mode & SI_KEEP_BITMAP)) {
    SetBitmapSlot(bitmap);
  } else {
    if (GetBitmapSlot() == bitmap) SetBitmapSlot(nullptr);
    gdi::DeleteObject(bitmap);
  }
  return static_cast<int32_t>(L.ByteReaded);
}

}  // namespace

}  // namespace lanterna
