// Writing slide libraries: names, bytes, the message window, and failures that must leave the
// old library as it was.
#include "slide/library_writer.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <functional>

#include "slide/loader.h"
#include "tests/test_support.h"

namespace {

using fixtures::Bytes;
using fixtures::LibraryBytes;
using fixtures::SlideWriter;
using lanterna::LibraryWriteResult;
using lanterna::WriteSlideLibrary;
using List = std::vector<std::string>;

bool Exists(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0;
}

std::string MakeDir(const fixtures::TempDir& dir, const std::string& name) {
  const std::string p = dir.File(name);
  std::filesystem::create_directories(p);
  return p;
}

Bytes Slide(int seed, int vectors = 3) {
  SlideWriter w(100 + seed, 80);
  for (int v = 0; v < vectors; ++v) w.Vector(seed, v, 99 - v, 79);
  return w.EndOfFile().Build();
}

// ---- Names ----

TEST(LibraryWriterNames, SplitAndTemporaryName) {
  const auto member = lanterna::SplitListEntry("/d/x.slb,Plan,B");
  EXPECT_EQ(member.library, "/d/x.slb");
  EXPECT_EQ(member.member, "Plan,B");  // the first comma splits
  const auto file = lanterna::SplitListEntry("/d.v2/sub/Roof.Old.sld");
  EXPECT_EQ(file.library, "");
  EXPECT_EQ(file.member, "Roof");  // no directory, cut at the first dot, case kept
  // Beside the file it replaces, whatever dots the path holds, unique by its last six.
  EXPECT_EQ(lanterna::TemporaryLibraryPattern("/data.v2/set.slb"), "/data.v2/set.slb.~SBXXXXXX");
}

List NamesOf(List list) {
  const size_t n = list.size();
  List names;
  for (size_t i = 0; i < n; ++i) names.push_back(lanterna::UniqueMemberName(list, n, i));
  return names;
}

TEST(LibraryWriterNames, ClashesTakeSuffixesInListOrder) {
  List list = {"/a/ROOF.SLD", "/b/ROOF.SLD", "/w/WALL.SLD", "/c/ROOF.SLD"};
  const size_t n = list.size();
  List names;
  for (size_t i = 0; i < n; ++i) names.push_back(lanterna::UniqueMemberName(list, n, i));
  EXPECT_EQ(names, (List{"ROOF_A", "ROOF_B", "WALL", "ROOF_C"}));
  // The names made are appended to the list once each.
  EXPECT_EQ(List(list.begin() + 4, list.end()), (List{"ROOF_A", "ROOF_B", "ROOF_C"}));

  EXPECT_EQ(NamesOf({"/l/x.slb,ROOF", "/d/ROOF.SLD"}), (List{"ROOF_A", "ROOF_B"}));
  // Members are found by their upper-cased names: another case is the same name.
  EXPECT_EQ(NamesOf({"/d/roof.sld", "/e/ROOF.SLD"}), (List{"roof_A", "ROOF_B"}));
  // An entry that already is a suffixed name pushes the others on.
  EXPECT_EQ(NamesOf({"/l/x.slb,ROOF_A", "/a/ROOF.sld", "/b/ROOF.sld"}),
            (List{"ROOF_A", "ROOF_B", "ROOF_C"}));
}

TEST(LibraryWriterNames, NamesFitThirtyOneCharactersAndStayUnique) {
  const std::string stem(29, 'N');
  const std::string a = stem + "XXAAAA", b = stem + "XXBBBB";  // differ after 31 characters
  EXPECT_EQ(NamesOf({"/l/x.slb," + a}), (List{stem + "XX"}));
  EXPECT_EQ(NamesOf({"/l/x.slb," + a, "/l/x.slb," + b}), (List{stem + "_A", stem + "_B"}));
  // Member names with a dot or a comma keep their made names apart from later entries.
  EXPECT_EQ(NamesOf({"/l/x.slb,A.B", "/m/y.slb,A.B", "/n/z.slb,A.B"}),
            (List{"A.B_A", "A.B_B", "A.B_C"}));
  EXPECT_EQ(NamesOf({"/l/x.slb,P,Q", "/m/y.slb,P,Q"}), (List{"P,Q_A", "P,Q_B"}));
  // Nothing to name a member by.
  EXPECT_EQ(NamesOf({"/d/.sld"}), (List{""}));
}

// ---- Bytes ----

class LibraryWriterBytes : public ::testing::Test {
 protected:
  fixtures::TempDir dir;
  fixtures::RecordedServices services;
};

TEST_F(LibraryWriterBytes, TwoRoofsAndAPlainName) {
  MakeDir(dir, "a"), MakeDir(dir, "b");
  const Bytes r1 = Slide(1), r2 = Slide(2, 7), w = Slide(3, 1);
  List list = {dir.Write("a/ROOF.SLD", r1), dir.Write("b/ROOF.SLD", r2),
               dir.Write("a/Wall.sld", w)};
  const List entries = list;
  const std::string lib = dir.File("out.slb");
  const LibraryWriteResult r = WriteSlideLibrary(nullptr, lib, list, false);
  ASSERT_TRUE(r.written) << fixtures::BoxTexts(services.boxes);
  EXPECT_EQ(fixtures::ReadFile(lib), LibraryBytes({{"ROOF_A", r1}, {"ROOF_B", r2}, {"Wall", w}}));
  EXPECT_EQ(r.names, (List{"ROOF_A", "ROOF_B", "Wall"}));
  EXPECT_EQ(list, (List{entries[0], entries[1], entries[2], "ROOF_A", "ROOF_B"}));
  EXPECT_TRUE(services.boxes.boxes.empty());
  EXPECT_FALSE(Exists(r.temporary));

  // "Wait... " first, then each entry as its bytes are copied, then closed.
  const auto& calls = services.mex.calls;
  ASSERT_EQ(calls.size(), 5u);
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(calls[i].text, i == 0 ? "Wait... " : entries[i - 1]);
    EXPECT_EQ(calls[i].title, "Quelna WWW Slide Viewer");
    EXPECT_EQ(calls[i].kind, 0x40);
  }
  EXPECT_FALSE(calls[4].hasText || calls[4].hasTitle);
  EXPECT_FALSE(services.mex.shown);
}

