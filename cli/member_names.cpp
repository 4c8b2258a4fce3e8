#include "cli/member_names.h"

#include <cstdio>

#include "cli/cli_common.h"
#include "output/name_codec.h"
#include "platform/file_open.h"
#include "slide/library.h"
#include "slide/library_writer.h"
#include "slide/slide_kind.h"
#include "slide/slide_types.h"

namespace lanterna {

std::string& NameCodePage() {
  static std::string codePage;
  return codePage;
}

std::string ShownName(const std::string& stored) {
  return DecodeName(stored, NameCodePage());
}

std::string ShownLabel(const SlideName& slide) {
  return slide.member.empty() ? slide.path : slide.path + "," + ShownName(slide.member);
}

bool StoredNames(const std::string& library, std::vector<std::string>* names) {
  std::FILE* probe = platform::OpenRegularFile(library.c_str());
  if (!probe) return false;
  std::fclose(probe);
  char name[kLibraryNameLength + 8];
  while (MemberIterator(library.c_str(), name)) names->push_back(name);
  return ListingComplete(library);
}

std::string StoredMemberName(const std::string& library, const std::string& given) {
  std::vector<std::string> names;
  if (SlideKindOf(library) == kKindLibrary) {
    if (std::FILE* probe = platform::OpenRegularFile(library.c_str())) {
      std::fclose(probe);
      char name[kLibraryNameLength + 8];
      while (MemberIterator(library.c_str(), name)) names.push_back(name);
    }
  }
  const std::string key = UpperCasedName(given);
  for (const std::string& n : names)
    if (UpperCasedName(n) == key) return given;
  for (const std::string& n : names)
    if (UpperCasedName(ShownName(n)) == key) return n;
  std::string encoded;
  return EncodeName(given, NameCodePage(), &encoded) ? encoded : given;
}

SlideName ParseSlideArg(const std::string& text) {
  SlideName name = ParseSlideName(text);
  if (!name.member.empty()) name.member = StoredMemberName(name.path, name.member);
  return name;
}

bool NewMemberName(const std::string& given, std::string* stored, std::string* problem) {
  if (!EncodeName(given, NameCodePage(), stored)) {
    *problem = "\"" + given + "\" cannot be a member name: " + NameCodePage() +
               " has no bytes for it";
    return false;
  }
  if (stored->size() > kMaxMemberName) {
    *problem = "\"" + given + "\" cannot be a member name: " + std::to_string(stored->size()) +
               " bytes as stored, and a name holds at most " + std::to_string(kMaxMemberName);
    return false;
  }
  return true;
}

}  // namespace lanterna
