// The Open dialog: what focusing files and members shows, its result forms, its file tools,
// and what OpenSelection opens or lists for each form.
#include "dialogs/slide_dialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <filesystem>

#include "dialogs/generic_input.h"
#include "dialogs/miniature.h"
#include "dialogs/open_selection.h"
#include "tests/gui/open_dialog_fixture.h"
#include "tests/legacy_library.h"
#include "tests/rendering_writer.h"

namespace {

using framework::TListBox;
using guitest::RunModal;
using lanterna::Shell;
using lanterna::TSlideDialog;

class SlideDialogTest : public guitest::OpenDialogTest {
 protected:
  void SetUp() override {
    OpenDialogTest::SetUp();
    slide = Slide("a.sld");
    Slide("b.sld", 20);
    library = Library("house.slb", {"ROOF", "BASE", "WALL"});
    data = lanterna::SlideOpenData();
    data.InitialDir = dir.File("");
  }
  // Runs the dialog over the client; act runs once it shows.
  int Run(int mode, const std::function<void(TSlideDialog&)>& act) {
    TSlideDialog d(Shell().Client, data, lanterna::kOpenDialogTemplate, mode);
    return RunModal<TSlideDialog>(d, act);
  }
  static QListWidget* Members(TSlideDialog& d) { return d.Item<QListWidget>(101); }
  static int MiniaturePixels(TSlideDialog& d) {
    return guitest::NonWhitePixels(d.Miniature()->Surface());
  }
  std::string slide, library;
  framework::TOpenSaveDialog::TData data;
};

TEST_F(SlideDialogTest, FocusingASlideShowsItsSizeAndItsMiniature) {
  const auto bytes = std::to_string(fixtures::ReadFile(slide).size());
  int before = -1, after = -1;
  std::string fileSize, memberSize, path, previous;
  bool allVisible = true;
  size_t members = 99;
  Run(0, [&](TSlideDialog& d) {
    before = MiniaturePixels(d);
    FocusFile(d, "a.sld");
    after = MiniaturePixels(d);
    fileSize = d.GetDlgItemText(110);
    memberSize = d.GetDlgItemText(109);
    allVisible = d.GetDlgItem(102)->isVisible();
    members = guitest::ListItems(Members(d)).size();
    path = d.CurrentPath();
    previous = d.PreviousPath();
    Press(d, 2);
  });
  EXPECT_EQ(before, 0);
  EXPECT_GT(after, 100);
  EXPECT_EQ(fileSize, "Size " + bytes);
  EXPECT_EQ(memberSize, "-");
  EXPECT_FALSE(allVisible);
  EXPECT_EQ(members, 0u);
  EXPECT_EQ(path, slide);
  EXPECT_EQ(previous, slide);
}

TEST_F(SlideDialogTest, FocusingALibraryListsItsMembersOnceAndShowsTheFocusedOne) {
  const size_t roofBytes = guitest::CrossSlide(7).size();
  std::vector<std::string> members;
  std::vector<int> firstSelection, keptSelection, refilledSelection;
  std::string memberSize, fileSize, member;
  bool allVisible = false;
  int drawn = 0, blank = -1;
  Run(0, [&](TSlideDialog& d) {
    FocusFile(d, "house.slb");
    members = guitest::ListItems(Members(d));
    firstSelection = TListBox(Members(d)).GetSelIndexes();
    memberSize = d.GetDlgItemText(109);
    fileSize = d.GetDlgItemText(110);
    allVisible = d.GetDlgItem(102)->isVisible();
    drawn = MiniaturePixels(d);
    member = d.CurrentMember();
    // Another member focused and chosen; a second file selected without moving the caret
    // leaves the list as it is.
    Members(d)->setCurrentRow(2, QItemSelectionModel::Select);
    d.Item<QListWidget>(1120)->item(0)->setSelected(true);
    keptSelection = TListBox(Members(d)).GetSelIndexes();
    // Away and back: filled again.
    FocusFile(d, "a.sld");
    blank = static_cast<int>(guitest::ListItems(Members(d)).size());
    FocusFile(d, "house.slb");
    refilledSelection = TListBox(Members(d)).GetSelIndexes();
    Press(d, 2);
  });
  EXPECT_EQ(members, (std::vector<std::string>{"ROOF", "BASE", "WALL"}));
  EXPECT_EQ(firstSelection, std::vector<int>{0});
  EXPECT_EQ(memberSize, "size " + std::to_string(roofBytes));
  EXPECT_EQ(fileSize, "Size " + std::to_string(fixtures::ReadFile(library).size()));
  EXPECT_TRUE(allVisible);
  EXPECT_GT(drawn, 100);
  EXPECT_EQ(member, "ROOF");
  EXPECT_EQ(keptSelection, (std::vector<int>{0, 2}));
  EXPECT_EQ(blank, 0);
  EXPECT_EQ(refilledSelection, std::vector<int>{0});
}

TEST_F(SlideDialogTest, RenderingSlidesAndMembersAreDrawnInTheMiniatureToo) {
  const double red[3] = {1, 0, 0};
  const fixtures::Bytes shaded =
      fixtures::RenderingWriter(50, 50, 0)
          .ContinuousPolygon(red, red, 1, {{5, 5}, {45, 5}, {45, 45}, {5, 45}})
          .Build();
  dir.Write("shade.rnd", shaded);
  dir.Write("mixed.slb", fixtures::LibraryBytes({{"SHADE", shaded}}));
  int file = 0, member = 0;
  std::string size;
  Run(0, [&](TSlideDialog& d) {
    FocusFile(d, "shade.rnd");
    file = MiniaturePixels(d);
    FocusFile(d, "mixed.slb");
    member = MiniaturePixels(d);
    size = d.GetDlgItemText(109);
    Press(d, 2);
  });
  EXPECT_GT(file, 100);
  EXPECT_GT(member, 100);
  EXPECT_EQ(size, "size " + std::to_string(shaded.size()));
}

TEST_F(SlideDialogTest, AFileWhoseSizeCannotBeReadShowsAQuestionMark) {
  std::string size;
  Run(0, [&](TSlideDialog& d) {
    std::filesystem::remove(dir.File("b.sld"));
    FocusFile(d, "b.sld");
    size = d.GetDlgItemText(110);
    Press(d, 2);
  });
  EXPECT_EQ(size, "Size ?");
}

TEST_F(SlideDialogTest, ChosenMembersAreTheResultAndOpenInTheirWindows) {
  ASSERT_EQ(Run(0,
                [&](TSlideDialog& d) {
                  FocusFile(d, "house.slb");
                  Members(d)->item(2)->setSelected(true);
                  Press(d, 1);
                }),
            framework::IDOK);
  EXPECT_EQ(data.FileName, library + ", ROOF WALL");
  lanterna::OpenSelection(data.FileName, lanterna::kOpenSlides, nullptr);
  EXPECT_EQ(Windows(), (std::vector<std::string>{
                           "ROOF - (house.slb) |" + library + "|ROOF",
                           "WALL - (house.slb) |" + library + "|WALL",
                       }));
  // Every name but the last is announced; the window closes at the end.
  ASSERT_GE(mex.calls.size(), 2u);
  EXPECT_EQ(mex.calls[0].text, "ROOF");
  EXPECT_EQ(mex.calls[0].title, "Quelna WWW Slide Viewer");
  EXPECT_FALSE(mex.shown);
  EXPECT_EQ(Shell().LastDir + "/", dir.File(""));
  EXPECT_TRUE(Shell().PaintEnabled);
}

TEST_F(SlideDialogTest, DoubleClickOpensExactlyThatMember) {
  ASSERT_EQ(Run(0,
                [&](TSlideDialog& d) {
                  FocusFile(d, "house.slb");
                  Members(d)->setCurrentRow(1);
                  emit Members(d)->itemDoubleClicked(Members(d)->item(1));
                }),
            framework::IDOK);
  EXPECT_EQ(data.FileName, library + ", BASE");
}

TEST_F(SlideDialogTest, TooManyMembersStopAtTheLimit) {
  std::vector<std::string> names;
  for (int i = 0; i < 100; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "MEMBER_WITH_A_LONG_NAME_NR_%04d", i);
    names.push_back(name);
  }
  const std::string big = Library("big.slb", names);
  const int beeps = platform::BeepCount();
  ASSERT_EQ(Run(0,
                [&](TSlideDialog& d) {
                  FocusFile(d, "big.slb");
                  Members(d)->selectAll();
                  Press(d, 1);
                }),
            framework::IDOK);
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].text, "Too many files!");
  EXPECT_EQ(boxes.boxes[0].title, "Warning");
  EXPECT_EQ(platform::BeepCount(), beeps + 1);
  // The member that crossed the limit is kept; none after it.
  const std::string& r = data.FileName;
  EXPECT_GT(r.size(), 2550u);
  EXPECT_LE(r.size() - 32, 2550u);
  EXPECT_EQ(r.substr(r.size() - 32), " " + names[(r.size() - big.size() - 1) / 32 - 1]);
}

