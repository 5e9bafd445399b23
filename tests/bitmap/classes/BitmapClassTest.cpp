// The Bitmap script class in-process: argument forms, conversions, errors, lifetimes, file loading and that
// every edit reaches the texture the renderer draws.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "ClassTestEnvironment.h"
#include "bindings/Binding.h"
#include "bitmap/Bitmap.h"
#include "bitmap/core/ImageCodec.h"
#include "engine/FileLayer.h"
#include "engine/private/Archive.h"
#include "platform/gfx/Texture.h"

namespace bitmap {
namespace {

using test::run;

class BitmapClassTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!test::haveGraphics()) GTEST_SKIP() << "no GL context (set SDL_VIDEODRIVER=offscreen)";
  }
};

// The record of the bitmap a script expression evaluates to.
Bitmap& recordOf(const std::string& expression) { return bindings::liveRecord<Bitmap>(test::eval(expression)); }

TEST_F(BitmapClassTest, CreationBySizeAndItsRefusals) {
  EXPECT_EQ(run("b = Bitmap.new(3, 2); [b.width, b.height, b.rect.width, b.rect.height, "
                "b.get_pixel(1, 1).to_s].inspect"),
            "[3, 2, 3, 2, \"(0,0,0,0)\"]");
  EXPECT_EQ(run("Bitmap.new(0, 5)"), "RGSSError: failed to create bitmap of 0 x 5");
  EXPECT_EQ(run("Bitmap.new(4, -1)"), "RGSSError: failed to create bitmap of 4 x -1");
  EXPECT_EQ(run("Bitmap.new(1 << 20, 1 << 20)"), "RGSSError: failed to create bitmap of 1048576 x 1048576");
  EXPECT_EQ(run("Bitmap.new"), "ArgumentError: wrong number of arguments (given 0, expected 1)");
  EXPECT_EQ(run("Bitmap.new(1, 2, 3)"), "ArgumentError: wrong number of arguments (given 3, expected 2)");
  EXPECT_EQ(run("Bitmap.new(5)"), "TypeError: wrong argument type Integer (expected String)");
}

TEST_F(BitmapClassTest, DisposedBitmapsRefuseEverythingButTheirLifecycle) {
  test::eval("$d = Bitmap.new(4, 4); $d.dispose");
  EXPECT_EQ(run("[$d.disposed?, $d.dispose.inspect, $d.change_tone(1, 2)].inspect"), "[true, \"nil\", nil]");
  for (const char* call : {"$d.width", "$d.get_pixel(0, 0)", "$d.fill_rect(0, 0, 1, 1, Color.new)", "$d.font",
                           "$d.process_color { }", "$d.text_size('a')", "$d.blur", "$d.clear"}) {
    EXPECT_EQ(run(call), "RGSSError: disposed bitmap") << call;
  }
  EXPECT_EQ(run("Bitmap.new(2, 2).blt(0, 0, $d, Rect.new(0, 0, 1, 1))"), "RGSSError: disposed bitmap");
  EXPECT_EQ(run("$d.dup"), "RGSSError: disposed bitmap");
  // Without a block process_color is an enumerator, made without touching the pixels.
  EXPECT_EQ(run("$d.process_color.class"), "Enumerator");
}

TEST_F(BitmapClassTest, ArgumentClassesAndCountsAreChecked) {
  test::eval("$b = Bitmap.new(4, 4)");
  EXPECT_EQ(run("$b.fill_rect(Color.new, Color.new)"), "TypeError: can't convert Color into Rect");
  EXPECT_EQ(run("$b.fill_rect($b.rect, Tone.new)"), "TypeError: can't convert Tone into Color");
  EXPECT_EQ(run("$b.blt(0, 0, Color.new, $b.rect)"), "TypeError: can't convert Color into Bitmap");
  EXPECT_EQ(run("$b.font = Color.new"), "TypeError: can't convert Color into Font");
  EXPECT_EQ(run("$b.fill_rect(0, 0, 1)"), "ArgumentError: wrong number of arguments (given 3, expected 2)");
  EXPECT_EQ(run("$b.fill_rect(0, 0, 1, 1)"), "ArgumentError: wrong number of arguments (given 4, expected 5)");
  EXPECT_EQ(run("$b.gradient_fill_rect($b.rect, Color.new)"),
            "ArgumentError: wrong number of arguments (given 2, expected 3)");
  EXPECT_EQ(run("$b.gradient_fill_rect(0, 0, 1, 1, Color.new)"),
            "ArgumentError: wrong number of arguments (given 5, expected 4)");
  EXPECT_EQ(run("$b.gradient_fill_rect(0, 0, 1, 1, Color.new, Color.new, true, 1)"),
            "ArgumentError: wrong number of arguments (given 8, expected 7)");
  EXPECT_EQ(run("$b.blt(0, 0, $b)"), "ArgumentError: wrong number of arguments (given 3, expected 4)");
  EXPECT_EQ(run("$b.stretch_blt($b.rect, $b, $b.rect, 1, 2)"),
            "ArgumentError: wrong number of arguments (given 5, expected 4)");
  EXPECT_EQ(run("$b.clear_rect(0, 0)"), "ArgumentError: wrong number of arguments (given 2, expected 1)");
  EXPECT_EQ(run("$b.draw_text(0, 0, 1, 1)"), "ArgumentError: wrong number of arguments (given 4, expected 3)");
  EXPECT_EQ(run("$b.get_pixel(0)"), "ArgumentError: wrong number of arguments (given 1, expected 2)");
}

