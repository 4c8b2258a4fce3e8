// Vector slides read from memory and drawn once, small: many more inputs a second than
// slide_fuzz, which gives each the whole of lanterna-cli's work.
#include "fuzz/fuzz_support.h"
#include "slide/slide_types.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::QuietServices();
  fuzz::DrawData(lanterna::kKindSlide, data, size, 64, 48);
  return 0;
}
