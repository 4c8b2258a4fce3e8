// lanterna-cli render: a slide as a window of a given size shows it, to PNG, PPM or SVG.
#include <cstdio>
#include <cstdlib>

#include "cli/cli_common.h"
#include "cli/image_writer.h"
#include "cli/render_job.h"
#include "slide/loader.h"
#include "slide/slide_kind.h"

namespace lanterna {

int RenderCommand(const Args& args) {
  RenderRequest request;
  std::string input, output;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&](std::string* out) {
      if (i + 1 >= args.size()) return false;
      *out = args[++i];
      return true;
    };
    std::string v;
    if (a == "-o") {
      if (!value(&output)) return Usage("-o needs a file name");
    } else if (a == "--size") {
      if (!value(&v) || !ParsePair(v, 'x', &request.width, &request.height) || request.width < 1 ||
          request.height < 1 || request.width > 16384 || request.height > 16384)
        return Usage("--size needs WxH, each 1 to 16384");
    } else if (a == "--zoom") {
      char* end = nullptr;
      if (!value(&v)) return Usage("--zoom needs a number");
      long z = std::strtol(v.c_str(), &end, 10);
      if (v.empty() || *end || z < 1 || z > 15) return Usage("--zoom needs a number from 1 to 15");
      request.zoom = static_cast<int>(z);
    } else if (a == "--pan") {
      if (!value(&v) || !ParsePair(v, ',', &request.panX, &request.panY))
        return Usage("--pan needs X,Y");
    } else if (!a.empty() && a[0] == '-') {
      return Usage(("unknown option " + a).c_str());
    } else if (input.empty()) {
      input = a;
    } else {
      return Usage("one slide at a time");
    }
  }
  if (input.empty() || output.empty()) return Usage();
  const bool svg = EndsWith(output, ".SVG"), ppm = EndsWith(output, ".PPM");
  if (!svg && !ppm && !EndsWith(output, ".PNG"))
    return Usage("the output must be .png, .svg or .ppm");

  const SlideName name = ParseSlideName(input);
  request.path = name.path;
  request.member = name.member;
  if (svg) {
    const int32_t result = RenderSlideSvg(request, output);
    if (result == kCannotOpen && SlideKindOf(name.path) != kKindNone &&
        ReadSlideExtent(name.path, name.member).result >= 0) {
      std::fprintf(stderr, "lanterna-cli: %s: cannot write\n", output.c_str());
      return kExitFailed;
    }
    return result < 0 ? LoaderFailure(name, result) : kExitOk;
  }
  RenderResult picture = RenderSlide(request);
  if (picture.result < 0) return LoaderFailure(name, picture.result);
  if (!picture.bitmap) {
    std::fprintf(stderr, "lanterna-cli: %s: nothing to draw\n", input.c_str());
    return kExitFailed;
  }
  const bool written = ppm ? WritePpm(output, *picture.bitmap) : WritePng(output, *picture.bitmap);
  if (!written) {
    std::fprintf(stderr, "lanterna-cli: %s: cannot write\n", output.c_str());
    return kExitFailed;
  }
  return kExitOk;
}

}  // namespace lanterna
