// The client's commands on the set of slide windows and on preferences.
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <cstdio>
#include <cstdlib>

#include "dialogs/generic_input.h"
#include "framework/file_dialog.h"
#include "framework/gadgets.h"
#include "output/name_codec.h"
#include "platform/exten.h"
#include "render/acacol.h"
#include "resources/dialog_templates.h"
#include "resources/resources.h"
#include "shell/child.h"
#include "shell/frame.h"
#include "shell/library_browser.h"
#include "shell/shell_state.h"

namespace lanterna {

void TMyWindow::CmIconizeAll() {
  ShellState& s = Shell();
  s.PaintEnabled = false;
  for (TMyChild* c : SlideWindows()) {
    platform::ShowMex(c, c->GetCaption().c_str(), kFrameTitle, 0x40, 0);
    c->showMinimized();
  }
  ArrangeIcons();
  platform::ShowMex(nullptr, nullptr, nullptr, 0, 0);
  RepaintAll();
}

void TMyWindow::CmRestoreAll() {
  Shell().PaintEnabled = false;
  for (TMyChild* c : SlideWindows()) c->showNormal();
  RepaintAll();
}

void TMyWindow::CmEnlarge(bool previous) {
  if (!ActiveSlide()) return;
  // The MDI order is the order the windows were opened in.
  if (previous) {
    activatePreviousSubWindow();
  } else {
    activateNextSubWindow();
  }
  if (TMyChild* now = ActiveSlide()) now->showMaximized();
}

void TMyWindow::CmTile(bool horizontal) {
  TileChildren(horizontal);
  if (TMyChild* active = ActiveSlide(); active && active->IsIconic()) {
    CmRestoreAll();
    TileChildren(horizontal);
  }
}

void TMyWindow::CmAutoClose() {
  Shell().AutoClose = Shell().AutoClose == 0 ? 1 : 0;
}

void TMyWindow::CmSlideShowDelay() {
  ShellState& s = Shell();
  char text[10];
  std::snprintf(text, sizeof text, "%d", s.ShowDelay);
  const std::string title = res::LoadString(res::CM_SLIDESHOWDELAY);
  TGenericInput dialog(this, res::kGenericInputDialog, title.c_str(), text, 9);
  if (dialog.Execute() != framework::IDOK) return;
  // Read as atoi does: leading blanks and a sign, up to the first non-digit.
  const long delay = std::strtol(text, nullptr, 10);
  if (delay > 0 && delay <= INT32_MAX) s.ShowDelay = static_cast<int32_t>(delay);
}

// Libraries written elsewhere name their members in the code page of that system: the user
// says which (iconv's names), or leaves it empty for UTF-8 where valid, else Windows-1252.
void TMyWindow::CmMemberNames() {
  ShellState& s = Shell();
  char text[64];
  std::snprintf(text, sizeof text, "%s", s.NameCodePage.c_str());
  const std::string title = res::LoadString(res::CM_MEMBERNAMES);
  TGenericInput dialog(this, res::kGenericInputDialog, title.c_str(), text, sizeof text - 1);
  if (dialog.Execute() != framework::IDOK) return;
  const std::string chosen = text;
  if (!chosen.empty() && !KnownCodePage(chosen)) {
    platform::ShowErrorBox(this, ("Unknown code page: " + chosen).c_str(), "Error", 0);
    return;
  }
  s.NameCodePage = chosen;
  // Open windows take the new names at once.
  for (TMyChild* c : SlideWindows()) c->ShowMemberName();
  for (framework::TMDIChild* c : Children())
    if (auto* browser = dynamic_cast<TLibraryBrowser*>(c)) browser->ShowNames();
}

void TMyWindow::CmBlackBackground() {
  ShellState& s = Shell();
  s.BlackBackground = !s.BlackBackground;
  SetBlackBackground(s.BlackBackground);
  for (framework::TMDIChild* c : Children()) {
    if (auto* browser = dynamic_cast<TLibraryBrowser*>(c)) browser->Redraw();
    if (auto* slide = dynamic_cast<TMyChild*>(c)) slide->DoCommand(res::CM_REDRAW);
  }
}

void TMyWindow::CmBrowseLibrary() {
  framework::TOpenSaveDialog::TData data;
  data.Flags = framework::OFN_HIDEREADONLY | framework::OFN_FILEMUSTEXIST;
  data.Filters = {{"Slide Libraries (*.slb)", "*.slb"}};
  data.InitialDir = Shell().LastDir;
  data.MaxPath = 4096;
  // The library of the active member's window, when there is one.
  if (TMyChild* active = ActiveSlide(); active && active->MemberName()[0])
    data.FileName = active->FileName();
  framework::TFileOpenDialog dialog(this, data, "", "Browse Library");
  if (dialog.Execute() != framework::IDOK) return;
  BrowseLibrary(data.FileName);
}

void TMyWindow::CmSlideShow(bool fromMenu) {
  ShellState& s = Shell();
  framework::TButtonGadget* button = s.SlideShowButton;
  if (!button) return;
  if (fromMenu) button->SetButtonState(!button->ButtonState());
  s.SlideShowOn = button->ButtonState();
}

void TMyWindow::DropFiles(const std::vector<std::string>& names) {
  ShellState& s = Shell();
  if (s.AutoClose) {
    s.PaintEnabled = false;
    if (TMyChild* active = ActiveSlide()) active->showNormal();
    CloseChildren();
    s.PaintEnabled = true;
  }
  TMyFrame* frame = s.Frame;
  if (!frame) return;
  for (const std::string& name : names)
    frame->SendMessage(WM_OPENBYNAME, kOpenFromOutside, reinterpret_cast<intptr_t>(name.c_str()));
}

std::vector<std::string> DroppedFiles(const QDropEvent* e) {
  std::vector<std::string> names;
  if (!e->mimeData()) return names;
  for (const QUrl& url : e->mimeData()->urls())
    if (url.isLocalFile()) names.push_back(url.toLocalFile().toLocal8Bit().toStdString());
  return names;
}

void TMyWindow::dragEnterEvent(QDragEnterEvent* e) {
  if (e->mimeData() && e->mimeData()->hasUrls()) e->acceptProposedAction();
}

void TMyWindow::dropEvent(QDropEvent* e) {
  const std::vector<std::string> names = DroppedFiles(e);
  e->acceptProposedAction();
  DropFiles(names);
}

void TMyFrame::dragEnterEvent(QDragEnterEvent* e) {
  if (e->mimeData() && e->mimeData()->hasUrls()) e->acceptProposedAction();
}

void TMyFrame::dropEvent(QDropEvent* e) {
  // The same as a drop on the client.
  const std::vector<std::string> names = DroppedFiles(e);
  e->acceptProposedAction();
  if (Shell().Client) Shell().Client->DropFiles(names);
}

}  // namespace lanterna
