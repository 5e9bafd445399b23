#include "live2d/cubism/CubismModelSettingJson.h"

#include "live2d/cubism/CubismFramework.h"
#include "live2d/cubism/private/Json.h"

namespace live2d::cubism {

namespace {

const std::string kEmpty;

}  // namespace

CubismModelSettingJson::CubismModelSettingJson(std::span<const std::uint8_t> bytes) {
  // Motion groups keep the file's order: the glue preloads them in that order.
  const nlohmann::ordered_json root = nlohmann::ordered_json::parse(bytes.begin(), bytes.end(), nullptr, false);
  if (root.is_discarded() || !root.is_object()) {
    CUBISM_LOG_ERROR("Invalid model setting: not a JSON object.\n");
    return;
  }
  m_valid = true;
  const auto text = [](const nlohmann::ordered_json& o, const char* key) {
    auto it = o.find(key);
    return it != o.end() && it->is_string() ? it->get<std::string>() : std::string();
  };
  const auto list = [](const nlohmann::ordered_json& o, const char* key) -> const nlohmann::ordered_json* {
    if (!o.is_object()) return nullptr;
    auto it = o.find(key);
    return it != o.end() && it->is_array() ? &*it : nullptr;
  };
  auto refsIt = root.find("FileReferences");
  const nlohmann::ordered_json refs = refsIt != root.end() && refsIt->is_object() ? *refsIt : nlohmann::ordered_json::object();
  m_moc = text(refs, "Moc");
  m_physics = text(refs, "Physics");
  m_pose = text(refs, "Pose");
  m_displayInfo = text(refs, "DisplayInfo");
  m_userData = text(refs, "UserData");
  if (const auto* textures = list(refs, "Textures")) {
    for (const auto& t : *textures) m_textures.push_back(t.is_string() ? t.get<std::string>() : std::string());
  }
  if (const auto* expressions = list(refs, "Expressions")) {
    for (const auto& e : *expressions) {
      if (e.is_object()) m_expressions.push_back({text(e, "Name"), text(e, "File")});
    }
  }
  auto motionsIt = refs.find("Motions");
  if (motionsIt != refs.end() && motionsIt->is_object()) {
    for (const auto& [group, entries] : motionsIt->items()) {
      std::vector<Motion> motions;
      if (entries.is_array()) {
        for (const auto& m : entries) {
          Motion motion;
          if (m.is_object()) {
            motion.file = text(m, "File");
            motion.sound = text(m, "Sound");
            if (auto f = m.find("FadeInTime"); f != m.end() && f->is_number()) motion.fadeIn = f->get<float>();
            if (auto f = m.find("FadeOutTime"); f != m.end() && f->is_number()) motion.fadeOut = f->get<float>();
          }
          motions.push_back(std::move(motion));
        }
      }
      m_motionGroups.emplace_back(group, std::move(motions));
    }
  }
  CubismIdManager* ids = CubismFramework::getIdManager();
  if (const auto* groups = list(root, "Groups")) {
    for (const auto& g : *groups) {
      if (!g.is_object() || text(g, "Target") != "Parameter") continue;
      const std::string name = text(g, "Name");
      std::vector<CubismIdHandle>* target = name == "EyeBlink" ? &m_eyeBlink : name == "LipSync" ? &m_lipSync : nullptr;
      const auto* idList = list(g, "Ids");
      if (!target || !idList) continue;
      for (const auto& id : *idList) {
        if (id.is_string()) target->push_back(ids->getId(id.get<std::string>()));
      }
    }
  }
  if (const auto* hitAreas = list(root, "HitAreas")) {
    for (const auto& h : *hitAreas) {
      if (h.is_object()) m_hitAreas.push_back({ids->getId(text(h, "Id")), text(h, "Name")});
    }
  }
  auto layoutIt = root.find("Layout");
  if (layoutIt != root.end() && layoutIt->is_object()) {
    m_hasLayout = true;
    for (const auto& [key, value] : layoutIt->items()) {
      if (value.is_number()) m_layout[key] = value.get<float>();
    }
  }
}

std::string CubismModelSettingJson::getTextureDirectory() const {
  if (m_textures.empty()) return {};
  const std::string& first = m_textures.front();
  const std::size_t slash = first.find_last_of('/');
  return slash == std::string::npos ? std::string() : first.substr(0, slash);
}

const std::string& CubismModelSettingJson::getTextureFileName(int index) const {
  return index >= 0 && index < getTextureCount() ? m_textures[static_cast<std::size_t>(index)] : kEmpty;
}

CubismIdHandle CubismModelSettingJson::getHitAreaId(int index) const {
  return index >= 0 && index < getHitAreasCount() ? m_hitAreas[static_cast<std::size_t>(index)].id : nullptr;
}

const std::string& CubismModelSettingJson::getHitAreaName(int index) const {
  return index >= 0 && index < getHitAreasCount() ? m_hitAreas[static_cast<std::size_t>(index)].name : kEmpty;
}

const std::string& CubismModelSettingJson::getExpressionName(int index) const {
  return index >= 0 && index < getExpressionCount() ? m_expressions[static_cast<std::size_t>(index)].name : kEmpty;
}

const std::string& CubismModelSettingJson::getExpressionFileName(int index) const {
  return index >= 0 && index < getExpressionCount() ? m_expressions[static_cast<std::size_t>(index)].file : kEmpty;
}

const std::string& CubismModelSettingJson::getMotionGroupName(int index) const {
  return index >= 0 && index < getMotionGroupCount() ? m_motionGroups[static_cast<std::size_t>(index)].first : kEmpty;
}

int CubismModelSettingJson::getMotionCount(const std::string& group) const {
  for (const auto& [name, motions] : m_motionGroups) {
    if (name == group) return static_cast<int>(motions.size());
  }
  return 0;
}

const CubismModelSettingJson::Motion* CubismModelSettingJson::motion(const std::string& group, int index) const {
  for (const auto& [name, motions] : m_motionGroups) {
    if (name == group) {
      return index >= 0 && index < static_cast<int>(motions.size()) ? &motions[static_cast<std::size_t>(index)] : nullptr;
    }
  }
  return nullptr;
}

const std::string& CubismModelSettingJson::getMotionFileName(const std::string& group, int index) const {
  const Motion* m = motion(group, index);
  return m ? m->file : kEmpty;
}

const std::string& CubismModelSettingJson::getMotionSoundFileName(const std::string& group, int index) const {
  const Motion* m = motion(group, index);
  return m ? m->sound : kEmpty;
}

float CubismModelSettingJson::getMotionFadeInTimeValue(const std::string& group, int index) const {
  const Motion* m = motion(group, index);
  return m ? m->fadeIn : -1.0f;
}

float CubismModelSettingJson::getMotionFadeOutTimeValue(const std::string& group, int index) const {
  const Motion* m = motion(group, index);
  return m ? m->fadeOut : -1.0f;
}

CubismIdHandle CubismModelSettingJson::getEyeBlinkParameterId(int index) const {
  return index >= 0 && index < getEyeBlinkParameterCount() ? m_eyeBlink[static_cast<std::size_t>(index)] : nullptr;
}

CubismIdHandle CubismModelSettingJson::getLipSyncParameterId(int index) const {
  return index >= 0 && index < getLipSyncParameterCount() ? m_lipSync[static_cast<std::size_t>(index)] : nullptr;
}

bool CubismModelSettingJson::getLayoutMap(std::map<std::string, float>& layout) const {
  if (!m_hasLayout) return false;
  for (const auto& [key, value] : m_layout) layout[key] = value;
  return true;
}

}  // namespace live2d::cubism
