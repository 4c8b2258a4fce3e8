// The library as a grid of miniatures: listing, drawing off the windows' thread, opening
// members, paging through them, and editing through the library writer.
#include "shell/library_browser.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMimeData>
#include <QUrl>
#include <filesystem>

#include "render/acacol.h"
#include "shell/miniature_worker.h"
#include "tests/cli_runner.h"
#include "tests/gui/child_window_fixture.h"
#include "tests/slide_writer.h"

namespace {

using lanterna::Shell;
using lanterna::TLibraryBrowser;
using lanterna::TMyChild;

// A slide filled wholly in one colour.
fixtures::Bytes SolidSlide(int colour) {
  return fixtures::SlideWriter(400, 300)
      .Colour(colour)
      .Fill({{0, 0}, {399, 0}, {399, 299}, {0, 299}})
      .EndOfFile()
      .Build();
}

std::string MemberName(int i) {
  char name[8];
  std::snprintf(name, sizeof name, "M%03d", i);
  return name;
}

class LibraryBrowserTest : public guitest::SlideWindowTest {
 protected:
  // Members M001, M002... each filled in colour 1 to 6 by turns.
  std::string Library(const std::string& name, int members) {
    std::vector<fixtures::Member> list;
    for (int i = 1; i <= members; ++i) list.push_back({MemberName(i), SolidSlide((i - 1) % 6 + 1)});
    return dir.Write(name, fixtures::LibraryBytes(list));
  }
  TLibraryBrowser* Browse(const std::string& path) {
    lanterna::BrowseLibrary(path);
    for (framework::TMDIChild* c : Shell().Client->Children())
      if (auto* b = dynamic_cast<TLibraryBrowser*>(c)) return b;
    return nullptr;
  }
  static int Row(TLibraryBrowser* b, const std::string& member) {
    const auto& m = b->Model()->Members();
    return static_cast<int>(std::find(m.begin(), m.end(), member) - m.begin());
  }
  static void Select(TLibraryBrowser* b, const std::vector<std::string>& members) {
    b->Grid()->clearSelection();
    for (const std::string& m : members)
      b->Grid()->selectionModel()->select(b->Model()->index(Row(b, m)),
                                          QItemSelectionModel::Select);
  }
  static void Key(QWidget* w, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
  }
};

TEST_F(LibraryBrowserTest, GridListsEveryMemberDrawsTheVisibleOnesAndOpensMembers) {
  TLibraryBrowser* b = Browse(Library("big.slb", 352));
  ASSERT_NE(b, nullptr);
  ASSERT_EQ(b->Model()->rowCount(), 352);
  EXPECT_EQ(b->Model()->data(b->Model()->index(351), Qt::DisplayRole).toString(), "M352");
  EXPECT_EQ(b->StatusText().rfind("352 members, ", 0), 0u) << b->StatusText();
  EXPECT_EQ(b->GetCaption(), "BIG.SLB");

  // The first miniature arrives drawn as a slide window draws it: the fill's colour fills it.
  ASSERT_TRUE(guitest::PumpUntil([&] { return b->Model()->HasMiniature(0); }));
  const QImage first =
      b->Model()->data(b->Model()->index(0), Qt::DecorationRole).value<QPixmap>().toImage();
  ASSERT_EQ(first.size(),
            QSize(TLibraryBrowser::kMiniatureWidth, TLibraryBrowser::kMiniatureHeight));
  const gdi::COLORREF red = lanterna::AciColorRef(1);
  EXPECT_EQ(first.pixelColor(64, 48),
            QColor(gdi::GetRValue(red), gdi::GetGValue(red), gdi::GetBValue(red)));
  // What is far out of view waits; memory stays bounded.
  ASSERT_TRUE(
      guitest::PumpUntil([&] { return lanterna::MiniatureWorker::Instance().Pending() == 0; }));
  EXPECT_FALSE(b->Model()->HasMiniature(351));
  EXPECT_LE(b->Model()->MiniaturesHeld(), TLibraryBrowser::kMiniaturesKept);

  // Enter opens the selected members together; PgDn and PgUp page through the library.
  Select(b, {"M005", "M006"});
  Key(b->Grid(), Qt::Key_Return);
  std::vector<TMyChild*> opened = Shell().Client->SlideWindows();
  ASSERT_EQ(opened.size(), 2u);
  TMyChild* sixth = std::string(opened[0]->MemberName()) == "M006" ? opened[0] : opened[1];
  EXPECT_EQ(sixth->GetCaption(), "M006 - (big.slb) ");
  Key(sixth, Qt::Key_PageDown);
  EXPECT_STREQ(sixth->MemberName(), "M007");
  Key(sixth, Qt::Key_PageUp);
  Key(sixth, Qt::Key_PageUp);
  EXPECT_STREQ(sixth->MemberName(), "M005");
  EXPECT_EQ(sixth->GetCaption(), "M005 - (big.slb) ");
}

// Add (by a drop), remove and rename, then Undo of the rename: the library is byte for byte
// what lanterna-cli's add and remove make. A failed edit changes nothing and says why.
TEST_F(LibraryBrowserTest, EditCycleEqualsLanternaCliAndAFailedEditChangesNothing) {
  const std::string mine = Library("mine.slb", 3);
  const std::string theirs = Library("theirs.slb", 3);
  const std::string slide = dir.Write("new.sld", SolidSlide(5));
  TLibraryBrowser* b = Browse(mine);
  ASSERT_NE(b, nullptr);

  QMimeData drop;
  drop.setUrls({QUrl::fromLocalFile(QString::fromStdString(slide))});
  ASSERT_TRUE(b->Model()->dropMimeData(&drop, Qt::CopyAction, -1, -1, {}));
  ASSERT_TRUE(guitest::PumpUntil([&] { return b->Model()->rowCount() == 4; }));
  Select(b, {"M002"});
  ASSERT_TRUE(b->RemoveSelected(false));
  ASSERT_TRUE(b->Rename(Row(b, "M001"), "FIRST"));
  EXPECT_EQ(b->Model()->Members(), (std::vector<std::string>{"FIRST", "M003", "new"}));
  ASSERT_TRUE(b->Undo());
  EXPECT_FALSE(b->CanUndo());

  for (const std::string& args : {"add " + fixtures::Quote(theirs) + " " + fixtures::Quote(slide),
                                  "remove " + fixtures::Quote(theirs) + " M002"})
    ASSERT_EQ(fixtures::Cli(args).exit, 0) << args;
  EXPECT_EQ(fixtures::ReadFile(mine), fixtures::ReadFile(theirs));
  EXPECT_EQ(b->Model()->Members(), (std::vector<std::string>{"M001", "M003", "new"}));

  const fixtures::Bytes before = fixtures::ReadFile(mine);
  const std::string junk = dir.Write("junk.sld", {'n', 'o', 't'});
  EXPECT_FALSE(b->AddSources({junk}));
  EXPECT_FALSE(b->Rename(Row(b, "M003"), "M001"));  // a name already there
  EXPECT_EQ(fixtures::ReadFile(mine), before);
  ASSERT_EQ(boxes.boxes.size(), 2u);
  EXPECT_NE(boxes.boxes[0].text.find("Nothing was changed"), std::string::npos);

  // Extracted members are the members' own bytes.
  Select(b, {"M003"});
  std::filesystem::create_directory(dir.File("out"));
  ASSERT_TRUE(b->ExtractSelected(dir.File("out")));
  EXPECT_EQ(fixtures::ReadFile(dir.File("out/M003.SLD")), SolidSlide(3));
  // Dragged out, they are files in a folder of their own, which goes at the viewer's end.
  std::unique_ptr<QMimeData> dragged(b->Model()->mimeData({b->Model()->index(Row(b, "M003"))}));
  ASSERT_EQ(dragged->urls().size(), 1);
  const std::string draggedFile = dragged->urls()[0].toLocalFile().toStdString();
  EXPECT_EQ(fixtures::ReadFile(draggedFile), SolidSlide(3));
  lanterna::RemoveDragFolders();
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(draggedFile).parent_path()));

  // A failed edit leaves the last one to undo.
  ASSERT_TRUE(b->Rename(Row(b, "M003"), "THIRD"));
  EXPECT_FALSE(b->AddSources({junk}));
  ASSERT_TRUE(b->Undo());
  EXPECT_EQ(fixtures::ReadFile(mine), before);
}

// A library handed over by another program opens as miniatures, or as a window per member
// when the setting says so.
TEST_F(LibraryBrowserTest, LibraryFromAnotherProgramFollowsTheSetting) {
  const std::string path = Library("lib.slb", 3);
  frame->SendMessage(lanterna::WM_OPENBYNAME, lanterna::kOpenFromOutside,
                     reinterpret_cast<intptr_t>(path.c_str()));
  ASSERT_EQ(Shell().Client->Children().size(), 1u);
  EXPECT_NE(dynamic_cast<TLibraryBrowser*>(Shell().Client->Children()[0]), nullptr);
  Shell().Client->CloseChildren();
  ASSERT_TRUE(guitest::PumpUntil([] { return Shell().Client->Children().empty(); }));

  Shell().LibraryView = 0;
  frame->SendMessage(lanterna::WM_OPENBYNAME, lanterna::kOpenFromOutside,
                     reinterpret_cast<intptr_t>(path.c_str()));
  EXPECT_EQ(Shell().Client->SlideWindows().size(), 3u);
}

}  // namespace
