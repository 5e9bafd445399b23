#include "render/SceneShading.h"

namespace render {

namespace {

// The same formulas as PS in BuiltinEffect.hlsl, in the same order, so that a shaded quad and an object drawn
// through the pass come out alike. The wave is spliced in only for waving quads: even a skipped branch costs a
// processor rasteriser a good part of the shading.
constexpr std::string_view kValuedStart = R"(
const float PI = 3.14159265;
vec4 shadeQuad(vec2 coordinate, vec4 colour) {
  float bushDepth = quadValues[2].x;
  float bushOpacity = quadValues[2].y;
  float texcoordYBottom = quadValues[2].z;
  float sampHeight = quadValues[2].w;
  float sampWidth = quadValues[5].x;
  vec2 sampled = coordinate * quadValues[4].xy - quadValues[4].zw;
)";

constexpr std::string_view kWave = R"(
  // Without a wave the angle may be undefined (frequency 0); skipping it keeps NaN out of the coordinate.
  if (quadValues[3].x != 0.0) {
    int angle = int(quadValues[3].y + sampled.y / sampHeight * (360.0 / quadValues[3].z));
    sampled.x += quadValues[3].x * sin((float(angle) + quadValues[3].w) * PI / 180.0) * sampWidth;
  }
)";

constexpr std::string_view kValuedEnd = R"(
  vec4 c = quadTexel(sampled);
  bool inside = bushDepth * sampHeight > texcoordYBottom - coordinate.y;
  c.a *= inside ? bushOpacity : 1.0;
  return toneAndColour(c, colour);
}
)";

// The tone and the blend colour, which every shading but the plain one applies to its texel (the blend colour
// mixes into the colour channels only, so the bush may have changed the alpha before).
constexpr std::string_view kToneAndColour = R"(
vec4 toneAndColour(vec4 c, vec4 colour) {
  vec4 tone = quadValues[0];
  vec4 blendColor = quadValues[1];
  c.rgb = c.rgb * (1.0 - blendColor.a) + blendColor.rgb * blendColor.a;
  c *= colour;
  float gray = dot(c.rgb, vec3(0.3, 0.59, 0.11));
  c.rgb = c.rgb * (1.0 - tone.a) + gray * tone.a;
  c.rgb += tone.rgb;
  c.rgb *= c.a;
  return c;
}
)";

// What the valued shading leaves without a bush and with the texture coordinate as it comes.
constexpr std::string_view kToned = R"(
vec4 shadeQuad(vec2 coordinate, vec4 colour) { return toneAndColour(quadTexel(coordinate), colour); }
)";

constexpr std::string_view kPlain = R"(
vec4 shadeQuad(vec2 coordinate, vec4 colour) {
  vec4 c = quadTexel(coordinate) * colour;
  c.rgb *= c.a;
  return c;
}
)";

}  // namespace

std::vector<gfx::ShadingSource> quadShadings() {
  const std::string toneAndColour(kToneAndColour);
  const std::string valuedStart = toneAndColour + std::string(kValuedStart);
  const std::string valuedEnd(kValuedEnd);
  return {{std::string(kPlain), 0},
          {toneAndColour + std::string(kToned), 2},
          {valuedStart + valuedEnd, gfx::kQuadValueVectors},
          {valuedStart + std::string(kWave) + valuedEnd, gfx::kQuadValueVectors}};
}

}  // namespace render
