#include "cli/commands.h"

#include <cstdio>
#include <string>

#include "cli/cli_common.h"

namespace lanterna {

int CliMain(int argc, char** argv) {
  if (argc < 2) return Usage();
  const std::string command = argv[1];
  Args args(argv + 2, argv + argc);
  if (command == "render") return RenderCommand(args);
  if (command == "list") return ListCommand(args);
  if (command == "info") return InfoCommand(args);
  if (command == "dxf") return DxfCommand(args);
  if (command == "create") return CreateCommand(args);
  if (command == "extract") return ExtractCommand(args);
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
