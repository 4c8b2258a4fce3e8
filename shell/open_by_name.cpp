#include <QApplication>
#include <cstring>

#include "platform/exten.h"
#include "platform/qt/input_queue.h"
#include "resources/resources.h"
#include "shell/child.h"
#include "shell/frame.h"
#include "shell/library_browser.h"
#include "shell/shell_state.h"
#include "slide/library.h"
#include "slide/loader.h"
#include "slide/slide_kind.h"

namespace lanterna {

namespace {

constexpr int kMaxRetries = 100;
constexpr int kTileLimit = 20;

std::string LastComponent(const std::string& name) {
  size_t cut = name.find_last_of("/\\");
  return cut == std::string::npos ? name : name.substr(cut + 1);
}

void Open(uintptr_t how, const char* text);

}  // namespace

OpenRequestsHeld::OpenRequestsHeld() {
  ++Shell().OpenRequestsHeld;
}

OpenRequestsHeld::~OpenRequestsHeld() {
  ShellState& s = Shell();
  if (--s.OpenRequestsHeld == 0 && !s.QueuedOpens.empty() && s.Frame)
    s.Frame->PostMessage(WM_OPENQUEUED, 0, 0);
}

void OpenByName(uintptr_t how, const char* text) {
  ShellState& s = Shell();
  if (s.OpenRequestsHeld > 0) {
    // A box's event loop let this one in: opening now would close or cover what the box is
    // about and answer over it.
    s.QueuedOpens.emplace_back(how, text ? text : "");
    return;
  }
  const OpenRequestsHeld opening;
  Open(how, text);
}

void OpenNextQueued() {
  ShellState& s = Shell();
  if (s.QueuedOpens.empty()) return;
  const auto [how, name] = s.QueuedOpens.front();
  s.QueuedOpens.erase(s.QueuedOpens.begin());
  OpenByName(how, name.c_str());
}

namespace {

void Open(uintptr_t how, const char* text) {
  const bool handedOver = (how & kOpenHandedOver) != 0;
  ShellState& s = Shell();
  TMyFrame* frame = s.Frame;
  TMyWindow* client = s.Client;
  if (!frame || !client) return;
  if (frame->isMinimized()) frame->showNormal();
  frame->raise();
  frame->activateWindow();
  if (!text || !*text) return;

  std::string name = text;
  if (name.find('"') != std::string::npos) {
    if (name.front() == '"') name.erase(0, 1);
    if (!name.empty() && name.back() == '"') name.pop_back();
  }
  if (LoaderBusy()) {
    // A drawing runs: the windows are closed (ending it) and the request comes again.
    s.PaintEnabled = false;
    s.PendingName = name;
    client->PostMessage(res::CM_CLOSECHILDREN, 0, 0);
    // The closing waits for the drawing to return: stop it now rather than at its end.
    if (platform::qt::InputQueue* queue = platform::qt::InputQueue::Instance())
      queue->StopDrawing();
    if (++s.RetryCount < kMaxRetries)
      frame->PostMessage(WM_OPENBYNAME, how, reinterpret_cast<intptr_t>(s.PendingName.c_str()));
    return;
  }
  s.RetryCount = 0;
  // The kinds are decided on the upper-cased name, which is also what the user sees; the file
  // is opened by the name as given, since file names here are case-sensitive.
  const std::string upper = UpperCased(name);
  const bool library = upper.find(".SLB") != std::string::npos;
  const bool slide = upper.find(".SLD") != std::string::npos;
  const bool rendering = upper.find(".RND") != std::string::npos;
  if (!library && !slide && !rendering)
    platform::ShowErrorBox(frame, res::LoadString(res::IDS_SELECTSLD).c_str(), upper.c_str(), 0);
  if (handedOver && s.AutoClose) client->CloseChildren();
  s.PaintEnabled = false;

  // Only a file that opened is listed among the recent ones.
  if (slide || rendering) {
    if (s.FirstPaintPending) platform::ShowMex(frame, upper.c_str(), kFrameTitle, 0x40, 0);
    auto* child = new TMyChild(client, LastComponent(upper), name, "");
    child->Create();
    platform::ShowMex(nullptr, nullptr, nullptr, 0, 0);
    child->raise();
    if (!child->Refused()) NoteRecentFile(name);
  }
  if (library && (how & kOpenFromOutside) && s.LibraryView) {
    // Another program's library: one window of miniatures rather than a window a member.
    BrowseLibrary(name);
    NoteRecentFile(name);
  } else if (library) {
    char member[64];
    bool opened = false;
    while (MemberIterator(name.c_str(), member) == 1) {
      if (s.FirstPaintPending)
        platform::ShowMex(frame, ShownMemberName(member).c_str(), kFrameTitle, 0x40, 0);
      auto* child = new TMyChild(client, member, name, member);
      child->Create();
      opened = opened || !child->Refused();
    }
    if (opened) NoteRecentFile(name);
    platform::ShowMex(nullptr, nullptr, nullptr, 0, 0);
    // Random data or a damaged directory: what could be listed is open, and the user is told.
    if (LastListingEnd() == ListingEnd::kNotLibrary)
      platform::ShowErrorBox(frame, (name + " is not a slide library.").c_str(), "Error", 0);
    if (LastListingEnd() == ListingEnd::kDamaged)
      platform::ShowErrorBox(
          frame,
          (name + ": the library's directory is damaged; the members after it are left out.")
              .c_str(),
          "Error", 0);
    if (s.ChildCount < kTileLimit) {
      client->SendMessage(framework::WM_COMMAND, res::CM_TILECHILDREN, 0);
    } else {
      client->SendMessage(framework::WM_COMMAND, res::CM_ICONIZEALL, 0);
    }
  }
  client->RepaintAll();
}

}  // namespace

void BrowseLibrary(const std::string& path) {
  TMyWindow* client = Shell().Client;
  if (!client) return;
  for (framework::TMDIChild* c : client->Children())
    if (auto* b = dynamic_cast<TLibraryBrowser*>(c); b && b->FileName() == path && !b->Closing()) {
      if (b->IsIconic()) b->showNormal();
      client->setActiveSubWindow(b);
      return;
    }
  auto* browser = new TLibraryBrowser(client, path);
  browser->Create();
  browser->raise();
  client->setActiveSubWindow(browser);
}

}  // namespace lanterna
