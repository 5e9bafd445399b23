#include "live2d/cubism/private/ModelEvaluator.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace live2d::cubism {

namespace {

constexpr float kDegreesToRadians = std::numbers::pi_v<float> / 180.0f;

// Segment j and fraction t of `value` among ascending keys; values outside the keys clamp to the ends.
void locate(const float* keys, int count, float value, int& segment, float& t) {
  segment = 0;
  t = 0.0f;
  if (count < 2 || std::isnan(value) || value <= keys[0]) return;
  if (value >= keys[count - 1]) {
    segment = count - 2;
    t = 1.0f;
    return;
  }
  for (int j = 0; j + 1 < count; ++j) {
    if (value < keys[j + 1]) {
      const float span = keys[j + 1] - keys[j];
      segment = j;
      t = span > 0.0f ? (value - keys[j]) / span : 0.0f;
      return;
    }
  }
}

Rgb screenCombine(const Rgb& parent, const Rgb& child) {
  return {parent.r + child.r - parent.r * child.r, parent.g + child.g - parent.g * child.g,
          parent.b + child.b - parent.b * child.b};
}

template <class T>
std::vector<std::vector<int>> shapesByTarget(const std::vector<MocBlendShape>& shapes, const std::vector<T>& targets) {
  std::vector<std::vector<int>> byTarget(targets.size());
  for (std::size_t i = 0; i < shapes.size(); ++i) byTarget[static_cast<std::size_t>(shapes[i].target)].push_back(static_cast<int>(i));
  return byTarget;
}

}  // namespace

ModelEvaluator::ModelEvaluator(const MocData& moc) : m_moc(moc) {
  const std::size_t meshCount = moc.artMeshes.size();
  positionOffsets.resize(meshCount);
  std::size_t total = 0;
  std::size_t maxVertices = 0;
  for (std::size_t i = 0; i < meshCount; ++i) {
    positionOffsets[i] = total;
    const auto count = static_cast<std::size_t>(moc.artMeshes[i].vertexCount);
    total += 2 * count;
    maxVertices = std::max(maxVertices, count);
  }
  positions.assign(total, 0.0f);
  opacities.assign(meshCount, 0.0f);
  drawOrders.assign(meshCount, 0.0f);
  enabled.assign(meshCount, 0);
  multiplyColors.assign(meshCount, Rgb{});
  screenColors.assign(meshCount, Rgb{0.0f, 0.0f, 0.0f});
  renderOrders.assign(meshCount, -1);
  drawSequence.reserve(meshCount);

  m_cornerBegin.assign(moc.keyformBindings.size(), 0);
  m_cornerCount.assign(moc.keyformBindings.size(), 0);
  m_corners.reserve(moc.keyformBindings.size() * 4);
  m_partDrawOrders.assign(moc.parts.size(), 0.0f);
  m_partOpacityProduct.assign(moc.parts.size(), 1.0f);
  m_partEnabled.assign(moc.parts.size(), 1);
  m_deformers.resize(moc.deformers.size());
  std::size_t gridTotal = 0;
  for (std::size_t i = 0; i < moc.deformers.size(); ++i) {
    const MocDeformer& d = moc.deformers[i];
    Deformer& out = m_deformers[i];
    out.isWarp = d.type == MocDeformerType::Warp;
    if (out.isWarp) {
      const MocWarp& w = moc.warps[static_cast<std::size_t>(d.specificIndex)];
      out.gridOffset = gridTotal;
      out.rows = w.rows;
      out.columns = w.columns;
      out.quadSource = w.quadSource;
      gridTotal += 2 * static_cast<std::size_t>(w.vertexCount);
    }
  }
  m_grids.assign(gridTotal, 0.0f);
  m_glueIntensity.assign(moc.glues.size(), 0.0f);
  m_groupScratch.resize(moc.drawOrderGroups.size() + 1);
  m_groupActive.assign(moc.drawOrderGroups.size(), 0);
  m_meshScratch.assign(2 * maxVertices, 0.0f);
  m_warpShapes = shapesByTarget(moc.blendShapesWarps, moc.warps);
  m_meshShapes = shapesByTarget(moc.blendShapesArtMeshes, moc.artMeshes);
  m_partShapes = shapesByTarget(moc.blendShapesParts, moc.parts);
  m_rotationShapes = shapesByTarget(moc.blendShapesRotations, moc.rotations);
  m_glueShapes = shapesByTarget(moc.blendShapesGlues, moc.glues);
}

