// A library as CAD programs in China, Western Europe and today write them: member names in
// Big5, GBK, Windows-1252 and UTF-8, and two Big5 names whose second bytes are "a" and "A".
#pragma once

#include <string>
#include <vector>

#include "tests/slide_writer.h"

namespace fixtures {

struct LegacyName {
  std::string stored;    // the bytes in the directory
  std::string codePage;  // the code page that reads them ("" for plain ASCII or UTF-8)
  std::string text;      // what they say, in UTF-8
};

inline const std::vector<LegacyName>& LegacyNames() {
  static const std::vector<LegacyName> names = {
      {"PLAN", "", "PLAN"},
      {"\xA6\xE8\xAF\x5A\xA4\xFA\xAB\xCE\xAD\xB1", "big5", "西班牙屋面"},
      {"\xA6\x61", "big5", "地"},
      {"\xA6\x41", "big5", "再"},
      {"\xC6\xBD\xC3\xE6\xCD\xBC", "gbk", "平面图"},
      {"Fa\xE7"
       "ade",
       "cp1252", "Façade"},
      {"T\xC3\xBCr", "", "Tür"},
  };
  return names;
}

// Member i's slide: each one different, so that a picture tells which member was read.
inline Bytes LegacyMemberSlide(int i) {
  SlideWriter s(200, 150);
  s.Colour(1 + i % 7);
  for (int k = 0; k <= i; ++k) s.Vector(10 + k * 20, 10, 10 + k * 20, 140);
  return s.Build();
}

inline Bytes LegacyLibrary() {
  std::vector<Member> members;
  for (size_t i = 0; i < LegacyNames().size(); ++i)
    members.push_back({LegacyNames()[i].stored, LegacyMemberSlide(static_cast<int>(i))});
  return LibraryBytes(members);
}

}  // namespace fixtures
