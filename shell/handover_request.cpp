#include "shell/handover_request.h"

#include "output/name_codec.h"

namespace lanterna {

namespace {
constexpr char kHandedOver = '\1';
}  // namespace

std::string EncodeHandOverRequest(const std::string& name) {
  std::string request(1, kHandedOver);
  request += name;
  request += '\0';
  return request;
}

bool HandOverRequestEnded(std::string_view bytes) {
  // A wrong first byte cannot be mended by more bytes.
  return bytes.size() >= kMaxHandOverRequest || (!bytes.empty() && bytes[0] != kHandedOver) ||
         bytes.find('\0', 1) != std::string_view::npos;
}

std::optional<HandOverRequest> ParseHandOverRequest(std::string_view bytes) {
  // Exactly one request per connection, ended by its NUL: nothing may follow it.
  if (bytes.size() < 2 || bytes.size() > kMaxHandOverRequest) return std::nullopt;
  if (bytes.front() != kHandedOver || bytes.back() != '\0') return std::nullopt;
  const std::string_view name = bytes.substr(1, bytes.size() - 2);
  if (name.find('\0') != std::string_view::npos || !IsValidUtf8(name)) return std::nullopt;
  // The second start made the name absolute; control characters name no file a user picked.
  if (!name.empty() && name.front() != '/') return std::nullopt;
  for (char c : name)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return std::nullopt;
  return HandOverRequest{true, std::string(name)};
}

}  // namespace lanterna
