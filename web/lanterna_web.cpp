// The engine as the web pages call it: slides are handed over as bytes, kept as files in the
// module's memory file system (the loader reads by name), and drawn by the same jobs as
// lanterna-cli, so that a page shows the pixels `lanterna-cli render` writes.
#include <emscripten/emscripten.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "output/loader_messages.h"
#include "output/render_job.h"
#include "platform/window.h"
#include "render/dxf_writer.h"
#include "slide/library.h"
#include "slide/report.h"
#include "slide/slide_types.h"
#include "web/deadline.h"
#include "web/slide_store.h"

namespace lanterna {
namespace {

// What the last call produced: a picture as RGBA, a text, or a message why it failed.
struct Output {
  std::vector<uint8_t> rgba;
  int width = 0;
  int height = 0;
  std::string text;
  std::string message;
};
Output& Out() {
  static Output out;
  return out;
}

// A call's output starts empty; the stored slide it is about, or null for an unknown id.
const StoredSlide* BeginOutput(int id) {
  Output& o = Out();
  o.text.clear();
  o.message.clear();
  return FindSlide(id);
}

void SetPicture(const gdi::Bitmap& bitmap) {
  Output& o = Out();
  o.width = bitmap.width;
  o.height = bitmap.height;
  const size_t n = bitmap.pixels.size();
  if (o.rgba.size() != n * 4) o.rgba.resize(n * 4);
  // 0x00BBGGRR is R, G, B, 0 in (little-endian) memory: an opaque alpha makes it RGBA.
  const gdi::COLORREF* in = bitmap.pixels.data();
  uint32_t* out = reinterpret_cast<uint32_t*>(o.rgba.data());
  for (size_t i = 0; i < n; ++i) out[i] = in[i] | 0xFF000000u;
}

void Fail(const SlideName& shown, int kind, int32_t result) {
  Out().message = LoaderFailureText(shown, kind, result);
}

RenderRequest Request(const StoredSlide& slide, const char* member, int width, int height, int zoom,
                      int panX, int panY) {
  RenderRequest r;
  r.path = slide.path;
  r.member = member ? member : "";
  r.width = width;
  r.height = height;
  r.zoom = zoom;
  r.panX = panX;
  r.panY = panY;
  return r;
}

struct Drawing {
  SlideName shown;
  int kind;
  std::unique_ptr<SlideDrawing> drawing;
};
std::map<int, Drawing>& Drawings() {
  static std::map<int, Drawing> drawings;
  return drawings;
}

// The size a request asks for, the slide's default when it names none.
bool Size(const RenderRequest& request, const SlideName& shown, int kind, int* width, int* height) {
  int32_t result;
  if (PictureSize(request, width, height, &result)) return true;
  Fail(shown, kind, result);
  return false;
}

}  // namespace
}  // namespace lanterna

using namespace lanterna;