void ModelEvaluator::evaluate(const float* parameters, const float* partOpacities) {
  computeBindingWeights(parameters);
  evaluateParts(partOpacities, parameters);
  evaluateDeformers(parameters);
  evaluateArtMeshes(parameters);
  applyGlue(parameters);
  computeRenderOrder();
}

void ModelEvaluator::computeBindingWeights(const float* parameters) {
  m_corners.clear();
  for (std::size_t b = 0; b < m_moc.keyformBindings.size(); ++b) {
    const MocRange& binding = m_moc.keyformBindings[b];
    const std::size_t begin = m_corners.size();
    m_corners.push_back({0, 1.0f});
    int stride = 1;
    for (int i = 0; i < binding.count; ++i) {
      const int pbIndex = m_moc.parameterBindingIndices[static_cast<std::size_t>(binding.begin + i)];
      const MocRange& pb = m_moc.parameterBindings[static_cast<std::size_t>(pbIndex)];
      const float* keys = m_moc.keys.data() + pb.begin;
      const int parameter = m_moc.parameterOfBinding[static_cast<std::size_t>(pbIndex)];
      const float value = parameter >= 0 ? parameters[parameter] : keys[0];
      int segment = 0;
      float t = 0.0f;
      locate(keys, pb.count, value, segment, t);
      const std::size_t end = m_corners.size();
      if (pb.count > 1) {
        if (t <= 0.0f || t >= 1.0f) {
          const int add = (t >= 1.0f ? segment + 1 : segment) * stride;
          for (std::size_t c = begin; c < end; ++c) m_corners[c].offset += add;
        } else {
          for (std::size_t c = begin; c < end; ++c) {
            Corner upper{m_corners[c].offset + (segment + 1) * stride, m_corners[c].weight * t};
            m_corners[c].offset += segment * stride;
            m_corners[c].weight *= 1.0f - t;
            m_corners.push_back(upper);
          }
        }
      }
      stride *= pb.count;
    }
    m_cornerBegin[b] = begin;
    m_cornerCount[b] = static_cast<int>(m_corners.size() - begin);
  }
}

bool ModelEvaluator::blendShapeCorners(const MocBlendShapeKeyformBinding& binding, const float* parameters,
                                       Corner* corners, int* baseOffset) const {
  const auto bindingIndex = static_cast<std::size_t>(binding.parameterBindingIndex);
  const MocBlendShapeParameterBinding& pb = m_moc.blendShapeParameterBindings[bindingIndex];
  const float* keys = m_moc.keys.data() + pb.keyBegin;
  const int parameter = m_moc.parameterOfBlendShapeBinding[bindingIndex];
  const float value = parameter >= 0 ? parameters[parameter] : keys[pb.baseKeyIndex];
  int segment = 0;
  float t = 0.0f;
  locate(keys, pb.keyCount, value, segment, t);
  corners[0] = {segment, 1.0f - t};
  corners[1] = {pb.keyCount > 1 ? segment + 1 : segment, pb.keyCount > 1 ? t : 0.0f};
  *baseOffset = pb.baseKeyIndex;
  // At the base key the shape adds nothing; skip the work.
  return !(corners[0].offset == pb.baseKeyIndex && corners[0].weight >= 1.0f) &&
         !(corners[1].offset == pb.baseKeyIndex && corners[1].weight >= 1.0f);
}

float ModelEvaluator::blendShapeWeight(const MocBlendShapeKeyformBinding& binding, const float* parameters) const {
  float weight = 1.0f;
  for (int c = 0; c < binding.constraintIndexCount; ++c) {
    const int ci = m_moc.blendShapeConstraintIndices[static_cast<std::size_t>(binding.constraintIndexBegin + c)];
    const MocBlendShapeConstraint& con = m_moc.blendShapeConstraints[static_cast<std::size_t>(ci)];
    if (con.valueCount == 0) continue;
    const MocBlendShapeConstraintValue* values = m_moc.blendShapeConstraintValues.data() + con.valueBegin;
    const float v = parameters[con.parameterIndex];
    float w = values[0].weight;
    if (con.valueCount > 1 && v > values[0].key) {
      w = values[con.valueCount - 1].weight;
      for (int k = 0; k + 1 < con.valueCount; ++k) {
        if (v < values[k + 1].key) {
          const float span = values[k + 1].key - values[k].key;
          const float t = span > 0.0f ? (v - values[k].key) / span : 0.0f;
          w = values[k].weight + (values[k + 1].weight - values[k].weight) * t;
          break;
        }
      }
    }
    weight = std::min(weight, w);
  }
  return weight;
}

