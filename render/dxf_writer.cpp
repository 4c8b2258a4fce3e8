#include "render/dxf_writer.h"

#include <charconv>
#include <cstring>
#include <initializer_list>
#include <utility>

namespace lanterna {

DxfOutputState& DxfState() {
  static thread_local DxfOutputState state;
  return state;
}

namespace {

// Entities go out through one buffer of the writer's own: a stdio call per line, each taking
// the stream's lock, was most of a conversion's time.
struct OutBuffer {
  char data[1 << 16];
  size_t used = 0;
  bool failed = false;  // a write to the file came up short
};

OutBuffer& Out() {
  static thread_local OutBuffer buffer;
  return buffer;
}

void Flush() {
  OutBuffer& b = Out();
  std::FILE* f = DxfState().file;
  if (f && b.used > 0 && std::fwrite(b.data, 1, b.used, f) != b.used) b.failed = true;
  b.used = 0;
}

void Put(const char* text, size_t length) {
  OutBuffer& b = Out();
  if (length > sizeof b.data - b.used) Flush();
  if (length > sizeof b.data) {
    if (std::fwrite(text, 1, length, DxfState().file) != length) b.failed = true;
    return;
  }
  std::memcpy(b.data + b.used, text, length);
  b.used += length;
}

void Line(const char* text, size_t length) {
  if (!DxfState().file) return;
  Put(text, length);
  Put("\r\n", 2);
}

void Line(const char* text) {
  Line(text, std::strlen(text));
}

void Number(long long value) {
  char buffer[24];
  const std::to_chars_result r = std::to_chars(buffer, buffer + sizeof buffer, value);
  Line(buffer, static_cast<size_t>(r.ptr - buffer));
}

void Lines(std::initializer_list<const char*> texts) {
  for (const char* t : texts) Line(t);
}

}  // namespace

const char kDxfFillsComment[] = "lanterna: closed POLYLINEs are filled slide polygons";

bool DxfOpen(const char* path) {
  DxfClose();
  DxfState().writeFailed = false;
  DxfState().begun = DxfState().ended = false;
  Out().used = 0;
  Out().failed = false;
  DxfState().file = path ? std::fopen(path, "wb") : nullptr;
  return DxfState().file != nullptr;
}

void DxfClose() {
  DxfOutputState& s = DxfState();
  if (!s.file) return;
  Flush();
  const bool failed = Out().failed || std::ferror(s.file) != 0;
  s.writeFailed = (std::fclose(s.file) != 0) || failed;
  s.file = nullptr;
}

void DxfBegin() {
  // Each conversion stands on its own: no LINE or vertex is remembered from an earlier one.
  DxfOutputState& s = DxfState();
  std::memset(s.previousLine, 0, sizeof s.previousLine);
  s.previousVertex[0] = s.previousVertex[1] = 0;
  s.vertexLatched = false;
  s.begun = true;
  if (s.extentWidth >= 0 && s.extentHeight >= 0) {
    Lines({"  0", "SECTION", "  2", "HEADER"});
    if (!s.polylineMode) Lines({"999", kDxfFillsComment});
    Lines({"  9", "$EXTMIN", " 10", "0.0", " 20", "0.0", " 30", "0.0", "  9", "$EXTMAX", " 10"});
    Number(s.extentWidth);
    Line(" 20");
    Number(s.extentHeight);
    Lines({" 30", "0.0", "  0", "ENDSEC"});
  }
  Lines({"  0", "SECTION", "  2", "ENTITIES", "  0"});
}

void DxfEnd() {
  Lines({"ENDSEC", "  0", "EOF"});
  DxfState().ended = true;
}

void DxfColourGroup(int colour) {
  DxfOutputState& s = DxfState();
  if (colour != kDxfCurrentColour) s.currentColour = static_cast<uint16_t>(colour);
  s.lastWrittenColour = s.currentColour;
  if (s.currentColour == 7) return;
  Line(" 62");
  Number(s.currentColour);
}

void DxfLine(int x1, int y1, int x2, int y2) {
  DxfOutputState& s = DxfState();
  int32_t* p = s.previousLine;
  if (p[0] == x1 && p[1] == y1 && p[2] == x2 && p[3] == y2) return;
  p[0] = x1, p[1] = y1, p[2] = x2, p[3] = y2;
  Lines({"LINE", "  8", "0"});
  DxfColourGroup(kDxfCurrentColour);
  Line(" 10"), Number(x1), Line(" 20"), Number(y1), Lines({" 30", "0.0"});
  Line(" 11"), Number(x2), Line(" 21"), Number(y2), Lines({" 31", "0.0", "  0"});
}

void DxfPolyline(bool closed, int colour) {
  DxfOutputState& s = DxfState();
  if (!s.polylineClosed) return;
  s.polylineClosed = false;
  Lines({"POLYLINE", "  8", "0"});
  DxfColourGroup(colour);
  Lines({" 66", "    1", " 10", "0.0", " 20", "0.0", " 30", "0.0"});
  if (closed) Lines({"70", "    1"});
  Line("  0");
}

void DxfSeqend() {
  DxfOutputState& s = DxfState();
  if (s.polylineClosed) return;
  s.polylineClosed = true;
  Lines({"SEQEND", "  8", "0"});
  DxfColourGroup(kDxfCurrentColour);
  Line("  0");
}

void DxfVertex(int x, int y) {
  DxfOutputState& s = DxfState();
  if (!s.vertexLatched) {
    s.vertexLatched = true;
    s.previousVertex[0] = x, s.previousVertex[1] = y;
  }
  if (s.polylineClosed || s.lastWrittenColour != s.currentColour) {
    // Restart so that the new polyline begins where the old one ended.
    DxfSeqend();
    DxfPolyline(true, kDxfCurrentColour);
    DxfVertex(s.previousVertex[0], s.previousVertex[1]);
  }
  Lines({"VERTEX", "  8", "0"});
  DxfColourGroup(kDxfCurrentColour);
  Line(" 10"), Number(x), Line(" 20"), Number(y), Lines({" 30", "0.0", "  0"});
  s.previousVertex[0] = x, s.previousVertex[1] = y;
}

void DxfSolid(int count, const int corners[][2], int colour) {
  DxfSeqend();
  Lines({"SOLID", "  8", "0"});
  DxfColourGroup(colour);
  int c[4][2] = {};
  int n = count < 0 ? 0 : (count > 4 ? 4 : count);
  for (int i = 0; i < n; ++i) c[i][0] = corners[i][0], c[i][1] = corners[i][1];
  if (n == 3) {
    c[3][0] = c[2][0], c[3][1] = c[2][1];
    n = 4;
  }
  if (n == 4) {
    std::swap(c[2][0], c[3][0]);
    std::swap(c[2][1], c[3][1]);
  }
  static const char* codes[4][3] = {
      {" 10", " 20", " 30"}, {" 11", " 21", " 31"}, {" 12", " 22", " 32"}, {" 13", " 23", " 33"}};
  for (int i = 0; i < n; ++i) {
    Line(codes[i][0]), Number(c[i][0]), Line(codes[i][1]), Number(c[i][1]);
    Line(codes[i][2]), Line("0.0");
  }
  Line("  0");
}

}  // namespace lanterna
