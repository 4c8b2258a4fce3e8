// lanterna-cli sheet: every slide given, and every member of every library given, in a grid
// with its name under it; the catalogue of a symbol library.
#include <cstdlib>

#include "cli/batch.h"
#include "cli/cli_common.h"
#include "cli/member_names.h"
#include "cli/stdout_output.h"
#include "output/contact_sheet.h"
#include "output/loader_messages.h"

namespace lanterna {

namespace {

const char kSheetHelp[] =
    "usage: lanterna-cli sheet INPUT... -o OUT.pdf|OUT.png [--columns N] [--cell WxH]\n"
    "\n"
    "Draws every slide given, and every member of every library given alone, in a grid with\n"
    "its name under it: a PDF with one page per grid (vector pictures, names as text), or\n"
    "one PNG image of all of them.\n"
    "\n"
    "  -o OUT        the sheet, in the format its extension names\n"
    "  --columns N   cells across, 1 to 100 (default 4)\n"
    "  --cell WxH    each picture's box, 16 to 4096 each (default 240x180; points on a PDF,\n"
    "                pixels on a PNG)\n"
    "\n"
    "Exit status: 0 written, 1 a slide could not be read (its cell stays empty) or the sheet\n"
    "not written, 2 usage.\n";

// The name under a cell: the member's for a library member, else the file's.
std::string Label(const SlideName& slide) {
  if (!slide.member.empty()) return ShownName(slide.member);
  const size_t slash = slide.path.find_last_of('/');
  return slash == std::string::npos ? slide.path : slide.path.substr(slash + 1);
}

}  // namespace

int SheetCommand(const Args& args) {
  if (WantsHelp(args)) return Help(kSheetHelp);
  std::vector<std::string> inputs;
  std::string output;
  SheetLayout layout;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const bool hasValue = i + 1 < args.size();
    if (a == "-o") {
      if (!hasValue) return Usage("-o needs a file name");
      output = args[++i];
    } else if (a == "--columns") {
      char* end = nullptr;
      const std::string v = hasValue ? args[++i] : "";
      const long n = std::strtol(v.c_str(), &end, 10);
      if (v.empty() || *end || n < 1 || n > 100)
        return Usage("--columns needs a number from 1 to 100");
      layout.columns = static_cast<int>(n);
    } else if (a == "--cell") {
      if (!hasValue || !ParsePair(args[++i], 'x', &layout.cellWidth, &layout.cellHeight) ||
          layout.cellWidth < 16 || layout.cellHeight < 16 || layout.cellWidth > 4096 ||
          layout.cellHeight > 4096)
        return Usage("--cell needs WxH, each 16 to 4096");
    } else if (a.size() > 1 && a[0] == '-') {
      return Usage(("unknown option " + a).c_str());
    } else if (a == "-") {
      return Usage("a sheet reads named files, not standard input");
    } else {
      inputs.push_back(a);
    }
  }
  if (inputs.empty()) return Usage("no slide given");
  if (output.empty()) return Usage("no output: give -o OUT.pdf or -o OUT.png");
  const bool pdf = EndsWith(output, ".PDF");
  if (!pdf && !EndsWith(output, ".PNG")) return Usage("the sheet must be .pdf or .png");

  std::vector<SheetEntry> entries;
  bool allFound = true;
  for (const BatchItem& item : PlanBatch(inputs, ".", ".png")) {
    if (!item.problem.empty()) {
      Complain("lanterna-cli: %s: %s\n", item.label.c_str(), item.problem.c_str());
      allFound = false;
      continue;
    }
    entries.push_back({item.slide, Label(item.slide)});
  }
  GuardedOutput out(output);
  bool writeFailed = false;
  const bool drawn = WriteSheet(
      entries, layout, out.TempPath(), pdf,
      [](const SlideName& slide, int32_t result) {
        if (result < 0)
          LoaderFailure(slide, result);
        else
          Complain("lanterna-cli: %s: %s\n", ShownLabel(slide).c_str(), kEndsEarly);
      },
      &writeFailed);
  if (writeFailed || !out.Commit()) {
    Complain("lanterna-cli: %s: cannot write: %s\n", output.c_str(), LastError().c_str());
    return kExitFailed;
  }
  return drawn && allFound ? kExitOk : kExitFailed;
}

}  // namespace lanterna
