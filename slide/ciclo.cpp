#include "slide/ciclo.h"

#include "platform/exten.h"
#include "platform/input.h"
#include "render/acacol.h"
#include "render/dxf_writer.h"
#include "slide/loader.h"
#include "slide/slide_fit.h"
#include "slide/slide_header.h"

namespace lanterna {

namespace {

// What may interrupt a drawing, and why the last one stopped.
struct InterruptState {
  uint32_t mask = kDefaultInterruptMask;
  uint32_t cause = 0;
};

InterruptState& Interrupts() {
  static thread_local InterruptState state;
  return state;
}

constexpr uint8_t kOffsetVector = 0xFB;
constexpr uint8_t kEndOfFile = 0xFC;
constexpr uint8_t kSolidFill = 0xFD;
constexpr uint8_t kCommonEndpoint = 0xFE;
constexpr uint8_t kNewColour = 0xFF;
constexpr uint32_t kFillRecordLength = 6;

// The pen and brush of the current colour, and what they replaced on the drawing context.
struct ColourObjects {
  gdi::HPEN pen = nullptr;
  gdi::HBRUSH brush = nullptr;
  gdi::HGDIOBJ previousPen = nullptr;
  gdi::HGDIOBJ previousBrush = nullptr;

  void Select(gdi::HDC dc, int colour) {
    Release(dc);
    // Colour 0 is the drawing's background in CAD programs (masks behind texts are stored
    // in it): it is drawn in the background the slide is drawn on, white.
    const gdi::COLORREF ref = colour == 0 ? BackgroundColorRef() : AciColorRef(colour);
    pen = gdi::CreatePen(gdi::PS_SOLID, 1, ref);
    previousPen = gdi::SelectObject(dc, pen);
    brush = gdi::CreateSolidBrush(ref);
    previousBrush = gdi::SelectObject(dc, brush);
  }

