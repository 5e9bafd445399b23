#include <algorithm>
#include <cstdlib>

#include "tests/live2d/cubism/CubismTestSupport.h"
#include "live2d/cubism/CubismMatrix44.h"
#include "live2d/cubism/CubismModelMatrix.h"
#include "live2d/cubism/CubismTargetPoint.h"
#include "live2d/cubism/CubismUserModel.h"

namespace live2d::cubism::test {
namespace {

TEST(MatrixTest, MultiplyByMatrixAppliesTheArgumentFirst) {
  CubismMatrix44 projection;
  projection.scale(2.0f, 2.0f);
  CubismMatrix44 model;
  model.translate(1.0f, 0.0f);
  projection.multiplyByMatrix(model);
  // Translate first, then scale: (0,0) → (1,0) → (2,0).
  EXPECT_FLOAT_EQ(projection.transformX(0.0f), 2.0f);
  EXPECT_FLOAT_EQ(projection.getScaleX(), 2.0f);
  EXPECT_FLOAT_EQ(projection.invertTransformX(2.0f), 0.0f);
}

TEST(MatrixTest, RelativeOperationsCompose) {
  CubismMatrix44 m;
  m.scaleRelative(2.0f, 3.0f);
  m.translateRelative(1.0f, 1.0f);
  EXPECT_FLOAT_EQ(m.transformX(1.0f), 3.0f);
  EXPECT_FLOAT_EQ(m.transformY(1.0f), 4.0f);
  m.scale(1.0f, 1.0f);  // sets, does not compose
  EXPECT_FLOAT_EQ(m.getScaleX(), 1.0f);
  EXPECT_FLOAT_EQ(m.getTranslateX(), 1.0f);
}

TEST(ModelMatrixTest, DefaultIsTwoUnitsTallAndLayoutAppliesSizeBeforePosition) {
  CubismModelMatrix m(1.0f, 2.0f);
  EXPECT_FLOAT_EQ(m.getScaleY(), 1.0f);
  // "x" sorts after "width" anyway; "center_x" sorts before it and must still see the new size.
  m.setupFromLayout({{"center_x", 0.0f}, {"width", 4.0f}, {"bottom", -1.0f}});
  EXPECT_FLOAT_EQ(m.getScaleX(), 4.0f);
  EXPECT_FLOAT_EQ(m.getTranslateX(), -2.0f);   // 0 − 1·4/2
  EXPECT_FLOAT_EQ(m.getTranslateY(), -9.0f);   // −1 − 2·4
  m.setupFromLayout({{"height", 1.0f}, {"top", 0.5f}, {"left", -0.25f}});
  EXPECT_FLOAT_EQ(m.getScaleY(), 0.5f);
  EXPECT_FLOAT_EQ(m.getTranslateY(), 0.5f);
  EXPECT_FLOAT_EQ(m.getTranslateX(), -0.25f);
}

TEST(TargetPointTest, ApproachesTheTargetSmoothlyAndStops) {
  CubismTargetPoint point;
  point.set(1.0f, -0.5f);
  point.update(1.0f / 30);  // the first update only starts the clock
  EXPECT_FLOAT_EQ(point.getX(), 0.0f);
  float previous = 0.0f;
  float largestStep = 0.0f;
  for (int i = 0; i < 300; ++i) {
    point.update(1.0f / 30);
    largestStep = std::max(largestStep, std::fabs(point.getX() - previous));
    previous = point.getX();
  }
  EXPECT_NEAR(point.getX(), 1.0f, 0.02f);
  EXPECT_NEAR(point.getY(), -0.5f, 0.02f);
  EXPECT_LE(largestStep, 4.0f / 30 + 1e-4f);  // never faster than the speed limit
}

class UserModelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!haveSamples()) GTEST_SKIP() << "Live2D samples not found under " << sampleDir();
  }
};

