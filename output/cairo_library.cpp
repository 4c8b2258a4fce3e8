// cairo is loaded the first time a PDF or a contact sheet is drawn, not when the program
// starts: loading it and what it needs (pixman, fontconfig, freetype, X11) takes longer than
// drawing a thumbnail, and file managers start one process for every thumbnail. Each function
// used here is defined with cairo's own declaration and calls the library's.
#include <cairo-pdf.h>
#include <cairo.h>
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>

namespace {

constexpr char kCairoLibrary[] = "libcairo.so.2";

void* CairoFunction(const char* name) {
  static void* const library = [] {
    void* handle = dlopen(kCairoLibrary, RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
      std::fprintf(stderr, "lanterna-cli: %s\n", dlerror());
      std::exit(EXIT_FAILURE);  // 1, as for any file that cannot be written
    }
    return handle;
  }();
  void* function = dlsym(library, name);
  if (!function) {
    std::fprintf(stderr, "lanterna-cli: %s has no %s\n", kCairoLibrary, name);
    std::exit(EXIT_FAILURE);
  }
  return function;
}

}  // namespace

#define LANTERNA_CAIRO(result, name, params, args)                                         \
  result name params {                                                                     \
    static const auto function = reinterpret_cast<result(*) params>(CairoFunction(#name)); \
    return function args;                                                                  \
  }

LANTERNA_CAIRO(void, cairo_clip, (cairo_t * cr), (cr))
LANTERNA_CAIRO(void, cairo_close_path, (cairo_t * cr), (cr))
LANTERNA_CAIRO(cairo_t*, cairo_create, (cairo_surface_t * target), (target))
LANTERNA_CAIRO(void, cairo_destroy, (cairo_t * cr), (cr))
LANTERNA_CAIRO(void, cairo_fill, (cairo_t * cr), (cr))
LANTERNA_CAIRO(void, cairo_fill_preserve, (cairo_t * cr), (cr))
LANTERNA_CAIRO(cairo_font_options_t*, cairo_font_options_create, (void), ())
LANTERNA_CAIRO(void, cairo_font_options_destroy, (cairo_font_options_t * options), (options))
LANTERNA_CAIRO(void, cairo_font_options_set_antialias,
               (cairo_font_options_t * options, cairo_antialias_t antialias), (options, antialias))
LANTERNA_CAIRO(cairo_pattern_t*, cairo_get_source, (cairo_t * cr), (cr))
LANTERNA_CAIRO(cairo_surface_t*, cairo_image_surface_create,
               (cairo_format_t format, int width, int height), (format, width, height))
LANTERNA_CAIRO(unsigned char*, cairo_image_surface_get_data, (cairo_surface_t * surface), (surface))
LANTERNA_CAIRO(int, cairo_image_surface_get_stride, (cairo_surface_t * surface), (surface))
LANTERNA_CAIRO(void, cairo_line_to, (cairo_t * cr, double x, double y), (cr, x, y))
LANTERNA_CAIRO(void, cairo_move_to, (cairo_t * cr, double x, double y), (cr, x, y))
LANTERNA_CAIRO(void, cairo_new_path, (cairo_t * cr), (cr))
LANTERNA_CAIRO(void, cairo_paint, (cairo_t * cr), (cr))
LANTERNA_CAIRO(void, cairo_pattern_set_filter, (cairo_pattern_t * pattern, cairo_filter_t filter),
               (pattern, filter))
LANTERNA_CAIRO(cairo_surface_t*, cairo_pdf_surface_create,
               (const char* filename, double width_in_points, double height_in_points),
               (filename, width_in_points, height_in_points))
LANTERNA_CAIRO(void, cairo_rectangle,
               (cairo_t * cr, double x, double y, double width, double height),
               (cr, x, y, width, height))
LANTERNA_CAIRO(void, cairo_restore, (cairo_t * cr), (cr))
LANTERNA_CAIRO(void, cairo_save, (cairo_t * cr), (cr))
LANTERNA_CAIRO(void, cairo_scale, (cairo_t * cr, double sx, double sy), (cr, sx, sy))
LANTERNA_CAIRO(void, cairo_select_font_face,
               (cairo_t * cr, const char* family, cairo_font_slant_t slant,
                cairo_font_weight_t weight),
               (cr, family, slant, weight))
LANTERNA_CAIRO(void, cairo_set_antialias, (cairo_t * cr, cairo_antialias_t antialias),
               (cr, antialias))
LANTERNA_CAIRO(void, cairo_set_fill_rule, (cairo_t * cr, cairo_fill_rule_t fill_rule),
               (cr, fill_rule))
LANTERNA_CAIRO(void, cairo_set_font_options, (cairo_t * cr, const cairo_font_options_t* options),
               (cr, options))
LANTERNA_CAIRO(void, cairo_set_font_size, (cairo_t * cr, double size), (cr, size))
LANTERNA_CAIRO(void, cairo_set_line_cap, (cairo_t * cr, cairo_line_cap_t line_cap), (cr, line_cap))
LANTERNA_CAIRO(void, cairo_set_line_join, (cairo_t * cr, cairo_line_join_t line_join),
               (cr, line_join))
LANTERNA_CAIRO(void, cairo_set_line_width, (cairo_t * cr, double width), (cr, width))
LANTERNA_CAIRO(void, cairo_set_source_rgb, (cairo_t * cr, double red, double green, double blue),
               (cr, red, green, blue))
LANTERNA_CAIRO(void, cairo_set_source_surface,
               (cairo_t * cr, cairo_surface_t* surface, double x, double y), (cr, surface, x, y))
LANTERNA_CAIRO(void, cairo_show_page, (cairo_t * cr), (cr))
LANTERNA_CAIRO(void, cairo_show_text, (cairo_t * cr, const char* utf8), (cr, utf8))
LANTERNA_CAIRO(void, cairo_stroke, (cairo_t * cr), (cr))
LANTERNA_CAIRO(void, cairo_stroke_preserve, (cairo_t * cr), (cr))
LANTERNA_CAIRO(void, cairo_surface_destroy, (cairo_surface_t * surface), (surface))
LANTERNA_CAIRO(void, cairo_surface_finish, (cairo_surface_t * surface), (surface))
LANTERNA_CAIRO(void, cairo_surface_flush, (cairo_surface_t * surface), (surface))
LANTERNA_CAIRO(void, cairo_surface_mark_dirty, (cairo_surface_t * surface), (surface))
LANTERNA_CAIRO(cairo_status_t, cairo_surface_status, (cairo_surface_t * surface), (surface))
LANTERNA_CAIRO(void, cairo_text_extents,
               (cairo_t * cr, const char* utf8, cairo_text_extents_t* extents), (cr, utf8, extents))
LANTERNA_CAIRO(void, cairo_translate, (cairo_t * cr, double tx, double ty), (cr, tx, ty))
