#include "engine/private/AtomicFile.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace engine {
namespace {

namespace fs = std::filesystem;

class AtomicFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/quillon-save-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder = pattern;
  }
  void TearDown() override { fs::remove_all(folder); }
  static std::string read(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
  }
  size_t entries() const { return static_cast<size_t>(std::distance(fs::directory_iterator(folder), {})); }

  fs::path folder;
};

TEST_F(AtomicFileTest, ReplacesTheFileAndLeavesNoTemporary) {
  fs::path save = folder / "Save01.rvdata2";
  ASSERT_EQ(writeFileAtomically(save, "old", 3), 0);
  ASSERT_EQ(writeFileAtomically(save, "new data", 8), 0);
  EXPECT_EQ(read(save), "new data");
  EXPECT_EQ(entries(), 1u);
}

TEST_F(AtomicFileTest, FailedWriteKeepsTheOldFileAndLeavesNoTemporary) {
  fs::path save = folder / "Save01.rvdata2";
  ASSERT_EQ(writeFileAtomically(save, "precious", 8), 0);
  EXPECT_EQ(writeFileAtomically(folder / "missing" / "Save01.rvdata2", "x", 1), ENOENT);
  // A non-empty folder in the way: the temporary is written, the rename fails (even for root).
  fs::path blocked = folder / "Blocked";
  fs::create_directories(blocked / "inside");
  EXPECT_NE(writeFileAtomically(blocked, "x", 1), 0);
  EXPECT_EQ(read(save), "precious");
  EXPECT_EQ(entries(), 2u);
}

}  // namespace
}  // namespace engine
