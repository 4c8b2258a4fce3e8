// Work cut into parts done at once, one thread each, for compressing big pictures.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

namespace lanterna {

// How many parts to compress data of this size in at once: one a core, each big enough to be
// worth a thread, and at most four (each part's compressor and output take memory).
inline int PartsFor(size_t size) {
  constexpr size_t kSplitAbove = size_t{1} << 20, kPartAtLeast = size_t{512} << 10;
  constexpr size_t kMostParts = 4;
  if (size <= kSplitAbove) return 1;
  static const size_t cores = std::max(1u, std::thread::hardware_concurrency());
  return static_cast<int>(std::max<size_t>(1, std::min({cores, size / kPartAtLeast, kMostParts})));
}

// Where part `part` of `parts` ends in `total` units (0 for part -1). Every part but the last
// is searched again once compressed, to leave it open for the next: they get a little less.
inline size_t PartEnd(size_t total, int part, int parts) {
  if (part < 0) return 0;
  if (part >= parts - 1) return total;
  constexpr uint64_t kOpenShare = 9, kLastShare = 11;
  const uint64_t whole = kOpenShare * static_cast<uint64_t>(parts - 1) + kLastShare;
  return static_cast<size_t>(uint64_t{total} * kOpenShare * static_cast<uint64_t>(part + 1) /
                             whole);
}

// Runs work(0) ... work(parts - 1) at once, the last on the calling thread; true when every
// one returned true. Running out of memory is a false; a thread that cannot start runs here.
template <typename Work>
bool RunParts(int parts, Work work) {
  std::vector<char> ok(static_cast<size_t>(parts), 0);
  auto run = [&](int i) {
    try {
      ok[static_cast<size_t>(i)] = work(i) ? 1 : 0;
    } catch (const std::bad_alloc&) {
    }
  };
  std::vector<std::thread> threads;
  threads.reserve(static_cast<size_t>(parts));
  for (int i = 0; i + 1 < parts; ++i) {
    try {
      threads.emplace_back(run, i);
    } catch (const std::system_error&) {
      run(i);
    }
  }
  if (parts > 0) run(parts - 1);
  for (std::thread& t : threads) t.join();
  for (char done : ok)
    if (!done) return false;
  return true;
}

}  // namespace lanterna