TEST_F(BitmapClassTest, CopiesTakeThePixelsAndShareTheFont) {
  EXPECT_EQ(run("a = Bitmap.new(2, 2); a.set_pixel(1, 1, Color.new(9, 8, 7, 6)); b = a.dup;"
                "a.set_pixel(1, 1, Color.new); [b.get_pixel(1, 1).to_s, b.font.equal?(a.font), a.clone.width].inspect"),
            "[\"(9,8,7,6)\", true, 2]");
  EXPECT_EQ(run("Bitmap.new(1, 1).send(:initialize_copy, Color.new)"), "TypeError: wrong argument class");
  EXPECT_EQ(run("b = Bitmap.new(1, 1); b.send(:initialize_copy, b).equal?(b)"), "true");
}

TEST_F(BitmapClassTest, ProcessColorEditsThePixelsAndSurvivesItsBlock) {
  EXPECT_EQ(run("b = Bitmap.new(2, 2); b.process_color { |a| a[3] = Color.new(1, 2, 3, 4); a[0].red = 200 };"
                "[b.get_pixel(1, 1).to_s, b.get_pixel(0, 0).red].inspect"),
            "[\"(1,2,3,4)\", 200]");
  // Other methods of the bitmap work inside the block, on the same pixels.
  EXPECT_EQ(run("b = Bitmap.new(2, 1); b.process_color { |a| b.fill_rect(0, 0, 2, 1, Color.new(5, 5, 5)); "
                "$seen = a[1].red }; $seen"),
            "5");
  // Disposing inside the block keeps the pixels until the block ends.
  EXPECT_EQ(run("b = Bitmap.new(2, 1); b.process_color { |a| b.dispose; a[1] = Color.new(1, 1, 1); $r = a[1].red };"
                "[$r, b.disposed?].inspect"),
            "[1, true]");
  EXPECT_EQ(run("b = Bitmap.new(1, 1); b.process_color { raise 'out' }"), "RuntimeError: out");
  EXPECT_EQ(run("b = Bitmap.new(1, 1); begin; b.process_color { raise 'x' }; rescue; end; b.fill_rect(b.rect, "
                "Color.new(1, 2, 3)); b.get_pixel(0, 0)"),
            "(1,2,3,255)");
}

TEST_F(BitmapClassTest, EveryEditReachesTheTexture) {
  test::eval(R"(
    $t = Bitmap.new(8, 6)
    $t.fill_rect(1, 1, 3, 2, Color.new(255, 0, 0))
    $t.set_pixel(7, 5, Color.new(0, 0, 255))
    $t.gradient_fill_rect(0, 4, 4, 1, Color.new(0, 0, 0), Color.new(255, 255, 255))
    $t.process_color { |a| a[6] = Color.new(0, 255, 0); $t.set_pixel(0, 5, Color.new(1, 2, 3)) }
    $t.blt(4, 0, $t, Rect.new(0, 0, 4, 3))
  )");
  Bitmap& record = recordOf("$t");
  const ConstPixelView cpu = record.pixels();
  const std::vector<std::uint32_t> gpu = test::gpuPixels(*record.texture());
  for (int y = 0; y < 6; ++y) {
    for (int x = 0; x < 8; ++x) EXPECT_EQ(gpu[static_cast<std::size_t>(y * 8 + x)], cpu.at(x, y)) << x << "," << y;
  }
  EXPECT_EQ(cpu.at(5, 1), 0xFFFF0000u);
  EXPECT_EQ(cpu.at(6, 0), 0xFF00FF00u);
}

TEST_F(BitmapClassTest, ReleasedTexturesComeBackWithTheirPixels) {
  test::eval("$r = Bitmap.new(3, 3); $r.set_pixel(2, 1, Color.new(10, 20, 30, 40))");
  releaseAllTextures();
  EXPECT_EQ(run("$r.get_pixel(2, 1)"), "(10,20,30,40)");
  EXPECT_EQ(run("$r.set_pixel(0, 0, Color.new(1, 1, 1)); $r.get_pixel(0, 0)"), "(1,1,1,255)");
  Bitmap& record = recordOf("$r");
  const std::vector<std::uint32_t> gpu = test::gpuPixels(*record.texture());
  EXPECT_EQ(gpu[1 * 3 + 2], makePixel(40, 10, 20, 30));
  EXPECT_EQ(gpu[0], 0xFF010101u);
}

