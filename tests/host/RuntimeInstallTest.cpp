// `quillon --install-rtp`: packages from folders and from zip files made here, and a game that then finds its
// package without QUILLON_RTP_PATH.

#include "host/RuntimeInstall.h"

#include <archive.h>
#include <archive_entry.h>
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "PlayerRun.h"
#include "TempFolder.h"

namespace host {
namespace {

namespace fs = std::filesystem;

std::vector<PackageFile> named(std::initializer_list<const char*> names) {
  std::vector<PackageFile> files;
  for (const char* name : names) {
    files.push_back({name});
  }
  return files;
}

TEST(RuntimeInstallTest, PackageRootIsWhereGraphicsAndAudioAre) {
  EXPECT_EQ(packageRoot(named({"Graphics/System/Window.png", "audio/SE/a.ogg", "readme.txt"})), "");
  EXPECT_EQ(packageRoot(named({"BasePack/Graphics/a.png", "BasePack/Audio/BGM/b.ogg", "notes.txt"})), "BasePack/");
  EXPECT_EQ(packageRoot(named({"A/Graphics/a.png", "A/Audio/b.ogg", "B/c.txt"})), std::nullopt);
  EXPECT_EQ(packageRoot(named({"Graphics/a.png", "Fonts/b.ttf"})), std::nullopt);
  EXPECT_EQ(packageRoot(named({"Graphics", "Audio"})), std::nullopt);  // files, not folders
  EXPECT_EQ(defaultPackageName("/dl/RTP.zip", "BasePack/", false), "BasePack");
  EXPECT_EQ(defaultPackageName("/dl/BasePack.zip", "", false), "BasePack");
  EXPECT_EQ(defaultPackageName("/media/BasePack/", "", true), "BasePack");
  EXPECT_FALSE(validPackageName(".."));
  EXPECT_FALSE(validPackageName("a/b"));
}

class InstallTest : public testing::Test {
 protected:
  std::string data() const { return m_folder.file("data"); }
  std::string installed(const std::string& name, const std::string& file) const {
    return data() + "/quillon/rtp/" + name + "/" + file;
  }
  PlayerRun install(const std::string& arguments) const {
    return runQuillon("--install-rtp " + arguments + " 2>&1", "XDG_DATA_HOME='" + data() + "'", m_folder.path());
  }
  static std::string read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  static void setModified(const std::string& path, std::time_t when) {
    const timespec times[2] = {{when, 0}, {when, 0}};
    ::utimensat(AT_FDCWD, path.c_str(), times, 0);
  }
  // A zip of `files` (name, contents), all modified at `when`.
  void writeZip(const std::string& name, const std::vector<std::pair<std::string, std::string>>& files,
                std::time_t when = 1600000000) const {
    archive* zip = archive_write_new();
    archive_write_set_format_zip(zip);
    ASSERT_EQ(archive_write_open_filename(zip, m_folder.file(name).c_str()), ARCHIVE_OK);
    for (const auto& [path, contents] : files) {
      archive_entry* entry = archive_entry_new();
      archive_entry_set_pathname(entry, path.c_str());
      archive_entry_set_filetype(entry, AE_IFREG);
      archive_entry_set_perm(entry, 0644);
      archive_entry_set_size(entry, static_cast<la_int64_t>(contents.size()));
      archive_entry_set_mtime(entry, when, 0);
      archive_write_header(zip, entry);
      archive_write_data(zip, contents.data(), contents.size());
      archive_entry_free(entry);
    }
    archive_write_close(zip);
    archive_write_free(zip);
  }

