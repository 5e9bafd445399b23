#include "live2d/cubism/private/Moc3Reader.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>

namespace live2d::cubism {

namespace {

constexpr std::size_t kHeaderSize = 64;
constexpr std::size_t kSectionTableOffset = 0x40;
constexpr std::size_t kSectionTableSize = 0x280;
constexpr std::size_t kIdSize = 64;
constexpr std::size_t kRuntimeSlotSize = 8;

enum Count : int {
  kParts, kDeformers, kWarpDeformers, kRotationDeformers, kArtMeshes, kParameters, kPartKeyforms,
  kWarpKeyforms, kRotationKeyforms, kArtMeshKeyforms, kKeyformPositions, kParameterBindingIndices,
  kKeyformBindings, kParameterBindings, kKeys, kUvs, kPositionIndices, kDrawableMasks, kDrawOrderGroups,
  kDrawOrderGroupObjects, kGlue, kGlueInfo, kGlueKeyforms,
  // 4.2
  kMultiplyColors, kScreenColors, kBlendShapeParameterBindings, kBlendShapeKeyformBindings,
  kBlendShapesWarps, kBlendShapesArtMeshes, kBlendShapeConstraintIndices, kBlendShapeConstraints,
  kBlendShapeConstraintValues,
  // 5.0
  kBlendShapesParts, kBlendShapesRotations, kBlendShapesGlue,
  kCountSlots
};

// Walks the section offset table slot by slot. Each slot names one array; `each` checks that the whole
// array lies inside the file before handing out element pointers.
class SlotReader {
 public:
  SlotReader(std::span<const std::uint8_t> file, bool bigEndian) : m_file(file), m_bigEndian(bigEndian) {}

  std::uint32_t u32(const std::uint8_t* p) const {
    std::uint32_t v = 0;
    std::memcpy(&v, p, 4);
    if (m_bigEndian != (std::endian::native == std::endian::big)) v = byteSwap(v);
    return v;
  }
  std::int32_t s32(const std::uint8_t* p) const { return static_cast<std::int32_t>(u32(p)); }
  float f32(const std::uint8_t* p) const { return std::bit_cast<float>(u32(p)); }
  std::int16_t s16(const std::uint8_t* p) const {
    std::uint16_t v = 0;
    std::memcpy(&v, p, 2);
    if (m_bigEndian != (std::endian::native == std::endian::big)) v = static_cast<std::uint16_t>((v >> 8) | (v << 8));
    return static_cast<std::int16_t>(v);
  }

  // Reads the next slot; calls f(index, elementPointer) for each of `count` elements.
  template <class F>
  bool each(std::uint32_t count, std::size_t elementSize, const char* what, F&& f) {
    const std::uint8_t* base = nullptr;
    if (!next(count, elementSize, what, &base)) return false;
    for (std::uint32_t i = 0; i < count; ++i) f(i, base + static_cast<std::size_t>(i) * elementSize);
    return true;
  }
  bool skip(std::uint32_t count, std::size_t elementSize, const char* what) {
    const std::uint8_t* base = nullptr;
    return next(count, elementSize, what, &base);
  }

  const std::string& error() const { return m_error; }
  std::size_t slotEnd() const { return kSectionTableOffset + m_slot * 4; }

 private:
  static std::uint32_t byteSwap(std::uint32_t v) {
    return (v >> 24) | ((v >> 8) & 0xFF00u) | ((v << 8) & 0xFF0000u) | (v << 24);
  }

  bool next(std::uint32_t count, std::size_t elementSize, const char* what, const std::uint8_t** base) {
    const std::size_t slotOffset = kSectionTableOffset + m_slot * 4;
    ++m_slot;
    if (slotOffset + 4 > kSectionTableOffset + kSectionTableSize || slotOffset + 4 > m_file.size()) {
      m_error = std::string("section table too short for ") + what;
      return false;
    }
    const std::uint64_t offset = u32(m_file.data() + slotOffset);
    const std::uint64_t size = static_cast<std::uint64_t>(count) * elementSize;
    if (count == 0) {
      *base = nullptr;
      return true;
    }
    if (offset < kHeaderSize || offset > m_file.size() || size > m_file.size() - offset) {
      m_error = std::string("array ") + what + " (" + std::to_string(count) + " elements at offset " +
                std::to_string(offset) + ") lies outside the file";
      return false;
    }
    *base = m_file.data() + offset;
    return true;
  }

  std::span<const std::uint8_t> m_file;
  bool m_bigEndian = false;
  std::size_t m_slot = 0;
  std::string m_error;
};

std::string readId(const std::uint8_t* p) {
  const auto* end = static_cast<const std::uint8_t*>(std::memchr(p, 0, kIdSize));
  const std::size_t length = end ? static_cast<std::size_t>(end - p) : kIdSize;
  return std::string(reinterpret_cast<const char*>(p), length);
}

// ---------------------------------------------------------------------------------------------------------
// Cross-reference checks

class Checker {
 public:
  explicit Checker(std::string* error) : m_error(error) {}

  bool fail(const std::string& message) {
    if (m_error) *m_error = message;
    return false;
  }
  bool index(int value, std::size_t size, const std::string& what) {
    if (value < 0 || static_cast<std::size_t>(value) >= size) {
      return fail(what + " index " + std::to_string(value) + " out of range (" + std::to_string(size) + ")");
    }
    return true;
  }
  bool optionalIndex(int value, std::size_t size, const std::string& what) {
    return value == -1 || index(value, size, what);
  }
  bool range(int begin, int count, std::size_t size, const std::string& what) {
    if (begin < 0 || count < 0 ||
        static_cast<std::uint64_t>(begin) + static_cast<std::uint64_t>(count) > size) {
      return fail(what + " range [" + std::to_string(begin) + ", +" + std::to_string(count) +
                  ") out of bounds (" + std::to_string(size) + ")");
    }
    return true;
  }

