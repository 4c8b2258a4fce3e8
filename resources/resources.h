// The program's resources: menu 101, accelerator table 101, the string table, and the
// pictures of icons, cursors and button bitmaps (drawn here).
#pragma once

#include <QCursor>
#include <QIcon>
#include <QPixmap>
#include <string>

#include "framework/resources.h"

namespace lanterna::res {

// Command ids shared by menus, bar bitmaps and hint strings.
enum : uint32_t {
  CM_CLOSECHILD = 104,
  CM_SLIDEINFO = 105,
  CM_SLIDESHOWDELAY = 116,
  CM_ICONIZEALL = 1025,
  CM_RESTOREALL = 1026,
  CM_ENLARGEPREV = 1027,
  CM_ENLARGENEXT = 1028,
  CM_CONVERTDXF = 1030,
  CM_AUTOCLOSE = 1031,
  CM_CREATELIB = 1032,
  CM_REDRAW = 1033,
  CM_ZOOM = 1034,
  CM_SLIDESHOWBUTTON = 1035,
  CM_SLIDESHOW = 1036,
  CM_MEMBERNAMES = 1041,
  CM_NEXTWINDOW = 1042,
  CM_PREVWINDOW = 1043,
  CM_EXPORTPICTURE = 1044,
  CM_BROWSELIBRARY = 1045,
  CM_LIBOPEN = 1046,
  CM_LIBADD = 1047,
  CM_LIBREMOVE = 1048,
  CM_LIBRENAME = 1049,
  CM_LIBEXTRACT = 1050,
  CM_LIBUNDO = 1051,
  CM_LIBRARYVIEW = 1052,
  CM_STOPDRAWING = 1053,
  CM_BLACKBACKGROUND = 1054,
  CM_EDITCOPY = 24323,
  CM_EDITCOPYBITMAP = 24325,
  CM_EXIT = 24310,
  CM_FILEOPEN = 24332,
  CM_HELPINDEX = 24341,
  CM_HELPRENDER = 24343,
  CM_HELPSERVER = 24344,
  CM_HELPABOUT = 24346,
  CM_CASCADECHILDREN = 24361,
  CM_TILECHILDREN = 24362,
  CM_TILECHILDRENHORIZ = 24363,
  CM_ARRANGEICONS = 24364,
  CM_CLOSECHILDREN = 24365,
};

// String ids besides the hints (which have their command's id).
enum : uint32_t {
  IDS_CLICKRIGHT = 101,
  IDS_MDI = 102,
  IDS_SELECTSLD = 103,
  IDS_WAIT = 108,
  IDS_DELETEFILE = 110,
  IDS_COPY = 111,
  IDS_COPYING = 112,
  IDS_PLACEZOOM = 113,
  IDS_ZOOMBUTTONS = 114,
};

constexpr uint32_t kMainMenu = 101;
constexpr uint32_t kAccelerators = 101;
constexpr uint32_t kMainIcon = 101;

const framework::TMenuResource& MainMenu();
const framework::TAccelResource& Accelerators();
// The string table; empty for an unknown id.
std::string LoadString(uint32_t id);

// Bar and status bar button images by command id.
QPixmap ButtonBitmap(uint32_t id);
// kMainIcon, "ICON_SLIDE", "ICON_RENDER", "ICON_VOID".
QIcon LoadIcon(const std::string& name);
// "CUR_MANO" (a hand), "CUR_ZOOM".
QCursor LoadCursor(const std::string& name);

}  // namespace lanterna::res
