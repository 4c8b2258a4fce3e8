// Slide libraries as the loader reads them, written once: the directory listed, the first
// members looked up and drawn small, and names that are not there looked up.
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "output/render_job.h"
#include "slide/library.h"

namespace {

constexpr size_t kMembersDrawn = 4;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace lanterna;
  fuzz::QuietServices();
  const std::string path = fuzz::InputFile(data, size, ".slb");
  std::vector<std::string> names;
  char name[kLibraryNameLength + 8];
  while (MemberIterator(path.c_str(), name)) names.emplace_back(name);
  LastListingEnd();
  for (size_t i = 0; i < names.size() && i < kMembersDrawn; ++i)
    fuzz::DrawFile(path, names[i], 32, 24);
  for (const std::string& absent :
       {std::string("NO SUCH MEMBER"), names.empty() ? std::string("a") : names[0] + "~"})
    ReadSlideExtent(path, absent);
  return 0;
}
