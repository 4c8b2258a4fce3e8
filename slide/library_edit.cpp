#include "slide/library_edit.h"

#include <cstdio>

#include "platform/file_open.h"
#include "slide/library.h"
#include "slide/library_writer.h"
#include "slide/slide_kind.h"

namespace lanterna {

namespace {

constexpr size_t kNone = static_cast<size_t>(-1);

size_t IndexOf(const LibraryPlan& plan, const std::string& name) {
  const std::string upper = UpperCasedName(name);
  for (size_t i = 0; i < plan.names.size(); ++i)
    if (UpperCasedName(plan.names[i]) == upper) return i;
  return kNone;
}

}  // namespace

std::string ReadLibraryPlan(const std::string& library, LibraryPlan* plan) {
  // A comma in the path would end it early when the writer splits its entries.
  if (library.find(',') != std::string::npos) return "a library path cannot hold a comma";
  std::FILE* probe = platform::OpenRegularFile(library.c_str());
  if (!probe) return "cannot open: " + platform::WhyNotOpened(library.c_str());
  std::fclose(probe);
  char name[kLibraryNameLength + 8];
  while (MemberIterator(library.c_str(), name)) {
    plan->list.push_back(library + "," + name);
    plan->names.push_back(name);
  }
  switch (LastListingEnd()) {
    case ListingEnd::kComplete:
      return "";
    case ListingEnd::kNotLibrary:
      return "not a slide library";
    case ListingEnd::kDamaged:
      return "damaged library directory";
    case ListingEnd::kCannotOpen:
      break;
  }
  return "cannot open";
}

bool IsMemberName(const std::string& name) {
  if (name.empty() || name.size() > kMaxMemberName) return false;
  // Bytes of 0x80 and more are characters of the library's code page.
  for (const char c : name) {
    const auto b = static_cast<unsigned char>(c);
    if (b <= ' ' || b == 0x7F || c == ',') return false;
  }
  return true;
}

std::string PlanAdd(LibraryPlan* plan, const std::vector<std::string>& entries, bool replace,
                    const std::vector<std::string>* names) {
  const size_t before = plan->names.size();
  for (size_t e = 0; e < entries.size(); ++e) {
    const std::string& entry = entries[e];
    // A file's base name is cut to the field as the library writer cuts it.
    const std::string name = names && e < names->size()
                                 ? (*names)[e]
                                 : SplitListEntry(entry).member.substr(0, kMaxMemberName);
    if (!IsMemberName(name)) return entry + ": \"" + name + "\" cannot be a member name";
    const size_t at = IndexOf(*plan, name);
    if (at == kNone) {
      plan->list.push_back(entry);
      plan->names.push_back(name);
    } else if (replace && at < before) {
      // Replacing keeps the place and the stored spelling of the name.
      plan->list[at] = entry;
    } else {
      return entry + ": a member " + plan->names[at] + " is already there" +
             (at < before ? " (--replace replaces it)" : " (given twice)");
    }
  }
  return "";
}

std::string PlanRemove(LibraryPlan* plan, const std::vector<std::string>& members) {
  for (const std::string& member : members) {
    const size_t at = IndexOf(*plan, member);
    if (at == kNone) return "no member " + member;
    plan->list.erase(plan->list.begin() + static_cast<std::ptrdiff_t>(at));
    plan->names.erase(plan->names.begin() + static_cast<std::ptrdiff_t>(at));
  }
  return "";
}

std::string PlanRename(LibraryPlan* plan, const std::string& from, const std::string& to) {
  const size_t at = IndexOf(*plan, from);
  if (at == kNone) return "no member " + from;
  if (!IsMemberName(to))
    return "\"" + to +
           "\" cannot be a member name (1 to 31 printable characters, no blank or comma)";
  const size_t other = IndexOf(*plan, to);
  if (other != kNone && other != at) return "a member " + plan->names[other] + " is already there";
  plan->names[at] = to;
  return "";
}

}  // namespace lanterna
