#include "shell/held_boxes.h"

namespace lanterna {

HeldBoxes::HeldBoxes() : previous_(platform::CurrentMessageBoxService()) {
  platform::SetMessageBoxService(this);
}

HeldBoxes::~HeldBoxes() {
  Release();
}

int HeldBoxes::Show(platform::HWND owner, const std::string& text, const std::string& title,
                    unsigned style) {
  if ((style & 0xF) != platform::MB_OK) {
    // A question is answered by the user now; the drawing depends on the answer.
    platform::SetMessageBoxService(previous_);
    const int answer = platform::ShowErrorBox(owner, text.c_str(), title.c_str(), style);
    platform::SetMessageBoxService(this);
    return answer;
  }
  held_.push_back({owner, text, title, style});
  return platform::IDOK;
}

std::string HeldBoxes::TakeLast() {
  if (held_.empty()) return std::string();
  std::string text = held_.back().text;
  held_.pop_back();
  return text;
}

void HeldBoxes::Release() {
  if (released_) return;
  released_ = true;
  platform::SetMessageBoxService(previous_);
  for (const Box& b : held_)
    platform::ShowErrorBox(b.owner, b.text.c_str(), b.title.c_str(), b.style);
  held_.clear();
}

}  // namespace lanterna
