// Frame times of the sprite batch on the machine's GL (headless: SDL_VIDEODRIVER=offscreen), beside the floor of
// the same quads drawn by the thinnest GL code we can write: one buffer upload and one indexed draw per frame.

#include <epoxy/gl.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/gfx/Context.h"
#include "platform/gfx/Device.h"
#include "platform/gfx/Effect.h"
#include "platform/gfx/SpriteBatch.h"
#include "platform/gfx/Texture.h"

namespace {

constexpr int kWidth = 544;
constexpr int kHeight = 416;
constexpr int kFrames = 20;

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

struct Sprite {
  float x = 0;
  float y = 0;
  gfx::Rect source;
};

std::vector<Sprite> makeSprites(int count) {
  std::vector<Sprite> sprites;
  std::srand(7);
  for (int i = 0; i < count; ++i) {
    const int cell = i % 64;
    sprites.push_back({static_cast<float>(std::rand() % (kWidth - 32)), static_cast<float>(std::rand() % (kHeight - 32)),
                       {(cell % 8) * 32, (cell / 8) * 32, (cell % 8) * 32 + 32, (cell / 8) * 32 + 32}});
  }
  return sprites;
}

double g_queueMs = 0.0;  // processor time spent queueing quads in the last batched frame

// The sprite batch, all quads in one flush (a fast layer).
double batchedFrame(gfx::Device& device, gfx::SpriteBatch& batch, const gfx::Texture& atlas,
                    const std::vector<Sprite>& sprites) {
  const auto start = Clock::now();
  device.clear(gfx::ClearFlags::Target, 0xFF000000);
  batch.setTransform(gfx::Matrix4::identity());
  batch.begin(true);
  for (const Sprite& sprite : sprites) {
    const gfx::Vector3 at{sprite.x, sprite.y, 0.5f};
    batch.draw(&atlas, &sprite.source, nullptr, &at, 0xFFFFFFFF);
  }
  g_queueMs = millisecondsSince(start);
  batch.end();
  glFinish();
  return millisecondsSince(start);
}

// What a scene object costs outside fast layers: its own transform, parameters, pass and flush.
double perObjectFrame(gfx::Device& device, gfx::SpriteBatch& batch, gfx::Effect& effect, const gfx::Texture& atlas,
                      const std::vector<Sprite>& sprites) {
  const auto start = Clock::now();
  device.clear(gfx::ClearFlags::Target, 0xFF000000);
  const gfx::Effect::Handle tone = effect.parameter("tone");
  effect.begin();
  batch.begin(true);
  for (const Sprite& sprite : sprites) {
    batch.setTransform(gfx::Matrix4::translation(sprite.x, sprite.y));
    const float values[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    effect.setVector(tone, values, 4);
    effect.beginPass(0);
    const gfx::Vector3 at{0.0f, 0.0f, 0.5f};
    batch.draw(&atlas, &sprite.source, nullptr, &at, 0xFFFFFFFF);
    batch.flush();
    effect.endPass();
  }
  batch.end();
  effect.end();
  glFinish();
  return millisecondsSince(start);
}

struct Floor {
  GLuint program = 0;
  GLuint vertexArray = 0;
  GLuint vertexBuffer = 0;
  GLuint indexBuffer = 0;
  std::vector<float> vertices;  // x, y, u, v per corner, already in clip space
};

GLuint compile(GLenum stage, const char* source) {
  GLuint shader = glCreateShader(stage);
  glShaderSource(shader, 1, &source, nullptr);
  glCompileShader(shader);
  return shader;
}

Floor makeFloor(const std::vector<Sprite>& sprites) {
  Floor floor;
  const char* vertex = "#version 330 core\nlayout(location=0) in vec4 p;\nout vec2 uv;\n"
                       "void main() { gl_Position = vec4(p.xy, 0.0, 1.0); uv = p.zw; }\n";
  const char* fragment = "#version 330 core\nuniform sampler2D t;\nin vec2 uv;\nout vec4 c;\n"
                         "void main() { c = texture(t, uv); }\n";
  floor.program = glCreateProgram();
  glAttachShader(floor.program, compile(GL_VERTEX_SHADER, vertex));
  glAttachShader(floor.program, compile(GL_FRAGMENT_SHADER, fragment));
  glLinkProgram(floor.program);
  glGenVertexArrays(1, &floor.vertexArray);
  glGenBuffers(1, &floor.vertexBuffer);
  glGenBuffers(1, &floor.indexBuffer);
  for (const Sprite& sprite : sprites) {
    const float x0 = sprite.x / kWidth * 2 - 1;
    const float x1 = (sprite.x + 32) / kWidth * 2 - 1;
    const float y0 = sprite.y / kHeight * 2 - 1;
    const float y1 = (sprite.y + 32) / kHeight * 2 - 1;
    const float u0 = static_cast<float>(sprite.source.left) / 256.0f;
    const float u1 = static_cast<float>(sprite.source.right) / 256.0f;
    const float v0 = static_cast<float>(sprite.source.top) / 256.0f;
    const float v1 = static_cast<float>(sprite.source.bottom) / 256.0f;
    const float quad[16] = {x0, y0, u0, v0, x1, y0, u1, v0, x0, y1, u0, v1, x1, y1, u1, v1};
    floor.vertices.insert(floor.vertices.end(), quad, quad + 16);
  }
  std::vector<GLuint> indices;
  for (GLuint q = 0; q < sprites.size(); ++q) {
    const GLuint corners[6] = {q * 4, q * 4 + 1, q * 4 + 2, q * 4 + 2, q * 4 + 1, q * 4 + 3};
    indices.insert(indices.end(), corners, corners + 6);
  }
  glBindVertexArray(floor.vertexArray);
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, floor.indexBuffer);
  glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(indices.size() * 4), indices.data(), GL_STATIC_DRAW);
  glBindBuffer(GL_ARRAY_BUFFER, floor.vertexBuffer);
  glEnableVertexAttribArray(0);
  glVertexAttribPointer(0, 4, GL_FLOAT, GL_FALSE, 16, nullptr);
  return floor;
}