void ModelEvaluator::evaluateParts(const float* partOpacities, const float* parameters) {
  for (std::size_t p = 0; p < m_moc.parts.size(); ++p) {
    const MocPart& part = m_moc.parts[p];
    const auto b = static_cast<std::size_t>(part.keyformBindingIndex);
    float order = 0.0f;
    for (int c = 0; c < m_cornerCount[b]; ++c) {
      const Corner& corner = m_corners[m_cornerBegin[b] + static_cast<std::size_t>(c)];
      order += corner.weight * m_moc.partKeyformDrawOrders[static_cast<std::size_t>(part.keyformBegin + corner.offset)];
    }
    for (int shapeIndex : m_partShapes[p]) {
      const MocBlendShape& shape = m_moc.blendShapesParts[static_cast<std::size_t>(shapeIndex)];
      for (int k = 0; k < shape.bindingCount; ++k) {
        const auto& kb = m_moc.blendShapeKeyformBindings[static_cast<std::size_t>(shape.bindingBegin + k)];
        Corner corners[2];
        int base = 0;
        if (!blendShapeCorners(kb, parameters, corners, &base)) continue;
        const float* values = m_moc.partKeyformDrawOrders.data() + kb.keyformBegin;
        const float delta = corners[0].weight * values[corners[0].offset] +
                            corners[1].weight * values[corners[1].offset] - values[base];
        order += delta * blendShapeWeight(kb, parameters);
      }
    }
    m_partDrawOrders[p] = order;
  }
  for (int p : m_moc.partOrder) {
    const MocPart& part = m_moc.parts[static_cast<std::size_t>(p)];
    float product = partOpacities[p];
    bool on = part.enabled;
    if (part.parentPartIndex >= 0) {
      product *= m_partOpacityProduct[static_cast<std::size_t>(part.parentPartIndex)];
      on = on && m_partEnabled[static_cast<std::size_t>(part.parentPartIndex)] != 0;
    }
    m_partOpacityProduct[static_cast<std::size_t>(p)] = product;
    m_partEnabled[static_cast<std::size_t>(p)] = on ? 1 : 0;
  }
}

Rgb ModelEvaluator::blendColor(const std::vector<MocColor>& table, int slot, const Rgb& neutral) const {
  if (slot < 0) return neutral;
  const MocColor& c = table[static_cast<std::size_t>(slot)];
  return {c.r, c.g, c.b};
}

