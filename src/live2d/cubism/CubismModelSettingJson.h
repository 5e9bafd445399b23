#pragma once

// A model's setting file (model3.json): the files it names, its parameter groups, hit areas and layout.
// Paths are returned as written, relative to the setting file's folder.

#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "live2d/cubism/CubismId.h"

namespace live2d::cubism {

class CubismModelSettingJson {
 public:
  // A file that is not a JSON object leaves every list empty (and logs one line).
  explicit CubismModelSettingJson(std::span<const std::uint8_t> bytes);

  bool isValid() const { return m_valid; }

  const std::string& getModelFileName() const { return m_moc; }
  int getTextureCount() const { return static_cast<int>(m_textures.size()); }
  std::string getTextureDirectory() const;
  const std::string& getTextureFileName(int index) const;

  int getHitAreasCount() const { return static_cast<int>(m_hitAreas.size()); }
  CubismIdHandle getHitAreaId(int index) const;
  const std::string& getHitAreaName(int index) const;

  const std::string& getPhysicsFileName() const { return m_physics; }
  const std::string& getPoseFileName() const { return m_pose; }
  const std::string& getDisplayInfoFileName() const { return m_displayInfo; }
  const std::string& getUserDataFile() const { return m_userData; }

  int getExpressionCount() const { return static_cast<int>(m_expressions.size()); }
  const std::string& getExpressionName(int index) const;
  const std::string& getExpressionFileName(int index) const;

  // Motion groups in the file's order.
  int getMotionGroupCount() const { return static_cast<int>(m_motionGroups.size()); }
  const std::string& getMotionGroupName(int index) const;
  int getMotionCount(const std::string& group) const;
  const std::string& getMotionFileName(const std::string& group, int index) const;
  const std::string& getMotionSoundFileName(const std::string& group, int index) const;
  // -1 when the setting gives none.
  float getMotionFadeInTimeValue(const std::string& group, int index) const;
  float getMotionFadeOutTimeValue(const std::string& group, int index) const;

  int getEyeBlinkParameterCount() const { return static_cast<int>(m_eyeBlink.size()); }
  CubismIdHandle getEyeBlinkParameterId(int index) const;
  int getLipSyncParameterCount() const { return static_cast<int>(m_lipSync.size()); }
  CubismIdHandle getLipSyncParameterId(int index) const;

  // False when the file has no Layout.
  bool getLayoutMap(std::map<std::string, float>& layout) const;

 private:
  struct Motion {
    std::string file;
    std::string sound;
    float fadeIn = -1.0f;
    float fadeOut = -1.0f;
  };
  struct NamedFile {
    std::string name;
    std::string file;
  };
  struct HitArea {
    CubismIdHandle id = nullptr;
    std::string name;
  };
  const Motion* motion(const std::string& group, int index) const;

  bool m_valid = false;
  std::string m_moc;
  std::vector<std::string> m_textures;
  std::string m_physics;
  std::string m_pose;
  std::string m_displayInfo;
  std::string m_userData;
  std::vector<NamedFile> m_expressions;
  std::vector<std::pair<std::string, std::vector<Motion>>> m_motionGroups;
  std::vector<CubismIdHandle> m_eyeBlink;
  std::vector<CubismIdHandle> m_lipSync;
  std::vector<HitArea> m_hitAreas;
  bool m_hasLayout = false;
  std::map<std::string, float> m_layout;
};

}  // namespace live2d::cubism
