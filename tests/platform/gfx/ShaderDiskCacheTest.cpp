#include "platform/gfx/private/ShaderDiskCache.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>

#include "GfxTestSupport.h"
#include "platform/gfx/Effect.h"
#include "platform/gfx/SpriteBatch.h"
#include "platform/gfx/private/ShaderCompiler.h"
#include "platform/gfx/private/ShaderProgram.h"

namespace gfx::detail {
namespace {

namespace fs = std::filesystem;

// Sets XDG_CACHE_HOME for one test and puts the old value back.
class ScopedCacheHome {
 public:
  explicit ScopedCacheHome(const std::string& value) {
    const char* saved = std::getenv("XDG_CACHE_HOME");
    if (saved != nullptr) m_saved = saved;
    ::setenv("XDG_CACHE_HOME", value.c_str(), 1);
  }
  ~ScopedCacheHome() {
    if (m_saved) {
      ::setenv("XDG_CACHE_HOME", m_saved->c_str(), 1);
    } else {
      ::unsetenv("XDG_CACHE_HOME");
    }
  }

 private:
  std::optional<std::string> m_saved;
};

class ShaderDiskCacheTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_folder = fs::temp_directory_path() / ("quillon-shader-cache-" + std::to_string(::getpid()));
    fs::remove_all(m_folder);
  }
  void TearDown() override { fs::remove_all(m_folder); }

  static bool programBinaries() {
    GLint formats = 0;
    glGetIntegerv(GL_NUM_PROGRAM_BINARY_FORMATS, &formats);
    return formats > 0;
  }

  static CompiledPixelShader sample() {
    CompiledPixelShader shader;
    shader.vertexSource = "#version 330 core\nvoid main() {}\n";
    shader.fragmentSource = "#version 330 core\n// 12 key\nvoid main() {}\n";
    shader.uniforms = {{"tone", UniformKind::Float, 4}, {"steps", UniformKind::Int, 1}, {"m", UniformKind::Other, 4}};
    shader.samplers = {{"qs_spriteSampler", 0}, {"qs_transition", 3}};
    shader.colourOutputs = 2;
    return shader;
  }

  static void expectSame(const CompiledPixelShader& a, const CompiledPixelShader& b) {
    EXPECT_EQ(a.vertexSource, b.vertexSource);
    EXPECT_EQ(a.fragmentSource, b.fragmentSource);
    ASSERT_EQ(a.uniforms.size(), b.uniforms.size());
    for (std::size_t i = 0; i < a.uniforms.size(); ++i) {
      EXPECT_EQ(a.uniforms[i].name, b.uniforms[i].name);
      EXPECT_EQ(a.uniforms[i].kind, b.uniforms[i].kind);
      EXPECT_EQ(a.uniforms[i].components, b.uniforms[i].components);
    }
    ASSERT_EQ(a.samplers.size(), b.samplers.size());
    for (std::size_t i = 0; i < a.samplers.size(); ++i) {
      EXPECT_EQ(a.samplers[i].name, b.samplers[i].name);
      EXPECT_EQ(a.samplers[i].unit, b.samplers[i].unit);
    }
    EXPECT_EQ(a.colourOutputs, b.colourOutputs);
  }

  std::string folder() const { return m_folder.string(); }

 private:
  fs::path m_folder;
};

TEST_F(ShaderDiskCacheTest, StoredTranslationReadsBackWhole) {
  storeCachedShader(folder(), "entry\nsource", sample());
  const auto loaded = loadCachedShader(folder(), "entry\nsource");
  ASSERT_TRUE(loaded);
  expectSame(*loaded, sample());
  EXPECT_FALSE(loadCachedShader(folder(), "entry\nother source")) << "another key has no entry";
}

