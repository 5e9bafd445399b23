#include "engine/private/AtomicFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
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

TEST_F(AtomicFileTest, NamedTemporaryPathReplacesTheFileAndLeavesNothing) {
  fs::path save = folder / "Save02.rvdata2";
  ASSERT_EQ(writeFileThroughNamedTemporary(save, "old", 3), 0);
  ASSERT_EQ(writeFileThroughNamedTemporary(save, "newer", 5), 0);
  EXPECT_EQ(read(save), "newer");
  EXPECT_EQ(entries(), 1u);
  EXPECT_NE(writeFileThroughNamedTemporary(folder / "missing" / "x", "x", 1), 0);
  EXPECT_EQ(entries(), 1u);
}

TEST_F(AtomicFileTest, SavesGetThePermissionsOfAPlainCreate) {
  const mode_t mask = umask(022);
  fs::path save = folder / "Save03.rvdata2";
  ASSERT_EQ(writeFileAtomically(save, "x", 1), 0);
  umask(mask);
  EXPECT_EQ(fs::status(save).permissions(), fs::perms(0644));
}

// A save killed between naming its temporary and renaming it leaves that name behind: the next save into the
// folder removes it once its writer is gone, and never touches one whose writer still runs, nor other files.
TEST_F(AtomicFileTest, NextSaveRemovesTemporariesOfProcessesThatAreGone) {
  const pid_t gone = fork();
  if (gone == 0) _exit(0);
  ASSERT_GT(gone, 0);
  waitpid(gone, nullptr, 0);
  const std::string dead = "Save01.rvdata2.tmp-" + std::to_string(gone) + "-AbC123";
  const std::string alive = "Save01.rvdata2.tmp-" + std::to_string(getpid()) + "-AbC123";
  for (const std::string& name :
       {dead, alive, std::string("notes.tmp-ab"), std::string("Save01.rvdata2.tmp-x-AbC123")}) {
    std::ofstream(folder / name) << "partial";
  }
  ASSERT_EQ(writeFileAtomically(folder / "Save01.rvdata2", "saved", 5), 0);
  EXPECT_FALSE(fs::exists(folder / dead));
  EXPECT_TRUE(fs::exists(folder / alive));
  EXPECT_EQ(entries(), 4u);
  EXPECT_EQ(removeStaleTemporaries(folder), 0);
}

// Temporaries of the earlier form name no process: they go once an hour old, and only beside their save.
TEST_F(AtomicFileTest, OldTemporariesGoOnlyWhenOldAndBesideTheirSave) {
  std::ofstream(folder / "Save01.rvdata2") << "saved";
  for (const char* name : {"Save01.rvdata2.tmp-Xy12Zz", "Save01.rvdata2.tmp-Fresh1", "Other.rvdata2.tmp-Xy12Zz"}) {
    std::ofstream(folder / name) << "partial";
  }
  const auto old = fs::file_time_type::clock::now() - std::chrono::hours(2);
  fs::last_write_time(folder / "Save01.rvdata2.tmp-Xy12Zz", old);
  fs::last_write_time(folder / "Other.rvdata2.tmp-Xy12Zz", old);
  EXPECT_EQ(removeStaleTemporaries(folder), 1);
  EXPECT_FALSE(fs::exists(folder / "Save01.rvdata2.tmp-Xy12Zz"));
  EXPECT_EQ(entries(), 3u);
}

}  // namespace
}  // namespace engine