  void Release(gdi::HDC dc) {
    if (pen) {
      if (previousPen) gdi::SelectObject(dc, previousPen);
      gdi::DeleteObject(pen);
    }
    if (brush) {
      if (previousBrush) gdi::SelectObject(dc, previousBrush);
      gdi::DeleteObject(brush);
    }
    *this = {};
  }
};

void CopyProgress(gdi::HDC windowDC, gdi::HDC offscreenDC) {
  if (!windowDC) return;
  const SlideFit& f = CurrentFit();
  gdi::BitBlt(windowDC, 0, 0, f.slideWidth, f.slideHeight, offscreenDC, 0, 0, gdi::SRCCOPY);
}

}  // namespace

bool PendingInputTest(platform::HWND owner, int* result) {
  InterruptState& s = Interrupts();
  bool found = false;
  platform::PendingMessage m{};
  if ((s.mask & kInterruptKey) &&
      platform::PeekPendingInput(platform::WM_KEYDOWN, platform::WM_KEYDOWN, &m)) {
    found = true;
    s.cause = kInterruptKey;
    *result = -1;
    if ((s.mask & kInterruptEscape) && m.wParam == platform::VK_ESCAPE) {
      s.cause = kInterruptEscape;
      *result = 0;
    }
  }
  if ((s.mask & kInterruptMouse) &&
      (platform::PeekPendingInput(platform::WM_LBUTTONDOWN, platform::WM_MBUTTONDBLCLK, &m) ||
       platform::PeekPendingInput(platform::WM_NCLBUTTONDOWN, platform::WM_NCMBUTTONDBLCLK, &m))) {
    found = true;
    s.cause = kInterruptMouse;
    *result = 0;
  }
  platform::SendMessage(owner, platform::WM_NCHITTEST, 0, 0);
  return found;
}

uint32_t InterruptMask(uint32_t value) {
  if (value != 0) Interrupts().mask = value;
  return Interrupts().mask;
}

uint32_t& InterruptCause() {
  return Interrupts().cause;
}

int Ciclo(gdi::HDC windowDC, gdi::HDC offscreenDC, ViewState* view) {
  LoaderState& L = Loader();
  DxfOutputState& dxf = DxfState();
  const uint8_t* const data = L.data;
  const uint32_t size = L.IconSize;
  const bool be = L.bigEndian;
  gdi::HDC dc = L.drawDC;

  int16_t lastX = 0, lastY = 0;
  uint16_t& colour = dxf.currentColour;  // the DXF writer writes entities in this colour
  ColourObjects objects;
  gdi::POINT vertices[kMaxFillVertices];
  int checkCounter = kRecordsPerInputCheck;
  int copyCounter = 0;
  bool firstVector = true;
  bool stop = false;
  bool endOfFile = false;
  int result = 0;

  if (dxf.on) platform::ShowMex(L.owner, "Converting to DXF...", "Wait...", 0x40, 0);
  if (view) {
    lastX = view->lastX;
    lastY = view->lastY;
    colour = static_cast<uint16_t>(view->colour);
    if (view->reached != 0) objects.Select(dc, colour);
  } else {
    colour = 7;  // a drawing without a view starts in the default colour
  }
  dxf.lastWrittenColour = colour;

  auto word = [&](uint32_t at) { return ReadWord(data + at, be); };
  auto sword = [&](uint32_t at) { return static_cast<int16_t>(ReadWord(data + at, be)); };
  auto sbyte = [&](uint32_t at) { return static_cast<int8_t>(data[at]); };
  auto wrap = [](int v) { return static_cast<int16_t>(static_cast<uint16_t>(v)); };
  auto line = [&](int x1, int y1, int x2, int y2) {
    gdi::MoveToEx(dc, x1, y1, nullptr);
    // A vector whose ends meet is a CAD point; the line rule would leave it out entirely.
    if (x1 == x2 && y1 == y2) {
      gdi::SetPixel(dc, x1, y1, dc->CurrentPen()->color);
      return;
    }
    gdi::LineTo(dc, x2, y2);
  };

  while (L.ByteReaded < size && !stop && !endOfFile) {
    if (++checkCounter >= kRecordsPerInputCheck) {
      checkCounter = 0;
      int found = 0;
      if (PendingInputTest(L.owner, &found)) {
        CopyProgress(windowDC, offscreenDC);
        if (view) {
          view->reached = L.ByteReaded;
          view->lastX = lastX;
          view->lastY = lastY;
          view->colour = static_cast<int16_t>(colour);
        }
        result = found;
        objects.Release(dc);
        return result;
      }
    }
    if (++copyCounter >= kRecordsPerProgressCopy && windowDC) {
      CopyProgress(windowDC, offscreenDC);
      copyCounter = 0;
    }

    // A record cut short by the end of the data ends decoding; its bytes are never read.
    const uint32_t at = L.ByteReaded;
    const uint32_t left = size - at;
    if (left < 2) {
      L.ByteReaded += 2;
      break;
    }
    const uint16_t first = word(at);
    const uint8_t code = static_cast<uint8_t>(first >> 8);
    const uint8_t low = static_cast<uint8_t>(first & 0xFF);

    if (code <= 0x7F) {
      if (left < 8) {
        L.ByteReaded += 8;
        break;
      }
      const int16_t fx = static_cast<int16_t>(first), fy = sword(at + 2);
      const int16_t tx = sword(at + 4), ty = sword(at + 6);
      L.ByteReaded += 8;
      line(fx, fy, tx, ty);
      lastX = fx, lastY = fy;
      if (dxf.on) {
        const bool point = fx == tx && fy == ty;
        if (!dxf.polylineMode) {
          DxfLine(fx, fy, tx, ty);
        } else {
          if (!firstVector && !point) {
            DxfSeqend();
            DxfPolyline(false, kDxfCurrentColour);
          }
          if (firstVector) DxfPolyline(false, kDxfCurrentColour);
          if (!point) DxfVertex(tx, ty);
          DxfVertex(fx, fy);
        }
      }
      firstVector = false;
    } else if (code == kOffsetVector) {
      if (left < 5) {
        L.ByteReaded += 5;
        break;
      }
      const int16_t fx = wrap(lastX + static_cast<int8_t>(low)), fy = wrap(lastY + sbyte(at + 2));
      const int16_t tx = wrap(lastX + sbyte(at + 3)), ty = wrap(lastY + sbyte(at + 4));
      L.ByteReaded += 5;
      line(fx, fy, tx, ty);
      lastX = fx, lastY = fy;
      if (dxf.on) {
        if (!dxf.polylineMode) {
          DxfLine(fx, fy, tx, ty);
        } else {
          DxfSeqend();
          DxfPolyline(false, kDxfCurrentColour);
          DxfVertex(tx, ty);
          DxfVertex(fx, fy);
        }
      }
    } else if (code == kCommonEndpoint) {
      if (left < 3) {
        L.ByteReaded += 3;
        break;
      }
      const int16_t tx = wrap(lastX + static_cast<int8_t>(low)), ty = wrap(lastY + sbyte(at + 2));
      L.ByteReaded += 3;
      line(lastX, lastY, tx, ty);
      if (dxf.on) {
        if (!dxf.polylineMode)
          DxfLine(lastX, lastY, tx, ty);
        else
          DxfVertex(tx, ty);
      }
      lastX = tx, lastY = ty;
    } else if (code == kSolidFill) {
      if (left < kFillRecordLength) {
        L.ByteReaded += kFillRecordLength;
        break;
      }
      const uint32_t n = word(at + 2);
      L.ByteReaded += kFillRecordLength;
      if (n == 1 || n == 2 || n > kMaxFillVertices) {
        platform::ShowErrorBox(L.owner, "Problemi nel riempimento", "Errore", 0);
        L.ByteReaded += n * kFillRecordLength + kFillRecordLength;
        continue;
      }
      const uint32_t count = n == 0 ? 1 : n;
      // Some writers leave out the end record and mark the last vertex with a negative y
      // instead; slide vertices are screen points, so a negative y there is that mark.
      bool endOnLastVertex = false;
      if (n >= 3 && size - L.ByteReaded >= n * kFillRecordLength)
        endOnLastVertex = sword(L.ByteReaded + (n - 1) * kFillRecordLength + 4) < 0;
      const uint32_t needed = (count + (endOnLastVertex ? 0 : 1)) * kFillRecordLength;
      if (size - L.ByteReaded < needed) {
        L.ByteReaded += needed;
        break;
      }
      for (uint32_t i = 0; i < count; ++i) {
        const uint32_t v = L.ByteReaded + i * kFillRecordLength;
        vertices[i] = {sword(v + 2), sword(v + 4)};
      }
      if (endOnLastVertex) vertices[count - 1].y = wrap(-vertices[count - 1].y);
      L.ByteReaded += needed;
      if (dxf.on) {
        if (n <= 4) {
          int corners[5][2] = {};
          for (uint32_t i = 0; i < n; ++i)
            corners[i][0] = vertices[i].x, corners[i][1] = vertices[i].y;
          DxfSolid(static_cast<int>(n), corners, kDxfCurrentColour);
        } else {
          if (!firstVector) DxfSeqend();
          DxfPolyline(true, kDxfCurrentColour);
          for (uint32_t i = 0; i < n; ++i) DxfVertex(vertices[i].x, vertices[i].y);
          DxfSeqend();
        }
      }
      gdi::Polygon(dc, vertices, static_cast<int>(count));
    } else if (code == kNewColour) {
      L.ByteReaded += 2;
      colour = low;
      objects.Select(dc, colour);
    } else if (code == kEndOfFile) {
      L.ByteReaded += 2;
      if (dxf.on && dxf.polylineMode) DxfSeqend();
      endOfFile = true;
    } else {
      L.ByteReaded += 2;
      stop = true;  // an undefined code ends the slide
    }
  }

  if (dxf.on) {
    platform::ShowMex(L.owner, "Closing file", "Wait...", 0x40, 0);
    DxfEnd();
    platform::ShowMex(nullptr, nullptr, nullptr, 0, 0);
  }
  if (view) {
    view->reached = (endOfFile || stop) ? size : L.ByteReaded;
    view->lastX = lastX;
    view->lastY = lastY;
    view->colour = static_cast<int16_t>(colour);
  }
  objects.Release(dc);
  if (size < L.ByteReaded)
    platform::ShowErrorBox(L.owner, "IconSize<ByteReaded in Ciclo", "MsWindows Error", 0x1000);
  return result;
}

}  // namespace lanterna