void ModelEvaluator::evaluateDeformers(const float* parameters) {
  const Rgb white{};
  const Rgb black{0.0f, 0.0f, 0.0f};
  for (int index : m_moc.deformerOrder) {
    const MocDeformer& record = m_moc.deformers[static_cast<std::size_t>(index)];
    Deformer& d = m_deformers[static_cast<std::size_t>(index)];
    const Deformer* parent =
        record.parentDeformerIndex >= 0 ? &m_deformers[static_cast<std::size_t>(record.parentDeformerIndex)] : nullptr;
    d.enabled = record.enabled && (record.parentPartIndex < 0 ||
                                   m_partEnabled[static_cast<std::size_t>(record.parentPartIndex)] != 0) &&
                (!parent || parent->enabled);
    float opacity = 0.0f;
    Rgb multiply{0.0f, 0.0f, 0.0f};
    Rgb screen{0.0f, 0.0f, 0.0f};
    const auto addColors = [&](const MocKeyformColors& colors, float w) {
      const Rgb m = blendColor(m_moc.multiplyColors, colors.multiplyBegin, white);
      const Rgb s = blendColor(m_moc.screenColors, colors.screenBegin, black);
      multiply.r += w * m.r;
      multiply.g += w * m.g;
      multiply.b += w * m.b;
      screen.r += w * s.r;
      screen.g += w * s.g;
      screen.b += w * s.b;
    };

    if (d.isWarp) {
      const auto specific = static_cast<std::size_t>(record.specificIndex);
      const MocWarp& warp = m_moc.warps[specific];
      const auto b = static_cast<std::size_t>(warp.keyformBindingIndex);
      float* grid = m_grids.data() + d.gridOffset;
      const int floats = 2 * warp.vertexCount;
      std::fill(grid, grid + floats, 0.0f);
      for (int c = 0; c < m_cornerCount[b]; ++c) {
        const Corner& corner = m_corners[m_cornerBegin[b] + static_cast<std::size_t>(c)];
        const MocWarpKeyform& kf = m_moc.warpKeyforms[static_cast<std::size_t>(warp.keyformBegin + corner.offset)];
        const float* src = m_moc.keyformPositions.data() + kf.positionBegin;
        for (int k = 0; k < floats; ++k) grid[k] += corner.weight * src[k];
        opacity += corner.weight * kf.opacity;
        addColors(kf.colors, corner.weight);
      }
      for (int shapeIndex : m_warpShapes[specific]) {
        const MocBlendShape& shape = m_moc.blendShapesWarps[static_cast<std::size_t>(shapeIndex)];
        for (int s = 0; s < shape.bindingCount; ++s) {
          const auto& kb = m_moc.blendShapeKeyformBindings[static_cast<std::size_t>(shape.bindingBegin + s)];
          Corner corners[2];
          int base = 0;
          if (!blendShapeCorners(kb, parameters, corners, &base)) continue;
          const float weight = blendShapeWeight(kb, parameters);
          const auto& k0 = m_moc.warpKeyforms[static_cast<std::size_t>(kb.keyformBegin + corners[0].offset)];
          const auto& k1 = m_moc.warpKeyforms[static_cast<std::size_t>(kb.keyformBegin + corners[1].offset)];
          const auto& kbase = m_moc.warpKeyforms[static_cast<std::size_t>(kb.keyformBegin + base)];
          const float* p0 = m_moc.keyformPositions.data() + k0.positionBegin;
          const float* p1 = m_moc.keyformPositions.data() + k1.positionBegin;
          const float* pb = m_moc.keyformPositions.data() + kbase.positionBegin;
          for (int k = 0; k < floats; ++k) {
            grid[k] += weight * (corners[0].weight * p0[k] + corners[1].weight * p1[k] - pb[k]);
          }
          opacity += weight * (corners[0].weight * k0.opacity + corners[1].weight * k1.opacity - kbase.opacity);
        }
      }
      if (parent) {
        for (int k = 0; k < floats; k += 2) transformPoint(*parent, grid[k], grid[k + 1], grid[k], grid[k + 1]);
        d.accumulatedScale = parent->isWarp ? parent->accumulatedScale : parent->scale;
      } else {
        d.accumulatedScale = 1.0f;
      }
    } else {
      const auto specific = static_cast<std::size_t>(record.specificIndex);
      const MocRotation& rotation = m_moc.rotations[specific];
      const auto b = static_cast<std::size_t>(rotation.keyformBindingIndex);
      float angle = 0.0f;
      float originX = 0.0f;
      float originY = 0.0f;
      float scale = 0.0f;
      float heaviest = -1.0f;
      for (int c = 0; c < m_cornerCount[b]; ++c) {
        const Corner& corner = m_corners[m_cornerBegin[b] + static_cast<std::size_t>(c)];
        const MocRotationKeyform& kf =
            m_moc.rotationKeyforms[static_cast<std::size_t>(rotation.keyformBegin + corner.offset)];
        angle += corner.weight * kf.angle;
        originX += corner.weight * kf.originX;
        originY += corner.weight * kf.originY;
        scale += corner.weight * kf.scale;
        opacity += corner.weight * kf.opacity;
        addColors(kf.colors, corner.weight);
        // Flags cannot be blended: the heaviest keyform decides.
        if (corner.weight > heaviest) {
          heaviest = corner.weight;
          d.reflectX = kf.reflectX;
          d.reflectY = kf.reflectY;
        }
      }
      for (int shapeIndex : m_rotationShapes[specific]) {
        const MocBlendShape& shape = m_moc.blendShapesRotations[static_cast<std::size_t>(shapeIndex)];
        for (int s = 0; s < shape.bindingCount; ++s) {
          const auto& kb = m_moc.blendShapeKeyformBindings[static_cast<std::size_t>(shape.bindingBegin + s)];
          Corner corners[2];
          int base = 0;
          if (!blendShapeCorners(kb, parameters, corners, &base)) continue;
          const float w = blendShapeWeight(kb, parameters);
          const auto& k0 = m_moc.rotationKeyforms[static_cast<std::size_t>(kb.keyformBegin + corners[0].offset)];
          const auto& k1 = m_moc.rotationKeyforms[static_cast<std::size_t>(kb.keyformBegin + corners[1].offset)];
          const auto& kbase = m_moc.rotationKeyforms[static_cast<std::size_t>(kb.keyformBegin + base)];
          const auto delta = [&](float MocRotationKeyform::*field) {
            return w * (corners[0].weight * (k0.*field) + corners[1].weight * (k1.*field) - (kbase.*field));
          };
          angle += delta(&MocRotationKeyform::angle);
          originX += delta(&MocRotationKeyform::originX);
          originY += delta(&MocRotationKeyform::originY);
          scale += delta(&MocRotationKeyform::scale);
          opacity += delta(&MocRotationKeyform::opacity);
        }
      }
      angle += rotation.baseAngle;
      if (!parent) {
        d.originX = originX;
        d.originY = originY;
        d.angleDegrees = angle;
        d.scale = scale;
      } else if (!parent->isWarp) {
        transformPoint(*parent, originX, originY, d.originX, d.originY);
        d.angleDegrees = angle + parent->angleDegrees;
        d.scale = scale * parent->scale;
        d.reflectX = d.reflectX != parent->reflectX;
        d.reflectY = d.reflectY != parent->reflectY;
      } else {
        // A warp is not linear, so the rotation is not carried out inside its grid: the origin goes through
        // the warp and the warp's local turn at that point is added to the angle.
        warpPoint(*parent, originX, originY, d.originX, d.originY);
        float step = 0.1f;
        float dx = 0.0f;
        float dy = 0.0f;
        for (int attempt = 0; attempt < 10; ++attempt) {
          float tipX = 0.0f;
          float tipY = 0.0f;
          warpPoint(*parent, originX, originY - step, tipX, tipY);
          dx = tipX - d.originX;
          dy = tipY - d.originY;
          if (dx != 0.0f || dy != 0.0f) break;
          step *= 0.1f;
        }
        float turn = 0.0f;
        if (dx != 0.0f || dy != 0.0f) {
          turn = (std::atan2(dy, dx) - std::atan2(-1.0f, 0.0f)) / kDegreesToRadians;
          if (turn > 180.0f) turn -= 360.0f;
          if (turn < -180.0f) turn += 360.0f;
        }
        d.angleDegrees = angle + turn;
        d.scale = scale * parent->accumulatedScale;
      }
      d.accumulatedScale = d.scale;
      d.cosAngle = std::cos(d.angleDegrees * kDegreesToRadians);
      d.sinAngle = std::sin(d.angleDegrees * kDegreesToRadians);
    }

    if (parent) {
      opacity *= parent->opacity;
      multiply = {multiply.r * parent->multiply.r, multiply.g * parent->multiply.g, multiply.b * parent->multiply.b};
      screen = screenCombine(parent->screen, screen);
    }
    d.opacity = opacity;
    d.multiply = multiply;
    d.screen = screen;
  }
}

