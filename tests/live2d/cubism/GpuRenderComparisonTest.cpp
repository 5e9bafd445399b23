#include <gtest/gtest.h>

#include <cstdio>
#include <ostream>

#include "live2d/cubism/CubismModelSettingJson.h"
#include "live2d/cubism/CubismOffscreenFrame_D3D9.h"
#include "live2d/cubism/CubismRenderer_D3D9.h"
#include "live2d/cubism/tool/PngFile.h"
#include "tests/live2d/cubism/CubismTestSupport.h"
#include "tests/live2d/cubism/GpuTestSupport.h"

namespace live2d::cubism::test {
namespace {

struct Renders {
  CubismImage gpu;       // composited over white
  CubismImage software;  // composited over white
};

Renders renderBoth(const std::string& name, const std::vector<std::pair<const char*, float>>& parameters, int width) {
  CubismModelSettingJson setting(sampleFile(name, name + ".model3.json"));
  const auto moc = CubismMoc::create(sampleFile(name, setting.getModelFileName()));
  if (!moc) return {};
  auto model = moc->createModel();
  for (const auto& [parameter, value] : parameters) model->setParameterValue(id(parameter), value);
  model->update();
  const int height = CubismSoftwareRenderer::canvasImageHeight(*model, width);
  const CubismMatrix44 projection = CubismSoftwareRenderer::canvasProjection(*model, width, height);

  CubismRenderer_D3D9::initializeConstantSettings(1, gfxtest::device());
  CubismRenderer_D3D9 gpu;
  gpu.initialize(model.get());
  CubismSoftwareRenderer software;
  software.initialize(model.get());
  software.setTarget(width, height);
  for (int i = 0; i < setting.getTextureCount(); ++i) {
    const auto image = readPng(sampleDir() + "/" + name + "/" + setting.getTextureFileName(i), nullptr);
    if (!image) continue;
    gpu.bindImage(i, *image);
    software.bindTexture(i, *image);
  }
  gpu.setMvpMatrix(projection);
  software.setMvpMatrix(projection);

  CubismOffscreenFrame_D3D9 frame;
  if (!frame.createOffscreenFrame(*gfxtest::device(), width, height) || !frame.beginDraw()) return {};
  frame.clear(0, 0, 0, 0);
  CubismRenderer_D3D9::startFrame(gfxtest::device(), width, height);
  gpu.drawModel();
  CubismRenderer_D3D9::endFrame(gfxtest::device());
  frame.endDraw();
  software.drawModel();
  return {compositeOver(readTargetImage(*frame.getTexture()), 255, 255, 255), software.compositeOver(1, 1, 1)};
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

void PrintTo(const RenderCase& c, std::ostream* out) { *out << c.referenceFile; }

class GpuRenderComparisonTest : public ::testing::TestWithParam<RenderCase> {
 protected:
  void SetUp() override {
    if (!haveSamples()) GTEST_SKIP() << "Live2D samples not found under " << sampleDir();
    GFX_REQUIRE_DEVICE();
  }
};

TEST_P(GpuRenderComparisonTest, MatchesTheReferenceAndTheSoftwareRender) {
  const RenderCase& c = GetParam();
  const CubismImage expected = reference(c.referenceFile);
  ASSERT_GT(expected.width, 0);
  const Renders renders = renderBoth(c.model, c.parameters, expected.width);
  ASSERT_EQ(renders.gpu.width, expected.width);
  ASSERT_EQ(renders.gpu.height, expected.height);
  const ImageDifference toReference = compareImages(renders.gpu, expected);
  const ImageDifference toSoftware = compareImages(renders.gpu, renders.software);
  std::printf(
      "%s: against the reference: mean %.3f, differing %.4f, worst tile %.3f; against the software "
      "render: mean %.3f, differing %.4f, worst tile %.3f\n",
      c.referenceFile, toReference.meanAbsolute, toReference.differingShare, toReference.worstTileShare,
      toSoftware.meanAbsolute, toSoftware.differingShare, toSoftware.worstTileShare);
  // Anti-aliasing and texture filtering differ; layering, masks or blending going wrong moves far more.
  EXPECT_LT(toReference.meanAbsolute, 2.5);
  EXPECT_LT(toReference.differingShare, 0.01);
  EXPECT_LT(toReference.worstTileShare, c.worstTileLimit);
  // The two renderers follow the same rules and sample alike; only rasterisation details may differ.
  EXPECT_LT(toSoftware.meanAbsolute, 0.5);
  EXPECT_LT(toSoftware.differingShare, 0.001);
  EXPECT_LT(toSoftware.worstTileShare, 0.02);
  if (::testing::Test::HasFailure()) {
    (void)writePng(std::string("/tmp/live2d-gpu-") + c.referenceFile, renders.gpu, nullptr);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Samples, GpuRenderComparisonTest,
    ::testing::Values(RenderCase{"Haru", "Haru_default.png", {}}, RenderCase{"Mark", "Mark_default.png", {}, 0.2},
                      RenderCase{"Mao", "Mao_default.png", {}},
                      RenderCase{"Haru",
                                 "Haru_ParamAngleX30_ParamEyeLOpen0_ParamMouthOpenY1.png",
                                 {{"ParamAngleX", 30.0f}, {"ParamEyeLOpen", 0.0f}, {"ParamMouthOpenY", 1.0f}}}),
    [](const auto& info) {
      const std::string file = info.param.referenceFile;
      return file.substr(0, file.size() - 4);
    });

TEST(GpuRenderComparisonMetricTest, TellsAPoseChangeApart) {
  if (!haveSamples()) GTEST_SKIP() << "Live2D samples not found under " << sampleDir();
  GFX_REQUIRE_DEVICE();
  // The GPU render of the default pose must fail against the head turn, or the comparisons above prove nothing.
  const CubismImage turned = reference("Haru_ParamAngleX30_ParamEyeLOpen0_ParamMouthOpenY1.png");
  ASSERT_GT(turned.width, 0);
  const ImageDifference d = compareImages(renderBoth("Haru", {}, turned.width).gpu, turned);
  EXPECT_GT(d.worstTileShare, 0.2);
}

}  // namespace
}  // namespace live2d::cubism::test
