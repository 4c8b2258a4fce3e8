// lanterna-cli sheet: every slide given, and every member of every library given, in a grid.
#include "cli/cli_common.h"

namespace lanterna {

int SheetCommand(const Args&) {
  return Usage("not yet available");
}

}  // namespace lanterna
