#include "platform/window.h"

#include <algorithm>

namespace platform {

bool GetClientRect(HWND wnd, RECT* rect) {
  if (!wnd || !rect) return false;
  *rect = wnd->ClientRect();
  return true;
}

HDC GetDC(HWND wnd) {
  return wnd ? wnd->GetDC() : nullptr;
}
HDC GetDCEx(HWND wnd, uint32_t flags) {
  return wnd ? wnd->GetDCEx(flags) : nullptr;
}

int ReleaseDC(HWND wnd, HDC dc) {
  if (!wnd || !dc) return 0;
  wnd->ReleaseDC(dc);
  return 1;
}

intptr_t SendMessage(HWND wnd, uint32_t msg, uintptr_t wParam, intptr_t lParam) {
  return wnd ? wnd->SendMessage(msg, wParam, lParam) : 0;
}

bool PostMessage(HWND wnd, uint32_t msg, uintptr_t wParam, intptr_t lParam) {
  return wnd && wnd->PostMessage(msg, wParam, lParam);
}

bool RedrawWindow(HWND wnd, uint32_t flags) {
  if (!wnd) return false;
  wnd->Redraw(flags);
  return true;
}

HeadlessWindow::HeadlessWindow(int width, int height, gdi::DeviceCaps caps, bool withSurface)
    : width_(std::max(0, width)), height_(std::max(0, height)), caps_(caps) {
  surface_.width = withSurface ? width_ : 0;
  surface_.height = withSurface ? height_ : 0;
  surface_.bitsPixel = caps.bitsPixel;
  surface_.planes = caps.planes;
  surface_.pixels.assign(static_cast<size_t>(surface_.width) * surface_.height,
                         gdi::RGB(255, 255, 255));
}

HDC HeadlessWindow::GetDC() {
  if (failGetDC_) return nullptr;
  dcs_.push_back(gdi::CreateRasterDC(&surface_, caps_));
  return dcs_.back().get();
}

void HeadlessWindow::ReleaseDC(HDC dc) {
  auto it = std::find_if(dcs_.begin(), dcs_.end(), [dc](auto& p) { return p.get() == dc; });
  if (it != dcs_.end()) dcs_.erase(it);
}

intptr_t HeadlessWindow::SendMessage(uint32_t msg, uintptr_t wParam, intptr_t lParam) {
  messages_.push_back({msg, wParam, lParam, false});
  return 0;
}

bool HeadlessWindow::PostMessage(uint32_t msg, uintptr_t wParam, intptr_t lParam) {
  messages_.push_back({msg, wParam, lParam, true});
  return true;
}

void HeadlessWindow::Redraw(uint32_t flags) {
  if (flags & RDW_INVALIDATE) ++invalidations_;
}

}  // namespace platform
