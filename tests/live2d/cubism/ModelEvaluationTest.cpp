#include <algorithm>
#include <cmath>

#include "tests/live2d/cubism/CubismTestSupport.h"

namespace live2d::cubism::test {
namespace {

std::vector<float> positions(const CubismModel& model, int drawable) {
  const auto span = model.getDrawableVertexPositions(drawable);
  return {span.begin(), span.end()};
}

// Positions come out y-up; keyforms are written y-down.
std::vector<float> yUp(std::vector<float> points) {
  for (std::size_t k = 1; k < points.size(); k += 2) points[k] = -points[k];
  return points;
}

void expectPoints(const std::vector<float>& actual, const std::vector<float>& expected) {
  ASSERT_EQ(actual.size(), expected.size());
  for (std::size_t k = 0; k < actual.size(); ++k) EXPECT_NEAR(actual[k], expected[k], 1e-4f) << "coordinate " << k;
}

const std::vector<float> kTriangleA = {0, 0, 1, 0, 0, 1};
const std::vector<float> kTriangleB = {2, 0, 3, 2, 0, 5};

TEST(ModelEvaluationTest, KeyValueGivesExactlyThatKeyform) {
  ModelBuilder b;
  const int p = b.addParameter("P", -10, 10, 0, {0, 10});
  const int mesh = b.addMesh("M", b.addBinding({p}), {kTriangleA, kTriangleB}, {100, 300}, {1.0f, 0.5f});
  auto model = b.build();
  ASSERT_TRUE(model);
  model->setParameterValue(p, 10);
  model->update();
  expectPoints(positions(*model, mesh), yUp(kTriangleB));
  EXPECT_FLOAT_EQ(model->getDrawableOpacity(mesh), 0.5f);
  EXPECT_EQ(model->getDrawableDrawOrder(mesh), 300);
  model->setParameterValue(p, 0);
  model->update();
  expectPoints(positions(*model, mesh), yUp(kTriangleA));
  // Below the first key the first keyform holds.
  model->setParameterValue(p, -10);
  model->update();
  expectPoints(positions(*model, mesh), yUp(kTriangleA));
}

TEST(ModelEvaluationTest, HalfwayBetweenKeysGivesTheAverage) {
  ModelBuilder b;
  const int p = b.addParameter("P", 0, 10, 0, {0, 10});
  const int mesh = b.addMesh("M", b.addBinding({p}), {kTriangleA, kTriangleB}, {100, 300}, {1.0f, 0.5f});
  auto model = b.build();
  model->setParameterValue(p, 5);
  model->update();
  std::vector<float> average;
  for (std::size_t k = 0; k < kTriangleA.size(); ++k) average.push_back((kTriangleA[k] + kTriangleB[k]) / 2);
  expectPoints(positions(*model, mesh), yUp(average));
  EXPECT_FLOAT_EQ(model->getDrawableOpacity(mesh), 0.75f);
  EXPECT_EQ(model->getDrawableDrawOrder(mesh), 200);
}

TEST(ModelEvaluationTest, TwoParametersBlendAsAGridWithTheFirstFastest) {
  ModelBuilder b;
  const int a = b.addParameter("A", 0, 1, 0, {0, 1});
  const int c = b.addParameter("B", 0, 1, 0, {0, 1});
  const std::vector<std::vector<float>> kf = {{0, 0, 1, 0, 0, 1}, {10, 0, 11, 0, 10, 1}, {0, 20, 1, 20, 0, 21},
                                              {10, 20, 11, 20, 10, 21}};
  const int mesh = b.addMesh("M", b.addBinding({a, c}), kf, {0, 0, 0, 0}, {1, 1, 1, 1});
  auto model = b.build();
  model->setParameterValue(a, 1);
  model->update();
  expectPoints(positions(*model, mesh), yUp(kf[1]));
  model->setParameterValue(a, 0);
  model->setParameterValue(c, 1);
  model->update();
  expectPoints(positions(*model, mesh), yUp(kf[2]));
  model->setParameterValue(a, 0.25f);
  model->update();
  expectPoints(positions(*model, mesh), yUp({2.5f, 20, 3.5f, 20, 2.5f, 21}));
}

TEST(ModelEvaluationTest, WarpMapsAPointByTheCellsTriangles) {
  ModelBuilder b;
  // One cell: P00 (0,0), P10 (10,0), P01 (0,10), P11 (10,20).
  const int warp = b.addWarp("W", 0, 1, 1, {{0, 0, 10, 0, 0, 10, 10, 20}});
  const int mesh = b.addMesh("M", 0, {{0.25f, 0.25f, 0.75f, 0.75f, 0.25f, 0.75f}}, {500}, {1}, 0, warp);
  auto model = b.build();
  ASSERT_TRUE(model);
  model->update();
  // (0.25, 0.25) lies in the P00 triangle, (0.75, 0.75) in the P11 one.
  const auto p = positions(*model, mesh);
  EXPECT_NEAR(p[0], 2.5f, 1e-4f);
  EXPECT_NEAR(p[1], -2.5f, 1e-4f);
  EXPECT_NEAR(p[2], 7.5f, 1e-4f);
  EXPECT_NEAR(p[3], -12.5f, 1e-4f);
}

TEST(ModelEvaluationTest, QuadSourceWarpInterpolatesBilinearly) {
  ModelBuilder b;
  const int warp = b.addWarp("W", 0, 1, 1, {{0, 0, 10, 0, 0, 10, 10, 20}}, -1, true);
  const int mesh = b.addMesh("M", 0, {{0.75f, 0.75f, 0, 0, 1, 0}}, {500}, {1}, 0, warp);
  auto model = b.build();
  model->update();
  const auto p = positions(*model, mesh);
  EXPECT_NEAR(p[0], 7.5f, 1e-4f);
  EXPECT_NEAR(p[1], -13.125f, 1e-4f);
}

TEST(ModelEvaluationTest, WarpContinuesPastItsEdgeWithoutAJump) {
  ModelBuilder b;
  const int warp = b.addWarp("W", 0, 1, 1, {{0, 0, 10, 0, 0, 10, 10, 10}});
  const int mesh = b.addMesh("M", 0, {{1.0f, 0.5f, 1.5f, 0.5f, 1.0f, 0.0f}}, {500}, {1}, 0, warp);
  auto model = b.build();
  model->update();
  const auto p = positions(*model, mesh);
  EXPECT_NEAR(p[0], 10.0f, 1e-4f);
  EXPECT_NEAR(p[2], 15.0f, 1e-4f);  // half a grid width further out
  EXPECT_NEAR(p[3], -5.0f, 1e-4f);
}

TEST(ModelEvaluationTest, RotationDeformerTurnsScalesAndMoves) {
  ModelBuilder b;
  const int p = b.addParameter("Angle", 0, 90, 0, {0, 90});
  const int rotation = b.addRotation("R", b.addBinding({p}), {{0, 5, 5, 2}, {90, 5, 5, 2}});
  const int mesh = b.addMesh("M", 0, {{1, 0, 0, 0, 0, 1}}, {500}, {1}, 0, rotation);
  auto model = b.build();
  model->update();
  auto points = positions(*model, mesh);
  EXPECT_NEAR(points[0], 7.0f, 1e-4f);
  EXPECT_NEAR(points[1], -5.0f, 1e-4f);
  model->setParameterValue(p, 90);
  model->update();
  points = positions(*model, mesh);
  // (1, 0) scaled by 2 and turned a quarter (y down): (0, 2) from the origin (5, 5).
  EXPECT_NEAR(points[0], 5.0f, 1e-4f);
  EXPECT_NEAR(points[1], -7.0f, 1e-4f);
}

TEST(ModelEvaluationTest, RotationUnderWarpTakesTheWarpsTurnAtItsOrigin) {
  ModelBuilder b;
  // The grid's x axis runs along +y: the warp turns everything a quarter.
  const int warp = b.addWarp("W", 0, 1, 1, {{0, 0, 0, 100, -100, 0, -100, 100}});
  const int rotation = b.addRotation("R", 0, {{0, 0.5f, 0.5f, 1}}, warp);
  const int mesh = b.addMesh("M", 0, {{10, 0, 0, 0, 0, 10}}, {500}, {1}, 0, rotation);
  auto model = b.build();
  ASSERT_TRUE(model);
  model->update();
  const auto points = positions(*model, mesh);
  // Origin (0.5, 0.5) lands at (-50, 50); (10, 0) turned a quarter lands 10 below it (y down).
  EXPECT_NEAR(points[0], -50.0f, 1e-3f);
  EXPECT_NEAR(points[1], -60.0f, 1e-3f);
  EXPECT_NEAR(points[2], -50.0f, 1e-3f);
  EXPECT_NEAR(points[3], -50.0f, 1e-3f);
}

TEST(ModelEvaluationTest, NestedRotationsComposeAnglesAndScales) {
  ModelBuilder b;
  const int outer = b.addRotation("Outer", 0, {{90, 10, 0, 2}});
  const int inner = b.addRotation("Inner", 0, {{0, 1, 0, 3}}, outer, 90);  // base angle adds to the keyform
  const int mesh = b.addMesh("M", 0, {{1, 0, 0, 0, 0, 1}}, {500}, {1}, 0, inner);
  auto model = b.build();
  model->update();
  const auto points = positions(*model, mesh);
  // Inner origin: (1, 0)·2 turned 90° → (0, 2) + (10, 0) = (10, 2). Angle 180°, scale 6: (1, 0) → (-6, 0).
  EXPECT_NEAR(points[0], 4.0f, 1e-3f);
  EXPECT_NEAR(points[1], -2.0f, 1e-3f);
}

TEST(ModelEvaluationTest, DrawOrderFollowsTheParameterThatKeysIt) {
  ModelBuilder b;
  const int p = b.addParameter("P", 0, 10, 0, {0, 10});
  const int front = b.addMesh("A", b.addBinding({p}), {kTriangleA, kTriangleA}, {100, 600}, {1, 1});
  const int back = b.addMesh("B", 0, {kTriangleB}, {500}, {1});
  auto model = b.build();
  model->update();
  EXPECT_LT(model->getDrawableRenderOrder(front), model->getDrawableRenderOrder(back));
  model->setParameterValue(p, 10);
  model->update();
  EXPECT_GT(model->getDrawableRenderOrder(front), model->getDrawableRenderOrder(back));
  const auto sequence = model->getRenderOrderedDrawables();
  ASSERT_EQ(sequence.size(), 2u);
  EXPECT_EQ(sequence[0], back);
}

TEST(ModelEvaluationTest, PartOpacityReachesDrawablesThroughTheTree) {
  ModelBuilder b;
  const int child = b.addPart("Child", 0, {500}, 0);
  const int mesh = b.addMesh("M", 0, {kTriangleA}, {500}, {0.5f}, child);
  auto model = b.build();
  model->setPartOpacity(0, 0.8f);
  model->setPartOpacity(id("Child"), 0.5f);
  model->update();
  EXPECT_FLOAT_EQ(model->getDrawableOpacity(mesh), 0.5f * 0.5f * 0.8f);
  model->setPartOpacity(child, 0.0f);
  model->update();
  EXPECT_FALSE(model->isDrawableVisible(mesh));
}

TEST(ModelEvaluationTest, DisabledPartHidesItsMeshesAndSortsThemFirst) {
  ModelBuilder b;
  const int child = b.addPart("Child", 0, {500}, 0);
  const int hidden = b.addMesh("Hidden", 0, {kTriangleA}, {900}, {1}, child);
  const int shown = b.addMesh("Shown", 0, {kTriangleB}, {100}, {1});
  b.data.parts[static_cast<std::size_t>(child)].enabled = false;
  auto model = b.build();
  model->update();
  EXPECT_FALSE(model->getDrawableEnabled(hidden));
  EXPECT_TRUE(model->getDrawableEnabled(shown));
  EXPECT_LT(model->getDrawableRenderOrder(hidden), model->getDrawableRenderOrder(shown));
}

TEST(ModelEvaluationTest, GlueDrawsVerticesOfTwoMeshesTogether) {
  ModelBuilder b;
  const int a = b.addMesh("A", 0, {{0, 0, 1, 0, 0, 1}}, {500}, {1});
  const int c = b.addMesh("B", 0, {{4, 0, 5, 0, 4, 1}}, {500}, {1});
  b.data.glues.push_back({"Glue", 0, 0, 1, a, c, 0, 2});
  b.data.glueInfos.push_back({0.5f, 0});
  b.data.glueInfos.push_back({0.5f, 0});
  b.data.glueIntensities.push_back(1.0f);
  auto model = b.build();
  ASSERT_TRUE(model);
  model->update();
  EXPECT_NEAR(positions(*model, a)[0], 2.0f, 1e-5f);
  EXPECT_NEAR(positions(*model, c)[0], 2.0f, 1e-5f);
  EXPECT_NEAR(positions(*model, a)[2], 1.0f, 1e-5f);  // vertices without glue stay
}

TEST(ModelEvaluationTest, ParametersClampOrWrapAndUnknownIdsKeepValues) {
  ModelBuilder b;
  const int p = b.addParameter("P", -1, 1, 0, {-1, 1});
  const int r = b.addParameter("Turn", 0, 360, 0, {0, 360});
  b.data.parameters[static_cast<std::size_t>(r)].repeat = true;
  b.addMesh("M", 0, {kTriangleA}, {500}, {1});
  auto model = b.build();
  model->setParameterValue(p, 5);
  EXPECT_FLOAT_EQ(model->getParameterValue(p), 1.0f);
  model->setParameterValue(r, 370);
  EXPECT_NEAR(model->getParameterValue(r), 10.0f, 1e-4f);
  model->setParameterValue(r, -30);
  EXPECT_NEAR(model->getParameterValue(r), 330.0f, 1e-4f);
  model->setParameterValue(p, 0);
  model->setParameterValue(p, 1, 0.25f);
  EXPECT_FLOAT_EQ(model->getParameterValue(p), 0.25f);
  model->addParameterValue(p, 0.5f, 0.5f);
  EXPECT_FLOAT_EQ(model->getParameterValue(p), 0.5f);
  model->multiplyParameterValue(p, 0.0f, 0.5f);
  EXPECT_FLOAT_EQ(model->getParameterValue(p), 0.25f);
  // Ids the model lacks are plain variables.
  const int unknown = model->getParameterIndex(id("NotInTheModel"));
  EXPECT_GE(unknown, model->getParameterCount());
  model->setParameterValue(id("NotInTheModel"), 42.0f);
  EXPECT_FLOAT_EQ(model->getParameterValue(id("NotInTheModel")), 42.0f);
  EXPECT_EQ(model->getParameterIndex(id("NotInTheModel")), unknown);
}

TEST(ModelEvaluationTest, SaveAndLoadRestoreParameters) {
  ModelBuilder b;
  const int p = b.addParameter("P", 0, 10, 0, {0, 10});
  b.addMesh("M", 0, {kTriangleA}, {500}, {1});
  auto model = b.build();
  model->setParameterValue(p, 3);
  model->saveParameters();
  model->setParameterValue(p, 7);
  model->loadParameters();
  EXPECT_FLOAT_EQ(model->getParameterValue(p), 3.0f);
}

class SampleEvaluationTest : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    if (!haveSamples()) GTEST_SKIP() << "Live2D samples not found under " << sampleDir();
  }
};

