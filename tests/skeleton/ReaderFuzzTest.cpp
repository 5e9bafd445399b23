#include <random>

#include "SkeletonTestSupport.h"
#include "fuzz/SkeletonExercise.h"

namespace spine::test {
namespace {

std::vector<uint8_t> flipBits(std::vector<uint8_t> bytes, std::mt19937& random, int flips) {
  std::uniform_int_distribution<size_t> position(0, bytes.size() - 1);
  std::uniform_int_distribution<int> bit(0, 7);
  for (int i = 0; i < flips; ++i) bytes[position(random)] ^= static_cast<uint8_t>(1 << bit(random));
  return bytes;
}

// Every truncation offset near the start, then a stride through the rest.
std::vector<size_t> truncationPoints(size_t size) {
  std::vector<size_t> points;
  for (size_t n = 0; n < size; n += (n < 256 ? 1 : 97)) points.push_back(n);
  points.push_back(size - 1);
  return points;
}

class ReaderFuzz : public ::testing::Test {
 protected:
  void SetUp() override {
    SKIP_WITHOUT_SAMPLES();
    std::string error;
    atlas = Atlas::parse(readText(sampleDir() / "spineboy" / "spineboy.atlas"), "", nullptr, error);
    ASSERT_TRUE(atlas) << error;
    loader = std::make_unique<AtlasAttachmentLoader>(atlas.get());
  }
  std::unique_ptr<Atlas> atlas;
  std::unique_ptr<AtlasAttachmentLoader> loader;
};

TEST_F(ReaderFuzz, TruncatedBinaryIsRejected) {
  std::vector<uint8_t> bytes = readBytes(sampleDir() / "spineboy" / "spineboy-ess.skel");
  ASSERT_FALSE(bytes.empty());
  SkeletonBinary reader(*loader);
  for (size_t n : truncationPoints(bytes.size())) {
    EXPECT_FALSE(reader.readSkeletonData(bytes.data(), n)) << n;
    EXPECT_FALSE(reader.error().empty()) << n;
  }
}

TEST_F(ReaderFuzz, CorruptedBinaryNeverFaults) {
  std::mt19937 random(1234);
  for (const char* file : {"spineboy-ess.skel", "spineboy-pro.skel"}) {
    std::vector<uint8_t> original = readBytes(sampleDir() / "spineboy" / file);
    ASSERT_FALSE(original.empty());
    SkeletonBinary reader(*loader);
    int loaded = 0;
    for (int round = 0; round < 150; ++round) {
      std::vector<uint8_t> bytes = flipBits(original, random, 1 + round % 8);
      auto data = reader.readSkeletonData(bytes.data(), bytes.size());
      if (data) {
        ++loaded;
        fuzz::exerciseSkeleton(*data);
      } else {
        EXPECT_FALSE(reader.error().empty());
      }
    }
    EXPECT_GT(loaded, 0) << file;  // some flips land in floats and still load: those must animate safely
  }
}

TEST_F(ReaderFuzz, HugeCountsAreRejectedWithoutAllocating) {
  // Header, empty string table, then a bone count of 2^31 - 1.
  std::vector<uint8_t> bytes = {0, 7, '3', '.', '8', '.', '5', '5'};
  bytes.insert(bytes.end(), 16, 0);  // x, y, width, height
  bytes.push_back(0);                // not nonessential
  bytes.push_back(0);                // no strings
  for (uint8_t b : {0xff, 0xff, 0xff, 0xff, 0x07}) bytes.push_back(b);
  SkeletonBinary reader(*loader);
  EXPECT_FALSE(reader.readSkeletonData(bytes.data(), bytes.size()));
  EXPECT_NE(reader.error().find("count"), std::string::npos) << reader.error();
}

TEST_F(ReaderFuzz, TruncatedAndCorruptedJsonNeverFaults) {
  std::string original = readText(sampleDir() / "spineboy" / "spineboy-ess.json");
  ASSERT_FALSE(original.empty());
  SkeletonJson reader(*loader);
  for (size_t n = 0; n < original.size(); n += 501) {
    EXPECT_FALSE(reader.readSkeletonData(std::string_view(original).substr(0, n))) << n;
    EXPECT_FALSE(reader.error().empty());
  }
  std::mt19937 random(99);
  std::uniform_int_distribution<size_t> position(0, original.size() - 1);
  const char replacements[] = "-0123456789.e\"{}[],:ntf x";
  std::uniform_int_distribution<size_t> pick(0, sizeof(replacements) - 2);
  for (int round = 0; round < 150; ++round) {
    std::string text = original;
    for (int i = 0; i <= round % 5; ++i) text[position(random)] = replacements[pick(random)];
    if (auto data = reader.readSkeletonData(text)) fuzz::exerciseSkeleton(*data);
  }
}

TEST_F(ReaderFuzz, JsonSemanticErrorsAreReported) {
  const char* bad[] = {
      R"([1, 2])",
      R"({"bones":[{"name":"a"},{"name":"b"}]})",            // second root
      R"({"bones":[{"name":"a","parent":"ghost"}]})",        // unknown parent
      R"({"bones":[{"name":"a","transform":"sideways"}]})",  // unknown mode
      R"({"bones":[{"name":"a","x":"far"}]})",               // wrong type
      R"({"bones":[{"name":"r"}],"slots":[{"name":"s","bone":"r","color":"zz"}]})",
      R"({"skeleton":{"spine":"3.7.94"}})",
      R"({"skeleton":{"spine":"3.8.75"}})",
      R"({"skins":{"default":{}}})",  // 3.7 object form
      R"({"bones":[{"name":"r"}],"slots":[{"name":"s","bone":"r"}],"skins":[{"name":"default","attachments":{"s":{
            "m":{"type":"mesh","uvs":[0,0,1,0,0,1],"triangles":[0,1,7],"vertices":[0,0,1,0,0,1]}}}}]})",
      R"({"bones":[{"name":"r"}],"slots":[{"name":"s","bone":"r"}],"skins":[{"name":"default","attachments":{"s":{
            "m":{"type":"mesh","uvs":[0,0,1,0],"triangles":[],"vertices":[1,5,0,0,1, 1,0,0,0,1]}}}}]})",
      R"({"bones":[{"name":"r"}],"slots":[{"name":"s","bone":"r"}],"skins":[{"name":"default","attachments":{"s":{
            "l":{"type":"linkedmesh","parent":"nothing"}}}}]})",
      R"({"bones":[{"name":"r"}],"slots":[{"name":"a","bone":"r"},{"name":"b","bone":"r"}],
            "animations":{"x":{"drawOrder":[{"offsets":[{"slot":"b","offset":-1},{"slot":"a","offset":1}]}]}}})",
      R"({"bones":[{"name":"r"}],"slots":[{"name":"a","bone":"r"}],
            "animations":{"x":{"drawOrder":[{"offsets":[{"slot":"a","offset":5}]}]}}})",
      R"({"bones":[{"name":"r"}],"slots":[{"name":"s","bone":"r"}],"skins":[{"name":"default","attachments":{"s":{
            "m":{"type":"mesh","uvs":[0,0,1,0,0,1],"triangles":[0,1,2],"vertices":[0,0,1,0,0,1],
            "hull":1500000000}}}}]})",
      R"({"animations":{"x":{"events":[{"name":"nope"}]}}})",
      R"({"bones":[{"name":"r"}],"animations":{"x":{"bones":{"r":{"wiggle":[{}]}}}}})",
  };
  SkeletonJson reader(*loader);
  for (const char* json : bad) {
    EXPECT_FALSE(reader.readSkeletonData(json)) << json;
    EXPECT_FALSE(reader.error().empty()) << json;
  }
}

