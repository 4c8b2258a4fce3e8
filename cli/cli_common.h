// What every lanterna-cli command shares: exit codes, usage, argument helpers, loader errors.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cli/slide_name.h"

namespace lanterna {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

using Args = std::vector<std::string>;

// Prints the problem and the usage text on stderr; returns kExitUsage.
int Usage(const char* problem = nullptr);
extern const char kUsage[];
// Case-insensitive test of a file name's ending (".PNG").
bool EndsWith(const std::string& text, const std::string& tail);
// "AxB" split at the separator into two integers within +-1000000.
bool ParsePair(const std::string& text, char separator, int* a, int* b);
// Tells why the loader gave a negative result, naming the slide; returns kExitFailed.
int LoaderFailure(const SlideName& name, int32_t result);

// The commands.
int RenderCommand(const Args& args);
int ListCommand(const Args& args);
int InfoCommand(const Args& args);
int DxfCommand(const Args& args);
int CreateCommand(const Args& args);
int ExtractCommand(const Args& args);

}  // namespace lanterna