TEST_F(SlideDialogTest, ALibraryWithoutAChosenMemberOpensNothing) {
  Library("empty.slb", {});
  Shell().LastDir = "/somewhere";
  ASSERT_EQ(Run(0,
                [&](TSlideDialog& d) {
                  FocusFile(d, "empty.slb");
                  Press(d, 1);
                }),
            framework::IDOK);
  EXPECT_EQ(data.FileName, dir.File("empty.slb") + ",");
  lanterna::OpenSelection(data.FileName, lanterna::kOpenSlides, nullptr);
  lanterna::OpenSelection(library + ", ", lanterna::kOpenSlides, nullptr);
  QListWidget list;
  lanterna::OpenSelection(library + ",", lanterna::kListSlides, &list);
  EXPECT_EQ(Shell().ChildCount, 0);
  EXPECT_EQ(list.count(), 0);
  EXPECT_EQ(Shell().LastDir, "/somewhere");
  EXPECT_TRUE(Shell().PaintEnabled);
}

TEST_F(SlideDialogTest, SeveralFilesAndOneFileOpenOrListByFullPath) {
  const std::string d = dir.File("");
  const std::string dirNoSlash = d.substr(0, d.size() - 1);
  lanterna::OpenSelection(dirNoSlash + " a.sld b.sld", lanterna::kOpenSlides, nullptr);
  EXPECT_EQ(Windows(),
            (std::vector<std::string>{"a.sld|" + d + "a.sld|", "b.sld|" + d + "b.sld|"}));
  EXPECT_EQ(Shell().LastDir, dirNoSlash);
  ASSERT_FALSE(mex.calls.empty());
  EXPECT_EQ(mex.calls[0].text, "a.sld");

  Shell().Client->CloseChildren();
  mex.calls.clear();
  lanterna::OpenSelection(slide, lanterna::kOpenSlides, nullptr);
  EXPECT_EQ(Windows(), std::vector<std::string>{"a.sld|" + slide + "|"});
  EXPECT_TRUE(mex.calls.empty() || !mex.calls[0].hasText);

  // A directory with a blank in it stays whole.
  std::filesystem::create_directories(dir.File("my slides"));
  const std::string spaced = dir.File("my slides");
  fixtures::WriteFile(spaced + "/c.sld", guitest::CrossSlide());
  fixtures::WriteFile(spaced + "/d.sld", guitest::CrossSlide());
  QListWidget list;
  lanterna::OpenSelection(spaced + " c.sld d.sld", lanterna::kListSlides, &list);
  lanterna::OpenSelection(spaced + "/c.sld", lanterna::kListSlides, &list);
  lanterna::OpenSelection(library + ", ROOF BASE", lanterna::kListSlides, &list);
  EXPECT_EQ(guitest::ListItems(&list),
            (std::vector<std::string>{spaced + "/c.sld", spaced + "/d.sld", spaced + "/c.sld",
                                      library + ",ROOF", library + ",BASE"}));
}

