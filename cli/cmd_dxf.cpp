// lanterna-cli dxf: a slide converted to DXF lines or polylines.
#include <cstdio>

#include "cli/cli_common.h"
#include "cli/render_job.h"
#include "platform/window.h"
#include "slide/ciclo.h"
#include "slide/loader.h"

namespace lanterna {

int DxfCommand(const Args& args) {
  std::vector<std::string> plain;
  bool polylines = false;
  for (const std::string& a : args) {
    if (a == "--polylines")
      polylines = true;
    else if (!a.empty() && a[0] == '-')
      return Usage(("unknown option " + a).c_str());
    else
      plain.push_back(a);
  }
  if (plain.size() != 2) return Usage();
  const SlideName name = ParseSlideName(plain[0]);
  const std::string& out = plain[1];
  const SlideExtent extent = ReadSlideExtent(name.path, name.member);
  if (extent.result < 0) return LoaderFailure(name, extent.result);
  int width, height;
  DefaultPictureSize(extent.width, extent.height, &width, &height);
  platform::HeadlessWindow owner(width, height, gdi::DeviceCaps::TrueColour(), false);
  std::vector<char> member(name.member.begin(), name.member.end());
  member.resize(member.size() + 40, 0);
  const uint32_t saved = InterruptMask(0);
  InterruptMask(kInterruptEscape);  // a conversion is never interrupted
  const int32_t result =
      ShowIcon(&owner, name.path.c_str(), member.data(), polylines ? SI_DXF_POLYLINES : 0,
               out.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
  InterruptMask(saved);
  if (result < 0) {
    std::fprintf(stderr, "lanterna-cli: %s: conversion failed\n", name.path.c_str());
    return kExitFailed;
  }
  return kExitOk;
}

}  // namespace lanterna
