// What a second start sends the running viewer: a flag byte (1: handed over), the file's
// absolute name in UTF-8 (empty: only bring the frame forward), then a NUL. Anything else that
// reaches the socket is dropped; the reader is plain C++ so that it can be fuzzed without Qt.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace lanterna {

// A name no longer than a path may be; a peer that sends more is not waited for.
constexpr size_t kMaxHandOverName = 4096;
constexpr size_t kMaxHandOverRequest = kMaxHandOverName + 2;

struct HandOverRequest {
  bool handedOver = true;
  std::string name;
};

// The request as the second start writes it.
std::string EncodeHandOverRequest(const std::string& name);

// True once the bytes read so far hold a whole request or can no longer become one: reading
// stops there.
bool HandOverRequestEnded(std::string_view bytes);

// The request the bytes hold, or none when they are incomplete, too long, not UTF-8, not an
// absolute path, or followed by more bytes.
std::optional<HandOverRequest> ParseHandOverRequest(std::string_view bytes);

}  // namespace lanterna
