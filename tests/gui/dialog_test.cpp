// Dialogs built from templates: the generic input dialog, the about box, list-box operations.
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>
#include <cstring>
#include <fstream>

#include "lanterna_version.h"
#include "dialogs/about.h"
#include "dialogs/generic_input.h"
#include "dialogs/version_record.h"
#include "resources/dialog_templates.h"
#include "tests/gui/gui_support.h"

namespace {

using framework::TDialog;

class DialogTest : public guitest::ViewerTest {
 protected:
  void SetUp() override {
    ViewerTest::SetUp();
    lanterna::res::RegisterDialogResources();
  }
  // Runs the dialog modally; act runs once it is shown.
  static int Run(TDialog& dialog, const std::function<void(TDialog&)>& act) {
    QTimer::singleShot(0, &dialog, [&] {
      guitest::PumpUntil([&] { return dialog.isVisible(); }, 2000);
      act(dialog);
    });
    return dialog.Execute();
  }
  static void Type(TDialog& d, const char* text) {
    auto* edit = d.Item<QLineEdit>(101);
    ASSERT_NE(edit, nullptr);
    edit->setText(text);
  }
  static void Press(TDialog& d, int id) {
    auto* b = d.Item<QPushButton>(id);
    ASSERT_NE(b, nullptr);
    b->click();
  }
};

TEST_F(DialogTest, GenericInputShowsTemplateCaptionAndInitialText) {
  char text[10] = "3";
  lanterna::TGenericInput d(nullptr, "DLG_GENERIC", nullptr, text, 9);
  std::string caption, shown;
  const int result = Run(d, [&](TDialog& dlg) {
    caption = dlg.windowTitle().toStdString();
    shown = dlg.GetDlgItemText(101);
    Press(dlg, 1);
  });
  EXPECT_EQ(result, framework::IDOK);
  EXPECT_EQ(caption, "Generic input");
  EXPECT_EQ(shown, "3");
  EXPECT_STREQ(text, "3");
}

TEST_F(DialogTest, GenericInputCutsToCapacityAndCancelKeepsTheBuffer) {
  char text[10] = "3";
  {
    lanterna::TGenericInput d(nullptr, "DLG_GENERIC", "Set Slide Show delay time", text, 9);
    std::string caption;
    EXPECT_EQ(Run(d,
                  [&](TDialog& dlg) {
                    caption = dlg.windowTitle().toStdString();
                    Type(dlg, "12345678901");
                    Press(dlg, 1);
                  }),
              framework::IDOK);
    EXPECT_EQ(caption, "Set Slide Show delay time");
    EXPECT_STREQ(text, "123456789");
  }
  {
    lanterna::TGenericInput d(nullptr, "DLG_GENERIC", nullptr, text, 9);
    EXPECT_EQ(Run(d,
                  [&](TDialog& dlg) {
                    Type(dlg, "77");
                    Press(dlg, 2);
                  }),
              framework::IDCANCEL);
    EXPECT_STREQ(text, "123456789");
  }
  {
    lanterna::TGenericInput d(nullptr, "DLG_GENERIC", nullptr, text, 9);
    EXPECT_EQ(Run(d,
                  [&](TDialog& dlg) {
                    Type(dlg, "");
                    Press(dlg, 1);
                  }),
              framework::IDOK);
    EXPECT_STREQ(text, "");
  }
}

TEST_F(DialogTest, EscapeIsCancel) {
  char text[10] = "5";
  lanterna::TGenericInput d(nullptr, "DLG_GENERIC", nullptr, text, 9);
  EXPECT_EQ(Run(d, [](TDialog& dlg) { dlg.reject(); }), framework::IDCANCEL);
}

TEST_F(DialogTest, ControlsKeepTheirTemplatePlaces) {
  char text[4] = "";
  lanterna::TGenericInput d(nullptr, "DLG_GENERIC", nullptr, text, 3);
  d.Create();
  QWidget* edit = d.GetDlgItem(101);
  QWidget* ok = d.GetDlgItem(1);
  QWidget* cancel = d.GetDlgItem(2);
  ASSERT_TRUE(edit && ok && cancel);
  EXPECT_EQ(ok->geometry(), d.MapDialogRect(40, 78, 50, 14));
  EXPECT_EQ(cancel->geometry(), d.MapDialogRect(100, 78, 50, 14));
  EXPECT_EQ(edit->geometry(), d.MapDialogRect(13, 36, 165, 12));
  EXPECT_EQ(d.size(), d.MapDialogRect(0, 0, 194, 107).size());
  EXPECT_TRUE(static_cast<QPushButton*>(ok)->isDefault());
  EXPECT_LT(ok->x(), cancel->x());
  d.close();
}

TEST_F(DialogTest, AboutBoxReadsTheVersionRecordOfTheProgramFile) {
  lanterna::LanternaAboutDlg about(nullptr);
  std::string version, copyright, special;
  EXPECT_EQ(Run(about,
                [&](TDialog& dlg) {
                  version = dlg.GetDlgItemText(22001);
                  copyright = dlg.GetDlgItemText(22002);
                  special = dlg.GetDlgItemText(22003);
                  Press(dlg, 1);
                }),
            framework::IDOK);
  EXPECT_EQ(version, "Quelna's Slide Viewer for WWW Version:  2.1");
  EXPECT_FALSE(copyright.empty());
  EXPECT_EQ(special, "");
  EXPECT_EQ(about.windowTitle().toStdString(), "Lanterna");
}

TEST_F(DialogTest, AboutBoxWithoutVersionRecordAndEscape) {
  const std::string plain = dir.File("plain.bin");
  std::ofstream(plain) << "no record here";
  lanterna::LanternaAboutDlg about(nullptr, plain);
  std::string version, copyright;
  EXPECT_EQ(Run(about,
                [&](TDialog& dlg) {
                  version = dlg.GetDlgItemText(22001);
                  copyright = dlg.GetDlgItemText(22002);
                  dlg.reject();
                }),
            framework::IDCANCEL);
  EXPECT_EQ(version, "W32 2.1");
  EXPECT_EQ(copyright, "");
}

TEST_F(DialogTest, VersionRecordKeys) {
  const lanterna::ProjectRCVersion v(lanterna::ModuleFileName());
  ASSERT_TRUE(v.HasBlock());
  std::string value;
  ASSERT_TRUE(v.QueryValue("\\StringFileInfo\\040904E4\\FileDescription", value));
  EXPECT_EQ(value, "Autocad Slide Viewer for World Wide Web");
  ASSERT_TRUE(v.QueryValue("\\StringFileInfo\\040904E4\\OriginalFilename", value));
  EXPECT_EQ(value, "lanterna.exe");
  ASSERT_TRUE(v.QueryValue("\\StringFileInfo\\040904E4\\FileVersion", value));
  EXPECT_EQ(value, "2.1.001");
  ASSERT_TRUE(v.ReadProductVersion(value));
  EXPECT_EQ(value, LANTERNA_VERSION);  // the build's one version
  EXPECT_FALSE(v.ReadSpecialBuild(value));
  // A record cut short by the end of the file yields what is complete.
  const std::string cut = dir.File("cut.bin");
  {
    std::ofstream out(cut, std::ios::binary);
    // Assembled here so that this program's file holds no second marker.
    std::string record = std::string("LNTVER") + "INFO:RECORD";
    record += std::string("\0\\A\0one\0\\B\0tw", 12);
    out << "xx" << record;
  }
  const lanterna::ProjectRCVersion c(cut);
  EXPECT_TRUE(c.QueryValue("\\A", value));
  EXPECT_EQ(value, "one");
  EXPECT_FALSE(c.QueryValue("\\C", value));
}

TEST(ListBox, SortedAndPlainListsWithSelections) {
  QListWidget sorted;
  sorted.setSortingEnabled(true);
  framework::TListBox s(&sorted);
  s.AddString("ROOF.SLD");
  s.AddString("BASE.SLD");
  s.AddString("HOUSE.SLB");
  EXPECT_EQ(s.GetString(0), "BASE.SLD");
  EXPECT_EQ(s.SelectString("house"), 1);
  EXPECT_EQ(s.GetSelIndex(), 1);
  s.DeleteString(1);
  EXPECT_EQ(s.GetCount(), 2);
  EXPECT_EQ(s.GetString(5), "");

  QListWidget plain;
  plain.setSelectionMode(QAbstractItemView::ExtendedSelection);
  framework::TListBox p(&plain);
  p.AddString("b");
  p.AddString("a");
  p.InsertString("c", 1);
  EXPECT_EQ(p.GetString(1), "c");
  p.SetSel(0, true);
  p.SetSel(2, true);
  EXPECT_EQ(p.GetSelCount(), 2);
  EXPECT_EQ(p.GetSelIndexes(), (std::vector<int>{0, 2}));
  p.SetSelIndex(-1);
  EXPECT_EQ(p.GetSelCount(), 0);
}

}  // namespace

