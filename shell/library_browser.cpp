#include "shell/library_browser.h"

#include <sys/stat.h>

#include <QDir>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMimeData>
#include <QPainter>
#include <QScrollBar>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <set>

#include "dialogs/generic_input.h"
#include "framework/file_dialog.h"
#include "output/member_files.h"
#include "platform/exten.h"
#include "resources/dialog_templates.h"
#include "resources/resources.h"
#include "shell/child.h"
#include "shell/frame.h"
#include "shell/miniature_worker.h"
#include "shell/shell_state.h"
#include "slide/library.h"
#include "slide/library_writer.h"
#include "slide/loader.h"
#include "slide/slide_kind.h"

namespace lanterna {

namespace {

// Members dragged out of a browser: "LIBRARY,MEMBER" lines, names as stored.
constexpr char kMembersMime[] = "application/x-lanterna-members";

std::string BaseName(const std::string& path) {
  const size_t cut = path.find_last_of('/');
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string ShownSize(long long bytes) {
  char text[32];
  if (bytes < 1024)
    std::snprintf(text, sizeof text, "%lld bytes", bytes);
  else if (bytes < 1024 * 1024)
    std::snprintf(text, sizeof text, "%.1f KB", bytes / 1024.0);
  else
    std::snprintf(text, sizeof text, "%.1f MB", bytes / (1024.0 * 1024.0));
  return text;
}

const QPixmap& Waiting() {
  static const QPixmap blank = [] {
    QPixmap p(TLibraryBrowser::kMiniatureWidth, TLibraryBrowser::kMiniatureHeight);
    p.fill(QColor(236, 236, 236));
    return p;
  }();
  return blank;
}

const QPixmap& Unreadable() {
  static const QPixmap mark = [] {
    QPixmap p = Waiting();
    QPainter g(&p);
    res::LoadIcon("ICON_VOID").paint(&g, QRect(48, 32, 32, 32));
    return p;
  }();
  return mark;
}

// Folders of members dragged out: a file manager may copy from them after the drop, so they
// stay until the viewer ends.
std::vector<std::string>& DragFolders() {
  static std::vector<std::string> folders;
  return folders;
}

// The members' files, extracted into a folder of their own for a drag to the file manager.
QList<QUrl> ExtractForDrag(const std::string& library, const std::vector<std::string>& members) {
  QList<QUrl> urls;
  std::string dir = QDir::tempPath().toStdString() + "/lanterna-drag-XXXXXX";
  if (!::mkdtemp(dir.data())) return urls;
  DragFolders().push_back(dir);
  std::set<std::string> taken;
  for (const std::string& member : members) {
    std::string bytes;
    int32_t result = 0;
    if (!ReadMemberBytes(library, member, &bytes, &result)) continue;
    const std::string file =
        dir + "/" + MemberFileName(ShownMemberName(member), IsRenderingBytes(bytes), &taken);
    if (WriteFileAtomically(file, bytes) == 0)
      urls.push_back(QUrl::fromLocalFile(QString::fromStdString(file)));
  }
  return urls;
}

}  // namespace

void RemoveDragFolders() {
  std::error_code ignored;
  for (const std::string& dir : DragFolders()) std::filesystem::remove_all(dir, ignored);
  DragFolders().clear();
}

// ---- the model ---------------------------------------------------------------------------

LibraryGridModel::LibraryGridModel(TLibraryBrowser* browser)
    : QAbstractListModel(browser), browser_(browser) {}

int LibraryGridModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(members_.size());
}

QVariant LibraryGridModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const std::string& stored = members_[static_cast<size_t>(index.row())];
  const Miniature& m = miniatures_[static_cast<size_t>(index.row())];
  switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
      return QString::fromStdString(ShownMemberName(stored));
    case Qt::DecorationRole:
      return m.failed ? Unreadable() : m.picture.isNull() ? Waiting() : m.picture;
    case Qt::ToolTipRole:
      return QString::fromStdString(ShownMemberName(stored) +
                                    (m.failed ? ": cannot be drawn" : ""));
    case Qt::UserRole:
      return QByteArray::fromStdString(stored);
    default:
      return {};
  }
}

bool LibraryGridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (role != Qt::EditRole || !index.isValid()) return false;
  const std::string text = value.toString().toStdString();
  if (text == ShownMemberName(members_[static_cast<size_t>(index.row())])) return false;
  // The browser rewrites the library and lists it again; the row is then another one.
  const int row = index.row();
  QTimer::singleShot(0, browser_, [browser = browser_, row, text] { browser->Rename(row, text); });
  return false;
}

