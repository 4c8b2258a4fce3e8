// Error boxes and the message window entry, as every part of the program calls them.
#pragma once

#include <string>
#include <vector>

#include "platform/window.h"

namespace platform {

constexpr unsigned MB_OK = 0x0;
constexpr unsigned MB_YESNO = 0x4;
constexpr unsigned MB_RETRYCANCEL = 0x5;
constexpr unsigned MB_ICONHAND = 0x10;
constexpr unsigned MB_DEFBUTTON2 = 0x100;
constexpr unsigned MB_SYSTEMMODAL = 0x1000;
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDRETRY = 4;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// Shows a modal box and returns the button pressed.
class MessageBoxService {
 public:
  virtual ~MessageBoxService() = default;
  virtual int Show(HWND owner, const std::string& text, const std::string& title,
                   unsigned style) = 0;
};

// The message window (title, a few lines of text, an icon kind).
class MessageWindowService {
 public:
  virtual ~MessageWindowService() = default;
  virtual void ShowMex(HWND owner, const char* text, const char* title, int kind, int delay) = 0;
};

// Boxes without a screen: "TITLE: TEXT" on stderr, answered with the default button.
class StderrMessageBoxes : public MessageBoxService {
 public:
  int Show(HWND owner, const std::string& text, const std::string& title, unsigned style) override;
};

// The default button of a box style: the second one (Cancel, No) when MB_DEFBUTTON2 says so.
int DefaultButton(unsigned style);

// Records every box; answers from a script, then with the default button.
class RecordingMessageBoxes : public MessageBoxService {
 public:
  struct Box {
    HWND owner;
    std::string text;
    std::string title;
    unsigned style;
  };
  int Show(HWND owner, const std::string& text, const std::string& title, unsigned style) override;
  std::vector<Box> boxes;
  std::vector<int> answers;  // consumed front to back
};

// Records what the message window was asked to show; keeps whether one is up.
class RecordingMessageWindow : public MessageWindowService {
 public:
  struct Call {
    bool hasText, hasTitle;
    std::string text, title;
    int kind;
  };
  void ShowMex(HWND owner, const char* text, const char* title, int kind, int delay) override;
  std::vector<Call> calls;
  bool shown = false;
};

// Services of the calling thread (the windows' thread sets them); null restores the headless
// defaults.
void SetMessageBoxService(MessageBoxService* service);
void SetMessageWindowService(MessageWindowService* service);
// The box service set, or null for the headless default.
MessageBoxService* CurrentMessageBoxService();

int ShowErrorBox(HWND owner, const char* text, const char* title, unsigned style);
void ShowMex(HWND owner, const char* text, const char* title, int kind, int delay);
void MessageBeep(unsigned type);
int BeepCount();

}  // namespace platform
