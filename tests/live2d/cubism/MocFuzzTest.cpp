#include <random>

#include "tests/live2d/cubism/CubismTestSupport.h"
#include "live2d/cubism/CubismDrawList.h"

namespace live2d::cubism::test {
namespace {

// Whatever loads must also evaluate and build a draw list without reading out of bounds (checked by the
// sanitizer build).
void exercise(const std::vector<std::uint8_t>& bytes) {
  const auto moc = CubismMoc::create(bytes);
  if (!moc) return;
  const auto model = moc->createModel();
  for (int i = 0; i < model->getParameterCount(); ++i) model->setParameterValue(i, model->getParameterMaximumValue(i));
  model->update();
  CubismDrawList list;
  list.build(*model, {}, true);
}

class MocFuzzTest : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    if (!haveSamples()) GTEST_SKIP() << "Live2D samples not found under " << sampleDir();
    bytes = sampleFile(GetParam(), std::string(GetParam()) + ".moc3");
    ASSERT_FALSE(bytes.empty());
  }
  std::vector<std::uint8_t> bytes;
};

TEST_P(MocFuzzTest, TruncatedFilesAreRefused) {
  CubismFramework::setLogFunction(nullptr);
  // Every cut inside the used area makes some array run past the end.
  for (std::size_t length = 0; length + 64 <= bytes.size(); length += length < 4096 ? 61 : 997) {
    std::vector<std::uint8_t> cut(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(length));
    EXPECT_FALSE(CubismMoc::create(cut)) << "length " << length;
  }
}

TEST_P(MocFuzzTest, BitFlippedFilesNeverCrash) {
  CubismFramework::setLogFunction(nullptr);
  std::mt19937 random(20261208);
  std::uniform_int_distribution<std::size_t> position(0, bytes.size() - 1);
  std::uniform_int_distribution<int> bit(0, 7);
  for (int round = 0; round < 300; ++round) {
    auto copy = bytes;
    const int flips = 1 + round % 8;
    for (int f = 0; f < flips; ++f) copy[position(random)] ^= static_cast<std::uint8_t>(1u << bit(random));
    exercise(copy);
  }
  // Flips confined to the header, section table and count table hit every offset and count.
  std::uniform_int_distribution<std::size_t> header(0, 0x900);
  for (int round = 0; round < 300; ++round) {
    auto copy = bytes;
    copy[header(random)] ^= static_cast<std::uint8_t>(1u << bit(random));
    exercise(copy);
  }
}

TEST_P(MocFuzzTest, HugeCountsAreRefusedWithoutAllocating) {
  CubismFramework::setLogFunction(nullptr);
  // Each count in turn set to an enormous value.
  const std::uint32_t countTable = bytes[0x40] | bytes[0x41] << 8 | bytes[0x42] << 16 | static_cast<std::uint32_t>(bytes[0x43]) << 24;
  for (int slot = 0; slot < 23; ++slot) {
    auto copy = bytes;
    for (int b = 0; b < 4; ++b) copy[countTable + static_cast<std::uint32_t>(slot * 4 + b)] = 0xFF;
    EXPECT_FALSE(CubismMoc::create(copy)) << "count " << slot;
  }
}

INSTANTIATE_TEST_SUITE_P(Samples, MocFuzzTest, ::testing::Values("Haru", "Mark", "Mao"),
                         [](const auto& info) { return std::string(info.param); });

}  // namespace
}  // namespace live2d::cubism::test
