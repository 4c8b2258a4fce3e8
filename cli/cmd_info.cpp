// lanterna-cli info: the slide information report.
#include <cstdio>

#include "cli/cli_common.h"
#include "platform/window.h"
#include "slide/report.h"

namespace lanterna {

namespace {

const char kInfoHelp[] =
    "usage: lanterna-cli info FILE[,MEMBER]\n"
    "\n"
    "Prints the slide information report: file size and format, the header's facts (size,\n"
    "aspect, byte order) and, for rendering slides, colours, shading and background.\n"
    "\n"
    "Exit status: 0 reported, 1 the slide cannot be read, 2 usage.\n";

}  // namespace

int InfoCommand(const Args& args) {
  if (WantsHelp(args)) return Help(kInfoHelp);
  if (args.size() != 1) return Usage();
  const SlideName name = ParseSlideName(args[0]);
  // A true-colour window owns the report, as on a desktop without a palette.
  platform::HeadlessWindow owner(1, 1);
  std::vector<char> member(name.member.begin(), name.member.end());
  member.resize(member.size() + 40, 0);
  std::string text;
  if (!BuildSlideReport(&owner, name.path.c_str(), member.data(), nullptr, &text))
    return kExitFailed;
  std::fputs(text.c_str(), stdout);
  if (!text.empty() && text.back() != '\n') std::fputc('\n', stdout);
  return kExitOk;
}

}  // namespace lanterna
