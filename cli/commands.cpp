#include "cli/commands.h"

#include <cstdio>
#include <string>

#include "cli/cli_common.h"
#include "lanterna_version.h"
#include "resources/license_notice.h"

namespace lanterna {

int CliMain(int argc, char** argv) {
  if (argc < 2) return Usage("no command");
  const std::string command = argv[1];
  Args args(argv + 2, argv + argc);
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
    if (command == "help" && argc > 2 && std::string(argv[2]) != "help") {
      // "help COMMAND" is "COMMAND --help".
      char flag[] = "--help";
      char* again[] = {argv[0], argv[2], flag};
      return CliMain(3, again);
    }
    std::fputs(kUsage, stdout);
    return kExitOk;
  }
  return Usage(("unknown command " + command).c_str());
}

}  // namespace lanterna
