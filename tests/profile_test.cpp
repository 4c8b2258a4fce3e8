#include "platform/profile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "tests/test_support.h"

namespace {

std::string Contents(const std::string& path) {
  std::ifstream in(path);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

class ProfileTest : public ::testing::Test {
 protected:
  void SetUp() override { ::setenv("XDG_CONFIG_HOME", dir.File("config").c_str(), 1); }
  void TearDown() override { ::unsetenv("XDG_CONFIG_HOME"); }
  fixtures::TempDir dir;
};

TEST_F(ProfileTest, MissingFileGivesDefaults) {
  EXPECT_EQ(platform::GetPrivateProfileInt("Lanterna", "XPos", 17, "QVINI.INI"), 17);
  char buf[16];
  EXPECT_EQ(platform::GetPrivateProfileString("Lanterna", "LastDir", "here", buf, sizeof buf,
                                              "QVINI.INI"),
            4u);
  EXPECT_STREQ(buf, "here");
}

TEST_F(ProfileTest, PathFollowsTheConfigurationDirectory) {
  EXPECT_EQ(platform::ProfilePath("QVINI.INI"), dir.File("config") + "/QVINI.INI");
  ::unsetenv("XDG_CONFIG_HOME");
  const std::string home = std::getenv("HOME") ? std::getenv("HOME") : ".";
  EXPECT_EQ(platform::ProfilePath("QVINI.INI"), home + "/.config/QVINI.INI");
}

TEST_F(ProfileTest, WritesInOrderAndKeepsOtherSectionsAndKeys) {
  const std::string path = platform::ProfilePath("QVINI.INI");
  ASSERT_TRUE(platform::WritePrivateProfileString("Other", "Keep", "me", "QVINI.INI"));
  ASSERT_TRUE(platform::WritePrivateProfileString("Lanterna", "Ver", "2.1", "QVINI.INI"));
  ASSERT_TRUE(platform::WritePrivateProfileString("Lanterna", "XPos", "-50", "QVINI.INI"));
  ASSERT_TRUE(platform::WritePrivateProfileString("other", "Also", "x", "QVINI.INI"));
  // An existing key keeps its place; names are matched without regard to case.
  ASSERT_TRUE(platform::WritePrivateProfileString("LANTERNA", "ver", "2.2", "QVINI.INI"));
  EXPECT_EQ(Contents(path), "[Other]\nKeep=me\nAlso=x\n[Lanterna]\nver=2.2\nXPos=-50\n");
  EXPECT_EQ(platform::GetPrivateProfileInt("Lanterna", "xpos", 0, "QVINI.INI"), -50);
  char buf[8];
  platform::GetPrivateProfileString("Lanterna", "Ver", "", buf, 3, "QVINI.INI");
  EXPECT_STREQ(buf, "2.");  // cut to the buffer
}

TEST_F(ProfileTest, RemovesKeysAndSections) {
  const std::string path = platform::ProfilePath("QVINI.INI");
  platform::WritePrivateProfileString("A", "k", "1", "QVINI.INI");
  platform::WritePrivateProfileString("B", "k", "2", "QVINI.INI");
  platform::WritePrivateProfileString("A", "j", "3", "QVINI.INI");
  platform::WritePrivateProfileString("A", "k", nullptr, "QVINI.INI");
  EXPECT_EQ(Contents(path), "[A]\nj=3\n[B]\nk=2\n");
  platform::WritePrivateProfileString("A", nullptr, nullptr, "QVINI.INI");
  EXPECT_EQ(Contents(path), "[B]\nk=2\n");
}

TEST_F(ProfileTest, ReadsFilesWrittenElsewhere) {
  platform::WritePrivateProfileString("X", "y", "1", "QVINI.INI");
  std::ofstream(platform::ProfilePath("QVINI.INI"))
      << "; comment\r\n[Lanterna]\r\n  ShowDelay = 7 \r\nLastDir=\"/tmp/a b\"\r\nBad=x\r\n";
  EXPECT_EQ(platform::GetPrivateProfileInt("Lanterna", "ShowDelay", 3, "QVINI.INI"), 7);
  EXPECT_EQ(platform::GetPrivateProfileInt("Lanterna", "Bad", 3, "QVINI.INI"), 0);
  char buf[32];
  platform::GetPrivateProfileString("Lanterna", "LastDir", "", buf, sizeof buf, "QVINI.INI");
  EXPECT_STREQ(buf, "/tmp/a b");
}

}  // namespace
