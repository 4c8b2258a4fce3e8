// TMyChild: one slide window. Draws its slide progressively into a bitmap it keeps and shows
// that bitmap on every paint.
#pragma once

#include <string>

#include "framework/frame.h"
#include "platform/qt/surface_window.h"
#include "render/acacol.h"
#include "slide/slide_types.h"

namespace lanterna {

class TMyChild : public framework::TMDIChild {
 public:
  TMyChild(framework::TMDIClient* client, const std::string& title, const std::string& fileName,
           const std::string& memberName);
  ~TMyChild() override;
  void SetupWindow() override;

  // The client area, where the engine draws (GetClientRect, GetDC go there).
  platform::qt::SurfaceWindow* View() const { return view_; }
  gdi::RECT ClientRect() const override { return view_->ClientRect(); }
  gdi::HDC GetDC() override { return view_->GetDC(); }
  void ReleaseDC(gdi::HDC dc) override { view_->ReleaseDC(dc); }
  // RDW_INVALIDATE: a paint comes later, through the queue.
  void Redraw(uint32_t flags) override;

  void Invalidate();
  void EvPaint();

  const std::string& FileName() const { return fileName_; }
  const char* MemberName() const { return memberName_; }
  const ViewState& NormalView() const { return normalView_; }
  const SlideInfo& Info() const { return info_; }
  gdi::HBITMAP NormalBitmap() const { return normalBitmap_; }
  bool DrawingComplete() const {
    return normalBitmap_ && normalView_.size > 0 && normalView_.reached >= normalView_.size;
  }

 protected:
  void resizeEvent(QResizeEvent* e) override;

 private:
  void AdjustSize();
  void ResetNormalView();
  void ResetIconView();
  void CmRedraw();

  platform::qt::SurfaceWindow* view_;
  gdi::HBITMAP normalBitmap_ = nullptr;
  gdi::HBITMAP iconBitmap_ = nullptr;
  bool wasMinimised_ = false;
  ViewState normalView_, iconView_;
  SlidePalette palette_;
  bool resized_ = false;
  gdi::RECT lastClient_{-4321, 0, 0, 0};
  bool shownBeforeDraw_ = false;
  bool paintPosted_ = false;
  SlideInfo info_;
  std::string fileName_;
  char memberName_[260] = {};
};

}  // namespace lanterna
