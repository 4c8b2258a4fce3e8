#include "shell/handover_request.h"

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

bool IsUtf8(std::string_view text) {
  size_t i = 0;
  while (i < text.size()) {
    const auto c = static_cast<unsigned char>(text[i]);
    size_t length;
    char32_t code, least;
    if (c < 0x80) {
      ++i;
      continue;
    } else if ((c & 0xE0) == 0xC0) {
      length = 2, code = c & 0x1F, least = 0x80;
    } else if ((c & 0xF0) == 0xE0) {
      length = 3, code = c & 0x0F, least = 0x800;
    } else if ((c & 0xF8) == 0xF0) {
      length = 4, code = c & 0x07, least = 0x10000;
    } else {
      return false;
    }
    if (text.size() - i < length) return false;
    for (size_t k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      code = (code << 6) | (next & 0x3F);
    }
    if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
    i += length;
  }
  return true;
}

std::optional<HandOverRequest> ParseHandOverRequest(std::string_view bytes) {
  // Exactly one request per connection, ended by its NUL: nothing may follow it.
  if (bytes.size() < 2 || bytes.size() > kMaxHandOverRequest) return std::nullopt;
  if (bytes.front() != kHandedOver || bytes.back() != '\0') return std::nullopt;
  const std::string_view name = bytes.substr(1, bytes.size() - 2);
  if (name.find('\0') != std::string_view::npos || !IsUtf8(name)) return std::nullopt;
  // The second start made the name absolute; control characters name no file a user picked.
  if (!name.empty() && name.front() != '/') return std::nullopt;
  for (char c : name)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return std::nullopt;
  return HandOverRequest{true, std::string(name)};
}

}  // namespace lanterna
