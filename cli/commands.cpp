#include "cli/commands.h"

#include <cstddef>
#include <cstdio>
#include <string>

#include "cli/cli_common.h"
#include "cli/member_names.h"
#include "lanterna_version.h"
#include "output/name_codec.h"
#include "platform/temp_guard.h"
#include "resources/license_notice.h"

namespace lanterna {

namespace {

// --names CODEPAGE (or --names=CODEPAGE), anywhere on the line: taken out of the arguments.
// False, after the usage message, when it names no code page iconv knows.
bool TakeNameCodePage(Args* all, int* code) {
  for (size_t i = 0; i < all->size(); ++i) {
    const std::string& a = (*all)[i];
    if (a == "--") break;
    std::string codePage;
    size_t taken = 1;
    if (a == "--names") {
      if (i + 1 == all->size()) {
        *code = Usage("--names needs a code page (big5, gbk, cp1252, cp437, shift_jis...)");
        return false;
      }
      codePage = (*all)[i + 1];
      taken = 2;
    } else if (a.rfind("--names=", 0) == 0) {
      codePage = a.substr(8);
    } else {
      continue;
    }
    if (!KnownCodePage(codePage)) {
      *code = Usage(("unknown code page " + codePage + " for --names").c_str());
      return false;
    }
    NameCodePage() = codePage;
    all->erase(all->begin() + static_cast<std::ptrdiff_t>(i),
               all->begin() + static_cast<std::ptrdiff_t>(i + taken));
    --i;
  }
  return true;
}

int RunCommand(int argc, char** argv) {
  Args all(argv + 1, argv + argc);
  int code = kExitOk;
  if (!TakeNameCodePage(&all, &code)) return code;
  if (all.empty()) return Usage("no command");
  const std::string command = all[0];
  Args args(all.begin() + 1, all.end());
  if (command == "--version") {
    std::puts("lanterna-cli " LANTERNA_VERSION);
    std::fputs(kLicenseNotice, stdout);
    return kExitOk;
  }
  static const char* const kCommands[] = {"render", "list",    "info",  "dxf",
                                          "create", "extract", "sheet", "add",
                                          "remove", "rename",  "slide", "thumbnail"};
  for (const char* known : kCommands)
    if (command == known) SetCommandName(command);
  if (command == "render") return RenderCommand(args);
  if (command == "list") return ListCommand(args);
  if (command == "info") return InfoCommand(args);
  if (command == "dxf") return DxfCommand(args);
  if (command == "create") return CreateCommand(args);
  if (command == "extract") return ExtractCommand(args);
  if (command == "sheet") return SheetCommand(args);
  if (command == "add") return AddCommand(args);
  if (command == "remove") return RemoveCommand(args);
  if (command == "rename") return RenameCommand(args);
  if (command == "slide") return SlideCommand(args);
  if (command == "thumbnail") return ThumbnailCommand(args);
  if (command == "-h" || command == "--help" || command == "help") {
    if (command == "help" && !args.empty() && args[0] != "help") {
      // "help COMMAND" is "COMMAND --help".
      std::string named = args[0];
      char flag[] = "--help";
      char* again[] = {argv[0], named.data(), flag};
      return RunCommand(3, again);
    }
    std::fputs(kUsage, stdout);
    return kExitOk;
  }
  return Usage(("unknown command " + command).c_str());
}

}  // namespace

int CliMain(int argc, char** argv) {
  // A signal that ends a run removes the temporary file it was writing.
  platform::InstallTempGuard();
  const int code = RunCommand(argc, argv);
  // What was printed must have arrived: a listing cut short by a full disk is no success.
  if (!FlushedStdout() && code == kExitOk) return kExitFailed;
  return code;
}

}  // namespace lanterna
