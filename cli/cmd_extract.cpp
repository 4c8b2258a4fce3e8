// lanterna-cli extract.
#include "cli/cli_common.h"

namespace lanterna {

int ExtractCommand(const Args&) { return Usage("extract is not available yet"); }

}  // namespace lanterna