Qt::ItemFlags LibraryGridModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::ItemIsDropEnabled;
  return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable | Qt::ItemIsDragEnabled;
}

QStringList LibraryGridModel::mimeTypes() const {
  return {kMembersMime, "text/uri-list"};
}

QMimeData* LibraryGridModel::mimeData(const QModelIndexList& indexes) const {
  std::vector<int> rows;
  for (const QModelIndex& i : indexes) rows.push_back(i.row());
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  std::vector<std::string> members;
  QByteArray entries;
  for (int row : rows) {
    const std::string& stored = members_[static_cast<size_t>(row)];
    members.push_back(stored);
    entries += QByteArray::fromStdString(browser_->FileName() + "," + stored) + '\n';
  }
  auto* data = new QMimeData;
  data->setData(kMembersMime, entries);
  data->setUrls(ExtractForDrag(browser_->FileName(), members));
  return data;
}

bool LibraryGridModel::canDropMimeData(const QMimeData* data, Qt::DropAction, int, int,
                                       const QModelIndex&) const {
  return data->hasFormat(kMembersMime) || data->hasUrls();
}

bool LibraryGridModel::dropMimeData(const QMimeData* data, Qt::DropAction, int, int,
                                    const QModelIndex&) {
  std::vector<std::string> sources;
  if (data->hasFormat(kMembersMime)) {
    for (const QByteArray& line : data->data(kMembersMime).split('\n'))
      if (!line.isEmpty()) sources.push_back(line.toStdString());
    // Members dragged within this window are already here.
    if (!sources.empty() && SplitListEntry(sources.front()).library == browser_->FileName())
      return false;
  } else {
    for (const QUrl& url : data->urls())
      if (url.isLocalFile()) sources.push_back(url.toLocalFile().toStdString());
  }
  if (sources.empty()) return false;
  // Not inside the drop's own event handling: the edit may show boxes.
  QTimer::singleShot(0, browser_, [browser = browser_, sources] { browser->AddSources(sources); });
  return true;
}

void LibraryGridModel::SetMembers(std::vector<std::string> stored) {
  std::vector<Miniature> kept(stored.size());
  for (size_t i = 0; i < stored.size(); ++i)
    for (size_t j = 0; j < members_.size(); ++j)
      if (members_[j] == stored[i]) {
        kept[i] = miniatures_[j];
        break;
      }
  beginResetModel();
  members_ = std::move(stored);
  miniatures_ = std::move(kept);
  endResetModel();
}

void LibraryGridModel::SetMiniature(int row, const QPixmap& picture, bool failed) {
  if (row < 0 || row >= rowCount()) return;
  miniatures_[static_cast<size_t>(row)] = {picture, failed};
  const QModelIndex i = index(row);
  emit dataChanged(i, i, {Qt::DecorationRole, Qt::ToolTipRole});
}

bool LibraryGridModel::HasMiniature(int row) const {
  const Miniature& m = miniatures_[static_cast<size_t>(row)];
  return m.failed || !m.picture.isNull();
}

int LibraryGridModel::MiniaturesHeld() const {
  return static_cast<int>(std::count_if(miniatures_.begin(), miniatures_.end(),
                                        [](const Miniature& m) { return !m.picture.isNull(); }));
}

void LibraryGridModel::DropMiniatures() {
  for (Miniature& m : miniatures_) m = Miniature();
  if (!members_.empty())
    emit dataChanged(index(0), index(rowCount() - 1), {Qt::DecorationRole, Qt::ToolTipRole});
}

void LibraryGridModel::Trim(int first, int last, int keep) {
  int held = MiniaturesHeld();
  // The farthest from the view go first.
  for (int distance = rowCount(); held > keep && distance > 0; --distance) {
    for (int row : {first - distance, last + distance}) {
      if (row < 0 || row >= rowCount() || row >= first && row <= last) continue;
      Miniature& m = miniatures_[static_cast<size_t>(row)];
      if (m.picture.isNull()) continue;
      m.picture = QPixmap();
      --held;
    }
  }
}

// ---- the window --------------------------------------------------------------------------