TEST_F(SlideDialogTest, ALibraryTypedWhileASlideIsFocusedOpensNothing) {
  ASSERT_EQ(Run(0,
                [&](TSlideDialog& d) {
                  FocusFile(d, "a.sld");
                  d.Item<QLineEdit>(1152)->setText("house.slb");
                  Press(d, 1);
                }),
            framework::IDOK);
  EXPECT_EQ(data.FileName, library);
  lanterna::OpenSelection(data.FileName, lanterna::kOpenSlides, nullptr);
  EXPECT_EQ(Shell().ChildCount, 0);
}

TEST_F(SlideDialogTest, DeleteAsksWithNoAsDefaultAndTellsWhenItFails) {
  std::vector<std::string> afterNo, afterYes, afterFailure;
  std::string edit;
  boxes.answers = {platform::IDNO, platform::IDYES, platform::IDYES};
  Run(0, [&](TSlideDialog& d) {
    FocusFile(d, "b.sld");
    Press(d, 103);
    afterNo = guitest::ListItems(d.Item<QListWidget>(1120));
    Press(d, 103);
    afterYes = guitest::ListItems(d.Item<QListWidget>(1120));
    edit = d.GetDlgItemText(1152);
    // Gone behind the dialog's back: the delete fails and the list stays.
    std::filesystem::remove(slide);
    FocusFile(d, "a.sld");
    Press(d, 103);
    afterFailure = guitest::ListItems(d.Item<QListWidget>(1120));
    Press(d, 2);
  });
  ASSERT_EQ(boxes.boxes.size(), 4u);
  EXPECT_EQ(boxes.boxes[0].text, dir.File("b.sld"));
  EXPECT_EQ(boxes.boxes[0].title, "Delete this file?");
  EXPECT_EQ(boxes.boxes[0].style, platform::MB_YESNO | platform::MB_DEFBUTTON2);
  EXPECT_EQ(afterNo, (std::vector<std::string>{"a.sld", "b.sld", "house.slb"}));
  EXPECT_EQ(afterYes, (std::vector<std::string>{"a.sld", "house.slb"}));
  EXPECT_FALSE(std::filesystem::exists(dir.File("b.sld")));
  EXPECT_EQ(edit, "");
  EXPECT_EQ(boxes.boxes[3].title, "Error");
  EXPECT_NE(boxes.boxes[3].text.find(slide), std::string::npos);
  EXPECT_EQ(afterFailure, afterYes);
}