void ModelEvaluator::warpPoint(const Deformer& d, float x, float y, float& outX, float& outY) const {
  const float* grid = m_grids.data() + d.gridOffset;
  const int columns = d.columns;
  const int rows = d.rows;
  const int stride = columns + 1;
  if (std::isnan(x)) x = 0.0f;
  if (std::isnan(y)) y = 0.0f;
  // Outside the grid the result continues from the nearest edge point along the grid's mean axes, so
  // meshes that reach slightly past their warp stay attached to it.
  const float cx = x < 0.0f ? 0.0f : (x > 1.0f ? 1.0f : x);
  const float cy = y < 0.0f ? 0.0f : (y > 1.0f ? 1.0f : y);
  const float fx = cx * static_cast<float>(columns);
  const float fy = cy * static_cast<float>(rows);
  const int i = std::min(static_cast<int>(fx), columns - 1);
  const int j = std::min(static_cast<int>(fy), rows - 1);
  const float tx = fx - static_cast<float>(i);
  const float ty = fy - static_cast<float>(j);
  const float* p00 = grid + 2 * (i + j * stride);
  const float* p10 = p00 + 2;
  const float* p01 = p00 + 2 * stride;
  const float* p11 = p01 + 2;
  float rx = 0.0f;
  float ry = 0.0f;
  if (d.quadSource) {
    rx = (1 - ty) * ((1 - tx) * p00[0] + tx * p10[0]) + ty * ((1 - tx) * p01[0] + tx * p11[0]);
    ry = (1 - ty) * ((1 - tx) * p00[1] + tx * p10[1]) + ty * ((1 - tx) * p01[1] + tx * p11[1]);
  } else if (tx + ty <= 1.0f) {
    rx = p00[0] + tx * (p10[0] - p00[0]) + ty * (p01[0] - p00[0]);
    ry = p00[1] + tx * (p10[1] - p00[1]) + ty * (p01[1] - p00[1]);
  } else {
    rx = p11[0] + (1 - tx) * (p01[0] - p11[0]) + (1 - ty) * (p10[0] - p11[0]);
    ry = p11[1] + (1 - tx) * (p01[1] - p11[1]) + (1 - ty) * (p10[1] - p11[1]);
  }
  if (cx != x || cy != y) {
    const float* c00 = grid;
    const float* c10 = grid + 2 * columns;
    const float* c01 = grid + 2 * (rows * stride);
    const float* c11 = c01 + 2 * columns;
    const float vxX = ((c11[0] - c00[0]) + (c10[0] - c01[0])) * 0.5f;
    const float vxY = ((c11[1] - c00[1]) + (c10[1] - c01[1])) * 0.5f;
    const float vyX = ((c11[0] - c00[0]) - (c10[0] - c01[0])) * 0.5f;
    const float vyY = ((c11[1] - c00[1]) - (c10[1] - c01[1])) * 0.5f;
    rx += (x - cx) * vxX + (y - cy) * vyX;
    ry += (x - cx) * vxY + (y - cy) * vyY;
  }
  outX = rx;
  outY = ry;
}

