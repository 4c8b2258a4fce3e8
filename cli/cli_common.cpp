#include "cli/cli_common.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "cli/member_names.h"
#include "output/loader_messages.h"
#include "slide/library.h"
#include "slide/loader.h"
#include "slide/slide_kind.h"

namespace lanterna {

const char kUsage[] =
    "usage: lanterna-cli render FILE[,MEMBER] -o OUT.png|OUT.svg|OUT.ppm|OUT.pdf [--size WxH]"
    " [--zoom N] [--pan X,Y]\n"
    "       lanterna-cli render FILE[,MEMBER]|- -o - --format png|ppm|svg|pdf [OPTIONS]\n"
    "       lanterna-cli render INPUT... -d DIR [--format png|ppm|svg|pdf] [--jobs N] [--size WxH]"
    " [--zoom N] [--pan X,Y]\n"
    "       lanterna-cli list LIBRARY [--raw]\n"
    "       lanterna-cli info FILE[,MEMBER]\n"
    "       lanterna-cli dxf FILE[,MEMBER] OUT.dxf [--polylines]\n"
    "       lanterna-cli dxf INPUT... -d DIR [--polylines] [--jobs N]\n"
    "       lanterna-cli create LIBRARY ENTRY... [--delete-sources]\n"
    "       lanterna-cli extract LIBRARY [MEMBER...] [-d DIR]\n"
    "       lanterna-cli sheet INPUT... -o OUT.pdf|OUT.png [--columns N] [--cell WxH]\n"
    "       lanterna-cli add LIBRARY ENTRY... [--replace]\n"
    "       lanterna-cli remove LIBRARY MEMBER...\n"
    "       lanterna-cli rename LIBRARY OLD NEW\n"
    "       lanterna-cli slide INPUT.dxf -o OUTPUT.sld [--size WxH] [--layer NAME...]\n"
    "       lanterna-cli thumbnail INPUT OUTPUT.png [--size N]\n"
    "       lanterna-cli --version\n"
    "Member names are shown and taken in the code page of --names CODEPAGE (any command;\n"
    "big5, gbk, cp1252, cp437, shift_jis...); by default UTF-8 where valid, else cp1252.\n"
    "       lanterna-cli COMMAND --help\n";

namespace {
std::string gCommand;
}

void SetCommandName(const std::string& command) {
  gCommand = command;
}

int Usage(const char* problem) {
  if (gCommand.empty())
    Complain("lanterna-cli: %s (see lanterna-cli --help)\n", problem);
  else
    Complain("lanterna-cli %s: %s (see lanterna-cli %s --help)\n", gCommand.c_str(), problem,
             gCommand.c_str());
  return kExitUsage;
}

bool WantsHelp(const Args& args) {
  for (const std::string& a : args)
    if (a == "--help" || a == "-h") return true;
  return false;
}

int Help(const char* text) {
  std::fputs(text, stdout);
  return kExitOk;
}

bool EndsWith(const std::string& text, const std::string& tail) {
  const std::string upper = UpperCased(text);
  return upper.size() >= tail.size() &&
         upper.compare(upper.size() - tail.size(), tail.size(), tail) == 0;
}

bool ParsePair(const std::string& text, char separator, int* a, int* b) {
  const size_t at = text.find(separator);
  if (at == std::string::npos) return false;
  char* end = nullptr;
  const std::string first = text.substr(0, at), second = text.substr(at + 1);
  long x = std::strtol(first.c_str(), &end, 10);
  if (first.empty() || *end) return false;
  long y = std::strtol(second.c_str(), &end, 10);
  if (second.empty() || *end) return false;
  if (x < -1000000 || x > 1000000 || y < -1000000 || y > 1000000) return false;
  *a = static_cast<int>(x);
  *b = static_cast<int>(y);
  return true;
}

namespace {
bool gProgressLine = false;
}

void SetProgressLine(bool showing) {
  gProgressLine = showing;
}
bool ProgressLine() {
  return gProgressLine;
}

void Complain(const char* format, ...) {
  char buffer[4096];
  size_t n = 0;
  if (gProgressLine) {
    const char clear[] = "\r\033[K";
    for (const char* c = clear; *c; ++c) buffer[n++] = *c;
  }
  va_list args;
  va_start(args, format);
  const int wrote = std::vsnprintf(buffer + n, sizeof buffer - n, format, args);
  va_end(args);
  if (wrote < 0) return;
  n = std::min(sizeof buffer - 1, n + static_cast<size_t>(wrote));
  std::fflush(stderr);  // anything the engine left in the stream goes first
  for (size_t done = 0; done < n;) {
    const ssize_t w = ::write(STDERR_FILENO, buffer + done, n - done);
    if (w <= 0) break;
    done += static_cast<size_t>(w);
  }
}

std::string LastError() {
  return std::strerror(errno ? errno : EIO);
}

bool FlushedStdout() {
  errno = 0;
  if (std::fflush(stdout) == 0 && !std::ferror(stdout)) return true;
  Complain("lanterna-cli: standard output: cannot write: %s\n", std::strerror(errno ? errno : EIO));
  return false;
}

int LoaderFailure(const SlideName& name, int32_t result) {
  const SlideName shown{name.path, ShownName(name.member)};
  Complain("lanterna-cli: %s\n", LoaderFailureText(shown, SlideKindOf(name.path), result).c_str());
  return kExitFailed;
}

bool ListingComplete(const std::string& library) {
  const std::string problem = ListingFailureText(library);
  if (!problem.empty()) Complain("lanterna-cli: %s\n", problem.c_str());
  return LastListingEnd() == ListingEnd::kComplete;
}

}  // namespace lanterna