namespace {

const framework::TDialogTemplate* ListTemplate(const std::string&) {
  static const framework::TDialogTemplate t{"TEST_LIST",
                                            "List",
                                            8,
                                            "MS Sans Serif",
                                            0,
                                            0,
                                            120,
                                            120,
                                            {{7, framework::TControlClass::ListBox, "", 5, 5, 100,
                                              100, framework::CS_MULTISEL | framework::CS_NOTIFY}}};
  return &t;
}

class CountingDialog : public framework::TDialog {
 public:
  CountingDialog() : TDialog(nullptr, "TEST_LIST") {
    DefineResponseTable(
        {OnCommand(framework::Notification(7, framework::LBN_SELCHANGE), [this] { ++changes; })});
  }
  int changes = 0;
};

TEST(DialogList, AClickOrACaretMoveTellsTheDialogOnce) {
  framework::SetDialogTemplateLoader(ListTemplate);
  CountingDialog d;
  d.Create();
  auto* list = d.Item<QListWidget>(7);
  ASSERT_NE(list, nullptr);
  framework::TListBox box(list);
  for (const char* name : {"a.sld", "b.sld", "c.slb"}) box.AddString(name);
  guitest::Pump(20);
  d.changes = 0;
  const QPoint at = list->visualItemRect(list->item(1)).center();
  QMouseEvent press(QEvent::MouseButtonPress, at, list->viewport()->mapToGlobal(at), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
  QMouseEvent release(QEvent::MouseButtonRelease, at, list->viewport()->mapToGlobal(at),
                      Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
  QCoreApplication::sendEvent(list->viewport(), &press);
  QCoreApplication::sendEvent(list->viewport(), &release);
  guitest::Pump(20);
  EXPECT_EQ(d.changes, 1);
  EXPECT_EQ(box.GetSelIndex(), 1);
  // The caret alone moves: one notification, once the move is over.
  d.changes = 0;
  list->setCurrentRow(2, QItemSelectionModel::NoUpdate);
  EXPECT_EQ(d.changes, 0);
  guitest::Pump(20);
  EXPECT_EQ(d.changes, 1);
  d.close();
  lanterna::res::RegisterDialogResources();
}

}  // namespace