void ModelEvaluator::transformPoint(const Deformer& d, float x, float y, float& outX, float& outY) const {
  if (d.isWarp) {
    warpPoint(d, x, y, outX, outY);
    return;
  }
  const float qx = x * d.scale * (d.reflectX ? -1.0f : 1.0f);
  const float qy = y * d.scale * (d.reflectY ? -1.0f : 1.0f);
  outX = d.originX + d.cosAngle * qx - d.sinAngle * qy;
  outY = d.originY + d.sinAngle * qx + d.cosAngle * qy;
}

void ModelEvaluator::evaluateArtMeshes(const float* parameters) {
  const Rgb white{};
  const Rgb black{0.0f, 0.0f, 0.0f};
  for (std::size_t i = 0; i < m_moc.artMeshes.size(); ++i) {
    const MocArtMesh& mesh = m_moc.artMeshes[i];
    const auto b = static_cast<std::size_t>(mesh.keyformBindingIndex);
    const int floats = 2 * mesh.vertexCount;
    float* local = m_meshScratch.data();
    std::fill(local, local + floats, 0.0f);
    float opacity = 0.0f;
    float drawOrder = 0.0f;
    Rgb multiply{0.0f, 0.0f, 0.0f};
    Rgb screen{0.0f, 0.0f, 0.0f};
    for (int c = 0; c < m_cornerCount[b]; ++c) {
      const Corner& corner = m_corners[m_cornerBegin[b] + static_cast<std::size_t>(c)];
      const MocArtMeshKeyform& kf = m_moc.artMeshKeyforms[static_cast<std::size_t>(mesh.keyformBegin + corner.offset)];
      const float* src = m_moc.keyformPositions.data() + kf.positionBegin;
      const float w = corner.weight;
      for (int k = 0; k < floats; ++k) local[k] += w * src[k];
      opacity += w * kf.opacity;
      drawOrder += w * kf.drawOrder;
      const Rgb m = blendColor(m_moc.multiplyColors, kf.colors.multiplyBegin, white);
      const Rgb s = blendColor(m_moc.screenColors, kf.colors.screenBegin, black);
      multiply = {multiply.r + w * m.r, multiply.g + w * m.g, multiply.b + w * m.b};
      screen = {screen.r + w * s.r, screen.g + w * s.g, screen.b + w * s.b};
    }
    for (int shapeIndex : m_meshShapes[i]) {
      const MocBlendShape& shape = m_moc.blendShapesArtMeshes[static_cast<std::size_t>(shapeIndex)];
      for (int s = 0; s < shape.bindingCount; ++s) {
        const auto& kb = m_moc.blendShapeKeyformBindings[static_cast<std::size_t>(shape.bindingBegin + s)];
        Corner corners[2];
        int base = 0;
        if (!blendShapeCorners(kb, parameters, corners, &base)) continue;
        const float weight = blendShapeWeight(kb, parameters);
        const auto& k0 = m_moc.artMeshKeyforms[static_cast<std::size_t>(kb.keyformBegin + corners[0].offset)];
        const auto& k1 = m_moc.artMeshKeyforms[static_cast<std::size_t>(kb.keyformBegin + corners[1].offset)];
        const auto& kbase = m_moc.artMeshKeyforms[static_cast<std::size_t>(kb.keyformBegin + base)];
        const float* p0 = m_moc.keyformPositions.data() + k0.positionBegin;
        const float* p1 = m_moc.keyformPositions.data() + k1.positionBegin;
        const float* pb = m_moc.keyformPositions.data() + kbase.positionBegin;
        for (int k = 0; k < floats; ++k) local[k] += weight * (corners[0].weight * p0[k] + corners[1].weight * p1[k] - pb[k]);
        opacity += weight * (corners[0].weight * k0.opacity + corners[1].weight * k1.opacity - kbase.opacity);
        drawOrder += weight * (corners[0].weight * k0.drawOrder + corners[1].weight * k1.drawOrder - kbase.drawOrder);
      }
    }

    bool on = mesh.enabled;
    float* out = positions.data() + positionOffsets[i];
    if (mesh.parentPartIndex >= 0) {
      opacity *= m_partOpacityProduct[static_cast<std::size_t>(mesh.parentPartIndex)];
      on = on && m_partEnabled[static_cast<std::size_t>(mesh.parentPartIndex)] != 0;
    }
    if (mesh.parentDeformerIndex >= 0) {
      const Deformer& d = m_deformers[static_cast<std::size_t>(mesh.parentDeformerIndex)];
      for (int k = 0; k < floats; k += 2) transformPoint(d, local[k], local[k + 1], out[k], out[k + 1]);
      opacity *= d.opacity;
      on = on && d.enabled;
      multiply = {multiply.r * d.multiply.r, multiply.g * d.multiply.g, multiply.b * d.multiply.b};
      screen = screenCombine(d.screen, screen);
    } else {
      std::copy(local, local + floats, out);
    }
    // The moc's y axis points down; the framework's matrices work with y up.
    for (int k = 1; k < floats; k += 2) out[k] = -out[k];
    opacities[i] = opacity;
    drawOrders[i] = drawOrder;
    enabled[i] = on ? 1 : 0;
    multiplyColors[i] = multiply;
    screenColors[i] = screen;
  }
}

