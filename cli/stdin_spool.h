// "-" as an input: standard input copied to a temporary file, since the loader reads slides
// by name. The file is named for the kind its first bytes show, and removed afterwards.
#pragma once

#include <string>

#include "output/slide_name.h"

namespace lanterna {

constexpr char kStdinLabel[] = "(standard input)";

class StdinSpool {
 public:
  StdinSpool() = default;
  ~StdinSpool();
  StdinSpool(const StdinSpool&) = delete;
  StdinSpool& operator=(const StdinSpool&) = delete;

  // When the name is "-", reads standard input to a file and points the name at it; false,
  // with a message, when that cannot be done. Other names are left alone.
  bool Take(SlideName* name);
  bool Active() const { return !path_.empty(); }

 private:
  std::string dir_;
  std::string path_;
};

// The name to show in messages: "(standard input)" for a spooled input.
SlideName ShownName(const SlideName& name, const StdinSpool& spool);

}  // namespace lanterna
