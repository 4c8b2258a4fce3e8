#include "slide/library_writer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <vector>

#include "platform/exten.h"
#include "platform/temp_guard.h"
#include "slide/library.h"
#include "slide/loader.h"
#include "slide/slide_kind.h"

namespace lanterna {

namespace {

constexpr char kMessageTitle[] = "Quelna WWW Slide Viewer";
constexpr int kMessageKind = 0x40;

// The name an entry is compared and written by: its member name cut to the field.
std::string FieldName(const std::string& member) {
  return member.substr(0, kMaxMemberName);
}

// Members are looked up by their upper-cased names, so names that differ only in case clash:
// "roof" beside "ROOF" would leave one of the two slides unreachable.
bool SameName(const std::string& a, const std::string& b) {
  return a.size() == b.size() && UpperCasedName(a) == UpperCasedName(b);
}

// The uniqueness pass over one list: the first `entries` items are the list's own entries,
// compared by their member names; the items after them are names the pass has made, compared
// as they are (splitting them would lose a name holding a "." or a comma, and a later entry
// could then be given the same name again).
class NamePass {
 public:
  NamePass(std::vector<std::string>& list, size_t entries) : list_(list), entries_(entries) {
    names_.reserve(list.size());
    for (size_t j = 0; j < list.size(); ++j)
      names_.push_back(j < entries ? FieldName(SplitListEntry(list[j]).member) : list[j]);
  }

  std::string Unique(size_t i) {
    std::string c = names_[i];
    if (c.empty()) return c;
    const size_t count = list_.size();  // names made for this entry do not count against it
    unsigned char letter = 'A';
    bool suffixed = false;
    for (bool clash = true; clash;) {
      clash = false;
      for (size_t j = 0; j < count; ++j) {
        if ((j == i && !suffixed) || !SameName(names_[j], c)) continue;
        clash = true;
        if (suffixed) {
          if (letter == std::numeric_limits<unsigned char>::max()) return "";
          ++letter;
          if (letter == 0x7F) ++letter;  // DEL ends a listing: the members after it would be lost
          c.resize(c.size() - 2);
        } else {
          c.resize(std::min(c.size(), kMaxMemberName - 2));
        }
        c += '_';
        c += static_cast<char>(letter);
        suffixed = true;
        if (std::none_of(names_.begin() + static_cast<std::ptrdiff_t>(entries_), names_.end(),
                         [&c](const std::string& made) { return SameName(made, c); })) {
          list_.push_back(c);
          names_.push_back(c);
        }
        break;
      }
    }
    return c;
  }

 private:
  std::vector<std::string>& list_;
  size_t entries_;
  std::vector<std::string> names_;
};

// Sizes or copies one entry's slide through the loader.
int32_t LoadEntry(const std::string& entry, uint32_t mode, std::FILE* rawOut) {
  const ListEntry e = SplitListEntry(entry);
  const bool member = !e.library.empty();
  std::vector<char> name;
  if (member) name.assign(e.member.begin(), e.member.end());
  name.push_back(0);
  return ShowIcon(nullptr, member ? e.library.c_str() : entry.c_str(), name.data(), mode, nullptr,
                  nullptr, nullptr, rawOut, nullptr, nullptr, nullptr);
}

// The temporary file; remembers the first failed write so that nothing after it is trusted.
struct Output {
  std::FILE* file = nullptr;
  int error = 0;

  bool Write(const void* bytes, size_t n) {
    if (error) return false;
    if (std::fwrite(bytes, 1, n, file) != n) error = errno ? errno : EIO;
    return !error;
  }
  void Fail() {
    if (!error) error = errno ? errno : EIO;
  }
};

// Copies the complete new library over the old one in place, so that its other hard links see
// it too. Room for the new size is taken first: a full disk then fails before a byte changes.
bool CopyInPlace(int from, const std::string& target, uint64_t size) {
  const int to = ::open(target.c_str(), O_WRONLY);
  if (to < 0) return false;
  struct stat st;
  bool ok = ::fstat(to, &st) == 0;
  if (ok && static_cast<uint64_t>(st.st_size) < size) {
    const int err = ::posix_fallocate(to, 0, static_cast<off_t>(size));
    if (err != 0 && err != EOPNOTSUPP && err != EINVAL) {
      (void)::ftruncate(to, st.st_size);
      errno = err;
      ok = false;
    }
  }
  std::vector<char> buffer(1 << 16);
  for (uint64_t done = 0; ok && done < size;) {
    const ssize_t n = ::pread(from, buffer.data(), buffer.size(), static_cast<off_t>(done));
    if (n <= 0) {
      if (n == 0) errno = EIO;
      ok = false;
      break;
    }
    for (ssize_t w = 0; ok && w < n;) {
      const ssize_t m = ::pwrite(to, buffer.data() + w, static_cast<size_t>(n - w),
                                 static_cast<off_t>(done + static_cast<uint64_t>(w)));
      if (m <= 0) ok = false;
      w += m;
    }
    done += static_cast<uint64_t>(n);
  }
  ok = ok && ::ftruncate(to, static_cast<off_t>(size)) == 0 && ::fsync(to) == 0;
  const int saved = errno;
  ::close(to);
  errno = saved;
  return ok;
}

std::string DirectoryOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// Makes the rename itself durable; the library is already whole either way, so this is a wish.
void SyncDirectory(const std::string& dir) {
  const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY);
  if (fd < 0) return;
  (void)::fsync(fd);
  ::close(fd);
}

}  // namespace

