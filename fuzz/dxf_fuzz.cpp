// DXF drawings as lanterna-cli slide reads them: read with dxflib, made into slides at the
// drawing's own size, at a small one and for one layer, and each slide made is drawn.
#include "dxfin/dxf_drawing.h"
#include "dxfin/dxf_slide.h"
#include "fuzz/fuzz_support.h"
#include "output/render_job.h"
#include "tests/slide_writer.h"

constexpr size_t kBigSlide = size_t{1} << 20;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace lanterna;
  fuzz::QuietServices();
  dxfin::Drawing drawing;
  if (!dxfin::ReadDrawing(fuzz::InputFile(data, size, ".dxf"), &drawing)) return 0;
  dxfin::SlideOptions own, small, layer;
  // A tenth of the copies and a two-hundredth of the entities lanterna-cli allows: a small drawing
  // of nested blocks reaches those limits, seconds in a release build but minutes under the
  // sanitizers.
  for (dxfin::SlideOptions* o : {&own, &small, &layer})
    o->maxCopies = 20000, o->maxEntities = 20000;
  small.width = 7, small.height = 5;
  layer.layers = {"0"};
  for (const dxfin::SlideOptions& options : {own, small, layer}) {
    const dxfin::MadeSlide made = dxfin::MakeSlide(drawing, options);
    if (made.bytes.empty()) continue;
    // Block arrays may expand a small drawing into up to 200,000 copies by design: such a
    // slide is made once, as another pass would only walk the same copies again.
    if (made.bytes.size() > kBigSlide) break;
    const std::string path = fuzz::ScratchPath("made.sld");
    fuzz::Require(fixtures::WriteFile(path, made.bytes), "cannot write the slide made");
    RenderRequest r;
    r.path = path, r.width = 23, r.height = 17;
    fuzz::Require(RenderSlide(r).result >= 0, "a slide made from a drawing cannot be read");
  }
  return 0;
}
