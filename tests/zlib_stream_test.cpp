// Pixel data compressed in two halves at once still makes one zlib stream that decodes whole.
#include "cli/zlib_stream.h"

#include <gtest/gtest.h>
#include <zlib.h>

namespace {

TEST(ZlibStream, EveryContentAndSizeDecodesToItself) {
  const size_t sizes[] = {0, 1000, (size_t{1} << 20) + 1, (size_t{3} << 20) + 7};
  for (size_t size : sizes) {
    for (int content = 0; content < 6; ++content) {
      std::vector<uint8_t> data(size);
      uint32_t noise = 7u + content;
      for (size_t i = 0; i < size; ++i) {
        noise = noise * 1103515245u + 12345u;
        // Blank, noise, and runs of various lengths: the halves end at varying bit positions.
        data[i] = content == 0   ? 0
                  : content == 1 ? static_cast<uint8_t>(noise >> 24)
                                 : static_cast<uint8_t>((i / (content * 3)) % (content * 5));
      }
      std::vector<uint8_t> z;
      ASSERT_TRUE(lanterna::ZlibCompress(data.data(), size, 5, &z)) << size << "/" << content;
      std::vector<uint8_t> back(size + 1);
      uLongf got = static_cast<uLongf>(back.size());
      ASSERT_EQ(uncompress(back.data(), &got, z.data(), static_cast<uLong>(z.size())), Z_OK)
          << size << "/" << content;
      back.resize(got);
      EXPECT_EQ(back, data) << size << "/" << content;
    }
  }
}

}  // namespace
