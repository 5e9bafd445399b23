// Sprite#start_video and its companions as scripts call them: failures, the bitmap and pass it sets up, the
// sound track handed to Audio.me_play once extracted, the end of a movie, and the collector under churn.

#include <gtest/gtest.h>

#include <string>

#include "ClassTestEnvironment.h"
#include "SceneClasses.h"
#include "TestMovies.h"
#include "video/ScriptText.h"
#include "video/Video.h"
#include "video/VideoClock.h"

namespace {

using bitmap::test::run;
using video::test::TempFolder;

std::int64_t g_ticks = 0;
std::int64_t fakeNow() { return g_ticks; }

class SpriteVideoClass : public testing::Test {
 protected:
  void SetUp() override {
    if (!bitmap::test::haveGraphics()) GTEST_SKIP() << "no GL context (set SDL_VIDEODRIVER=offscreen)";
    static const bool defined = [] {
      scene::test::defineSceneClasses();
      video::defineSpriteVideoMethods();
      // The music effects the movies ask for, recorded instead of played.
      bitmap::test::eval("$me_plays = []; module Audio; def self.me_play(*args); $me_plays << args; end; end");
      return true;
    }();
    (void)defined;
    bitmap::test::eval("$me_plays.clear");
    video::setClockSource({&fakeNow, 60});
  }
  void TearDown() override { video::setClockSource({}); }

  // `name` as a Ruby literal, for building script text.
  static std::string quoted(const std::string& name) { return video::rubyStringLiteral(name); }

  // One game frame of `sprite` (a global's name): a sixtieth of a second passes, then the sprite updates.
  static void update(const std::string& sprite) {
    ++g_ticks;
    bitmap::test::eval((sprite + ".update").c_str());
  }