// A member is named by its stored bytes (member) and, for messages, by its label: the name as
// the page shows it, decoded to UTF-8. shown is the file's name in messages.
extern "C" {

// Keeps a slide's bytes as a file named for the kind they show; its id, 0 when it cannot.
EMSCRIPTEN_KEEPALIVE int lw_open(const uint8_t* data, int length) {
  return length < 0 ? 0 : StoreSlide(data, static_cast<size_t>(length));
}

EMSCRIPTEN_KEEPALIVE int lw_kind(int id) {
  const StoredSlide* s = FindSlide(id);
  return s ? s->kind : kKindNone;
}

EMSCRIPTEN_KEEPALIVE void lw_close(int id) {
  DropSlide(id);
}

EMSCRIPTEN_KEEPALIVE const uint8_t* lw_pixels() {
  return Out().rgba.data();
}
EMSCRIPTEN_KEEPALIVE int lw_width() {
  return Out().width;
}
EMSCRIPTEN_KEEPALIVE int lw_height() {
  return Out().height;
}
EMSCRIPTEN_KEEPALIVE const char* lw_text() {
  return Out().text.c_str();
}
// The text's length in bytes: a listing holds NULs.
EMSCRIPTEN_KEEPALIVE int lw_text_length() {
  return static_cast<int>(Out().text.size());
}
EMSCRIPTEN_KEEPALIVE const char* lw_message() {
  return Out().message.c_str();
}

// A library's member names as stored, each ended by a NUL, into the text; 0 with a message when
// the listing ended early. Names are bytes in the library's code page, decoded by the page.
EMSCRIPTEN_KEEPALIVE int lw_members(int id, const char* shown) {
  Output& o = Out();
  const StoredSlide* s = BeginOutput(id);
  if (!s) return 0;
  char name[kLibraryNameLength + 8];
  while (MemberIterator(s->path.c_str(), name)) o.text.append(name, std::strlen(name) + 1);
  o.message = ListingFailureText(shown);
  return LastListingEnd() == ListingEnd::kComplete;
}

// Draws the whole picture at once, as lanterna-cli render does: 1 with the pixels, or 0 with
// the message (a picture whose data ended early is drawn and has its message too).
EMSCRIPTEN_KEEPALIVE int lw_draw(int id, const char* member, const char* label, const char* shown,
                                 int width, int height, int zoom, int panX, int panY) {
  Output& o = Out();
  o.message.clear();
  o.width = o.height = 0;
  const StoredSlide* s = FindSlide(id);
  if (!s) return 0;
  const SlideName name{shown, label};
  RenderResult picture = RenderSlide(Request(*s, member, width, height, zoom, panX, panY));
  if (picture.result < 0) {
    Fail(name, s->kind, picture.result);
    return 0;
  }
  if (!picture.bitmap) {
    o.message = std::string(shown) + ": " + kNothingToDraw;
    return 0;
  }
  SetPicture(*picture.bitmap);
  if (picture.endedEarly) o.message = std::string(shown) + ": " + kEndsEarly;
  return 1;
}

// The picture's own size (lanterna-cli render with no --size) as "WIDTH HEIGHT" in the text, for
// a page that knows only one side of its box; 0 with a message when the slide cannot be read.
EMSCRIPTEN_KEEPALIVE int lw_size(int id, const char* member, const char* label, const char* shown) {
  Output& o = Out();
  const StoredSlide* s = BeginOutput(id);
  if (!s) return 0;
  int width, height;
  if (!Size(Request(*s, member, 0, 0, 1, 0, 0), SlideName{shown, label}, s->kind, &width, &height))
    return 0;
  o.text = std::to_string(width) + " " + std::to_string(height);
  return 1;
}

// Starts a drawing that is carried on by lw_step; its id, or 0 with a message.
EMSCRIPTEN_KEEPALIVE int lw_begin(int id, const char* member, const char* label, const char* shown,
                                  int width, int height, int zoom, int panX, int panY) {
  static int next = 0;
  Out().message.clear();
  const StoredSlide* s = FindSlide(id);
  if (!s) return 0;
  const RenderRequest request = Request(*s, member, width, height, zoom, panX, panY);
  const SlideName name{shown, label};
  int w, h;
  if (!Size(request, name, s->kind, &w, &h)) return 0;
  const int drawing = ++next;
  Drawings()[drawing] = Drawing{name, s->kind, std::make_unique<SlideDrawing>(request, w, h)};
  return drawing;
}

// Draws on for about budgetMs, or up to longMs while no input waits (see Deadline). 1 while
// there is more to draw, 0 when done (a message tells a failure or data that ended early), -1
// for no drawing. The pixels hold the picture when done, and the picture so far when partial is
// set (a copy of the whole bitmap: a page that shows only whole pictures leaves it out of every
// slice).
EMSCRIPTEN_KEEPALIVE int lw_step(int drawing, double budgetMs, double longMs, int partial) {
  auto it = Drawings().find(drawing);
  if (it == Drawings().end()) return -1;
  Drawing& d = it->second;
  Output& o = Out();
  o.message.clear();
  bool more;
  {
    Deadline deadline(budgetMs, longMs);
    do {
      deadline.NextPaint();
      more = d.drawing->Paint();
    } while (more && !deadline.Spent());
  }
  if (d.drawing->Result() < 0) {
    Fail(d.shown, d.kind, d.drawing->Result());
    o.width = o.height = 0;
    return 0;
  }
  o.width = o.height = 0;
  if (const gdi::Bitmap* picture = d.drawing->Picture(); picture && (partial || !more))
    SetPicture(*picture);
  if (!more && d.drawing->EndedEarly()) o.message = d.shown.path + ": " + kEndsEarly;
  return more ? 1 : 0;
}

EMSCRIPTEN_KEEPALIVE void lw_end(int drawing) {
  Drawings().erase(drawing);
}

// The slide information report into the text, naming the slide as shown; 0 when unreadable.
EMSCRIPTEN_KEEPALIVE int lw_report(int id, const char* member, const char* label,
                                   const char* shown) {
  Output& o = Out();
  o.text.clear();
  const StoredSlide* s = FindSlide(id);
  if (!s) return 0;
  platform::HeadlessWindow owner(1, 1);
  std::vector<char> name(member, member + std::strlen(member));
  name.resize(name.size() + 40, 0);
  if (!BuildSlideReport(&owner, s->path.c_str(), name.data(), nullptr, &o.text)) return 0;
  for (size_t at; (at = o.text.find(s->path)) != std::string::npos;)
    o.text.replace(at, s->path.size(), shown);
  const std::string stored = std::string("Slide name:\t\t") + member + "\n";
  if (const size_t at = o.text.find(stored); member[0] && at != std::string::npos)
    o.text.replace(at, stored.size(), std::string("Slide name:\t\t") + label + "\n");
  return 1;
}

// The vector picture as SVG, as lanterna-cli render -o OUT.svg writes it, into the text.
EMSCRIPTEN_KEEPALIVE int lw_svg(int id, const char* member, const char* label, const char* shown) {
  Output& o = Out();
  const StoredSlide* s = BeginOutput(id);
  if (!s) return 0;
  int width, height;
  int32_t result;
  std::unique_ptr<gdi::DeviceContext> metafile =
      RecordPicture(Request(*s, member, 0, 0, 1, 0, 0), &width, &height, &result);
  if (!metafile) {
    Fail(SlideName{shown, label}, s->kind, result);
    return 0;
  }
  o.text = gdi::MetafileSvg(metafile.get(), width, height);
  return 1;
}

// The slide as DXF, as lanterna-cli dxf writes it, into the text.
EMSCRIPTEN_KEEPALIVE int lw_dxf(int id, const char* member, const char* label, const char* shown,
                                int polylines) {
  Output& o = Out();
  const StoredSlide* s = BeginOutput(id);
  if (!s) return 0;
  const SlideName name{shown, label};
  const SlideExtent extent = ReadSlideExtent(s->path, member);
  if (extent.result < 0) {
    Fail(name, s->kind, extent.result);
    return 0;
  }
  const char* out = "/drawing.dxf";
  const int32_t result = ConvertSlideToDxf(s->path, member, extent, out, polylines != 0);
  if (result >= 0 && DxfState().ended && !DxfState().writeFailed) {
    if (std::FILE* in = std::fopen(out, "rb")) {
      char buffer[1 << 14];
      for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, in)) > 0;) o.text.append(buffer, n);
      std::fclose(in);
    }
  } else {
    o.message = std::string(shown) + ": conversion failed";
  }
  std::remove(out);
  return !o.text.empty();
}

}  // extern "C"
