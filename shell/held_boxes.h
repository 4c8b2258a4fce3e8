// Holds back the boxes that only inform (OK alone) while a file's header is read, so that the
// shell can say what went wrong in one box that names the file; boxes that ask are shown at once.
#pragma once

#include <string>
#include <vector>

#include "platform/exten.h"

namespace lanterna {

class HeldBoxes : public platform::MessageBoxService {
 public:
  HeldBoxes();  // in place of the box service until released
  ~HeldBoxes() override;
  HeldBoxes(const HeldBoxes&) = delete;
  HeldBoxes& operator=(const HeldBoxes&) = delete;

  int Show(platform::HWND owner, const std::string& text, const std::string& title,
           unsigned style) override;
  // The text of the last box held, no longer to be shown; empty when none was.
  std::string TakeLast();
  // The service before comes back and shows the boxes still held, in order.
  void Release();

 private:
  struct Box {
    platform::HWND owner;
    std::string text, title;
    unsigned style;
  };
  platform::MessageBoxService* previous_;
  std::vector<Box> held_;
  bool released_ = false;
};

}  // namespace lanterna