TEST_P(SampleEvaluationTest, VerticesStayNearTheCanvasAtExtremeParameters) {
  auto model = loadSampleModel(GetParam());
  ASSERT_TRUE(model);
  // Every parameter at an extreme at once is no real pose; it must still stay within twice the canvas.
  const float limit = 2.0f * std::max(model->getCanvasWidth(), model->getCanvasHeight());
  for (int pass = 0; pass < 3; ++pass) {
    for (int i = 0; i < model->getParameterCount(); ++i) {
      const float value = pass == 0   ? model->getParameterDefaultValue(i)
                          : pass == 1 ? model->getParameterMinimumValue(i)
                                      : model->getParameterMaximumValue(i);
      model->setParameterValue(i, value);
    }
    model->update();
    int drawn = 0;
    for (int d = 0; d < model->getDrawableCount(); ++d) {
      for (float v : model->getDrawableVertexPositions(d)) {
        ASSERT_TRUE(std::isfinite(v));
        EXPECT_LT(std::fabs(v), limit) << model->getDrawableId(d)->getString();
      }
      EXPECT_GE(model->getDrawableOpacity(d), 0.0f);
      EXPECT_LE(model->getDrawableOpacity(d), 1.0001f);
      if (model->isDrawableVisible(d)) ++drawn;
    }
    EXPECT_GT(drawn, model->getDrawableCount() / 2);
    // The render order is a permutation of the drawables.
    std::vector<int> sequence(model->getRenderOrderedDrawables().begin(), model->getRenderOrderedDrawables().end());
    std::sort(sequence.begin(), sequence.end());
    ASSERT_EQ(sequence.size(), static_cast<std::size_t>(model->getDrawableCount()));
    for (std::size_t k = 0; k < sequence.size(); ++k) EXPECT_EQ(sequence[k], static_cast<int>(k));
  }
}