TLibraryBrowser::TLibraryBrowser(framework::TMDIClient* client, const std::string& path)
    : TMDIChild(client, UpperCased(BaseName(path))),
      path_(path),
      grid_(new QListView),
      model_(new LibraryGridModel(this)),
      status_(new QLabel) {
  auto* body = new QWidget;
  auto* layout = new QVBoxLayout(body);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(grid_, 1);
  layout->addWidget(status_);
  status_->setContentsMargins(4, 2, 4, 2);
  setWidget(body);

  grid_->setModel(model_);
  grid_->setViewMode(QListView::IconMode);
  grid_->setResizeMode(QListView::Adjust);
  grid_->setMovement(QListView::Static);
  grid_->setUniformItemSizes(true);
  grid_->setIconSize(QSize(kMiniatureWidth, kMiniatureHeight));
  const int line = grid_->fontMetrics().height();
  grid_->setGridSize(QSize(kMiniatureWidth + 16, kMiniatureHeight + 2 * line + 10));
  grid_->setWordWrap(true);
  grid_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  grid_->setEditTriggers(QAbstractItemView::EditKeyPressed);
  grid_->setDragDropMode(QAbstractItemView::DragDrop);
  grid_->setDefaultDropAction(Qt::CopyAction);
  grid_->setDropIndicatorShown(false);
  grid_->installEventFilter(this);
  grid_->viewport()->installEventFilter(this);
  QObject::connect(grid_, &QListView::activated, this, [this] { OpenSelected(); });
  QObject::connect(grid_->verticalScrollBar(), &QScrollBar::valueChanged, this,
                   [this] { RequestVisible(); });

  // A new window takes most of the client area: it is the library's whole view.
  const QSize room = client->viewport()->size();
  resize(std::max(320, room.width() * 3 / 4), std::max(240, room.height() * 3 / 4));

  DefineResponseTable({
      OnCommand(res::CM_CLOSECHILD, [this] { Destroy(); }),
      OnCommand(res::CM_LIBOPEN, [this] { OpenSelected(); }),
      OnCommand(res::CM_LIBADD, [this] { CmAdd(); }),
      OnCommand(res::CM_LIBREMOVE, [this] { RemoveSelected(); }),
      OnCommand(res::CM_LIBRENAME, [this] { grid_->edit(grid_->currentIndex()); }),
      OnCommand(res::CM_LIBEXTRACT, [this] { CmExtract(); }),
      OnCommand(res::CM_LIBUNDO, [this] { Undo(); }),
      OnEnable(res::CM_LIBUNDO, [this](framework::TCommandEnabler& ce) { ce.Enable(CanUndo()); }),
      OnEnable(res::CM_LIBOPEN,
               [this](framework::TCommandEnabler& ce) { ce.Enable(!SelectedMembers().empty()); }),
      OnEnable(res::CM_LIBREMOVE,
               [this](framework::TCommandEnabler& ce) { ce.Enable(!SelectedMembers().empty()); }),
      OnEnable(res::CM_LIBEXTRACT,
               [this](framework::TCommandEnabler& ce) { ce.Enable(!SelectedMembers().empty()); }),
      OnEnable(
          res::CM_LIBRENAME,
          [this](framework::TCommandEnabler& ce) { ce.Enable(grid_->currentIndex().isValid()); }),
  });
}

TLibraryBrowser::~TLibraryBrowser() {
  MiniatureWorker::Instance().Forget(this);
}

void TLibraryBrowser::CleanupWindow() {
  MiniatureWorker::Instance().Forget(this);
}

void TLibraryBrowser::SetupWindow() {
  setWindowIcon(res::LoadIcon("101"));
  SetAccelerators(res::Accelerators());
  Reload();
  if (listingFailed_) {
    const bool library = LastListingEnd() != ListingEnd::kNotLibrary;
    const std::string text =
        LastListingEnd() == ListingEnd::kCannotOpen ? path_ + " cannot be opened."
        : library
            ? path_ + ": the library's directory is damaged; the members after it are left out."
            : path_ + " is not a slide library.";
    platform::ShowErrorBox(Shell().Frame, text.c_str(), "Error", 0);
  }
  QTimer::singleShot(0, this, [this] { RequestVisible(); });
}

void TLibraryBrowser::Reload() {
  std::vector<std::string> members;
  char member[kLibraryNameLength + 8];
  while (MemberIterator(path_.c_str(), member)) members.push_back(member);
  listingFailed_ = LastListingEnd() != ListingEnd::kComplete;
  struct stat st;
  fileSize_ = ::stat(path_.c_str(), &st) == 0 ? st.st_size : 0;
  ++generation_;
  model_->SetMembers(std::move(members));
  ShowStatus();
  RequestVisible();
}

std::string TLibraryBrowser::StatusText() const {
  const size_t n = model_->Members().size();
  return std::to_string(n) + (n == 1 ? " member, " : " members, ") + ShownSize(fileSize_);
}

