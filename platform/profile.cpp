#include "platform/profile.h"

#include <strings.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <optional>
#include <sstream>
#include <vector>

namespace platform {

namespace {

std::string Trimmed(const std::string& s) {
  size_t b = s.find_first_not_of(" \t\r\n");
  if (b == std::string::npos) return "";
  size_t e = s.find_last_not_of(" \t\r\n");
  return s.substr(b, e - b + 1);
}

bool SameName(const std::string& a, const char* b) {
  return strcasecmp(a.c_str(), b) == 0;
}

std::vector<std::string> ReadLines(const std::string& path) {
  std::vector<std::string> lines;
  std::ifstream in(path, std::ios::binary);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

// "[name]" gives name; anything else is not a section header.
std::optional<std::string> SectionName(const std::string& line) {
  std::string t = Trimmed(line);
  if (t.size() < 2 || t.front() != '[') return std::nullopt;
  size_t close = t.find(']');
  if (close == std::string::npos) return std::nullopt;
  return Trimmed(t.substr(1, close - 1));
}

// "key=value" gives key and value; comments and other lines give nothing.
bool KeyValue(const std::string& line, std::string* key, std::string* value) {
  std::string t = Trimmed(line);
  if (t.empty() || t[0] == ';') return false;
  size_t eq = t.find('=');
  if (eq == std::string::npos) return false;
  *key = Trimmed(t.substr(0, eq));
  if (value) *value = Trimmed(t.substr(eq + 1));
  return true;
}

std::optional<std::string> Lookup(const char* section, const char* key, const char* fileName) {
  bool inSection = false;
  for (const std::string& line : ReadLines(ProfilePath(fileName))) {
    if (auto name = SectionName(line)) {
      inSection = SameName(*name, section);
      continue;
    }
    std::string k, v;
    if (inSection && KeyValue(line, &k, &v) && SameName(k, key)) {
      // A value in double quotes loses them, as the profile functions do.
      if (v.size() >= 2 && v.front() == '"' && v.back() == '"') v = v.substr(1, v.size() - 2);
      return v;
    }
  }
  return std::nullopt;
}

void MakeDirectories(const std::string& dir) {
  for (size_t i = 1; i <= dir.size(); ++i)
    if (i == dir.size() || dir[i] == '/') ::mkdir(dir.substr(0, i).c_str(), 0700);
}

}  // namespace

std::string ProfilePath(const std::string& fileName) {
  if (fileName.find('/') != std::string::npos) return fileName;
  std::string dir;
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg == '/') {
    dir = xdg;
  } else {
    const char* home = std::getenv("HOME");
    dir = std::string(home && *home ? home : ".") + "/.config";
  }
  return dir + "/" + fileName;
}

int GetPrivateProfileInt(const char* section, const char* key, int defaultValue,
                         const char* fileName) {
  std::optional<std::string> v = Lookup(section, key, fileName);
  if (!v) return defaultValue;
  // Leading digits count, as with the profile functions; no digits read as 0.
  return static_cast<int>(std::strtol(v->c_str(), nullptr, 10));
}

size_t GetPrivateProfileString(const char* section, const char* key, const char* defaultValue,
                               char* buffer, size_t size, const char* fileName) {
  if (!buffer || size == 0) return 0;
  std::optional<std::string> v = Lookup(section, key, fileName);
  std::string text = v ? *v : std::string(defaultValue ? defaultValue : "");
  size_t n = std::min(text.size(), size - 1);
  std::memcpy(buffer, text.data(), n);
  buffer[n] = 0;
  return n;
}

bool WritePrivateProfileString(const char* section, const char* key, const char* value,
                               const char* fileName) {
  if (!section) return false;
  const std::string path = ProfilePath(fileName);
  std::vector<std::string> lines = ReadLines(path);
  std::vector<std::string> out;
  bool inSection = false, found = false, done = false;
  auto addKey = [&] {
    if (!done && key && value) out.push_back(std::string(key) + "=" + value);
    done = true;
  };
  for (const std::string& line : lines) {
    if (auto name = SectionName(line)) {
      if (inSection) {
        // A new key goes after the section's last key, before the blank lines that end it.
        size_t at = out.size();
        while (at > 0 && Trimmed(out[at - 1]).empty()) --at;
        std::vector<std::string> tail(out.begin() + at, out.end());
        out.resize(at);
        if (key) addKey();
        out.insert(out.end(), tail.begin(), tail.end());
      }
      inSection = SameName(*name, section);
      if (inSection) {
        found = true;
        if (!key) continue;  // the section goes
      }
      out.push_back(line);
      continue;
    }
    if (inSection) {
      if (!key) continue;
      std::string k;
      if (KeyValue(line, &k, nullptr) && SameName(k, key)) {
        if (value && !done) out.push_back(std::string(key) + "=" + value);
        done = true;
        continue;
      }
    }
    out.push_back(line);
  }
  if (inSection && key) addKey();
  if (!found && key && value) {
    out.push_back("[" + std::string(section) + "]");
    addKey();
  }

  size_t slash = path.rfind('/');
  if (slash != std::string::npos && slash > 0) MakeDirectories(path.substr(0, slash));
  const std::string temp = path + ".tmp";
  {
    std::ofstream f(temp, std::ios::binary | std::ios::trunc);
    if (!f) return false;
    for (const std::string& line : out) f << line << "\n";
    if (!f.good()) return false;
  }
  return std::rename(temp.c_str(), path.c_str()) == 0;
}

}  // namespace platform
