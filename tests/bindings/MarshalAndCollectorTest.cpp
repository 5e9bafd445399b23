#include <gtest/gtest.h>

#include "ScriptEnvironment.h"

namespace bindings {
namespace {

using test::run;

// Saved games hold Color, Tone and Table values inside the game objects' graphs.
TEST(MarshalAndCollectorTest, SavedGraphsRoundTrip) {
  EXPECT_EQ(run(R"(
    table = Table.new(3, 2)
    table[2, 1] = -7
    shared = Color.new(10, 20, 30, 40)
    graph = { colors: [shared, shared, Color.new], tone: Tone.new(-68, 34, 0, 255), table: table }
    copy = Marshal.load(Marshal.dump(graph))
    [copy[:colors].map(&:to_s), copy[:colors][0].equal?(copy[:colors][1]), copy[:tone].then { |t| [t.red, t.green, t.blue, t.gray] },
     copy[:table][2, 1], copy[:table].xsize].inspect
  )"),
            R"x([["(10,20,30,40)", "(10,20,30,40)", "(0,0,0,0)"], true, [-68, 34, 0, 255], -7, 3])x");
}

TEST(MarshalAndCollectorTest, ValuesSurviveTheCollectorUnderStress) {
  EXPECT_EQ(run(R"(
    kept = []
    GC.stress = true
    begin
      60.times do |i|
        color = Color.new(i * 5, 1, 2).dup
        tone = Marshal.load(Marshal.dump(Tone.new(i % 256, -1, 2, 3)))
        kept << color if i % 10 == 0
        Color.new.set(color)
        tone.set(tone)
      end
    ensure
      GC.stress = false
    end
    kept.map(&:red).inspect
  )"),
            "[0, 50, 100, 150, 200, 250]");
}

}  // namespace
}  // namespace bindings