class BitmapFileTest : public BitmapClassTest {
 protected:
  void SetUp() override {
    BitmapClassTest::SetUp();
    m_folder = std::filesystem::temp_directory_path() / ("quillon-bitmap-" + std::to_string(::getpid()));
    std::filesystem::create_directories(m_folder / "Graphics");
  }
  void TearDown() override {
    engine::FileLayer::instance().setGameFolder(".");
    (void)engine::FileLayer::instance().setArchive("");
    std::filesystem::remove_all(m_folder);
  }

  static std::vector<std::uint8_t> pngOf(std::vector<Pixel> pixels, int width) {
    auto buffer = PixelBuffer::create(width, static_cast<int>(pixels.size()) / width);
    std::copy(pixels.begin(), pixels.end(), buffer->data());
    return encodePng(buffer->view());
  }

  void write(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    std::ofstream(m_folder / name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }

  std::filesystem::path m_folder;
};

TEST_F(BitmapFileTest, TheArchiveComesFirstThenLooseFilesThenTheDisk) {
  const std::vector<std::uint8_t> archived = pngOf({0xFF0000FF, 0x80FF0000}, 2);
  const std::vector<std::uint8_t> loose = pngOf({0xFF00FF00}, 1);
  ASSERT_TRUE(engine::writeArchive((m_folder / "Game.rgss3a").string(), {{"Graphics\\Pictures.png", archived}}));
  write("Graphics/pictures.png", loose);
  write("Graphics/Other.PNG", loose);
  engine::FileLayer::instance().setGameFolder(m_folder.string());
  ASSERT_TRUE(engine::FileLayer::instance().setArchive((m_folder / "Game.rgss3a").string()));
  EXPECT_EQ(run("b = Bitmap.new('graphics/pictures'); [b.width, b.get_pixel(0, 0).to_s, b.get_pixel(1, 0).to_s]"),
            "[2, \"(0,0,255,255)\", \"(255,0,0,128)\"]");
  EXPECT_EQ(run("Bitmap.new('Graphics/other').width"), "1");
  const std::string absolute = (m_folder / "Graphics" / "Other.PNG").string();
  EXPECT_EQ(run("Bitmap.new('" + absolute + "').get_pixel(0, 0)"), "(0,255,0,255)");
  EXPECT_EQ(run("b = Bitmap.new('Graphics/Other'); b.font.size"), "24");
}

TEST_F(BitmapFileTest, MissingAndUndecodableFilesRaiseTheirOwnErrors) {
  engine::FileLayer::instance().setGameFolder(m_folder.string());
  write("Graphics/Broken.png", {0x89, 'P', 'N', 'G', 13, 10, 26, 10, 0, 0});
  std::vector<std::uint8_t> truncated = pngOf({1, 2, 3, 4, 5, 6}, 3);
  truncated.resize(truncated.size() / 2);
  write("Graphics/Half.png", truncated);
  EXPECT_EQ(run("Bitmap.new('Graphics/Broken')"), "RGSSError: failed to create bitmap \nGraphics/Broken");
  EXPECT_EQ(run("Bitmap.new('Graphics/Half.png')"), "RGSSError: failed to create bitmap \nGraphics/Half.png");
  EXPECT_EQ(run("begin; Bitmap.new('Graphics/Nowhere'); rescue SystemCallError => e; [e.class, e.errno]; end"),
            "[Errno::ENOENT, 2]");
  EXPECT_NE(run("Bitmap.new('Graphics/Nowhere')").find("Graphics/Nowhere"), std::string::npos);
}

TEST_F(BitmapFileTest, SavePngWritesWhatLoadsBackIdentical) {
  const std::string path = (m_folder / "saved.png").string();
  EXPECT_EQ(run("b = Bitmap.new(3, 2); b.set_pixel(0, 0, Color.new(1, 2, 3, 4)); b.set_pixel(2, 1, "
                "Color.new(250, 0, 9)); b.save_png('" +
                path + "')"),
            path);
  EXPECT_EQ(run("c = Bitmap.new('" + path +
                "'); [c.width, c.height, c.get_pixel(0, 0).to_s, "
                "c.get_pixel(2, 1).to_s, c.get_pixel(1, 0).to_s].inspect"),
            "[3, 2, \"(1,2,3,4)\", \"(250,0,9,255)\", \"(0,0,0,0)\"]");
  // A path that cannot be written is not reported to the script.
  EXPECT_EQ(run("Bitmap.new(1, 1).save_png('/nonexistent-folder/x.png')"), "/nonexistent-folder/x.png");
}

}  // namespace
}  // namespace bitmap
