// DXF drawings read with dxflib, written once, made into one slide with few entities and drawn
// from memory, small: the volume dxf_fuzz, with its three slides and files, cannot reach.
#include "dxfin/dxf_drawing.h"
#include "dxfin/dxf_slide.h"
#include "fuzz/fuzz_support.h"
#include "slide/slide_types.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace lanterna;
  fuzz::QuietServices();
  dxfin::Drawing drawing;
  if (!dxfin::ReadDrawing(fuzz::InputFile(data, size, ".dxf"), &drawing)) return 0;
  // Nested block arrays reach any limit: a low one keeps each input to a millisecond or so.
  dxfin::SlideOptions options;
  options.maxCopies = 2000, options.maxEntities = 2000;
  const dxfin::MadeSlide made = dxfin::MakeSlide(drawing, options);
  if (!made.bytes.empty()) fuzz::DrawData(kKindSlide, made.bytes.data(), made.bytes.size(), 64, 48);
  return 0;
}
