// lanterna-cli render: slides as a window of a given size shows them, to PNG, PPM or SVG.
#include <cstdio>
#include <cstdlib>

#include "cli/batch.h"
#include "cli/cli_common.h"
#include "cli/member_names.h"
#include "cli/stdin_spool.h"
#include "cli/stdout_output.h"
#include "output/image_writer.h"
#include "output/loader_messages.h"
#include "output/render_job.h"
#include "output/slide_pdf.h"
#include "slide/loader.h"

namespace lanterna {

namespace {

const char kRenderHelp[] =
    "usage: lanterna-cli render FILE[,MEMBER] -o OUT.png|OUT.svg|OUT.ppm|OUT.pdf [OPTIONS]\n"
    "       lanterna-cli render FILE[,MEMBER] -o - --format png|ppm|svg|pdf [OPTIONS]\n"
    "       lanterna-cli render INPUT... -d DIR [--format png|ppm|svg|pdf] [--jobs N] [OPTIONS]\n"
    "\n"
    "Draws a slide exactly as a slide window of the given client size shows it, on white.\n"
    "SVG is the vector picture in slide units; PDF is a vector page of the picture's\n"
    "proportions (scanline rendering slides as an image). FILE - reads a slide or rendering\n"
    "slide from standard input.\n"
    "\n"
    "  -o OUT        one slide to OUT, in the format its extension names; - writes to\n"
    "                standard output in the --format given\n"
    "  -d DIR        every INPUT to DIR/NAME.png (or the --format), NAME being the slide's\n"
    "                base name or LIBRARY_MEMBER; a library alone stands for all its members\n"
    "  --format F    png (the default with -d), ppm, svg or pdf; with -d or -o -\n"
    "  --jobs N      with -d, N worker processes (1 to 64, default 1)\n"
    "  --size WxH    the client size, each 1 to 16384 (default: the slide's own, scaled\n"
    "                down to at most 2048 on the longer side)\n"
    "  --zoom N      zoom factor, 1 to 15\n"
    "  --pan X,Y     device pixels the picture is shifted left and up\n"
    "\n"
    "Exit status: 0 all written, 1 a slide could not be read, its data ended early (what it\n"
    "has is written) or its output could not be written, 2 usage.\n";

enum class Format { kPng, kPpm, kSvg, kPdf };

const char* Extension(Format f) {
  return f == Format::kSvg   ? ".svg"
         : f == Format::kPpm ? ".ppm"
         : f == Format::kPdf ? ".pdf"
                             : ".png";
}

bool CannotWrite(const std::string& output) {
  Complain("lanterna-cli: %s: cannot write: %s\n",
           output == "-" ? "standard output" : output.c_str(), LastError().c_str());
  return false;
}

bool ParseFormat(const std::string& text, Format* format) {
  if (text == "png")
    *format = Format::kPng;
  else if (text == "ppm")
    *format = Format::kPpm;
  else if (text == "svg")
    *format = Format::kSvg;
  else if (text == "pdf")
    *format = Format::kPdf;
  else
    return false;
  return true;
}

// One slide to one file, written under a temporary name and renamed when complete, or to
// standard output ("-").
bool RenderToFile(RenderRequest request, SlideName name, const std::string& output, Format format) {
  StdinSpool spool;
  if (!spool.Take(&name)) return false;
  const SlideName shown = ShownName(name, spool);
  request.path = name.path;
  request.member = name.member;
  OutputTarget out(output);
  if (out.TempPath().empty()) return CannotWrite(output);
  if (format == Format::kSvg || format == Format::kPdf) {
    bool writeFailed = false;
    const int32_t result = format == Format::kSvg
                               ? RenderSlideSvg(request, out.TempPath(), &writeFailed)
                               : RenderSlidePdf(request, out.TempPath(), &writeFailed);
    if (writeFailed) return CannotWrite(output);
    if (result < 0) {
      LoaderFailure(shown, result);
      return false;
    }
    if (!out.Commit()) return CannotWrite(output);
    if (LastDrawingEndedEarly()) {
      Complain("lanterna-cli: %s: %s\n", shown.path.c_str(), kEndsEarly);
      return false;
    }
    return true;
  }
  RenderResult picture = RenderSlide(request);
  if (picture.result < 0) {
    LoaderFailure(shown, picture.result);
    return false;
  }
  if (!picture.bitmap) {
    Complain("lanterna-cli: %s: %s\n", shown.path.c_str(), kNothingToDraw);
    return false;
  }
  const bool written = format == Format::kPpm ? WritePpm(out.TempPath(), *picture.bitmap)
                                              : WritePng(out.TempPath(), *picture.bitmap);
  if (!written || !out.Commit()) return CannotWrite(output);
  if (picture.endedEarly) {
    Complain("lanterna-cli: %s: %s\n", shown.path.c_str(), kEndsEarly);
    return false;
  }
  return true;
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
      Format f;
      if (!value(&format) || !ParseFormat(format, &f))
        return Usage("--format needs png, ppm, svg or pdf");
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
    } else if (a.size() > 1 && a[0] == '-') {
      return Usage(("unknown option " + a).c_str());
    } else {
      inputs.push_back(a);
    }
  }

  if (!dir.empty()) {
    if (!output.empty()) return Usage("-o names one output, -d a directory for many: not both");
    if (inputs.empty()) return Usage("no slide given");
    for (const std::string& input : inputs)
      if (input == "-") return Usage("standard input goes with -o, not -d");
    Format f = Format::kPng;
    if (!format.empty()) ParseFormat(format, &f);
    return RunBatchCommand(inputs, dir, Extension(f), jobs, [&](const BatchItem& item) {
      return RenderToFile(request, item.slide, item.output, f);
    });
  }

  if (inputs.size() > 1) return Usage("one slide at a time with -o; -d DIR takes many");
  if (inputs.empty()) return Usage("no slide given");
  if (output.empty()) return Usage("no output: give -o OUT or -d DIR");
  Format f = Format::kPng;
  if (output == "-") {
    if (format.empty()) return Usage("-o - needs --format png, ppm, svg or pdf");
    ParseFormat(format, &f);
  } else {
    if (!format.empty())
      return Usage("--format goes with -d or -o -; with -o FILE the extension tells");
    const std::string name = output;
    if (EndsWith(name, ".SVG"))
      f = Format::kSvg;
    else if (EndsWith(name, ".PPM"))
      f = Format::kPpm;
    else if (EndsWith(name, ".PDF"))
      f = Format::kPdf;
    else if (!EndsWith(name, ".PNG"))
      return Usage("the output must be .png, .svg, .ppm or .pdf");
  }
  return RenderToFile(request, ParseSlideArg(inputs[0]), output, f) ? kExitOk : kExitFailed;
}

}  // namespace lanterna
