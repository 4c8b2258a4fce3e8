#include "output/render_job.h"

#include <algorithm>
#include <fstream>
#include <vector>

#include "platform/exten.h"
#include "platform/gdi/deferred_drawing.h"
#include "platform/window.h"
#include "render/dxf_writer.h"
#include "render/rendering.h"
#include "slide/ciclo.h"
#include "slide/loader.h"
#include "slide/slide_kind.h"

namespace lanterna {

namespace {

// A member name buffer the loader may upper-case in place.
std::vector<char> MemberBuffer(const std::string& member) {
  std::vector<char> buffer(member.begin(), member.end());
  buffer.resize(std::max<size_t>(buffer.size() + 1, 40), 0);
  return buffer;
}

// Batch work is never interrupted; the mask is put back afterwards.
struct NoInterruptions {
  uint32_t saved = InterruptMask(0);
  NoInterruptions() { InterruptMask(kInterruptEscape); }
  ~NoInterruptions() { InterruptMask(saved); }
};

// A slide window asked to close (Cancel on a question about the data) paints no more.
bool CloseRequested(const platform::HeadlessWindow& window) {
  for (const auto& m : window.Messages())
    if (m.msg == platform::WM_CLOSE) return true;
  return false;
}

// Whether the data of the last slide drawn, recorded or converted ran out before its end.
thread_local bool gLastEndedEarly = false;

// Passes the engine's boxes on as they are and notes the one the decoder shows when the data
// runs out before the slide ends, or a rendering's record cut short.
class EarlyEndWatch : public platform::MessageBoxService {
 public:
  EarlyEndWatch() : previous_(platform::CurrentMessageBoxService()) {
    platform::SetMessageBoxService(this);
    RenderingCutShort() = false;
  }
  ~EarlyEndWatch() override {
    platform::SetMessageBoxService(previous_);
    if (RenderingCutShort()) gLastEndedEarly = true;
  }
  // A rendering's records end in silence: the renderer notes one cut short instead.
  bool EndedEarly() const { return endedEarly || RenderingCutShort(); }
  int Show(platform::HWND owner, const std::string& text, const std::string& title,
           unsigned style) override {
    if (text.find("ByteReaded in Ciclo") != std::string::npos) endedEarly = gLastEndedEarly = true;
    if (previous_) return previous_->Show(owner, text, title, style);
    platform::StderrMessageBoxes plain;
    return plain.Show(owner, text, title, style);
  }
  bool endedEarly = false;

