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
#include "output/atomic_output.h"
#include "output/render_job.h"
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

constexpr char kRenderingSignature[] = "AutoShade Rendering Slide\r\n";

// The member's shown name; "_2", "_3"... when another member's file already has it (names in
// a code page may decode alike).
std::string FileNameFor(const std::string& member, bool rendering, std::set<std::string>* taken) {
  const std::string stem = FileNameSafe(ShownName(member));
  const std::string extension = rendering ? ".RND" : ".SLD";
  std::string file = stem + extension;
  for (int n = 2; !taken->insert(file).second; ++n)
    file = stem + "_" + std::to_string(n) + extension;
  return file;
}

// A member's bytes through the loader; false with the loader's result when it cannot.
bool ReadMember(const std::string& library, const std::string& member, std::string* bytes,
                int32_t* result) {
  char* data = nullptr;
  size_t size = 0;
  std::FILE* memory = ::open_memstream(&data, &size);
  if (!memory) {
    *result = kNotFound;
    return false;
  }
  std::vector<char> name(member.begin(), member.end());
  name.push_back(0);
  *result = ShowIcon(nullptr, library.c_str(), name.data(), SI_COPY_RAW, nullptr, nullptr, nullptr,
                     memory, nullptr, nullptr, nullptr);
  const bool closed = std::fclose(memory) == 0;
  if (closed && data) bytes->assign(data, size);
  std::free(data);
  if (*result >= 0 && !closed) *result = kNotFound;
  return *result >= 0;
}

// The member's slide decodes to its end.
bool Complete(const std::string& library, const std::string& member) {
  RenderRequest request;
  request.path = library;
  request.member = member;
  std::unique_ptr<gdi::DeviceContext> metafile = gdi::CreateMetafileDC();
  return RecordSlide(request, metafile.get()) >= 0 && !LastDrawingEndedEarly();
}

bool WriteOutput(const std::string& path, const std::string& bytes) {
  AtomicOutput out(path);
  errno = 0;
  std::FILE* f = std::fopen(out.TempPath().c_str(), "wb");
  bool ok = f && std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  if (f) ok = std::fclose(f) == 0 && ok;
  ok = ok && out.Commit();
  if (!ok)
    std::fprintf(stderr, "lanterna-cli: %s: cannot write: %s\n", path.c_str(),
                 std::strerror(errno ? errno : EIO));
  return ok;
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
    if (!ReadMember(library, member, &bytes, &result)) {
      LoaderFailure({library, member}, result);
      failed = true;
      continue;
    }
    const bool rendering =
        bytes.compare(0, std::strlen(kRenderingSignature), kRenderingSignature) == 0;
    const std::string path = dir + "/" + FileNameFor(member, rendering, &files);
    if (!WriteOutput(path, bytes)) {
      failed = true;
      continue;
    }
    std::printf("%s\n", path.c_str());
    // A member cut short by the end of the file is written as it is, and not counted.
    if (!rendering && !Complete(library, member)) {
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
