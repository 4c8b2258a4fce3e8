// Convert to DXF: the polyline box remembers its state, and the active window's slide is the
// one written.
#include <QCheckBox>
#include <filesystem>

#include "dialogs/open_selection.h"
#include "dialogs/slide_save_as.h"
#include "slide/loader.h"
#include "tests/gui/open_dialog_fixture.h"
#include "tests/rendering_writer.h"

namespace {

using guitest::WhenModal;
using lanterna::Shell;
using lanterna::TSlideSaveAs;

class ConvertDxfTest : public guitest::OpenDialogTest {
 protected:
  void SetUp() override {
    OpenDialogTest::SetUp();
    lanterna::DxfPolylineFlag() = 1;
    a = Slide("a.sld", 3);
    b = Slide("b.sld", 40);
    Shell().LastDir = dir.File("").substr(0, dir.File("").size() - 1);
    lanterna::OpenSelection(a, lanterna::kOpenSlides, nullptr);
    lanterna::OpenSelection(b, lanterna::kOpenSlides, nullptr);
    ASSERT_EQ(Shell().ChildCount, 2);
  }
  // What the loader writes for a slide file.
  fixtures::Bytes Reference(const std::string& slide, bool polylines) {
    const std::string out = dir.File("reference.dxf");
    platform::HeadlessWindow owner(100, 100);
    lanterna::ShowIcon(&owner, slide.c_str(), nullptr, polylines ? lanterna::SI_DXF_POLYLINES : 0,
                       out.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    fixtures::Bytes bytes = fixtures::ReadFile(out);
    std::filesystem::remove(out);
    return bytes;
  }
  // One use of the command: the box's state as shown, then act.
  bool Convert(const std::function<void(TSlideSaveAs&)>& act) {
    bool checked = false;
    WhenModal<TSlideSaveAs>([&](TSlideSaveAs& d) {
      checked = d.Item<QCheckBox>(101)->isChecked();
      act(d);
    });
    lanterna::TMyChild* active = Shell().Client->SlideWindows()[1];
    lanterna::CmConvertToDxf(Shell().Client, active);
    return checked;
  }
  static void Name(TSlideSaveAs& d, const char* typed) {
    d.Item<QLineEdit>(framework::IDC_FILENAME)->setText(typed);
  }
  std::string a, b;
};

TEST_F(ConvertDxfTest, TheBoxRemembersItsStateAcrossUsesButNotAfterCancel) {
  std::string caption;
  EXPECT_TRUE(Convert([&](TSlideSaveAs& d) {
    caption = d.windowTitle().toStdString();
    d.Item<QCheckBox>(101)->click();
    Name(d, "out");
    Press(d, 1);
  }));
  EXPECT_EQ(caption, "Convert to DXF");
  EXPECT_EQ(lanterna::DxfPolylineFlag(), 0);
  // The active window's slide, and only that, without polylines; the extension added.
  const fixtures::Bytes written = fixtures::ReadFile(dir.File("out.DXF"));
  EXPECT_FALSE(written.empty());
  EXPECT_EQ(written, Reference(b, false));
  EXPECT_NE(written, Reference(a, false));

  EXPECT_FALSE(Convert([&](TSlideSaveAs& d) {
    d.Item<QCheckBox>(101)->click();
    Name(d, "never");
    Press(d, 2);
  }));
  EXPECT_EQ(lanterna::DxfPolylineFlag(), 0);
  EXPECT_FALSE(std::filesystem::exists(dir.File("never.DXF")));

  // Checked again and an existing name: the replace question first.
  boxes.answers = {platform::IDYES};
  EXPECT_FALSE(Convert([&](TSlideSaveAs& d) {
    d.Item<QCheckBox>(101)->click();
    Name(d, "out.DXF");
    Press(d, 1);
  }));
  EXPECT_EQ(lanterna::DxfPolylineFlag(), 1);
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_NE(boxes.boxes[0].text.find("already exists"), std::string::npos);
  EXPECT_EQ(fixtures::ReadFile(dir.File("out.DXF")), Reference(b, true));
  EXPECT_TRUE(Convert([&](TSlideSaveAs& d) { Press(d, 2); }));
}

// The slide's own name is offered; the status bar says where the file went.
TEST_F(ConvertDxfTest, TheSlidesNameIsOfferedAndTheWrittenFileNamed) {
  std::string offered;
  Convert([&](TSlideSaveAs& d) {
    offered = d.Item<QLineEdit>(framework::IDC_FILENAME)->text().toStdString();
    Press(d, 1);
  });
  EXPECT_EQ(offered, "b.dxf");
  EXPECT_FALSE(fixtures::ReadFile(dir.File("b.dxf")).empty());
  EXPECT_EQ(Shell().StatusBar->GetText(), "DXF written to " + dir.File("b.dxf"));
}

TEST_F(ConvertDxfTest, TheFlagIsKeptWhenOkIsPressedEvenIfTheNameIsRefused) {
  std::filesystem::create_directories(dir.File("no/such"));
  std::filesystem::remove(dir.File("no/such"));
  Convert([&](TSlideSaveAs& d) {
    d.Item<QCheckBox>(101)->click();
    Name(d, dir.File("no/such/out.dxf").c_str());
    Press(d, 1);
    EXPECT_TRUE(d.isVisible());
    Press(d, 2);
  });
  EXPECT_EQ(lanterna::DxfPolylineFlag(), 0);
  EXPECT_FALSE(std::filesystem::exists(dir.File("no/such/out.dxf")));
}

// A drawing that stops before its end has said why in its box; the file it began is no DXF.
TEST_F(ConvertDxfTest, AStoppedDrawingLeavesNoFile) {
  const std::string scan =
      dir.Write("scan.rnd", fixtures::RenderingWriter(50, 50).Scanline(0, 0, 5, {1}).Build());
  lanterna::OpenSelection(scan, lanterna::kOpenSlides, nullptr);
  ASSERT_EQ(Shell().ChildCount, 3);
  const std::string out = dir.File("scan.dxf");
  boxes.boxes.clear();
  Shell().Client->SlideWindows()[2]->SendMessage(lanterna::WM_WRITEDXF, 0,
                                                 reinterpret_cast<intptr_t>(out.c_str()));
  EXPECT_FALSE(std::filesystem::exists(out));
  ASSERT_FALSE(boxes.boxes.empty());
  EXPECT_EQ(boxes.boxes[0].text, "Cannot convert Scanline Render");
}

}  // namespace
