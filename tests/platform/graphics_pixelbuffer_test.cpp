#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "platform/graphics/PixelBuffer.h"
#include "tests/platform/graphics_support.h"

namespace graphics_test {
namespace {

using platform::AlphaInfo;
using platform::Bitmap;
using platform::ColorModel;
using platform::PixelBuffer;

constexpr std::size_t kWords = 300 * 200;  // over the smallest pooled size

TEST(PixelBufferTest, FreedBuffersAreReusedBySizeWithinTheCaps) {
  PixelBuffer::drainPool();
  const std::uint32_t* first = nullptr;
  {
    auto buffer = PixelBuffer::allocate(kWords);
    ASSERT_TRUE(buffer);
    first = buffer->data();
  }
  EXPECT_EQ(PixelBuffer::pooledBytes(), kWords * 4);
  auto again = PixelBuffer::allocate(kWords);
  EXPECT_EQ(again->data(), first);  // the same memory, already mapped
  EXPECT_EQ(PixelBuffer::pooledBytes(), 0u);
  auto otherSize = PixelBuffer::allocate(kWords + 1);
  EXPECT_NE(otherSize->data(), first);

  // Small buffers are malloc's business; one size keeps a few; the whole pool stays bounded.
  PixelBuffer::allocate(16).reset();
  EXPECT_EQ(PixelBuffer::pooledBytes(), 0u);
  std::vector<std::unique_ptr<PixelBuffer>> many;
  for (std::size_t i = 0; i < PixelBuffer::kPerSize + 3; ++i) {
    many.push_back(PixelBuffer::allocate(kWords));
  }
  many.clear();
  EXPECT_EQ(PixelBuffer::pooledBytes(), PixelBuffer::kPerSize * kWords * 4);
  const std::size_t large = PixelBuffer::kPoolBytes / 4 / 3 + 1;  // three do not fit
  for (int i = 0; i < 3; ++i) many.push_back(PixelBuffer::allocate(large));
  many.clear();
  EXPECT_LE(PixelBuffer::pooledBytes(), PixelBuffer::kPoolBytes);
  EXPECT_GE(PixelBuffer::pooledBytes(), 2 * large * 4);  // older sizes made room
  EXPECT_FALSE(PixelBuffer::allocate(0));
  PixelBuffer::drainPool();
  EXPECT_EQ(PixelBuffer::pooledBytes(), 0u);
}

TEST(PixelBufferTest, BitmapsAdoptOrShareStorageWithoutCopying) {
  auto buffer = PixelBuffer::allocate(4);
  std::fill(buffer->data(), buffer->data() + 4, 0xFF102030u);
  const std::uint32_t* words = buffer->data();
  EXPECT_FALSE(Bitmap::adopt(3, 1, PixelBuffer::allocate(4), AlphaInfo::None, ColorModel::RGB));
  auto bitmap = Bitmap::adopt(2, 2, std::move(buffer), AlphaInfo::None, ColorModel::Monochrome);
  ASSERT_TRUE(bitmap);
  EXPECT_EQ(bitmap->pixels(), words);
  EXPECT_EQ(bitmap->byteCount(), 16u);

  auto shared = Bitmap::sharingPixels(bitmap, AlphaInfo::NoneSkipLast, ColorModel::RGB);
  bitmap.reset();  // the sharing bitmap keeps the words alive
  EXPECT_EQ(shared->pixels(), words);
  EXPECT_EQ(shared->pixel(1, 1), 0xFF102030u);
  EXPECT_EQ(shared->alphaInfo(), AlphaInfo::NoneSkipLast);
  EXPECT_EQ(shared->colorModel(), ColorModel::RGB);
}

// Decoders write into recycled, unfilled memory: whatever a buffer held before must never show,
// not even in the rows a cut JPEG never delivered.
TEST(PixelBufferTest, DecodersWriteEveryWordOfRecycledMemory) {
  for (const char* name : {"baseline.jpg", "progressive.jpg", "interlaced.png", "palette.png",
                           "rgb_opaque.png", "cmyk_adobe.jpg"}) {
    platform::Data data = sample(name);
    if (std::string(name).find(".jpg") != std::string::npos) data.resize(data.size() * 2 / 3);
    auto clean = decodeFrame(data);
    ASSERT_TRUE(clean) << name;
    const std::vector<std::uint32_t> expected(clean->pixels(),
                                              clean->pixels() + clean->byteCount() / 4);
    clean.reset();
    PixelBuffer::drainPool();
    const std::size_t words = expected.size();
    {
      auto dirty = PixelBuffer::allocate(words);
      std::fill(dirty->data(), dirty->data() + words, 0x5A12C3E4u);
    }  // pooled (when large enough), poison and all
    auto again = decodeFrame(data);
    ASSERT_TRUE(again) << name;
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), again->pixels())) << name;
  }
  PixelBuffer::drainPool();
}

}  // namespace
}  // namespace graphics_test
