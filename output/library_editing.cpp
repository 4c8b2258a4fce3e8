#include "output/library_editing.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <utility>

#include "output/member_files.h"
#include "output/name_codec.h"
#include "slide/library.h"
#include "slide/library_edit.h"
#include "slide/library_writer.h"
#include "slide/slide_kind.h"
#include "slide/slide_types.h"

namespace lanterna {

namespace {

LibraryEditOutcome Refused(std::string problem) {
  return {false, std::move(problem)};
}

LibraryEditOutcome Write(platform::HWND owner, const std::string& library, LibraryPlan& plan) {
  const LibraryWriteResult r = WriteSlideLibrary(owner, library, plan.list, false, &plan.names);
  if (r.written) return {true, ""};
  if (!r.failures.empty())
    return Refused(plan.list[r.failures.front().entry] + ": " +
                   EntryFailureText(r.failures.front().result));
  if (r.ioError) return Refused(std::strerror(r.ioError));
  return Refused("the library could not be written");
}

// The stored name of a new member typed or taken from a file name.
bool StoredName(const std::string& text, const std::string& codePage, std::string* stored,
                std::string* problem) {
  if (!EncodeName(text, codePage, stored)) {
    *problem = "\"" + text + "\" cannot be a member name: " + codePage + " has no bytes for it";
    return false;
  }
  if (stored->size() > kMaxMemberName || !IsMemberName(*stored)) {
    *problem = "\"" + text + "\" cannot be a member name (1 to " + std::to_string(kMaxMemberName) +
               " bytes, no blanks, commas or control characters)";
    return false;
  }
  return true;
}

}  // namespace

LibraryEditOutcome AddToLibrary(platform::HWND owner, const std::string& library,
                                const std::vector<std::string>& sources,
                                const std::string& codePage) {
  std::vector<std::string> entries, names;
  for (const std::string& source : sources) {
    const ListEntry e = SplitListEntry(source);
    if (!e.library.empty()) {
      entries.push_back(source);
      names.push_back(e.member);
    } else if (SlideKindOf(source) == kKindLibrary) {
      if (source.find(',') != std::string::npos)
        return Refused(source + ": a path with a comma cannot be a library entry");
      char member[kLibraryNameLength + 8];
      while (MemberIterator(source.c_str(), member)) {
        entries.push_back(source + "," + member);
        names.push_back(member);
      }
      if (LastListingEnd() != ListingEnd::kComplete)
        return Refused(source + ": not a slide library, or its directory is damaged");
    } else {
      if (source.find(',') != std::string::npos)
        return Refused(source + ": a path with a comma cannot be a library entry");
      std::string stored, problem;
      if (!StoredName(e.member, codePage, &stored, &problem)) return Refused(problem);
      entries.push_back(source);
      names.push_back(stored);
    }
  }
  if (entries.empty()) return Refused("nothing to add");
  for (const std::string& entry : entries) {
    const ListEntry e = SplitListEntry(entry);
    const bool member = !e.library.empty();
    if (!SlideComplete(member ? e.library : entry, member ? e.member : ""))
      return Refused(entry + ": not a slide, or its data ends early");
  }
  LibraryPlan plan;
  std::string problem = ReadLibraryPlan(library, &plan);
  if (problem.empty()) problem = PlanAdd(&plan, entries, false, &names);
  return problem.empty() ? Write(owner, library, plan) : Refused(problem);
}

LibraryEditOutcome RemoveFromLibrary(platform::HWND owner, const std::string& library,
                                     const std::vector<std::string>& members) {
  LibraryPlan plan;
  std::string problem = ReadLibraryPlan(library, &plan);
  if (problem.empty()) problem = PlanRemove(&plan, members);
  return problem.empty() ? Write(owner, library, plan) : Refused(problem);
}

LibraryEditOutcome RenameInLibrary(platform::HWND owner, const std::string& library,
                                   const std::string& member, const std::string& newName,
                                   const std::string& codePage) {
  std::string stored, problem;
  if (!StoredName(newName, codePage, &stored, &problem)) return Refused(problem);
  LibraryPlan plan;
  problem = ReadLibraryPlan(library, &plan);
  if (problem.empty()) problem = PlanRename(&plan, member, stored);
  return problem.empty() ? Write(owner, library, plan) : Refused(problem);
}

LibraryUndo::~LibraryUndo() {
  Drop();
}

void LibraryUndo::Drop() {
  if (!copy_.empty()) ::unlink(copy_.c_str());
  copy_.clear();
}

void LibraryUndo::TakeOver(LibraryUndo& other) {
  if (&other == this) return;
  Drop();
  library_ = std::move(other.library_);
  copy_ = std::move(other.copy_);
  other.copy_.clear();
}

bool LibraryUndo::Keep(const std::string& library) {
  Drop();
  std::ifstream in(library, std::ios::binary);
  if (!in) return false;
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return false;
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/lanterna-undo-XXXXXX.slb";
  const int fd = ::mkstemps(pattern.data(), 4);
  if (fd < 0) return false;
  bool ok = true;
  for (size_t done = 0; ok && done < bytes.size();) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    ok = n > 0;
    if (ok) done += static_cast<size_t>(n);
  }
  ok = ::close(fd) == 0 && ok;
  if (!ok) {
    ::unlink(pattern.c_str());
    return false;
  }
  library_ = library;
  copy_ = pattern;
  return true;
}

LibraryEditOutcome LibraryUndo::Restore(platform::HWND owner) {
  if (copy_.empty()) return Refused("there is no edit to undo");
  LibraryPlan plan;
  const std::string problem = ReadLibraryPlan(copy_, &plan);
  if (!problem.empty()) return Refused(problem);
  LibraryEditOutcome outcome = Write(owner, library_, plan);
  if (outcome.written) Drop();
  return outcome;
}

}  // namespace lanterna
