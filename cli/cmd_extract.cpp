// lanterna-cli extract: library members written out as slide files.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <set>

#include "cli/batch.h"
#include "cli/cli_common.h"
#include "cli/member_names.h"
#include "output/member_files.h"
#include "platform/file_open.h"
#include "slide/library.h"
#include "slide/loader.h"
#include "slide/slide_kind.h"
#include "slide/slide_types.h"

namespace lanterna {

namespace {

const char kExtractHelp[] =
    "usage: lanterna-cli extract LIBRARY [MEMBER...] [-d DIR]\n"
    "\n"
    "Writes members of the slide library LIBRARY as files in DIR (default: the current\n"
    "directory, created when missing), each an unchanged copy named after its member:\n"
    "NAME.SLD, or NAME.RND for an AutoShade rendering slide, NAME decoded from the code page\n"
    "of --names; a \"/\" in a name becomes \"_\", and names that come out alike take _2, _3...\n"
    "Without MEMBERs every member is written, in directory order; MEMBERs are matched\n"
    "without regard to case and the files take the names as stored. Each file is written\n"
    "under a temporary name and renamed when complete; existing files are replaced. The\n"
    "path of every file written is printed.\n"
    "\n"
    "  -d DIR  the directory for the files\n"
    "\n"
    "Exit status: 0 all written, 1 the library unreadable, a member missing or a file not\n"
    "written (each named), 2 usage.\n";

// The member's file name: its shown name, made unique among the files of this run.
std::string FileNameFor(const std::string& member, bool rendering, std::set<std::string>* taken) {
  return MemberFileName(ShownName(member), rendering, taken);
}

bool WriteOutput(const std::string& path, const std::string& bytes) {
  const int error = WriteFileAtomically(path, bytes);
  if (error)
    std::fprintf(stderr, "lanterna-cli: %s: cannot write: %s\n", path.c_str(),
                 std::strerror(error));
  return error == 0;
}

}  // namespace

int ExtractCommand(const Args& args) {
  std::vector<std::string> plain;
  std::string dir = ".";
  bool options = true;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (options && (a == "--help" || a == "-h")) {
      std::fputs(kExtractHelp, stdout);
      return kExitOk;
    }
    if (options && a == "--") {
      options = false;
    } else if (options && a == "-d") {
      if (++i == args.size() || args[i].empty()) return Usage("-d needs a directory");
      dir = args[i];
    } else if (options && !a.empty() && a[0] == '-') {
      return Usage(("unknown option " + a).c_str());
    } else {
      plain.push_back(a);
    }
  }
  if (plain.empty()) return Usage("extract needs a library");
  const std::string library = plain[0];
  if (SlideKindOf(library) != kKindLibrary) {
    std::fprintf(stderr, "lanterna-cli: %s: not a slide library (.slb)\n", library.c_str());
    return kExitFailed;
  }
  if (std::FILE* probe = platform::OpenRegularFile(library.c_str())) {
    std::fclose(probe);
  } else {
    return LoaderFailure({library, ""}, kCannotOpen);
  }
  std::vector<std::string> stored;
  if (!StoredNames(library, &stored)) return kExitFailed;

  bool failed = false;
  std::vector<std::string> wanted;
  if (plain.size() == 1) {
    wanted = stored;
  } else {
    for (size_t i = 1; i < plain.size(); ++i) {
      const std::string upper = UpperCasedName(StoredMemberName(library, plain[i]));
      size_t at = 0;
      while (at < stored.size() && UpperCasedName(stored[at]) != upper) ++at;
      if (at < stored.size()) {
        wanted.push_back(stored[at]);
      } else {
        LoaderFailure({library, plain[i]}, kNotFound);
        failed = true;
      }
    }
  }

  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (ec) {
    std::fprintf(stderr, "lanterna-cli: %s: cannot create: %s\n", dir.c_str(),
                 ec.message().c_str());
    return kExitFailed;
  }

  size_t written = 0;
  std::set<std::string> done, files;
  for (const std::string& member : wanted) {
    // Lookup ignores case, so a later member of the same name is never the one read.
    if (!done.insert(UpperCasedName(member)).second) {
      if (plain.size() == 1) {
        std::fprintf(stderr, "lanterna-cli: %s: a second member named %s cannot be read\n",
                     library.c_str(), ShownName(member).c_str());
        failed = true;
      }
      continue;
    }
    std::string bytes;
    int32_t result = 0;
    if (!ReadMemberBytes(library, member, &bytes, &result)) {
      LoaderFailure({library, member}, result);
      failed = true;
      continue;
    }
    const bool rendering = IsRenderingBytes(bytes);
    const std::string path = dir + "/" + FileNameFor(member, rendering, &files);
    if (!WriteOutput(path, bytes)) {
      failed = true;
      continue;
    }
    std::printf("%s\n", path.c_str());
    // A member cut short by the end of the file is written as it is, and not counted.
    if (!rendering && !SlideComplete(library, member)) {
      std::fprintf(stderr, "lanterna-cli: %s: %s\n", ShownLabel({library, member}).c_str(),
                   "the data ends early; the file holds what there is");
      failed = true;
      continue;
    }
    ++written;
  }
  std::fprintf(stderr, "lanterna-cli: %s: %zu of %zu members extracted to %s\n", library.c_str(),
               written, plain.size() == 1 ? stored.size() : plain.size() - 1, dir.c_str());
  return failed ? kExitFailed : kExitOk;
}

}  // namespace lanterna
