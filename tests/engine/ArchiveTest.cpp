#include "engine/private/Archive.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>

namespace engine {
namespace {

std::vector<std::uint8_t> randomBytes(std::size_t size, std::uint32_t seed) {
  std::mt19937 random(seed);
  std::vector<std::uint8_t> bytes(size);
  for (auto& byte : bytes) byte = static_cast<std::uint8_t>(random());
  return bytes;
}

// The cipher block by block, as the format states it, to check the fast version against.
void referenceCipher(std::vector<std::uint8_t>& data, std::uint32_t key) {
  for (std::size_t i = 0; i < data.size(); ++i) {
    data[i] ^= static_cast<std::uint8_t>(key >> (8 * (i % 4)));
    if (i % 4 == 3) key = key * 7 + 3;
  }
}

void putLe32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

class ArchiveTest : public testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = testing::TempDir() + "quillon-archive-XXXXXX";
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    m_folder = pattern;
    m_members = {{"Data\\Scripts.rvdata2", randomBytes(1000, 1)},
                 {"Graphics/Characters/Actor1.png", randomBytes(33, 2)},
                 {"Audio\\SE\\Empty.ogg", {}},
                 {"a", randomBytes(3, 3)}};
  }
  void TearDown() override { std::filesystem::remove_all(m_folder); }

  std::string write(const std::vector<std::uint8_t>& bytes, const std::string& name = "Game.rgss3a") {
    const std::string path = m_folder + "/" + name;
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
    return path;
  }

  // Opens `bytes`; on success every member must read back intact or fail with a message.
  void expectHandled(const std::vector<std::uint8_t>& bytes) {
    std::string error;
    auto archive = Archive::open(write(bytes), &error);
    if (!archive) {
      EXPECT_FALSE(error.empty());
      return;
    }
    for (const auto& entry : archive->entries()) {
      std::string readError;
      const auto data = archive->read(entry, &readError);
      if (!data) {
        EXPECT_FALSE(readError.empty()) << entry.name;
      }
    }
  }

  std::string m_folder;
  std::vector<ArchiveMember> m_members;
};

TEST_F(ArchiveTest, WrittenMembersReadBackIntact) {
  const auto bytes = buildArchive(m_members, 1234);
  std::string error;
  auto archive = Archive::open(write(bytes), &error);
  ASSERT_TRUE(archive) << error;
  ASSERT_EQ(archive->entries().size(), m_members.size());
  EXPECT_EQ(archive->entries()[0].name, "Data/Scripts.rvdata2");
  for (const auto& member : m_members) {
    const auto* entry = archive->find(foldFileName(member.name));
    ASSERT_TRUE(entry) << member.name;
    const auto data = archive->read(*entry, &error);
    ASSERT_TRUE(data) << error;
    EXPECT_EQ(*data, member.data) << member.name;
  }
  // Names and data must not be stored in the clear.
  const std::string raw(bytes.begin(), bytes.end());
  EXPECT_EQ(raw.find("Scripts"), std::string::npos);
  EXPECT_EQ(std::search(bytes.begin(), bytes.end(), m_members[0].data.begin(), m_members[0].data.begin() + 16),
            bytes.end());
}

TEST_F(ArchiveTest, ReadsAnIndependentlyEncodedArchive) {
  // Seed 2 gives table key 21; one member "Ab" of 6 bytes with file key 5 at offset 12 + 18 + 4.
  const std::uint32_t tableKey = 21;
  std::vector<std::uint8_t> bytes = {'R', 'G', 'S', 'S', 'A', 'D', 0, 3, 2, 0, 0, 0};
  bytes.resize(12 + 16 + 2 + 4);
  putLe32(bytes, 12, 34 ^ tableKey);
  putLe32(bytes, 16, 6 ^ tableKey);
  putLe32(bytes, 20, 5 ^ tableKey);
  putLe32(bytes, 24, 2 ^ tableKey);
  bytes[28] = 'A' ^ 21;
  bytes[29] = 'b' ^ 0;
  putLe32(bytes, 30, 0 ^ tableKey);
  // Block key 5, then 38 for the two-byte tail.
  for (int byte : {'h' ^ 5, 'e' ^ 0, 'l' ^ 0, 'l' ^ 0, 'o' ^ 38, '!' ^ 0}) bytes.push_back(static_cast<std::uint8_t>(byte));

  std::string error;
  auto archive = Archive::open(write(bytes), &error);
  ASSERT_TRUE(archive) << error;
  const auto* entry = archive->find("ab");
  ASSERT_TRUE(entry);
  EXPECT_EQ(entry->name, "Ab");
  const auto data = archive->read(*entry, &error);
  ASSERT_TRUE(data) << error;
  EXPECT_EQ(std::string(data->begin(), data->end()), "hello!");
}

TEST_F(ArchiveTest, CipherMatchesTheBlockByBlockDefinition) {
  for (std::size_t size : {0u, 1u, 3u, 4u, 31u, 32u, 33u, 35u, 64u, 67u, 127u, 4099u}) {
    auto fast = randomBytes(size, static_cast<std::uint32_t>(size));
    auto slow = fast;
    Archive::applyCipher(fast.data(), fast.size(), 0xDEADBEEF);
    referenceCipher(slow, 0xDEADBEEF);
    EXPECT_EQ(fast, slow) << "size " << size;
  }
}

TEST_F(ArchiveTest, FirstOfRepeatedNamesWins) {
  auto archive = Archive::open(write(buildArchive({{"X.txt", {1}}, {"x.TXT", {2}}})));
  ASSERT_TRUE(archive);
  const auto data = archive->read(*archive->find("x.txt"));
  ASSERT_TRUE(data);
  EXPECT_EQ(*data, std::vector<std::uint8_t>{1});
}

