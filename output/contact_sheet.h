// A contact sheet: slides in a grid of cells, each with its name under it, drawn with cairo.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "output/slide_name.h"

namespace lanterna {

struct SheetEntry {
  SlideName slide;
  std::string label;  // the name under the cell
};

struct SheetLayout {
  int columns = 4;
  int cellWidth = 240;  // the picture's box; the name goes below it
  int cellHeight = 180;
};

constexpr int kSheetLabelHeight = 16;
constexpr int kSheetGap = 8;

// Grid rows on one PDF page: about the proportions of an A4 sheet standing up.
int RowsPerPage(const SheetLayout& layout);

// Told of a slide that cannot be read, with the loader's negative result, or of one whose data
// ends early (result 0: its cell shows what there is).
using SheetFailure = std::function<void(const SlideName& slide, int32_t result)>;

// Writes every entry into its cell: a PDF with one page per grid (names as text), or a PNG of
// all rows. Slides that cannot be read are passed to failed and leave their cell empty but for
// the name; false when any could not, or the file could not be written (*writeFailed).
bool WriteSheet(const std::vector<SheetEntry>& entries, const SheetLayout& layout,
                const std::string& path, bool pdf, const SheetFailure& failed, bool* writeFailed);

}  // namespace lanterna
