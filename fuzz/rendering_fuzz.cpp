// AutoShade rendering slides (.rnd) as lanterna-cli and a slide window read them. The picture
// must not depend on the slide drawn before it (the colour map is the slide's own).
#include <memory>

#include "fuzz/fuzz_support.h"
#include "output/render_job.h"
#include "tests/rendering_writer.h"

namespace {

// A slide that sets every colour index, in its own colours.
std::string Painter(const char* name, int tint) {
  fixtures::RenderingWriter r(16, 12);
  for (int i = 0; i < 256; ++i) r.ColourEntry(i, (i * tint) % 256, 255 - i, (i + tint) % 256);
  r.ColourMapEnd();
  r.Polygon(1, 2, {{0, 0}, {15, 0}, {15, 11}});
  const std::string path = fuzz::ScratchPath(name);
  fixtures::WriteFile(path, r.Build());
  return path;
}

std::unique_ptr<gdi::Bitmap> Picture(const std::string& path) {
  lanterna::RenderRequest r;
  r.path = path, r.width = 16, r.height = 12;
  return std::move(lanterna::RenderSlide(r).bitmap);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string first = Painter("first.rnd", 7), second = Painter("second.rnd", 91);
  fuzz::QuietServices();
  const std::string path = fuzz::InputFile(data, size, ".rnd");
  Picture(first);
  const auto a = Picture(path);
  Picture(second);
  const auto b = Picture(path);
  fuzz::Require(!a == !b && (!a || a->pixels == b->pixels),
                "a rendering slide's picture depends on the slide drawn before it");
  fuzz::ExerciseSlide(path, "");
  return 0;
}
