#include "slide/report.h"

#include <cstdio>
#include <cstring>

#include "platform/exten.h"
#include "slide/loader.h"
#include "slide/slide_kind.h"

namespace lanterna {

namespace {

constexpr size_t kReportCapacity = 10000;

std::string Text(const char* chars, size_t most) {
  return std::string(chars, strnlen(chars, most));
}

std::string Hex(uint32_t value) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%x", value);
  return buffer;
}

std::string RenderVerdict(const SlideInfo& info) {
  const int colours = info.renderWords[0];
  switch (info.renderType) {
    case 1:
      return colours == 0 ? "Scanline continuos: BAD!"
                          : "Scanline " + std::to_string(colours) + " color: BAD!";
    case 2:
      return "Polyg 256 colour: OPTIMUM!";
    case 3:
      return "Polyg continuos colour: valid.";
    default:
      return "Unknow render format!";
  }
}

}  // namespace

std::string Gcvt(double value, int digits) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.*g", digits, value);
  return buffer;
}

bool BuildSlideReport(platform::HWND owner, const char* path, char* member, SlideInfo* out,
                      std::string* text) {
  SlideInfo info;
  const int32_t size = ShowIcon(owner, path, member, SI_DIRECT | SI_HEADER_ONLY, nullptr, nullptr,
                                nullptr, nullptr, nullptr, nullptr, &info);
  if (size < 0) return false;

  int paletteSize = 0;
  if (gdi::HDC dc = platform::GetDC(owner)) {
    paletteSize = gdi::GetDeviceCaps(dc, gdi::SIZEPALETTE);
    platform::ReleaseDC(owner, dc);
  }

  const bool rendering = info.kind == kKindRendering;
  const bool slide = info.kind == kKindSlide || info.kind == kKindLibrary;
  std::string r;
  r += "Actual colors in palette:\t" + std::to_string(paletteSize) + "\n";
  r += "_______________________________________________\n";
  r += std::string("File name:\t") + (path ? path : "") + "\n";
  if (member && member[0]) r += std::string("Slide name:\t\t") + member + "\n";
  r += "- Slide size:\t\t" + std::to_string(size) + "\n";
  r += "File format:\t\t";
  r += slide ? "Slide" : rendering ? "Render" : "Unknow format!";
  if (path && UpperCased(path).find(".SLB") != std::string::npos) r += " in Library";
  r += "\n\n";
  r += "File ID:\t\t" + Text(info.id, rendering ? 25 : 13) + "\n";
  r += "Machine:\t\t\t" + std::to_string(static_cast<int8_t>(info.machine)) + "\n";
  r += "File version:\t\t" + std::to_string(static_cast<int8_t>(info.version)) + "\n";
  r +=
      "XY Resolution:\t\t" + std::to_string(info.width) + "; " + std::to_string(info.height) + "\n";
  if (slide) {
    r += "Prosp. rapp:\t\t" + Gcvt(info.aspectRatio, 5) + "\n";
    r += "Hardware fill:\t\t" + std::to_string(info.hardwareFill) + "\n";
    r += "Endian byte alignement:\t" + Hex(static_cast<uint32_t>(info.testWord)) + "\n";
  }
  if (rendering) {
    const int16_t* w = info.renderWords;
    r += "Colours:\t\t\t" + (w[0] == 0 ? std::string("Continuos") : std::to_string(w[0])) + "\n";
    r += "Max intensity:\t\t" + std::to_string(static_cast<uint16_t>(w[1])) + "\n";
    r += "Shades:\t\t\t" + std::to_string(w[2]) + "\n";
    r += "Pixel width & height:\t" + std::to_string(static_cast<uint16_t>(w[3])) + "; " +
         std::to_string(static_cast<uint16_t>(w[4])) + "\n";
    const uint16_t order = static_cast<uint16_t>(w[5]);
    r += "Endian byte alignement:\t" + Hex(order) + "= 0x" + std::to_string(order) + "\n";
    r += "\n";
    r += "- Render type:\t" + RenderVerdict(info) + "\n";
    r += "Min & Max shade multiplier:\t" + Gcvt(info.minShade, 4) + "; " + Gcvt(info.maxShade, 4) +
         "\n";
    r += "Contrast stretch:\t\t" + std::to_string(info.contrastStretch) + "\n";
    r += "Ambient contribution:\t" + Gcvt(info.ambient, 4) + "\n";
    r += "Background RGB:\t\t" + Gcvt(info.backgroundRed, 4) + "; " +
         Gcvt(info.backgroundGreen, 4) + "; " + Gcvt(info.backgroundBlue, 4);
  }
  if (r.size() >= kReportCapacity) r.resize(kReportCapacity - 1);
  if (out) *out = info;
  *text = std::move(r);
  return true;
}

void SlideReport(platform::HWND owner, const char* path, char* member, SlideInfo* info) {
  std::string text;
  if (!BuildSlideReport(owner, path, member, info, &text)) return;
  platform::ShowErrorBox(owner, text.c_str(), "Info", 0);
}

}  // namespace lanterna
