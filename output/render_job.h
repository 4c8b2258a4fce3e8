// Drawing a slide as a slide window of a given client size shows it, off screen and never
// interrupted, for batch output.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/gdi/gdi.h"
#include "platform/window.h"
#include "render/acacol.h"
#include "slide/slide_types.h"

namespace lanterna {

struct RenderRequest {
  std::string path;
  std::string member;
  int width = 0;  // 0: the slide's own size, at most 2048 on the longer side
  int height = 0;
  int zoom = 1;
  int panX = 0;
  int panY = 0;
  gdi::DeviceCaps caps = gdi::DeviceCaps::TrueColour();
};

struct SlideExtent {
  int32_t result = 0;  // the loader's result: negative on failure
  int kind = 0;
  int width = 0;
  int height = 0;
};

constexpr int kMaxDefaultSide = 2048;

// The slide's kind and size from its header.
SlideExtent ReadSlideExtent(const std::string& path, const std::string& member);
// The client size a picture gets by default: the slide's size, scaled down to fit 2048.
void DefaultPictureSize(int slideWidth, int slideHeight, int* width, int* height);

struct RenderResult {
  int32_t result = 0;  // negative: the loader failed
  std::unique_ptr<gdi::Bitmap> bitmap;
  bool endedEarly = false;  // the data ran out before the slide's end: the picture is partial
};
RenderResult RenderSlide(const RenderRequest& request);
// Whether the data of the slide last drawn, recorded or converted (RenderSlide, RecordSlide and
// what uses it, ConvertSlideToDxf) ran out before the slide's end: the output is partial.
bool LastDrawingEndedEarly();

// One drawing of a slide in a window of the request's size (not 0), painted as a slide window
// paints: each Paint carries on where the last stopped, so that a caller that lets pending input
// interrupt the drawing can show it piece by piece.
class SlideDrawing {
 public:
  SlideDrawing(const RenderRequest& request, int width, int height);
  ~SlideDrawing();
  SlideDrawing(const SlideDrawing&) = delete;
  SlideDrawing& operator=(const SlideDrawing&) = delete;

  // One paint; false once the drawing is over (complete, refused, or the window was closed).
  bool Paint();
  int32_t Result() const { return result_; }
  bool EndedEarly() const { return endedEarly_; }
  // The picture so far (null before the first paint or when the slide cannot be read).
  const gdi::Bitmap* Picture() const { return bitmap_; }
  std::unique_ptr<gdi::Bitmap> TakePicture();

 private:
  int margin_;  // how much bigger than the picture the window is
  platform::HeadlessWindow window_;
  ViewState view_;
  SlidePalette palette_;
  std::vector<char> member_;
  std::string path_;
  gdi::HBITMAP bitmap_ = nullptr;
  int32_t result_ = 0;
  bool endedEarly_ = false;
  bool over_ = false;
};

// Records the slide's vector picture on a metafile context, as the clipboard copy does; the
// loader's result.
int32_t RecordSlide(const RenderRequest& request, gdi::DeviceContext* metafile);
// The picture size a request asks for, the slide's own when it names none; false with the
// loader's result when the slide cannot be read.
bool PictureSize(const RenderRequest& request, int* width, int* height, int32_t* result);
// The picture's size and the slide recorded in a metafile; null with *result < 0 on failure.
std::unique_ptr<gdi::DeviceContext> RecordPicture(const RenderRequest& request, int* width,
                                                  int* height, int32_t* result);

// The vector picture of a slide in slide units, as the clipboard's metafile holds it. A file
// that cannot be written gives kCannotOpen with *writeFailed set.
int32_t RenderSlideSvg(const RenderRequest& request, const std::string& outPath,
                       bool* writeFailed = nullptr);

// Converts a slide to DXF as lanterna-cli dxf does, in a window of the slide's default picture
// size; the loader's result. DxfState() then tells whether the file was written and ended.
int32_t ConvertSlideToDxf(const std::string& path, const std::string& member,
                          const SlideExtent& extent, const std::string& outPath, bool polylines);

}  // namespace lanterna