 private:
  platform::MessageBoxService* previous_;
};

}  // namespace

SlideExtent ReadSlideExtent(const std::string& path, const std::string& member) {
  SlideExtent e;
  SlideInfo info;
  std::vector<char> name = MemberBuffer(member);
  NoInterruptions quiet;
  e.result = ShowIcon(nullptr, path.c_str(), name.data(), SI_DIRECT | SI_HEADER_ONLY, nullptr,
                      nullptr, nullptr, nullptr, nullptr, nullptr, &info);
  e.kind = info.kind;
  e.width = info.width;
  e.height = info.height;
  return e;
}

void DefaultPictureSize(int slideWidth, int slideHeight, int* width, int* height) {
  int w = std::max(1, slideWidth), h = std::max(1, slideHeight);
  const int longer = std::max(w, h);
  if (longer > kMaxDefaultSide) {
    w = std::max(1, static_cast<int>(static_cast<int64_t>(w) * kMaxDefaultSide / longer));
    h = std::max(1, static_cast<int>(static_cast<int64_t>(h) * kMaxDefaultSide / longer));
  }
  *width = w;
  *height = h;
}

bool LastDrawingEndedEarly() {
  return gLastEndedEarly;
}

RenderResult RenderSlide(const RenderRequest& request) {
  RenderResult out;
  gLastEndedEarly = false;
  int width = request.width, height = request.height;
  if (width <= 0 || height <= 0) {
    SlideExtent e = ReadSlideExtent(request.path, request.member);
    if (e.result < 0) {
      out.result = e.result;
      return out;
    }
    DefaultPictureSize(e.width, e.height, &width, &height);
  }
  NoInterruptions quiet;
  // Nothing shows this drawing before it is over: big pictures are drawn on two more threads,
  // a band of rows each. A small one draws faster than threads start and hand work over.
  const bool big = int64_t{width} * height >= gdi::raster::kBandedDrawingMinPixels;
  gdi::raster::DeferredDrawing deferred(big, 2);
  SlideDrawing drawing(request, width, height);
  for (int pass = 0; pass < 8 && drawing.Paint(); ++pass) {
  }
  out.result = drawing.Result();
  if (out.result < 0) return out;
  out.bitmap = drawing.TakePicture();
  out.endedEarly = drawing.EndedEarly();
  return out;
}

namespace {

// A rendering slide is fitted 2 pixels inside the window it is drawn in, as a slide window
// shows it; a window that much bigger gives the picture the size asked for.
int WindowMargin(const RenderRequest& request) {
  // A file's name tells its kind; only a library member's needs reading.
  int kind = SlideKindOf(request.path);
  if (kind == kKindLibrary) kind = ReadSlideExtent(request.path, request.member).kind;
  return kind == kKindRendering ? 2 : 0;
}

}  // namespace

SlideDrawing::SlideDrawing(const RenderRequest& request, int width, int height)
    : margin_(WindowMargin(request)),
      window_(width + margin_, height + margin_, request.caps, false),
      member_(MemberBuffer(request.member)),
      path_(request.path) {
  view_.zoom = static_cast<uint8_t>(std::clamp(request.zoom, 1, 255));
  view_.panX = request.panX;
  view_.panY = request.panY;
  view_.measuredLeft = view_.measuredTop = kUnmeasuredOrigin;  // as a new slide window has them
}

SlideDrawing::~SlideDrawing() {
  if (bitmap_) gdi::DeleteObject(bitmap_);
  if (palette_.logPalette) {  // a rendering slide's own palette, as its window would free it
    gdi::DeleteObject(palette_.palette);
    delete palette_.logPalette;
  }
}

bool SlideDrawing::Paint() {
  if (over_) return false;
  EarlyEndWatch watch;
  // Other drawings may have run since the last paint: the slot holds this one's bitmap only
  // for the call.
  SetBitmapSlot(bitmap_);
  result_ = ShowIcon(&window_, path_.c_str(), member_.data(), SI_KEEP_BITMAP, nullptr, nullptr,
                     nullptr, nullptr, &view_, &palette_, nullptr);
  gdi::HBITMAP kept = GetBitmapSlot();
  if (kept && kept != bitmap_) {
    if (bitmap_) gdi::DeleteObject(bitmap_);
    bitmap_ = kept;
  }
  SetBitmapSlot(nullptr);
  endedEarly_ = endedEarly_ || watch.EndedEarly();
  over_ = result_ < 0 || view_.reached >= view_.size || CloseRequested(window_);
  if (result_ < 0 && bitmap_) {
    gdi::DeleteObject(bitmap_);
    bitmap_ = nullptr;
  }
  return !over_;
}

std::unique_ptr<gdi::Bitmap> SlideDrawing::TakePicture() {
  std::unique_ptr<gdi::Bitmap> picture(bitmap_);
  bitmap_ = nullptr;
  return picture;
}

bool PictureSize(const RenderRequest& request, int* width, int* height, int32_t* result) {
  *width = request.width;
  *height = request.height;
  *result = 0;
  if (*width > 0 && *height > 0) return true;
  SlideExtent e = ReadSlideExtent(request.path, request.member);
  *result = e.result;
  if (e.result < 0) return false;
  DefaultPictureSize(e.width, e.height, width, height);
  return true;
}

int32_t RecordSlide(const RenderRequest& request, gdi::DeviceContext* metafile) {
  gdi::RECT rect{0, 0, 100, 100};
  std::vector<char> name = MemberBuffer(request.member);
  NoInterruptions quiet;
  gLastEndedEarly = false;
  EarlyEndWatch watch;
  return ShowIcon(nullptr, request.path.c_str(), name.data(), SI_DIRECT, nullptr, metafile, &rect,
                  nullptr, nullptr, nullptr, nullptr);
}

std::unique_ptr<gdi::DeviceContext> RecordPicture(const RenderRequest& request, int* width,
                                                  int* height, int32_t* result) {
  if (!PictureSize(request, width, height, result)) return nullptr;
  std::unique_ptr<gdi::DeviceContext> metafile = gdi::CreateMetafileDC();
  *result = RecordSlide(request, metafile.get());
  if (*result < 0) return nullptr;
  return metafile;
}

int32_t RenderSlideSvg(const RenderRequest& request, const std::string& outPath,
                       bool* writeFailed) {
  if (writeFailed) *writeFailed = false;
  int width, height;
  int32_t result;
  std::unique_ptr<gdi::DeviceContext> metafile = RecordPicture(request, &width, &height, &result);
  if (!metafile) return result;
  std::ofstream out(outPath, std::ios::binary);
  if (out) gdi::WriteMetafileSvg(metafile.get(), out, width, height);
  if (out) out.close();  // a full disk shows when the last of the buffer goes out
  if (!out) {
    if (writeFailed) *writeFailed = true;
    return kCannotOpen;
  }
  return result;
}

int32_t ConvertSlideToDxf(const std::string& path, const std::string& member,
                          const SlideExtent& extent, const std::string& outPath, bool polylines) {
  int width, height;
  DefaultPictureSize(extent.width, extent.height, &width, &height);
  platform::HeadlessWindow owner(width, height, gdi::DeviceCaps::TrueColour(), false);
  std::vector<char> name = MemberBuffer(member);
  NoInterruptions quiet;  // a conversion is never interrupted
  gLastEndedEarly = false;
  EarlyEndWatch watch;
  // The extents let lanterna-cli slide make the file back into a slide of the same size.
  if (extent.kind != kKindRendering) {
    DxfState().extentWidth = extent.width;
    DxfState().extentHeight = extent.height;
  }
  const int32_t result =
      ShowIcon(&owner, path.c_str(), name.data(), polylines ? SI_DXF_POLYLINES : 0, outPath.c_str(),
               nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
  DxfState().extentWidth = DxfState().extentHeight = -1;
  return result;
}

}  // namespace lanterna