// A file cut short anywhere, or holding another key under the same name, is no entry: the caller translates.
TEST_F(ShaderDiskCacheTest, DamagedOrForeignFilesReadAsNoEntry) {
  storeCachedShader(folder(), "key", sample());
  const std::string path = shaderCachePath(folder(), "key");
  std::ifstream in(path, std::ios::binary);
  const std::string whole((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  // Every fourth length, and each of the last few, where the closing lines are.
  for (std::size_t length = 0; length < whole.size(); length += length + 12 < whole.size() ? 4 : 1) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << whole.substr(0, length);
    ASSERT_FALSE(loadCachedShader(folder(), "key")) << "cut at " << length;
  }
  std::ofstream(path, std::ios::binary | std::ios::trunc) << whole << "trailing";
  EXPECT_FALSE(loadCachedShader(folder(), "key"));
  std::string other = whole;
  other.replace(other.find("\nkey\n") + 1, 3, "kez");
  std::ofstream(path, std::ios::binary | std::ios::trunc) << other;
  EXPECT_FALSE(loadCachedShader(folder(), "key"));
}

TEST_F(ShaderDiskCacheTest, UnwritableFolderLeavesNoEntryAndNoError) {
  std::ofstream(folder()) << "a file where the folder should be";
  storeCachedShader(folder() + "/effects", "key", sample());
  EXPECT_FALSE(loadCachedShader(folder() + "/effects", "key"));
}

TEST_F(ShaderDiskCacheTest, FolderFollowsTheUsersCacheSetting) {
  {
    const ScopedCacheHome cache("/somewhere/cache");
    EXPECT_EQ(shaderCacheFolder(), "/somewhere/cache/quillon/effects");
  }
  const ScopedCacheHome relative("relative/paths/are/ignored");
  const char* home = std::getenv("HOME");
  if (home == nullptr || home[0] != '/') GTEST_SKIP() << "no home folder here";
  EXPECT_EQ(shaderCacheFolder(), std::string(home) + "/.cache/quillon/effects");
}

// The translation step itself stores what it translated, so that the next start reads it instead.
TEST_F(ShaderDiskCacheTest, TranslationIsStoredForTheNextStart) {
  const ScopedCacheHome cache(folder());
  const std::string hlsl = "// " + folder() + "\nfloat4 PSHalf(float4 c : COLOR0) : COLOR0 { return c * 0.5; }\n";
  CompiledPixelShader translated;
  std::string errors;
  ASSERT_TRUE(compilePixelShader(hlsl, "PSHalf", &translated, &errors)) << errors;
  int files = 0;
  for (const auto& entry : fs::directory_iterator(folder() + "/quillon/effects")) {
    std::ifstream in(entry.path(), std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find(translated.fragmentSource), std::string::npos);
    ++files;
  }
  EXPECT_EQ(files, 1);
}

TEST_F(ShaderDiskCacheTest, StoredProgramReadsBackWholeAndCutFilesDoNot) {
  const ProgramBinary program{0x8740, std::string("\0binary\nbytes\0", 14)};
  storeCachedProgram(folder(), "driver\nsources", program);
  const auto loaded = loadCachedProgram(folder(), "driver\nsources");
  ASSERT_TRUE(loaded);
  EXPECT_EQ(loaded->format, program.format);
  EXPECT_EQ(loaded->bytes, program.bytes);
  EXPECT_FALSE(loadCachedProgram(folder(), "driver\nother sources"));
  const fs::path path = *fs::directory_iterator(folder());
  std::ifstream in(path, std::ios::binary);
  const std::string whole((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  for (std::size_t length = 0; length < whole.size(); ++length) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << whole.substr(0, length);
    ASSERT_FALSE(loadCachedProgram(folder(), "driver\nsources")) << "cut at " << length;
  }
}

// A program linked once is loaded back from its stored binary by the next link of the same sources; a binary the
// driver refuses (damaged, or from another driver version) is linked again from the sources and replaced.
TEST_F(ShaderDiskCacheTest, LinkedProgramsComeBackFromTheirStoredBinary) {
  GFX_REQUIRE_DEVICE();
  if (!programBinaries()) GTEST_SKIP() << "this driver gives no program binaries";
  const ScopedCacheHome cache(folder());
  const std::string programs = folder() + "/quillon/programs";
  const std::string vertex = std::string(spriteVertexDeclarations()) +
                             "void main() { gl_Position = uTransform * aPosition; vColour = aColour; }\n";
  auto fragment = [](const char* colour) {
    return std::string("#version 330 core\nin vec4 vColour;\nout vec4 oColour;\nvoid main() { oColour = ") + colour +
           "; }\n";
  };
  const std::string red = fragment("vec4(1.0, 0.0, 0.0, 1.0)"), green = fragment("vec4(0.0, 1.0, 0.0, 1.0)");
  auto drawnBy = [&](const std::string& fragmentSource) {
    std::string log;
    const std::unique_ptr<ShaderProgram> program = buildProgram(vertex, fragmentSource, &log);
    EXPECT_TRUE(program) << log;
    if (!program) return 0u;
    auto target = Texture::createRenderTarget(2, 2);
    Device& device = *gfxtest::device();
    device.setRenderTarget(0, target.get());
    device.renderState().zEnable = false;
    device.setProgram(program.get());
    const Vertex quad[4] = {{0, 0, 0, 1, 0xFFFFFFFF, 0, 0},
                            {2, 0, 0, 1, 0xFFFFFFFF, 1, 0},
                            {0, 2, 0, 1, 0xFFFFFFFF, 0, 1},
                            {2, 2, 0, 1, 0xFFFFFFFF, 1, 1}};
    device.drawQuads(quad, 1);
    device.setProgram(nullptr);
    device.setRenderTarget(0, nullptr);
    return gfxtest::readTarget(*target)[0];
  };
  EXPECT_EQ(drawnBy(red), 0xFFFF0000u);
  EXPECT_EQ(drawnBy(green), 0xFF00FF00u);
  ASSERT_EQ(std::distance(fs::directory_iterator(programs), fs::directory_iterator()), 2);

  // Green's binary stored under red's sources: the next link of red loads it rather than compiling.
  const std::string redKey = programCacheKey(vertex, red);
  const auto greenBinary = loadCachedProgram(programs, programCacheKey(vertex, green));
  ASSERT_TRUE(greenBinary);
  storeCachedProgram(programs, redKey, *greenBinary);
  EXPECT_EQ(drawnBy(red), 0xFF00FF00u);

  ProgramBinary damaged = *greenBinary;
  for (std::size_t i = damaged.bytes.size() / 2; i < damaged.bytes.size(); ++i) damaged.bytes[i] ^= 0x5A;
  storeCachedProgram(programs, redKey, damaged);
  EXPECT_EQ(drawnBy(red), 0xFFFF0000u);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  const auto relinked = loadCachedProgram(programs, redKey);
  ASSERT_TRUE(relinked);
  EXPECT_NE(relinked->bytes, damaged.bytes);
  EXPECT_EQ(drawnBy(red), 0xFFFF0000u);
}

// An effect pass whose program an earlier run stored links at its first use, and then draws with its parameters
// and sampler as an effect linked at once does.
TEST_F(ShaderDiskCacheTest, StoredEffectProgramsLinkWhenTheirPassBegins) {
  GFX_REQUIRE_DEVICE();
  if (!programBinaries()) GTEST_SKIP() << "this driver gives no program binaries";
  const ScopedCacheHome cache(folder());
  const std::string hlsl =
      "float4 lift = float4(0, 0, 0, 0);\nsampler2D image : register(s0);\n"
      "float4 PSLift(float4 colour : COLOR0, float2 tex : TEXCOORD0) : COLOR0 {\n"
      "  return tex2D(image, tex) * colour + lift * 0.7071;\n}\n";
  CompiledPixelShader shader;
  std::string errors;
  ASSERT_TRUE(compilePixelShader(hlsl, "PSLift", &shader, &errors)) << errors;
  ASSERT_TRUE(buildProgram(shader.vertexSource, shader.fragmentSource, &errors)) << errors;  // an earlier run
  ASSERT_TRUE(programStored(shader.vertexSource, shader.fragmentSource));

  Device& device = *gfxtest::device();
  const std::unique_ptr<Effect> effect = Effect::create(
      device, hlsl + "technique T { pass P { AlphaBlendEnable = false; PixelShader = compile ps_2_0 PSLift(); } }",
      &errors);
  ASSERT_TRUE(effect) << errors;
  const auto program = device.cachedProgram(shader.vertexSource + '\n' + shader.fragmentSource);
  ASSERT_TRUE(program);
  EXPECT_EQ(program->program, 0u);

  auto texture = gfxtest::managedTexture(1, 1, {0xFF402010});
  auto target = Texture::createRenderTarget(1, 1);
  device.setRenderTarget(0, target.get());
  SpriteBatch batch(device);
  const float lift[4] = {0.0f, 0.0f, 1.0f, 0.0f};
  ASSERT_TRUE(effect->setVector("lift", lift, 4));
  effect->begin();
  batch.begin(false);
  ASSERT_TRUE(effect->beginPass(0));
  EXPECT_NE(program->program, 0u);
  batch.draw(texture.get(), nullptr, nullptr, nullptr, 0xFFFFFFFF);
  batch.end();
  effect->endPass();
  effect->end();
  device.setRenderTarget(0, nullptr);
  const std::uint32_t pixel = gfxtest::readTarget(*target)[0];
  EXPECT_EQ(pixel & 0xFFFFFF00u, 0xFF402000u);
  EXPECT_NEAR(static_cast<int>(pixel & 0xFF), 0x10 + 180, 1);
}

}  // namespace
}  // namespace gfx::detail
