#pragma once

// pose3.json: groups of parts of which one shows at a time (for example two arm sets). The visible part is
// the first whose part-id value (written by motions' PartOpacity curves) is above zero; it fades in and
// the others fade out behind it without letting the background show through.

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "live2d/cubism/CubismId.h"

namespace live2d::cubism {

class CubismModel;

class CubismPose {
 public:
  static std::unique_ptr<CubismPose> create(std::span<const std::uint8_t> bytes);

  // Resets on the first call for a model, then fades by the elapsed time.
  void updateParameters(CubismModel* model, float deltaTimeSeconds);
  // First part of each group fully visible, the others hidden.
  void reset(CubismModel* model);
  float getFadeTime() const { return m_fadeTimeSeconds; }
  std::size_t getGroupCount() const { return m_groupCounts.size(); }

 private:
  struct PartData {
    CubismIdHandle partId = nullptr;
    int parameterIndex = -1;
    int partIndex = -1;
    std::vector<PartData> links;
    void initialize(CubismModel* model);
  };
  void doFade(CubismModel* model, float deltaTimeSeconds, std::size_t begin, int count);
  void copyPartOpacities(CubismModel* model);

  std::vector<PartData> m_parts;
  std::vector<int> m_groupCounts;
  float m_fadeTimeSeconds = 0.5f;
  const CubismModel* m_lastModel = nullptr;
};

}  // namespace live2d::cubism