 private:
  std::string* m_error;
};

// Parent-first order of a forest given by parent indices; nothing when the parents form a cycle.
std::optional<std::vector<int>> parentFirstOrder(const std::vector<int>& parents) {
  const std::size_t n = parents.size();
  std::vector<int> order;
  order.reserve(n);
  std::vector<std::uint8_t> state(n, 0);  // 0 new, 1 on the current path, 2 placed
  std::vector<int> path;
  for (std::size_t start = 0; start < n; ++start) {
    int node = static_cast<int>(start);
    path.clear();
    while (node >= 0 && state[static_cast<std::size_t>(node)] == 0) {
      state[static_cast<std::size_t>(node)] = 1;
      path.push_back(node);
      node = parents[static_cast<std::size_t>(node)];
    }
    if (node >= 0 && state[static_cast<std::size_t>(node)] == 1) return std::nullopt;
    for (auto it = path.rbegin(); it != path.rend(); ++it) {
      state[static_cast<std::size_t>(*it)] = 2;
      order.push_back(*it);
    }
  }
  return order;
}

constexpr int kMaxVaryingBindings = 16;

// Number of keyforms a keyform binding spans (the product of its parameters' key counts).
bool bindingKeyformCount(const MocData& m, int binding, Checker& check, std::uint64_t* product) {
  const MocRange& kb = m.keyformBindings[static_cast<std::size_t>(binding)];
  std::uint64_t p = 1;
  int varying = 0;
  for (int i = 0; i < kb.count; ++i) {
    const int pb = m.parameterBindingIndices[static_cast<std::size_t>(kb.begin + i)];
    const int keys = m.parameterBindings[static_cast<std::size_t>(pb)].count;
    if (keys > 1) ++varying;
    p *= static_cast<std::uint64_t>(keys);
    if (p > std::numeric_limits<std::int32_t>::max()) {
      return check.fail("keyform binding " + std::to_string(binding) + " spans too many keyforms");
    }
  }
  if (varying > kMaxVaryingBindings) {
    return check.fail("keyform binding " + std::to_string(binding) + " has too many parameters");
  }
  *product = p;
  return true;
}

bool checkKeyformOwner(const MocData& m, const std::string& what, int binding, int begin, int count,
                       std::size_t keyformArraySize, Checker& check) {
  if (!check.index(binding, m.keyformBindings.size(), what + " keyform binding")) return false;
  if (!check.range(begin, count, keyformArraySize, what + " keyforms")) return false;
  std::uint64_t expected = 0;
  if (!bindingKeyformCount(m, binding, check, &expected)) return false;
  if (expected != static_cast<std::uint64_t>(count)) {
    return check.fail(what + " has " + std::to_string(count) + " keyforms, its parameters give " +
                      std::to_string(expected));
  }
  return true;
}

bool checkColors(const MocData& m, const MocKeyformColors& c, const std::string& what, Checker& check) {
  return check.optionalIndex(c.multiplyBegin, m.multiplyColors.size(), what + " multiply colour") &&
         check.optionalIndex(c.screenBegin, m.screenColors.size(), what + " screen colour");
}

bool checkBlendShapes(const MocData& m, const std::vector<MocBlendShape>& shapes, std::size_t targetCount,
                      const char* kind, Checker& check,
                      const std::function<bool(int target, int keyformBegin, int keyformCount)>& keyformsFit) {
  for (std::size_t i = 0; i < shapes.size(); ++i) {
    const MocBlendShape& s = shapes[i];
    const std::string what = std::string("blend shape (") + kind + ") " + std::to_string(i);
    if (!check.index(s.target, targetCount, what + " target")) return false;
    if (!check.range(s.bindingBegin, s.bindingCount, m.blendShapeKeyformBindings.size(), what + " bindings")) {
      return false;
    }
    for (int b = 0; b < s.bindingCount; ++b) {
      const MocBlendShapeKeyformBinding& kb =
          m.blendShapeKeyformBindings[static_cast<std::size_t>(s.bindingBegin + b)];
      if (!check.index(kb.parameterBindingIndex, m.blendShapeParameterBindings.size(), what + " parameter binding")) {
        return false;
      }
      const auto& pb = m.blendShapeParameterBindings[static_cast<std::size_t>(kb.parameterBindingIndex)];
      if (kb.keyformCount != pb.keyCount) return check.fail(what + " keyform count differs from its key count");
      if (!keyformsFit(s.target, kb.keyformBegin, kb.keyformCount)) return check.fail(what + " keyforms out of bounds");
      if (!check.range(kb.constraintIndexBegin, kb.constraintIndexCount, m.blendShapeConstraintIndices.size(),
                       what + " constraints")) {
        return false;
      }
      for (int c = 0; c < kb.constraintIndexCount; ++c) {
        const int ci = m.blendShapeConstraintIndices[static_cast<std::size_t>(kb.constraintIndexBegin + c)];
        if (!check.index(ci, m.blendShapeConstraints.size(), what + " constraint")) return false;
      }
    }
  }
  return true;
}

}  // namespace

bool validateMoc(MocData& m, std::string* error) {
  Checker check(error);
  const MocCanvas& c = m.canvas;
  if (!(c.pixelsPerUnit > 0.0f) || !std::isfinite(c.pixelsPerUnit) || !(c.width > 0.0f) || !(c.height > 0.0f) ||
      !std::isfinite(c.width) || !std::isfinite(c.height) || !std::isfinite(c.originX) || !std::isfinite(c.originY)) {
    return check.fail("invalid canvas");
  }

  for (std::size_t i = 0; i < m.parameterBindings.size(); ++i) {
    const MocRange& pb = m.parameterBindings[i];
    if (pb.count < 1) return check.fail("parameter binding " + std::to_string(i) + " has no keys");
    if (!check.range(pb.begin, pb.count, m.keys.size(), "parameter binding keys")) return false;
  }
  for (std::size_t i = 0; i < m.keyformBindings.size(); ++i) {
    const MocRange& kb = m.keyformBindings[i];
    if (!check.range(kb.begin, kb.count, m.parameterBindingIndices.size(), "keyform binding")) return false;
    for (int j = 0; j < kb.count; ++j) {
      if (!check.index(m.parameterBindingIndices[static_cast<std::size_t>(kb.begin + j)], m.parameterBindings.size(),
                       "parameter binding")) {
        return false;
      }
    }
  }

  m.parameterOfBinding.assign(m.parameterBindings.size(), -1);
  m.parameterOfBlendShapeBinding.assign(m.blendShapeParameterBindings.size(), -1);
  for (std::size_t i = 0; i < m.parameters.size(); ++i) {
    const MocParameter& p = m.parameters[i];
    const std::string what = "parameter " + p.id;
    if (!(p.minimum <= p.maximum) || !std::isfinite(p.minimum) || !std::isfinite(p.maximum) ||
        !std::isfinite(p.defaultValue)) {
      return check.fail(what + " has an invalid range");
    }
    if (!check.range(p.bindingBegin, p.bindingCount, m.parameterBindings.size(), what + " bindings")) return false;
    for (int j = 0; j < p.bindingCount; ++j) m.parameterOfBinding[static_cast<std::size_t>(p.bindingBegin + j)] = static_cast<int>(i);
    if (!check.range(p.blendShapeBindingBegin, p.blendShapeBindingCount, m.blendShapeParameterBindings.size(),
                     what + " blend-shape bindings")) {
      return false;
    }
    for (int j = 0; j < p.blendShapeBindingCount; ++j) {
      m.parameterOfBlendShapeBinding[static_cast<std::size_t>(p.blendShapeBindingBegin + j)] = static_cast<int>(i);
    }
  }

  std::vector<int> parents;
  parents.reserve(m.parts.size());
  for (std::size_t i = 0; i < m.parts.size(); ++i) {
    const MocPart& p = m.parts[i];
    const std::string what = "part " + p.id;
    if (!checkKeyformOwner(m, what, p.keyformBindingIndex, p.keyformBegin, p.keyformCount,
                           m.partKeyformDrawOrders.size(), check) ||
        !check.optionalIndex(p.parentPartIndex, m.parts.size(), what + " parent")) {
      return false;
    }
    parents.push_back(p.parentPartIndex);
  }
  auto partOrder = parentFirstOrder(parents);
  if (!partOrder) return check.fail("parts form a cycle");
  m.partOrder = std::move(*partOrder);

  for (std::size_t i = 0; i < m.warps.size(); ++i) {
    const MocWarp& w = m.warps[i];
    const std::string what = "warp deformer " + std::to_string(i);
    if (!checkKeyformOwner(m, what, w.keyformBindingIndex, w.keyformBegin, w.keyformCount, m.warpKeyforms.size(), check)) {
      return false;
    }
    if (w.rows < 1 || w.columns < 1 || w.rows > 1024 || w.columns > 1024 ||
        static_cast<std::int64_t>(w.rows + 1) * (w.columns + 1) != w.vertexCount) {
      return check.fail(what + " has an inconsistent grid");
    }
  }
  for (std::size_t k = 0; k < m.warpKeyforms.size(); ++k) {
    if (!checkColors(m, m.warpKeyforms[k].colors, "warp keyform", check)) return false;
  }
  for (std::size_t i = 0; i < m.warps.size(); ++i) {
    const MocWarp& w = m.warps[i];
    for (int k = 0; k < w.keyformCount; ++k) {
      const MocWarpKeyform& kf = m.warpKeyforms[static_cast<std::size_t>(w.keyformBegin + k)];
      if (!check.range(kf.positionBegin, 2 * w.vertexCount, m.keyformPositions.size(), "warp keyform positions")) {
        return false;
      }
    }
  }
  for (std::size_t i = 0; i < m.rotations.size(); ++i) {
    const MocRotation& r = m.rotations[i];
    if (!checkKeyformOwner(m, "rotation deformer " + std::to_string(i), r.keyformBindingIndex, r.keyformBegin,
                           r.keyformCount, m.rotationKeyforms.size(), check)) {
      return false;
    }
  }
  for (const MocRotationKeyform& kf : m.rotationKeyforms) {
    if (!checkColors(m, kf.colors, "rotation keyform", check)) return false;
  }

  parents.clear();
  for (std::size_t i = 0; i < m.deformers.size(); ++i) {
    const MocDeformer& d = m.deformers[i];
    const std::string what = "deformer " + d.id;
    if (!check.index(d.keyformBindingIndex, m.keyformBindings.size(), what + " keyform binding") ||
        !check.optionalIndex(d.parentPartIndex, m.parts.size(), what + " parent part") ||
        !check.optionalIndex(d.parentDeformerIndex, m.deformers.size(), what + " parent deformer") ||
        !check.index(d.specificIndex, d.type == MocDeformerType::Warp ? m.warps.size() : m.rotations.size(),
                     what + " specific")) {
      return false;
    }
    parents.push_back(d.parentDeformerIndex);
  }
  auto order = parentFirstOrder(parents);
  if (!order) return check.fail("deformers form a cycle");
  m.deformerOrder = std::move(*order);

  for (std::size_t i = 0; i < m.artMeshes.size(); ++i) {
    const MocArtMesh& a = m.artMeshes[i];
    const std::string what = "art mesh " + a.id;
    if (!checkKeyformOwner(m, what, a.keyformBindingIndex, a.keyformBegin, a.keyformCount, m.artMeshKeyforms.size(),
                           check) ||
        !check.optionalIndex(a.parentPartIndex, m.parts.size(), what + " parent part") ||
        !check.optionalIndex(a.parentDeformerIndex, m.deformers.size(), what + " parent deformer")) {
      return false;
    }
    if (a.vertexCount < 0 || a.vertexCount > 65536 || a.textureIndex < 0 || a.indexCount % 3 != 0) {
      return check.fail(what + " has invalid counts");
    }
    for (int k = 0; k < a.keyformCount; ++k) {
      const MocArtMeshKeyform& kf = m.artMeshKeyforms[static_cast<std::size_t>(a.keyformBegin + k)];
      if (!check.range(kf.positionBegin, 2 * a.vertexCount, m.keyformPositions.size(), what + " keyform positions")) {
        return false;
      }
    }
    if (!check.range(a.uvBegin, 2 * a.vertexCount, m.uvs.size(), what + " uvs") ||
        !check.range(a.indexBegin, a.indexCount, m.positionIndices.size(), what + " indices") ||
        !check.range(a.maskBegin, a.maskCount, m.drawableMasks.size(), what + " masks")) {
      return false;
    }
    for (int k = 0; k < a.indexCount; ++k) {
      if (m.positionIndices[static_cast<std::size_t>(a.indexBegin + k)] >= a.vertexCount) {
        return check.fail(what + " has a vertex index out of range");
      }
    }
    for (int k = 0; k < a.maskCount; ++k) {
      if (!check.optionalIndex(m.drawableMasks[static_cast<std::size_t>(a.maskBegin + k)], m.artMeshes.size(),
                               what + " mask")) {
        return false;
      }
    }
  }
  for (const MocArtMeshKeyform& kf : m.artMeshKeyforms) {
    if (!checkColors(m, kf.colors, "art mesh keyform", check)) return false;
  }

  for (std::size_t g = 0; g < m.drawOrderGroups.size(); ++g) {
    const MocDrawOrderGroup& group = m.drawOrderGroups[g];
    if (!check.range(group.objectBegin, group.objectCount, m.drawOrderGroupObjects.size(), "draw order group")) {
      return false;
    }
    for (int k = 0; k < group.objectCount; ++k) {
      const MocDrawOrderGroupObject& o = m.drawOrderGroupObjects[static_cast<std::size_t>(group.objectBegin + k)];
      if (o.type == MocDrawOrderObjectType::ArtMesh) {
        if (!check.index(o.index, m.artMeshes.size(), "draw order art mesh")) return false;
      } else {
        if (!check.index(o.index, m.parts.size(), "draw order part") ||
            !check.optionalIndex(o.selfIndex, m.drawOrderGroups.size(), "draw order nested group")) {
          return false;
        }
      }
    }
  }

  for (std::size_t i = 0; i < m.glues.size(); ++i) {
    const MocGlue& gl = m.glues[i];
    const std::string what = "glue " + gl.id;
    if (!checkKeyformOwner(m, what, gl.keyformBindingIndex, gl.keyformBegin, gl.keyformCount,
                           m.glueIntensities.size(), check) ||
        !check.index(gl.artMeshA, m.artMeshes.size(), what + " mesh A") ||
        !check.index(gl.artMeshB, m.artMeshes.size(), what + " mesh B") ||
        !check.range(gl.infoBegin, gl.infoCount, m.glueInfos.size(), what + " info")) {
      return false;
    }
    if (gl.infoCount % 2 != 0) return check.fail(what + " has an odd info count");
    const int countA = m.artMeshes[static_cast<std::size_t>(gl.artMeshA)].vertexCount;
    const int countB = m.artMeshes[static_cast<std::size_t>(gl.artMeshB)].vertexCount;
    for (int k = 0; k < gl.infoCount; k += 2) {
      if (!check.index(m.glueInfos[static_cast<std::size_t>(gl.infoBegin + k)].vertexIndex,
                       static_cast<std::size_t>(countA), what + " vertex A") ||
          !check.index(m.glueInfos[static_cast<std::size_t>(gl.infoBegin + k + 1)].vertexIndex,
                       static_cast<std::size_t>(countB), what + " vertex B")) {
        return false;
      }
    }
  }

  for (std::size_t i = 0; i < m.blendShapeParameterBindings.size(); ++i) {
    const auto& pb = m.blendShapeParameterBindings[i];
    if (pb.keyCount < 1 || !check.range(pb.keyBegin, pb.keyCount, m.keys.size(), "blend-shape binding keys") ||
        !check.index(pb.baseKeyIndex, static_cast<std::size_t>(pb.keyCount), "blend-shape base key")) {
      return false;
    }
  }
  for (const MocBlendShapeConstraint& con : m.blendShapeConstraints) {
    if (!check.index(con.parameterIndex, m.parameters.size(), "blend-shape constraint parameter") ||
        !check.range(con.valueBegin, con.valueCount, m.blendShapeConstraintValues.size(), "constraint values")) {
      return false;
    }
  }
  const auto positionsFit = [&](int positionBegin, int vertexCount) {
    return positionBegin >= 0 &&
           static_cast<std::uint64_t>(positionBegin) + 2ull * static_cast<std::uint64_t>(vertexCount) <=
               m.keyformPositions.size();
  };
  const auto fits = [](int begin, int count, std::size_t size) {
    return begin >= 0 && count >= 0 && static_cast<std::uint64_t>(begin) + static_cast<std::uint64_t>(count) <= size;
  };
  if (!checkBlendShapes(m, m.blendShapesWarps, m.warps.size(), "warp", check, [&](int t, int b, int n) {
        if (!fits(b, n, m.warpKeyforms.size())) return false;
        for (int k = 0; k < n; ++k) {
          if (!positionsFit(m.warpKeyforms[static_cast<std::size_t>(b + k)].positionBegin,
                            m.warps[static_cast<std::size_t>(t)].vertexCount)) {
            return false;
          }
        }
        return true;
      }) ||
      !checkBlendShapes(m, m.blendShapesArtMeshes, m.artMeshes.size(), "art mesh", check, [&](int t, int b, int n) {
        if (!fits(b, n, m.artMeshKeyforms.size())) return false;
        for (int k = 0; k < n; ++k) {
          if (!positionsFit(m.artMeshKeyforms[static_cast<std::size_t>(b + k)].positionBegin,
                            m.artMeshes[static_cast<std::size_t>(t)].vertexCount)) {
            return false;
          }
        }
        return true;
      }) ||
      !checkBlendShapes(m, m.blendShapesParts, m.parts.size(), "part", check,
                        [&](int, int b, int n) { return fits(b, n, m.partKeyformDrawOrders.size()); }) ||
      !checkBlendShapes(m, m.blendShapesRotations, m.rotations.size(), "rotation", check,
                        [&](int, int b, int n) { return fits(b, n, m.rotationKeyforms.size()); }) ||
      !checkBlendShapes(m, m.blendShapesGlues, m.glues.size(), "glue", check,
                        [&](int, int b, int n) { return fits(b, n, m.glueIntensities.size()); })) {
    return false;
  }
  return true;
}

std::optional<MocData> readMoc3(std::span<const std::uint8_t> bytes, std::string* error) {
  const auto fail = [&](std::string message) -> std::optional<MocData> {
    if (error) *error = std::move(message);
    return std::nullopt;
  };
  if (bytes.size() < kSectionTableOffset + kSectionTableSize) return fail("file too short for a moc3 header");
  if (std::memcmp(bytes.data(), "MOC3", 4) != 0) return fail("not a moc3 file (bad magic)");
  const int version = bytes[4];
  if (version < 1) return fail("invalid moc3 version 0");
  if (version > kMocLatestVersion) {
    return fail("moc3 version " + std::to_string(version) + " is newer than the supported version " +
                std::to_string(kMocLatestVersion));
  }
  SlotReader r(bytes, bytes[5] != 0);
  MocData m;
  m.version = version;

  const int countSlots = version >= 5 ? kCountSlots : version >= 4 ? kBlendShapesParts : kMultiplyColors;
  std::uint32_t n[kCountSlots] = {};
  if (!r.each(1, static_cast<std::size_t>(countSlots) * 4, "count table", [&](std::uint32_t, const std::uint8_t* p) {
        for (int i = 0; i < countSlots; ++i) n[i] = r.u32(p + i * 4);
      })) {
    return fail(r.error());
  }
  if (!r.each(1, 21, "canvas info", [&](std::uint32_t, const std::uint8_t* p) {
        m.canvas.pixelsPerUnit = r.f32(p);
        m.canvas.originX = r.f32(p + 4);
        m.canvas.originY = r.f32(p + 8);
        m.canvas.width = r.f32(p + 12);
        m.canvas.height = r.f32(p + 16);
        m.canvas.flags = p[20];
      })) {
    return fail(r.error());
  }
  // Every array must fit in the file, so no count below can allocate more than a small multiple of it.
  for (int i = 0; i < countSlots; ++i) {
    if (n[i] > bytes.size()) return fail("count " + std::to_string(i) + " exceeds the file size");
  }

  bool ok = true;
  const auto s32 = [&](auto& vec, auto member, const char* what) {
    ok = ok && r.each(static_cast<std::uint32_t>(vec.size()), 4, what,
                      [&](std::uint32_t i, const std::uint8_t* p) { vec[i].*member = r.s32(p); });
  };
  const auto f32 = [&](auto& vec, auto member, const char* what) {
    ok = ok && r.each(static_cast<std::uint32_t>(vec.size()), 4, what,
                      [&](std::uint32_t i, const std::uint8_t* p) { vec[i].*member = r.f32(p); });
  };
  const auto flag = [&](auto& vec, auto member, const char* what) {
    ok = ok && r.each(static_cast<std::uint32_t>(vec.size()), 4, what,
                      [&](std::uint32_t i, const std::uint8_t* p) { vec[i].*member = r.u32(p) != 0; });
  };
  const auto ids = [&](auto& vec, const char* what) {
    ok = ok && r.skip(static_cast<std::uint32_t>(vec.size()), kRuntimeSlotSize, what) &&
         r.each(static_cast<std::uint32_t>(vec.size()), kIdSize, what,
                [&](std::uint32_t i, const std::uint8_t* p) { vec[i].id = readId(p); });
  };
  const auto floats = [&](std::vector<float>& vec, std::uint32_t count, const char* what) {
    vec.resize(count);
    ok = ok && r.each(count, 4, what, [&](std::uint32_t i, const std::uint8_t* p) { vec[i] = r.f32(p); });
  };
  const auto ints = [&](std::vector<int>& vec, std::uint32_t count, const char* what) {
    vec.resize(count);
    ok = ok && r.each(count, 4, what, [&](std::uint32_t i, const std::uint8_t* p) { vec[i] = r.s32(p); });
  };

  m.parts.resize(n[kParts]);
  ids(m.parts, "parts");
  s32(m.parts, &MocPart::keyformBindingIndex, "parts");
  s32(m.parts, &MocPart::keyformBegin, "parts");
  s32(m.parts, &MocPart::keyformCount, "parts");
  flag(m.parts, &MocPart::visible, "parts");
  flag(m.parts, &MocPart::enabled, "parts");
  s32(m.parts, &MocPart::parentPartIndex, "parts");

  m.deformers.resize(n[kDeformers]);
  ids(m.deformers, "deformers");
  s32(m.deformers, &MocDeformer::keyformBindingIndex, "deformers");
  flag(m.deformers, &MocDeformer::visible, "deformers");
  flag(m.deformers, &MocDeformer::enabled, "deformers");
  s32(m.deformers, &MocDeformer::parentPartIndex, "deformers");
  s32(m.deformers, &MocDeformer::parentDeformerIndex, "deformers");
  ok = ok && r.each(n[kDeformers], 4, "deformers", [&](std::uint32_t i, const std::uint8_t* p) {
         m.deformers[i].type = r.u32(p) == 0 ? MocDeformerType::Warp : MocDeformerType::Rotation;
       });
  s32(m.deformers, &MocDeformer::specificIndex, "deformers");

  m.warps.resize(n[kWarpDeformers]);
  s32(m.warps, &MocWarp::keyformBindingIndex, "warp deformers");
  s32(m.warps, &MocWarp::keyformBegin, "warp deformers");
  s32(m.warps, &MocWarp::keyformCount, "warp deformers");
  s32(m.warps, &MocWarp::vertexCount, "warp deformers");
  s32(m.warps, &MocWarp::rows, "warp deformers");
  s32(m.warps, &MocWarp::columns, "warp deformers");

  m.rotations.resize(n[kRotationDeformers]);
  s32(m.rotations, &MocRotation::keyformBindingIndex, "rotation deformers");
  s32(m.rotations, &MocRotation::keyformBegin, "rotation deformers");
  s32(m.rotations, &MocRotation::keyformCount, "rotation deformers");
  f32(m.rotations, &MocRotation::baseAngle, "rotation deformers");

  m.artMeshes.resize(n[kArtMeshes]);
  for (int i = 0; i < 3 && ok; ++i) ok = r.skip(n[kArtMeshes], kRuntimeSlotSize, "art meshes");
  ids(m.artMeshes, "art meshes");
  s32(m.artMeshes, &MocArtMesh::keyformBindingIndex, "art meshes");
  s32(m.artMeshes, &MocArtMesh::keyformBegin, "art meshes");
  s32(m.artMeshes, &MocArtMesh::keyformCount, "art meshes");
  flag(m.artMeshes, &MocArtMesh::visible, "art meshes");
  flag(m.artMeshes, &MocArtMesh::enabled, "art meshes");
  s32(m.artMeshes, &MocArtMesh::parentPartIndex, "art meshes");
  s32(m.artMeshes, &MocArtMesh::parentDeformerIndex, "art meshes");
  s32(m.artMeshes, &MocArtMesh::textureIndex, "art meshes");
  ok = ok && r.each(n[kArtMeshes], 1, "art meshes",
                    [&](std::uint32_t i, const std::uint8_t* p) { m.artMeshes[i].flags = *p; });
  s32(m.artMeshes, &MocArtMesh::vertexCount, "art meshes");
  s32(m.artMeshes, &MocArtMesh::uvBegin, "art meshes");
  s32(m.artMeshes, &MocArtMesh::indexBegin, "art meshes");
  s32(m.artMeshes, &MocArtMesh::indexCount, "art meshes");
  s32(m.artMeshes, &MocArtMesh::maskBegin, "art meshes");
  s32(m.artMeshes, &MocArtMesh::maskCount, "art meshes");

  m.parameters.resize(n[kParameters]);
  ids(m.parameters, "parameters");
  f32(m.parameters, &MocParameter::maximum, "parameters");
  f32(m.parameters, &MocParameter::minimum, "parameters");
  f32(m.parameters, &MocParameter::defaultValue, "parameters");
  flag(m.parameters, &MocParameter::repeat, "parameters");
  s32(m.parameters, &MocParameter::decimalPlaces, "parameters");
  s32(m.parameters, &MocParameter::bindingBegin, "parameters");
  s32(m.parameters, &MocParameter::bindingCount, "parameters");

  floats(m.partKeyformDrawOrders, n[kPartKeyforms], "part keyforms");

  m.warpKeyforms.resize(n[kWarpKeyforms]);
  f32(m.warpKeyforms, &MocWarpKeyform::opacity, "warp keyforms");
  s32(m.warpKeyforms, &MocWarpKeyform::positionBegin, "warp keyforms");

  m.rotationKeyforms.resize(n[kRotationKeyforms]);
  f32(m.rotationKeyforms, &MocRotationKeyform::opacity, "rotation keyforms");
  f32(m.rotationKeyforms, &MocRotationKeyform::angle, "rotation keyforms");
  f32(m.rotationKeyforms, &MocRotationKeyform::originX, "rotation keyforms");
  f32(m.rotationKeyforms, &MocRotationKeyform::originY, "rotation keyforms");
  f32(m.rotationKeyforms, &MocRotationKeyform::scale, "rotation keyforms");
  flag(m.rotationKeyforms, &MocRotationKeyform::reflectX, "rotation keyforms");
  flag(m.rotationKeyforms, &MocRotationKeyform::reflectY, "rotation keyforms");

  m.artMeshKeyforms.resize(n[kArtMeshKeyforms]);
  f32(m.artMeshKeyforms, &MocArtMeshKeyform::opacity, "art mesh keyforms");
  f32(m.artMeshKeyforms, &MocArtMeshKeyform::drawOrder, "art mesh keyforms");
  s32(m.artMeshKeyforms, &MocArtMeshKeyform::positionBegin, "art mesh keyforms");

  floats(m.keyformPositions, n[kKeyformPositions], "keyform positions");
  ints(m.parameterBindingIndices, n[kParameterBindingIndices], "parameter binding indices");
  m.keyformBindings.resize(n[kKeyformBindings]);
  s32(m.keyformBindings, &MocRange::begin, "keyform bindings");
  s32(m.keyformBindings, &MocRange::count, "keyform bindings");
  m.parameterBindings.resize(n[kParameterBindings]);
  s32(m.parameterBindings, &MocRange::begin, "parameter bindings");
  s32(m.parameterBindings, &MocRange::count, "parameter bindings");
  floats(m.keys, n[kKeys], "keys");
  floats(m.uvs, n[kUvs], "uvs");
  m.positionIndices.resize(n[kPositionIndices]);
  ok = ok && r.each(n[kPositionIndices], 2, "position indices", [&](std::uint32_t i, const std::uint8_t* p) {
         m.positionIndices[i] = static_cast<std::uint16_t>(r.s16(p));
       });
  ints(m.drawableMasks, n[kDrawableMasks], "drawable masks");

  m.drawOrderGroups.resize(n[kDrawOrderGroups]);
  s32(m.drawOrderGroups, &MocDrawOrderGroup::objectBegin, "draw order groups");
  s32(m.drawOrderGroups, &MocDrawOrderGroup::objectCount, "draw order groups");
  s32(m.drawOrderGroups, &MocDrawOrderGroup::objectTotalCount, "draw order groups");
  s32(m.drawOrderGroups, &MocDrawOrderGroup::maximumDrawOrder, "draw order groups");
  s32(m.drawOrderGroups, &MocDrawOrderGroup::minimumDrawOrder, "draw order groups");
  m.drawOrderGroupObjects.resize(n[kDrawOrderGroupObjects]);
  ok = ok && r.each(n[kDrawOrderGroupObjects], 4, "draw order group objects", [&](std::uint32_t i, const std::uint8_t* p) {
         m.drawOrderGroupObjects[i].type = r.u32(p) == 0 ? MocDrawOrderObjectType::ArtMesh : MocDrawOrderObjectType::Part;
       });
  s32(m.drawOrderGroupObjects, &MocDrawOrderGroupObject::index, "draw order group objects");
  s32(m.drawOrderGroupObjects, &MocDrawOrderGroupObject::selfIndex, "draw order group objects");

  m.glues.resize(n[kGlue]);
  ids(m.glues, "glue");
  s32(m.glues, &MocGlue::keyformBindingIndex, "glue");
  s32(m.glues, &MocGlue::keyformBegin, "glue");
  s32(m.glues, &MocGlue::keyformCount, "glue");
  s32(m.glues, &MocGlue::artMeshA, "glue");
  s32(m.glues, &MocGlue::artMeshB, "glue");
  s32(m.glues, &MocGlue::infoBegin, "glue");
  s32(m.glues, &MocGlue::infoCount, "glue");
  m.glueInfos.resize(n[kGlueInfo]);
  f32(m.glueInfos, &MocGlueInfo::weight, "glue info");
  ok = ok && r.each(n[kGlueInfo], 2, "glue info",
                    [&](std::uint32_t i, const std::uint8_t* p) { m.glueInfos[i].vertexIndex = r.s16(p); });
  floats(m.glueIntensities, n[kGlueKeyforms], "glue keyforms");

  if (version >= 2) flag(m.warps, &MocWarp::quadSource, "warp quad flags");

  if (version >= 4) {
    std::vector<MocRange> parameterKeys(m.parameters.size());
    ok = ok && r.skip(n[kParameters], kRuntimeSlotSize, "parameter keys");
    s32(parameterKeys, &MocRange::begin, "parameter keys");
    s32(parameterKeys, &MocRange::count, "parameter keys");
    std::vector<int> warpColorBegin;
    std::vector<int> rotationColorBegin;
    std::vector<int> artMeshColorBegin;
    ints(warpColorBegin, n[kWarpDeformers], "warp colours");
    ints(rotationColorBegin, n[kRotationDeformers], "rotation colours");
    ints(artMeshColorBegin, n[kArtMeshes], "art mesh colours");
    m.multiplyColors.resize(n[kMultiplyColors]);
    f32(m.multiplyColors, &MocColor::r, "multiply colours");
    f32(m.multiplyColors, &MocColor::g, "multiply colours");
    f32(m.multiplyColors, &MocColor::b, "multiply colours");
    m.screenColors.resize(n[kScreenColors]);
    f32(m.screenColors, &MocColor::r, "screen colours");
    f32(m.screenColors, &MocColor::g, "screen colours");
    f32(m.screenColors, &MocColor::b, "screen colours");
    ok = ok && r.each(n[kParameters], 4, "parameter types", [&](std::uint32_t i, const std::uint8_t* p) {
           m.parameters[i].type = r.u32(p) == 1 ? MocParameterType::BlendShape : MocParameterType::Normal;
         });
    s32(m.parameters, &MocParameter::blendShapeBindingBegin, "parameters");
    s32(m.parameters, &MocParameter::blendShapeBindingCount, "parameters");
    m.blendShapeParameterBindings.resize(n[kBlendShapeParameterBindings]);
    s32(m.blendShapeParameterBindings, &MocBlendShapeParameterBinding::keyBegin, "blend-shape parameter bindings");
    s32(m.blendShapeParameterBindings, &MocBlendShapeParameterBinding::keyCount, "blend-shape parameter bindings");
    s32(m.blendShapeParameterBindings, &MocBlendShapeParameterBinding::baseKeyIndex, "blend-shape parameter bindings");
    m.blendShapeKeyformBindings.resize(n[kBlendShapeKeyformBindings]);
    s32(m.blendShapeKeyformBindings, &MocBlendShapeKeyformBinding::parameterBindingIndex, "blend-shape keyform bindings");
    s32(m.blendShapeKeyformBindings, &MocBlendShapeKeyformBinding::keyformBegin, "blend-shape keyform bindings");
    s32(m.blendShapeKeyformBindings, &MocBlendShapeKeyformBinding::keyformCount, "blend-shape keyform bindings");
    s32(m.blendShapeKeyformBindings, &MocBlendShapeKeyformBinding::constraintIndexBegin, "blend-shape keyform bindings");
    s32(m.blendShapeKeyformBindings, &MocBlendShapeKeyformBinding::constraintIndexCount, "blend-shape keyform bindings");
    const auto shapes = [&](std::vector<MocBlendShape>& vec, std::uint32_t count, const char* what) {
      vec.resize(count);
      s32(vec, &MocBlendShape::target, what);
      s32(vec, &MocBlendShape::bindingBegin, what);
      s32(vec, &MocBlendShape::bindingCount, what);
    };
    shapes(m.blendShapesWarps, n[kBlendShapesWarps], "warp blend shapes");
    shapes(m.blendShapesArtMeshes, n[kBlendShapesArtMeshes], "art mesh blend shapes");
    ints(m.blendShapeConstraintIndices, n[kBlendShapeConstraintIndices], "blend-shape constraint indices");
    m.blendShapeConstraints.resize(n[kBlendShapeConstraints]);
    s32(m.blendShapeConstraints, &MocBlendShapeConstraint::parameterIndex, "blend-shape constraints");
    s32(m.blendShapeConstraints, &MocBlendShapeConstraint::valueBegin, "blend-shape constraints");
    s32(m.blendShapeConstraints, &MocBlendShapeConstraint::valueCount, "blend-shape constraints");
    m.blendShapeConstraintValues.resize(n[kBlendShapeConstraintValues]);
    f32(m.blendShapeConstraintValues, &MocBlendShapeConstraintValue::key, "blend-shape constraint values");
    f32(m.blendShapeConstraintValues, &MocBlendShapeConstraintValue::weight, "blend-shape constraint values");
    if (!ok) return fail(r.error());

    // Before 5.0 an object's k-th keyform uses colour slot colorBegin + k.
    const auto spread = [](auto& keyforms, int begin, int count, int colorBegin) {
      if (colorBegin < 0) return;
      for (int k = 0; k < count; ++k) {
        auto& colors = keyforms[static_cast<std::size_t>(begin + k)].colors;
        colors.multiplyBegin = colorBegin + k;
        colors.screenBegin = colorBegin + k;
      }
    };
    const auto inRange = [](int begin, int count, std::size_t size) {
      return begin >= 0 && count >= 0 && static_cast<std::uint64_t>(begin) + static_cast<std::uint64_t>(count) <= size;
    };
    if (version == 4) {
      for (std::size_t i = 0; i < m.warps.size(); ++i) {
        const MocWarp& w = m.warps[i];
        if (!inRange(w.keyformBegin, w.keyformCount, m.warpKeyforms.size())) return fail("warp keyforms out of bounds");
        spread(m.warpKeyforms, w.keyformBegin, w.keyformCount, warpColorBegin[i]);
      }
      for (std::size_t i = 0; i < m.rotations.size(); ++i) {
        const MocRotation& rot = m.rotations[i];
        if (!inRange(rot.keyformBegin, rot.keyformCount, m.rotationKeyforms.size())) {
          return fail("rotation keyforms out of bounds");
        }
        spread(m.rotationKeyforms, rot.keyformBegin, rot.keyformCount, rotationColorBegin[i]);
      }
      for (std::size_t i = 0; i < m.artMeshes.size(); ++i) {
        const MocArtMesh& a = m.artMeshes[i];
        if (!inRange(a.keyformBegin, a.keyformCount, m.artMeshKeyforms.size())) {
          return fail("art mesh keyforms out of bounds");
        }
        spread(m.artMeshKeyforms, a.keyformBegin, a.keyformCount, artMeshColorBegin[i]);
      }
    }
  }
  if (version >= 5) {
    const auto colors = [&](auto& keyforms, const char* what) {
      ok = ok && r.each(static_cast<std::uint32_t>(keyforms.size()), 4, what,
                        [&](std::uint32_t i, const std::uint8_t* p) { keyforms[i].colors.multiplyBegin = r.s32(p); });
      ok = ok && r.each(static_cast<std::uint32_t>(keyforms.size()), 4, what,
                        [&](std::uint32_t i, const std::uint8_t* p) { keyforms[i].colors.screenBegin = r.s32(p); });
    };
    colors(m.warpKeyforms, "warp keyform colours");
    colors(m.rotationKeyforms, "rotation keyform colours");
    colors(m.artMeshKeyforms, "art mesh keyform colours");
    const auto shapes = [&](std::vector<MocBlendShape>& vec, std::uint32_t count, const char* what) {
      vec.resize(count);
      s32(vec, &MocBlendShape::target, what);
      s32(vec, &MocBlendShape::bindingBegin, what);
      s32(vec, &MocBlendShape::bindingCount, what);
    };
    shapes(m.blendShapesParts, n[kBlendShapesParts], "part blend shapes");
    shapes(m.blendShapesRotations, n[kBlendShapesRotations], "rotation blend shapes");
    shapes(m.blendShapesGlues, n[kBlendShapesGlue], "glue blend shapes");
  }
  if (!ok) return fail(r.error());

  std::string reason;
  if (!validateMoc(m, &reason)) return fail("malformed moc3: " + reason);
  return m;
}

}  // namespace live2d::cubism
