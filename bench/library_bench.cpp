// Writing a 500-member slide library, as `lanterna-cli create` does: from single slide files
// and from the members of another library. The time includes flushing the file to disk.
// Registered into lanterna_bench, whose main() is in render_bench.cpp.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "slide/library_writer.h"
#include "tests/slide_writer.h"

namespace {

using namespace lanterna;

constexpr int kMembers = 500;

double PeakRssMiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// A slide of a few hundred vectors, some 2 to 6 KiB like a typical drawing slide.
fixtures::Bytes MemberSlide(int i) {
  fixtures::SlideWriter w(1000, 800);
  const int vectors = 250 + (i * 37) % 500;
  for (int v = 0; v < vectors; ++v) w.Vector((v * 7 + i) % 1000, v % 800, (v * 13) % 1000, 799);
  return w.EndOfFile().Build();
}

// 500 slide files, or one library of 500 members, in a directory of their own.
class Fixture {
 public:
  explicit Fixture(bool fromLibrary) {
    std::string pattern = (std::filesystem::temp_directory_path() / "lanterna-bench-XXXXXX");
    dir_ = ::mkdtemp(pattern.data()) ? pattern : std::string();
    std::vector<fixtures::Member> members;
    for (int i = 0; i < kMembers; ++i) {
      const std::string name = "SLIDE" + std::to_string(i);
      fixtures::Bytes bytes = MemberSlide(i);
      bytes_ += bytes.size();
      if (fromLibrary) {
        members.push_back({name, std::move(bytes)});
      } else {
        const std::string path = dir_ + "/" + name + ".SLD";
        fixtures::WriteFile(path, bytes);
        entries_.push_back(path);
      }
    }
    if (fromLibrary) {
      const std::string source = dir_ + "/source.slb";
      fixtures::WriteFile(source, fixtures::LibraryBytes(members));
      for (const fixtures::Member& m : members) entries_.push_back(source + "," + m.name);
    }
  }
  ~Fixture() {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }
  std::string Library() const { return dir_ + "/new.slb"; }
  const std::vector<std::string>& Entries() const { return entries_; }
  size_t Bytes() const { return bytes_; }

 private:
  std::string dir_;
  std::vector<std::string> entries_;
  size_t bytes_ = 0;
};

void WriteLibrary(benchmark::State& state, bool fromLibrary) {
  const Fixture f(fromLibrary);
  for (auto _ : state) {
    std::vector<std::string> list = f.Entries();
    const LibraryWriteResult r = WriteSlideLibrary(nullptr, f.Library(), list, false);
    if (!r.written) {
      state.SkipWithError("the library was not written");
      break;
    }
  }
  state.counters["members/s"] = benchmark::Counter(
      static_cast<double>(kMembers * state.iterations()), benchmark::Counter::kIsRate);
  state.counters["library_MiB"] = static_cast<double>(f.Bytes()) / (1024.0 * 1024.0);
  state.counters["peak_MiB"] = PeakRssMiB();
}

void BM_CreateFromFiles(benchmark::State& state) {
  WriteLibrary(state, false);
}
BENCHMARK(BM_CreateFromFiles)->Unit(benchmark::kMillisecond);

void BM_CreateFromLibrary(benchmark::State& state) {
  WriteLibrary(state, true);
}
BENCHMARK(BM_CreateFromLibrary)->Unit(benchmark::kMillisecond);

}  // namespace
