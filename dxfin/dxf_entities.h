// One DXF entity read from its group codes into the drawing's entities. dxflib's callbacks do
// not carry what a faithful picture needs (every entity's extrusion direction, the MTEXT groups
// after an embedded object, hatch edges with bulges and directions, polyface meshes), so the
// entities are read here from the pairs dxflib's parsing loop hands over.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "dxfin/dxf_drawing.h"

namespace lanterna::dxfin {

struct Group {
  int code = 0;
  std::string value;
};

// An object of the file: its type (the value of its group 0) and the groups that follow.
struct RawObject {
  std::string type;
  std::vector<Group> groups;
  std::vector<Group> embedded;               // after "101 Embedded Object": an MTEXT's columns
  unsigned long long handle = 0, owner = 0;  // its 5 and its first 330 (hexadecimal)
};

struct EntityContext {
  bool closedPolylinesAreFills = false;
  bool inBlock = false;  // a block's attribute definitions show only through its inserts
  double dimensionTextHeight = 2.5;  // $DIMTXT: texts of dimensions drawn from their points
  double arrowSize = 2.5, dimensionScale = 1;     // $DIMASZ and $DIMSCALE: leaders' arrowheads
  std::map<std::string, int>* skipped = nullptr;  // kinds left out, and how many
};

// Appends what object draws to out (nothing for paper space or unknown kinds). A POLYLINE
// comes with its VERTEX objects.
void ReadEntity(const RawObject& object, const std::vector<RawObject>& vertices,
                const EntityContext& context, std::vector<Entity>& out);

}  // namespace lanterna::dxfin
