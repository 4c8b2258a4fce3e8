#include "slide/slide_block.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/slide_writer.h"

namespace lanterna {
namespace {

// Bytes 0..size-1 of a file of `fileSize` patterned bytes, from `offset` on: small blocks are
// read, big ones copied from a mapping; an offset inside a page (a library member) and a file
// shorter than the block (the rest stays zero) both go either way.
struct BlockCase {
  size_t fileSize, offset, blockSize;
};

class SlideBlockTest : public ::testing::TestWithParam<BlockCase> {};

TEST_P(SlideBlockTest, HoldsTheFilesBytesThenZeros) {
  const BlockCase c = GetParam();
  fixtures::Bytes bytes(c.fileSize);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 7 + i / 251);
  const std::string path = ::testing::TempDir() + "slide-block-" + std::to_string(::getpid());
  ASSERT_TRUE(fixtures::WriteFile(path, bytes));
  std::FILE* file = std::fopen(path.c_str(), "rb");
  ASSERT_NE(file, nullptr);
  std::fseek(file, static_cast<long>(c.offset), SEEK_SET);
  SlideBlock block;
  ASSERT_NE(block.Allocate(c.blockSize), nullptr);
  const size_t expected = std::min(c.blockSize, c.fileSize - c.offset);
  EXPECT_EQ(block.Read(file), expected);
  std::fclose(file);
  std::remove(path.c_str());
  std::vector<uint8_t> want(c.blockSize, 0);
  std::copy(bytes.begin() + c.offset, bytes.begin() + c.offset + expected, want.begin());
  EXPECT_TRUE(std::equal(want.begin(), want.end(), block.get()));
}

INSTANTIATE_TEST_SUITE_P(Sizes, SlideBlockTest,
                         ::testing::Values(BlockCase{1000, 0, 1000}, BlockCase{1000, 10, 900},
                                           BlockCase{600000, 0, 600000},
                                           BlockCase{600000, 4099, 400000},
                                           BlockCase{600000, 300001, 400000}));

}  // namespace
}  // namespace lanterna
