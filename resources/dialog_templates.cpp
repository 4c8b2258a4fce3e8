#include "resources/dialog_templates.h"

#include "framework/dialog.h"
#include "resources/resources.h"

namespace lanterna::res {

using framework::TControlClass;
using namespace framework;

namespace {

std::vector<TDialogTemplate> OwnTemplates() {
  return {
      {kGenericInputDialog,
       "Generic input",
       8,
       "MS Sans Serif",
       6,
       15,
       194,
       107,
       {
           {101, TControlClass::Edit, "", 13, 36, 165, 12, CS_BORDER | CS_NOHSCROLL},
           {1, TControlClass::Button, "OK", 40, 78, 50, 14, CS_DEFAULT},
           {2, TControlClass::Button, "Cancel", 100, 78, 50, 14},
       }},
      {kAboutDialog,
       "Lanterna",
       8,
       "MS Sans Serif",
       17,
       23,
       298,
       266,
       {
           {-1, TControlClass::Static, "Lanterna", 14, 4, 200, 8, CS_CENTRE},
           {22001, TControlClass::Static, "Version: ", 14, 14, 200, 8, CS_CENTRE},
           {22002, TControlClass::Static, "", 5, 27, 200, 17, CS_CENTRE},
           {22003, TControlClass::Static, "", 136, 50, 66, 8, CS_RIGHT},
           {101, TControlClass::Icon, "101", 2, 2, 14, 16},
           {1, TControlClass::Button, "OK", 129, 221, 40, 14, CS_DEFAULT},
           {2, TControlClass::Button, "Esc", 341, 162, 33, 18},
           {-1, TControlClass::Static, "", 3, 76, 288, 1, CS_BLACKFRAME},
           {-1, TControlClass::Static, "", 3, 134, 290, 1, CS_BLACKFRAME},
       }},
  };
}

const TDialogTemplate* LoadTemplate(const std::string& name) {
  return FindDialogTemplate(name);
}

}  // namespace

const std::vector<TDialogTemplate>& DialogTemplates() {
  static const std::vector<TDialogTemplate> all = [] {
    std::vector<TDialogTemplate> v = OwnTemplates();
    for (const TDialogTemplate& t : FileDialogTemplates()) v.push_back(t);
    return v;
  }();
  return all;
}

const TDialogTemplate* FindDialogTemplate(const std::string& name) {
  for (const TDialogTemplate& t : DialogTemplates())
    if (t.name == name) return &t;
  return nullptr;
}

void RegisterDialogResources() {
  framework::SetDialogTemplateLoader(LoadTemplate);
  framework::SetDialogIconLoader(LoadIcon);
}

}  // namespace lanterna::res
