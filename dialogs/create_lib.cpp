#include "dialogs/create_lib.h"

#include <QLineEdit>

#include "dialogs/open_selection.h"
#include "dialogs/slide_dialog.h"
#include "framework/file_dialog.h"
#include "resources/resources.h"
#include "shell/frame.h"
#include "shell/shell_state.h"
#include "slide/library_writer.h"

namespace lanterna {

using framework::TListBox;

namespace {

constexpr int kAutoDeleteBox = 101;
constexpr int kLibraryLabel = 103;
constexpr int kAddSlideButton = 104;
constexpr int kRemoveButton = 105;
constexpr int kScreenSlidesButton = 106;
constexpr int kUpButton = 107;
constexpr int kDownButton = 108;
constexpr int kEntryEdit = 109;

}  // namespace

TCreateLib::TCreateLib(QWidget* parent, const std::string& templateName,
                       const std::string& libraryName)
    : TDialog(parent, templateName), libraryName_(libraryName), parent_(parent) {
  DefineResponseTable({
      OnCommand(framework::Notification(kSlideListId, framework::LBN_SELCHANGE),
                [this] { ShowSelection(); }),
      OnCommand(kAddSlideButton, [this] { CmAddSlide(); }),
      OnCommand(kScreenSlidesButton, [this] { CmScreenSlides(); }),
      OnCommand(kRemoveButton, [this] { CmRemoveSlide(); }),
      OnEnable(kRemoveButton,
               [this](framework::TCommandEnabler& ce) {
                 ce.Enable(TListBox(SlideList()).GetSelIndex() >= 0);
               }),
      OnCommand(kUpButton, [this] { CmMoveUp(); }),
      OnCommand(kDownButton, [this] { CmMoveDown(); }),
  });
}

void TCreateLib::SetupWindow() {
  TDialog::SetupWindow();
  setCursor(res::LoadCursor("CUR_MANO"));
  SetDlgItemText(kLibraryLabel, libraryName_);
  if (auto* edit = Item<QLineEdit>(kEntryEdit)) edit->setReadOnly(true);
}

void TCreateLib::ShowSelection() {
  TListBox list(SlideList());
  SetDlgItemText(kEntryEdit, list.GetString(list.GetSelIndex()));
}

void TCreateLib::CmAddSlide() {
  framework::TOpenSaveDialog::TData data = SlideOpenData();
  TSlideDialog dialog(this, data, kOpenDialogTemplate, 1);
  if (dialog.Execute() == framework::IDOK)
    OpenSelection(std::string(data.FileName), kListSlides, SlideList());
}

void TCreateLib::CmScreenSlides() {
  if (TMyWindow* client = Shell().Client)
    client->SendMessage(WM_SCREENSLIDES, 0, reinterpret_cast<intptr_t>(SlideList()));
}

void TCreateLib::CmRemoveSlide() {
  TListBox list(SlideList());
  const int i = list.GetSelIndex();
  if (i >= 0) list.DeleteString(i);
  list.SetSelIndex(i);
  if (list.GetSelIndex() < 0) list.SetSelIndex(i - 1);
}

void TCreateLib::CmMoveUp() {
  TListBox list(SlideList());
  const int i = list.GetSelIndex();
  if (list.GetCount() < 2 || i < 1) return;
  moveBuffer_ = list.GetString(i);
  list.DeleteString(i);
  list.InsertString(moveBuffer_, i - 1);
  list.SetSelIndex(i - 1);
}

void TCreateLib::CmMoveDown() {
  TListBox list(SlideList());
  const int i = list.GetSelIndex();
  if (list.GetCount() < 2 || i < 0 || i >= list.GetCount() - 1) return;
  moveBuffer_ = list.GetString(i);
  list.DeleteString(i);
  list.InsertString(moveBuffer_, i + 1);
  list.SetSelIndex(i + 1);
}

void TCreateLib::CmOk() {
  TListBox list(SlideList());
  std::vector<std::string> entries;
  for (int i = 0; i < list.GetCount(); ++i) entries.push_back(list.GetString(i));
  const size_t n = entries.size();
  const LibraryWriteResult written =
      WriteSlideLibrary(this, libraryName_, entries, IsDlgButtonChecked(kAutoDeleteBox));
  // A failed write keeps the dialog and its list, so the entry named in the box can be mended.
  if (!written.written) return;
  // The names the uniqueness pass made show in the list until the dialog closes.
  for (size_t i = n; i < entries.size(); ++i) list.AddString(entries[i]);
  OpenWrittenLibrary(libraryName_);
  TDialog::CmOk();
}

void OpenWrittenLibrary(const std::string& library) {
  ShellState& s = Shell();
  s.PendingName = library;
  if (!s.Frame) return;
  if (s.Client) s.Client->PostMessage(res::CM_CLOSECHILDREN, 0, 0);
  s.Frame->PostMessage(WM_OPENBYNAME, 1, reinterpret_cast<intptr_t>(s.PendingName.c_str()));
}

void CmCreateLibrary(QWidget* parent) {
  framework::TOpenSaveDialog::TData data;
  data.Flags =
      framework::OFN_CREATEPROMPT | framework::OFN_HIDEREADONLY | framework::OFN_OVERWRITEPROMPT;
  data.Filters = {{"Library (.slb)", "*.slb"}};
  data.InitialDir = Shell().LastDir;
  data.DefExt = "SLB";
  data.MaxPath = 2600;
  framework::TFileSaveDialog save(parent, data);
  if (save.Execute() != framework::IDOK) return;
  TCreateLib dialog(parent, kCreateLibTemplate, data.FileName);
  dialog.Execute();
}

}  // namespace lanterna
