// The program's dialog templates, found by name ("DLG_GENERIC", "22000", ...).
#pragma once

#include <string>
#include <vector>

#include "framework/dialog_template.h"

namespace lanterna::res {

constexpr const char* kGenericInputDialog = "DLG_GENERIC";
constexpr const char* kAboutDialog = "22000";

// Every template the program has; LoadDialogTemplate searches them.
const std::vector<framework::TDialogTemplate>& DialogTemplates();
// The file dialogs' templates ("DLG_OPEN", "DLG_SAVE", "DLG_CREATELIB").
const std::vector<framework::TDialogTemplate>& FileDialogTemplates();
const framework::TDialogTemplate* FindDialogTemplate(const std::string& name);
// Makes the framework's dialogs find these templates and the program's icons.
void RegisterDialogResources();

}  // namespace lanterna::res
