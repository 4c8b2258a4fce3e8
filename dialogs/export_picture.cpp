#include "dialogs/export_picture.h"

#include "framework/file_dialog.h"
#include "output/atomic_output.h"
#include "output/image_writer.h"
#include "output/render_job.h"
#include "output/slide_pdf.h"
#include "platform/exten.h"
#include "shell/child.h"
#include "shell/shell_state.h"
#include "slide/slide_kind.h"

namespace lanterna {

namespace {

bool EndsWithNoCase(const std::string& path, const char* tail) {
  const std::string upper = UpperCased(path), t = UpperCased(tail);
  return upper.size() >= t.size() && upper.compare(upper.size() - t.size(), t.size(), t) == 0;
}

}  // namespace

bool ExportPicture(const TMyChild& slide, const std::string& path) {
  const gdi::RECT client = slide.ClientRect();
  const ViewState& view = slide.NormalView();
  RenderRequest request;
  request.path = slide.FileName();
  request.member = slide.MemberName();
  request.width = std::max<int>(1, client.right - client.left);
  request.height = std::max<int>(1, client.bottom - client.top);
  request.zoom = view.zoom == 0 ? 1 : view.zoom;
  request.panX = view.panX;
  request.panY = view.panY;
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
  if (ExportPicture(*active, data.FileName)) {
    SetStatusText("Picture written to " + data.FileName);
  } else {
    platform::ShowErrorBox(active, ("Cannot write " + data.FileName).c_str(), "Error", 0);
  }
}

}  // namespace lanterna
