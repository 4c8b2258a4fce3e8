// TQVMex: the small, untouchable window long operations show their progress in, and the
// ShowMex service that creates, updates and closes it.
#pragma once

#include <QFontMetrics>
#include <QStringView>
#include <string>

#include "framework/frame.h"
#include "platform/exten.h"

namespace lanterna {

class TQVMex : public framework::TFrameWindow {
 public:
  static constexpr int kTextSize = 1000;  // bytes, with the terminating NUL
  static constexpr int kIconWidth = 42;

  // A top-level window over the owner's top-level window (or none), captioned, disabled.
  TQVMex(QWidget* owner, const char* title, const char* text, int kind);
  ~TQVMex() override;

  // Measures, sizes and centres the window once it exists.
  void SetupWindow() override;
  bool CanClose() override { return mayClose_ != 0; }

  // The window in place: new title, new text unless text is null, measured again with kind.
  void Update(const char* title, const char* text, int kind);
  // Title, text and size from the current fields; centred on the desktop.
  void Measure(int kind);

  void SetMayClose(bool may) { mayClose_ = may ? 1 : 0; }
  const char* Text() const { return text_; }
  int LineCount() const { return lineCount_; }
  int LineHeight() const { return lineHeight_; }
  int IconSpace() const { return iconSpace_; }
  int Kind() const { return kind_; }
  int Paints() const { return paints_; }

  // Width of a run of text as the window draws it: one character after the other.
  static int Extent(const QFontMetrics& fm, QStringView text);

 protected:
  void paintEvent(QPaintEvent* e) override;

 private:
  void SetText(const char* text);
  void CentreOnDesktop();

  char text_[kTextSize] = {};
  int lineCount_ = 0;
  int lineHeight_ = 0;
  int iconSpace_ = 0;
  int mayClose_ = 1;
  int kind_ = 0;
  std::string title_;
  int paints_ = 0;
};

// The Qt message window behind platform::ShowMex.
class MessageWindowService : public platform::MessageWindowService {
 public:
  void ShowMex(platform::HWND owner, const char* text, const char* title, int kind,
               int delay) override;
};

// Makes platform::ShowMex show TQVMex windows (for the whole run).
void InstallMessageWindow();
// The message window on screen, or null.
TQVMex* CurrentMessageWindow();
// The widget of a platform window (a framework window or a Qt surface), or null.
QWidget* OwnerWidget(platform::HWND owner);

}  // namespace lanterna
