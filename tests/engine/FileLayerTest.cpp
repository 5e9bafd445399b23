#include "engine/FileLayer.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "engine/private/Archive.h"

namespace engine {
namespace {

namespace fs = std::filesystem;

std::vector<std::uint8_t> bytesOf(std::string_view text) { return {text.begin(), text.end()}; }

class FileLayerTest : public testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = testing::TempDir() + "quillon-files-XXXXXX";
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    m_root = pattern;
    m_game = m_root + "/Game";
    m_rtp = m_root + "/RTP";
    put(m_game + "/Graphics/Characters/Actor1.png", "loose actor");
    put(m_game + "/Graphics/Characters/Actor2.png", "loose actor 2");
    put(m_game + "/Graphics/System/Window.png", "game window");
    put(m_game + "/Audio/BGM/Theme.ogg", "theme");
    put(m_rtp + "/Graphics/System/Window.png", "rtp window");
    put(m_rtp + "/Audio/SE/Cursor1.ogg", "rtp cursor");
    put(m_root + "/Beside.txt", "beside the game");
    ASSERT_TRUE(writeArchive(m_game + "/Game.rgss3a",
                             {{"Data\\Scripts.rvdata2", bytesOf("scripts")},
                              {"Graphics\\Characters\\Actor1.png", bytesOf("archived actor")},
                              {"..\\Beside.txt", bytesOf("hostile name")}}));
    m_layer.setGameFolder(m_game);
    m_layer.setRuntimeFolders({m_rtp});
    std::string error;
    ASSERT_TRUE(m_layer.setArchive(m_game + "/Game.rgss3a", &error)) << error;
  }
  void TearDown() override { fs::remove_all(m_root); }

  static void put(const std::string& path, std::string_view text) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << text;
  }

  // The file's text, or "<missing>" / "<error: ...>".
  std::string text(std::string_view name, FileKind kind = FileKind::Any) const {
    std::string error;
    const auto bytes = m_layer.read(name, kind, &error);
    if (!bytes) return error.empty() ? "<missing>" : "<error: " + error + ">";
    return {bytes->begin(), bytes->end()};
  }

  std::string m_root;
  std::string m_game;
  std::string m_rtp;
  FileLayer m_layer;
};

TEST_F(FileLayerTest, ArchiveThenLooseFilesThenRuntimeFolders) {
  EXPECT_EQ(text("Graphics/Characters/Actor1.png"), "archived actor");
  EXPECT_EQ(text("Graphics/Characters/Actor2.png"), "loose actor 2");
  EXPECT_EQ(text("Graphics/System/Window.png"), "game window");
  EXPECT_EQ(text("Audio/SE/Cursor1.ogg"), "rtp cursor");

  const auto found = m_layer.open("Graphics/Characters/Actor1.png");
  ASSERT_TRUE(found);
  EXPECT_EQ(found->path, "Graphics/Characters/Actor1.png");
  // An archive member has no path on disk, even where a loose file of that name exists.
  EXPECT_FALSE(m_layer.findOnDisk("Graphics/Characters/Actor1.png"));
  EXPECT_EQ(m_layer.findOnDisk("Audio/SE/Cursor1.ogg"), m_rtp + "/Audio/SE/Cursor1.ogg");
}

TEST_F(FileLayerTest, SeparatorsAndCaseDoNotMatter) {
  EXPECT_EQ(text("DATA\\scripts.RVDATA2"), "scripts");
  EXPECT_EQ(text("graphics\\CHARACTERS/actor2.PNG"), "loose actor 2");
  EXPECT_EQ(text("audio//se\\.\\CURSOR1.Ogg"), "rtp cursor");
  EXPECT_EQ(m_layer.findOnDisk("graphics\\characters\\actor2.png"), m_game + "/Graphics/Characters/Actor2.png");
}

