// Drawing a slide as a slide window of a given client size shows it, off screen and never
// interrupted, for batch output.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/gdi/gdi.h"

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

}  // namespace lanterna