double floorFrame(Floor& floor, const gfx::Texture& atlas, GLuint framebuffer, std::size_t quads) {
  const auto start = Clock::now();
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, framebuffer);
  glViewport(0, 0, kWidth, kHeight);
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  glUseProgram(floor.program);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_CULL_FACE);
  glActiveTexture(GL_TEXTURE0);
  glBindTexture(GL_TEXTURE_2D, atlas.glName());
  glBindVertexArray(floor.vertexArray);
  glBindBuffer(GL_ARRAY_BUFFER, floor.vertexBuffer);
  glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(floor.vertices.size() * 4), floor.vertices.data(),
               GL_STREAM_DRAW);
  glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(quads * 6), GL_UNSIGNED_INT, nullptr);
  glFinish();
  return millisecondsSince(start);
}

template <typename Frame>
double averageMs(Frame frame) {
  frame();  // warm-up: buffers grow, programs link
  double total = 0.0;
  for (int i = 0; i < kFrames; ++i) total += frame();
  return total / kFrames;
}

constexpr const char* kEffect = R"(float4 tone;
sampler2D spriteSampler : register(s0);
struct Triple { float4 c0 : COLOR0; float4 c1 : COLOR1; float4 c2 : COLOR2; };
Triple PS(float4 colour : COLOR0, float2 tex : TEXCOORD0) {
  float4 c = tex2D(spriteSampler, tex) * colour;
  float gray = dot(c.rgb, float3(0.3, 0.59, 0.11));
  c.rgb = c.rgb * (1 - tone.a) + gray * tone.a + tone.rgb;
  Triple o; o.c0 = c; o.c1 = c; o.c2 = c; return o;
}
technique Render { pass AlphaBlend {
  AlphaBlendEnable = true; SrcBlend = One; DestBlend = InvSrcAlpha;
  SeparateAlphaBlendEnable = true; SrcBlendAlpha = One; DestBlendAlpha = InvSrcAlpha;
  PixelShader = compile ps_2_0 PS(); } }
)";

}  // namespace

