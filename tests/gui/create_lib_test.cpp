// Create Library from end to end: the Save dialog, the list built from the slide windows and
// the Open dialog, its order, and the library written and opened.
#include "dialogs/create_lib.h"

#include <QCheckBox>
#include <filesystem>

#include "dialogs/open_selection.h"
#include "dialogs/slide_dialog.h"
#include "tests/gui/open_dialog_fixture.h"

namespace {

using framework::TFileSaveDialog;
using framework::TListBox;
using guitest::WhenModal;
using lanterna::Shell;
using lanterna::TCreateLib;
using lanterna::TSlideDialog;

class CreateLibTest : public guitest::OpenDialogTest {
 protected:
  void SetUp() override {
    OpenDialogTest::SetUp();
    a = Slide("a.sld", 3);
    b = Slide("b.sld", 11);
    library = Library("house.slb", {"ROOF", "BASE", "WALL"});
    Shell().LastDir = dir.File("").substr(0, dir.File("").size() - 1);
  }
  // The Save dialog names the library.
  void NameTheLibrary(const std::string& typed) {
    WhenModal<TFileSaveDialog>([typed](TFileSaveDialog& save) {
      save.Item<QLineEdit>(framework::IDC_FILENAME)->setText(QString::fromStdString(typed));
      Press(save, 1);
    });
  }
  static void Choose(TCreateLib& d, int index) { TListBox(d.SlideList()).SetSelIndex(index); }
  std::string a, b, library;
};

TEST_F(CreateLibTest, ListOrderedInTheDialogIsWrittenAndOpened) {
  lanterna::OpenSelection(a, lanterna::kOpenSlides, nullptr);
  lanterna::OpenSelection(library + ", WALL", lanterna::kOpenSlides, nullptr);
  ASSERT_EQ(Shell().ChildCount, 2);
  NameTheLibrary("newlib");
  std::vector<std::string> screen, added, moved, removed;
  std::string caption, label, shown;
  bool removeEnabledWithout = true, removeEnabledWith = false;
  int selectedAfterRemove = -2;
  bool addSlideHadAll = true;
  WhenModal<TCreateLib>([&](TCreateLib& d) {
    caption = d.windowTitle().toStdString();
    label = d.GetDlgItemText(103);
    Press(d, 106);
    screen = guitest::ListItems(d.SlideList());
    // Add slide: a file, then two members of a library.
    WhenModal<TSlideDialog>([&](TSlideDialog& open) {
      addSlideHadAll = open.GetDlgItem(102)->isVisible() || open.GetDlgItem(103)->isVisible();
      FocusFile(open, "b.sld");
      Press(open, 1);
    });
    Press(d, 104);
    WhenModal<TSlideDialog>([&](TSlideDialog& open) {
      FocusFile(open, "house.slb");
      open.Item<QListWidget>(101)->item(0)->setSelected(true);
      open.Item<QListWidget>(101)->item(1)->setSelected(true);
      Press(open, 1);
    });
    Press(d, 104);
    added = guitest::ListItems(d.SlideList());
    Choose(d, -1);
    removeEnabledWithout = d.GetDlgItem(105)->isEnabled();
    // b up one, then down to the end; down from the end changes nothing.
    Choose(d, 2);
    removeEnabledWith = d.GetDlgItem(105)->isEnabled();
    shown = d.GetDlgItemText(109);
    Press(d, 107);
    Press(d, 108);
    Press(d, 108);
    Press(d, 108);
    Press(d, 108);
    moved = guitest::ListItems(d.SlideList());
    Choose(d, 4);
    Press(d, 105);
    removed = guitest::ListItems(d.SlideList());
    selectedAfterRemove = TListBox(d.SlideList()).GetSelIndex();
    Press(d, 1);
  });
  lanterna::CmCreateLibrary(Shell().Client);

  const std::string written = dir.File("newlib.SLB");
  EXPECT_EQ(caption, "Create Slides Library");
  EXPECT_EQ(label, written);
  EXPECT_EQ(screen, (std::vector<std::string>{a, library + ",WALL"}));
  EXPECT_FALSE(addSlideHadAll);
  EXPECT_EQ(added, (std::vector<std::string>{a, library + ",WALL", b, library + ",ROOF",
                                             library + ",BASE"}));
  EXPECT_FALSE(removeEnabledWithout);
  EXPECT_TRUE(removeEnabledWith);
  EXPECT_EQ(shown, b);
  EXPECT_EQ(moved, (std::vector<std::string>{a, library + ",WALL", library + ",ROOF",
                                             library + ",BASE", b}));
  EXPECT_EQ(removed,
            (std::vector<std::string>{a, library + ",WALL", library + ",ROOF", library + ",BASE"}));
  EXPECT_EQ(selectedAfterRemove, 3);

  // The members' bytes, in list order, under their names.
  auto member = [&](const std::string& name) {
    fixtures::Bytes bytes;
    const fixtures::Bytes lib = fixtures::ReadFile(library);
    const std::vector<std::string> names{"ROOF", "BASE", "WALL"};
    const size_t i = std::find(names.begin(), names.end(), name) - names.begin();
    return guitest::CrossSlide(7 * static_cast<int>(i + 1));
  };
  EXPECT_EQ(fixtures::ReadFile(written), fixtures::LibraryBytes({{"a", guitest::CrossSlide(3)},
                                                                 {"WALL", member("WALL")},
                                                                 {"ROOF", member("ROOF")},
                                                                 {"BASE", member("BASE")}}));
  // The old windows close and the new library opens, one window per member.
  ASSERT_TRUE(guitest::PumpUntil([&] {
    const auto w = Shell().Client->SlideWindows();
    return w.size() == 4 && w.front()->FileName() == written;
  }));
  EXPECT_EQ(Shell().PendingName, written);
  EXPECT_EQ(std::string(Shell().Client->SlideWindows()[1]->MemberName()), "WALL");
  EXPECT_TRUE(std::filesystem::exists(a));
}

TEST_F(CreateLibTest, AutoDeleteRemovesTheSlideFilesOnly) {
  NameTheLibrary(dir.File("auto.slb"));
  WhenModal<TCreateLib>([&](TCreateLib& d) {
    TListBox list(d.SlideList());
    list.AddString(a);
    list.AddString(library + ",ROOF");
    d.Item<QCheckBox>(101)->click();
    Press(d, 1);
  });
  lanterna::CmCreateLibrary(Shell().Client);
  EXPECT_FALSE(std::filesystem::exists(a));
  EXPECT_TRUE(std::filesystem::exists(library));
  EXPECT_EQ(fixtures::ReadFile(dir.File("auto.slb")).size(),
            32 + 3 * 36 + 2 * guitest::CrossSlide().size());
}

TEST_F(CreateLibTest, CancelWritesNothing) {
  NameTheLibrary("never");
  WhenModal<TCreateLib>([&](TCreateLib& d) {
    TListBox(d.SlideList()).AddString(a);
    Press(d, 2);
  });
  lanterna::CmCreateLibrary(Shell().Client);
  WhenModal<TFileSaveDialog>([](TFileSaveDialog& save) { Press(save, 2); });
  lanterna::CmCreateLibrary(Shell().Client);
  guitest::Pump(50);
  EXPECT_FALSE(std::filesystem::exists(dir.File("never.SLB")));
  EXPECT_EQ(Shell().ChildCount, 0);
}

TEST_F(CreateLibTest, AFailedEntryIsNamedAndTheDialogStaysOpenWithItsList) {
  NameTheLibrary("broken");
  const std::string gone = dir.File("gone.sld");
  std::vector<std::string> kept;
  std::string box;
  WhenModal<TCreateLib>([&](TCreateLib& d) {
    TListBox(d.SlideList()).AddString(a);
    TListBox(d.SlideList()).AddString(gone);
    Press(d, 1);
    box = boxes.boxes.empty() ? "" : boxes.boxes.back().text;
    kept = guitest::ListItems(d.SlideList());
    Press(d, 2);
  });
  lanterna::CmCreateLibrary(Shell().Client);
  guitest::Pump(50);
  EXPECT_EQ(box, "Error writing Slide Library\n" + gone + ": cannot be opened");
  EXPECT_EQ(kept, (std::vector<std::string>{a, gone}));
  EXPECT_FALSE(std::filesystem::exists(dir.File("broken.SLB")));
}

TEST_F(CreateLibTest, RemoveSlideOnTheOnlyEntryLeavesNoSelection) {
  TCreateLib d(nullptr, lanterna::kCreateLibTemplate, dir.File("x.slb"));
  guitest::RunModal<TCreateLib>(d, [&](TCreateLib& dlg) {
    TListBox list(dlg.SlideList());
    list.AddString(a);
    Choose(dlg, 0);
    Press(dlg, 105);
    EXPECT_EQ(list.GetCount(), 0);
    EXPECT_EQ(list.GetSelIndex(), -1);
    EXPECT_FALSE(dlg.GetDlgItem(105)->isEnabled());
    // Moving in a list of fewer than two entries does nothing.
    list.AddString(b);
    Choose(dlg, 0);
    Press(dlg, 107);
    Press(dlg, 108);
    EXPECT_EQ(list.GetString(0), b);
    Press(dlg, 2);
  });
}

}  // namespace