TEST_F(LibraryWriterBytes, NamesDifferingOnlyInCaseStayReachable) {
  MakeDir(dir, "a"), MakeDir(dir, "b");
  const Bytes r1 = Slide(1), r2 = Slide(2, 7);
  List list = {dir.Write("a/roof.sld", r1), dir.Write("b/ROOF.SLD", r2)};
  const std::string lib = dir.File("out.slb");
  ASSERT_TRUE(WriteSlideLibrary(nullptr, lib, list, false).written);
  // Lookups upper-case the name; each slide has a name of its own.
  for (const auto& [member, bytes] : {std::pair{"ROOF_A", r1}, std::pair{"roof_b", r2}}) {
    SCOPED_TRACE(member);
    char name[32];
    std::snprintf(name, sizeof name, "%s", member);
    EXPECT_EQ(lanterna::ShowIcon(nullptr, lib.c_str(), name, lanterna::SI_SIZE_ONLY, nullptr,
                                 nullptr, nullptr, nullptr, nullptr, nullptr, nullptr),
              static_cast<int32_t>(bytes.size()));
  }
}

TEST_F(LibraryWriterBytes, MemberAndFileOfOneBaseNameAndALibraryAsItsOwnSource) {
  const Bytes a = Slide(1), b = Slide(2), f = Slide(3);
  const std::string lib = dir.Write("set.slb", LibraryBytes({{"ROOF", a}, {"Other", b}}));
  const std::string roof = dir.Write("ROOF.SLD", f);
  // The old library's members are read while its replacement is built.
  List list = {lib + ",ROOF", roof, lib + ",other"};
  const LibraryWriteResult r = WriteSlideLibrary(nullptr, lib, list, true);
  ASSERT_TRUE(r.written) << fixtures::BoxTexts(services.boxes);
  EXPECT_EQ(fixtures::ReadFile(lib), LibraryBytes({{"ROOF_A", a}, {"ROOF_B", f}, {"other", b}}));
  // Auto-delete removes single slide files only.
  EXPECT_FALSE(Exists(roof));
}

