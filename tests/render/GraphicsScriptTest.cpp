#include <gtest/gtest.h>

#include "../bindings/ScriptEnvironment.h"
#include "RenderTestSupport.h"
#include "render/Graphics.h"

namespace {

using bindings::test::run;

// The window procedure's side of activation, as Graphics.update sees it.
void activation(render::Renderer& renderer, bool active) {
  renderer.setInactive(!active);
  renderer.setFocusEventDone(false);
}

class GraphicsScriptTest : public testing::Test {
 protected:
  void SetUp() override {
    auto renderer = rendertest::makeRenderer(8, 8, 8, 8);
    if (!renderer) GTEST_SKIP() << "no GL context here";
    render::publishRenderer(std::move(renderer));
    static bool defined = false;
    if (!defined) {
      render::defineGraphicsModule();
      defined = true;
    }
    run(R"(
      module VORN
        def self.focus_out; $focus_out = ($focus_out || 0) + 1; end
        def self.focus_in; $focus_in = ($focus_in || 0) + 1; end
      end
      $focus_out = $focus_in = nil
    )");
  }
  void TearDown() override { render::destroyCurrentRenderer(); }

  render::Renderer& renderer() { return *render::currentRenderer(); }
  rendertest::TestScene m_scene;
};

TEST_F(GraphicsScriptTest, FocusCallbacksRunOnceEachAndBackgroundExecutionKeepsDrawing) {
  renderer().setBackgroundExec(true);
  const std::string start = run("Graphics.frame_count");
  activation(renderer(), false);
  EXPECT_EQ(run("Graphics.update; Graphics.update; [$focus_out, $focus_in, Graphics.frame_count]"),
            "[1, nil, " + std::to_string(std::stoi(start) + 2) + "]");
  activation(renderer(), true);
  EXPECT_EQ(run("Graphics.update; Graphics.update; [$focus_out, $focus_in]"), "[1, 1]");
  EXPECT_TRUE(renderer().focusEventDone());
}

TEST_F(GraphicsScriptTest, FocusCallbackErrorsAreSwallowedAndMissingCallbacksAreSkipped) {
  run("module VORN; def self.focus_in; raise 'broken callback'; end; end");
  activation(renderer(), true);
  EXPECT_EQ(run("Graphics.update"), "");
  run("class << VORN; remove_method :focus_in; end");
  activation(renderer(), true);
  EXPECT_EQ(run("Graphics.update"), "");
}

TEST_F(GraphicsScriptTest, AToggleRequestSwitchesAtTheNextUpdateWithoutAFrame) {
  const std::string count = run("Graphics.frame_count");
  EXPECT_EQ(run("Graphics.fullscreen = false; Graphics.update; Graphics.frame_count"),
            std::to_string(std::stoi(count) + 1));
  EXPECT_EQ(run("Graphics.toggle_fullscreen; Graphics.update; [Graphics.frame_count, Graphics.fullscreen]"),
            "[" + std::to_string(std::stoi(count) + 1) + ", true]");
}

TEST_F(GraphicsScriptTest, ArgumentsAreCheckedAndClamped) {
  EXPECT_EQ(run("Graphics.frame_rate = 0"), "ArgumentError: frame rate must be positive, not 0");
  EXPECT_EQ(run("Graphics.filter = 5; Graphics.filter"), "1");
  EXPECT_EQ(run("Graphics.filter = -3; Graphics.filter"), "0");
  EXPECT_EQ(run("Graphics.wait"), "ArgumentError: wrong number of arguments (given 0, expected 1)");
  EXPECT_EQ(run("Graphics.transition(0, 'no/such/picture')"),
            "Errno::ENOENT: No such file or directory - no/such/picture");
  EXPECT_EQ(run("Graphics.add_shader('float4 Broken( {', '')"), "RGSSError: Invaild Shader");
  EXPECT_EQ(run("Graphics.snap_to_bitmap"), "RGSSError: Graphics.snap_to_bitmap needs the Bitmap class");
}

TEST_F(GraphicsScriptTest, AfterReleaseTheFrameFunctionsReturnAtOnce) {
  renderer().release();
  EXPECT_EQ(run("Graphics.freeze; Graphics.transition(5); Graphics.wait(3); :done"), "done");
}

}  // namespace