TEST_F(ReaderFuzz, DeeplyNestedJsonIsRejectedWithoutExhaustingTheStack) {
  std::string text = "{\"bones\":" + std::string(200000, '[') + std::string(200000, ']') + "}";
  SkeletonJson reader(*loader);
  EXPECT_FALSE(reader.readSkeletonData(text));
  EXPECT_FALSE(reader.error().empty());
}

TEST_F(ReaderFuzz, MissingAtlasRegionIsAnError) {
  SkeletonJson reader(*loader);
  EXPECT_FALSE(reader.readSkeletonData(R"({"bones":[{"name":"r"}],"slots":[{"name":"s","bone":"r"}],
        "skins":[{"name":"default","attachments":{"s":{"nowhere":{"width":1,"height":1}}}}]})"));
  EXPECT_NE(reader.error().find("nowhere"), std::string::npos) << reader.error();
}

TEST(AtlasFuzz, TruncatedAndCorruptedAtlasNeverFaults) {
  SKIP_WITHOUT_SAMPLES();
  std::string original = readText(sampleDir() / "raptor" / "raptor.atlas");
  ASSERT_FALSE(original.empty());
  std::string error;
  for (size_t n = 0; n < original.size(); n += 7) {
    auto atlas = Atlas::parse(std::string_view(original).substr(0, n), "", nullptr, error);
    if (!atlas) continue;
    for (const auto& region : atlas->regions()) EXPECT_NE(region->page, nullptr);
  }
  std::mt19937 random(7);
  std::uniform_int_distribution<size_t> position(0, original.size() - 1);
  for (int round = 0; round < 300; ++round) {
    std::string text = original;
    for (int i = 0; i <= round % 4; ++i) text[position(random)] ^= static_cast<char>(1 << (round % 7));
    Atlas::parse(text, "", nullptr, error);
  }
}

}  // namespace
}  // namespace spine::test
