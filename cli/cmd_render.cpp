// lanterna-cli render: slides as a window of a given size shows them, to PNG, PPM or SVG.
#include <cstdio>
#include <cstdlib>

#include "cli/batch.h"
#include "cli/cli_common.h"
#include "cli/image_writer.h"
#include "cli/render_job.h"
#include "slide/loader.h"

namespace lanterna {

namespace {

const char kRenderHelp[] =
    "usage: lanterna-cli render FILE[,MEMBER] -o OUT.png|OUT.svg|OUT.ppm [OPTIONS]\n"
    "       lanterna-cli render INPUT... -d DIR [--format png|ppm|svg] [--jobs N] [OPTIONS]\n"
    "\n"
    "Draws a slide exactly as a slide window of the given client size shows it, on white.\n"
    "SVG is the vector picture in slide units.\n"
    "\n"
    "  -o OUT        one slide to OUT, in the format its extension names\n"
    "  -d DIR        every INPUT to DIR/NAME.png (or the --format), NAME being the slide's\n"
    "                base name or LIBRARY_MEMBER; a library alone stands for all its members\n"
    "  --format F    png (the default), ppm or svg, with -d\n"
    "  --jobs N      with -d, N worker processes (1 to 64, default 1)\n"
    "  --size WxH    the client size, each 1 to 16384 (default: the slide's own, scaled\n"
    "                down to at most 2048 on the longer side)\n"
    "  --zoom N      zoom factor, 1 to 15\n"
    "  --pan X,Y     device pixels the picture is shifted left and up\n"
    "\n"
    "Exit status: 0 all written, 1 a slide could not be read or its output written, 2 usage.\n";

enum class Format { kPng, kPpm, kSvg };

const char* Extension(Format f) {
  return f == Format::kSvg ? ".svg" : f == Format::kPpm ? ".ppm" : ".png";
}

bool CannotWrite(const std::string& output) {
  Complain("lanterna-cli: %s: cannot write\n", output.c_str());
  return false;
}

// One slide to one file, written under a temporary name and renamed when complete.
bool RenderToFile(RenderRequest request, const SlideName& name, const std::string& output,
                  Format format) {
  request.path = name.path;
  request.member = name.member;
  GuardedOutput out(output);
  if (format == Format::kSvg) {
    bool writeFailed = false;
    const int32_t result = RenderSlideSvg(request, out.TempPath(), &writeFailed);
    if (writeFailed) return CannotWrite(output);
    if (result < 0) {
      LoaderFailure(name, result);
      return false;
    }
    return out.Commit() || CannotWrite(output);
  }
  RenderResult picture = RenderSlide(request);
  if (picture.result < 0) {
    LoaderFailure(name, picture.result);
    return false;
  }
  if (!picture.bitmap) {
    Complain("lanterna-cli: %s: nothing to draw\n", name.path.c_str());
    return false;
  }
  const bool written = format == Format::kPpm ? WritePpm(out.TempPath(), *picture.bitmap)
                                              : WritePng(out.TempPath(), *picture.bitmap);
  return (written && out.Commit()) || CannotWrite(output);
}

}  // namespace

int RenderCommand(const Args& args) {
  if (WantsHelp(args)) return Help(kRenderHelp);
  RenderRequest request;
  std::vector<std::string> inputs;
  std::string output, dir, format;
  int jobs = 1;
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
    } else if (a == "-d") {
      if (!value(&dir) || dir.empty()) return Usage("-d needs a directory");
    } else if (a == "--format") {
      if (!value(&format) || (format != "png" && format != "ppm" && format != "svg"))
        return Usage("--format needs png, ppm or svg");
    } else if (a == "--jobs") {
      if (!value(&v) || !ParseJobs(v, &jobs)) return Usage("--jobs needs a number from 1 to 64");
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
    } else {
      inputs.push_back(a);
    }
  }

  if (!dir.empty()) {
    if (!output.empty()) return Usage("-o names one output, -d a directory for many: not both");
    if (inputs.empty()) return Usage();
    const Format f = format == "svg" ? Format::kSvg : format == "ppm" ? Format::kPpm : Format::kPng;
    return RunBatchCommand(inputs, dir, Extension(f), jobs, [&](const BatchItem& item) {
      return RenderToFile(request, item.slide, item.output, f);
    });
  }

  if (!format.empty()) return Usage("--format goes with -d; with -o the extension tells");
  if (inputs.size() > 1) return Usage("one slide at a time with -o; -d DIR takes many");
  if (inputs.empty() || output.empty()) return Usage();
  const bool svg = EndsWith(output, ".SVG"), ppm = EndsWith(output, ".PPM");
  if (!svg && !ppm && !EndsWith(output, ".PNG"))
    return Usage("the output must be .png, .svg or .ppm");
  const Format f = svg ? Format::kSvg : ppm ? Format::kPpm : Format::kPng;
  return RenderToFile(request, ParseSlideName(inputs[0]), output, f) ? kExitOk : kExitFailed;
}

}  // namespace lanterna
