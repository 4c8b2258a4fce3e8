#include "cli/library_entries.h"

#include <sys/stat.h>

#include <cstdio>

#include "cli/cli_common.h"
#include "slide/library.h"
#include "slide/library_writer.h"
#include "slide/slide_kind.h"
#include "slide/slide_types.h"

namespace lanterna {

namespace {

bool IsFile(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace

bool AddEntries(const std::string& arg, std::vector<std::string>* list) {
  const SlideName name = ParseSlideName(arg);
  // The writer splits its texts at the first comma: a path must not hold one.
  if (name.path.find(',') != std::string::npos) {
    std::fprintf(stderr, "lanterna-cli: %s: a path with a comma cannot be a library entry\n",
                 arg.c_str());
    return false;
  }
  if (!name.member.empty()) {
    list->push_back(name.path + "," + name.member);
  } else if (SlideKindOf(name.path) == kKindLibrary && IsFile(name.path)) {
    char member[kLibraryNameLength + 8];
    while (MemberIterator(name.path.c_str(), member)) list->push_back(name.path + "," + member);
  } else {
    list->push_back(name.path);
  }
  return true;
}

void ReportFailure(const std::string& entry, int32_t result) {
  const ListEntry e = SplitListEntry(entry);
  switch (result) {
    case kNoMemberName:
      std::fprintf(stderr, "lanterna-cli: %s: no member name can be made from it\n", entry.c_str());
      break;
    case kChangedSize:
      std::fprintf(stderr, "lanterna-cli: %s: changed while the library was written\n",
                   entry.c_str());
      break;
    case kTooLarge:
      std::fprintf(stderr, "lanterna-cli: %s: the library would pass 2 GiB\n", entry.c_str());
      break;
    default:
      LoaderFailure(e.library.empty() ? SlideName{entry, ""} : SlideName{e.library, e.member},
                    result);
  }
}

}  // namespace lanterna
