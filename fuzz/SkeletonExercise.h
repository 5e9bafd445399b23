#pragma once

// Whatever a skeleton reader accepts must also pose and animate without faults: each skin on, each animation
// played on two tracks with a mix, the world transform and bounds computed every step.

#include <cstdint>
#include <memory>
#include <vector>

#include "skeleton/runtime/AnimationState.h"
#include "skeleton/runtime/AnimationStateData.h"
#include "skeleton/runtime/AtlasAttachmentLoader.h"
#include "skeleton/runtime/Skeleton.h"
#include "skeleton/runtime/SkeletonData.h"

namespace fuzz {

inline void exerciseSkeleton(const spine::SkeletonData& data) {
  spine::Skeleton skeleton(data);
  for (const auto& skin : data.skins) {
    skeleton.setSkin(skin.get());
    skeleton.setSlotsToSetupPose();
  }
  spine::AnimationStateData mixes(data);
  mixes.setDefaultMix(0.1f);
  spine::AnimationState state(mixes);
  std::vector<float> scratch;
  for (const auto& animation : data.animations) {
    state.setAnimation(0, animation.get(), true);
    state.addAnimation(1, animation.get(), false, 0);
    for (float step : {0.0f, 0.3f, 0.3f, 5.0f}) {
      state.update(step);
      state.apply(skeleton);
      skeleton.updateWorldTransform();
      float x, y, width, height;
      skeleton.getBounds(x, y, width, height, scratch);
    }
  }
}

}  // namespace fuzz
