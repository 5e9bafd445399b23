#include "live2d/cubism/CubismExpressionMotionManager.h"

#include <algorithm>

#include "live2d/cubism/CubismExpressionMotion.h"
#include "live2d/cubism/CubismModel.h"

namespace live2d::cubism {

bool CubismExpressionMotionManager::updateMotion(CubismModel* model, float deltaTimeSeconds) {
  m_userTimeSeconds += deltaTimeSeconds;
  bool updated = false;
  float totalWeight = 0.0f;
  int blended = 0;
  std::size_t newestFullyIn = m_entries.size();

  for (std::size_t i = 0; i < m_entries.size(); ++i) {
    CubismMotionQueueEntry* entry = m_entries[i].get();
    if (entry->isFinished()) continue;
    auto* expression = dynamic_cast<CubismExpressionMotion*>(entry->getCubismMotion());
    if (!expression) {
      entry->getCubismMotion()->updateParameters(model, entry, m_userTimeSeconds);
      updated = true;
      continue;
    }
    expression->setupMotionQueueEntry(entry, m_userTimeSeconds);
    const float weight = expression->updateFadeWeight(entry, m_userTimeSeconds);
    for (const auto& p : expression->getExpressionParameters()) {
      const bool known = std::any_of(m_accumulators.begin(), m_accumulators.end(),
                                     [&](const Accumulator& a) { return a.parameterId == p.parameterId; });
      if (!known) m_accumulators.push_back({p.parameterId, 0.0f, 1.0f, model->getParameterValue(p.parameterId)});
    }
    for (Accumulator& a : m_accumulators) {
      float targetAdd = 0.0f;
      float targetMultiply = 1.0f;
      float targetOverwrite = model->getParameterValue(a.parameterId);
      for (const auto& p : expression->getExpressionParameters()) {
        if (p.parameterId != a.parameterId) continue;
        switch (p.blendType) {
          case ExpressionBlendType::Add: targetAdd = p.value; break;
          case ExpressionBlendType::Multiply: targetMultiply = p.value; break;
          case ExpressionBlendType::Overwrite: targetOverwrite = p.value; break;
        }
        break;
      }
      if (blended == 0) {
        a.additive = targetAdd;
        a.multiply = targetMultiply;
        a.overwrite = targetOverwrite;
      } else {
        a.additive += (targetAdd - a.additive) * weight;
        a.multiply += (targetMultiply - a.multiply) * weight;
        a.overwrite += (targetOverwrite - a.overwrite) * weight;
      }
    }
    ++blended;
    totalWeight += weight;
    updated = true;
    const float fadeIn = expression->getFadeInTime();
    if (fadeIn <= 0.0f || m_userTimeSeconds - entry->getFadeInStartTime() >= fadeIn) newestFullyIn = i;
    if (entry->getEndTime() >= 0.0f && entry->getEndTime() < m_userTimeSeconds) entry->setIsFinished(true);
  }

  if (blended > 0) {
    const float weight = std::min(1.0f, totalWeight);
    for (const Accumulator& a : m_accumulators) {
      model->setParameterValue(a.parameterId, (a.overwrite + a.additive) * a.multiply, weight);
    }
  }
  // Expressions older than a fully faded-in one no longer show.
  if (newestFullyIn < m_entries.size()) {
    for (std::size_t i = 0; i < newestFullyIn; ++i) m_entries[i]->setIsFinished(true);
  }
  removeFinished();
  if (isFinished()) m_currentPriority = 0;
  return updated;
}

}  // namespace live2d::cubism
