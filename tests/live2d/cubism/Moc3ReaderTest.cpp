#include <nlohmann/json.hpp>

#include <cmath>
#include <cstring>

#include "tests/live2d/cubism/CubismTestSupport.h"
#include "live2d/cubism/private/Moc3Reader.h"

namespace live2d::cubism::test {
namespace {

struct SampleCounts {
  const char* model;
  int version;
  int parameters;
  int parts;
  int drawables;
  float canvasWidthPixels;
  float canvasHeightPixels;
};

class SampleMocTest : public ::testing::TestWithParam<SampleCounts> {
 protected:
  void SetUp() override {
    if (!haveSamples()) GTEST_SKIP() << "Live2D samples not found under " << sampleDir();
  }
};

TEST_P(SampleMocTest, LoadsWithCountsOfItsDisplayInfo) {
  const SampleCounts& s = GetParam();
  const auto moc = CubismMoc::create(sampleFile(s.model, std::string(s.model) + ".moc3"));
  ASSERT_TRUE(moc);
  EXPECT_EQ(moc->getMocVersion(), s.version);
  const auto model = moc->createModel();
  EXPECT_EQ(model->getParameterCount(), s.parameters);
  EXPECT_EQ(model->getPartCount(), s.parts);
  EXPECT_EQ(model->getDrawableCount(), s.drawables);
  EXPECT_FLOAT_EQ(model->getCanvasWidth() * model->getPixelsPerUnit(), s.canvasWidthPixels);
  EXPECT_FLOAT_EQ(model->getCanvasHeight() * model->getPixelsPerUnit(), s.canvasHeightPixels);

  // Every parameter of the display info exists in the moc, in the same order.
  const nlohmann::json cdi = nlohmann::json::parse(sampleFile(s.model, std::string(s.model) + ".cdi3.json"));
  ASSERT_EQ(cdi["Parameters"].size(), static_cast<std::size_t>(model->getParameterCount()));
  for (int i = 0; i < model->getParameterCount(); ++i) {
    EXPECT_EQ(model->getParameterId(i)->getString(), cdi["Parameters"][static_cast<std::size_t>(i)]["Id"].get<std::string>());
    EXPECT_LE(model->getParameterMinimumValue(i), model->getParameterDefaultValue(i));
    EXPECT_LE(model->getParameterDefaultValue(i), model->getParameterMaximumValue(i));
    EXPECT_EQ(model->getParameterValue(i), model->getParameterDefaultValue(i));
  }
  for (const auto& part : cdi["Parts"]) {
    const std::string partId = part["Id"].get<std::string>();
    // The editor's sketch layer is listed by the display info but not exported into the moc.
    if (partId == "Part01Sketch" || partId == "PartSketch") continue;
    EXPECT_LT(model->getPartIndex(id(partId.c_str())), model->getPartCount()) << partId;
  }
  // Texture slots stay within the setting's texture list.
  const nlohmann::json setting = nlohmann::json::parse(sampleFile(s.model, std::string(s.model) + ".model3.json"));
  for (int i = 0; i < model->getDrawableCount(); ++i) {
    EXPECT_LT(static_cast<std::size_t>(model->getDrawableTextureIndex(i)), setting["FileReferences"]["Textures"].size());
  }
}

INSTANTIATE_TEST_SUITE_P(Samples, SampleMocTest,
                         ::testing::Values(SampleCounts{"Haru", 1, 42, 19, 84, 2400, 4500},
                                           SampleCounts{"Mark", 3, 21, 17, 30, 2400, 3000},
                                           SampleCounts{"Mao", 5, 132, 32, 262, 5800, 8400}),
                         [](const auto& info) { return std::string(info.param.model); });

class MocReaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!haveSamples()) GTEST_SKIP() << "Live2D samples not found under " << sampleDir();
    bytes = sampleFile("Haru", "Haru.moc3");
  }
  std::vector<std::uint8_t> bytes;
};

TEST_F(MocReaderTest, ReadsParameterRangesAndDefaults) {
  const auto model = loadSampleModel("Haru");
  ASSERT_TRUE(model);
  const int angleX = model->getParameterIndex(id("ParamAngleX"));
  EXPECT_FLOAT_EQ(model->getParameterMinimumValue(angleX), -30.0f);
  EXPECT_FLOAT_EQ(model->getParameterMaximumValue(angleX), 30.0f);
  EXPECT_FLOAT_EQ(model->getParameterDefaultValue(angleX), 0.0f);
  const int eyeOpen = model->getParameterIndex(id("ParamEyeLOpen"));
  EXPECT_FLOAT_EQ(model->getParameterMinimumValue(eyeOpen), 0.0f);
  EXPECT_FLOAT_EQ(model->getParameterMaximumValue(eyeOpen), 2.0f);  // eyes can open wide
  EXPECT_FLOAT_EQ(model->getParameterDefaultValue(eyeOpen), 1.0f);
}

TEST_F(MocReaderTest, RefusesNewerVersionWithLogLine) {
  LogCapture log;
  bytes[4] = 6;
  EXPECT_FALSE(CubismMoc::create(bytes));
  EXPECT_TRUE(log.contains("[CSM][E]")) << "no error line";
  EXPECT_TRUE(log.contains("newer than the supported version 5"));
}

TEST_F(MocReaderTest, RefusesBadMagicAndVersionZero) {
  LogCapture log;
  auto copy = bytes;
  copy[0] = 'X';
  EXPECT_FALSE(CubismMoc::create(copy));
  EXPECT_TRUE(log.contains("bad magic"));
  copy = bytes;
  copy[4] = 0;
  EXPECT_FALSE(CubismMoc::create(copy));
}

TEST_F(MocReaderTest, WrongByteOrderFlagFailsCleanly) {
  // A little-endian file read as big-endian has every offset scrambled.
  bytes[5] = 1;
  EXPECT_FALSE(CubismMoc::create(bytes));
}

TEST_F(MocReaderTest, RejectsOffsetPointingPastTheEnd) {
  LogCapture log;
  // The slot for part ids (third slot) moved past the end of the file.
  const std::uint32_t past = static_cast<std::uint32_t>(bytes.size()) - 8;
  std::memcpy(bytes.data() + 0x40 + 3 * 4, &past, 4);
  EXPECT_FALSE(CubismMoc::create(bytes));
  EXPECT_TRUE(log.contains("outside the file"));
}

TEST_F(MocReaderTest, RejectsIndexOutOfRange) {
  auto data = readMoc3(bytes, nullptr);
  ASSERT_TRUE(data);
  std::string error;
  auto broken = *data;
  broken.positionIndices[0] = 60000;
  EXPECT_FALSE(validateMoc(broken, &error));
  EXPECT_NE(error.find("vertex index"), std::string::npos) << error;
  broken = *data;
  broken.artMeshKeyforms[0].positionBegin = static_cast<int>(broken.keyformPositions.size()) - 2;
  EXPECT_FALSE(validateMoc(broken, &error));
  broken = *data;
  broken.drawOrderGroupObjects[3].index = 5000;
  EXPECT_FALSE(validateMoc(broken, &error));
  broken = *data;
  broken.deformers[1].parentDeformerIndex = 1;  // its own parent
  EXPECT_FALSE(validateMoc(broken, &error));
  EXPECT_NE(error.find("cycle"), std::string::npos) << error;
  broken = *data;
  broken.artMeshes[0].keyformCount += 1;  // no longer the product of its key counts
  EXPECT_FALSE(validateMoc(broken, &error));
}

}  // namespace
}  // namespace live2d::cubism::test
