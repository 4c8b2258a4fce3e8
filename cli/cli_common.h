// What every lanterna-cli command shares: exit codes, usage, help, argument helpers, messages,
// loader errors.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "output/slide_name.h"

namespace lanterna {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

using Args = std::vector<std::string>;

// Prints one line on stderr naming the problem and pointing at the command's help; returns
// kExitUsage.
int Usage(const char* problem = "missing arguments");
extern const char kUsage[];
// The command being run, for usage lines ("render"); empty before one is known.
void SetCommandName(const std::string& command);
// "--help" or "-h" among the arguments.
bool WantsHelp(const Args& args);
// Prints a command's help text on stdout; returns kExitOk.
int Help(const char* text);
// Case-insensitive test of a file name's ending (".PNG").
bool EndsWith(const std::string& text, const std::string& tail);
// "AxB" split at the separator into two integers within +-1000000.
bool ParsePair(const std::string& text, char separator, int* a, int* b);
// Tells why the loader gave a negative result, naming the slide; returns kExitFailed.
int LoaderFailure(const SlideName& name, int32_t result);
// After a library listing: false, with a message naming the library, when it ended early on a
// file that is no library or on a damaged directory.
bool ListingComplete(const std::string& library);

// A message on stderr in one write, so that lines from batch workers never mix. While a
// progress line is showing it is cleared first; the next progress update draws it again.
void Complain(const char* format, ...) __attribute__((format(printf, 1, 2)));
void SetProgressLine(bool showing);
bool ProgressLine();

// The system's reason for the last failed call, "Input/output error" when it left none.
std::string LastError();

// Flushes standard output; false, with a message saying why, when what was printed did not
// all reach it (a full disk, a closed pipe).
bool FlushedStdout();

// The commands.
int RenderCommand(const Args& args);
int ListCommand(const Args& args);
int InfoCommand(const Args& args);
int DxfCommand(const Args& args);
int CreateCommand(const Args& args);
int ExtractCommand(const Args& args);
int SheetCommand(const Args& args);
int AddCommand(const Args& args);
int RemoveCommand(const Args& args);
int RenameCommand(const Args& args);
int SlideCommand(const Args& args);
int ThumbnailCommand(const Args& args);

}  // namespace lanterna
