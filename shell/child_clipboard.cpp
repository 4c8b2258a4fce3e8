// The slide window's copies to the clipboard: the slide as vectors (an SVG picture that keeps
// the slide's proportions) and the window's drawing as an image.
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <memory>
#include <sstream>

#include "framework/gadgets.h"
#include "platform/exten.h"
#include "platform/qt/bitmap_image.h"
#include "platform/qt/input_queue.h"
#include "resources/resources.h"
#include "shell/child.h"
#include "shell/shell_state.h"
#include "slide/ciclo.h"
#include "slide/loader.h"

namespace lanterna {

namespace {

constexpr int kInfoKind = 0x40;
constexpr const char* kSvgMime = "image/svg+xml";

void UpdateStatusBar() {
  if (framework::TStatusBar* bar = Shell().StatusBar) bar->Update();
}

}  // namespace

QImage BitmapImage(const gdi::Bitmap& bitmap) {
  return platform::qt::Rgb32Image(bitmap);
}

bool TMyChild::BeginCopy() {
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (!clipboard) {
    platform::MessageBeep(static_cast<unsigned>(-1));
    return false;
  }
  clipboard->clear();
  // Nothing but Esc stops the drawing made for the copy.
  InterruptMask(kInterruptEscape);
  const std::string caption = GetCaption();
  SetStatusText(res::LoadString(res::IDS_COPY) + caption + "...");
  UpdateStatusBar();
  platform::ShowMex(this, res::LoadString(res::IDS_COPYING).c_str(), caption.c_str(), kInfoKind, 0);
  // Shown again at once, and painted from its bitmap once the copy is done.
  view_->repaint();
  Invalidate();
  return true;
}

void TMyChild::EndCopy() {
  InterruptMask(kDefaultInterruptMask);
  SetStatusText("");
  UpdateStatusBar();
  platform::ShowMex(nullptr, nullptr, nullptr, 0, 0);
}

void TMyChild::CmCopyVectors() {
  if (!BeginCopy()) return;
  std::unique_ptr<gdi::DeviceContext> metafile = gdi::CreateMetafileDC();
  gdi::RECT rect{0, 0, 100, 100};
  int32_t result;
  {
    platform::qt::DrawingScope drawing;
    result = ShowIconKept(&kept_, view_, fileName_.c_str(), memberName_, SI_DIRECT, metafile.get(),
                          &rect, nullptr, nullptr, nullptr);
  }
  // A slide that cannot be read leaves the clipboard empty (the loader has said why, if it
  // could tell).
  if (result >= 0) {
    // The rectangle comes back with the slide's height first and its width second. The picture
    // has the slide's own proportions and no physical size: its reader scales it.
    const int height = rect.left, width = rect.top;
    std::ostringstream svg;
    gdi::WriteMetafileSvg(metafile.get(), svg, width, height);
    auto* data = new QMimeData;
    data->setData(kSvgMime, QByteArray::fromStdString(svg.str()));
    QGuiApplication::clipboard()->setMimeData(data);
  }
  EndCopy();
}

void TMyChild::CmCopyBitmap() {
  if (!BeginCopy()) return;
  // The drawing so far goes to the clipboard; the window draws itself a fresh one. The
  // clipboard takes a copy of the pixels, so the handed bitmap is only kept from deletion
  // while the fresh drawing replaces it.
  QImage picture = normalBitmap_ ? BitmapImage(*normalBitmap_) : QImage();
  ClipboardBitmap() = normalBitmap_;
  normalView_.reached = 0;
  EvPaint();
  // Nothing drawn before: the fresh drawing is the picture.
  if (picture.isNull() && normalBitmap_) picture = BitmapImage(*normalBitmap_);
  // A slide palette exists on palette displays only; the image holds the resolved colours, so
  // on true colour there is no palette to hand over with it.
  if (!picture.isNull()) QGuiApplication::clipboard()->setImage(picture);
  const gdi::HBITMAP handed = ClipboardBitmap();
  ClipboardBitmap() = nullptr;
  if (handed && handed != normalBitmap_) gdi::DeleteObject(handed);
  EndCopy();
}

}  // namespace lanterna
