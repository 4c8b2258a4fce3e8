#pragma once

namespace lanterna {

// lanterna-cli: exit 0 on success, 1 when a file cannot be read or written, 2 for usage.
int CliMain(int argc, char** argv);

}  // namespace lanterna
