// lanterna-cli slide: a vector slide made from a DXF drawing.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "cli/cli_common.h"
#include "dxfin/dxf_drawing.h"
#include "dxfin/dxf_slide.h"
#include "output/atomic_output.h"

namespace lanterna {

namespace {

const char kSlideHelp[] =
    "usage: lanterna-cli slide INPUT.dxf -o OUTPUT.sld [--size WxH] [--layer NAME...]\n"
    "\n"
    "Writes a new-form vector slide of the drawing's model space. Drawn: LINE, POLYLINE and\n"
    "LWPOLYLINE (bulges as arcs), CIRCLE, ARC, ELLIPSE, SPLINE, POINT, SOLID and TRACE (filled),\n"
    "3DFACE and polyface meshes (their visible edges), solid HATCH (filled, with islands),\n"
    "TEXT, ATTRIB and MTEXT (in a Hershey stroke font), INSERT of blocks (scale, rotation,\n"
    "arrays, nesting), and DIMENSION and ACAD_TABLE through their blocks; 2D entities in their\n"
    "extrusion's plane. Colours come from the entity, its layer or its block; layers that are\n"
    "off or frozen are left out; pattern HATCH as its dashed lines. What cannot be drawn is\n"
    "counted in one warning line.\n"
    "\n"
    "  --size WxH       the slide's size in slide units; the drawing is fitted into it.\n"
    "                   Default: 4000 units on the longer side of what is drawn (the header's\n"
    "                   $EXTMIN/$EXTMAX when they hold it snugly); a DXF lanterna-cli dxf wrote\n"
    "                   keeps its own units\n"
    "  --layer NAME...  only the named layers (any case), fitted to what they draw\n"
    "\n"
    "A drawing that cannot be read or draws nothing is an error and writes nothing.\n"
    "Exit status: 0 written, 1 not written, 2 usage.\n";

bool Dimension(const std::string& text, int* w, int* h) {
  return ParsePair(text, 'x', w, h) && *w >= 1 && *h >= 1 && *w <= 32767 && *h <= 32767;
}

}  // namespace

int SlideCommand(const Args& args) {
  if (WantsHelp(args)) return Help(kSlideHelp);
  std::string input, output;
  dxfin::SlideOptions options;
  bool layers = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const bool hasValue = i + 1 < args.size();
    if (a == "-o" && hasValue) {
      output = args[++i];
      layers = false;
    } else if (a == "--size" && hasValue) {
      if (!Dimension(args[++i], &options.width, &options.height))
        return Usage(("bad --size " + args[i]).c_str());
      layers = false;
    } else if (a == "--layer") {
      layers = true;
    } else if (a.size() > 1 && a[0] == '-') {
      return Usage(("unknown option " + a).c_str());
    } else if (layers) {
      options.layers.push_back(a);
    } else if (input.empty()) {
      input = a;
    } else {
      return Usage(("unexpected argument " + a).c_str());
    }
  }
  if (input.empty() || output.empty()) return Usage("slide needs INPUT.dxf and -o OUTPUT.sld");
  if (layers && options.layers.empty()) return Usage("--layer needs a layer name");

  dxfin::Drawing drawing;
  if (!dxfin::ReadDrawing(input, &drawing)) {
    Complain("lanterna-cli: %s: cannot be read as a DXF drawing\n", input.c_str());
    return kExitFailed;
  }
  const dxfin::MadeSlide made = dxfin::MakeSlide(drawing, options);
  if (made.bytes.empty()) {
    Complain("lanterna-cli: %s: draws nothing%s\n", input.c_str(),
             options.layers.empty() ? "" : " on the layers given");
    return kExitFailed;
  }
  std::string skipped;
  int count = 0;
  for (const auto& [kind, n] : drawing.skipped) {
    skipped += (skipped.empty() ? "" : ", ") + std::to_string(n) + " " + kind;
    count += n;
  }
  if (count > 0 || made.texts > 0)
    Complain("lanterna-cli: %s: warning: %d entities skipped%s%s; %d texts drawn as boxes\n",
             input.c_str(), count, skipped.empty() ? "" : ": ", skipped.c_str(), made.texts);

  AtomicOutput out(output);
  errno = 0;
  std::FILE* f = std::fopen(out.TempPath().c_str(), "wb");
  bool ok = f != nullptr;
  if (f) {
    ok = std::fwrite(made.bytes.data(), 1, made.bytes.size(), f) == made.bytes.size();
    ok = std::fclose(f) == 0 && ok;
  }
  if (!ok || !out.Commit()) {
    Complain("lanterna-cli: %s: cannot write: %s\n", output.c_str(),
             std::strerror(errno ? errno : EIO));
    return kExitFailed;
  }
  // The slide is kept, but it is not the whole drawing.
  if (made.limited) {
    Complain(
        "lanterna-cli: %s: warning: the drawing stops at the limit of %ld block copies or "
        "%ld entities; %s holds only what came before\n",
        input.c_str(), options.maxCopies, options.maxEntities, output.c_str());
    return kExitFailed;
  }
  return kExitOk;
}

}  // namespace lanterna
