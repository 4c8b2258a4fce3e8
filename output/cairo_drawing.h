// Drawing a slide's recorded picture, or a bitmap, with cairo: the vector output of PDF pages.
#pragma once

#include <cairo.h>

#include "platform/gdi/gdi.h"

namespace lanterna {

// The metafile's picture into the box (x, y, width, height) of the cairo context, its logical
// window spanning the box, as the SVG writer maps it; one picture pixel is width/pixels wide.
void DrawMetafile(cairo_t* cr, const gdi::MetafileContents& picture, double x, double y,
                  double width, double height, int pixelsWide, int pixelsHigh);

// The bitmap as an image filling the box.
void DrawBitmap(cairo_t* cr, const gdi::Bitmap& bitmap, double x, double y, double width,
                double height);

// True when the picture holds polygons: a rendering slide without any is a scanline one,
// whose picture is kept as an image.
bool HasPolygons(const gdi::MetafileContents& picture);

}  // namespace lanterna
