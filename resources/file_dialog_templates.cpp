#include "resources/dialog_templates.h"

namespace lanterna::res {

const std::vector<framework::TDialogTemplate>& FileDialogTemplates() {
  static const std::vector<framework::TDialogTemplate> templates = {};
  return templates;
}

}  // namespace lanterna::res