TEST_F(FileLayerTest, NamesWithoutExtensionAreProbedByKind) {
  EXPECT_EQ(text("Audio/BGM/theme", FileKind::Audio), "theme");
  EXPECT_EQ(text("Audio/BGM/theme", FileKind::Any), "theme");
  EXPECT_EQ(text("Audio/BGM/theme", FileKind::Image), "<missing>");
  EXPECT_EQ(text("Graphics/Characters/Actor1", FileKind::Image), "archived actor");

  put(m_game + "/Pictures/Plain", "no extension");
  put(m_game + "/Pictures/Plain.png", "png");
  put(m_game + "/Pictures/Pic.jpg", "jpg");
  put(m_game + "/Pictures/Pic.PNG", "png");
  put(m_game + "/Pictures/Both.ogg", "ogg");
  put(m_game + "/Pictures/Both.bmp", "bmp");
  put(m_game + "/Pictures/Song.mid", "mid");
  put(m_game + "/Pictures/Song.midi", "midi");
  EXPECT_EQ(text("pictures/plain", FileKind::Image), "no extension");
  EXPECT_EQ(text("pictures/pic", FileKind::Image), "png");
  EXPECT_EQ(text("pictures/both", FileKind::Any), "bmp");
  EXPECT_EQ(text("pictures/both", FileKind::Audio), "ogg");
  EXPECT_EQ(text("pictures/song", FileKind::Audio), "mid");
}

TEST_F(FileLayerTest, MissingAndFolderNamesAreAbsentWithoutError) {
  for (std::string_view name : {"Graphics/Nothing.png", "Graphics", "Graphics/", "", ".", "Data/Scripts/x"}) {
    EXPECT_EQ(text(name), "<missing>") << name;
    EXPECT_FALSE(m_layer.exists(name)) << name;
  }
  EXPECT_TRUE(m_layer.exists("audio/bgm/THEME.ogg"));
}

TEST_F(FileLayerTest, DotDotNamesNeverReachIntoTheArchive) {
  EXPECT_EQ(text("Graphics/../Data/Scripts.rvdata2"), "scripts");
  // "../Beside.txt" is a hostile archive member name; the loose file beside the game folder answers.
  EXPECT_EQ(text("../beside.TXT"), "beside the game");
  fs::remove(m_root + "/Beside.txt");
  EXPECT_EQ(text("../Beside.txt"), "<missing>");
}

TEST_F(FileLayerTest, AbsoluteNamesAreLooseFilesMatchedIgnoringCase) {
  EXPECT_EQ(text(m_game + "/GRAPHICS/characters/ACTOR1.png"), "loose actor");
  EXPECT_EQ(text(m_game + "/Graphics/Characters/Nothing.png"), "<missing>");
}

TEST_F(FileLayerTest, FilesCreatedAfterALookupAreFound) {
  EXPECT_EQ(text("save/slot01.rvdata2"), "<missing>");
  put(m_game + "/Save/Slot01.rvdata2", "first");
  EXPECT_EQ(text("save/slot01.rvdata2"), "first");
  EXPECT_EQ(text("SAVE/SLOT02.rvdata2"), "<missing>");
  // A file created within the same clock tick as the folder's last change leaves its time unchanged.
  const auto folderTime = fs::last_write_time(m_game + "/Save");
  put(m_game + "/Save/Slot02.rvdata2", "second");
  fs::last_write_time(m_game + "/Save", folderTime);
  EXPECT_EQ(text("SAVE/SLOT02.rvdata2"), "second");
}

TEST_F(FileLayerTest, CorruptArchiveMemberReportsInsteadOfFallingThrough) {
  auto bytes = buildArchive({{"Graphics/Characters/Actor2.png", bytesOf("archived actor 2")}}, 1);
  bytes.resize(bytes.size() - 4);
  const std::string path = m_root + "/Broken.rgss3a";
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                              static_cast<std::streamsize>(bytes.size()));
  ASSERT_TRUE(m_layer.setArchive(path));
  const std::string result = text("Graphics/Characters/Actor2.png");
  EXPECT_NE(result.find("<error: archive " + path), std::string::npos) << result;
  EXPECT_NE(result.find("past the end"), std::string::npos) << result;
}

