// A DXF drawing as the slide maker needs it: layers, blocks and model-space entities with their
// geometry in their own coordinates. Read with dxflib; nothing here depends on it.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace lanterna::dxfin {

struct Vertex {
  double x = 0, y = 0;
  double bulge = 0;       // tan(sweep / 4) of the arc to the next vertex; 0 for a straight edge
  double w0 = 0, w1 = 0;  // a polyline's width at this vertex and at the next
};

enum class Kind {
  kPath,     // points with bulges; closed joins the last to the first
  kFill,     // a filled polygon (SOLID, TRACE)
  kHatch,    // filled loops (points with bulges), holes and islands by the even-odd rule
  kEllipse,  // centre points[0], axes (ax, ay) and (bx, by), parameters t0 to t1 (radians)
  kPoint,    // points[0]
  kInsert,   // block at points[0], scaled, rotated, in an array
  kText,     // a TEXT, ATTRIB or MTEXT at points[0]; see Text
  kWipeout,  // a polygon (points) hiding what was drawn before it, framed as the drawing says
};

// Where an entity's own coordinates land on the drawing's XY plane: x' = a x + b y + e,
// y' = c x + d y + f. 2D entities live in their object coordinate system (the arbitrary axis
// algorithm of their extrusion direction), seen from above.
struct Plane {
  double a = 1, b = 0, c = 0, d = 1, e = 0, f = 0;
};

// The plane of extrusion (nx, ny, nz) with the entity at that elevation.
Plane OcsPlane(double nx, double ny, double nz, double elevation);

// One line family of a hatch pattern: lines at angle (radians) through (x, y), repeated at
// offsets (dx, dy), drawn as dashes (positive), gaps (negative) and dots (0); none: solid.
struct PatternLine {
  double angle = 0, x = 0, y = 0, dx = 0, dy = 0;
  std::vector<double> dashes;
};

struct Text {
  std::string string;                   // TEXT: as written; MTEXT: with its inline codes
  std::string style;                    // upper-cased text style name
  double height = 1;                    // capital height
  double rotation = 0;                  // degrees, counterclockwise
  double widthFactor = 1, oblique = 0;  // oblique in degrees
  bool mtext = false;
  int align = 0, valign = 0;  // TEXT: 72 and 73; MTEXT: attachment 1-9 as align
  bool backward = false, upsideDown = false;
  bool aligned = false;  // TEXT placed by its second point (points[1])
  double boxWidth = 0;   // MTEXT: the wrapping width; 0 none
  double lineSpacing = 1;
  // MTEXT columns: how many (0 none), how wide, the gap between, each one's height.
  int columns = 0;
  double columnWidth = 0, gutter = 0;
  std::vector<double> columnHeights;
};

struct Entity {
  Kind kind = Kind::kPath;
  std::string layer;  // upper-cased
  int colour = 256;   // 0 by block, 256 by layer, else 1-255
  std::vector<Vertex> points;
  bool closed = false;
  double ax = 0, ay = 0, bx = 0, by = 0, t0 = 0, t1 = 0;
  Plane ocs;
  std::vector<std::vector<Vertex>> loops;  // kHatch
  bool filled = true;                      // kHatch: solid, else its pattern's lines
  std::vector<PatternLine> pattern;
  Text text;                         // kText
  std::string linetype = "BYLAYER";  // upper-cased
  std::string unlessBlock;           // drawn only when this block is missing
  double linetypeScale = 1;
  std::string block;                    // upper-cased
  double sx = 1, sy = 1, rotation = 0;  // rotation in degrees
  int cols = 1, rows = 1;
  double colSpacing = 0, rowSpacing = 0;
  // The entity's handle and its owner's (a block record), 0 when the file has none: a
  // SORTENTSTABLE orders an owner's entities by them.
  unsigned long long handle = 0, owner = 0;
};

struct Layer {
  int colour = 7;
  std::string linetype;  // upper-cased
  bool shown = true;     // neither off nor frozen
};

struct Block {
  double baseX = 0, baseY = 0;
  std::vector<Entity> entities;
};

struct Drawing {
  std::map<std::string, Layer> layers;  // by upper-cased name
  std::map<std::string, Block> blocks;  // by upper-cased name
  std::map<std::string, std::string> styleFonts;
  // Linetypes by upper-cased name: dashes (positive), gaps (negative) and dots (0).
  std::map<std::string, std::vector<double>> linetypes;
  double linetypeScale = 1;  // $LTSCALE  // a text style's font file, by upper-cased name
  std::vector<Entity> model;
  bool hasExtents = false;  // $EXTMIN and $EXTMAX in the header, and sensible
  double minX = 0, minY = 0, maxX = 0, maxY = 0;
  bool wipeoutFrame = false;             // WIPEOUTVARIABLES: wipeouts show their frames
  bool closedPolylinesAreFills = false;  // lanterna-cli dxf says so in a header comment
  std::map<std::string, int> skipped;    // entity kinds left out, and how many
};

// Reads path; false when it cannot be opened or read as DXF.
// A binary DXF ("AutoCAD Binary DXF" then CR LF SUB NUL), which dxflib does not read: it is
// read as the same groups in text.
bool IsBinaryDxf(const std::string& path);

bool ReadDrawing(const std::string& path, Drawing* drawing);

}  // namespace lanterna::dxfin
