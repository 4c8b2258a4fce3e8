// Control bars and status bars made of gadgets: command buttons, toggle buttons, separators
// and text fields.
#pragma once

#include <QLabel>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <functional>
#include <string>

#include "framework/event_handler.h"

namespace framework {

class TGadget {
 public:
  virtual ~TGadget() = default;
  virtual QWidget* Widget() = 0;
};

class TButtonGadget : public TGadget {
 public:
  enum TType { Command, NonExclusive };
  TButtonGadget(uint32_t bitmapId, uint32_t commandId, TType type = Command, bool enabled = false);
  ~TButtonGadget() override;
  QWidget* Widget() override { return button_; }
  uint32_t CommandId() const { return id_; }
  TType Type() const { return type_; }
  // Toggle buttons: down or up.
  void SetButtonState(bool down);
  bool ButtonState() const;
  void SetEnabled(bool enabled);
  bool Enabled() const;
  QToolButton* Button() { return button_; }

  // Set by the bar: the button was pressed, or the pointer entered or left it.
  std::function<void(uint32_t)> OnPressed;
  std::function<void(uint32_t, bool entered)> OnHover;

 private:
  class HoverButton;
  uint32_t id_;
  TType type_;
  QToolButton* button_;
};

class TSeparatorGadget : public TGadget {
 public:
  explicit TSeparatorGadget(int size);
  ~TSeparatorGadget() override;
  QWidget* Widget() override { return widget_; }
  int Size() const { return size_; }

 private:
  int size_;
  QWidget* widget_;
};

class TTextGadget : public TGadget {
 public:
  // widens: a longer text widens the field instead of being cut (a count must read whole).
  explicit TTextGadget(int numChars, bool widens = false);
  ~TTextGadget() override;
  QWidget* Widget() override { return label_; }
  void SetText(const std::string& text);
  std::string GetText() const;
  int NumChars() const { return numChars_; }

 private:
  void FitText();
  int numChars_;
  bool widens_;
  QLabel* label_;
};

// Gadget bitmaps come from the resources by id.
using TBitmapLoader = QPixmap (*)(uint32_t id);
void SetGadgetBitmapLoader(TBitmapLoader loader);

class TControlBar : public QToolBar {
 public:
  explicit TControlBar(QWidget* parent = nullptr);
  ~TControlBar() override;
  void Insert(TGadget* gadget);  // the bar owns it
  const std::vector<TGadget*>& Gadgets() const { return gadgets_; }
  TButtonGadget* GadgetWithId(uint32_t id) const;
  // Hints on entering a button go to this function (the frame's status bar).
  std::function<void(uint32_t id, bool entered)> OnHint;
  std::function<void(uint32_t id)> OnCommand;

 private:
  std::vector<TGadget*> gadgets_;
};

// A message area on the left, then gadgets.
class TStatusBar : public QStatusBar {
 public:
  explicit TStatusBar(QWidget* parent = nullptr);
  ~TStatusBar() override;
  void Insert(TGadget* gadget);
  void SetText(const std::string& text);  // the message area
  std::string GetText() const;
  // A hint replaces the message until cleared with an empty hint.
  void SetHintText(const std::string& hint);
  std::string HintText() const { return hint_; }
  const std::vector<TGadget*>& Gadgets() const { return gadgets_; }
  // Paints at once, even inside a long handler.
  void Update();

 private:
  void Show();
  QLabel* message_;
  std::string text_, hint_;
  std::vector<TGadget*> gadgets_;
};

}  // namespace framework
