// The owner window as the engine sees it: a client rectangle, device contexts for it and
// synchronous/posted messages. The GUI supplies the Qt one; headless and test windows live here.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/gdi/gdi.h"

namespace platform {

using gdi::HDC;
using gdi::RECT;

constexpr uint32_t WM_CLOSE = 0x0010;
constexpr uint32_t WM_PAINT = 0x000F;
constexpr uint32_t WM_NCHITTEST = 0x0084;
constexpr uint32_t WM_NCLBUTTONDOWN = 0x00A1;
constexpr uint32_t WM_NCMBUTTONDBLCLK = 0x00A9;
constexpr uint32_t WM_KEYDOWN = 0x0100;
constexpr uint32_t WM_LBUTTONDOWN = 0x0201;
constexpr uint32_t WM_RBUTTONDOWN = 0x0204;
constexpr uint32_t WM_MBUTTONDBLCLK = 0x0209;
constexpr uint32_t WM_USER = 0x0400;
constexpr uint32_t VK_ESCAPE = 27;

constexpr uint32_t DCX_CLIPSIBLINGS = 0x10;
constexpr uint32_t DCX_PARENTCLIP = 0x20;

constexpr uint32_t RDW_INVALIDATE = 0x0001;

class Window {
 public:
  virtual ~Window() = default;
  virtual RECT ClientRect() const = 0;
  // A device context for the client area, or null when none can be had.
  virtual HDC GetDC() = 0;
  virtual HDC GetDCEx(uint32_t /*flags*/) { return GetDC(); }
  virtual void ReleaseDC(HDC dc) = 0;
  virtual intptr_t SendMessage(uint32_t msg, uintptr_t wParam, intptr_t lParam) = 0;
  virtual bool PostMessage(uint32_t msg, uintptr_t wParam, intptr_t lParam) = 0;
  // RedrawWindow for the whole client area; windows that keep no update region ignore it.
  virtual void Redraw(uint32_t /*flags*/) {}
};
using HWND = Window*;

bool GetClientRect(HWND wnd, RECT* rect);
HDC GetDC(HWND wnd);
HDC GetDCEx(HWND wnd, uint32_t flags);
int ReleaseDC(HWND wnd, HDC dc);
intptr_t SendMessage(HWND wnd, uint32_t msg, uintptr_t wParam, intptr_t lParam);
bool PostMessage(HWND wnd, uint32_t msg, uintptr_t wParam, intptr_t lParam);
// The whole client area only: the engine never passes an update rectangle or region.
bool RedrawWindow(HWND wnd, uint32_t flags);

// A window without a screen: its client area is a bitmap of the given device kind, and the
// messages it gets are recorded.
class HeadlessWindow : public Window {
 public:
  struct Message {
    uint32_t msg;
    uintptr_t wParam;
    intptr_t lParam;
    bool posted;
  };

  // Without a surface the client area still has its size, but what is copied to it is dropped
  // (batch work keeps only the off-screen bitmap).
  HeadlessWindow(int width, int height, gdi::DeviceCaps caps = gdi::DeviceCaps::TrueColour(),
                 bool withSurface = true);
  RECT ClientRect() const override { return {0, 0, width_, height_}; }
  HDC GetDC() override;
  void ReleaseDC(HDC dc) override;
  intptr_t SendMessage(uint32_t msg, uintptr_t wParam, intptr_t lParam) override;
  bool PostMessage(uint32_t msg, uintptr_t wParam, intptr_t lParam) override;
  void Redraw(uint32_t flags) override;

  gdi::Bitmap& Surface() { return surface_; }
  const std::vector<Message>& Messages() const { return messages_; }
  int OpenDCs() const { return static_cast<int>(dcs_.size()); }
  void FailGetDC(bool fail) { failGetDC_ = fail; }
  // How often the client area was invalidated (RedrawWindow with RDW_INVALIDATE).
  int Invalidations() const { return invalidations_; }

 private:
  int width_, height_;
  gdi::DeviceCaps caps_;
  gdi::Bitmap surface_;
  std::vector<std::unique_ptr<gdi::DeviceContext>> dcs_;
  std::vector<Message> messages_;
  bool failGetDC_ = false;
  int invalidations_ = 0;
};

}  // namespace platform