void ModelEvaluator::applyGlue(const float* parameters) {
  for (std::size_t g = 0; g < m_moc.glues.size(); ++g) {
    const MocGlue& glue = m_moc.glues[g];
    const auto b = static_cast<std::size_t>(glue.keyformBindingIndex);
    float intensity = 0.0f;
    for (int c = 0; c < m_cornerCount[b]; ++c) {
      const Corner& corner = m_corners[m_cornerBegin[b] + static_cast<std::size_t>(c)];
      intensity += corner.weight * m_moc.glueIntensities[static_cast<std::size_t>(glue.keyformBegin + corner.offset)];
    }
    for (int shapeIndex : m_glueShapes[g]) {
      const MocBlendShape& shape = m_moc.blendShapesGlues[static_cast<std::size_t>(shapeIndex)];
      for (int s = 0; s < shape.bindingCount; ++s) {
        const auto& kb = m_moc.blendShapeKeyformBindings[static_cast<std::size_t>(shape.bindingBegin + s)];
        Corner corners[2];
        int base = 0;
        if (!blendShapeCorners(kb, parameters, corners, &base)) continue;
        const float* values = m_moc.glueIntensities.data() + kb.keyformBegin;
        intensity += blendShapeWeight(kb, parameters) *
                     (corners[0].weight * values[corners[0].offset] + corners[1].weight * values[corners[1].offset] -
                      values[base]);
      }
    }
    m_glueIntensity[g] = intensity;
    float* a = positions.data() + positionOffsets[static_cast<std::size_t>(glue.artMeshA)];
    float* bMesh = positions.data() + positionOffsets[static_cast<std::size_t>(glue.artMeshB)];
    for (int k = 0; k < glue.infoCount; k += 2) {
      const MocGlueInfo& infoA = m_moc.glueInfos[static_cast<std::size_t>(glue.infoBegin + k)];
      const MocGlueInfo& infoB = m_moc.glueInfos[static_cast<std::size_t>(glue.infoBegin + k + 1)];
      float* pa = a + 2 * infoA.vertexIndex;
      float* pb = bMesh + 2 * infoB.vertexIndex;
      const float ax = pa[0];
      const float ay = pa[1];
      const float bx = pb[0];
      const float by = pb[1];
      pa[0] = ax + (bx - ax) * infoA.weight * intensity;
      pa[1] = ay + (by - ay) * infoA.weight * intensity;
      pb[0] = bx + (ax - bx) * infoB.weight * intensity;
      pb[1] = by + (ay - by) * infoB.weight * intensity;
    }
  }
}

