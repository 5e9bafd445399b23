#include "scene/DrawSprite.h"

#include "bitmap/Bitmap.h"
#include "platform/gfx/Device.h"
#include "platform/gfx/Effect.h"
#include "platform/gfx/SpriteBatch.h"
#include "platform/gfx/Texture.h"
#include "render/Renderer.h"
#include "render/SceneEffect.h"
#include "scene/DrawMath.h"
#include "scene/FlashMath.h"
#include "scene/Sprite.h"
#include "scene/Viewport.h"

namespace scene {

namespace {

using render::EffectParam;

TransformInput transformInput(const Sprite& object, const Viewport* viewport) {
  TransformInput in;
  in.effectiveX = object.effectiveX;
  in.effectiveY = object.effectiveY;
  in.ox = object.ox;
  in.oy = object.oy;
  in.zoomX = object.effectiveZoomX;
  in.zoomY = object.effectiveZoomY;
  in.mirror = object.mirror;
  in.angleDegrees = object.angle;
  in.shearX = object.shearX;
  in.shearY = object.shearY;
  if (object.sourceRect != nullptr) {
    in.sourceWidth = object.sourceRect->width;
    in.sourceHeight = object.sourceRect->height;
  }
  in.bitmapWidth = object.bitmap != nullptr ? object.bitmap->width() : 0;
  if (viewport != nullptr) {
    in.viewportOffsetX = static_cast<std::int64_t>(viewport->rectangle().x) - viewport->ox;
    in.viewportOffsetY = static_cast<std::int64_t>(viewport->rectangle().y) - viewport->oy;
  }
  return in;
}

}  // namespace

gfx::QuadValues shadingValues(const Sprite& object, const gfx::Texture* texture, const engine::RectData& source) {
  const bindings::Tone& tone = object.effectiveTone;
  // An object that draws itself without any texture keeps neutral sizes rather than the previous object's.
  SamplingParams sampling;
  if (object.bitmap != nullptr) {
    sampling = samplingFromBitmap(object.bitmap->width(), object.bitmap->height(), source);
  } else if (texture != nullptr) {
    sampling = samplingFromTexture(texture->width(), texture->height());
  }
  return {{{tone.red, tone.green, tone.blue, tone.gray},
           blendColor(object.effectiveColor, object.flashState.colour, render::Renderer::kBlendColourLower,
                      render::Renderer::kBlendColourUpper),
           {static_cast<float>(object.bushDepth), static_cast<float>(object.bushOpacity) / 255.0f,
            sampling.texcoordYBottom, sampling.sampHeight},
           {static_cast<float>(object.waveAmp), object.waveAngle, static_cast<float>(object.waveLength),
            static_cast<float>(object.wavePhase)},
           {object.texcoordScaleX(), object.texcoordScaleY(), object.texcoordOffsetX(), object.texcoordOffsetY()},
           {sampling.sampWidth, 0.0f, 0.0f, 0.0f}}};
}

namespace {

void setParameters(render::SceneEffect& scene, const gfx::QuadValues& values) {
  gfx::Effect& effect = *scene.effect();
  const auto& [tone, blend, bush, wave, texcoord, sampling] = values;
  effect.setVector(scene.handle(EffectParam::Tone), tone.data(), 4);
  effect.setVector(scene.handle(EffectParam::BlendColor), blend.data(), 4);
  effect.setInt(scene.handle(EffectParam::BushDepth), static_cast<int>(bush[0]));
  effect.setFloat(scene.handle(EffectParam::BushOpacity), bush[1]);
  effect.setFloat(scene.handle(EffectParam::TexcoordYBottom), bush[2]);
  effect.setFloat(scene.handle(EffectParam::SampHeight), bush[3]);
  effect.setFloat(scene.handle(EffectParam::WaveAmp), wave[0]);
  effect.setFloat(scene.handle(EffectParam::WaveSpeedAngle), wave[1]);
  effect.setFloat(scene.handle(EffectParam::WaveFreq), wave[2]);
  effect.setFloat(scene.handle(EffectParam::WavePhase), wave[3]);
  effect.setVector(scene.handle(EffectParam::TexcoordScale), &texcoord[0], 2);
  effect.setVector(scene.handle(EffectParam::TexcoordOffset), &texcoord[2], 2);
  effect.setFloat(scene.handle(EffectParam::SampWidth), sampling[0]);
}

// Begins the object's own pass or its blend type's; false when none began.
bool beginObjectPass(render::SceneEffect& scene, Sprite& object, int pass) {
  if (object.effectName.empty()) return scene.beginPass(static_cast<unsigned>(pass));
  gfx::Effect& effect = *scene.effect();
  for (const auto& [name, value] : object.floatEffectParams) effect.setFloat(name, value);
  for (const auto& [name, image] : object.textureEffectParams) {
    if (const gfx::Texture* texture = image != nullptr ? image->texture() : nullptr) {
      effect.setTexture(name, texture);
    }
  }
  return scene.beginPassByName(object.effectName);
}

}  // namespace

void drawSprite(render::Renderer& renderer, Sprite& object, const Viewport* viewport, bool batched) {
  gfx::Texture* texture = object.texture();
  if (!object.drawsItself()) {
    if (texture == nullptr) return;
    if (object.bitmap != nullptr && object.bitmap->disposed()) return;
  }
  if (!object.effectiveVisible) return;
  render::SceneEffect& scene = renderer.effect();
  if (scene.effect() == nullptr) return;

  gfx::SpriteBatch& batch = renderer.batch();
  const int pass = passForBlendType(object.blendType);
  static const engine::RectData kNoSource;
  const engine::RectData& source = object.sourceRect != nullptr ? *object.sourceRect : kNoSource;

  gfx::SamplerState& sampler = renderer.device().samplerState(0);
  const gfx::Filter filter = renderer.filter() == 1 ? gfx::Filter::Linear : gfx::Filter::Point;
  sampler.minFilter = sampler.magFilter = sampler.mipFilter = filter;

  // Hidden objects begin no pass at all, so whatever follows keeps its own blend states.
  if (hiddenByFlash(object.flashState.framesLeft, object.flashState.colour)) return;

  batch.setTransform(spriteTransform(transformInput(object, viewport)));
  const gfx::QuadValues values = shadingValues(object, texture, source);
  // An object drawn as one quad with the built-in shading carries its parameters on the quad, so that its
  // neighbours may share its draw call; inside a fast layer the layer's blend stands for its own.
  if (!object.drawsItself() && (batched || object.effectName.empty())) {
    if (object.skipDefaultQuad) return;
    const std::optional<unsigned> layerPass = batched ? scene.effect()->activePass() : std::nullopt;
    batch.drawShaded({texture,
                      sourceRectangle(source),
                      {0.0f, 0.0f, 0.5f},
                      quadColour(object.effectiveOpacity),
                      blendOfPass(layerPass ? static_cast<int>(*layerPass) : pass),
                      sampler,
                      &values,
                      quadShading(values)});
    return;
  }

  // Own passes and own drawing go straight to the device: what is queued before them is drawn first.
  batch.flush();
  setParameters(scene, values);
  if (batched) {
    scene.effect()->commitChanges();
  } else {
    beginObjectPass(scene, object, pass);
  }
  if (!object.skipDefaultQuad && texture != nullptr) {
    const gfx::Rect rect = sourceRectangle(source);
    const gfx::Vector3 position{0.0f, 0.0f, 0.5f};
    batch.draw(texture, &rect, nullptr, &position, quadColour(object.effectiveOpacity));
    if (!batched) batch.flush();
  }
  object.drawCustom(renderer);
  if (!batched) {
    scene.endPass();
    // Subtraction and custom passes leave their blend states behind; running pass 0 once puts them back.
    if (pass == 2 || !object.effectName.empty()) {
      scene.beginPass(0);
      scene.endPass();
    }
  }
}

}  // namespace scene
