// The resource kinds the framework turns into widgets: menus, accelerator tables, strings.
#pragma once

#include <Qt>
#include <cstdint>
#include <string>
#include <vector>

namespace framework {

struct TMenuItem {
  const char* popup;  // the popup's title
  uint32_t id;        // 0: a separator
  const char* text;   // "&Open...\tCtrl+O": the part after the tab is shown as the key
  bool checkable = false;
};
using TMenuResource = std::vector<TMenuItem>;

struct TAccel {
  int key;  // Qt::Key
  Qt::KeyboardModifiers modifiers;
  uint32_t command;
};
using TAccelResource = std::vector<TAccel>;

// The string table: the text of an id, or empty.
using TStringLoader = std::string (*)(uint32_t id);

}  // namespace framework
