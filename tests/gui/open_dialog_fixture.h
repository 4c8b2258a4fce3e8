// A running viewer with a directory of slides and libraries, for the dialogs that open files.
#pragma once

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <memory>

#include "framework/file_dialog.h"
#include "shell/app.h"
#include "shell/child.h"
#include "shell/frame.h"
#include "tests/gui/gui_support.h"
#include "tests/gui/modal_driver.h"
#include "tests/slide_writer.h"

namespace guitest {

inline fixtures::Bytes CrossSlide(int shift = 0) {
  fixtures::SlideWriter w(400, 300);
  w.Colour(1).Vector(10 + shift, 10, 390, 290).Vector(390, 10, 10 + shift, 290);
  w.Colour(3).Vector(10, 150, 390, 150);
  return w.EndOfFile().Build();
}

class OpenDialogTest : public ViewerTest {
 protected:
  void SetUp() override {
    ViewerTest::SetUp();
    lanterna::Shell().CommandLine = "";
    app = std::make_unique<lanterna::TMyApp>();
    app->Start();
    frame = dynamic_cast<lanterna::TMyFrame*>(app->GetMainWindow());
    frame->resize(800, 600);
    ASSERT_TRUE(PumpUntil([&] { return frame->isVisible(); }));
    platform::SetMessageWindowService(&mex);
  }
  void TearDown() override {
    platform::SetMessageWindowService(nullptr);
    app.reset();
    ViewerTest::TearDown();
  }
  std::string Slide(const std::string& name, int shift = 0) {
    return dir.Write(name, CrossSlide(shift));
  }
  std::string Library(const std::string& name, const std::vector<std::string>& members) {
    std::vector<fixtures::Member> list;
    int shift = 0;
    for (const std::string& m : members) list.push_back({m, CrossSlide(shift += 7)});
    return dir.Write(name, fixtures::LibraryBytes(list));
  }
  // The slide windows' captions, file names and member names, in the client's order.
  std::vector<std::string> Windows() const {
    std::vector<std::string> out;
    for (lanterna::TMyChild* c : lanterna::Shell().Client->SlideWindows())
      out.push_back(c->GetCaption() + "|" + c->FileName() + "|" + c->MemberName());
    return out;
  }
  static void FocusFile(
      framework::TDialog& d, const std::string& name,
      QItemSelectionModel::SelectionFlags how = QItemSelectionModel::ClearAndSelect) {
    auto* list = d.Item<QListWidget>(framework::IDC_FILELIST);
    framework::TListBox box(list);
    for (int i = 0; i < box.GetCount(); ++i)
      if (box.GetString(i) == name) list->setCurrentRow(i, how);
  }
  static void Press(framework::TDialog& d, int id) { d.Item<QPushButton>(id)->click(); }

  std::unique_ptr<lanterna::TMyApp> app;
  lanterna::TMyFrame* frame = nullptr;
  platform::RecordingMessageWindow mex;
};

}  // namespace guitest
