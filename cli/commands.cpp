#include "cli/commands.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli/image_writer.h"
#include "cli/render_job.h"
#include "cli/slide_name.h"
#include "platform/exten.h"
#include "slide/ciclo.h"
#include "slide/library.h"
#include "slide/loader.h"
#include "slide/report.h"
#include "slide/slide_kind.h"

namespace lanterna {

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

const char kUsage[] =
    "usage: lanterna-cli render FILE[,MEMBER] -o OUT.png|OUT.svg|OUT.ppm [--size WxH] [--zoom N]"
    " [--pan X,Y]\n"
    "       lanterna-cli list LIBRARY\n"
    "       lanterna-cli info FILE[,MEMBER]\n"
    "       lanterna-cli dxf FILE[,MEMBER] OUT.dxf [--polylines]\n";

int Usage(const char* problem = nullptr) {
  if (problem) std::fprintf(stderr, "lanterna-cli: %s\n", problem);
  std::fputs(kUsage, stderr);
  return kExitUsage;
}

bool EndsWith(const std::string& text, const std::string& tail) {
  const std::string upper = UpperCased(text);
  return upper.size() >= tail.size() && upper.compare(upper.size() - tail.size(), tail.size(), tail) == 0;
}

bool ParsePair(const std::string& text, char separator, int* a, int* b) {
  const size_t at = text.find(separator);
  if (at == std::string::npos) return false;
  char* end = nullptr;
  const std::string first = text.substr(0, at), second = text.substr(at + 1);
  long x = std::strtol(first.c_str(), &end, 10);
  if (first.empty() || *end) return false;
  long y = std::strtol(second.c_str(), &end, 10);
  if (second.empty() || *end) return false;
  if (x < -1000000 || x > 1000000 || y < -1000000 || y > 1000000) return false;
  *a = static_cast<int>(x);
  *b = static_cast<int>(y);
  return true;
}

// Tells why the loader gave a negative result, naming the slide.
int LoaderFailure(const SlideName& name, int32_t result) {
  const char* path = name.path.c_str();
  switch (result) {
    case kEmptyPath:
      std::fprintf(stderr, "lanterna-cli: empty file name\n");
      break;
    case kCannotOpen:
      if (SlideKindOf(name.path) == kKindNone)
        std::fprintf(stderr, "lanterna-cli: %s: unknown kind of file (expected .SLD, .SLB or .RND)\n",
                     path);
      else
        std::fprintf(stderr, "lanterna-cli: %s: cannot open\n", path);
      break;
    case kNotFound:
      if (!name.member.empty())
        std::fprintf(stderr, "lanterna-cli: %s: no member %s (or not enough memory)\n", path,
                     name.member.c_str());
      else
        std::fprintf(stderr, "lanterna-cli: %s: cannot be loaded\n", path);
      break;
    default:
      std::fprintf(stderr, "lanterna-cli: %s: not a readable slide\n", path);
  }
  return kExitFailed;
}

int Render(const std::vector<std::string>& args) {
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
      if (!value(&v) || !ParsePair(v, 'x', &request.width, &request.height) ||
          request.width < 1 || request.height < 1 || request.width > 16384 ||
          request.height > 16384)
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
  if (!svg && !ppm && !EndsWith(output, ".PNG")) return Usage("the output must be .png, .svg or .ppm");

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

int List(const std::vector<std::string>& args) {
  if (args.size() != 1) return Usage();
  const std::string& path = args[0];
  char name[kLibraryNameLength + 8];
  // The listing reports a library it cannot open itself ("File Not Found").
  if (std::FILE* probe = std::fopen(path.c_str(), "rb")) {
    std::fclose(probe);
  } else {
    MemberIterator(path.c_str(), name);
    return kExitFailed;
  }
  while (MemberIterator(path.c_str(), name)) std::printf("%s\n", name);
  return kExitOk;
}

int Info(const std::vector<std::string>& args) {
  if (args.size() != 1) return Usage();
  const SlideName name = ParseSlideName(args[0]);
  // A true-colour window owns the report, as on a desktop without a palette.
  platform::HeadlessWindow owner(1, 1);
  std::vector<char> member(name.member.begin(), name.member.end());
  member.resize(member.size() + 40, 0);
  std::string text;
  if (!BuildSlideReport(&owner, name.path.c_str(), member.data(), nullptr, &text)) return kExitFailed;
  std::fputs(text.c_str(), stdout);
  if (!text.empty() && text.back() != '\n') std::fputc('\n', stdout);
  return kExitOk;
}

int Dxf(const std::vector<std::string>& args) {
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
  const int32_t result = ShowIcon(&owner, name.path.c_str(), member.data(),
                                  polylines ? SI_DXF_POLYLINES : 0, out.c_str(), nullptr, nullptr,
                                  nullptr, nullptr, nullptr, nullptr);
  InterruptMask(saved);
  if (result < 0) {
    std::fprintf(stderr, "lanterna-cli: %s: conversion failed\n", name.path.c_str());
    return kExitFailed;
  }
  return kExitOk;
}

}  // namespace

int CliMain(int argc, char** argv) {
  if (argc < 2) return Usage();
  const std::string command = argv[1];
  std::vector<std::string> args(argv + 2, argv + argc);
  if (command == "render") return Render(args);
  if (command == "list") return List(args);
  if (command == "info") return Info(args);
  if (command == "dxf") return Dxf(args);
  if (command == "-h" || command == "--help" || command == "help") {
    std::fputs(kUsage, stdout);
    return kExitOk;
  }
  return Usage(("unknown command " + command).c_str());
}

}  // namespace lanterna
