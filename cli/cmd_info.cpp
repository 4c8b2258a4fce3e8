// lanterna-cli info: the slide information report.
#include <cstdio>

#include "cli/cli_common.h"
#include "platform/window.h"
#include "slide/report.h"

namespace lanterna {

int InfoCommand(const Args& args) {
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