ListEntry SplitListEntry(const std::string& entry) {
  const size_t comma = entry.find(',');
  if (comma != std::string::npos) return {entry.substr(0, comma), entry.substr(comma + 1)};
  const size_t slash = entry.rfind('/');
  std::string base = slash == std::string::npos ? entry : entry.substr(slash + 1);
  const size_t dot = base.find('.');
  if (dot != std::string::npos) base.resize(dot);
  return {"", base};
}

std::string LibraryTarget(const std::string& libraryPath) {
  struct stat st;
  if (::lstat(libraryPath.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return libraryPath;
  std::error_code ec;
  const std::filesystem::path target = std::filesystem::weakly_canonical(libraryPath, ec);
  return ec ? libraryPath : target.string();
}

std::string TemporaryLibraryPattern(const std::string& target) {
  return target + ".~SBXXXXXX";
}

std::string UniqueMemberName(std::vector<std::string>& list, size_t entries, size_t i) {
  return NamePass(list, entries).Unique(i);
}

const char* EntryFailureText(int32_t result) {
  switch (result) {
    case kEmptyPath:
      return "no file named";
    case kCannotOpen:
      return "cannot be opened";
    case kNotFound:
      return "not found";
    case kNotRendering:
      return "not a rendering slide";
    case kNotSlide:
      return "not a slide";
    case kNoMemberName:
      return "no member name can be made for it";
    case kChangedSize:
      return "changed while it was copied";
    case kTooLarge:
      return "the library would pass 2 GiB";
    default:
      return "cannot be read";
  }
}

LibraryWriteResult WriteSlideLibrary(platform::HWND owner, const std::string& libraryPath,
                                     std::vector<std::string>& list, bool autoDelete,
                                     const std::vector<std::string>* givenNames) {
  LibraryWriteResult r;
  r.library = libraryPath;
  const std::string target = LibraryTarget(libraryPath);
  const size_t n = list.size();
  auto fail = [&r](size_t i, int32_t result) {
    for (const EntryFailure& f : r.failures)
      if (f.entry == i) return;
    r.failures.push_back({i, result});
  };

  platform::ShowMex(owner, "Wait... ", kMessageTitle, kMessageKind, 0);
  Output out;
  bool created = false;
  std::vector<char> buffer(1 << 16);  // written in large pieces, not record by record
  struct stat old;
  const bool replacing = ::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode);
  errno = 0;
  if (replacing && ::access(target.c_str(), W_OK) != 0) {
    out.Fail();  // the folder's permission would let the rename replace it all the same
  } else {
    std::string pattern = TemporaryLibraryPattern(target);
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0) {
      out.Fail();
    } else {
      r.temporary = pattern;
      platform::GuardTemp(r.temporary);
      out.file = ::fdopen(fd, "wb");
      created = true;
      if (!out.file) {
        out.Fail();
        ::close(fd);
      }
    }
  }

  if (out.file) {
    std::setvbuf(out.file, buffer.data(), _IOFBF, buffer.size());
    // The new library keeps the owner, group and mode of the one it replaces, as far as the
    // user may set them; a new one gets what a new file gets.
    const int fd = ::fileno(out.file);
    if (replacing && ::fchown(fd, old.st_uid, old.st_gid) != 0)
      (void)::fchown(fd, static_cast<uid_t>(-1), old.st_gid);
    const mode_t mask = ::umask(0);
    ::umask(mask);
    (void)::fchmod(fd, replacing ? old.st_mode & 07777 : 0666 & ~mask);

    uint8_t header[kLibraryHeaderLength] = {};
    std::memcpy(header, kLibrarySignature, std::strlen(kLibrarySignature));
    out.Write(header, sizeof header);

    uint64_t next = kLibraryHeaderLength + kLibraryEntryLength * (n + 1);
    std::vector<int32_t> sizes(n, -1);
    NamePass pass(list, n);
    for (size_t i = 0; i < n; ++i) {
      // A given name may fill the whole field: a stored 32-character name stays as it was.
      const std::string name = !givenNames ? pass.Unique(i)
                               : i < givenNames->size()
                                   ? (*givenNames)[i].substr(0, kLibraryNameLength)
                                   : std::string();
      r.names.push_back(name);
      if (name.empty()) fail(i, kNoMemberName);
      if (next > static_cast<uint64_t>(std::numeric_limits<int32_t>::max())) fail(i, kTooLarge);
      uint8_t entry[kLibraryEntryLength] = {};
      std::memcpy(entry, name.data(), name.size());
      for (int b = 0; b < 4; ++b)
        entry[kLibraryNameLength + b] = static_cast<uint8_t>(next >> (8 * b));
      out.Write(entry, sizeof entry);
      sizes[i] = LoadEntry(list[i], SI_SIZE_ONLY, nullptr);
      if (sizes[i] < 0)
        fail(i, sizes[i]);
      else
        next += static_cast<uint64_t>(sizes[i]);
    }
    const uint8_t terminator[kLibraryEntryLength] = {};
    out.Write(terminator, sizeof terminator);

    // Copying stops at the first failed write of the new file: nothing after it would count.
    for (size_t i = 0; i < n && !out.error; ++i) {
      platform::ShowMex(owner, list[i].c_str(), kMessageTitle, kMessageKind, 0);
      if (sizes[i] < 0) continue;
      errno = 0;
      const int32_t copied = LoadEntry(list[i], SI_COPY_RAW, out.file);
      if (std::ferror(out.file))
        out.Fail();
      else if (copied < 0)
        fail(i, copied);
      else if (Loader().IconSize != static_cast<uint32_t>(sizes[i]))
        fail(i, kChangedSize);  // the directory already holds the size measured before
    }

    errno = 0;
    if (!out.error && std::fflush(out.file) != 0) out.Fail();
    if (!out.error && ::fsync(::fileno(out.file)) != 0) out.Fail();
    if (std::fclose(out.file) != 0) out.Fail();
    out.file = nullptr;
  }
  platform::ShowMex(nullptr, nullptr, nullptr, 0, 0);

  bool failed = out.error != 0 || !r.failures.empty();
  if (!failed && replacing && old.st_nlink > 1) {
    // Other names of the library must see the new one: it is copied over in place.
    const int from = ::open(r.temporary.c_str(), O_RDONLY);
    struct stat made;
    errno = 0;
    if (from < 0 || ::fstat(from, &made) != 0 ||
        !CopyInPlace(from, target, static_cast<uint64_t>(made.st_size))) {
      out.Fail();
      failed = true;
    }
    if (from >= 0) ::close(from);
    if (!failed) std::remove(r.temporary.c_str());
  } else if (!failed && std::rename(r.temporary.c_str(), target.c_str()) != 0) {
    // One step, so that a crash leaves the old library or the new one, never neither.
    out.Fail();
    failed = true;
  }
  r.ioError = out.error;
  if (failed) {
    // The box says which entry failed and why, so the list can be mended and tried again.
    std::string text = "Error writing Slide Library";
    if (!r.failures.empty())
      text += "\n" + list[r.failures.front().entry] + ": " +
              EntryFailureText(r.failures.front().result);
    else if (out.error)
      text += "\n" + (r.temporary.empty() ? target : r.temporary) + ": " + std::strerror(out.error);
    platform::ShowErrorBox(nullptr, text.c_str(), "Error", 0);
    if (created) std::remove(r.temporary.c_str());  // only a file this call made
    platform::ReleaseTemp();
    return r;
  }
  platform::ReleaseTemp();
  SyncDirectory(DirectoryOf(target));
  r.written = true;

  // Only now: a failed write must leave every source where it was.
  if (autoDelete)
    for (size_t i = 0; i < n; ++i)
      if (SplitListEntry(list[i]).library.empty()) std::remove(list[i].c_str());
  return r;
}

}  // namespace lanterna
