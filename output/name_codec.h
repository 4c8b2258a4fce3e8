// Member names are bytes in the code page of the system the library was written on (Big5, GBK,
// Windows-1252...). They are shown decoded to UTF-8, and names typed by the user are encoded
// back. Code pages are iconv's names ("big5", "gbk", "cp1252", "cp437", "shift_jis").
#pragma once

#include <string>
#include <string_view>

namespace lanterna {

// True when iconv converts between the code page and UTF-8 both ways.
bool KnownCodePage(const std::string& codePage);

// Well-formed UTF-8: no overlong forms, surrogates or code points past U+10FFFF.
bool IsValidUtf8(std::string_view text);

// The UTF-8 text of stored bytes. With no code page: the bytes themselves when they are valid
// UTF-8, else Windows-1252. A byte the code page does not define becomes U+FFFD.
std::string DecodeName(const std::string& stored, const std::string& codePage);

// The bytes to store for UTF-8 text: with no code page, the text as given. False when a
// character has no encoding in the code page.
bool EncodeName(const std::string& text, const std::string& codePage, std::string* stored);

}  // namespace lanterna