TEST_F(UserModelTest, HitTestUsesTheDrawableBoundsThroughTheModelMatrix) {
  CubismUserModel user;
  user.loadModel(sampleFile("Haru", "Haru.moc3"));
  ASSERT_TRUE(user.getModel());
  user.getModel()->update();
  const int head = user.getModel()->getDrawableIndex(id("HitArea"));
  ASSERT_GE(head, 0);
  const auto p = user.getModel()->getDrawableVertexPositions(head);
  float cx = 0.0f;
  float cy = 0.0f;
  for (std::size_t k = 0; k < p.size(); k += 2) {
    cx += p[k];
    cy += p[k + 1];
  }
  cx /= static_cast<float>(p.size() / 2);
  cy /= static_cast<float>(p.size() / 2);
  CubismModelMatrix* m = user.getModelMatrix();
  EXPECT_TRUE(user.isHit(id("HitArea"), m->transformX(cx), m->transformY(cy)));
  EXPECT_FALSE(user.isHit(id("HitArea"), m->transformX(cx), m->transformY(cy) - 1.0f));
  EXPECT_FALSE(user.isHit(id("NoSuchDrawable"), 0.0f, 0.0f));
  // The head is in the upper part of the model (y up).
  EXPECT_GT(m->transformY(cy), 0.0f);
}

TEST_F(UserModelTest, BadMocKeepsThePreviousModel) {
  CubismUserModel user;
  LogCapture log;
  std::vector<std::uint8_t> junk(100, 0);
  user.loadModel(junk);
  EXPECT_FALSE(user.getModel());
  EXPECT_TRUE(log.contains("[CSM][E]"));
  user.loadModel(sampleFile("Mark", "Mark.moc3"));
  ASSERT_TRUE(user.getModel());
  user.loadModel(junk);
  EXPECT_TRUE(user.getModel());
}

std::vector<std::string> g_frameworkLog;

TEST(FrameworkTest, StartsUpOnceAndLogsThroughTheOptionFunction) {
  struct Allocator : ICubismAllocator {
    void* allocate(std::size_t size) override { return std::malloc(size); }
    void deallocate(void* p) override { std::free(p); }
    void* allocateAligned(std::size_t size, std::size_t) override { return std::malloc(size); }
    void deallocateAligned(void* p) override { std::free(p); }
  } allocator;
  CubismFramework::cleanUp();
  g_frameworkLog.clear();
  CubismFrameworkOption option;
  option.logFunction = [](const char* message) { g_frameworkLog.emplace_back(message); };
  option.loggingLevel = LogLevel::Verbose;
  EXPECT_FALSE(CubismFramework::startUp(nullptr, &option));
  EXPECT_TRUE(CubismFramework::startUp(&allocator, &option));
  EXPECT_EQ(CubismFramework::allocator(), &allocator);
  CubismFramework::initialize();
  EXPECT_TRUE(CubismFramework::isInitialized());
  const auto logged = [](const std::string& line) {
    return std::find(g_frameworkLog.begin(), g_frameworkLog.end(), line) != g_frameworkLog.end();
  };
  EXPECT_TRUE(logged("[CSM][I]CubismFramework::StartUp() is complete.\n"));
  EXPECT_TRUE(logged("[CSM][I]CubismFramework::Initialize() is complete.\n"));
  CubismFramework::setLoggingLevel(LogLevel::Warning);
  CUBISM_LOG_INFO("hidden\n");
  CUBISM_LOG_WARNING("shown %d\n", 7);
  EXPECT_FALSE(logged("[CSM][I]hidden\n"));
  EXPECT_TRUE(logged("[CSM][W]shown 7\n"));
  CubismFramework::cleanUp();
}

struct CountingAllocator : ICubismAllocator {
  int live = 0;
  int total = 0;
  void* allocate(std::size_t size) override { return std::malloc(size); }
  void deallocate(void* p) override { std::free(p); }
  void* allocateAligned(std::size_t size, std::size_t alignment) override {
    ++live;
    ++total;
    return std::aligned_alloc(alignment, (size + alignment - 1) / alignment * alignment);
  }
  void deallocateAligned(void* p) override {
    --live;
    std::free(p);
  }
};

TEST(FrameworkTest, ModelVertexBuffersComeFromTheFrameworkAllocator) {
  if (!haveSamples()) GTEST_SKIP() << "Live2D samples not found under " << sampleDir();
  CountingAllocator allocator;
  CubismFramework::cleanUp();
  ASSERT_TRUE(CubismFramework::startUp(&allocator));
  {
    auto model = loadSampleModel("Mark");
    ASSERT_TRUE(model);
    model->update();
    EXPECT_GT(allocator.total, 0);
    EXPECT_GT(allocator.live, 0);
  }
  EXPECT_EQ(allocator.live, 0);
  CubismFramework::cleanUp();
}

}  // namespace
}  // namespace live2d::cubism::test