void ModelEvaluator::computeRenderOrder() {
  drawSequence.clear();
  std::fill(renderOrders.begin(), renderOrders.end(), -1);
  if (m_moc.drawOrderGroups.empty()) {
    for (std::size_t i = 0; i < m_moc.artMeshes.size(); ++i) drawSequence.push_back(static_cast<int>(i));
    std::stable_sort(drawSequence.begin(), drawSequence.end(),
                     [&](int a, int b) { return drawOrders[static_cast<std::size_t>(a)] < drawOrders[static_cast<std::size_t>(b)]; });
  } else {
    emitGroup(0, 0);
  }
  for (std::size_t k = 0; k < drawSequence.size(); ++k) {
    renderOrders[static_cast<std::size_t>(drawSequence[k])] = static_cast<int>(k);
  }
}

void ModelEvaluator::emitGroup(int groupIndex, int depth) {
  const auto g = static_cast<std::size_t>(groupIndex);
  // A group nested inside itself would recurse forever: each group is emitted at most once per path.
  if (m_groupActive[g] || static_cast<std::size_t>(depth) >= m_groupScratch.size()) return;
  m_groupActive[g] = 1;
  const MocDrawOrderGroup& group = m_moc.drawOrderGroups[g];
  const int lo = std::min(group.minimumDrawOrder, group.maximumDrawOrder);
  const int hi = std::max(group.minimumDrawOrder, group.maximumDrawOrder);
  std::vector<SortItem>& items = m_groupScratch[static_cast<std::size_t>(depth)];
  items.clear();
  for (int k = 0; k < group.objectCount; ++k) {
    const int objectIndex = group.objectBegin + k;
    const MocDrawOrderGroupObject& o = m_moc.drawOrderGroupObjects[static_cast<std::size_t>(objectIndex)];
    float order = 0.0f;
    bool on = true;
    if (o.type == MocDrawOrderObjectType::ArtMesh) {
      order = drawOrders[static_cast<std::size_t>(o.index)];
      on = enabled[static_cast<std::size_t>(o.index)] != 0;
    } else {
      order = m_partDrawOrders[static_cast<std::size_t>(o.index)];
      on = m_partEnabled[static_cast<std::size_t>(o.index)] != 0;
    }
    int key = lo;
    if (on && std::isfinite(order)) {
      const float clamped = std::clamp(order, static_cast<float>(lo), static_cast<float>(hi));
      key = static_cast<int>(std::lround(clamped));
    }
    items.push_back({key, k, objectIndex});
  }
  std::sort(items.begin(), items.end(), [](const SortItem& a, const SortItem& b) {
    return a.key != b.key ? a.key < b.key : a.position < b.position;
  });
  for (std::size_t n = 0; n < items.size(); ++n) {
    // Recursion below reuses deeper scratch only, so `items` stays valid.
    const MocDrawOrderGroupObject& o = m_moc.drawOrderGroupObjects[static_cast<std::size_t>(items[n].objectIndex)];
    if (o.type == MocDrawOrderObjectType::ArtMesh) {
      drawSequence.push_back(o.index);
    } else if (o.selfIndex >= 0) {
      emitGroup(o.selfIndex, depth + 1);
    }
  }
  m_groupActive[g] = 0;
}

}  // namespace live2d::cubism
