// lanterna-cli create.
#include "cli/cli_common.h"

namespace lanterna {

int CreateCommand(const Args&) { return Usage("create is not available yet"); }

}  // namespace lanterna
