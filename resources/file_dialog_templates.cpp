#include "framework/file_dialog.h"
#include "resources/dialog_templates.h"

namespace lanterna::res {

using namespace framework;
using C = TControlClass;

namespace {

TDialogTemplate OpenTemplate() {
  return {"DLG_OPEN",
          "Open",
          8,
          "Helv",
          9,
          -57,
          320,
          216,
          {
              {IDC_FILENAME_LABEL, C::Static, "File &Name:", 5, 10, 36, 9},
              {IDC_FILENAME, C::Edit, "", 5, 20, 90, 12, CS_BORDER},
              {IDC_FILELIST, C::ListBox, "", 5, 36, 90, 142, CS_MULTISEL | CS_SORTED | CS_VSCROLL},
              {-1, C::Static, "&Directories:", 104, 10, 92, 9},
              {IDC_CURRENTDIR, C::Static, "", 104, 22, 92, 9},
              {IDC_DIRLIST, C::ListBox, "", 104, 36, 92, 142, CS_VSCROLL},
              {IDC_FILETYPES_LABEL, C::Static, "List Files of &Type:", 5, 185, 90, 9},
              {IDC_FILETYPES, C::ComboBox, "", 5, 195, 90, 68, CS_DROPDOWNLIST},
              {IDC_DRIVES_LABEL, C::Static, "Dri&ves:", 104, 185, 92, 9},
              {IDC_DRIVES, C::ComboBox, "", 104, 195, 92, 68, CS_DROPDOWNLIST},
              {1, C::Button, "OK", 270, 4, 37, 14, CS_DEFAULT},
              {2, C::Button, "Cancel", 270, 21, 37, 14},
              {IDC_HELPBUTTON, C::Button, "&Help", -55, 32, 37, 14},
              {IDC_READONLY, C::CheckBox, "&Read Only", -61, 45, 50, 12},
              {104, C::GroupBox, "Info", 207, 31, 56, 44},
              {110, C::Static, "Kb:", 210, 40, 50, 8},
              {-1, C::Static, "", 211, 54, 46, 1, CS_BLACKFRAME},
              {109, C::Static, "lib kb", 210, 60, 48, 8},
              {-1, C::Static, "Library", 209, 89, 41, 9},
              {102, C::Button, "All", 291, 85, 16, 14},
              {101, C::ListBox, "", 208, 101, 99, 50, CS_MULTISEL | CS_NOTIFY | CS_VSCROLL},
              {1039, C::Button, "Show Miniature", 208, 159, 99, 50,
               CS_OWNERDRAW | CS_DISABLED | CS_BORDER},
              {105, C::Button, "?", 46, 3, 15, 14},
              {103, C::Button, "Del", 62, 3, 15, 14},
              {106, C::Button, "Ren", 79, 3, 16, 14},
          }};
}

TDialogTemplate SaveTemplate() {
  return {"DLG_SAVE",
          "Open",
          8,
          "Helv",
          36,
          24,
          264,
          151,
          {
              {IDC_FILENAME_LABEL, C::Static, "File &Name:", 6, 6, 76, 9},
              {IDC_FILENAME, C::Edit, "", 6, 16, 90, 12, CS_BORDER},
              {IDC_FILELIST, C::ListBox, "", 6, 32, 90, 68, CS_SORTED | CS_VSCROLL},
              {-1, C::Static, "&Directories:", 110, 6, 92, 9},
              {IDC_CURRENTDIR, C::Static, "", 110, 18, 92, 9},
              {IDC_DIRLIST, C::ListBox, "", 110, 32, 92, 68, CS_VSCROLL},
              {IDC_FILETYPES_LABEL, C::Static, "List Files of &Type:", 6, 104, 90, 9},
              {IDC_FILETYPES, C::ComboBox, "", 6, 114, 90, 68, CS_DROPDOWNLIST},
              {IDC_DRIVES_LABEL, C::Static, "Dri&ves:", 110, 104, 92, 9},
              {IDC_DRIVES, C::ComboBox, "", 110, 114, 92, 68, CS_DROPDOWNLIST},
              {1, C::Button, "OK", 208, 6, 50, 14, CS_DEFAULT},
              {2, C::Button, "Cancel", 208, 24, 50, 14},
              {IDC_HELPBUTTON, C::Button, "&Help", 208, 46, 50, 14},
              {IDC_READONLY, C::CheckBox, "&Read Only", 208, 68, 50, 12},
              {101, C::CheckBox, "Convert to Polylines", 6, 132, 87, 12, CS_AUTOCHECK},
          }};
}

TDialogTemplate CreateLibTemplate() {
  return {"DLG_CREATELIB",
          "Create Slides Library",
          8,
          "MS Sans Serif",
          6,
          18,
          301,
          232,
          {
              {-1, C::Static, "Library name:", 16, 18, 45, 8},
              {103, C::Static, "Lib File", 66, 18, 224, 9},
              {109, C::Edit, "", 11, 32, 280, 12, CS_BORDER},
              {102, C::ListBox, "", 12, 51, 202, 149, CS_NOTIFY | CS_HSCROLL | CS_VSCROLL},
              {106, C::Button, "Screen Slides", 243, 51, 50, 27},
              {104, C::Button, "Add slide...", 243, 87, 50, 14},
              {105, C::Button, "Remove Slide", 243, 109, 50, 14},
              {107, C::Button, "< ", 220, 165, 16, 14},
              {108, C::Button, ">", 220, 180, 16, 14},
              {101, C::CheckBox, "Auto delete slide files (*.SLD)", 16, 206, 127, 12, CS_AUTOCHECK},
              {1, C::Button, "OK", 186, 208, 50, 14, CS_DEFAULT},
              {2, C::Button, "Cancel", 243, 208, 50, 14},
              {9, C::Button, "Help", 308, 188, 50, 14},
          }};
}

// The file dialog of a caller that brings no template of its own: the standard controls of
// "DLG_SAVE" without its check box.
TDialogTemplate StandardTemplate() {
  TDialogTemplate t = SaveTemplate();
  t.name = kStandardFileDialogTemplate;
  t.caption = "Save As";
  t.cy = 134;
  std::erase_if(t.controls, [](const framework::TDialogControl& c) { return c.id == 101; });
  for (framework::TDialogControl& c : t.controls)
    if (c.id == IDC_FILETYPES_LABEL) c.text = "Save File as &Type:";
  return t;
}

}  // namespace

const std::vector<TDialogTemplate>& FileDialogTemplates() {
  static const std::vector<TDialogTemplate> templates = {OpenTemplate(), SaveTemplate(),
                                                         CreateLibTemplate(), StandardTemplate()};
  return templates;
}

}  // namespace lanterna::res
