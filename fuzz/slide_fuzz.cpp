// Vector slides (.sld) as lanterna-cli and a slide window read them.
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::QuietServices();
  fuzz::ExerciseSlide(fuzz::InputFile(data, size, ".sld"), "");
  return 0;
}
