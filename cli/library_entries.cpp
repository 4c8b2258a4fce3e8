#include "cli/library_entries.h"

#include <sys/stat.h>

#include <cstdio>
#include <memory>

#include "cli/cli_common.h"
#include "cli/member_names.h"
#include "output/render_job.h"
#include "platform/gdi/gdi.h"
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
  const SlideName name = ParseSlideArg(arg);
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
    // Members past a damaged entry would be left out without a word.
    if (!ListingComplete(name.path)) return false;
  } else {
    list->push_back(name.path);
  }
  return true;
}

bool EntryNames(const std::vector<std::string>& list, std::vector<std::string>* names) {
  bool ok = true;
  for (const std::string& entry : list) {
    const ListEntry e = SplitListEntry(entry);
    std::string stored = e.member, problem;
    if (e.library.empty() && !NewMemberName(e.member, &stored, &problem)) {
      Complain("lanterna-cli: %s: %s\n", entry.c_str(), problem.c_str());
      ok = false;
    }
    names->push_back(stored);
  }
  return ok;
}

bool CompleteEntries(const std::vector<std::string>& list) {
  bool ok = true;
  for (const std::string& entry : list) {
    const ListEntry e = SplitListEntry(entry);
    RenderRequest request;
    request.path = e.library.empty() ? entry : e.library;
    request.member = e.library.empty() ? "" : e.member;
    std::unique_ptr<gdi::DeviceContext> metafile = gdi::CreateMetafileDC();
    const int32_t result = RecordSlide(request, metafile.get());
    if (result < 0) {
      ReportFailure(entry, result);
      ok = false;
    } else if (LastDrawingEndedEarly()) {
      const SlideName shown{request.path, request.member};
      Complain("lanterna-cli: %s: the data ends early; a library keeps only complete slides\n",
               ShownLabel(shown).c_str());
      ok = false;
    }
  }
  return ok;
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
