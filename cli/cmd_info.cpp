// lanterna-cli info: the slide information report.
#include <cstdio>
#include <memory>

#include "cli/cli_common.h"
#include "cli/member_names.h"
#include "cli/stdin_spool.h"
#include "output/loader_messages.h"
#include "output/render_job.h"
#include "platform/file_open.h"
#include "platform/window.h"
#include "slide/library.h"
#include "slide/loader.h"
#include "slide/report.h"
#include "slide/slide_kind.h"
#include "slide/slide_types.h"

namespace lanterna {

namespace {

const char kInfoHelp[] =
    "usage: lanterna-cli info FILE[,MEMBER]\n"
    "\n"
    "Prints the slide information report: file size and format, the header's facts (size,\n"
    "aspect, byte order) and, for rendering slides, colours, shading and background. A\n"
    "library without a member gives its member count and names. FILE - reads a slide from\n"
    "standard input.\n"
    "\n"
    "Exit status: 0 reported, 1 the slide cannot be read, 2 usage.\n";

// A library named alone: how many members it has and their names, in directory order.
int ListMembers(const std::string& path) {
  if (std::FILE* probe = platform::OpenRegularFile(path.c_str())) {
    std::fclose(probe);
  } else {
    Complain("lanterna-cli: %s: cannot open: %s\n", path.c_str(),
             platform::WhyNotOpened(path.c_str()).c_str());
    return kExitFailed;
  }
  std::vector<std::string> names;
  if (!StoredNames(path, &names)) return kExitFailed;
  std::printf("%s: slide library, %zu member%s\n", path.c_str(), names.size(),
              names.size() == 1 ? "" : "s");
  for (const std::string& n : names) std::printf("  %s\n", ShownName(n).c_str());
  return kExitOk;
}

}  // namespace

int InfoCommand(const Args& args) {
  if (WantsHelp(args)) return Help(kInfoHelp);
  if (args.size() != 1) return Usage("info takes one FILE[,MEMBER]");
  if (args[0].size() > 1 && args[0][0] == '-') return Usage(("unknown option " + args[0]).c_str());
  SlideName name = args[0] == "-" ? SlideName{"-", ""} : ParseSlideArg(args[0]);
  if (name.member.empty() && SlideKindOf(name.path) == kKindLibrary) return ListMembers(name.path);
  StdinSpool spool;
  if (!spool.Take(&name)) return kExitFailed;
  // A true-colour window owns the report, as on a desktop without a palette.
  platform::HeadlessWindow owner(1, 1);
  std::vector<char> member(name.member.begin(), name.member.end());
  member.resize(member.size() + 40, 0);
  std::string text;
  if (!BuildSlideReport(&owner, name.path.c_str(), member.data(), nullptr, &text)) {
    const SlideExtent e = ReadSlideExtent(name.path, name.member);
    const SlideName shown = spool.Active() ? SlideName{kStdinLabel, ""} : name;
    return LoaderFailure(shown, e.result < 0 ? e.result : kNotSlide);
  }
  // Standard input is named as such, not by the temporary file it was read into.
  for (size_t at; spool.Active() && (at = text.find(name.path)) != std::string::npos;)
    text.replace(at, name.path.size(), kStdinLabel);
  std::fputs(text.c_str(), stdout);
  if (!text.empty() && text.back() != '\n') std::fputc('\n', stdout);
  // The header alone says nothing of the rest: the slide is read through to tell one cut short.
  RenderRequest whole;
  whole.path = name.path;
  whole.member = name.member;
  std::unique_ptr<gdi::DeviceContext> metafile = gdi::CreateMetafileDC();
  if (RecordSlide(whole, metafile.get()) >= 0 && LastDrawingEndedEarly()) {
    std::fflush(stdout);
    Complain("lanterna-cli: %s: %s\n", spool.Active() ? kStdinLabel : ShownLabel(name).c_str(),
             kEndsEarly);
    return kExitFailed;
  }
  return kExitOk;
}

}  // namespace lanterna
