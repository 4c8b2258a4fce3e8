#include "output/loader_messages.h"

#include "platform/file_open.h"
#include "slide/library.h"
#include "slide/loader.h"
#include "slide/slide_types.h"

namespace lanterna {

std::string LoaderFailureText(const SlideName& name, int kind, int32_t result) {
  const std::string& path = name.path;
  switch (result) {
    case kEmptyPath:
      return "empty file name";
    case kCannotOpen:
      if (kind == kKindNone) return path + ": unknown kind of file (expected .SLD, .SLB or .RND)";
      return path + ": cannot open: " + platform::WhyNotOpened(path.c_str());
    case kNotFound:
      if (!name.member.empty())
        return path + ": no member " + name.member + " (or not enough memory)";
      if (kind == kKindLibrary)
        return path + ": a library: name a member as " + path +
               ",MEMBER (or give -d DIR for every member)";
      return path + ": cannot be loaded";
    case kNotSlide:
      if (!name.member.empty()) return path + "," + name.member + ": not a slide";
      return path + ": not a slide";
    default:
      return path + ": not a readable slide";
  }
}

std::string ListingFailureText(const std::string& library) {
  switch (LastListingEnd()) {
    case ListingEnd::kNotLibrary:
      return library + ": not a slide library";
    case ListingEnd::kDamaged:
      return library + ": damaged library directory; the listing stops there";
    case ListingEnd::kCannotOpen:
    case ListingEnd::kComplete:
      break;
  }
  return "";
}

}  // namespace lanterna
