// Pixel data compressed in parts at once still makes one zlib stream that decodes whole.
#include "output/zlib_stream.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include "output/parts.h"

namespace {

using lanterna::ZlibStream;

// The stream's pieces one after the other.
std::vector<uint8_t> Joined(const ZlibStream& z) {
  std::vector<uint8_t> all;
  for (const lanterna::ByteBuffer& p : z.pieces)
    all.insert(all.end(), p.data.get(), p.data.get() + p.size);
  return all;
}

// The stream of data in the given number of parts, compressed at once.
ZlibStream InParts(const std::vector<uint8_t>& data, int parts) {
  std::vector<size_t> ends;
  for (int i = 0; i < parts; ++i) ends.push_back(lanterna::PartEnd(data.size(), i, parts));
  ZlibStream stream;
  EXPECT_TRUE(lanterna::ZlibCompressParts(data.data(), ends, 5, nullptr, &stream));
  return stream;
}

TEST(ZlibStream, EveryContentSizeAndNumberOfPartsDecodesToItself) {
  const size_t sizes[] = {0, 1000, (size_t{1} << 20) + 1, (size_t{3} << 20) + 7};
  for (size_t size : sizes) {
    for (int content = 0; content < 6; ++content) {
      std::vector<uint8_t> data(size);
      uint32_t noise = 7u + content;
      for (size_t i = 0; i < size; ++i) {
        noise = noise * 1103515245u + 12345u;
        // Blank, noise, and runs of various lengths: the parts end at varying bit positions.
        data[i] = content == 0   ? 0
                  : content == 1 ? static_cast<uint8_t>(noise >> 24)
                                 : static_cast<uint8_t>((i / (content * 3)) % (content * 5));
      }
      for (int parts = 0; parts <= 4; ++parts) {
        ZlibStream z;
        if (parts == 0)  // as many as this machine's cores take
          ASSERT_TRUE(lanterna::ZlibCompress(data.data(), size, 5, &z));
        else
          z = InParts(data, parts);
        const std::vector<uint8_t> joined = Joined(z);
        std::vector<uint8_t> back(size + 1);
        uLongf got = static_cast<uLongf>(back.size());
        ASSERT_EQ(uncompress(back.data(), &got, joined.data(), static_cast<uLong>(joined.size())),
                  Z_OK)
            << size << "/" << content << "/" << parts;
        back.resize(got);
        EXPECT_EQ(back, data) << size << "/" << content << "/" << parts;
      }
    }
  }
}

}  // namespace
