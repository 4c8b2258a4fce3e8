#include "resources/resources.h"

#include <QPainter>
#include <QPainterPath>
#include <map>

namespace lanterna::res {

using framework::TAccel;
using framework::TMenuItem;

const framework::TMenuResource& MainMenu() {
  static const framework::TMenuResource menu = {
      {"&File", CM_FILEOPEN, "&Open...\tCtrl+O"},
      {"&File", CM_BROWSELIBRARY, "Browse Library..."},
      {"&File", CM_CONVERTDXF, "Convert to DXF"},
      {"&File", CM_EXPORTPICTURE, "Export Picture..."},
      {"&File", CM_CREATELIB, "Create Library"},
      {"&File", 0, nullptr},
      {"&File", CM_CLOSECHILD, "Close\tAlt+X"},
      {"&File", CM_EXIT, "E&xit"},
      {"&Edit", CM_EDITCOPY, "&Copy Vectors\tCtrl+C"},
      {"&Edit", CM_EDITCOPYBITMAP, "Copy &Bitmap\tCtrl+B"},
      {"&Edit", 0, nullptr},
      {"&Edit", CM_SLIDEINFO, "Slide info...Ctrl+i"},
      {"&Edit", 0, nullptr},
      {"&Edit", CM_LIBOPEN, "Open Members\tEnter"},
      {"&Edit", CM_LIBADD, "Add Slides..."},
      {"&Edit", CM_LIBREMOVE, "Remove Members\tDel"},
      {"&Edit", CM_LIBRENAME, "Rename Member\tF2"},
      {"&Edit", CM_LIBEXTRACT, "Extract Members..."},
      {"&Edit", CM_LIBUNDO, "Undo Library Edit\tCtrl+Z"},
      {"&View", CM_BLACKBACKGROUND, "&Black Background", true},
      {"&Preferences", CM_AUTOCLOSE, "&Auto Close Windows", true},
      {"&Preferences", CM_SLIDESHOWDELAY, "Set Slide Show delay..."},
      {"&Preferences", CM_MEMBERNAMES, "Member Names..."},
      {"&Preferences", CM_LIBRARYVIEW, "Libraries as Miniatures", true},
      {"&Window", CM_REDRAW, "Redraw\tCtrl+R"},
      {"&Window", CM_STOPDRAWING, "Stop Drawing\tEsc"},
      {"&Window", CM_SLIDESHOW, "Slide Show"},
      {"&Window", 0, nullptr},
      {"&Window", CM_CASCADECHILDREN, "&Cascade"},
      {"&Window", CM_TILECHILDREN, "&Tile Vertical"},
      {"&Window", CM_TILECHILDRENHORIZ, "Tile Horizontal"},
      {"&Window", CM_ICONIZEALL, "Iconize All"},
      {"&Window", CM_RESTOREALL, "Restore All"},
      {"&Window", CM_ENLARGEPREV, "Enlarge Previous"},
      {"&Window", CM_ENLARGENEXT, "Enlarge Next"},
      {"&Window", CM_ARRANGEICONS, "Arrange &Icons"},
      {"&Window", CM_CLOSECHILDREN, "C&lose All"},
      {"\b&Help", CM_HELPINDEX, "&Index\tF1"},
      {"\b&Help", CM_HELPRENDER, "Render"},
      {"\b&Help", CM_HELPSERVER, "Server"},
      {"\b&Help", 0, nullptr},
      {"\b&Help", CM_HELPABOUT, "&About..."},
  };
  return menu;
}

const framework::TAccelResource& Accelerators() {
  static const framework::TAccelResource table = {
      {Qt::Key_C, Qt::ControlModifier, CM_EDITCOPY},
      {Qt::Key_F1, Qt::NoModifier, CM_HELPINDEX},
      {Qt::Key_B, Qt::ControlModifier, CM_EDITCOPYBITMAP},
      {Qt::Key_X, Qt::AltModifier, CM_CLOSECHILD},
      {Qt::Key_R, Qt::ControlModifier, CM_REDRAW},
      {Qt::Key_O, Qt::ControlModifier, CM_FILEOPEN},
      {Qt::Key_I, Qt::ControlModifier, CM_SLIDEINFO},
      {Qt::Key_Tab, Qt::NoModifier, CM_SLIDEINFO},  // the same character code as Ctrl+I
      // Switching slide windows as desktop MDI programs do.
      {Qt::Key_Tab, Qt::ControlModifier, CM_NEXTWINDOW},
      {Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier, CM_PREVWINDOW},
      {Qt::Key_Tab, Qt::ControlModifier | Qt::ShiftModifier, CM_PREVWINDOW},
      {Qt::Key_F6, Qt::ControlModifier, CM_NEXTWINDOW},
      {Qt::Key_F6, Qt::ControlModifier | Qt::ShiftModifier, CM_PREVWINDOW},
  };
  return table;
}

std::string LoadString(uint32_t id) {
  static const std::map<uint32_t, std::string> strings = {
      {IDS_CLICKRIGHT, "Click Right to resize"},
      {IDS_MDI, " MDI"},
      {IDS_SELECTSLD, "Select *.SLD or *.SLB (Autocad Slide)"},
      {IDS_WAIT, "Wait... "},
      {IDS_DELETEFILE, "Delete this file?"},
      {IDS_COPY, "Copy "},
      {IDS_COPYING, "Copy..."},
      {IDS_PLACEZOOM, "Place center of zoom..."},
      {IDS_ZOOMBUTTONS, "Left enlarge, Right reduce"},
      {CM_FILEOPEN, "Open Slide or Library"},
      {CM_BROWSELIBRARY, "Show a Library as a grid of miniatures"},
      {CM_LIBOPEN, "Open the selected members in slide windows"},
      {CM_LIBADD, "Add slide files or libraries to this library"},
      {CM_LIBREMOVE, "Remove the selected members from this library"},
      {CM_LIBRENAME, "Rename the current member"},
      {CM_LIBEXTRACT, "Write the selected members as slide files in a folder"},
      {CM_LIBUNDO, "Undo the last edit of this library"},
      {CM_LIBRARYVIEW, "Open libraries from other programs as a grid of miniatures"},
      {CM_CONVERTDXF, "Convert Slide to DXF"},
      {CM_EXPORTPICTURE, "Write the active window's picture as PNG, SVG or PDF"},
      {CM_CREATELIB, "Create Library file and add slides to it"},
      {CM_CLOSECHILD, "Close Active child MDI window"},
      {CM_EXIT, "Exit Program"},
      {CM_EDITCOPY, "Copy Vectorial Image in the Clipboard"},
      {CM_EDITCOPYBITMAP, "Copy Bitmap in the Clipboard"},
      {CM_SLIDEINFO, "Extended info about current slide"},
      {CM_AUTOCLOSE, "WWW Close old opened windows before open new windows"},
      {CM_SLIDESHOWDELAY, "Set Slide Show delay time"},
      {CM_MEMBERNAMES,
       "Code page of library member names (big5, gbk, cp1252...; empty: automatic)"},
      {CM_REDRAW, "Redraw Active Window"},
      {CM_BLACKBACKGROUND, "Draw slides on black, as the CAD screen shows them"},
      {CM_STOPDRAWING, "Stop the drawing under way where it is (Esc)"},
      {CM_SLIDESHOW, "Make Slides Show"},
      {CM_CASCADECHILDREN, "Cascade child MDI windows"},
      {CM_TILECHILDREN, "Tile VERTICAL child MDI windows"},
      {CM_TILECHILDRENHORIZ, "Tile HORIZONTAL child MDI windows"},
      {CM_ICONIZEALL, "Iconize all MDI windows"},
      {CM_RESTOREALL, "Restore all MDI windows"},
      {CM_ENLARGEPREV, "Enlarge previous MDI"},
      {CM_ENLARGENEXT, "Enlarge next MDI"},
      {CM_ARRANGEICONS, "Arrange all icons"},
      {CM_CLOSECHILDREN, "Close all child MDI windows"},
      {CM_HELPINDEX, "Quelna Lanterna Help"},
      {CM_HELPRENDER, "About creation of render images"},
      {CM_HELPSERVER, "How configure WWW Server to use Lanterna"},
      {CM_HELPABOUT, "Quelna information"},
      {CM_ZOOM, "Zoom current image."},
      {CM_SLIDESHOWBUTTON, "Slide Show"},
  };
  auto it = strings.find(id);
  return it == strings.end() ? std::string() : it->second;
}

namespace {

QPixmap Blank(int size) {
  QPixmap p(size, size);
  p.fill(Qt::transparent);
  return p;
}

void Window(QPainter& g, QRectF r) {
  g.setBrush(Qt::white);
  g.drawRect(r);
  g.fillRect(QRectF(r.left(), r.top(), r.width(), 3), QColor(0, 0, 128));
}

}  // namespace

QPixmap ButtonBitmap(uint32_t id) {
  QPixmap pixmap = Blank(20);
  QPainter g(&pixmap);
  g.setRenderHint(QPainter::Antialiasing, id != CM_ZOOM);
  g.setPen(QPen(Qt::black, 1));
  switch (id) {
    case CM_FILEOPEN:  // an opening folder
      g.setBrush(QColor(230, 200, 80));
      g.drawPolygon(QPolygonF({{2, 6}, {8, 6}, {10, 8}, {17, 8}, {17, 16}, {2, 16}}));
      break;
    case CM_BROWSELIBRARY:  // a grid of miniatures
      g.setBrush(Qt::white);
      for (int i = 0; i < 4; ++i) g.drawRect(QRectF(2.5 + (i % 2) * 8, 2.5 + (i / 2) * 8, 6, 6));
      g.setPen(QPen(QColor(200, 0, 0), 1));
      g.drawLine(QPointF(4, 7), QPointF(7, 4));
      g.drawLine(QPointF(12, 15), QPointF(15, 12));
      break;
    case CM_TILECHILDREN:
      Window(g, {2, 3, 7, 14});
      Window(g, {11, 3, 7, 14});
      break;
    case CM_TILECHILDRENHORIZ:
      Window(g, {2, 2, 16, 7});
      Window(g, {2, 11, 16, 7});
      break;
    case CM_ICONIZEALL:
      for (int i = 0; i < 3; ++i) Window(g, {2.0 + i * 6, 13, 5, 4});
      break;
    case CM_RESTOREALL:
      Window(g, {2, 2, 11, 9});
      Window(g, {7, 8, 11, 9});
      break;
    case CM_ENLARGEPREV:
    case CM_ENLARGENEXT: {
      g.setBrush(QColor(0, 128, 0));
      const bool next = id == CM_ENLARGENEXT;
      g.drawPolygon(next ? QPolygonF({{5, 4}, {15, 10}, {5, 16}})
                         : QPolygonF({{15, 4}, {5, 10}, {15, 16}}));
      break;
    }
    case CM_SLIDESHOWBUTTON:
      Window(g, {2, 3, 16, 12});
      g.setBrush(QColor(200, 0, 0));
      g.drawPolygon(QPolygonF({{8, 6}, {13, 9}, {8, 12}}));
      break;
    case CM_REDRAW:
      g.setBrush(Qt::NoBrush);
      g.drawArc(QRectF(4, 4, 12, 12), 30 * 16, 300 * 16);
      g.drawLine(QPointF(15, 3), QPointF(15, 8));
      g.drawLine(QPointF(15, 8), QPointF(11, 8));
      break;
    case CM_STOPDRAWING:  // a stop sign
      g.setBrush(QColor(200, 0, 0));
      g.drawPolygon(
          QPolygonF({{7, 2}, {13, 2}, {18, 7}, {18, 13}, {13, 18}, {7, 18}, {2, 13}, {2, 7}}));
      g.setPen(QPen(Qt::white, 2));
      g.drawLine(QPointF(6, 10), QPointF(14, 10));
      break;
    case CM_ZOOM:
      g.setBrush(QColor(200, 230, 255));
      g.drawEllipse(QRectF(3, 3, 10, 10));
      g.setPen(QPen(Qt::black, 3));
      g.drawLine(QPointF(12, 12), QPointF(17, 17));
      break;
    case CM_CLOSECHILDREN:
      Window(g, {3, 3, 14, 14});
      g.setPen(QPen(QColor(200, 0, 0), 2));
      g.drawLine(QPointF(6, 8), QPointF(14, 15));
      g.drawLine(QPointF(14, 8), QPointF(6, 15));
      break;
    case CM_EXIT:
      g.setBrush(QColor(160, 100, 40));
      g.drawRect(QRectF(5, 2, 10, 16));
      g.setBrush(Qt::black);
      g.drawEllipse(QRectF(12, 9, 2, 2));
      break;
    case CM_SLIDEINFO:
      g.setBrush(QColor(0, 0, 160));
      g.drawEllipse(QRectF(3, 3, 14, 14));
      g.setPen(QPen(Qt::white, 2));
      g.drawLine(QPointF(10, 9), QPointF(10, 14));
      g.drawPoint(QPointF(10, 6));
      break;
    default:
      g.drawRect(QRectF(3, 3, 14, 14));
  }
  return pixmap;
}

QIcon LoadIcon(const std::string& name) {
  QPixmap pixmap = Blank(32);
  QPainter g(&pixmap);
  g.setRenderHint(QPainter::Antialiasing);
  g.setPen(QPen(Qt::black, 1.5));
  if (name == "ICON_VOID") {
    g.setBrush(Qt::white);
    g.drawRect(QRectF(3, 5, 26, 22));
  } else if (name == "ICON_RENDER") {
    QRadialGradient shade(QPointF(13, 12), 14);
    shade.setColorAt(0, Qt::white);
    shade.setColorAt(1, QColor(180, 60, 20));
    g.setBrush(shade);
    g.drawEllipse(QRectF(4, 4, 24, 24));
  } else if (name == "ICON_SLIDE") {
    g.setBrush(Qt::white);
    g.drawRect(QRectF(3, 5, 26, 22));
    g.setPen(QPen(QColor(200, 0, 0), 1.5));
    g.drawLine(QPointF(6, 23), QPointF(16, 9));
    g.drawLine(QPointF(16, 9), QPointF(26, 23));
    g.setPen(QPen(QColor(0, 0, 200), 1.5));
    g.drawRect(QRectF(9, 15, 14, 8));
  } else {  // icon 101: a lantern
    g.setBrush(QColor(255, 210, 60));
    g.drawRoundedRect(QRectF(9, 8, 14, 18), 3, 3);
    g.setBrush(QColor(60, 60, 60));
    g.drawRect(QRectF(8, 4, 16, 4));
    g.drawRect(QRectF(8, 26, 16, 3));
    g.setBrush(QColor(255, 120, 0));
    g.drawEllipse(QRectF(13, 13, 6, 9));
  }
  return QIcon(pixmap);
}

QCursor LoadCursor(const std::string& name) {
  if (name == "CUR_ZOOM") {
    QPixmap pixmap = Blank(32);
    QPainter g(&pixmap);
    g.setRenderHint(QPainter::Antialiasing);
    g.setPen(QPen(Qt::black, 2));
    g.setBrush(QColor(255, 255, 255, 160));
    g.drawEllipse(QRectF(2, 2, 16, 16));
    g.setPen(QPen(Qt::black, 4));
    g.drawLine(QPointF(16, 16), QPointF(28, 28));
    return QCursor(pixmap, 10, 10);
  }
  return QCursor(Qt::OpenHandCursor);  // CUR_MANO: the hand
}

}  // namespace lanterna::res
