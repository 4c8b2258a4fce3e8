// Dialog templates as data: the dialog's caption, font and rectangle, and its controls with
// ids, texts and rectangles in dialog units. One builder turns them into widgets (dialog.h).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace framework {

enum class TControlClass { Static, Edit, Button, CheckBox, GroupBox, ListBox, ComboBox, Icon };

// Control styles; which apply depends on the class.
enum TControlStyle : uint32_t {
  CS_NONE = 0,
  CS_DEFAULT = 1u << 0,     // button: the default push button
  CS_BORDER = 1u << 1,      // edit, button: a border
  CS_NOHSCROLL = 1u << 2,   // edit: the text may not be longer than the field is wide
  CS_MULTISEL = 1u << 3,    // list box: extended (multiple) selection
  CS_SORTED = 1u << 4,      // list box: kept sorted
  CS_NOTIFY = 1u << 5,      // list box: reports selection changes and double clicks
  CS_OWNERDRAW = 1u << 6,   // button: the dialog draws it
  CS_DISABLED = 1u << 7,    // any: created disabled
  CS_CENTRE = 1u << 8,      // static: centred text
  CS_RIGHT = 1u << 9,       // static: right-aligned text
  CS_BLACKFRAME = 1u << 10, // static: a black line or frame, no text
  CS_HSCROLL = 1u << 11,    // list box: horizontal scroll bar
  CS_VSCROLL = 1u << 12,    // list box: vertical scroll bar
  CS_AUTOCHECK = 1u << 13,  // check box: toggles itself
  CS_DROPDOWNLIST = 1u << 14,  // combo box: a drop-down list without edit field
};

struct TDialogControl {
  int id;  // -1: a control nobody addresses
  TControlClass cls;
  const char* text;
  int x, y, cx, cy;  // dialog units
  uint32_t style = CS_NONE;
};

struct TDialogTemplate {
  std::string name;
  const char* caption;
  int fontPoints;
  const char* fontName;
  int x, y, cx, cy;  // dialog units
  std::vector<TDialogControl> controls;
};

// Where dialogs find their templates by name; the program registers its resources.
using TTemplateLoader = const TDialogTemplate* (*)(const std::string& name);
void SetDialogTemplateLoader(TTemplateLoader loader);
const TDialogTemplate* LoadDialogTemplate(const std::string& name);

}  // namespace framework
