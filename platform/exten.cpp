#include "platform/exten.h"

#include <cstdio>

namespace platform {

namespace {

// The services every box and message-window call goes through.
struct BoxServices {
  StderrMessageBoxes stderrBoxes;
  MessageBoxService* boxes = nullptr;
  MessageWindowService* messageWindow = nullptr;
  int beeps = 0;
};

BoxServices& Services() {
  static thread_local BoxServices services;
  return services;
}

}  // namespace

int DefaultButton(unsigned style) {
  if ((style & 0xF) == MB_RETRYCANCEL) return (style & MB_DEFBUTTON2) ? IDCANCEL : IDRETRY;
  if ((style & 0xF) == MB_YESNO) return (style & MB_DEFBUTTON2) ? IDNO : IDYES;
  return IDOK;
}

int StderrMessageBoxes::Show(HWND, const std::string& text, const std::string& title,
                             unsigned style) {
  std::fprintf(stderr, "%s: %s\n", title.c_str(), text.c_str());
  return DefaultButton(style);
}

int RecordingMessageBoxes::Show(HWND owner, const std::string& text, const std::string& title,
                                unsigned style) {
  boxes.push_back({owner, text, title, style});
  if (!answers.empty()) {
    int answer = answers.front();
    answers.erase(answers.begin());
    return answer;
  }
  return DefaultButton(style);
}

void RecordingMessageWindow::ShowMex(HWND, const char* text, const char* title, int kind, int) {
  if (!text && !title) {
    if (shown) calls.push_back({false, false, "", "", kind});
    shown = false;
    return;
  }
  calls.push_back({text != nullptr, title != nullptr, text ? text : "", title ? title : "", kind});
  shown = true;
}

void SetMessageBoxService(MessageBoxService* service) {
  Services().boxes = service;
}
MessageBoxService* CurrentMessageBoxService() {
  return Services().boxes;
}
void SetMessageWindowService(MessageWindowService* service) {
  Services().messageWindow = service;
}

int ShowErrorBox(HWND owner, const char* text, const char* title, unsigned style) {
  BoxServices& s = Services();
  MessageBoxService* boxes = s.boxes ? s.boxes : &s.stderrBoxes;
  return boxes->Show(owner, text ? text : "", title ? title : "", style);
}

void ShowMex(HWND owner, const char* text, const char* title, int kind, int delay) {
  if (MessageWindowService* w = Services().messageWindow)
    w->ShowMex(owner, text, title, kind, delay);
}

void MessageBeep(unsigned) {
  ++Services().beeps;
}
int BeepCount() {
  return Services().beeps;
}

}  // namespace platform
