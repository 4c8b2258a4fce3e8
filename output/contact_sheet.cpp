#include "output/contact_sheet.h"

#include <cairo-pdf.h>
#include <cairo.h>

#include <algorithm>
#include <cmath>

#include "output/cairo_drawing.h"
#include "output/image_writer.h"
#include "output/render_job.h"
#include "slide/loader.h"
#include "slide/slide_types.h"

namespace lanterna {

namespace {

int CellPitchX(const SheetLayout& l) {
  return l.cellWidth + kSheetGap;
}
int CellPitchY(const SheetLayout& l) {
  return l.cellHeight + kSheetLabelHeight + kSheetGap;
}

// The slide's box inside the cell: its own proportions, centred.
void FitBox(const SlideExtent& e, const SheetLayout& l, double* x, double* y, double* w,
            double* h) {
  const double scale = std::min(static_cast<double>(l.cellWidth) / std::max(e.width, 1),
                                static_cast<double>(l.cellHeight) / std::max(e.height, 1));
  *w = std::max(1.0, std::floor(e.width * scale));
  *h = std::max(1.0, std::floor(e.height * scale));
  *x += std::floor((l.cellWidth - *w) / 2);
  *y += std::floor((l.cellHeight - *h) / 2);
}

// One slide into its cell: vector shapes on a PDF, the raster picture on an image.
bool DrawCell(cairo_t* cr, const SheetEntry& entry, const SheetLayout& l, double x, double y,
              bool vector, const SheetFailure& failed) {
  cairo_set_source_rgb(cr, 0.75, 0.75, 0.75);
  cairo_set_line_width(cr, 0.5);
  cairo_rectangle(cr, x - 0.5, y - 0.5, l.cellWidth + 1, l.cellHeight + 1);
  cairo_stroke(cr);
  cairo_set_source_rgb(cr, 0, 0, 0);
  cairo_text_extents_t te;
  cairo_text_extents(cr, entry.label.c_str(), &te);
  cairo_move_to(cr, x + std::max(0.0, (l.cellWidth - te.x_advance) / 2),
                y + l.cellHeight + kSheetLabelHeight - 4);
  cairo_show_text(cr, entry.label.c_str());

  const SlideExtent e = ReadSlideExtent(entry.slide.path, entry.slide.member);
  if (e.result < 0) {
    failed(entry.slide, e.result);
    return false;
  }
  double bx = x, by = y, bw, bh;
  FitBox(e, l, &bx, &by, &bw, &bh);
  RenderRequest request;
  request.path = entry.slide.path;
  request.member = entry.slide.member;
  request.width = static_cast<int>(bw);
  request.height = static_cast<int>(bh);
  if (vector) {
    std::unique_ptr<gdi::DeviceContext> metafile = gdi::CreateMetafileDC();
    const int32_t result = RecordSlide(request, metafile.get());
    if (result < 0) {
      failed(entry.slide, result);
      return false;
    }
    gdi::MetafileContents picture;
    gdi::ReadMetafile(metafile.get(), &picture);
    if (!(e.kind == kKindRendering && !HasPolygons(picture))) {
      DrawMetafile(cr, picture, bx, by, bw, bh, request.width, request.height);
      if (LastDrawingEndedEarly()) failed(entry.slide, 0);
      return !LastDrawingEndedEarly();
    }
  }
  RenderResult drawn = RenderSlide(request);
  if (drawn.result < 0 || !drawn.bitmap) {
    failed(entry.slide, drawn.result < 0 ? drawn.result : kNotFound);
    return false;
  }
  DrawBitmap(cr, *drawn.bitmap, bx, by, drawn.bitmap->width, drawn.bitmap->height);
  if (drawn.endedEarly) failed(entry.slide, 0);
  return !drawn.endedEarly;
}

void PrepareText(cairo_t* cr, bool vector) {
  cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cr, 11);
  if (!vector) {
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    // Hard-edged names keep an image of line drawings within a palette.
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_NONE);
    cairo_set_font_options(cr, options);
    cairo_font_options_destroy(options);
  }
}

}  // namespace

int RowsPerPage(const SheetLayout& l) {
  const double width = l.columns * CellPitchX(l) + kSheetGap;
  return std::max(1, static_cast<int>(std::lround(width * std::sqrt(2.0) / CellPitchY(l))));
}

bool WriteSheet(const std::vector<SheetEntry>& entries, const SheetLayout& l,
                const std::string& path, bool pdf, const SheetFailure& failed, bool* writeFailed) {
  *writeFailed = false;
  const int count = std::max<int>(1, static_cast<int>(entries.size()));
  const int rowsAll = (count + l.columns - 1) / l.columns;
  const int rowsPage = pdf ? std::min(rowsAll, RowsPerPage(l)) : rowsAll;
  const int width = l.columns * CellPitchX(l) + kSheetGap;
  const int height = rowsPage * CellPitchY(l) + kSheetGap;
  cairo_surface_t* surface = pdf ? cairo_pdf_surface_create(path.c_str(), width, height)
                                 : cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
  cairo_t* cr = cairo_create(surface);
  bool allDrawn = true;
  const size_t perPage = static_cast<size_t>(rowsPage) * l.columns;
  for (size_t first = 0; first < std::max<size_t>(entries.size(), 1); first += perPage) {
    if (first > 0) cairo_show_page(cr);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    PrepareText(cr, pdf);
    for (size_t i = first; i < std::min(entries.size(), first + perPage); ++i) {
      const size_t at = i - first;
      const double x = kSheetGap + static_cast<double>(at % l.columns) * CellPitchX(l);
      const double y = kSheetGap + static_cast<double>(at / l.columns) * CellPitchY(l);
      allDrawn = DrawCell(cr, entries[i], l, x, y, pdf, failed) && allDrawn;
    }
  }
  cairo_destroy(cr);
  bool written;
  if (pdf) {
    cairo_surface_finish(surface);
    written = cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS;
  } else {
    cairo_surface_flush(surface);
    gdi::Bitmap image;
    image.width = width;
    image.height = height;
    image.pixels.resize(static_cast<size_t>(width) * height);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < height; ++y) {
      const auto* row = reinterpret_cast<const uint32_t*>(data + static_cast<size_t>(y) * stride);
      for (int x = 0; x < width; ++x) {
        const uint32_t p = row[x];  // 0x00RRGGBB
        image.pixels[static_cast<size_t>(y) * width + x] =
            gdi::RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
      }
    }
    written = cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS && WritePng(path, image);
  }
  cairo_surface_destroy(surface);
  *writeFailed = !written;
  return allDrawn && written;
}

}  // namespace lanterna
