#include "live2d/cubism/CubismTargetPoint.h"

#include <cmath>

namespace live2d::cubism {

namespace {

constexpr float kFrameRate = 30.0f;
constexpr float kEpsilon = 0.01f;
constexpr float kMaxSpeedPerFrame = 4.0f / kFrameRate;
constexpr float kSecondsToMaxSpeed = 0.15f;

}  // namespace

void CubismTargetPoint::update(float deltaTimeSeconds) {
  m_userTimeSeconds += deltaTimeSeconds;
  if (m_lastTimeSeconds == 0.0f) {
    m_lastTimeSeconds = m_userTimeSeconds;
    return;
  }
  const float frames = (m_userTimeSeconds - m_lastTimeSeconds) * kFrameRate;
  m_lastTimeSeconds = m_userTimeSeconds;
  const float maxAcceleration = frames * kMaxSpeedPerFrame / (kSecondsToMaxSpeed * kFrameRate);
  const float dx = m_targetX - m_faceX;
  const float dy = m_targetY - m_faceY;
  if (std::fabs(dx) <= kEpsilon && std::fabs(dy) <= kEpsilon) return;
  const float distance = std::sqrt(dx * dx + dy * dy);
  const float wantX = kMaxSpeedPerFrame * dx / distance;
  const float wantY = kMaxSpeedPerFrame * dy / distance;
  float ax = wantX - m_faceVX;
  float ay = wantY - m_faceVY;
  const float a = std::sqrt(ax * ax + ay * ay);
  if (a > maxAcceleration) {
    ax *= maxAcceleration / a;
    ay *= maxAcceleration / a;
  }
  m_faceVX += ax;
  m_faceVY += ay;
  // The speed from which constant braking at maxAcceleration stops exactly at the target.
  const float brakeSpeed = 0.5f * (std::sqrt(maxAcceleration * maxAcceleration + 16.0f * maxAcceleration * distance -
                                             8.0f * maxAcceleration * distance) -
                                   maxAcceleration);
  const float speed = std::sqrt(m_faceVX * m_faceVX + m_faceVY * m_faceVY);
  if (speed > brakeSpeed && speed > 0.0f) {
    m_faceVX *= brakeSpeed / speed;
    m_faceVY *= brakeSpeed / speed;
  }
  m_faceX += m_faceVX;
  m_faceY += m_faceVY;
}

}  // namespace live2d::cubism
