// TLibraryBrowser: a slide library as one window, a scrolling grid of its members' miniatures
// with their names. Members open in slide windows; the library is edited here (add, remove,
// rename, extract, undo) through the library writer.
#pragma once

#include <QAbstractListModel>
#include <QListView>
#include <QPixmap>
#include <functional>
#include <string>
#include <vector>

#include "framework/frame.h"
#include "output/library_editing.h"

class QLabel;

namespace lanterna {

class TLibraryBrowser;

// Removes the folders members dragged out to file managers were written to (at the viewer's end).
void RemoveDragFolders();

// The members of the library as list rows: decoded names, miniatures as they arrive.
class LibraryGridModel : public QAbstractListModel {
 public:
  // Owned by the browser, as its child object.
  explicit LibraryGridModel(TLibraryBrowser* browser);
  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  QStringList mimeTypes() const override;
  QMimeData* mimeData(const QModelIndexList& indexes) const override;
  bool canDropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                       const QModelIndex& parent) const override;
  bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                    const QModelIndex& parent) override;
  Qt::DropActions supportedDropActions() const override { return Qt::CopyAction; }
  Qt::DropActions supportedDragActions() const override { return Qt::CopyAction; }

  // The members as listed now; miniatures of members still there are kept.
  void SetMembers(std::vector<std::string> stored);
  const std::vector<std::string>& Members() const { return members_; }
  void SetMiniature(int row, const QPixmap& picture, bool failed);
  bool HasMiniature(int row) const;
  // Drops miniatures outside [first, last] once more than `keep` are held.
  void Trim(int first, int last, int keep);
  int MiniaturesHeld() const;
  void DropMiniatures();

 private:
  struct Miniature {
    QPixmap picture;
    bool failed = false;
  };
  TLibraryBrowser* browser_;
  std::vector<std::string> members_;
  std::vector<Miniature> miniatures_;
};

class TLibraryBrowser : public framework::TMDIChild {
 public:
  TLibraryBrowser(framework::TMDIClient* client, const std::string& path);
  ~TLibraryBrowser() override;
  void SetupWindow() override;

  // The library's path, as opened.
  const std::string& FileName() const { return path_; }
  QListView* Grid() const { return grid_; }
  LibraryGridModel* Model() const { return model_; }
  // "352 members, 1.9 MB": what the window's status line and the frame's status bar show.
  std::string StatusText() const;
  // The listing ended early: not a library, or a damaged directory (the user has been told).
  bool ListingFailed() const { return listingFailed_; }

  // Commands, also for tests.
  void OpenSelected();
  bool RemoveSelected(bool ask = true);
  bool Rename(int row, const std::string& newName);
  bool AddSources(const std::vector<std::string>& sources);
  bool ExtractSelected(const std::string& folder);
  bool Undo();
  bool CanUndo() const { return undo_.Available(); }
  // Every miniature drawn again (the background changed).
  void Redraw();
  // The names shown again, decoded as the settings now say.
  void ShowNames();
  // The selected rows' stored names, in row order.
  std::vector<std::string> SelectedMembers() const;
  // Asks the miniature thread for the rows in view, then the next screen.
  void RequestVisible();

  static constexpr int kMiniatureWidth = 128;
  static constexpr int kMiniatureHeight = 96;
  // Miniatures held beyond what is in view: 17 MB at most, a 352-member library whole.
  static constexpr int kMiniaturesKept = 384;

 protected:
  void CleanupWindow() override;
  void focusInEvent(QFocusEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  void Reload();
  void ShowStatus();
  // Ends an edit: the grid shows the library as it is; a failure says why.
  bool Finish(const LibraryEditOutcome& outcome, const std::string& what);
  // Runs an edit of the library; what (the past participle) names it in the status.
  bool Edit(const std::function<LibraryEditOutcome()>& edit, const std::string& what);
  void CmAdd();
  void CmExtract();

  std::string path_;
  QListView* grid_;
  LibraryGridModel* model_;
  QLabel* status_;
  LibraryUndo undo_;
  long long fileSize_ = 0;
  int generation_ = 0;  // the listing the miniatures asked for belong to
  bool listingFailed_ = false;
};

}  // namespace lanterna
