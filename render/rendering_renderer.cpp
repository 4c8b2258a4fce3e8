#include "render/rendering.h"
#include "slide/loader.h"

namespace lanterna {

// Rendering-slide records are not drawn yet: the slide counts as complete.
int DrawRendering(gdi::HDC, uint32_t size, const RenderingHeader&, ViewState* view,
                  SlidePalette*, gdi::HDC, SlideInfo*, platform::HWND, bool) {
  Loader().ByteReaded = size;
  if (view) view->reached = size;
  return 0;
}

}  // namespace lanterna
