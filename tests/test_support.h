// Shared helpers for the engine tests: temporary files and recorded platform services.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/exten.h"
#include "platform/input.h"
#include "slide/ciclo.h"
#include "slide/loader.h"
#include "tests/slide_writer.h"

namespace fixtures {

// A directory of its own for each test, removed afterwards.
class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "lanterna-XXXXXX").string();
    path_ = ::mkdtemp(pattern.data()) ? pattern : std::string();
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  std::string File(const std::string& name) const { return path_ + "/" + name; }
  std::string Write(const std::string& name, const Bytes& bytes) const {
    const std::string p = File(name);
    WriteFile(p, bytes);
    return p;
  }

 private:
  std::string path_;
};

// Records every box and message-window call for the test's life; input queue scripted too.
class RecordedServices {
 public:
  RecordedServices() {
    platform::SetMessageBoxService(&boxes);
    platform::SetMessageWindowService(&mex);
    platform::SetInputQueue(&input);
    lanterna::InterruptMask(lanterna::kDefaultInterruptMask);
  }
  ~RecordedServices() {
    platform::SetMessageBoxService(nullptr);
    platform::SetMessageWindowService(nullptr);
    platform::SetInputQueue(nullptr);
  }
  platform::RecordingMessageBoxes boxes;
  platform::RecordingMessageWindow mex;
  platform::ScriptedInputQueue input;
};

inline std::string BoxTexts(const platform::RecordingMessageBoxes& boxes) {
  std::string all;
  for (auto& b : boxes.boxes) all += b.title + ": " + b.text + "\n";
  return all;
}

// A member-name buffer the loader may upper-case in place.
struct NameBuffer {
  explicit NameBuffer(const std::string& name = "") {
    text.assign(name.begin(), name.end());
    text.resize(64, 0);
  }
  char* data() { return text.data(); }
  std::string str() const { return std::string(text.data()); }
  std::vector<char> text;
};

}  // namespace fixtures
