// Slide libraries (.slb) as lanterna-cli reads them: listed, every member drawn and read, and
// names that are not there looked up.
#include <filesystem>
#include <string>
#include <vector>

#include "cli/cli_common.h"
#include "fuzz/fuzz_support.h"
#include "output/render_job.h"
#include "slide/library.h"

namespace {

constexpr size_t kMembersExercised = 8;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::QuietServices();
  const std::string path = fuzz::InputFile(data, size, ".slb");
  std::vector<std::string> names;
  char name[lanterna::kLibraryNameLength + 8];
  while (lanterna::MemberIterator(path.c_str(), name)) names.emplace_back(name);
  lanterna::LastListingEnd();

  // The first members get all the work, the rest a small picture each.
  for (size_t i = 0; i < names.size(); ++i) {
    if (i < kMembersExercised) {
      fuzz::ExerciseSlide(path, names[i]);
    } else {
      lanterna::RenderRequest r;
      r.path = path, r.member = names[i], r.width = 5, r.height = 3;
      lanterna::RenderSlide(r);
    }
  }
  // lanterna-cli extract reads every member's bytes through the loader, and a member named as
  // the first directory entry is, unlisted when its name is unprintable; the files' names are
  // clean either way.
  const std::string extracted = fuzz::ScratchPath("extracted");
  lanterna::ExtractCommand({path, "-d", extracted});
  if (size >= lanterna::kLibraryHeaderLength + lanterna::kLibraryNameLength) {
    char first[lanterna::kLibraryNameLength + 1];
    lanterna::TrimmedName(data + lanterna::kLibraryHeaderLength, first);
    if (first[0]) lanterna::ExtractCommand({path, first, "-d", extracted});
  }
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(extracted, ec))
    for (unsigned char c : entry.path().filename().string())
      fuzz::Require(c >= 0x20 && c != 0x7F, "extract wrote a file name with a control character");
  std::filesystem::remove_all(extracted, ec);

  for (const std::string& absent :
       {std::string("NO SUCH MEMBER"), std::string(40, 'X'), std::string(" "),
        names.empty() ? std::string("a") : names[0] + "~"}) {
    lanterna::ReadSlideExtent(path, absent);
    lanterna::RenderRequest r;
    r.path = path, r.member = absent, r.width = 5, r.height = 3;
    lanterna::RenderSlide(r);
  }
  return 0;
}
