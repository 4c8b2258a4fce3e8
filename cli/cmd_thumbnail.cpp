// lanterna-cli thumbnail: the small picture a file manager shows for a slide, a rendering or a
// library (a 2x2 mosaic of its first members). Run once per file in a folder, so it draws
// straight at the small size.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "cli/batch.h"
#include "cli/cli_common.h"
#include "cli/member_names.h"
#include "output/image_writer.h"
#include "output/loader_messages.h"
#include "output/render_job.h"
#include "slide/library.h"
#include "slide/slide_kind.h"
#include "slide/slide_types.h"

namespace lanterna {

namespace {

const char kThumbnailHelp[] =
    "usage: lanterna-cli thumbnail INPUT OUTPUT.png [--size N]\n"
    "\n"
    "Draws a thumbnail of a slide, a rendering slide or a library member (LIBRARY,MEMBER) as\n"
    "PNG: its longer side N pixels, the slide's aspect kept. A library alone gives a 2x2\n"
    "mosaic of its first four members on white. For file managers (lanterna.thumbnailer).\n"
    "\n"
    "  --size N   the longer side, 8 to 4096 (default 128)\n"
    "\n"
    "Exit status: 0 written, 1 the input cannot be read or the output written, 2 usage.\n";

constexpr int kMinThumbnail = 8;  // smaller windows draw no rendering slide
constexpr int kMaxThumbnail = 4096;
constexpr int kMosaicCells = 4;
constexpr gdi::COLORREF kWhite = 0x00FFFFFF;

std::unique_ptr<gdi::Bitmap> WhiteBitmap(int width, int height) {
  auto bitmap = std::make_unique<gdi::Bitmap>();
  bitmap->width = width;
  bitmap->height = height;
  bitmap->pixels.assign(static_cast<size_t>(width) * height, kWhite);
  return bitmap;
}

void Paste(const gdi::Bitmap& from, gdi::Bitmap* to, int left, int top) {
  for (int y = std::max(0, -top); y < from.height && top + y < to->height; ++y)
    for (int x = std::max(0, -left); x < from.width && left + x < to->width; ++x)
      to->pixels[static_cast<size_t>(top + y) * to->width + left + x] = from.At(x, y);
}

// The slide drawn at the largest size of its aspect within side x side, on white; null when it
// cannot be read (told on stderr).
std::unique_ptr<gdi::Bitmap> DrawFitted(const SlideName& name, int side, bool* partial) {
  const SlideExtent extent = ReadSlideExtent(name.path, name.member);
  if (extent.result < 0) {
    LoaderFailure(name, extent.result);
    return nullptr;
  }
  const int64_t w = std::max(1, extent.width), h = std::max(1, extent.height);
  RenderRequest request;
  request.path = name.path;
  request.member = name.member;
  request.width = static_cast<int>(w >= h ? side : std::max<int64_t>(1, (w * side + h / 2) / h));
  request.height = static_cast<int>(h >= w ? side : std::max<int64_t>(1, (h * side + w / 2) / w));
  RenderResult picture = RenderSlide(request);
  if (picture.result < 0) {
    LoaderFailure(name, picture.result);
    return nullptr;
  }
  if (!picture.bitmap) {
    Complain("lanterna-cli: %s: nothing to draw\n", name.path.c_str());
    return nullptr;
  }
  // The picture shows what there is; the run still fails, as render's does.
  if (picture.endedEarly) {
    Complain("lanterna-cli: %s: %s\n", ShownLabel(name).c_str(), kEndsEarly);
    *partial = true;
  }
  if (picture.bitmap->width == request.width && picture.bitmap->height == request.height)
    return std::move(picture.bitmap);
  // A rendering slide keeps a few pixels of margin: centre it in the size asked for.
  std::unique_ptr<gdi::Bitmap> framed = WhiteBitmap(request.width, request.height);
  Paste(*picture.bitmap, framed.get(), (request.width - picture.bitmap->width) / 2,
        (request.height - picture.bitmap->height) / 2);
  return framed;
}

// The first members of a library, each centred in its quarter of a white square.
std::unique_ptr<gdi::Bitmap> DrawMosaic(const std::string& library, int side, bool* partial) {
  std::vector<std::string> members;
  char name[kLibraryNameLength + 8];
  while (MemberIterator(library.c_str(), name))  // the listing is run to its end
    if (members.size() < kMosaicCells) members.emplace_back(name);
  const bool complete = ListingComplete(library);
  if (members.empty()) {
    if (complete) Complain("lanterna-cli: %s: no members\n", library.c_str());
    return nullptr;
  }
  // A directory that ends early may hide members the mosaic would have shown.
  if (!complete && members.size() < kMosaicCells) *partial = true;
  std::unique_ptr<gdi::Bitmap> mosaic = WhiteBitmap(side, side);
  const int cell = std::max(1, side / 2);
  bool any = false;
  for (size_t i = 0; i < members.size(); ++i) {
    std::unique_ptr<gdi::Bitmap> tile = DrawFitted({library, members[i]}, cell, partial);
    if (!tile) {  // a damaged member leaves its quarter white
      *partial = true;
      continue;
    }
    any = true;
    const int left = static_cast<int>(i % 2) * cell + (cell - tile->width) / 2;
    const int top = static_cast<int>(i / 2) * cell + (cell - tile->height) / 2;
    Paste(*tile, mosaic.get(), left, top);
  }
  if (!any) return nullptr;
  return mosaic;
}

}  // namespace

int ThumbnailCommand(const Args& args) {
  if (WantsHelp(args)) return Help(kThumbnailHelp);
  std::vector<std::string> files;
  int size = 128;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--size") {
      char* end = nullptr;
      const std::string v = i + 1 < args.size() ? args[++i] : "";
      const long n = std::strtol(v.c_str(), &end, 10);
      if (v.empty() || *end || n < kMinThumbnail || n > kMaxThumbnail)
        return Usage("--size needs a number from 8 to 4096");
      size = static_cast<int>(n);
    } else if (!a.empty() && a[0] == '-') {
      return Usage(("unknown option " + a).c_str());
    } else {
      files.push_back(a);
    }
  }
  if (files.size() != 2) return Usage();
  const std::string& output = files[1];
  if (!EndsWith(output, ".PNG")) return Usage("the thumbnail must be .png");

  const SlideName name = ParseSlideArg(files[0]);
  bool partial = false;
  std::unique_ptr<gdi::Bitmap> picture =
      name.member.empty() && SlideKindOf(name.path) == kKindLibrary
          ? DrawMosaic(name.path, size, &partial)
          : DrawFitted(name, size, &partial);
  if (!picture) return kExitFailed;
  GuardedOutput out(output);
  if (WritePng(out.TempPath(), *picture) && out.Commit()) return partial ? kExitFailed : kExitOk;
  Complain("lanterna-cli: %s: cannot write: %s\n", output.c_str(), LastError().c_str());
  return kExitFailed;
}

}  // namespace lanterna
