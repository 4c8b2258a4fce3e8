#include "dialogs/export_picture.h"

#include <cstdio>

#include "dialogs/generic_input.h"
#include "framework/file_dialog.h"
#include "output/atomic_output.h"
#include "output/image_writer.h"
#include "output/render_job.h"
#include "output/slide_pdf.h"
#include "platform/exten.h"
#include "resources/dialog_templates.h"
#include "resources/resources.h"
#include "shell/child.h"
#include "shell/shell_state.h"
#include "slide/slide_kind.h"

namespace lanterna {

namespace {

constexpr int kMaxExportSide = 16384;

bool EndsWithNoCase(const std::string& path, const char* tail) {
  const std::string upper = UpperCased(path), t = UpperCased(tail);
  return upper.size() >= t.size() && upper.compare(upper.size() - t.size(), t.size(), t) == 0;
}

}  // namespace

bool ParsePictureSize(const std::string& text, int* width, int* height) {
  int w = 0, h = 0;
  char x = 0, extra = 0;
  if (std::sscanf(text.c_str(), " %d %c %d %c", &w, &x, &h, &extra) != 3 || (x != 'x' && x != 'X'))
    return false;
  if (w < 1 || h < 1 || w > kMaxExportSide || h > kMaxExportSide) return false;
  *width = w;
  *height = h;
  return true;
}

bool ExportPicture(const TMyChild& slide, const std::string& path, int width, int height) {
  const gdi::RECT client = slide.ClientRect();
  const ViewState& view = slide.NormalView();
  const int clientWidth = std::max<int>(1, client.right - client.left);
  const int clientHeight = std::max<int>(1, client.bottom - client.top);
  RenderRequest request;
  request.path = slide.FileName();
  request.member = slide.MemberName();
  request.width = width > 0 ? width : clientWidth;
  request.height = height > 0 ? height : clientHeight;
  request.zoom = view.zoom == 0 ? 1 : view.zoom;
  // The pan is in the window's pixels: at another size the same part shows.
  request.panX = static_cast<int>(static_cast<int64_t>(view.panX) * request.width / clientWidth);
  request.panY = static_cast<int>(static_cast<int64_t>(view.panY) * request.height / clientHeight);
  AtomicOutput out(path);
  bool writeFailed = false;
  if (EndsWithNoCase(path, ".svg") || EndsWithNoCase(path, ".pdf")) {
    const int32_t result = EndsWithNoCase(path, ".svg")
                               ? RenderSlideSvg(request, out.TempPath(), &writeFailed)
                               : RenderSlidePdf(request, out.TempPath(), &writeFailed);
    return result >= 0 && !writeFailed && out.Commit();
  }
  const RenderResult picture = RenderSlide(request);
  return picture.result >= 0 && picture.bitmap && WritePng(out.TempPath(), *picture.bitmap) &&
         out.Commit();
}

void CmExportPicture(QWidget* parent, TMyChild* active) {
  if (!active) return;
  framework::TOpenSaveDialog::TData data;
  data.Flags = framework::OFN_HIDEREADONLY | framework::OFN_OVERWRITEPROMPT;
  data.Filters = {{"PNG picture (*.png)", "*.png"},
                  {"SVG picture (*.svg)", "*.svg"},
                  {"PDF document (*.pdf)", "*.pdf"}};
  data.InitialDir = Shell().LastDir;
  data.DefExt = "png";
  data.MaxPath = 4096;
  data.FileName = active->FileStem() + ".png";
  framework::TFileSaveDialog dialog(parent, data, "", "Export Picture");
  if (dialog.Execute() != framework::IDOK) return;
  const gdi::RECT client = active->ClientRect();
  char size[32];
  std::snprintf(size, sizeof size, "%dx%d", static_cast<int>(client.right - client.left),
                static_cast<int>(client.bottom - client.top));
  TGenericInput ask(parent, res::kGenericInputDialog, "Picture size (width x height)", size,
                    sizeof size - 1);
  if (ask.Execute() != framework::IDOK) return;
  int width = 0, height = 0;
  if (!ParsePictureSize(size, &width, &height)) {
    platform::ShowErrorBox(active, (std::string("Not a picture size: ") + size).c_str(), "Error",
                           0);
    return;
  }
  if (ExportPicture(*active, data.FileName, width, height)) {
    SetStatusText("Picture written to " + data.FileName);
  } else {
    platform::ShowErrorBox(active, ("Cannot write " + data.FileName).c_str(), "Error", 0);
  }
}

}  // namespace lanterna