int main() {
  std::string error;
  auto context = gfx::Context::createHeadless(kWidth, kHeight, &error);
  if (!context) {
    std::fprintf(stderr, "bench_gfx: %s\n", error.c_str());
    return 1;
  }
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  context->setSwapInterval(false);
  gfx::Device device(*context);
  std::printf("renderer: %s\n", context->rendererName().c_str());

  auto compileStart = Clock::now();
  auto effect = gfx::Effect::create(device, kEffect, &error);
  const double coldCompileMs = millisecondsSince(compileStart);
  if (!effect) {
    std::fprintf(stderr, "bench_gfx: %s\n", error.c_str());
    return 1;
  }
  compileStart = Clock::now();
  auto variant = gfx::Effect::create(device, std::string(kEffect) + "// another text\n", &error);
  const double variantCompileMs = millisecondsSince(compileStart);
  compileStart = Clock::now();
  auto again = gfx::Effect::create(device, kEffect, &error);
  const double cachedCompileMs = millisecondsSince(compileStart);
  std::printf("effect compile (one entry point): %.2f ms first (compiler start-up included), %.2f ms for a new text, "
              "%.3f ms from the cache\n",
              coldCompileMs, variantCompileMs, cachedCompileMs);

  std::vector<std::uint32_t> pixels(256 * 256);
  for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = 0xFF000000 | static_cast<std::uint32_t>(i * 2654435761u);
  auto atlas = gfx::Texture::createManaged(256, 256);
  atlas->update({0, 0, 256, 256}, pixels.data(), 256 * 4);
  auto target = gfx::Texture::createRenderTarget(kWidth, kHeight);
  device.setRenderTarget(0, target.get());
  device.renderState().zEnable = false;
  gfx::SpriteBatch batch(device);
  GLuint floorFramebuffer = 0;
  glGenFramebuffers(1, &floorFramebuffer);
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, floorFramebuffer);
  glFramebufferTexture2D(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, target->glName(), 0);

  std::printf("%-8s %-34s %10s %14s\n", "quads", "path", "ms/frame", "Mquads/s");
  for (int count : {1000, 10000}) {
    const std::vector<Sprite> sprites = makeSprites(count);
    Floor floor = makeFloor(sprites);
    // The last frame drawn must have covered the screen the same way on every path.
    auto covered = [&] {
      std::vector<std::uint32_t> frame(static_cast<std::size_t>(kWidth * kHeight));
      target->readPixels({0, 0, kWidth, kHeight}, frame.data(), kWidth * 4);
      std::size_t lit = 0;
      for (std::uint32_t pixel : frame) lit += (pixel & 0xFFFFFF) != 0 ? 1 : 0;
      return lit;
    };
    const double floorMs = averageMs([&] { return floorFrame(floor, *atlas, floorFramebuffer, sprites.size()); });
    const std::size_t floorCovered = covered();
    device.invalidateGlState();  // the floor drove GL behind the device's back
    const double batchedMs = averageMs([&] { return batchedFrame(device, batch, *atlas, sprites); });
    const std::size_t batchCovered = covered();
    if (batchCovered != floorCovered) {
      std::printf("warning: the batch covered %zu pixels, the floor %zu\n", batchCovered, floorCovered);
    }
    // One draw call per quad: at 10 000 quads a software rasteriser spends seconds per frame, so that row is
    // measured on 1 000.
    const double perObjectMs =
        count <= 1000 ? averageMs([&] { return perObjectFrame(device, batch, *effect, *atlas, sprites); }) : 0.0;
    auto row = [count](const char* path, double ms) {
      std::printf("%-8d %-34s %10.3f %14.2f\n", count, path, ms, count / ms / 1000.0);
    };
    row("floor: one raw GL draw", floorMs);
    row("sprite batch, one flush", batchedMs);
    std::printf("%-8d %-34s %10.3f\n", count, "  of which queueing the quads", g_queueMs);
    if (perObjectMs > 0.0) row("effect pass + flush per quad", perObjectMs);
    glDeleteProgram(floor.program);
    glDeleteBuffers(1, &floor.vertexBuffer);
    glDeleteBuffers(1, &floor.indexBuffer);
    glDeleteVertexArrays(1, &floor.vertexArray);
  }
  glDeleteFramebuffers(1, &floorFramebuffer);
  return 0;
}
