// A DXF drawing's model space as a vector slide: blocks expanded, colours resolved, curves
// flattened finely enough to look round at the slide's resolution.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "dxfin/dxf_drawing.h"

namespace lanterna::dxfin {

struct SlideOptions {
  int width = 0, height = 0;        // the slide's size in slide units; 0: from the extents
  std::vector<std::string> layers;  // only these layers (any case); empty: every shown layer
  // Block copies drawn in all: arrays of nested arrays multiply, and bad files must still end.
  long maxCopies = 200000;
  // Entities drawn in all, a block's counted at each copy: few copies of big blocks, or many
  // references to an empty one, must end too.
  long maxEntities = 4000000;
};

struct MadeSlide {
  std::vector<uint8_t> bytes;  // empty when nothing was drawn
  int width = 0, height = 0;
  int lines = 0, fills = 0;  // records of each kind written
  int texts = 0;             // texts drawn as their boxes
  bool limited = false;      // the copies or entities limit left part of the drawing out
};

MadeSlide MakeSlide(const Drawing& drawing, const SlideOptions& options);

}  // namespace lanterna::dxfin