  TempFolder m_folder;
};

TEST_F(InstallTest, FromAFolderKeepingNewerFilesThere) {
  m_folder.write("src/MyRTP/Graphics/System/Window.png", "window v1");
  m_folder.write("src/MyRTP/Audio/SE/Cursor.ogg", "cursor v1");
  PlayerRun run = install("src/MyRTP");
  ASSERT_EQ(run.status, 0) << run.output;
  EXPECT_NE(run.output.find("Installed the runtime package MyRTP in " + data() + "/quillon/rtp/MyRTP"),
            std::string::npos)
      << run.output;
  EXPECT_EQ(read(installed("MyRTP", "Graphics/System/Window.png")), "window v1");

  // The source changes: an installed file edited since (newer) is kept and named, an older one is replaced.
  m_folder.write("src/MyRTP/Graphics/System/Window.png", "window v2");
  m_folder.write("src/MyRTP/Audio/SE/Cursor.ogg", "cursor v2");
  setModified(m_folder.file("src/MyRTP/Graphics/System/Window.png"), 1600000000);
  setModified(m_folder.file("src/MyRTP/Audio/SE/Cursor.ogg"), 1600000000);
  std::ofstream(installed("MyRTP", "Graphics/System/Window.png")) << "edited by the user";
  setModified(installed("MyRTP", "Audio/SE/Cursor.ogg"), 1500000000);
  run = install("src/MyRTP");
  ASSERT_EQ(run.status, 0) << run.output;
  EXPECT_EQ(read(installed("MyRTP", "Graphics/System/Window.png")), "edited by the user");
  EXPECT_NE(run.output.find("Kept, not overwritten, as newer there than in " + m_folder.file("src/MyRTP") +
                            ":\n  Graphics/System/Window.png\nDelete them"),
            std::string::npos)
      << run.output;
  EXPECT_EQ(read(installed("MyRTP", "Audio/SE/Cursor.ogg")), "cursor v2");
}

TEST_F(InstallTest, FromAZipThenAGameFindsItWithoutTheVariable) {
  // Marshal data of the integer 42.
  const std::string marker("\x04\x08i\x2f", 4);
  writeZip("Download.zip", {{"Pack/Graphics/System/Marker.rvdata2", marker}, {"Pack/Audio/SE/a.ogg", "ogg"}});
  PlayerRun run = install("Download.zip");
  ASSERT_EQ(run.status, 0) << run.output;
  EXPECT_EQ(read(installed("Pack", "Graphics/System/Marker.rvdata2")), marker);
  run = install("Download.zip ZipRTP");
  ASSERT_EQ(run.status, 0) << run.output;
  struct stat info {};
  ASSERT_EQ(::stat(installed("ZipRTP", "Audio/SE/a.ogg").c_str(), &info), 0);
  EXPECT_EQ(info.st_mtim.tv_sec, 1600000000);

  m_folder.write("game/Game.ini", "[Game]\nTitle=RTP Game\nRTP=ZipRTP\n");
  m_folder.write("game/main.rb", "exit(load_data('Graphics/System/Marker.rvdata2') == 42 ? 7 : 3)\n");
  const std::string pack = QUILLON_SOURCE_DIR "/tools/pack-scripts -o '" + m_folder.file("game/Data/Scripts.rvdata2") +
                           "' '" + m_folder.file("game/main.rb") + "'";
  ASSERT_EQ(std::system(pack.c_str()), 0);
  run = runQuillon("--game game 2>&1", "env -u QUILLON_RTP_PATH XDG_DATA_HOME='" + data() + "'", m_folder.path());
  EXPECT_EQ(run.status, 7) << run.output;
}

TEST_F(InstallTest, RefusesWhatIsNoPackageAndNamesLeavingIt) {
  m_folder.write("src/Pictures/Graphics/a.png", "png");
  PlayerRun run = install("src/Pictures");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.output.find(m_folder.file("src/Pictures") + " does not look like a runtime package"), std::string::npos)
      << run.output;
  EXPECT_EQ(install("src/Absent").status, 1);

  writeZip("Hostile.zip", {{"Graphics/a.png", "a"}, {"Audio/b.ogg", "b"}, {"Graphics/../../../escaped.txt", "x"}});
  run = install("Hostile.zip Hostile");
  EXPECT_EQ(run.status, 1) << run.output;
  EXPECT_FALSE(fs::exists(m_folder.file("data/quillon/escaped.txt")));
  EXPECT_FALSE(fs::exists(m_folder.file("escaped.txt")));
  EXPECT_FALSE(fs::exists(installed("Hostile", "")));
}

}  // namespace
}  // namespace host
