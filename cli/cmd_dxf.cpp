// lanterna-cli dxf: slides converted to DXF lines or polylines.
#include <cstdio>

#include "cli/batch.h"
#include "cli/cli_common.h"
#include "cli/member_names.h"
#include "output/loader_messages.h"
#include "output/render_job.h"
#include "render/dxf_writer.h"

namespace lanterna {

namespace {

const char kDxfHelp[] =
    "usage: lanterna-cli dxf FILE[,MEMBER] OUT.dxf [--polylines]\n"
    "       lanterna-cli dxf INPUT... -d DIR [--polylines] [--jobs N]\n"
    "\n"
    "Converts slides to DXF entities in slide units: vectors as LINEs, or as POLYLINEs with\n"
    "--polylines; fills as SOLIDs.\n"
    "\n"
    "  -d DIR        every INPUT to DIR/NAME.dxf, NAME being the slide's base name or\n"
    "                LIBRARY_MEMBER; a library alone stands for all its members\n"
    "  --polylines   connected vectors as polylines\n"
    "  --jobs N      with -d, N worker processes (1 to 64, default 1)\n"
    "\n"
    "Exit status: 0 all written, 1 a slide could not be read or its output written, 2 usage.\n";

bool CannotWrite(const std::string& output) {
  Complain("lanterna-cli: %s: cannot write: %s\n", output.c_str(), LastError().c_str());
  return false;
}

// One slide to one file, written under a temporary name and renamed when complete.
bool DxfToFile(const SlideName& name, const std::string& output, bool polylines) {
  const SlideExtent extent = ReadSlideExtent(name.path, name.member);
  if (extent.result < 0) {
    LoaderFailure(name, extent.result);
    return false;
  }
  GuardedOutput out(output);
  // The engine's box for a file it cannot create would name the temporary file.
  std::FILE* probe = std::fopen(out.TempPath().c_str(), "wb");
  if (!probe) return CannotWrite(output);
  std::fclose(probe);

  const int32_t result =
      ConvertSlideToDxf(name.path, name.member, extent, out.TempPath(), polylines);
  if (result < 0) {
    Complain("lanterna-cli: %s: conversion failed\n", name.path.c_str());
    return false;
  }
  if (DxfState().writeFailed) return CannotWrite(output);
  // A drawing that stopped early (a refused record, a Cancel) leaves the file without its
  // trailer: that is no DXF, and no file is left for it.
  if (!DxfState().ended) {
    Complain("lanterna-cli: %s: conversion failed: the drawing stopped before its end\n",
             name.path.c_str());
    return false;
  }
  if (!out.Commit()) return CannotWrite(output);
  if (LastDrawingEndedEarly()) {
    Complain("lanterna-cli: %s: %s\n", ShownLabel(name).c_str(), kEndsEarly);
    return false;
  }
  return true;
}

}  // namespace

int DxfCommand(const Args& args) {
  if (WantsHelp(args)) return Help(kDxfHelp);
  std::vector<std::string> plain;
  std::string dir;
  bool polylines = false;
  int jobs = 1;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--polylines") {
      polylines = true;
    } else if (a == "-d") {
      if (i + 1 >= args.size() || args[i + 1].empty()) return Usage("-d needs a directory");
      dir = args[++i];
    } else if (a == "--jobs") {
      if (i + 1 >= args.size() || !ParseJobs(args[++i], &jobs))
        return Usage("--jobs needs a number from 1 to 64");
    } else if (!a.empty() && a[0] == '-') {
      return Usage(("unknown option " + a).c_str());
    } else {
      plain.push_back(a);
    }
  }
  if (!dir.empty()) {
    if (plain.empty()) return Usage();
    return RunBatchCommand(plain, dir, ".dxf", jobs, [&](const BatchItem& item) {
      return DxfToFile(item.slide, item.output, polylines);
    });
  }
  if (plain.size() != 2) return Usage();
  return DxfToFile(ParseSlideArg(plain[0]), plain[1], polylines) ? kExitOk : kExitFailed;
}

}  // namespace lanterna
