// AutoShade rendering slides read from memory and drawn once, small: the volume that
// rendering_fuzz, with its several drawings and files, cannot reach.
#include "fuzz/fuzz_support.h"
#include "slide/slide_types.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::QuietServices();
  fuzz::DrawData(lanterna::kKindRendering, data, size, 64, 48);
  return 0;
}
