#include "output/slide_pdf.h"

#include <cairo-pdf.h>

#include <algorithm>

#include "output/cairo_drawing.h"
#include "slide/loader.h"
#include "slide/slide_types.h"

namespace lanterna {

int32_t RenderSlidePdf(const RenderRequest& request, const std::string& outPath,
                       bool* writeFailed) {
  if (writeFailed) *writeFailed = false;
  int width, height;
  int32_t result;
  std::unique_ptr<gdi::DeviceContext> metafile = RecordPicture(request, &width, &height, &result);
  if (!metafile) return result;
  gdi::MetafileContents picture;
  gdi::ReadMetafile(metafile.get(), &picture);

  // Scanline rendering slides are pixels: the picture a window of this size shows, on a page
  // of the bitmap's own proportions.
  RenderResult raster;
  if (ReadSlideExtent(request.path, request.member).kind == kKindRendering &&
      !HasPolygons(picture)) {
    RenderRequest sized = request;
    sized.width = width;
    sized.height = height;
    raster = RenderSlide(sized);
    if (raster.bitmap) {
      width = raster.bitmap->width;
      height = raster.bitmap->height;
    }
  }
  const double scale = kPageLongSide / std::max(width, height);
  const double pageW = width * scale, pageH = height * scale;
  cairo_surface_t* surface = cairo_pdf_surface_create(outPath.c_str(), pageW, pageH);
  cairo_t* cr = cairo_create(surface);
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_paint(cr);
  if (raster.bitmap)
    DrawBitmap(cr, *raster.bitmap, 0, 0, pageW, pageH);
  else
    DrawMetafile(cr, picture, 0, 0, pageW, pageH, width, height);
  cairo_destroy(cr);
  cairo_surface_finish(surface);
  const bool written = cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS;
  cairo_surface_destroy(surface);
  if (!written) {
    if (writeFailed) *writeFailed = true;
    return kCannotOpen;
  }
  return result;
}

}  // namespace lanterna