TEST_F(SlideDialogTest, RenameKeepsTheExtensionInLowerCase) {
  const auto bytes = fixtures::ReadFile(dir.File("b.sld"));
  std::vector<std::string> files;
  std::string edit, initial, caption;
  int beeps = 0;
  Run(0, [&](TSlideDialog& d) {
    FocusFile(d, "b.sld");
    guitest::WhenModal<lanterna::TGenericInput>([&](lanterna::TGenericInput& input) {
      initial = input.GetDlgItemText(101);
      caption = input.windowTitle().toStdString();
      input.Item<QLineEdit>(101)->setText("/elsewhere/New Name.DXF");
      Press(input, 1);
    });
    Press(d, 106);
    files = guitest::ListItems(d.Item<QListWidget>(1120));
    edit = d.GetDlgItemText(1152);
    // An empty name, or the name of another file: a beep, nothing renamed.
    beeps = platform::BeepCount();
    for (const char* typed : {"", "A"}) {
      FocusFile(d, "new name.sld");
      guitest::WhenModal<lanterna::TGenericInput>([typed](lanterna::TGenericInput& input) {
        input.Item<QLineEdit>(101)->setText(typed);
        Press(input, 1);
      });
      Press(d, 106);
    }
    beeps = platform::BeepCount() - beeps;
    Press(d, 2);
  });
  EXPECT_EQ(initial, "b");
  EXPECT_EQ(caption, "Rename");
  EXPECT_EQ(fixtures::ReadFile(dir.File("new name.sld")), bytes);
  EXPECT_FALSE(std::filesystem::exists(dir.File("b.sld")));
  EXPECT_EQ(files, (std::vector<std::string>{"a.sld", "house.slb", "new name.sld"}));
  EXPECT_EQ(edit, "new name.sld");
  EXPECT_EQ(beeps, 2);
  EXPECT_TRUE(std::filesystem::exists(dir.File("a.sld")));
  EXPECT_TRUE(std::filesystem::exists(dir.File("new name.sld")));
}

TEST_F(SlideDialogTest, InformationShowsTheReportOfTheFocusedMember) {
  Run(0, [&](TSlideDialog& d) {
    FocusFile(d, "house.slb");
    Press(d, 105);
    Press(d, 2);
  });
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].title, "Info");
}

TEST_F(SlideDialogTest, AllOpensEveryMemberAfterTheDialogEndsWithCancel) {
  Shell().LastDir = "/somewhere";
  ASSERT_EQ(Run(0,
                [&](TSlideDialog& d) {
                  FocusFile(d, "house.slb");
                  Press(d, 102);
                }),
            framework::IDCANCEL);
  EXPECT_EQ(Shell().PendingName, library);
  EXPECT_EQ(Shell().LastDir + "/", dir.File(""));
  ASSERT_TRUE(guitest::PumpUntil([] { return Shell().ChildCount == 3; }));
  EXPECT_EQ(Shell().Client->SlideWindows().front()->MemberName(), std::string("ROOF"));
}

TEST_F(SlideDialogTest, TheOpenCommandStartsInLastDirAndOpensTheChoice) {
  Shell().LastDir = dir.File("").substr(0, dir.File("").size() - 1);
  std::string listed;
  guitest::WhenModal<TSlideDialog>([&](TSlideDialog& d) {
    listed = d.CurrentDir();
    FocusFile(d, "a.sld");
    FocusFile(d, "b.sld", QItemSelectionModel::Select);
    Press(d, 1);
  });
  lanterna::CmFileOpen(Shell().Client);
  EXPECT_EQ(listed, Shell().LastDir);
  EXPECT_EQ(Shell().ChildCount, 2);
  EXPECT_EQ(Windows().back(), "b.sld|" + dir.File("b.sld") + "|");
}

