// lanterna-cli create: a slide library from slide files and members of other libraries.
#include <cstdio>
#include <cstring>

#include "cli/cli_common.h"
#include "cli/library_entries.h"
#include "cli/member_names.h"
#include "slide/library.h"
#include "slide/library_writer.h"
#include "slide/slide_kind.h"
#include "slide/slide_types.h"

namespace lanterna {

namespace {

const char kCreateHelp[] =
    "usage: lanterna-cli create LIBRARY ENTRY... [--delete-sources]\n"
    "\n"
    "Writes the slide library LIBRARY (a .slb name; an existing one is replaced) from the\n"
    "entries, in order. An ENTRY is\n"
    "  FILE             a slide file: the member is named after its base name, without\n"
    "                   directory and cut at the first \".\", in the case the path gives;\n"
    "  LIB,MEMBER       a member of a library, keeping its name (split at the last comma\n"
    "                   unless the whole text names an existing file);\n"
    "  LIB              a whole library: every member, in directory order.\n"
    "Member names that clash take the suffixes _A, _B, ... in entry order (a name is cut to\n"
    "29 bytes to make room). A file's name is stored in the code page of --names (by\n"
    "default as it is); one longer than 31 bytes, or that the code page cannot write, is an\n"
    "error. Only complete slides go in: an entry that is no slide or whose data ends early\n"
    "is an error. LIBRARY may be a source itself: its members are read before it is\n"
    "replaced. Each member name is printed with the entry it came from.\n"
    "\n"
    "  --delete-sources  after a successful write, delete the slide files given as entries\n"
    "                    (library members are never deleted)\n"
    "\n"
    "The library is built in a temporary file of its own beside LIBRARY and renamed over it\n"
    "once complete and on disk. When anything fails, LIBRARY and the sources are left as\n"
    "they were.\n"
    "Exit status: 0 written, 1 an entry could not be read or the library not written, 2 usage.\n";

}  // namespace

int CreateCommand(const Args& args) {
  std::vector<std::string> plain;
  bool deleteSources = false;
  for (const std::string& a : args) {
    if (a == "--help" || a == "-h") {
      std::fputs(kCreateHelp, stdout);
      return kExitOk;
    }
    if (a == "--delete-sources")
      deleteSources = true;
    else if (!a.empty() && a[0] == '-')
      return Usage(("unknown option " + a).c_str());
    else
      plain.push_back(a);
  }
  if (plain.size() < 2) return Usage("create needs a library and at least one entry");
  const std::string& library = plain[0];
  // Guards against a slide file given first by mistake, which would be overwritten.
  if (SlideKindOf(library) != kKindLibrary)
    return Usage(("the library name must be a .slb file: " + library).c_str());

  std::vector<std::string> list, names;
  bool usable = true;
  for (size_t i = 1; i < plain.size(); ++i) usable = AddEntries(plain[i], &list) && usable;
  usable = usable && EntryNames(list, &names);
  usable = usable && CompleteEntries(list);
  if (!usable) {
    std::fprintf(stderr, "lanterna-cli: %s: not written\n", library.c_str());
    return kExitFailed;
  }

  // Names that clash take suffixes, as the writer gives them, from the names as stored.
  const size_t n = list.size();
  std::vector<std::string> byName;
  for (const std::string& name : names) byName.push_back("," + name);
  std::vector<std::string> unique;
  for (size_t i = 0; i < n; ++i) unique.push_back(UniqueMemberName(byName, n, i));
  const LibraryWriteResult r = WriteSlideLibrary(nullptr, library, list, deleteSources, &unique);
  if (!r.written) {
    for (const EntryFailure& f : r.failures) ReportFailure(list[f.entry], f.result);
    if (r.ioError)
      std::fprintf(stderr, "lanterna-cli: %s: %s\n",
                   (r.temporary.empty() ? library : r.temporary).c_str(), std::strerror(r.ioError));
    std::fprintf(stderr, "lanterna-cli: %s: not written, left as it was\n", library.c_str());
    return kExitFailed;
  }
  for (size_t i = 0; i < n; ++i)
    std::printf("%s\t%s\n", ShownName(r.names[i]).c_str(), list[i].c_str());
  std::fprintf(stderr, "lanterna-cli: %s: %zu members written\n", library.c_str(), n);
  return kExitOk;
}

}  // namespace lanterna
