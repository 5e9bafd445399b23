#pragma once

// The drag manager: follows a target point in [-1, 1]² with limited speed and acceleration, braking as it
// arrives, so a head turned toward the pointer moves smoothly. Tuned at a nominal 30 frames per second.

namespace live2d::cubism {

class CubismTargetPoint {
 public:
  void update(float deltaTimeSeconds);
  void set(float x, float y) {
    m_targetX = x;
    m_targetY = y;
  }
  float getX() const { return m_faceX; }
  float getY() const { return m_faceY; }

 private:
  float m_targetX = 0.0f;
  float m_targetY = 0.0f;
  float m_faceX = 0.0f;
  float m_faceY = 0.0f;
  float m_faceVX = 0.0f;
  float m_faceVY = 0.0f;
  float m_lastTimeSeconds = 0.0f;
  float m_userTimeSeconds = 0.0f;
};

}  // namespace live2d::cubism