TEST_F(SlideDialogTest, NamesWithBlanksSortingAndDeleteAsPeopleExpect) {
  Slide("with space.sld", 5);
  Slide("UPPER.SLD", 9);
  std::vector<std::string> listed;
  std::string sizeAfterDelete;
  int pixelsAfterDelete = -1;
  boxes.answers = {platform::IDYES};
  ASSERT_EQ(Run(0,
                [&](TSlideDialog& d) {
                  listed = guitest::ListItems(d.Item<QListWidget>(1120));
                  // The last file deleted: nothing is focused, nothing shown.
                  FocusFile(d, "with space.sld");
                  Press(d, 103);
                  sizeAfterDelete = d.GetDlgItemText(110);
                  pixelsAfterDelete = MiniaturePixels(d);
                  Slide("with space.sld", 5);
                  d.Item<QLineEdit>(1152)->setText("\"with space.sld\" UPPER.SLD");
                  Press(d, 1);
                }),
            framework::IDOK);
  EXPECT_EQ(listed, (std::vector<std::string>{"a.sld", "b.sld", "house.slb", "UPPER.SLD",
                                              "with space.sld"}));
  EXPECT_EQ(sizeAfterDelete, "Size ");
  EXPECT_EQ(pixelsAfterDelete, 0);
  lanterna::OpenSelection(data.FileName, lanterna::kOpenSlides, nullptr);
  EXPECT_EQ(Windows(),
            (std::vector<std::string>{"with space.sld|" + dir.File("with space.sld") + "|",
                                      "UPPER.SLD|" + dir.File("UPPER.SLD") + "|"}));
  EXPECT_TRUE(boxes.boxes.size() == 1) << fixtures::BoxTexts(boxes);
}

TEST_F(SlideDialogTest, WithoutALastDirTheDialogStartsWhereTheStartingFileIs) {
  Shell().LastDir = "";
  Shell().CommandLine = "\"" + slide + "\"";
  std::string listed;
  guitest::WhenModal<TSlideDialog>([&](TSlideDialog& d) {
    listed = d.CurrentDir();
    Press(d, 2);
  });
  lanterna::CmFileOpen(Shell().Client);
  EXPECT_EQ(listed + "/", dir.File(""));
}

}  // namespace

namespace {

// A library written in Big5, GBK, cp1252 and UTF-8: the dialog shows the names in the code page
// of the settings, opens the members by their bytes, and the windows and the Window menu show
// the names as the dialog did.
TEST_F(SlideDialogTest, LegacyMemberNamesAreShownDecodedAndOpenedByTheirBytes) {
  const std::string legacy = dir.Write("legacy.slb", fixtures::LegacyLibrary());
  Shell().NameCodePage = "big5";
  std::vector<std::string> shown;
  ASSERT_EQ(Run(0,
                [&](TSlideDialog& d) {
                  FocusFile(d, "legacy.slb");
                  shown = guitest::ListItems(Members(d));
                  Members(d)->item(0)->setSelected(false);
                  Members(d)->item(1)->setSelected(true);
                  Members(d)->item(2)->setSelected(true);
                  Press(d, 1);
                }),
            framework::IDOK);
  ASSERT_EQ(shown.size(), fixtures::LegacyNames().size());
  EXPECT_EQ(shown[1], "西班牙屋面");
  EXPECT_EQ(shown[2], "地");
  EXPECT_EQ(shown[3], "再");
  const auto& names = fixtures::LegacyNames();
  EXPECT_EQ(data.FileName, legacy + ", " + names[1].stored + " " + names[2].stored);
  lanterna::OpenSelection(data.FileName, lanterna::kOpenSlides, nullptr);
  EXPECT_EQ(Windows(), (std::vector<std::string>{
                           "西班牙屋面 - (legacy.slb) |" + legacy + "|" + names[1].stored,
                           "地 - (legacy.slb) |" + legacy + "|" + names[2].stored,
                       }));
  // Both drawn, each its own member ("地" is A6 61, not A6 41).
  for (lanterna::TMyChild* c : Shell().Client->SlideWindows()) EXPECT_FALSE(c->Refused());
  QMenu* window = nullptr;
  for (QAction* a : frame->menuBar()->actions())
    if (a->text() == "&Window") window = a->menu();
  ASSERT_NE(window, nullptr);
  emit window->aboutToShow();
  QStringList entries;
  for (QAction* a : window->actions()) entries << a->text();
  EXPECT_TRUE(entries.join("|").contains("西班牙屋面 - (legacy.slb)"))
      << entries.join("|").toStdString();
  Shell().NameCodePage.clear();
}

}  // namespace
