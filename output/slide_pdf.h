// lanterna-cli's PDF: one vector page of a slide, drawn with cairo.
#pragma once

#include <cstdint>
#include <string>

#include "output/render_job.h"

namespace lanterna {

// The longer side of a page: an A4 sheet's length in points.
constexpr double kPageLongSide = 842.0;

// Writes the slide as one PDF page of the picture's proportions, white, vector shapes as the
// clipboard's metafile records them; a scanline rendering slide is an image. The loader's
// result; a file that cannot be written gives kCannotOpen with *writeFailed set.
int32_t RenderSlidePdf(const RenderRequest& request, const std::string& outPath,
                       bool* writeFailed = nullptr);

}  // namespace lanterna