TEST_F(ArchiveTest, BadHeadersAreRejectedWithAReason) {
  auto bytes = buildArchive(m_members);
  const auto rejects = [&](std::vector<std::uint8_t> variant, const std::string& reason) {
    std::string error;
    EXPECT_FALSE(Archive::open(write(variant), &error));
    EXPECT_NE(error.find(reason), std::string::npos) << error;
  };
  rejects({}, "too short");
  rejects({bytes.begin(), bytes.begin() + 10}, "too short");
  auto wrongMagic = bytes;
  wrongMagic[0] = 'X';
  rejects(wrongMagic, "signature");
  auto versionOne = bytes;
  versionOne[7] = 1;
  rejects(versionOne, "version 1");
  std::string error;
  EXPECT_FALSE(Archive::open(m_folder + "/absent.rgss3a", &error));
  EXPECT_NE(error.find("absent.rgss3a"), std::string::npos) << error;
}

TEST_F(ArchiveTest, CorruptIndexIsRejectedWithAReason) {
  const std::uint32_t seed = 77;
  const std::uint32_t tableKey = seed * 9 + 3;
  const auto bytes = buildArchive(m_members, seed);
  const auto rejects = [&](std::vector<std::uint8_t> variant, const std::string& reason) {
    std::string error;
    EXPECT_FALSE(Archive::open(write(variant), &error));
    EXPECT_NE(error.find(reason), std::string::npos) << error;
  };
  rejects({bytes.begin(), bytes.begin() + 20}, "truncated");  // inside the first entry
  rejects({bytes.begin(), bytes.begin() + 30}, "name is truncated");

  // With every end marker gone, the index runs into the member data and then off the end of the file.
  std::vector<std::uint8_t> noMarker(bytes.begin(), bytes.begin() + 12);
  for (int i = 0; i < 4; ++i) {
    const std::size_t at = noMarker.size();
    noMarker.resize(at + 16 + 1);
    putLe32(noMarker, at, 100 ^ tableKey);
    putLe32(noMarker, at + 12, 1 ^ tableKey);
  }
  rejects(noMarker, "truncated");

  for (std::uint32_t length : {0u, Archive::kMaxNameLength + 1, 0x7FFFFFFFu}) {
    auto absurd = bytes;
    putLe32(absurd, 24, length ^ tableKey);
    rejects(absurd, "name length");
  }
}

TEST_F(ArchiveTest, MemberPastTheEndFailsAloneWithAReason) {
  const std::uint32_t tableKey = 0x5eed * 9 + 3;
  auto bytes = buildArchive(m_members);
  const std::size_t second = 12 + 16 + m_members[0].name.size();
  putLe32(bytes, second, static_cast<std::uint32_t>(bytes.size() + 10) ^ tableKey);  // offset past the end
  const std::size_t fourth = second + 16 + m_members[1].name.size() + 16 + m_members[2].name.size();
  putLe32(bytes, fourth + 4, 0xFFFFFFF0u ^ tableKey);  // size past the end

  std::string error;
  auto archive = Archive::open(write(bytes), &error);
  ASSERT_TRUE(archive) << error;
  for (std::size_t broken : {1u, 3u}) {
    error.clear();
    EXPECT_FALSE(archive->read(archive->entries()[broken], &error));
    EXPECT_NE(error.find("past the end"), std::string::npos) << error;
  }
  const auto intact = archive->read(archive->entries()[0], &error);
  ASSERT_TRUE(intact) << error;
  EXPECT_EQ(*intact, m_members[0].data);
}

TEST_F(ArchiveTest, ArchiveShrunkAfterOpeningGivesAnError) {
  const auto bytes = buildArchive(m_members);
  const std::string path = write(bytes);
  auto archive = Archive::open(path);
  ASSERT_TRUE(archive);
  std::filesystem::resize_file(path, bytes.size() - 40);
  std::string error;
  EXPECT_FALSE(archive->read(archive->entries()[0], &error));
  EXPECT_NE(error.find("truncated"), std::string::npos) << error;
}

TEST_F(ArchiveTest, EveryTruncationAndByteFlipIsHandled) {
  const auto bytes = buildArchive(m_members);
  for (std::size_t length = 0; length < bytes.size(); length += 7) expectHandled({bytes.begin(), bytes.begin() + length});
  std::mt19937 random(99);
  for (int round = 0; round < 200; ++round) {
    auto flipped = bytes;
    const std::size_t at = random() % 140;  // the header and index
    flipped[at] ^= static_cast<std::uint8_t>(1u << (random() % 8));
    expectHandled(flipped);
  }
}

TEST(FoldFileName, FoldsCaseAndSeparatorsOfCommonScripts) {
  const std::pair<std::string, std::string> cases[] = {
      {"Graphics\\Characters\\Actor1.PNG", "graphics/characters/actor1.png"},
      {"ÄRGER_Ÿ_Ő", "ärger_ÿ_ő"},
      {"ΑΩ_Привет_Ёж", "αω_привет_ёж"},
      {"ＡＢＣ", "ａｂｃ"},
      {"勇者_×", "勇者_×"},
      {"\xff\xc3" "A\xe2\x82", "\xff\xc3" "a\xe2\x82"},
  };
  for (const auto& [name, folded] : cases) EXPECT_EQ(foldFileName(name), folded) << name;
}

}  // namespace
}  // namespace engine