TEST_F(LibraryWriterBytes, DottedDirectoryAndEmptyList) {
  const std::string sub = MakeDir(dir, "data.v2");
  const std::string lib = sub + "/set.slb";
  fixtures::WriteFile(lib, LibraryBytes({{"OLD", Slide(9)}}));
  const std::string other = dir.File("data.~SB");
  fixtures::WriteFile(other, {1, 2, 3});  // the name an older writer used: not ours to touch
  const Bytes s = Slide(4);
  List list = {dir.Write("plan.sld", s)};
  LibraryWriteResult r = WriteSlideLibrary(nullptr, lib, list, false);
  ASSERT_TRUE(r.written) << fixtures::BoxTexts(services.boxes);
  EXPECT_EQ(r.temporary.rfind(lib + ".~SB", 0), 0u) << r.temporary;
  EXPECT_FALSE(Exists(r.temporary));
  EXPECT_EQ(fixtures::ReadFile(other), (Bytes{1, 2, 3}));
  EXPECT_EQ(fixtures::ReadFile(lib), LibraryBytes({{"plan", s}}));

  List none;
  r = WriteSlideLibrary(nullptr, lib, none, false);
  ASSERT_TRUE(r.written);
  EXPECT_EQ(fixtures::ReadFile(lib), LibraryBytes({}));
  EXPECT_EQ(fixtures::ReadFile(lib).size(), 68u);
  EXPECT_TRUE(services.boxes.boxes.empty());
}

// ---- Failures: the box, no temporary file, the old library and the sources untouched ----

class LibraryWriterFailure : public ::testing::Test {
 protected:
  void SetUp() override {
    old = LibraryBytes({{"KEEP", Slide(5)}});
    lib = dir.Write("lib.slb", old);
    slide = dir.Write("good.sld", Slide(6));
  }
  void ExpectUntouched(const LibraryWriteResult& r) {
    EXPECT_FALSE(r.written);
    EXPECT_EQ(fixtures::BoxTexts(services.boxes).rfind("Error: Error writing Slide Library", 0),
              0u);
    if (!services.boxes.boxes.empty()) {
      EXPECT_EQ(services.boxes.boxes[0].owner, nullptr);
      EXPECT_EQ(services.boxes.boxes[0].style, 0u);
    }
    EXPECT_EQ(fixtures::ReadFile(lib), old);
    EXPECT_TRUE(Exists(slide));
    EXPECT_FALSE(services.mex.shown);
  }
  fixtures::TempDir dir;
  fixtures::RecordedServices services;
  Bytes old;
  std::string lib, slide;
};

TEST_F(LibraryWriterFailure, MissingMemberOrFileOrName) {
  List list = {slide, lib + ",NOPE", dir.File("absent.sld"), dir.Write(".sld", Slide(1))};
  const LibraryWriteResult r = WriteSlideLibrary(nullptr, lib, list, true);
  ExpectUntouched(r);
  EXPECT_FALSE(Exists(r.temporary));
  ASSERT_EQ(r.failures.size(), 3u);  // every bad entry is named, once
  EXPECT_EQ(r.failures[0].entry, 1u);
  EXPECT_EQ(r.failures[0].result, lanterna::kNotFound);
  EXPECT_EQ(r.failures[1].entry, 2u);
  EXPECT_EQ(r.failures[1].result, lanterna::kCannotOpen);
  EXPECT_EQ(r.failures[2].entry, 3u);
  EXPECT_EQ(r.failures[2].result, lanterna::kNoMemberName);
  EXPECT_EQ(r.ioError, 0);
}

