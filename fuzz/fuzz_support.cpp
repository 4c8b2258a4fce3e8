#include "fuzz/fuzz_support.h"

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <vector>

#include "cli/cli_common.h"
#include "output/render_job.h"
#include "platform/exten.h"
#include "platform/input.h"
#include "platform/window.h"
#include "render/rendering.h"
#include "slide/ciclo.h"
#include "slide/loader.h"
#include "slide/report.h"

namespace fuzz {

namespace {

using namespace lanterna;

class SilentBoxes : public platform::MessageBoxService {
 public:
  int Show(platform::HWND, const std::string&, const std::string&, unsigned style) override {
    return platform::DefaultButton(style);
  }
};

// Kept for the process's whole life: the folder is removed at exit, after static objects go.
const std::string& ScratchDir() {
  static const std::string* dir = [] {
    std::error_code ec;
    const std::string base =
        std::filesystem::is_directory("/dev/shm", ec) && ::access("/dev/shm", W_OK) == 0
            ? "/dev/shm"
            : std::filesystem::temp_directory_path().string();
    auto* path = new std::string(base + "/lanterna-fuzz-XXXXXX");
    Require(::mkdtemp(path->data()) != nullptr, "cannot make a scratch folder");
    std::atexit([] {
      std::error_code ec;
      std::filesystem::remove_all(ScratchDir(), ec);
    });
    return path;
  }();
  return *dir;
}

std::vector<char> NameBuffer(const std::string& member) {
  std::vector<char> buffer(member.begin(), member.end());
  buffer.resize(member.size() + 40, 0);
  return buffer;
}

std::string FileText(const std::string& path) {
  std::string text;
  if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) text.append(buffer, n);
    std::fclose(f);
  }
  return text;
}

// lanterna-cli dxf: a file is only ever a finished one; exit 0 only with one, and a failure
// leaves one only for slide data that ends early (what there is, converted in full).
void ConvertToDxf(const std::string& argument, bool polylines) {
  const std::string out = ScratchPath("out.dxf");
  Args args{argument, out};
  if (polylines) args.push_back("--polylines");
  const int exit = DxfCommand(args);
  std::error_code ec;
  const bool written = std::filesystem::exists(out, ec);
  if (written) {
    std::string text = FileText(out);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    Require(text.size() >= 4 && text.compare(text.size() - 4, 4, "\nEOF") == 0,
            "lanterna-cli dxf left an unfinished DXF");
  }
  if (exit == kExitOk) {
    Require(written, "lanterna-cli dxf reported success without a file");
  } else {
    Require(!written || LastDrawingEndedEarly(),
            "lanterna-cli dxf failed and left a file, though the data did not end early");
  }
  std::filesystem::remove(out, ec);
}

// A slide window painted while keys arrive: each paint stops at a pending key and the next
// carries on from there, until the drawing is complete or the window is asked to close.
void InterruptedPaint(const std::string& path, const std::string& member) {
  platform::ScriptedInputQueue input;
  platform::SetInputQueue(&input);
  const uint32_t savedMask = InterruptMask(0);
  InterruptMask(kDefaultInterruptMask);
  platform::HeadlessWindow window(37, 29);
  ViewState view;
  view.measuredLeft = view.measuredTop = kUnmeasuredOrigin;
  SlidePalette palette;
  gdi::HBITMAP bitmap = nullptr;
  for (int paint = 0; paint < 64; ++paint) {
    input.Clear();
    input.Push(platform::WM_KEYDOWN, 'A');
    input.RevealAfter(1 + paint % 3);
    std::vector<char> name = NameBuffer(member);
    SetBitmapSlot(bitmap);
    const uint32_t before = view.reached;
    const int32_t result = ShowIcon(&window, path.c_str(), name.data(), SI_KEEP_BITMAP, nullptr,
                                    nullptr, nullptr, nullptr, &view, &palette, nullptr);
    gdi::HBITMAP kept = GetBitmapSlot();
    if (kept && kept != bitmap) {
      if (bitmap) gdi::DeleteObject(bitmap);
      bitmap = kept;
    }
    SetBitmapSlot(nullptr);
    if (result < 0 || view.reached >= view.size || view.reached <= before) break;
  }
  if (bitmap) gdi::DeleteObject(bitmap);
  if (palette.logPalette) {
    gdi::DeleteObject(palette.palette);
    delete palette.logPalette;
  }
  InterruptMask(savedMask);
  platform::SetInputQueue(nullptr);
}

// Batch work: only Escape would stop a drawing, and nothing is pending.
struct Uninterrupted {
  uint32_t saved = InterruptMask(0);
  Uninterrupted() { InterruptMask(kInterruptEscape); }
  ~Uninterrupted() { InterruptMask(saved); }
};

