// TDialog: a dialog built from a template (dialog_template.h). Buttons send their id as a
// command, list boxes their notifications as id + code << 16; both go through the response
// tables. OK and Cancel end the dialog unless a handler takes them.
#pragma once

#include <QDialog>
#include <QIcon>
#include <QListWidget>
#include <map>
#include <string>
#include <vector>

#include "framework/dialog_template.h"
#include "framework/window.h"

namespace framework {

constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr uint32_t LBN_SELCHANGE = 1;
constexpr uint32_t LBN_DBLCLK = 2;
constexpr uint32_t WM_DRAWITEM = 0x002B;

// The command id a control notification arrives as.
constexpr uint32_t Notification(int id, uint32_t code) {
  return static_cast<uint32_t>(id) | code << 16;
}

class TDialog : public QDialog, public TWindow {
 public:
  TDialog(QWidget* parent, const std::string& templateName);
  ~TDialog() override;

  // Modal run: the id the dialog ended with (IDOK, IDCANCEL, ...).
  int Execute();
  // Shown without a modal loop (the result comes with finished()).
  void Create();
  // Ends the dialog with this result.
  void CloseWindow(int result);

  QWidget* GetDlgItem(int id) const;
  template <class T>
  T* Item(int id) const {
    return qobject_cast<T*>(GetDlgItem(id));
  }
  void SetDlgItemText(int id, const std::string& text);
  std::string GetDlgItemText(int id) const;
  void CheckDlgButton(int id, bool checked);
  bool IsDlgButtonChecked(int id) const;
  const TDialogTemplate& Template() const { return template_; }
  // Dialog units of the template's font to pixels.
  QRect MapDialogRect(int x, int y, int cx, int cy) const;
  // Runs the enablers of the dialog's buttons.
  void UpdateCommandStates();
  // Esc and the close box: Cancel.
  void reject() override;

 protected:
  // Set-up once the controls exist, before the dialog is shown.
  virtual void SetupWindow() {}
  virtual void CmOk() { CloseWindow(IDOK); }
  virtual void CmCancel() { CloseWindow(IDCANCEL); }
  // A control of the dialog's own making, or null for the standard one.
  virtual QWidget* MakeControl(const TDialogControl&) { return nullptr; }
  bool RouteCommand(uint32_t id) override;
  intptr_t DefWindowProc(uint32_t msg, uintptr_t wParam, intptr_t lParam) override;
  void mousePressEvent(QMouseEvent* e) override;
  void showEvent(QShowEvent* e) override;

 private:
  void Build();
  QWidget* MakeStandardControl(const TDialogControl& c);
  TDialogTemplate template_;
  std::map<int, QWidget*> items_;
  bool built_ = false, setUp_ = false;
  int baseX_ = 6, baseY_ = 13;
};

// List-box operations on a QListWidget, by index, as dialogs use them.
class TListBox {
 public:
  explicit TListBox(QListWidget* list) : list_(list) {}
  bool Valid() const { return list_ != nullptr; }
  int GetCount() const;
  int AddString(const std::string& text);  // sorted lists put it in its place
  // An item shown as text whose GetString is key's bytes as they are (names in a code page
  // other than the display's).
  int AddString(const std::string& text, const std::string& key);
  int InsertString(const std::string& text, int index);
  void DeleteString(int index);
  void ClearList();
  std::string GetString(int index) const;
  // The caret item (-1 none) and the single selection.
  int GetCaretIndex() const;
  int GetSelIndex() const;
  void SetSelIndex(int index);  // -1 clears the selection
  // Multiple selection.
  int GetSelCount() const;
  std::vector<int> GetSelIndexes() const;
  void SetSel(int index, bool select);
  // Selects the first item starting with text (case-insensitive); its index or -1.
  int SelectString(const std::string& text);

 private:
  QListWidget* list_;
};

}  // namespace framework

namespace framework {
// Icon controls find their pictures by the name in the template's text.
using TIconLoader = QIcon (*)(const std::string& name);
void SetDialogIconLoader(TIconLoader loader);
}  // namespace framework