void TLibraryBrowser::ShowStatus() {
  status_->setText(QString::fromStdString(StatusText()));
  if (Client() && Client()->GetActiveMDIChild() == this) SetStatusText(StatusText());
}

void TLibraryBrowser::focusInEvent(QFocusEvent* e) {
  TMDIChild::focusInEvent(e);
  SetStatusText(StatusText());
}

bool TLibraryBrowser::eventFilter(QObject* watched, QEvent* e) {
  if (watched == grid_->viewport() && (e->type() == QEvent::Resize || e->type() == QEvent::Show))
    QTimer::singleShot(0, this, [this] { RequestVisible(); });
  if (watched == grid_ && e->type() == QEvent::FocusIn) SetStatusText(StatusText());
  // The name editor takes its own keys: only the grid's come here.
  if (watched != grid_ || e->type() != QEvent::KeyPress) return TMDIChild::eventFilter(watched, e);
  auto* key = static_cast<QKeyEvent*>(e);
  const auto mods = key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier);
  if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && mods == Qt::NoModifier) {
    OpenSelected();
  } else if (key->key() == Qt::Key_Delete && mods == Qt::NoModifier) {
    RemoveSelected();
  } else if (key->key() == Qt::Key_Z && mods == Qt::ControlModifier) {
    Undo();
  } else {
    return TMDIChild::eventFilter(watched, e);
  }
  return true;
}

void TLibraryBrowser::Redraw() {
  ++generation_;
  model_->DropMiniatures();
  RequestVisible();
}

void TLibraryBrowser::ShowNames() {
  if (const int rows = model_->rowCount())
    emit model_->dataChanged(model_->index(0), model_->index(rows - 1), {Qt::DisplayRole});
}

std::vector<std::string> TLibraryBrowser::SelectedMembers() const {
  std::vector<int> rows;
  for (const QModelIndex& i : grid_->selectionModel()->selectedIndexes()) rows.push_back(i.row());
  std::sort(rows.begin(), rows.end());
  std::vector<std::string> members;
  for (int row : rows) members.push_back(model_->Members()[static_cast<size_t>(row)]);
  return members;
}

void TLibraryBrowser::RequestVisible() {
  const int rows = model_->rowCount();
  if (rows == 0 || Closing()) return;
  const QRect view = grid_->viewport()->rect();
  int first = -1, last = -1;
  for (int row = 0; row < rows; ++row) {
    if (!grid_->visualRect(model_->index(row)).intersects(view)) {
      if (first >= 0) break;
      continue;
    }
    if (first < 0) first = row;
    last = row;
  }
  if (first < 0) first = last = 0;
  // What is in view, then the next screen, then the one before.
  const int screen = last - first + 1;
  std::vector<MiniatureJob> jobs;
  auto want = [&](int from, int to) {
    for (int row = std::max(0, from); row <= std::min(rows - 1, to); ++row)
      if (!model_->HasMiniature(row))
        jobs.push_back({path_, model_->Members()[static_cast<size_t>(row)], kMiniatureWidth,
                        kMiniatureHeight, row});
  };
  want(first, last);
  want(last + 1, last + screen);
  want(first - screen, first - 1);
  model_->Trim(first - screen, last + screen, kMiniaturesKept);
  const int generation = generation_;
  MiniatureWorker::Instance().Want(
      this, std::move(jobs), [this, generation](int row, const QImage& image, int32_t result) {
        if (generation != generation_) return;
        model_->SetMiniature(row, QPixmap::fromImage(image), result < 0 || image.isNull());
      });
}

void TLibraryBrowser::OpenSelected() {
  const std::vector<std::string> members = SelectedMembers();
  if (members.empty()) return;
  if (LoaderBusy()) {
    // A slide window is drawing: it stops at the input that brought us here.
    QTimer::singleShot(20, this, [this] { OpenSelected(); });
    return;
  }
  for (const std::string& member : members) {
    auto* child = new TMyChild(Client(), member, path_, member);
    child->Create();
    child->raise();
  }
}

bool TLibraryBrowser::Finish(const LibraryEditOutcome& outcome, const std::string& what) {
  Reload();
  if (outcome.written) {
    SetStatusText(what + ": " + StatusText());
    return true;
  }
  const std::string text = what + " " + path_ + ": " + outcome.problem + ". Nothing was changed.";
  platform::ShowErrorBox(Shell().Frame, text.c_str(), "Error", 0);
  return false;
}