// Paints a slide window of width by height until its drawing is over, each paint carrying on
// from the last, as lanterna-cli's drawings do; show is one call of the loader.
template <class Show>
void Paint(int width, int height, Show show) {
  platform::HeadlessWindow window(width, height, gdi::DeviceCaps::TrueColour(), false);
  ViewState view;
  view.measuredLeft = view.measuredTop = kUnmeasuredOrigin;
  SlidePalette palette;
  gdi::HBITMAP bitmap = nullptr;
  for (int pass = 0; pass < 8; ++pass) {
    SetBitmapSlot(bitmap);
    const int32_t result = show(&window, &view, &palette);
    gdi::HBITMAP kept = GetBitmapSlot();
    if (kept && kept != bitmap) {
      if (bitmap) gdi::DeleteObject(bitmap);
      bitmap = kept;
    }
    SetBitmapSlot(nullptr);
    if (result < 0 || view.reached >= view.size) break;
  }
  if (bitmap) gdi::DeleteObject(bitmap);
  if (palette.logPalette) {
    gdi::DeleteObject(palette.palette);
    delete palette.logPalette;
  }
}

}  // namespace

// The sanitizers' summary line reaches the fuzzer's log even when the target's own output is
// closed (libFuzzer's -close_fd_mask).
extern "C" void __sanitizer_report_error_summary(const char* text) __attribute__((weak));

void Require(bool condition, const char* what) {
  if (condition) return;
  const std::string text = std::string("fuzz: ") + what;
  if (__sanitizer_report_error_summary) __sanitizer_report_error_summary(text.c_str());
  std::fprintf(stderr, "%s\n", text.c_str());
  std::abort();
}

std::string ScratchPath(const std::string& name) {
  return ScratchDir() + "/" + name;
}

std::string InputFile(const uint8_t* data, size_t size, const char* extension) {
  const std::string path = ScratchPath(std::string("input") + extension);
  std::FILE* f = std::fopen(path.c_str(), "wb");
  Require(f != nullptr, "cannot write the input file");
  Require(size == 0 || std::fwrite(data, 1, size, f) == size, "cannot write the input file");
  std::fclose(f);
  return path;
}

void QuietServices() {
  static SilentBoxes boxes;
  platform::SetMessageBoxService(&boxes);
  platform::SetInputQueue(nullptr);
}

void ExerciseSlide(const std::string& path, const std::string& member) {
  if (ReadSlideExtent(path, member).result < 0) return;
  struct Size {
    int width, height, zoom, panX, panY;
  };
  for (const Size& s : {Size{1, 1, 1, 0, 0}, Size{7, 3, 1, 0, 0}, Size{33, 17, 1, 0, 0},
                        Size{29, 31, 3, 5, -7}, Size{2, 41, 15, -100000, 100000}}) {
    RenderRequest r;
    r.path = path, r.member = member;
    r.width = s.width, r.height = s.height, r.zoom = s.zoom, r.panX = s.panX, r.panY = s.panY;
    RenderSlide(r);
  }

  platform::HeadlessWindow owner(1, 1);
  std::vector<char> name = NameBuffer(member);
  std::string report;
  BuildSlideReport(&owner, path.c_str(), name.data(), nullptr, &report);

  RenderRequest svg;
  svg.path = path, svg.member = member, svg.width = 40, svg.height = 30;
  int width, height;
  int32_t result;
  if (auto metafile = RecordPicture(svg, &width, &height, &result)) {
    std::ostringstream out;
    gdi::WriteMetafileSvg(metafile.get(), out, width, height);
  }

  const std::string argument = member.empty() ? path : path + "," + member;
  ConvertToDxf(argument, false);
  ConvertToDxf(argument, true);
  InterruptedPaint(path, member);
}

void DrawData(int kind, const uint8_t* data, size_t size, int width, int height) {
  // A file's block is never empty: the loader reads an empty file into one zero byte.
  static const uint8_t kEmpty[1] = {};
  if (size == 0) data = kEmpty;
  const uint32_t length = size > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(size);
  Uninterrupted quiet;
  SlideInfo info;
  if (ShowIconData(nullptr, kind, data, length, SI_DIRECT | SI_HEADER_ONLY, nullptr, nullptr,
                   nullptr, nullptr, &info) < 0)
    return;
  Paint(width, height, [&](platform::HWND window, ViewState* view, SlidePalette* palette) {
    return ShowIconData(window, kind, data, length, SI_KEEP_BITMAP, nullptr, nullptr, view, palette,
                        nullptr);
  });
}

void DrawFile(const std::string& path, const std::string& member, int width, int height) {
  Uninterrupted quiet;
  if (ReadSlideExtent(path, member).result < 0) return;
  Paint(width, height, [&](platform::HWND window, ViewState* view, SlidePalette* palette) {
    std::vector<char> name = NameBuffer(member);
    return ShowIcon(window, path.c_str(), name.data(), SI_KEEP_BITMAP, nullptr, nullptr, nullptr,
                    nullptr, view, palette, nullptr);
  });
}

}  // namespace fuzz
