#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "engine/Engine.h"
#include "engine/FileLayer.h"

namespace engine {
namespace {

namespace fs = std::filesystem;

class RuntimePackageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/quillon-rtp-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    root = pattern;
    fs::create_directories(root / "packages" / "BasePack" / "Graphics" / "System");
    std::ofstream(root / "packages" / "BasePack" / "Graphics" / "System" / "Window.png") << "png";
    fs::create_directories(root / "game");
  }
  void TearDown() override {
    unsetenv("QUILLON_RTP_PATH");
    FileLayer::instance().setRuntimeFolders({});
    FileLayer::instance().setGameFolder(".");
    fs::remove_all(root);
  }
  int setup(const std::string& iniText, char* buffer, int size) {
    std::ofstream(root / "game" / "Game.ini") << iniText;
    return RGSSSetupRTP((root / "game" / "Game.ini").c_str(), buffer, size);
  }

  fs::path root;
};

TEST_F(RuntimePackageTest, EmptyOrAbsentNameNeedsNoPackage) {
  char buffer[64] = "untouched";
  EXPECT_NE(setup("[Game]\nRTP=\n", buffer, sizeof(buffer)), 0);
  EXPECT_NE(setup("[Game]\nTitle=x\n", buffer, sizeof(buffer)), 0);
  EXPECT_STREQ(buffer, "untouched");
}

TEST_F(RuntimePackageTest, MissingPackageLeavesItsNameInTheBuffer) {
  setenv("QUILLON_RTP_PATH", (root / "packages").c_str(), 1);
  char buffer[8] = {};
  EXPECT_EQ(setup("[Game]\nRTP=OtherPackage\n", buffer, sizeof(buffer)), 0);
  EXPECT_STREQ(buffer, "OtherPa");  // cut to the buffer, always terminated
}

TEST_F(RuntimePackageTest, FoundPackageServesFilesAfterTheGameFolder) {
  char buffer[64] = {};
  for (const fs::path& entry : {root / "packages", root / "packages" / "BasePack"}) {
    setenv("QUILLON_RTP_PATH", ("/nonexistent:" + entry.string()).c_str(), 1);
    ASSERT_NE(setup("[Game]\nRTP=BasePack\n", buffer, sizeof(buffer)), 0) << entry;
    FileLayer::instance().setGameFolder((root / "game").string());
    auto bytes = FileLayer::instance().read("Graphics\\System\\window", FileKind::Image);
    ASSERT_TRUE(bytes.has_value()) << entry;
    EXPECT_EQ(std::string(bytes->begin(), bytes->end()), "png");
  }
}

}  // namespace
}  // namespace engine
