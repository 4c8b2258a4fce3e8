#include "output/member_files.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "output/atomic_output.h"
#include "output/render_job.h"
#include "platform/gdi/gdi.h"
#include "slide/loader.h"
#include "slide/slide_types.h"

namespace lanterna {

namespace {
constexpr char kRenderingSignature[] = "AutoShade Rendering Slide\r\n";
}

bool ReadMemberBytes(const std::string& library, const std::string& member, std::string* bytes,
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

bool IsRenderingBytes(const std::string& bytes) {
  return bytes.compare(0, std::strlen(kRenderingSignature), kRenderingSignature) == 0;
}

std::string MemberFileName(const std::string& shownName, bool rendering,
                           std::set<std::string>* taken) {
  std::string stem = shownName;
  for (char& c : stem)
    if (c == '/' || static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '_';
  const std::string extension = rendering ? ".RND" : ".SLD";
  std::string file = stem + extension;
  for (int n = 2; !taken->insert(file).second; ++n)
    file = stem + "_" + std::to_string(n) + extension;
  return file;
}

bool SlideComplete(const std::string& path, const std::string& member) {
  RenderRequest request;
  request.path = path;
  request.member = member;
  std::unique_ptr<gdi::DeviceContext> metafile = gdi::CreateMetafileDC();
  return RecordSlide(request, metafile.get()) >= 0 && !LastDrawingEndedEarly();
}

int WriteFileAtomically(const std::string& path, const std::string& bytes) {
  AtomicOutput out(path);
  errno = 0;
  std::FILE* f = std::fopen(out.TempPath().c_str(), "wb");
  bool ok = f && std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  if (f) ok = std::fclose(f) == 0 && ok;
  ok = ok && out.Commit();
  return ok ? 0 : (errno ? errno : EIO);
}

}  // namespace lanterna
