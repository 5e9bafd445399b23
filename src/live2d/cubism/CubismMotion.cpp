#include "live2d/cubism/CubismMotion.h"

#include <cmath>

#include "live2d/cubism/CubismFramework.h"
#include "live2d/cubism/CubismModel.h"
#include "live2d/cubism/CubismMotionQueueEntry.h"
#include "live2d/cubism/private/Json.h"
#include "live2d/cubism/private/MotionCurve.h"

namespace live2d::cubism {

CubismMotion::CubismMotion() : m_curves(std::make_unique<MotionCurveSet>()) {
  CubismIdManager* ids = CubismFramework::getIdManager();
  m_idEyeBlink = ids->getId("EyeBlink");
  m_idLipSync = ids->getId("LipSync");
  m_idOpacity = ids->getId("Opacity");
}

CubismMotion::~CubismMotion() = default;

std::shared_ptr<CubismMotion> CubismMotion::create(std::span<const std::uint8_t> bytes,
                                                   FinishedMotionCallback onFinished) {
  const nlohmann::json root = json::parse(bytes);
  if (root.is_discarded() || !root.is_object()) {
    CUBISM_LOG_ERROR("Invalid motion: not a JSON object.\n");
    return nullptr;
  }
  std::shared_ptr<CubismMotion> motion(new CubismMotion());
  const nlohmann::json& meta = json::object(root, "Meta");
  const float duration = json::number(meta, "Duration", 0.0f);
  motion->m_durationSeconds = std::isfinite(duration) && duration > 0.0f ? duration : 0.0f;
  const float fps = json::number(meta, "Fps", 30.0f);
  motion->m_fps = std::isfinite(fps) && fps > 0.0f ? fps : 30.0f;
  // Playback does not loop unless asked: the files mark nearly every motion as looping, yet an application
  // relies on motions ending (priorities fall back, idle motions take turns).
  motion->m_loopAuthored = json::boolean(meta, "Loop", false);
  motion->m_curves->restrictedBeziers = json::boolean(meta, "AreBeziersRestricted", false);
  // A missing or negative fade time means one second.
  const float fadeIn = json::number(meta, "FadeInTime", -1.0f);
  const float fadeOut = json::number(meta, "FadeOutTime", -1.0f);
  motion->m_fadeInSeconds = fadeIn < 0.0f || !std::isfinite(fadeIn) ? 1.0f : fadeIn;
  motion->m_fadeOutSeconds = fadeOut < 0.0f || !std::isfinite(fadeOut) ? 1.0f : fadeOut;

  CubismIdManager* ids = CubismFramework::getIdManager();
  std::vector<MotionCurve> model;
  std::vector<MotionCurve> parameters;
  std::vector<MotionCurve> parts;
  for (const nlohmann::json& c : json::array(root, "Curves")) {
    MotionCurve curve;
    const std::string target = json::string(c, "Target");
    if (target == "Model") {
      curve.target = MotionCurveTarget::Model;
    } else if (target == "Parameter") {
      curve.target = MotionCurveTarget::Parameter;
    } else if (target == "PartOpacity") {
      curve.target = MotionCurveTarget::PartOpacity;
    } else {
      CUBISM_LOG_WARNING("Motion curve with unknown target \"%s\" skipped.\n", target.c_str());
      continue;
    }
    curve.id = ids->getId(json::string(c, "Id"));
    curve.fadeInSeconds = json::number(c, "FadeInTime", -1.0f);
    curve.fadeOutSeconds = json::number(c, "FadeOutTime", -1.0f);
    const nlohmann::json* segments = json::member(c, "Segments");
    if (!segments || !motion->m_curves->appendSegments(*segments, curve)) {
      CUBISM_LOG_WARNING("Motion curve \"%s\" has malformed segments.\n", curve.id->getString().c_str());
      if (curve.firstPointIndex < 0) continue;
    }
    (curve.target == MotionCurveTarget::Model ? model
     : curve.target == MotionCurveTarget::Parameter ? parameters
                                                      : parts)
        .push_back(curve);
  }
  // Model curves go first so their eye-blink and lip-sync values exist when parameter curves need them.
  motion->m_curveList = std::move(model);
  motion->m_curveList.insert(motion->m_curveList.end(), parameters.begin(), parameters.end());
  motion->m_curveList.insert(motion->m_curveList.end(), parts.begin(), parts.end());

  for (const nlohmann::json& e : json::array(root, "UserData")) {
    const float time = json::number(e, "Time", -1.0f);
    if (time >= 0.0f && std::isfinite(time)) motion->m_events.push_back({time, json::string(e, "Value")});
  }
  motion->setFinishedMotionHandler(std::move(onFinished));
  return motion;
}

float CubismMotion::getDuration() const { return m_loop ? -1.0f : m_durationSeconds; }

int CubismMotion::getCurveCount() const { return static_cast<int>(m_curveList.size()); }

void CubismMotion::setEffectIds(const std::vector<CubismIdHandle>& eyeBlinkIds,
                                const std::vector<CubismIdHandle>& lipSyncIds) {
  m_eyeBlinkIds = eyeBlinkIds;
  m_lipSyncIds = lipSyncIds;
}

float CubismMotion::motionTime(float seconds) const {
  if (seconds < 0.0f) return 0.0f;
  if (!m_loop || m_durationSeconds <= 0.0f) return seconds;
  // One extra frame after the end in which the curves return to their start (see evaluateCurve).
  return std::fmod(seconds, m_durationSeconds + 1.0f / m_fps);
}

float CubismMotion::evaluateCurve(const MotionCurve& curve, float timeSeconds) const {
  if (m_loop && timeSeconds > m_durationSeconds) {
    const float s = std::min(1.0f, (timeSeconds - m_durationSeconds) * m_fps);
    const float last = m_curves->lastValue(curve);
    return last + (m_curves->firstValue(curve) - last) * s;
  }
  return m_curves->evaluate(curve, timeSeconds);
}

bool CubismMotion::curveValue(const std::string& target, CubismIdHandle id, float timeSeconds, float* value) const {
  for (const MotionCurve& curve : m_curveList) {
    const bool kind = (target == "Model" && curve.target == MotionCurveTarget::Model) ||
                      (target == "Parameter" && curve.target == MotionCurveTarget::Parameter) ||
                      (target == "PartOpacity" && curve.target == MotionCurveTarget::PartOpacity);
    if (kind && curve.id == id) {
      *value = evaluateCurve(curve, motionTime(timeSeconds));
      return true;
    }
  }
  return false;
}

void CubismMotion::doUpdateParameters(CubismModel* model, float userTimeSeconds, float fadeWeight,
                                      CubismMotionQueueEntry* entry) {
  const float time = motionTime(userTimeSeconds - entry->getStartTime());
  const float fadeInStart = entry->getFadeInStartTime();
  const float endTime = entry->getEndTime();

  bool hasEyeBlink = false;
  bool hasLipSync = false;
  float eyeBlinkValue = 1.0f;
  float lipSyncValue = 0.0f;
  // Which effect ids had a parameter curve of their own (64 is far above any real model's count).
  std::uint64_t eyeBlinkDone = 0;
  std::uint64_t lipSyncDone = 0;

  for (const MotionCurve& curve : m_curveList) {
    const float value = evaluateCurve(curve, time);
    if (curve.target == MotionCurveTarget::Model) {
      if (curve.id == m_idEyeBlink) {
        eyeBlinkValue = value;
        hasEyeBlink = true;
      } else if (curve.id == m_idLipSync) {
        lipSyncValue = value;
        hasLipSync = true;
      } else if (curve.id == m_idOpacity) {
        model->setModelOpacity(value);
      }
      continue;
    }
    if (curve.target == MotionCurveTarget::PartOpacity) {
      // Pose reads these per-part values; they are not faded.
      model->setParameterValue(curve.id, value);
      continue;
    }
    const int index = model->getParameterIndex(curve.id);
    if (index < 0) continue;
    float target = value;
    if (hasEyeBlink) {
      for (std::size_t k = 0; k < m_eyeBlinkIds.size() && k < 64; ++k) {
        if (m_eyeBlinkIds[k] == curve.id) {
          target *= eyeBlinkValue;
          eyeBlinkDone |= std::uint64_t{1} << k;
          break;
        }
      }
    }
    if (hasLipSync) {
      for (std::size_t k = 0; k < m_lipSyncIds.size() && k < 64; ++k) {
        if (m_lipSyncIds[k] == curve.id) {
          target += lipSyncValue;
          lipSyncDone |= std::uint64_t{1} << k;
          break;
        }
      }
    }
    float weight = fadeWeight;
    if (curve.fadeInSeconds >= 0.0f || curve.fadeOutSeconds >= 0.0f) {
      const float fadeInSeconds = curve.fadeInSeconds >= 0.0f ? curve.fadeInSeconds : m_fadeInSeconds;
      const float fadeOutSeconds = curve.fadeOutSeconds >= 0.0f ? curve.fadeOutSeconds : m_fadeOutSeconds;
      const float fadeIn = fadeInSeconds <= 0.0f ? 1.0f : easeSine((userTimeSeconds - fadeInStart) / fadeInSeconds);
      const float fadeOut = fadeOutSeconds <= 0.0f || endTime < 0.0f
                                ? 1.0f
                                : easeSine((endTime - userTimeSeconds) / fadeOutSeconds);
      weight = m_weight * fadeIn * fadeOut;
    }
    const float source = model->getParameterValue(index);
    model->setParameterValue(index, source + (target - source) * weight);
  }
  if (hasEyeBlink) {
    for (std::size_t k = 0; k < m_eyeBlinkIds.size() && k < 64; ++k) {
      if (!(eyeBlinkDone & (std::uint64_t{1} << k))) model->setParameterValue(m_eyeBlinkIds[k], eyeBlinkValue, fadeWeight);
    }
  }
  if (hasLipSync) {
    for (std::size_t k = 0; k < m_lipSyncIds.size() && k < 64; ++k) {
      if (!(lipSyncDone & (std::uint64_t{1} << k))) model->setParameterValue(m_lipSyncIds[k], lipSyncValue, fadeWeight);
    }
  }
}

const std::vector<std::string>& CubismMotion::getFiredEvent(float beforeSeconds, float nowSeconds) {
  m_firedEvents.clear();
  const auto fire = [&](float from, float to) {
    for (const Event& e : m_events) {
      if (e.timeSeconds > from && e.timeSeconds <= to) m_firedEvents.push_back(e.value);
    }
  };
  if (m_loop && m_durationSeconds > 0.0f) {
    // Times wrap with the loop; an interval that crosses the wrap fires the end and the start.
    const float before = beforeSeconds < 0.0f ? -1.0f : motionTime(beforeSeconds);
    const float now = motionTime(nowSeconds);
    if (nowSeconds - beforeSeconds >= m_durationSeconds) {
      fire(-1.0f, m_durationSeconds + 1.0f);
    } else if (now >= before) {
      fire(before, now);
    } else {
      fire(before, m_durationSeconds + 1.0f);
      fire(-1.0f, now);
    }
  } else {
    fire(beforeSeconds, nowSeconds);
  }
  return m_firedEvents;
}

}  // namespace live2d::cubism
