#include <map>

#include "SkeletonTestSupport.h"
#include "skeleton/runtime/MeshAttachment.h"
#include "skeleton/runtime/RegionAttachment.h"

namespace spine::test {
namespace {

// Records loads and unloads; gives each page a size when the atlas has none.
class RecordingLoader : public TextureLoader {
 public:
  void load(AtlasPage& page, const std::string& path) override {
    loaded.push_back(path);
    page.rendererObject = &textures[path];
    if (page.width == 0) {
      page.width = 64;
      page.height = 32;
    }
  }
  void unload(void* texture) override { unloaded.push_back(texture); }

  std::vector<std::string> loaded;
  std::vector<void*> unloaded;
  std::map<std::string, int> textures;
};

const char* kHandMadeAtlas =
    "\r\n"
    "first.png\r\n"
    "size: 100, 200\n"
    "format: RGBA4444\n"
    "filter: Nearest, MipMapLinearLinear\n"
    "repeat: xy\n"
    "button\n"
    "  rotate: 90\n"
    "  xy: 10, 20\n"
    "  size: 30, 40\n"
    "  split: 1, 2, 3, 4\n"
    "  pad: 5, 6, 7, 8\n"
    "  orig: 50, 60\n"
    "  offset: 7, 9\n"
    "  index: 3\n"
    "\n"
    "second.png\n"
    "format: Alpha\n"
    "filter: Linear,Linear\n"
    "repeat: none\n"
    "dot\n"
    "  rotate: false\n"
    "  xy: 0, 0\n"
    "  size: 16, 8\n"
    "  orig: 16, 8\n"
    "  offset: 0, 0\n"
    "  index: -1\n";

TEST(Atlas, ReadsPagesRegionsAndOptionalLines) {
  RecordingLoader loader;
  std::string error;
  auto atlas = Atlas::parse(kHandMadeAtlas, "art", &loader, error);
  ASSERT_TRUE(atlas) << error;
  ASSERT_EQ(atlas->pages().size(), 2u);
  const AtlasPage& first = *atlas->pages()[0];
  EXPECT_EQ(first.name, "first.png");
  EXPECT_EQ(first.width, 100);
  EXPECT_EQ(first.format, AtlasFormat::RGBA4444);
  EXPECT_EQ(first.minFilter, AtlasFilter::Nearest);
  EXPECT_EQ(first.magFilter, AtlasFilter::MipMapLinearLinear);
  EXPECT_EQ(first.uWrap, AtlasWrap::Repeat);
  EXPECT_EQ(first.vWrap, AtlasWrap::Repeat);
  EXPECT_EQ(loader.loaded, (std::vector<std::string>{"art/first.png", "art/second.png"}));

  const AtlasRegion* button = atlas->findRegion("button");
  ASSERT_NE(button, nullptr);
  EXPECT_TRUE(button->rotate);
  EXPECT_EQ(button->splits, (std::vector<int>{1, 2, 3, 4}));
  EXPECT_EQ(button->pads, (std::vector<int>{5, 6, 7, 8}));
  EXPECT_EQ(button->originalWidth, 50);
  EXPECT_EQ(button->offsetY, 9);
  EXPECT_EQ(button->index, 3);
  // Rotated: the page rectangle is 40 wide and 30 high.
  EXPECT_FLOAT_EQ(button->u, 0.1f);
  EXPECT_FLOAT_EQ(button->v, 0.1f);
  EXPECT_FLOAT_EQ(button->u2, 0.5f);
  EXPECT_FLOAT_EQ(button->v2, 0.25f);

  // The second page has no size line: the loader's image size is used.
  const AtlasRegion* dot = atlas->findRegion("dot");
  ASSERT_NE(dot, nullptr);
  EXPECT_EQ(dot->page->width, 64);
  EXPECT_FLOAT_EQ(dot->u2, 0.25f);
  EXPECT_FLOAT_EQ(dot->v2, 0.25f);
}

// A damaged atlas may place a region at the int limit: its far edge must not wrap around to a negative UV.
TEST(Atlas, RegionAtTheIntLimitKeepsItsUvsInOrder) {
  std::string error;
  auto atlas = Atlas::parse(
      "page.png\nsize: 100, 100\nformat: RGBA8888\nfilter: Linear,Linear\nrepeat: none\n"
      "far\n  rotate: false\n  xy: 2147483600, 2147483600\n  size: 100, 100\n  orig: 100, 100\n"
      "  offset: 0, 0\n  index: -1\n",
      "", nullptr, error);
  ASSERT_TRUE(atlas) << error;
  const AtlasRegion* far = atlas->findRegion("far");
  ASSERT_NE(far, nullptr);
  EXPECT_GE(far->u2, far->u);
  EXPECT_GE(far->v2, far->v);
  EXPECT_GT(far->u2, 0.0f);
  EXPECT_GT(far->v2, 0.0f);
}

TEST(Atlas, UnloadsEveryLoadedPageOnce) {
  RecordingLoader loader;
  std::string error;
  auto atlas = Atlas::parse(kHandMadeAtlas, "", &loader, error);
  ASSERT_TRUE(atlas) << error;
  std::vector<void*> textures = {atlas->pages()[0]->rendererObject, atlas->pages()[1]->rendererObject};
  atlas.reset();
  EXPECT_EQ(loader.unloaded, textures);
}

TEST(Atlas, SampleAtlasRotatedRegion) {
  SKIP_WITHOUT_SAMPLES();
  std::string error;
  auto atlas = Atlas::parse(readText(sampleDir() / "spineboy" / "spineboy.atlas"), "", nullptr, error);
  ASSERT_TRUE(atlas) << error;
  EXPECT_EQ(atlas->pages().size(), 1u);
  EXPECT_EQ(atlas->regions().size(), 40u);
  const AtlasRegion* shin = atlas->findRegion("front-shin");
  ASSERT_NE(shin, nullptr);
  EXPECT_TRUE(shin->rotate);
  EXPECT_FLOAT_EQ(shin->u, 665 / 1024.0f);
  EXPECT_FLOAT_EQ(shin->v, 128 / 256.0f);
  EXPECT_FLOAT_EQ(shin->u2, (665 + 92) / 1024.0f);
  EXPECT_FLOAT_EQ(shin->v2, (128 + 41) / 256.0f);
}

TEST(Atlas, MalformedTextIsRejectedWithItsLine) {
  const char* bad[] = {
      "page.png\nsize: 10, 10\nformat: RGBA9999\nfilter: Linear,Linear\nrepeat: none\n",
      "page.png\nsize: 10, 10\nformat: RGBA8888\nfilter: Linear\nrepeat: none\n",
      "page.png\nsize: 10, 10\nformat: RGBA8888\nfilter: Linear,Linear\nrepeat: none\nr\n  rotate: false\n  xy: 1\n",
      "page.png\nsize: 10, 10\nformat: RGBA8888\nfilter: Linear,Linear\nrepeat: none\nr\n  rotate: false\n  xy: a, 1\n",
      "page.png\nsize: 10, 10\nformat: RGBA8888\nfilter: Linear,Linear\nrepeat: none\nr\n  rotate: false\n",
      "page.png\nsize: 0, 10\nformat: RGBA8888\nfilter: Linear,Linear\nrepeat: none\n",
      "page.png\nno colon here\n",
  };
  for (const char* text : bad) {
    std::string error;
    EXPECT_FALSE(Atlas::parse(text, "", nullptr, error)) << text;
    EXPECT_FALSE(error.empty()) << text;
  }
  RecordingLoader loader;
  std::string error;
  EXPECT_FALSE(Atlas::parse(bad[2], "", &loader, error));
  EXPECT_NE(error.find("line 8"), std::string::npos) << error;
  EXPECT_TRUE(loader.loaded.empty());  // a bad atlas never reaches the texture loader
}

const char* kTrimmedAtlas =
    "\npage.png\nsize: 200, 100\nformat: RGBA8888\nfilter: Linear,Linear\nrepeat: none\n"
    "trimmed\n  rotate: false\n  xy: 20, 10\n  size: 50, 40\n  orig: 100, 100\n"
    "  offset: 10, 20\n  index: -1\n"
    "turned\n  rotate: true\n  xy: 100, 0\n  size: 50, 40\n  orig: 100, 100\n"
    "  offset: 10, 20\n  index: -1\n";

TEST(Atlas, TrimmedRegionShrinksTheQuadToItsPixels) {
  std::string error;
  auto atlas = Atlas::parse(kTrimmedAtlas, "", nullptr, error);
  ASSERT_TRUE(atlas) << error;
  RegionAttachment region("r");
  region.setRegion(*atlas->findRegion("trimmed"));
  region.width = 100;
  region.height = 100;
  region.updateOffset();
  // Pixels from (10, 20) to (60, 60) of a 100 x 100 image centred on the bone: BR, BL, UL, UR.
  const float expected[8] = {10, -30, -40, -30, -40, 10, 10, 10};
  for (int i = 0; i < 8; ++i) EXPECT_NEAR(region.offsets[i], expected[i], 1e-4) << i;
  EXPECT_FLOAT_EQ(region.uvs[0], 70 / 200.0f);  // BR: (u2, v2)
  EXPECT_FLOAT_EQ(region.uvs[1], 50 / 100.0f);
}

TEST(Atlas, MeshUvsMapTheUntrimmedImageOntoRotatedRegions) {
  std::string error;
  auto atlas = Atlas::parse(kTrimmedAtlas, "", nullptr, error);
  ASSERT_TRUE(atlas) << error;
  for (const char* name : {"trimmed", "turned"}) {
    const AtlasRegion& region = *atlas->findRegion(name);
    MeshAttachment mesh("m");
    mesh.region = &region;
    // The corners of the packed pixels, in 0..1 over the untrimmed image (v down): top-left and bottom-right.
    mesh.regionUVs = {10 / 100.0f, 40 / 100.0f, 60 / 100.0f, 80 / 100.0f};
    mesh.updateUVs();
    if (!region.rotate) {
      EXPECT_NEAR(mesh.uvs[0], region.u, 1e-5) << name;
      EXPECT_NEAR(mesh.uvs[1], region.v, 1e-5) << name;
      EXPECT_NEAR(mesh.uvs[2], region.u2, 1e-5) << name;
      EXPECT_NEAR(mesh.uvs[3], region.v2, 1e-5) << name;
    } else {
      // The image's top-left corner lies at the page rectangle's bottom-left.
      EXPECT_NEAR(mesh.uvs[0], region.u, 1e-5) << name;
      EXPECT_NEAR(mesh.uvs[1], region.v2, 1e-5) << name;
      EXPECT_NEAR(mesh.uvs[2], region.u2, 1e-5) << name;
      EXPECT_NEAR(mesh.uvs[3], region.v, 1e-5) << name;
    }
  }
}

}  // namespace
}  // namespace spine::test