TEST_F(FileLayerTest, UnreadableArchiveLeavesLooseFilesInUse) {
  std::string error;
  EXPECT_FALSE(m_layer.setArchive(m_game + "/Graphics/Characters/Actor2.png", &error));
  EXPECT_NE(error.find("signature"), std::string::npos) << error;
  EXPECT_EQ(text("Graphics/Characters/Actor1.png"), "loose actor");
  EXPECT_EQ(text("Data/Scripts.rvdata2"), "<missing>");
}

// A game folder that cannot be written sends what it writes to the user data folder and reads it back first.
class UserDataTest : public FileLayerTest {
 protected:
  void SetUp() override {
    FileLayerTest::SetUp();
    m_data = m_root + "/data/games/Quest-0000abcd";
    m_layer.setUserDataFolder(m_data);
  }
  std::string m_data;
};

TEST_F(UserDataTest, WritesInsideTheGameFolderGoToTheUserDataFolder) {
  EXPECT_EQ(m_layer.pathForWriting("Save01.rvdata2"), m_data + "/Save01.rvdata2");
  EXPECT_EQ(m_layer.pathForWriting("Save\\Slot\\1.rvdata2"), m_data + "/Save/Slot/1.rvdata2");
  EXPECT_TRUE(fs::is_directory(m_data + "/Save/Slot"));
  EXPECT_EQ(m_layer.pathForWriting(m_game + "/Graphics/shot.png"), m_data + "/Graphics/shot.png");
  // A copy already there keeps its spelling, as on the case-insensitive file systems games were made on.
  put(m_data + "/Save/Slot/Old.rvdata2", "old");
  EXPECT_EQ(m_layer.pathForWriting("SAVE/slot/old.rvdata2"), m_data + "/Save/Slot/Old.rvdata2");
  // Names outside the game folder are the script's own business.
  for (const std::string& name : {std::string("../Beside.txt"), m_root + "/Beside.txt", std::string("/tmp/x")}) {
    EXPECT_EQ(m_layer.pathForWriting(name), name);
  }
}

TEST_F(UserDataTest, ReadsFindTheUserCopyFirst) {
  put(m_data + "/Graphics/System/Window.png", "saved window");
  put(m_data + "/Graphics/Characters/Actor1.png", "saved actor");
  EXPECT_EQ(text("graphics/system/window", FileKind::Image), "saved window");
  EXPECT_EQ(text("Graphics/Characters/Actor1.png"), "archived actor");  // the archive still comes first
  EXPECT_EQ(text("Audio/BGM/Theme.ogg"), "theme");
  EXPECT_EQ(m_layer.pathForReading("Graphics/System/WINDOW.png"), m_data + "/Graphics/System/Window.png");
  EXPECT_EQ(m_layer.pathForReading("Graphics"), m_data + "/Graphics");
  EXPECT_EQ(m_layer.pathForReading("Audio/BGM/Theme.ogg"), "Audio/BGM/Theme.ogg");

  m_layer.setUserDataFolder("");
  EXPECT_EQ(text("Graphics/System/Window.png"), "game window");
  EXPECT_EQ(m_layer.pathForWriting("Save01.rvdata2"), "Save01.rvdata2");
  EXPECT_EQ(m_layer.pathForReading("Graphics/System/Window.png"), "Graphics/System/Window.png");
}

TEST_F(FileLayerTest, DescribedPathsAreAbsoluteWithSlashes) {
  EXPECT_EQ(m_layer.describePath("audio\\bgm\\theme.ogg"), m_game + "/Audio/BGM/Theme.ogg");
  EXPECT_EQ(m_layer.describePath("Data\\Missing.rvdata2"), m_game + "/Data/Missing.rvdata2");
}

}  // namespace
}  // namespace engine
