// The file dialogs: what their lists show, the result forms, the flags' checks and prompts,
// and the templates they are built from.
#include "framework/file_dialog.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <filesystem>

#include "resources/dialog_templates.h"
#include "tests/gui/gui_support.h"
#include "tests/gui/modal_driver.h"

namespace {

using framework::TFileOpenDialog;
using framework::TFileSaveDialog;
using framework::TListBox;
using framework::TOpenSaveDialog;

class FileDialogTest : public guitest::ViewerTest {
 protected:
  void SetUp() override {
    ViewerTest::SetUp();
    lanterna::res::RegisterDialogResources();
    std::filesystem::create_directories(dir.File("sub/deeper"));
    std::filesystem::create_directories(dir.File("other"));
    for (const char* name : {"b.sld", "A.SLD", "lib.slb", "notes.txt", ".hidden.sld"})
      dir.Write(name, fixtures::Bytes{1, 2, 3});
    data.Filters = {{"Slide & Library", "*.sld;*.slb"}, {"Text", "*.txt"}};
    data.InitialDir = dir.File("");
    data.MaxPath = 2600;
  }
  static void Select(TOpenSaveDialog& d, const std::vector<std::string>& names) {
    auto* list = d.Item<QListWidget>(framework::IDC_FILELIST);
    TListBox box(list);
    bool first = true;
    for (const std::string& n : names) {
      for (int i = 0; i < box.GetCount(); ++i) {
        if (box.GetString(i) != n) continue;
        list->setCurrentRow(
            i, first ? QItemSelectionModel::ClearAndSelect : QItemSelectionModel::Select);
        first = false;
      }
    }
  }
  static void Type(TOpenSaveDialog& d, const std::string& text) {
    d.Item<QLineEdit>(framework::IDC_FILENAME)->setText(QString::fromStdString(text));
  }
  static void Press(TOpenSaveDialog& d, int id) { d.Item<QPushButton>(id)->click(); }
  std::string Dir() const {
    return std::filesystem::path(dir.File("")).lexically_normal().string();
  }

