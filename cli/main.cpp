#include "cli/commands.h"

int main(int argc, char** argv) {
  return lanterna::CliMain(argc, argv);
}
