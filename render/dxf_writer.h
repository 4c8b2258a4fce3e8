// DXF text output, written entity by entity while a slide is decoded.
#pragma once

#include <cstdint>
#include <cstdio>

namespace lanterna {

// Colour argument meaning "the current colour".
constexpr int kDxfCurrentColour = -1000;

// The writer's per-thread state; the loader opens and closes the file around a conversion.
struct DxfOutputState {
  bool on = false;             // DXF output requested for the current load
  bool polylineMode = false;   // vectors written as polylines
  bool polylineClosed = true;  // no POLYLINE open
  std::FILE* file = nullptr;
  uint16_t currentColour = 7;  // the colour number of the drawing in progress
  uint16_t lastWrittenColour = 7;
  int32_t previousLine[4] = {0, 0, 0, 0};
  int32_t previousVertex[2] = {0, 0};
  bool vertexLatched = false;
  bool writeFailed = false;  // the last file closed had a failed write (a full disk)
  // The last file opened got its first section and its EOF: a file begun but never ended
  // is no DXF (the drawing stopped early) and must not be taken as written.
  bool begun = false;
  bool ended = false;
  // Set by lanterna-cli only: a HEADER section with the drawing extents (0, 0) to (width,
  // height) goes first, so that the file can be made back into a slide of the same size.
  int extentWidth = -1;
  int extentHeight = -1;
};
DxfOutputState& DxfState();

// Creates or truncates the output file; false when it cannot be created (nothing is written).
bool DxfOpen(const char* path);
void DxfClose();  // records a failed write in writeFailed

// The comment of that HEADER when fills are the only closed POLYLINEs (not in polyline mode).
extern const char kDxfFillsComment[];

void DxfBegin();
void DxfEnd();
void DxfLine(int x1, int y1, int x2, int y2);
void DxfPolyline(bool closed, int colour);
void DxfSeqend();
void DxfVertex(int x, int y);
// corners: count (x, y) pairs, room for 5.
void DxfSolid(int count, const int corners[][2], int colour);
void DxfColourGroup(int colour);

}  // namespace lanterna
