#include "output/cairo_drawing.h"

#include <algorithm>
#include <cmath>

namespace lanterna {

namespace {

void SetColour(cairo_t* cr, gdi::COLORREF c) {
  cairo_set_source_rgb(cr, gdi::GetRValue(c) / 255.0, gdi::GetGValue(c) / 255.0,
                       gdi::GetBValue(c) / 255.0);
}

}  // namespace

bool HasPolygons(const gdi::MetafileContents& picture) {
  for (const gdi::MetafileRecord& r : *picture.records)
    if (r.kind == gdi::MetafileRecord::Kind::Polygon) return true;
  return false;
}

void DrawMetafile(cairo_t* cr, const gdi::MetafileContents& picture, double x, double y,
                  double width, double height, int pixelsWide, int pixelsHigh) {
  using Kind = gdi::MetafileRecord::Kind;
  pixelsWide = std::max(pixelsWide, 1);
  pixelsHigh = std::max(pixelsHigh, 1);
  const gdi::SIZE ext = picture.windowSet ? picture.windowExt : gdi::SIZE{pixelsWide, pixelsHigh};
  if (ext.cx == 0 || ext.cy == 0) return;
  cairo_save(cr);
  cairo_rectangle(cr, x, y, width, height);
  cairo_clip(cr);
  // Picture pixels from here on, as the SVG writer draws them.
  cairo_translate(cr, x, y);
  cairo_scale(cr, width / pixelsWide, height / pixelsHigh);
  const double scaleX = static_cast<double>(pixelsWide) / ext.cx;
  const double scaleY = static_cast<double>(pixelsHigh) / ext.cy;
  const gdi::POINT org = picture.windowOrg;
  auto px = [&](double v) { return (v - org.x) * scaleX; };
  auto py = [&](double v) { return (v - org.y) * scaleY; };
  auto stroke = [&](int w) { return std::max(std::fabs(w * scaleX), 1.0); };
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);

  const auto& records = *picture.records;
  const auto& points = *picture.points;
  for (size_t i = 0; i < records.size();) {
    const gdi::MetafileRecord& r = records[i];
    if (r.kind == Kind::Line) {
      // One path for each run of lines in the same colour and width.
      for (; i < records.size(); ++i) {
        const gdi::MetafileRecord& l = records[i];
        if (l.kind != Kind::Line || l.pen != r.pen || l.width != r.width) break;
        cairo_move_to(cr, px(l.from.x), py(l.from.y));
        cairo_line_to(cr, px(l.to.x), py(l.to.y));
      }
      SetColour(cr, r.pen);
      cairo_set_line_width(cr, stroke(r.width));
      cairo_stroke(cr);
      continue;
    }
    if (r.kind == Kind::Polygon) {
      for (uint32_t k = 0; k < r.points; ++k) {
        const gdi::POINT& p = points[r.firstPoint + k];
        (k ? cairo_line_to : cairo_move_to)(cr, px(p.x), py(p.y));
      }
      cairo_close_path(cr);
      if (!r.hollow) {
        SetColour(cr, r.fill);
        cairo_fill_preserve(cr);
      }
      if (!r.penNull) {
        SetColour(cr, r.pen);
        cairo_set_line_width(cr, stroke(r.width));
        cairo_stroke_preserve(cr);
      }
      cairo_new_path(cr);
    } else {
      const double x0 = px(r.from.x), x1 = px(r.from.x + 1.0);
      const double y0 = py(r.from.y), y1 = py(r.from.y + 1.0);
      cairo_rectangle(cr, std::min(x0, x1), std::min(y0, y1), std::max(std::fabs(x1 - x0), 1.0),
                      std::max(std::fabs(y1 - y0), 1.0));
      SetColour(cr, r.pen);
      cairo_fill(cr);
    }
    ++i;
  }
  cairo_restore(cr);
}

void DrawBitmap(cairo_t* cr, const gdi::Bitmap& bitmap, double x, double y, double width,
                double height) {
  if (bitmap.width <= 0 || bitmap.height <= 0) return;
  cairo_surface_t* image =
      cairo_image_surface_create(CAIRO_FORMAT_RGB24, bitmap.width, bitmap.height);
  if (cairo_surface_status(image) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(image);
    return;
  }
  cairo_surface_flush(image);
  unsigned char* data = cairo_image_surface_get_data(image);
  const int stride = cairo_image_surface_get_stride(image);
  for (int row = 0; row < bitmap.height; ++row) {
    auto* out = reinterpret_cast<uint32_t*>(data + static_cast<size_t>(row) * stride);
    for (int col = 0; col < bitmap.width; ++col) {
      const gdi::COLORREF c = bitmap.At(col, row);
      out[col] = gdi::GetRValue(c) << 16 | gdi::GetGValue(c) << 8 | gdi::GetBValue(c);
    }
  }
  cairo_surface_mark_dirty(image);
  cairo_save(cr);
  cairo_translate(cr, x, y);
  cairo_scale(cr, width / bitmap.width, height / bitmap.height);
  cairo_set_source_surface(cr, image, 0, 0);
  // Pixels stay pixels when the page is enlarged.
  cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
  cairo_paint(cr);
  cairo_restore(cr);
  cairo_surface_destroy(image);
}

}  // namespace lanterna
