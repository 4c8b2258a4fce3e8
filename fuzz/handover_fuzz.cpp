// Whatever reaches the viewer's single-instance socket, read as the running viewer reads it.
#include "fuzz/fuzz_support.h"
#include "shell/handover_request.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const auto request = lanterna::ParseHandOverRequest(bytes);
  if (!request) return 0;
  // A request taken is one the second start could have written, and reading stopped at it.
  fuzz::Require(lanterna::EncodeHandOverRequest(request->name) == bytes, "request re-encodes");
  fuzz::Require(lanterna::HandOverRequestEnded(bytes), "reading stops at a whole request");
  fuzz::Require(request->name.empty() || request->name.front() == '/', "absolute names only");
  return 0;
}
