// lanterna-cli list: the member names of a library.
#include <cstdio>

#include "cli/cli_common.h"
#include "cli/member_names.h"
#include "platform/file_open.h"
#include "slide/library.h"

namespace lanterna {

namespace {

const char kListHelp[] =
    "usage: lanterna-cli list LIBRARY [--raw] [--names CODEPAGE]\n"
    "\n"
    "Prints the member names of a slide library, one a line, in directory order, decoded\n"
    "from the code page of --names (by default UTF-8 where valid, else cp1252).\n"
    "\n"
    "  --raw  print the names' stored bytes as they are\n"
    "\n"
    "Exit status: 0 listed, 1 the library cannot be read, its directory ends early or the\n"
    "list cannot be written, 2 usage.\n";

}  // namespace

int ListCommand(const Args& args) {
  if (WantsHelp(args)) return Help(kListHelp);
  Args plain;
  bool raw = false;
  for (const std::string& a : args) {
    if (a == "--raw")
      raw = true;
    else if (a.size() > 1 && a[0] == '-')
      return Usage(("unknown option " + a).c_str());
    else
      plain.push_back(a);
  }
  if (plain.size() != 1) return Usage();
  const std::string& path = plain[0];
  char name[kLibraryNameLength + 8];
  // The listing reports a library it cannot open itself ("File Not Found").
  if (std::FILE* probe = platform::OpenRegularFile(path.c_str())) {
    std::fclose(probe);
  } else {
    MemberIterator(path.c_str(), name);
    return kExitFailed;
  }
  while (MemberIterator(path.c_str(), name))
    std::printf("%s\n", raw ? name : ShownName(name).c_str());
  return ListingComplete(path) ? kExitOk : kExitFailed;
}

}  // namespace lanterna
