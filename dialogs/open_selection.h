// Opens or lists what the Open dialog returned: one full path, a directory and blank-separated
// names, or a library path, a comma and blank-separated member names.
#pragma once

#include <string>

class QListWidget;

namespace lanterna {

constexpr int kOpenSlides = 1;  // a slide window each
constexpr int kListSlides = 2;  // an entry each in list

void OpenSelection(const std::string& result, int mode, QListWidget* list);

}  // namespace lanterna