  TOpenSaveDialog::TData data;
};

TEST_F(FileDialogTest, ListsTheDirectoryItsPathAndTheMatchingFiles) {
  TFileOpenDialog d(nullptr, data, "DLG_OPEN");
  std::vector<std::string> files, files2, dirs, drives;
  std::string label, edit, pathOfItem1;
  EXPECT_EQ(
      guitest::RunModal<TFileOpenDialog>(d,
                                         [&](TFileOpenDialog& dlg) {
                                           files = guitest::ListItems(dlg.Item<QListWidget>(1120));
                                           dirs = guitest::ListItems(dlg.Item<QListWidget>(1121));
                                           label = dlg.GetDlgItemText(1088);
                                           edit = dlg.GetDlgItemText(1152);
                                           auto* types = dlg.Item<QComboBox>(1136);
                                           types->setCurrentIndex(1);
                                           emit types->activated(1);
                                           files2 = guitest::ListItems(dlg.Item<QListWidget>(1120));
                                           auto* dr = dlg.Item<QComboBox>(1137);
                                           for (int i = 0; i < dr->count(); ++i)
                                             drives.push_back(dr->itemText(i).toStdString());
                                           pathOfItem1 = dlg.DirItemPath(1);
                                           Press(dlg, 2);
                                         }),
      framework::IDCANCEL);
  // Patterns match without regard to case; hidden files are not listed.
  EXPECT_EQ(files, (std::vector<std::string>{"A.SLD", "b.sld", "lib.slb"}));
  EXPECT_EQ(files2, std::vector<std::string>{"notes.txt"});
  EXPECT_EQ(data.FilterIndex, 2);
  // The root, each component of the directory, then its subdirectories.
  std::vector<std::string> expected{"/"};
  for (const auto& part : std::filesystem::path(d.CurrentDir()).relative_path())
    expected.push_back(part);
  expected.push_back("other");
  expected.push_back("sub");
  EXPECT_EQ(dirs, expected);
  EXPECT_EQ(label, d.CurrentDir());
  EXPECT_EQ(d.CurrentDir() + "/", Dir());
  EXPECT_EQ(edit, "*.sld;*.slb");
  EXPECT_EQ(pathOfItem1, "/" + expected[1]);
  ASSERT_FALSE(drives.empty());
  EXPECT_EQ(drives.front(), "/");
}

TEST_F(FileDialogTest, DirectoryListOpensSubdirectoriesAndParents) {
  TFileOpenDialog d(nullptr, data, "DLG_OPEN");
  std::string inSub, back;
  std::vector<std::string> subDirs;
  guitest::RunModal<TFileOpenDialog>(d, [&](TFileOpenDialog& dlg) {
    auto* dirs = dlg.Item<QListWidget>(1121);
    TListBox box(dirs);
    const int sub = box.GetCount() - 1;  // "sub", the last subdirectory
    dirs->setCurrentRow(sub);
    emit dirs->itemDoubleClicked(dirs->item(sub));
    inSub = dlg.CurrentDir();
    subDirs = guitest::ListItems(dirs);
    // The item before the current one is the parent.
    const int parent = box.GetSelIndex() - 1;
    dirs->setCurrentRow(parent);
    emit dirs->itemDoubleClicked(dirs->item(parent));
    back = dlg.CurrentDir();
    Press(dlg, 2);
  });
  EXPECT_EQ(inSub, dir.File("sub"));
  EXPECT_EQ(subDirs.back(), "deeper");
  EXPECT_EQ(back + "/", Dir());
}

TEST_F(FileDialogTest, ResultFormsOfOneAndOfSeveralFiles) {
  data.Flags = framework::OFN_FILEMUSTEXIST | framework::OFN_ALLOWMULTISELECT;
  {
    TFileOpenDialog d(nullptr, data, "DLG_OPEN");
    EXPECT_EQ(guitest::RunModal<TFileOpenDialog>(d,
                                                 [&](TFileOpenDialog& dlg) {
                                                   Select(dlg, {"b.sld"});
                                                   Press(dlg, 1);
                                                 }),
              framework::IDOK);
    EXPECT_EQ(data.FileName, dir.File("b.sld"));
  }
  {
    TFileOpenDialog d(nullptr, data, "DLG_OPEN");
    std::string edit;
    EXPECT_EQ(guitest::RunModal<TFileOpenDialog>(d,
                                                 [&](TFileOpenDialog& dlg) {
                                                   Select(dlg, {"A.SLD", "lib.slb"});
                                                   edit = dlg.GetDlgItemText(1152);
                                                   Press(dlg, 1);
                                                 }),
              framework::IDOK);
    EXPECT_EQ(edit, "A.SLD lib.slb");
    EXPECT_EQ(data.FileName, d.CurrentDir() + " A.SLD lib.slb");
  }
  {
    // Typed names: each gets the default extension; one that is missing refuses them all.
    data.DefExt = "sld";
    data.FileName = "";
    TFileOpenDialog d(nullptr, data, "DLG_OPEN");
    guitest::RunModal<TFileOpenDialog>(d, [&](TFileOpenDialog& dlg) {
      Type(dlg, "b nothing");
      Press(dlg, 1);
      EXPECT_TRUE(dlg.isVisible());
      Type(dlg, "A.SLD  b");
      Press(dlg, 1);
    });
    EXPECT_EQ(data.FileName, d.CurrentDir() + " A.SLD b.sld");
    EXPECT_EQ(boxes.boxes.size(), 1u);
  }
}

TEST_F(FileDialogTest, FileMustExistKeepsTheDialogOpen) {
  data.Flags = framework::OFN_FILEMUSTEXIST;
  data.FileName = "unchanged";
  TFileOpenDialog d(nullptr, data, "DLG_OPEN");
  bool openAfter = false;
  EXPECT_EQ(guitest::RunModal<TFileOpenDialog>(d,
                                               [&](TFileOpenDialog& dlg) {
                                                 Type(dlg, "missing.sld");
                                                 Press(dlg, 1);
                                                 openAfter = dlg.isVisible();
                                                 Press(dlg, 2);
                                               }),
            framework::IDCANCEL);
  EXPECT_TRUE(openAfter);
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_NE(boxes.boxes[0].text.find("File not found"), std::string::npos);
  EXPECT_EQ(boxes.boxes[0].text.rfind(dir.File("missing.sld"), 0), 0u);
}

TEST_F(FileDialogTest, OpenWithoutMustExistTakesANewNameWithTheDefaultExtension) {
  data.DefExt = "DXF";
  TFileOpenDialog d(nullptr, data, "DLG_SAVE");
  guitest::RunModal<TFileOpenDialog>(d, [&](TFileOpenDialog& dlg) {
    Type(dlg, "out");
    Press(dlg, 1);
  });
  EXPECT_EQ(data.FileName, dir.File("out.DXF"));
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(FileDialogTest, SavePromptsBeforeReplacingAndBeforeCreating) {
  data.Flags = framework::OFN_OVERWRITEPROMPT | framework::OFN_CREATEPROMPT;
  data.DefExt = "SLB";
  {
    // No to the replace question: the dialog stays; Yes: the name is taken.
    boxes.answers = {platform::IDNO, platform::IDYES};
    TFileSaveDialog d(nullptr, data);
    int boxesWhileOpen = -1;
    EXPECT_EQ(guitest::RunModal<TFileSaveDialog>(d,
                                                 [&](TFileSaveDialog& dlg) {
                                                   Type(dlg, "lib");
                                                   Press(dlg, 1);
                                                   boxesWhileOpen = dlg.isVisible() ? 1 : 0;
                                                   Press(dlg, 1);
                                                 }),
              framework::IDOK);
    EXPECT_EQ(boxesWhileOpen, 1);
    // The default extension finds the listed file whatever the case of its extension.
    EXPECT_EQ(data.FileName, dir.File("lib.slb"));
    ASSERT_EQ(boxes.boxes.size(), 2u);
    EXPECT_NE(boxes.boxes[0].text.find("already exists"), std::string::npos);
    EXPECT_EQ(d.windowTitle().toStdString(), "Save As");
  }
  {
    boxes.boxes.clear();
    boxes.answers = {platform::IDYES};
    TFileSaveDialog d(nullptr, data);
    guitest::RunModal<TFileSaveDialog>(d, [&](TFileSaveDialog& dlg) {
      Type(dlg, "fresh");
      Press(dlg, 1);
    });
    EXPECT_EQ(data.FileName, dir.File("fresh.SLB"));
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_NE(boxes.boxes[0].text.find("does not exist"), std::string::npos);
    EXPECT_EQ(boxes.boxes[0].style & 0xF, platform::MB_YESNO);
  }
}

TEST_F(FileDialogTest, AResultLongerThanTheCapacityIsRefused) {
  data.Flags = framework::OFN_ALLOWMULTISELECT;
  data.MaxPath = static_cast<int>(Dir().size()) + 8;
  data.FileName = "";
  TFileOpenDialog d(nullptr, data, "DLG_OPEN");
  EXPECT_EQ(guitest::RunModal<TFileOpenDialog>(d,
                                               [&](TFileOpenDialog& dlg) {
                                                 Select(dlg, {"A.SLD", "b.sld", "lib.slb"});
                                                 Press(dlg, 1);
                                                 EXPECT_TRUE(dlg.isVisible());
                                                 Press(dlg, 2);
                                               }),
            framework::IDCANCEL);
  EXPECT_EQ(data.FileName, "");
  EXPECT_EQ(boxes.boxes.size(), 1u);
}

TEST_F(FileDialogTest, AComboBoxIsOneLineHighWhateverItsListNeeds) {
  framework::TDialog d(nullptr, "DLG_OPEN");
  d.Create();
  const QRect place = d.MapDialogRect(104, 195, 92, 68);
  const QRect drives = d.GetDlgItem(1137)->geometry();
  EXPECT_EQ(drives.topLeft(), place.topLeft());
  EXPECT_EQ(drives.width(), place.width());
  EXPECT_LT(drives.height(), place.height() / 2);
  EXPECT_LE(drives.bottom(), d.height());
  d.close();
}

}  // namespace