bool TLibraryBrowser::Edit(const std::function<LibraryEditOutcome()>& edit,
                           const std::string& what) {
  // The library as it is now becomes what Undo goes back to, once the edit is written: a
  // failed edit leaves the last one undoable.
  LibraryUndo before;
  before.Keep(path_);
  const LibraryEditOutcome outcome = edit();
  if (outcome.written) undo_.TakeOver(before);
  return Finish(outcome, what);
}

bool TLibraryBrowser::RemoveSelected(bool ask) {
  const std::vector<std::string> members = SelectedMembers();
  if (members.empty()) return false;
  if (ask) {
    const std::string text =
        members.size() == 1
            ? "Remove " + ShownMemberName(members.front()) + " from " + GetCaption() + "?"
            : "Remove " + std::to_string(members.size()) + " members from " + GetCaption() + "?";
    if (platform::ShowErrorBox(Shell().Frame, text.c_str(), "Remove Members",
                               platform::MB_YESNO | platform::MB_DEFBUTTON2) != platform::IDYES)
      return false;
  }
  return Edit([&] { return RemoveFromLibrary(Shell().Frame, path_, members); }, "Removed");
}

bool TLibraryBrowser::Rename(int row, const std::string& newName) {
  if (row < 0 || row >= model_->rowCount()) return false;
  const std::string member = model_->Members()[static_cast<size_t>(row)];
  return Edit(
      [&] { return RenameInLibrary(Shell().Frame, path_, member, newName, Shell().NameCodePage); },
      "Renamed");
}

bool TLibraryBrowser::AddSources(const std::vector<std::string>& sources) {
  return Edit([&] { return AddToLibrary(Shell().Frame, path_, sources, Shell().NameCodePage); },
              "Added");
}

bool TLibraryBrowser::Undo() {
  if (!undo_.Available()) return false;
  return Finish(undo_.Restore(Shell().Frame), "Undone");
}

bool TLibraryBrowser::ExtractSelected(const std::string& folder) {
  const std::vector<std::string> members = SelectedMembers();
  std::set<std::string> taken;
  std::string failed;
  size_t written = 0;
  for (const std::string& member : members) {
    std::string bytes;
    int32_t result = 0;
    const std::string shown = ShownMemberName(member);
    if (!ReadMemberBytes(path_, member, &bytes, &result)) {
      failed += "\n" + shown + ": cannot be read";
      continue;
    }
    const std::string file = folder + "/" + MemberFileName(shown, IsRenderingBytes(bytes), &taken);
    if (const int error = WriteFileAtomically(file, bytes)) {
      failed += "\n" + file + ": " + std::strerror(error);
      continue;
    }
    ++written;
  }
  SetStatusText(std::to_string(written) + " of " + std::to_string(members.size()) +
                " members extracted to " + folder);
  if (failed.empty()) return true;
  platform::ShowErrorBox(Shell().Frame, ("Not extracted:" + failed).c_str(), "Error", 0);
  return false;
}

void TLibraryBrowser::CmAdd() {
  framework::TOpenSaveDialog::TData data;
  data.Flags =
      framework::OFN_HIDEREADONLY | framework::OFN_FILEMUSTEXIST | framework::OFN_ALLOWMULTISELECT;
  data.Filters = {{"Slides and libraries (*.sld;*.rnd;*.slb)", "*.sld;*.rnd;*.slb"}};
  data.InitialDir = Shell().LastDir;
  data.MaxPath = 1 << 16;
  framework::TFileOpenDialog dialog(this, data, "", "Add Slides");
  if (dialog.Execute() != framework::IDOK) return;
  std::vector<std::string> names = framework::SplitNames(data.FileName);
  std::vector<std::string> sources;
  if (names.size() == 1) {
    sources = names;
  } else if (!names.empty()) {
    for (size_t i = 1; i < names.size(); ++i) sources.push_back(names[0] + "/" + names[i]);
  }
  if (!sources.empty()) AddSources(sources);
}

void TLibraryBrowser::CmExtract() {
  if (SelectedMembers().empty()) return;
  char folder[4097] = {};
  const std::string dir = path_.find('/') == std::string::npos
                              ? std::string(".")
                              : path_.substr(0, std::max<size_t>(1, path_.find_last_of('/')));
  std::snprintf(folder, sizeof folder, "%s", dir.c_str());
  TGenericInput ask(this, res::kGenericInputDialog, "Extract to folder", folder, sizeof folder - 1);
  if (ask.Execute() != framework::IDOK || !folder[0]) return;
  ExtractSelected(folder);
}

}  // namespace lanterna
