#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "tests/live2d/cubism/CubismTestSupport.h"
#include "tests/live2d/cubism/ImageMetric.h"
#include "live2d/cubism/CubismModelSettingJson.h"
#include "live2d/cubism/CubismSoftwareRenderer.h"
#include "live2d/cubism/tool/PngFile.h"

namespace live2d::cubism::test {
namespace {

CubismImage render(const std::string& name, const std::vector<std::pair<const char*, float>>& parameters, int width = 260) {
  CubismModelSettingJson setting(sampleFile(name, name + ".model3.json"));
  const auto moc = CubismMoc::create(sampleFile(name, setting.getModelFileName()));
  if (!moc) return {};
  auto model = moc->createModel();
  for (const auto& [parameter, value] : parameters) model->setParameterValue(id(parameter), value);
  model->update();
  const int height = CubismSoftwareRenderer::canvasImageHeight(*model, width);
  CubismSoftwareRenderer renderer;
  renderer.initialize(model.get());
  renderer.setTarget(width, height);
  for (int i = 0; i < setting.getTextureCount(); ++i) {
    const auto image = readPng(sampleDir() + "/" + name + "/" + setting.getTextureFileName(i), nullptr);
    if (image) renderer.bindTexture(i, *image);
  }
  renderer.setMvpMatrix(CubismSoftwareRenderer::canvasProjection(*model, width, height));
  renderer.drawModel();
  return renderer.compositeOver(1.0f, 1.0f, 1.0f);
}

CubismImage reference(const std::string& file) {
  auto image = readPng(sampleDir() + "/reference-renders/" + file, nullptr);
  return image ? *image : CubismImage{};
}

struct RenderCase {
  const char* model;
  const char* referenceFile;
  std::vector<std::pair<const char*, float>> parameters;
  // Mark's thick outlines move more edge pixels into one tile than the painted models do.
  double worstTileLimit = 0.1;
};

class RenderComparisonTest : public ::testing::TestWithParam<RenderCase> {
 protected:
  void SetUp() override {
    if (!haveSamples()) GTEST_SKIP() << "Live2D samples not found under " << sampleDir();
  }
};

TEST_P(RenderComparisonTest, MatchesTheReferenceRender) {
  const RenderCase& c = GetParam();
  const CubismImage expected = reference(c.referenceFile);
  ASSERT_GT(expected.width, 0);
  const CubismImage actual = render(c.model, c.parameters, expected.width);
  ASSERT_EQ(actual.width, expected.width);
  ASSERT_EQ(actual.height, expected.height);
  const ImageDifference d = compareImages(actual, expected);
  std::printf("%s: mean difference %.3f, differing pixels %.4f, worst tile %.3f\n", c.referenceFile, d.meanAbsolute,
              d.differingShare, d.worstTileShare);
  // Anti-aliasing and texture filtering differ; layering, masks or blending going wrong moves far more.
  EXPECT_LT(d.meanAbsolute, 2.5) << c.referenceFile;
  EXPECT_LT(d.differingShare, 0.01) << c.referenceFile;
  EXPECT_LT(d.worstTileShare, c.worstTileLimit) << c.referenceFile;
  if (::testing::Test::HasFailure()) {
    (void)writePng(std::string("/tmp/live2d-") + c.referenceFile, actual, nullptr);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Samples, RenderComparisonTest,
    ::testing::Values(RenderCase{"Haru", "Haru_default.png", {}}, RenderCase{"Mark", "Mark_default.png", {}, 0.2},
                      RenderCase{"Mao", "Mao_default.png", {}},
                      RenderCase{"Haru",
                                 "Haru_ParamAngleX30_ParamEyeLOpen0_ParamMouthOpenY1.png",
                                 {{"ParamAngleX", 30.0f}, {"ParamEyeLOpen", 0.0f}, {"ParamMouthOpenY", 1.0f}}}),
    [](const auto& info) { return std::string(info.param.referenceFile).substr(0, std::string(info.param.referenceFile).size() - 4); });

TEST(RenderComparisonMetricTest, TellsAPoseChangeApart) {
  if (!haveSamples()) GTEST_SKIP() << "Live2D samples not found under " << sampleDir();
  // The metric must notice a head turn, or the comparisons above prove nothing.
  const ImageDifference d =
      compareImages(render("Haru", {}), reference("Haru_ParamAngleX30_ParamEyeLOpen0_ParamMouthOpenY1.png"));
  std::printf("default against head turn: mean difference %.3f, differing pixels %.4f, worst tile %.3f\n",
              d.meanAbsolute, d.differingShare, d.worstTileShare);
  EXPECT_GT(d.worstTileShare, 0.2);
}

// Two quads over a 4×4 target drawn with a half-transparent red texel; `topFlags` and `masked` configure
// the top one. Returns the first pixel (premultiplied RGBA).
std::vector<float> drawTwoQuads(std::uint8_t topFlags, bool masked) {
  ModelBuilder b;
  const std::vector<float> quad = {-1, -1, 1, -1, 1, 1, -1, 1};
  const int base = b.addMesh("Base", 0, {quad}, {100}, {1});
  const int top = b.addMesh("Top", 0, {quad}, {200}, {1});
  b.data.artMeshes[static_cast<std::size_t>(top)].flags = topFlags;
  if (masked) {
    b.data.drawableMasks = {base};
    b.data.artMeshes[static_cast<std::size_t>(top)].maskBegin = 0;
    b.data.artMeshes[static_cast<std::size_t>(top)].maskCount = 1;
    b.data.artMeshes[static_cast<std::size_t>(base)].maskBegin = 1;
  }
  auto model = b.build();
  if (!model) return {};
  model->update();
  CubismSoftwareRenderer renderer;
  renderer.initialize(model.get());
  renderer.setTarget(4, 4);
  renderer.setMvpMatrix(CubismMatrix44());
  renderer.bindTexture(0, CubismImage{1, 1, {255, 0, 0, 128}});
  renderer.drawModel();
  const auto& p = renderer.pixels();
  return {p[0], p[1], p[2], p[3]};
}

TEST(SoftwareRendererTest, BlendModesAndMasksFollowTheDrawingRules) {
  const float a = 128.0f / 255.0f;
  constexpr std::uint8_t kDoubleSided = 4;
  // Normal over normal: premultiplied source over destination.
  auto p = drawTwoQuads(kDoubleSided, false);
  ASSERT_EQ(p.size(), 4u);
  EXPECT_NEAR(p[3], a + a * (1 - a), 0.01f);
  EXPECT_NEAR(p[0], a + a * (1 - a), 0.01f);
  // Additive adds colour and leaves destination alpha alone.
  p = drawTwoQuads(kDoubleSided | 1, false);
  EXPECT_NEAR(p[3], a, 0.01f);
  EXPECT_NEAR(p[0], 2 * a, 0.01f);
  // Multiplicative: red·red + red·(1 − a), alpha kept.
  p = drawTwoQuads(kDoubleSided | 2, false);
  EXPECT_NEAR(p[3], a, 0.01f);
  EXPECT_NEAR(p[0], a * a + a * (1 - a), 0.01f);
  // Masked by Base, whose texture alpha is the coverage: Top is scaled by a; inverted by 1 − a.
  p = drawTwoQuads(kDoubleSided, true);
  EXPECT_NEAR(p[3], a * a + a * (1 - a * a), 0.01f);
  p = drawTwoQuads(kDoubleSided | 8, true);
  EXPECT_NEAR(p[3], (1 - a) * a + a * (1 - (1 - a) * a), 0.01f);
}

TEST(SoftwareRendererTest, CullsSingleSidedBackFacesOnlyWhenCullingIsOn) {
  ModelBuilder b;
  // Clockwise in y-up space once positions are flipped: a back face.
  const int mesh = b.addMesh("M", 0, {{-1, -1, 1, -1, 1, 1, -1, 1}}, {100}, {1});
  b.data.artMeshes[static_cast<std::size_t>(mesh)].flags = 0;
  auto model = b.build();
  ASSERT_TRUE(model);
  model->update();
  CubismSoftwareRenderer renderer;
  renderer.initialize(model.get());
  renderer.setTarget(2, 2);
  renderer.bindTexture(0, CubismImage{1, 1, {255, 255, 255, 255}});
  renderer.setIsCulling(true);
  renderer.drawModel();
  const float culled = renderer.pixels()[3];
  renderer.setIsCulling(false);
  renderer.drawModel();
  const float drawn = renderer.pixels()[3];
  EXPECT_FLOAT_EQ(drawn, 1.0f);
  EXPECT_FLOAT_EQ(culled, 0.0f);
}

}  // namespace
}  // namespace live2d::cubism::test
