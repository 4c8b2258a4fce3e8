// lanterna-cli list: the member names of a library.
#include <cstdio>

#include "cli/cli_common.h"
#include "platform/file_open.h"
#include "slide/library.h"

namespace lanterna {

namespace {

const char kListHelp[] =
    "usage: lanterna-cli list LIBRARY\n"
    "\n"
    "Prints the member names of a slide library, one a line, in directory order.\n"
    "\n"
    "Exit status: 0 listed, 1 the library cannot be read, 2 usage.\n";

}  // namespace

int ListCommand(const Args& args) {
  if (WantsHelp(args)) return Help(kListHelp);
  if (args.size() != 1) return Usage();
  const std::string& path = args[0];
  char name[kLibraryNameLength + 8];
  // The listing reports a library it cannot open itself ("File Not Found").
  if (std::FILE* probe = platform::OpenRegularFile(path.c_str())) {
    std::fclose(probe);
  } else {
    MemberIterator(path.c_str(), name);
    return kExitFailed;
  }
  while (MemberIterator(path.c_str(), name)) std::printf("%s\n", name);
  return ListingComplete(path) ? kExitOk : kExitFailed;
}

}  // namespace lanterna