TEST_F(LibraryWriterFailure, TemporaryFileCannotBeCreatedOrRenamed) {
  List list = {slide};
  // No folder to make the temporary file in: nothing made, nothing replaced.
  LibraryWriteResult r = WriteSlideLibrary(nullptr, dir.File("gone/lib.slb"), list, true);
  EXPECT_FALSE(r.written);
  EXPECT_EQ(r.ioError, ENOENT);
  EXPECT_TRUE(r.temporary.empty());
  EXPECT_TRUE(Exists(slide));

  // The rename over a library that is a directory fails after the file was complete.
  services.boxes.boxes.clear();
  const std::string dirLib = MakeDir(dir, "d.slb");
  fixtures::WriteFile(dirLib + "/x", {1});
  r = WriteSlideLibrary(nullptr, dirLib, list, true);
  EXPECT_FALSE(r.written);
  EXPECT_NE(r.ioError, 0);
  EXPECT_FALSE(Exists(r.temporary));
  EXPECT_TRUE(Exists(dirLib + "/x"));
  EXPECT_TRUE(Exists(slide));
  EXPECT_EQ(services.boxes.boxes.size(), 1u);
}

// The writer in a child process, after setup (limits, another user) has run there. Returns
// what the child saw: 1 written, 2 the write failed with error, 4 one box shown.
int WriteInChild(const std::string& lib, List list, int error, const std::function<bool()>& setup) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    platform::RecordingMessageBoxes boxes;
    platform::SetMessageBoxService(&boxes);
    if (!setup()) ::_exit(100);
    const LibraryWriteResult r = WriteSlideLibrary(nullptr, lib, list, true);
    ::_exit((r.written ? 1 : 0) | (r.ioError == error ? 2 : 0) | (boxes.boxes.size() == 1 ? 4 : 0));
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Files may not grow past limit bytes, as on a full disk.
int WriteUnderSizeLimit(const std::string& lib, List list, rlim_t limit) {
  return WriteInChild(lib, std::move(list), EFBIG, [limit] {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit rl{limit, limit};
    return ::setrlimit(RLIMIT_FSIZE, &rl) == 0;
  });
}

TEST_F(LibraryWriterFailure, UnwritableDirectory) {
  const std::string locked = MakeDir(dir, "locked");
  lib = locked + "/lib.slb";
  fixtures::WriteFile(lib, old);
  ::chmod(locked.c_str(), 0555);
  // Permissions do not bind root: the writer then runs as nobody.
  ::chmod(dir.File("").c_str(), 0755);
  const int result = WriteInChild(lib, {slide}, EACCES, [] {
    return ::geteuid() != 0 || (::setgid(65534) == 0 && ::setuid(65534) == 0);
  });
  ::chmod(locked.c_str(), 0755);
  EXPECT_EQ(result, 2 | 4);
  EXPECT_EQ(fixtures::ReadFile(lib), old);
  EXPECT_FALSE(Exists(locked + "/lib.~SB"));
  EXPECT_TRUE(Exists(slide));
}

TEST_F(LibraryWriterFailure, FullFileSystem) {
  SlideWriter big(100, 100);
  for (int v = 0; v < 30000; ++v) big.Vector(v % 100, 0, 99, v % 100);
  const std::string bigSlide = dir.Write("big.sld", big.Build());
  struct Case {
    List list;
    rlim_t limit;
  };
  // Small files fail when the buffer is flushed (in the header, in the directory); a member
  // larger than the buffer fails inside its own copy.
  for (const Case& c : {Case{{slide}, 16}, Case{{slide}, 100}, Case{{slide, bigSlide}, 150000}}) {
    SCOPED_TRACE(c.limit);
    EXPECT_EQ(WriteUnderSizeLimit(lib, c.list, c.limit), 2 | 4);
    EXPECT_EQ(fixtures::ReadFile(lib), old);
    EXPECT_FALSE(Exists(dir.File("lib.~SB")));
    EXPECT_TRUE(Exists(slide) && Exists(bigSlide));
  }
  // The same list within the limit is written.
  EXPECT_EQ(WriteUnderSizeLimit(lib, {slide, bigSlide}, 1 << 20), 1);
  EXPECT_FALSE(Exists(slide));
}

}  // namespace
