#include "skeleton/runtime/SkeletonJson.h"

#include <cmath>
#include <fstream>
#include <sstream>

#include "skeleton/runtime/AttachmentLoader.h"
#include "skeleton/runtime/BoundingBoxAttachment.h"
#include "skeleton/runtime/ClippingAttachment.h"
#include "skeleton/runtime/MeshAttachment.h"
#include "skeleton/runtime/PathAttachment.h"
#include "skeleton/runtime/PointAttachment.h"
#include "skeleton/runtime/RegionAttachment.h"
#include "skeleton/runtime/private/JsonReader.h"

namespace spine {

namespace detail {

std::unique_ptr<SkeletonData> JsonReader::read(const Json& root) {
  if (!root.is_object()) throw ReadError("skeleton JSON is not an object");
  m_data = std::make_unique<SkeletonData>();
  readHeader(root);
  if (const Json* v = member(root, "bones")) readBones(*v);
  if (const Json* v = member(root, "slots")) readSlots(*v);
  if (const Json* v = member(root, "ik")) readIk(*v);
  if (const Json* v = member(root, "transform")) readTransform(*v);
  if (const Json* v = member(root, "path")) readPath(*v);
  if (const Json* v = member(root, "skins")) readSkins(*v);
  detail::resolveLinkedMeshes(*m_data, m_linkedMeshes);
  if (const Json* v = member(root, "events")) readEvents(*v);
  if (const Json* v = member(root, "animations")) {
    if (!v->is_object()) throw ReadError("'animations' is not an object");
    for (auto it = v->begin(); it != v->end(); ++it) readAnimation(it.value(), it.key());
  }
  return std::move(m_data);
}

void JsonReader::readHeader(const Json& root) {
  const Json* skeleton = member(root, "skeleton");
  if (!skeleton) return;
  SkeletonData& data = *m_data;
  data.hash = getString(*skeleton, "hash").value_or("");
  data.version = getString(*skeleton, "spine").value_or("");
  if (!data.version.empty()) {
    if (data.version.rfind("3.8", 0) != 0 || (data.version.size() > 3 && data.version[3] != '.'))
      throw ReadError("unsupported skeleton version " + data.version + " (3.8 is required)");
    if (data.version == "3.8.75") throw ReadError("skeleton version 3.8.75 is a broken export; re-export it");
  }
  data.x = getFloat(*skeleton, "x", 0);
  data.y = getFloat(*skeleton, "y", 0);
  data.width = getFloat(*skeleton, "width", 0);
  data.height = getFloat(*skeleton, "height", 0);
  data.fps = getFloat(*skeleton, "fps", 30);
  data.imagesPath = getString(*skeleton, "images").value_or("");
  data.audioPath = getString(*skeleton, "audio").value_or("");
}

void JsonReader::readBones(const Json& bones) {
  if (!bones.is_array()) throw ReadError("'bones' is not an array");
  for (const Json& map : bones) {
    auto bone = std::make_unique<BoneData>();
    bone->index = static_cast<int>(m_data->bones.size());
    bone->name = requireString(map, "name");
    if (auto parent = getString(map, "parent")) {
      auto it = m_bonesByName.find(*parent);
      if (it == m_bonesByName.end()) throw ReadError("parent bone not found: " + *parent);
      bone->parent = it->second;
    } else if (!m_data->bones.empty()) {
      throw ReadError("bone " + bone->name + " has no parent; only the first bone may be the root");
    }
    bone->length = getFloat(map, "length", 0) * m_scale;
    bone->x = getFloat(map, "x", 0) * m_scale;
    bone->y = getFloat(map, "y", 0) * m_scale;
    bone->rotation = getFloat(map, "rotation", 0);
    bone->scaleX = getFloat(map, "scaleX", 1);
    bone->scaleY = getFloat(map, "scaleY", 1);
    bone->shearX = getFloat(map, "shearX", 0);
    bone->shearY = getFloat(map, "shearY", 0);
    std::string mode = getString(map, "transform").value_or("normal");
    if (mode == "normal")
      bone->transformMode = TransformMode::Normal;
    else if (mode == "onlyTranslation")
      bone->transformMode = TransformMode::OnlyTranslation;
    else if (mode == "noRotationOrReflection")
      bone->transformMode = TransformMode::NoRotationOrReflection;
    else if (mode == "noScale")
      bone->transformMode = TransformMode::NoScale;
    else if (mode == "noScaleOrReflection")
      bone->transformMode = TransformMode::NoScaleOrReflection;
    else
      throw ReadError("unknown transform mode: " + mode);
    bone->skinRequired = getBool(map, "skin", false);
    bone->color = getColor(map, "color", bone->color);
    m_bonesByName.emplace(bone->name, bone.get());
    m_data->bones.push_back(std::move(bone));
  }
}

void JsonReader::readSlots(const Json& slots) {
  if (!slots.is_array()) throw ReadError("'slots' is not an array");
  for (const Json& map : slots) {
    auto slot = std::make_unique<SlotData>();
    slot->index = static_cast<int>(m_data->slots.size());
    slot->name = requireString(map, "name");
    slot->boneData = &findBone(requireString(map, "bone"));
    slot->color = getColor(map, "color", Color{});
    if (auto dark = getString(map, "dark")) slot->darkColor = parseColor(*dark, false);
    slot->attachmentName = getString(map, "attachment");
    std::string blend = getString(map, "blend").value_or("normal");
    if (blend == "normal")
      slot->blendMode = BlendMode::Normal;
    else if (blend == "additive")
      slot->blendMode = BlendMode::Additive;
    else if (blend == "multiply")
      slot->blendMode = BlendMode::Multiply;
    else if (blend == "screen")
      slot->blendMode = BlendMode::Screen;
    else
      throw ReadError("unknown blend mode: " + blend);
    m_slotsByName.emplace(slot->name, slot.get());
    m_data->slots.push_back(std::move(slot));
  }
}

std::vector<BoneData*> JsonReader::boneList(const Json& map) const {
  std::vector<BoneData*> result;
  if (const Json* bones = member(map, "bones")) {
    if (!bones->is_array()) throw ReadError("'bones' is not an array");
    for (const Json& name : *bones) {
      if (!name.is_string()) throw ReadError("bone name is not a string");
      result.push_back(&findBone(name.get<std::string>()));
    }
  }
  return result;
}

void JsonReader::readConstraintCommon(const Json& map, ConstraintData& data) const {
  data.name = requireString(map, "name");
  data.order = getInt(map, "order", 0);
  data.skinRequired = getBool(map, "skin", false);
  data.bones = boneList(map);
}

void JsonReader::readIk(const Json& list) {
  if (!list.is_array()) throw ReadError("'ik' is not an array");
  for (const Json& map : list) {
    auto data = std::make_unique<IkConstraintData>();
    readConstraintCommon(map, *data);
    if (data->bones.empty() || data->bones.size() > 2)
      throw ReadError("IK constraint " + data->name + " must have one or two bones");
    data->target = &findBone(requireString(map, "target"));
    data->mix = getFloat(map, "mix", 1);
    data->softness = getFloat(map, "softness", 0) * m_scale;
    data->bendDirection = getBool(map, "bendPositive", true) ? 1 : -1;
    data->compress = getBool(map, "compress", false);
    data->stretch = getBool(map, "stretch", false);
    data->uniform = getBool(map, "uniform", false);
    m_data->ikConstraints.push_back(std::move(data));
  }
}

void JsonReader::readTransform(const Json& list) {
  if (!list.is_array()) throw ReadError("'transform' is not an array");
  for (const Json& map : list) {
    auto data = std::make_unique<TransformConstraintData>();
    readConstraintCommon(map, *data);
    data->target = &findBone(requireString(map, "target"));
    data->local = getBool(map, "local", false);
    data->relative = getBool(map, "relative", false);
    data->offsetRotation = getFloat(map, "rotation", 0);
    data->offsetX = getFloat(map, "x", 0) * m_scale;
    data->offsetY = getFloat(map, "y", 0) * m_scale;
    data->offsetScaleX = getFloat(map, "scaleX", 0);
    data->offsetScaleY = getFloat(map, "scaleY", 0);
    data->offsetShearY = getFloat(map, "shearY", 0);
    data->rotateMix = getFloat(map, "rotateMix", 1);
    data->translateMix = getFloat(map, "translateMix", 1);
    data->scaleMix = getFloat(map, "scaleMix", 1);
    data->shearMix = getFloat(map, "shearMix", 1);
    m_data->transformConstraints.push_back(std::move(data));
  }
}

void JsonReader::readPath(const Json& list) {
  if (!list.is_array()) throw ReadError("'path' is not an array");
  for (const Json& map : list) {
    auto data = std::make_unique<PathConstraintData>();
    readConstraintCommon(map, *data);
    data->target = &findSlot(requireString(map, "target"));
    std::string positionMode = getString(map, "positionMode").value_or("percent");
    if (positionMode == "fixed")
      data->positionMode = PositionMode::Fixed;
    else if (positionMode == "percent")
      data->positionMode = PositionMode::Percent;
    else
      throw ReadError("unknown position mode: " + positionMode);
    std::string spacingMode = getString(map, "spacingMode").value_or("length");
    if (spacingMode == "length")
      data->spacingMode = SpacingMode::Length;
    else if (spacingMode == "fixed")
      data->spacingMode = SpacingMode::Fixed;
    else if (spacingMode == "percent")
      data->spacingMode = SpacingMode::Percent;
    else
      throw ReadError("unknown spacing mode: " + spacingMode);
    std::string rotateMode = getString(map, "rotateMode").value_or("tangent");
    if (rotateMode == "tangent")
      data->rotateMode = RotateMode::Tangent;
    else if (rotateMode == "chain")
      data->rotateMode = RotateMode::Chain;
    else if (rotateMode == "chainScale")
      data->rotateMode = RotateMode::ChainScale;
    else
      throw ReadError("unknown rotate mode: " + rotateMode);
    data->offsetRotation = getFloat(map, "rotation", 0);
    data->position = getFloat(map, "position", 0);
    if (data->positionMode == PositionMode::Fixed) data->position *= m_scale;
    data->spacing = getFloat(map, "spacing", 0);
    if (data->spacingMode == SpacingMode::Length || data->spacingMode == SpacingMode::Fixed) data->spacing *= m_scale;
    data->rotateMix = getFloat(map, "rotateMix", 1);
    data->translateMix = getFloat(map, "translateMix", 1);
    m_data->pathConstraints.push_back(std::move(data));
  }
}

void JsonReader::readSkins(const Json& skins) {
  if (!skins.is_array()) throw ReadError("'skins' is not an array (skeletons older than 3.8 are not supported)");
  for (const Json& skinMap : skins) {
    auto skin = std::make_unique<Skin>(requireString(skinMap, "name"));
    if (m_data->findSkin(skin->name())) throw ReadError("duplicate skin: " + skin->name());
    skin->bones = boneList(skinMap);
    auto addConstraints = [&](const char* key, auto find) {
      const Json* names = member(skinMap, key);
      if (!names) return;
      if (!names->is_array()) throw ReadError(std::string("'") + key + "' is not an array");
      for (const Json& name : *names) {
        if (!name.is_string()) throw ReadError("constraint name is not a string");
        ConstraintData* constraint = find(name.get<std::string>());
        if (!constraint) throw ReadError("skin constraint not found: " + name.get<std::string>());
        skin->constraints.push_back(constraint);
      }
    };
    addConstraints("ik", [&](const std::string& n) -> ConstraintData* { return m_data->findIkConstraint(n); });
    addConstraints("transform",
                   [&](const std::string& n) -> ConstraintData* { return m_data->findTransformConstraint(n); });
    addConstraints("path", [&](const std::string& n) -> ConstraintData* { return m_data->findPathConstraint(n); });

    if (const Json* attachments = member(skinMap, "attachments")) {
      if (!attachments->is_object()) throw ReadError("skin attachments are not an object");
      for (auto slotIt = attachments->begin(); slotIt != attachments->end(); ++slotIt) {
        const int slotIndex = findSlot(slotIt.key()).index;
        if (!slotIt->is_object()) throw ReadError("skin slot entry is not an object");
        for (auto it = slotIt->begin(); it != slotIt->end(); ++it) {
          try {
            auto attachment = readAttachment(it.value(), *skin, slotIndex, it.key());
            if (attachment) skin->setAttachment(slotIndex, it.key(), std::move(attachment));
          } catch (const std::exception& e) {
            throw ReadError("attachment " + it.key() + " in skin " + skin->name() + ": " + e.what());
          }
        }
      }
    }
    const bool isDefault = skin->name() == "default";
    m_data->skins.push_back(std::move(skin));
    if (isDefault) {
      m_data->defaultSkin = m_data->skins.back().get();
      // The default skin always comes first, as in binary data.
      std::rotate(m_data->skins.begin(), m_data->skins.end() - 1, m_data->skins.end());
    }
  }
}

void JsonReader::readVertices(const Json& map, VertexAttachment& attachment, size_t verticesLength) {
  attachment.worldVerticesLength = static_cast<int>(verticesLength);
  const Json& values = requireArray(map, "vertices");
  if (values.size() == verticesLength) {
    attachment.vertices = floatArray(values, m_scale, "vertices");
    return;
  }
  std::vector<float> raw = floatArray(values, 1, "vertices");
  auto toIndex = [](float v) {
    if (!(v >= 0 && v < 1e9f) || v != std::floor(v))
      throw ReadError("weighted vertices hold a bad count or bone index");
    return static_cast<int>(v);
  };
  for (size_t i = 0; i < raw.size();) {
    int boneCount = toIndex(raw[i++]);
    attachment.bones.push_back(boneCount);
    if (static_cast<size_t>(boneCount) > (raw.size() - i) / 4) throw ReadError("weighted vertices are truncated");
    for (int k = 0; k < boneCount; ++k, i += 4) {
      attachment.bones.push_back(toIndex(raw[i]));
      attachment.vertices.push_back(raw[i + 1] * m_scale);
      attachment.vertices.push_back(raw[i + 2] * m_scale);
      attachment.vertices.push_back(raw[i + 3]);
    }
  }
  detail::validateVertices(attachment, m_data->bones.size(), attachment.name);
}

std::shared_ptr<Attachment> JsonReader::readAttachment(const Json& map, Skin& skin, int slotIndex,
                                                       const std::string& key) {
  if (!map.is_object()) throw ReadError("attachment is not an object");
  const std::string name = getString(map, "name").value_or(key);
  const std::string type = getString(map, "type").value_or("region");

  if (type == "region") {
    const std::string path = getString(map, "path").value_or(name);
    auto region = m_loader.newRegionAttachment(skin, name, path);
    if (!region) return nullptr;
    region->path = path;
    region->x = getFloat(map, "x", 0) * m_scale;
    region->y = getFloat(map, "y", 0) * m_scale;
    region->scaleX = getFloat(map, "scaleX", 1);
    region->scaleY = getFloat(map, "scaleY", 1);
    region->rotation = getFloat(map, "rotation", 0);
    if (!member(map, "width") || !member(map, "height")) throw ReadError("region needs width and height");
    region->width = getFloat(map, "width", 0) * m_scale;
    region->height = getFloat(map, "height", 0) * m_scale;
    region->color = getColor(map, "color", Color{});
    region->updateOffset();
    return region;
  }
  if (type == "mesh" || type == "linkedmesh") {
    const std::string path = getString(map, "path").value_or(name);
    auto mesh = m_loader.newMeshAttachment(skin, name, path);
    if (!mesh) return nullptr;
    mesh->path = path;
    mesh->color = getColor(map, "color", Color{});
    mesh->width = getFloat(map, "width", 0) * m_scale;
    mesh->height = getFloat(map, "height", 0) * m_scale;
    if (auto parent = getString(map, "parent")) {
      m_linkedMeshes.push_back({mesh, getString(map, "skin"), slotIndex, *parent, getBool(map, "deform", true)});
      return mesh;
    }
    std::vector<float> uvs = floatArray(requireArray(map, "uvs"), 1, "uvs");
    if (uvs.size() % 2 != 0 || uvs.size() / 2 > detail::kMaxMeshVertices) throw ReadError("bad uv count");
    readVertices(map, *mesh, uvs.size());
    for (const Json& index : requireArray(map, "triangles")) {
      if (!index.is_number_integer() || index.get<long long>() < 0 || index.get<long long>() > 65535)
        throw ReadError("bad triangle index");
      mesh->triangles.push_back(static_cast<uint16_t>(index.get<long long>()));
    }
    mesh->regionUVs = std::move(uvs);
    int hull = getInt(map, "hull", 0);
    if (hull < 0 || static_cast<size_t>(hull) > detail::kMaxMeshVertices) throw ReadError("bad hull count");
    mesh->hullLength = hull * 2;
    if (const Json* edges = member(map, "edges")) {
      if (!edges->is_array()) throw ReadError("'edges' is not an array");
      for (const Json& e : *edges) {
        if (!e.is_number_integer() || e.get<long long>() < 0 || e.get<long long>() > 65535)
          throw ReadError("bad edge index");
        mesh->edges.push_back(static_cast<uint16_t>(e.get<long long>()));
      }
    }
    detail::validateMesh(*mesh, name);
    mesh->updateUVs();
    return mesh;
  }
  auto vertexCount = [&]() {
    int count = getInt(map, "vertexCount", -1);
    if (count < 0 || static_cast<size_t>(count) > detail::kMaxMeshVertices * 16)
      throw ReadError("missing or bad vertexCount");
    return static_cast<size_t>(count);
  };
  if (type == "boundingbox") {
    auto box = m_loader.newBoundingBoxAttachment(skin, name);
    if (!box) return nullptr;
    readVertices(map, *box, vertexCount() * 2);
    box->color = getColor(map, "color", box->color);
    return box;
  }
  if (type == "path") {
    auto path = m_loader.newPathAttachment(skin, name);
    if (!path) return nullptr;
    path->closed = getBool(map, "closed", false);
    path->constantSpeed = getBool(map, "constantSpeed", true);
    size_t count = vertexCount();
    readVertices(map, *path, count * 2);
    path->lengths = floatArray(requireArray(map, "lengths"), m_scale, "lengths");
    if (path->lengths.size() != count / 3) throw ReadError("path lengths do not match the vertex count");
    path->color = getColor(map, "color", path->color);
    return path;
  }
  if (type == "point") {
    auto point = m_loader.newPointAttachment(skin, name);
    if (!point) return nullptr;
    point->x = getFloat(map, "x", 0) * m_scale;
    point->y = getFloat(map, "y", 0) * m_scale;
    point->rotation = getFloat(map, "rotation", 0);
    point->color = getColor(map, "color", point->color);
    return point;
  }
  if (type == "clipping") {
    auto clip = m_loader.newClippingAttachment(skin, name);
    if (!clip) return nullptr;
    if (auto end = getString(map, "end")) clip->endSlot = findSlot(*end).index;
    readVertices(map, *clip, vertexCount() * 2);
    clip->color = getColor(map, "color", clip->color);
    return clip;
  }
  throw ReadError("unknown attachment type: " + type);
}

void JsonReader::readEvents(const Json& events) {
  if (!events.is_object()) throw ReadError("'events' is not an object");
  for (auto it = events.begin(); it != events.end(); ++it) {
    auto event = std::make_unique<EventData>();
    event->name = it.key();
    event->intValue = getInt(it.value(), "int", 0);
    event->floatValue = getFloat(it.value(), "float", 0);
    event->stringValue = getString(it.value(), "string").value_or("");
    event->audioPath = getString(it.value(), "audio").value_or("");
    if (!event->audioPath.empty()) {
      event->volume = getFloat(it.value(), "volume", 1);
      event->balance = getFloat(it.value(), "balance", 0);
    }
    m_data->events.push_back(std::move(event));
  }
}

}  // namespace detail

std::unique_ptr<SkeletonData> SkeletonJson::readSkeletonData(std::string_view json) {
  m_error.clear();
  try {
    detail::Json root = detail::Json::parse(json.begin(), json.end());
    return detail::JsonReader(m_loader, m_scale).read(root);
  } catch (const detail::Json::exception& e) {
    m_error = std::string("invalid skeleton JSON: ") + e.what();
  } catch (const std::exception& e) {
    m_error = e.what();
  }
  return nullptr;
}

std::unique_ptr<SkeletonData> SkeletonJson::readSkeletonDataFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    m_error = "cannot open skeleton file " + path;
    return nullptr;
  }
  std::ostringstream text;
  text << file.rdbuf();
  return readSkeletonData(text.str());
}

}  // namespace spine
