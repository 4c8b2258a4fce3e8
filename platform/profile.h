// Private profile files: INI sections and keys read and written as the Windows profile
// functions do (names compared without regard to case; other sections and keys are kept).
#pragma once

#include <string>

namespace platform {

// Where a profile named without a directory lives: $XDG_CONFIG_HOME, else ~/.config.
std::string ProfilePath(const std::string& fileName);

int GetPrivateProfileInt(const char* section, const char* key, int defaultValue,
                         const char* fileName);
// The value, or defaultValue when the key is missing; at most size - 1 characters are copied.
size_t GetPrivateProfileString(const char* section, const char* key, const char* defaultValue,
                               char* buffer, size_t size, const char* fileName);
// A null value removes the key, a null key the whole section. False when the file cannot be
// written.
bool WritePrivateProfileString(const char* section, const char* key, const char* value,
                               const char* fileName);

}  // namespace platform
