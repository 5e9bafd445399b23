#include "skeleton/runtime/SkeletonBinary.h"

#include <algorithm>
#include <fstream>
#include <iterator>

#include "skeleton/runtime/AttachmentLoader.h"
#include "skeleton/runtime/BoundingBoxAttachment.h"
#include "skeleton/runtime/ClippingAttachment.h"
#include "skeleton/runtime/MeshAttachment.h"
#include "skeleton/runtime/PathAttachment.h"
#include "skeleton/runtime/PointAttachment.h"
#include "skeleton/runtime/RegionAttachment.h"
#include "skeleton/runtime/private/BinaryReader.h"

namespace spine {

namespace detail {

std::unique_ptr<SkeletonData> BinaryReader::read() {
  m_data = std::make_unique<SkeletonData>();
  SkeletonData& data = *m_data;
  data.hash = m_in.readString().value_or("");
  data.version = m_in.readString().value_or("");
  if (data.version.rfind("3.8", 0) != 0 || (data.version.size() > 3 && data.version[3] != '.'))
    throw ReadError("unsupported skeleton version '" + data.version + "' (3.8 is required)");
  if (data.version == "3.8.75") throw ReadError("skeleton version 3.8.75 is a broken export; re-export it");
  data.x = m_in.readFloat();
  data.y = m_in.readFloat();
  data.width = m_in.readFloat();
  data.height = m_in.readFloat();
  m_nonessential = m_in.readBool();
  if (m_nonessential) {
    data.fps = m_in.readFloat();
    data.imagesPath = m_in.readString().value_or("");
    data.audioPath = m_in.readString().value_or("");
  }

  size_t stringCount = m_in.readCount();
  m_strings.reserve(stringCount);
  for (size_t i = 0; i < stringCount; ++i) m_strings.push_back(m_in.readString().value_or(""));

  readBones();
  readSlots();
  readConstraints();

  if (auto skin = readSkin(true)) {
    data.defaultSkin = skin.get();
    data.skins.push_back(std::move(skin));
  }
  size_t skinCount = m_in.readCount();
  for (size_t i = 0; i < skinCount; ++i) data.skins.push_back(readSkin(false));
  detail::resolveLinkedMeshes(data, m_linkedMeshes);

  readEvents();
  size_t animationCount = m_in.readCount();
  for (size_t i = 0; i < animationCount; ++i) readAnimation(m_in.readRequiredString("animation name"));
  return std::move(m_data);
}

void BinaryReader::readBones() {
  size_t count = m_in.readCount(40);
  for (size_t i = 0; i < count; ++i) {
    auto bone = std::make_unique<BoneData>();
    bone->index = static_cast<int>(i);
    bone->name = m_in.readRequiredString("bone name");
    if (i > 0) bone->parent = m_data->bones[static_cast<size_t>(m_in.readIndex(i, "parent bone"))].get();
    bone->rotation = m_in.readFloat();
    bone->x = m_in.readFloat() * m_scale;
    bone->y = m_in.readFloat() * m_scale;
    bone->scaleX = m_in.readFloat();
    bone->scaleY = m_in.readFloat();
    bone->shearX = m_in.readFloat();
    bone->shearY = m_in.readFloat();
    bone->length = m_in.readFloat() * m_scale;
    bone->transformMode = static_cast<TransformMode>(m_in.readIndex(5, "transform mode"));
    bone->skinRequired = m_in.readBool();
    if (m_nonessential) bone->color = readColor();
    m_data->bones.push_back(std::move(bone));
  }
}

void BinaryReader::readSlots() {
  size_t count = m_in.readCount(11);
  for (size_t i = 0; i < count; ++i) {
    auto slot = std::make_unique<SlotData>();
    slot->index = static_cast<int>(i);
    slot->name = m_in.readRequiredString("slot name");
    slot->boneData = m_data->bones[static_cast<size_t>(m_in.readIndex(m_data->bones.size(), "slot bone"))].get();
    slot->color = readColor();
    uint32_t dark = m_in.readUInt();
    // All ones marks "no dark colour"; otherwise the low three bytes are R, G, B.
    if (dark != 0xffffffffu) slot->darkColor = Color::fromRgb888(dark & 0xffffff);
    slot->attachmentName = readRefOptional();
    slot->blendMode = static_cast<BlendMode>(m_in.readIndex(4, "blend mode"));
    m_data->slots.push_back(std::move(slot));
  }
}

std::vector<BoneData*> BinaryReader::readBoneList(size_t minimum, size_t maximum, const char* what) {
  size_t count = m_in.readCount();
  if (count < minimum || count > maximum) m_in.fail(std::string("bad bone count for ") + what);
  std::vector<BoneData*> bones;
  for (size_t i = 0; i < count; ++i)
    bones.push_back(m_data->bones[static_cast<size_t>(m_in.readIndex(m_data->bones.size(), "constraint bone"))].get());
  return bones;
}

void BinaryReader::readConstraints() {
  const size_t boneCount = m_data->bones.size();
  size_t count = m_in.readCount(16);
  for (size_t i = 0; i < count; ++i) {
    auto data = std::make_unique<IkConstraintData>();
    data->name = m_in.readRequiredString("IK constraint name");
    data->order = m_in.readVarint();
    data->skinRequired = m_in.readBool();
    data->bones = readBoneList(1, 2, "IK constraint");
    data->target = m_data->bones[static_cast<size_t>(m_in.readIndex(boneCount, "IK target"))].get();
    data->mix = m_in.readFloat();
    data->softness = m_in.readFloat() * m_scale;
    data->bendDirection = m_in.readSByte() < 0 ? -1 : 1;
    data->compress = m_in.readBool();
    data->stretch = m_in.readBool();
    data->uniform = m_in.readBool();
    m_data->ikConstraints.push_back(std::move(data));
  }
  count = m_in.readCount(46);
  for (size_t i = 0; i < count; ++i) {
    auto data = std::make_unique<TransformConstraintData>();
    data->name = m_in.readRequiredString("transform constraint name");
    data->order = m_in.readVarint();
    data->skinRequired = m_in.readBool();
    data->bones = readBoneList(0, boneCount, "transform constraint");
    data->target = m_data->bones[static_cast<size_t>(m_in.readIndex(boneCount, "transform target"))].get();
    data->local = m_in.readBool();
    data->relative = m_in.readBool();
    data->offsetRotation = m_in.readFloat();
    data->offsetX = m_in.readFloat() * m_scale;
    data->offsetY = m_in.readFloat() * m_scale;
    data->offsetScaleX = m_in.readFloat();
    data->offsetScaleY = m_in.readFloat();
    data->offsetShearY = m_in.readFloat();
    data->rotateMix = m_in.readFloat();
    data->translateMix = m_in.readFloat();
    data->scaleMix = m_in.readFloat();
    data->shearMix = m_in.readFloat();
    m_data->transformConstraints.push_back(std::move(data));
  }
  count = m_in.readCount(27);
  for (size_t i = 0; i < count; ++i) {
    auto data = std::make_unique<PathConstraintData>();
    data->name = m_in.readRequiredString("path constraint name");
    data->order = m_in.readVarint();
    data->skinRequired = m_in.readBool();
    data->bones = readBoneList(0, boneCount, "path constraint");
    data->target = m_data->slots[static_cast<size_t>(m_in.readIndex(m_data->slots.size(), "path target"))].get();
    data->positionMode = static_cast<PositionMode>(m_in.readIndex(2, "position mode"));
    data->spacingMode = static_cast<SpacingMode>(m_in.readIndex(3, "spacing mode"));
    data->rotateMode = static_cast<RotateMode>(m_in.readIndex(3, "rotate mode"));
    data->offsetRotation = m_in.readFloat();
    data->position = m_in.readFloat();
    if (data->positionMode == PositionMode::Fixed) data->position *= m_scale;
    data->spacing = m_in.readFloat();
    if (data->spacingMode == SpacingMode::Length || data->spacingMode == SpacingMode::Fixed) data->spacing *= m_scale;
    data->rotateMix = m_in.readFloat();
    data->translateMix = m_in.readFloat();
    m_data->pathConstraints.push_back(std::move(data));
  }
}

std::unique_ptr<Skin> BinaryReader::readSkin(bool defaultSkin) {
  std::unique_ptr<Skin> skin;
  size_t slotCount;
  if (defaultSkin) {
    slotCount = m_in.readCount();
    if (slotCount == 0) return nullptr;
    skin = std::make_unique<Skin>("default");
  } else {
    const std::string* name = readStringRef();
    if (!name) m_in.fail("skin without a name");
    if (m_data->findSkin(*name)) m_in.fail("duplicate skin: " + *name);
    skin = std::make_unique<Skin>(*name);
    size_t count = m_in.readCount();
    for (size_t i = 0; i < count; ++i)
      skin->bones.push_back(
          m_data->bones[static_cast<size_t>(m_in.readIndex(m_data->bones.size(), "skin bone"))].get());
    count = m_in.readCount();
    for (size_t i = 0; i < count; ++i)
      skin->constraints.push_back(
          m_data->ikConstraints[static_cast<size_t>(m_in.readIndex(m_data->ikConstraints.size(), "skin IK"))].get());
    count = m_in.readCount();
    for (size_t i = 0; i < count; ++i)
      skin->constraints.push_back(m_data
                                      ->transformConstraints[static_cast<size_t>(
                                          m_in.readIndex(m_data->transformConstraints.size(), "skin transform"))]
                                      .get());
    count = m_in.readCount();
    for (size_t i = 0; i < count; ++i)
      skin->constraints.push_back(
          m_data->pathConstraints[static_cast<size_t>(m_in.readIndex(m_data->pathConstraints.size(), "skin path"))]
              .get());
    slotCount = m_in.readCount();
  }
  for (size_t i = 0; i < slotCount; ++i) {
    int slotIndex = m_in.readIndex(m_data->slots.size(), "skin slot");
    size_t count = m_in.readCount(2);
    for (size_t k = 0; k < count; ++k) {
      const std::string* key = readStringRef();
      if (!key) m_in.fail("attachment without a skin key");
      auto attachment = readAttachment(*skin, slotIndex, *key);
      if (attachment) skin->setAttachment(slotIndex, *key, std::move(attachment));
    }
  }
  return skin;
}

void BinaryReader::readVertices(VertexAttachment& attachment, size_t vertexCount) {
  attachment.worldVerticesLength = static_cast<int>(vertexCount * 2);
  if (!m_in.readBool()) {
    attachment.vertices = m_in.readFloats(vertexCount * 2, m_scale);
    return;
  }
  const size_t boneCount = m_data->bones.size();
  for (size_t i = 0; i < vertexCount; ++i) {
    size_t influences = m_in.readCount(13);
    attachment.bones.push_back(static_cast<int>(influences));
    for (size_t k = 0; k < influences; ++k) {
      attachment.bones.push_back(m_in.readIndex(boneCount, "vertex bone"));
      attachment.vertices.push_back(m_in.readFloat() * m_scale);
      attachment.vertices.push_back(m_in.readFloat() * m_scale);
      attachment.vertices.push_back(m_in.readFloat());
    }
  }
}

std::shared_ptr<Attachment> BinaryReader::readAttachment(Skin& skin, int slotIndex, const std::string& key) {
  const std::string* nameRef = readStringRef();
  const std::string name = nameRef ? *nameRef : key;
  const uint8_t type = m_in.readByte();
  auto readVertexCount = [&](size_t limit) {
    size_t count = m_in.readCount();
    if (count > limit) m_in.fail("too many vertices in " + name);
    return count;
  };
  switch (type) {
    case 0: {  // region
      const std::string* pathRef = readStringRef();
      const std::string path = pathRef ? *pathRef : name;
      float rotation = m_in.readFloat(), x = m_in.readFloat(), y = m_in.readFloat();
      float scaleX = m_in.readFloat(), scaleY = m_in.readFloat();
      float width = m_in.readFloat(), height = m_in.readFloat();
      Color color = readColor();
      auto region = m_loader.newRegionAttachment(skin, name, path);
      if (!region) return nullptr;
      region->path = path;
      region->rotation = rotation;
      region->x = x * m_scale;
      region->y = y * m_scale;
      region->scaleX = scaleX;
      region->scaleY = scaleY;
      region->width = width * m_scale;
      region->height = height * m_scale;
      region->color = color;
      region->updateOffset();
      return region;
    }
    case 1: {  // bounding box
      size_t vertexCount = readVertexCount(m_in.remaining());
      auto box = std::make_shared<BoundingBoxAttachment>(name);
      readVertices(*box, vertexCount);
      detail::validateVertices(*box, m_data->bones.size(), name);
      if (m_nonessential) box->color = readColor();
      auto loaded = m_loader.newBoundingBoxAttachment(skin, name);
      if (!loaded) return nullptr;
      loaded->copyVerticesFrom(*box);
      loaded->color = box->color;
      return loaded;
    }
    case 2: {  // mesh
      const std::string* pathRef = readStringRef();
      const std::string path = pathRef ? *pathRef : name;
      Color color = readColor();
      size_t vertexCount = readVertexCount(detail::kMaxMeshVertices);
      auto mesh = m_loader.newMeshAttachment(skin, name, path);
      const bool skipped = !mesh;
      if (skipped) mesh = std::make_shared<MeshAttachment>(name);  // still consumes the mesh's bytes
      mesh->path = path;
      mesh->color = color;
      mesh->regionUVs = m_in.readFloats(vertexCount * 2, 1);
      size_t triangleCount = m_in.readCount(2);
      mesh->triangles.reserve(triangleCount);
      for (size_t i = 0; i < triangleCount; ++i) mesh->triangles.push_back(m_in.readShort());
      readVertices(*mesh, vertexCount);
      detail::validateVertices(*mesh, m_data->bones.size(), name);
      size_t hull = m_in.readCount(0);
      mesh->hullLength = static_cast<int>(std::min<size_t>(hull, detail::kMaxMeshVertices + 1) * 2);
      if (m_nonessential) {
        size_t edgeCount = m_in.readCount(2);
        for (size_t i = 0; i < edgeCount; ++i) mesh->edges.push_back(m_in.readShort());
        mesh->width = m_in.readFloat() * m_scale;
        mesh->height = m_in.readFloat() * m_scale;
      }
      detail::validateMesh(*mesh, name);
      if (skipped) return nullptr;
      mesh->updateUVs();
      return mesh;
    }
    case 3: {  // linked mesh
      const std::string* pathRef = readStringRef();
      const std::string path = pathRef ? *pathRef : name;
      Color color = readColor();
      std::optional<std::string> skinName = readRefOptional();
      const std::string* parent = readStringRef();
      if (!parent) m_in.fail("linked mesh " + name + " has no parent");
      bool inheritDeform = m_in.readBool();
      float width = 0, height = 0;
      if (m_nonessential) {
        width = m_in.readFloat() * m_scale;
        height = m_in.readFloat() * m_scale;
      }
      auto mesh = m_loader.newMeshAttachment(skin, name, path);
      if (!mesh) return nullptr;
      mesh->path = path;
      mesh->color = color;
      mesh->width = width;
      mesh->height = height;
      m_linkedMeshes.push_back({mesh, std::move(skinName), slotIndex, *parent, inheritDeform});
      return mesh;
    }
    case 4: {  // path
      auto path = std::make_shared<PathAttachment>(name);
      path->closed = m_in.readBool();
      path->constantSpeed = m_in.readBool();
      size_t vertexCount = readVertexCount(m_in.remaining());
      readVertices(*path, vertexCount);
      detail::validateVertices(*path, m_data->bones.size(), name);
      path->lengths = m_in.readFloats(vertexCount / 3, m_scale);
      if (m_nonessential) path->color = readColor();
      auto loaded = m_loader.newPathAttachment(skin, name);
      if (!loaded) return nullptr;
      loaded->copyVerticesFrom(*path);
      loaded->closed = path->closed;
      loaded->constantSpeed = path->constantSpeed;
      loaded->lengths = std::move(path->lengths);
      loaded->color = path->color;
      return loaded;
    }
    case 5: {  // point
      float rotation = m_in.readFloat(), x = m_in.readFloat(), y = m_in.readFloat();
      Color color{0.9451f, 0.9451f, 0, 1};
      if (m_nonessential) color = readColor();
      auto point = m_loader.newPointAttachment(skin, name);
      if (!point) return nullptr;
      point->rotation = rotation;
      point->x = x * m_scale;
      point->y = y * m_scale;
      point->color = color;
      return point;
    }
    case 6: {  // clipping
      int endSlot = m_in.readIndex(m_data->slots.size(), "clipping end slot");
      size_t vertexCount = readVertexCount(m_in.remaining());
      auto clip = std::make_shared<ClippingAttachment>(name);
      readVertices(*clip, vertexCount);
      detail::validateVertices(*clip, m_data->bones.size(), name);
      if (m_nonessential) clip->color = readColor();
      auto loaded = m_loader.newClippingAttachment(skin, name);
      if (!loaded) return nullptr;
      loaded->copyVerticesFrom(*clip);
      loaded->endSlot = endSlot;
      loaded->color = clip->color;
      return loaded;
    }
    default:
      m_in.fail("unknown attachment type " + std::to_string(type));
  }
}

void BinaryReader::readEvents() {
  size_t count = m_in.readCount(7);
  for (size_t i = 0; i < count; ++i) {
    auto event = std::make_unique<EventData>();
    const std::string* name = readStringRef();
    if (!name) m_in.fail("event without a name");
    event->name = *name;
    event->intValue = m_in.readZigzag();
    event->floatValue = m_in.readFloat();
    event->stringValue = m_in.readString().value_or("");
    std::optional<std::string> audio = m_in.readString();
    if (audio) {
      event->audioPath = *audio;
      event->volume = m_in.readFloat();
      event->balance = m_in.readFloat();
    }
    m_data->events.push_back(std::move(event));
  }
}

}  // namespace detail

std::unique_ptr<SkeletonData> SkeletonBinary::readSkeletonData(const uint8_t* data, size_t length) {
  m_error.clear();
  if (!data && length) {
    m_error = "no skeleton data";
    return nullptr;
  }
  try {
    return detail::BinaryReader(m_loader, m_scale, data, length).read();
  } catch (const std::exception& e) {
    m_error = e.what();
  }
  return nullptr;
}

std::unique_ptr<SkeletonData> SkeletonBinary::readSkeletonDataFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    m_error = "cannot open skeleton file " + path;
    return nullptr;
  }
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  return readSkeletonData(bytes.data(), bytes.size());
}

}  // namespace spine