TEST_P(SampleEvaluationTest, HeadTurnMovesTheFaceSideways) {
  auto model = loadSampleModel(GetParam());
  ASSERT_TRUE(model);
  model->update();
  std::vector<float> before;
  for (int d = 0; d < model->getDrawableCount(); ++d) {
    const auto p = model->getDrawableVertexPositions(d);
    before.insert(before.end(), p.begin(), p.end());
  }
  model->setParameterValue(id("ParamAngleX"), 30.0f);
  model->update();
  float largest = 0.0f;
  std::size_t k = 0;
  for (int d = 0; d < model->getDrawableCount(); ++d) {
    for (float v : model->getDrawableVertexPositions(d)) largest = std::max(largest, std::fabs(v - before[k++]));
  }
  // Visibly moved (over 0.2% of the canvas width: 5 canvas pixels), but nowhere near the whole canvas.
  EXPECT_GT(largest, model->getCanvasWidth() * 0.002f);
  EXPECT_LT(largest, model->getCanvasWidth() * 0.5f);
}

TEST(BlendShapeTest, MaoBlendShapeParametersMoveTheirTargets) {
  if (!haveSamples()) GTEST_SKIP() << "Live2D samples not found under " << sampleDir();
  auto model = loadSampleModel("Mao");
  ASSERT_TRUE(model);
  model->update();
  std::vector<float> rest;
  for (int d = 0; d < model->getDrawableCount(); ++d) {
    const auto p = model->getDrawableVertexPositions(d);
    rest.insert(rest.end(), p.begin(), p.end());
  }
  int blendShapes = 0;
  int faceShapes = 0;
  for (int i = 0; i < model->getParameterCount(); ++i) {
    if (!model->isParameterBlendShape(i)) continue;
    ++blendShapes;
    const float base = model->getParameterValue(i);
    model->setParameterValue(i, std::fabs(model->getParameterMaximumValue(i) - base) >
                                        std::fabs(model->getParameterMinimumValue(i) - base)
                                    ? model->getParameterMaximumValue(i)
                                    : model->getParameterMinimumValue(i));
    model->update();
    float moved = 0.0f;
    std::size_t k = 0;
    for (int d = 0; d < model->getDrawableCount(); ++d) {
      for (float v : model->getDrawableVertexPositions(d)) {
        ASSERT_TRUE(std::isfinite(v));
        moved = std::max(moved, std::fabs(v - rest[k++]));
      }
    }
    // Some blend shapes only change draw order or colour, and the rabbit flies across the canvas; the
    // face's shapes move a little.
    const std::string name = model->getParameterId(i)->getString();
    if (name == "ParamBrowLY" || name == "ParamA" || name == "ParamMouthUp" || name == "ParamHairBackR") {
      EXPECT_GT(moved, 0.0f) << name << " moves nothing";
      EXPECT_LT(moved, model->getCanvasWidth() * 0.1f) << name;
      ++faceShapes;
    }
    EXPECT_LT(moved, 2.0f * model->getCanvasHeight()) << name;
    model->setParameterValue(i, base);
  }
  EXPECT_EQ(blendShapes, 33);
  EXPECT_EQ(faceShapes, 4);
}

INSTANTIATE_TEST_SUITE_P(Samples, SampleEvaluationTest, ::testing::Values("Haru", "Mark", "Mao"),
                         [](const auto& info) { return std::string(info.param); });

}  // namespace
}  // namespace live2d::cubism::test