  TempFolder m_folder;
};

TEST_F(SpriteVideoClass, SpriteThatNeverPlayedReportsNoVideo) {
  EXPECT_EQ(run("s = Sprite.new; [s.video_playing?, s.video_width, s.video_height].inspect"), "[false, 0, 0]");
  EXPECT_EQ(run("s = Sprite.new; s.dispose; s.video_width"), "RGSSError: disposed sprite");
  EXPECT_EQ(run("s = Sprite.new; s.dispose; s.start_video('x.wmv')"), "RGSSError: disposed sprite");
}

TEST_F(SpriteVideoClass, MissingAndUndecodableFilesFailToPlay) {
  EXPECT_EQ(run("Sprite.new.start_video(" + quoted(m_folder.file("absent.wmv")) + ")"),
            "RGSSError: failed to play video file");
  video::test::writeFile(m_folder.file("notes.wmv"), std::string(4096, 'x') + "not a movie");
  EXPECT_EQ(run("$s = Sprite.new; $s.start_video(" + quoted(m_folder.file("notes.wmv")) + ")"),
            "RGSSError: failed to play video file");
  EXPECT_EQ(run("[$s.video_playing?, $s.video_width, $s.bitmap].inspect"), "[false, 0, nil]");
  EXPECT_EQ(run("Sprite.new.start_video(12)"), "TypeError: wrong argument type Integer (expected String)");
}

TEST_F(SpriteVideoClass, StartGivesABitmapOfTheMovieSizeDrawnByTheVideoPass) {
  ASSERT_TRUE(video::test::write(m_folder.file("odd.mkv"), video::test::solidMovie(7, 5, 3)));
  EXPECT_EQ(run("$s = Sprite.new; r = $s.start_video(" + quoted(m_folder.file("odd.mkv")) +
                "); [r, $s.video_playing?, $s.video_width, $s.video_height, $s.bitmap.width, $s.bitmap.height, "
                "$s.src_rect.width, $s.effect_name].inspect"),
            "[nil, true, 7, 5, 7, 5, 7, \"Video\"]");
  EXPECT_EQ(run("$me_plays.inspect"), "[]");
  EXPECT_FALSE(video::test::fileExists(m_folder.file("odd.wav")));
  // Frames come every second update at 30 per second; the fourth frame time after the third frame ends it.
  for (int i = 0; i < 6; ++i) update("$s");
  EXPECT_EQ(run("c = $s.bitmap.get_pixel(0, 0); [$s.video_playing?, c.red, c.green, c.blue].inspect"),
            "[true, 32, 64, 224]");
  update("$s");
  update("$s");
  EXPECT_EQ(run("[$s.video_playing?, $s.video_width, $s.video_height, $s.bitmap.width, $s.disposed?].inspect"),
            "[false, 0, 0, 7, false]");
}

TEST_F(SpriteVideoClass, SoundTrackPlaysAsMusicEffectAndIsExtractedOnce) {
  const std::string movie = m_folder.file("say \"hi\" \\ #{now}.mkv");
  const std::string wav = m_folder.file("say \"hi\" \\ #{now}.wav");
  video::writer::MovieSpec spec = video::test::solidMovie(4, 4, 2);
  video::test::addSound(spec, 8000, 1, 400);
  ASSERT_TRUE(video::test::write(movie, spec));
  EXPECT_EQ(
      run("$s = Sprite.new; $s.start_video(" + quoted(movie) + "); $me_plays == [[" + quoted(wav) + ", 100, 100]]"),
      "true");
  ASSERT_EQ(video::test::readFile(wav).size(), 44u + 800u);
  video::test::writeFile(wav, "kept as it is");
  EXPECT_EQ(run("$s.start_video(" + quoted(movie) + "); [$me_plays.size, $s.video_playing?].inspect"), "[2, true]");
  EXPECT_EQ(video::test::readFile(wav), "kept as it is");
}

TEST_F(SpriteVideoClass, SoundOnlyFileEndsAtTheFirstUpdate) {
  video::writer::MovieSpec spec;
  video::test::addSound(spec, 8000, 2, 400);
  ASSERT_TRUE(video::test::write(m_folder.file("voice.mkv"), spec));
  EXPECT_EQ(run("$s = Sprite.new; $s.start_video(" + quoted(m_folder.file("voice.mkv")) +
                "); [$s.video_playing?, $s.video_width, $s.bitmap.width, $me_plays.size].inspect"),
            "[true, 0, 1, 1]");
  update("$s");
  EXPECT_EQ(run("$s.video_playing?"), "false");
}

TEST_F(SpriteVideoClass, StartingAgainReplacesTheMovieAndItsBitmap) {
  ASSERT_TRUE(video::test::write(m_folder.file("a.mkv"), video::test::solidMovie(4, 2, 2)));
  ASSERT_TRUE(video::test::write(m_folder.file("b.mkv"), video::test::solidMovie(6, 3, 2)));
  EXPECT_EQ(run("$s = Sprite.new; $s.start_video(" + quoted(m_folder.file("a.mkv")) + "); first = $s.bitmap; " +
                "$s.start_video(" + quoted(m_folder.file("b.mkv")) +
                "); [first.equal?($s.bitmap), $s.video_width, $s.bitmap.width].inspect"),
            "[false, 6, 6]");
  // A failed start stops the movie that was playing.
  EXPECT_EQ(run("$s.start_video(" + quoted(m_folder.file("c.mkv")) + ")"), "RGSSError: failed to play video file");
  EXPECT_EQ(run("$s.video_playing?"), "true");
  video::test::writeFile(m_folder.file("c.mkv"), "garbage");
  EXPECT_EQ(run("$s.start_video(" + quoted(m_folder.file("c.mkv")) + ")"), "RGSSError: failed to play video file");
  EXPECT_EQ(run("[$s.video_playing?, $s.video_width].inspect"), "[false, 0]");
}

TEST_F(SpriteVideoClass, CollectorFreesPlayingSpritesAndTheirBitmapsInAnyOrder) {
  ASSERT_TRUE(video::test::write(m_folder.file("churn.mkv"), video::test::solidMovie(8, 8, 4)));
  const std::string name = quoted(m_folder.file("churn.mkv"));
  EXPECT_EQ(run("GC.stress = true; 3.times { s = Sprite.new; s.start_video(" + name +
                "); s.update; s.bitmap.dispose; s.update; s.dispose }; "
                "4.times { t = Sprite.new; t.start_video(" +
                name +
                "); t.update }; "
                "GC.stress = false; GC.start; :ok"),
            "ok");
}

}  // namespace
