#include "skeleton/runtime/VertexAttachment.h"
#include "skeleton/runtime/private/JsonReader.h"

namespace spine::detail {

namespace {

// Frames of one timeline: an array of objects.
const Json& frameArray(const Json& value) {
  if (!value.is_array()) throw ReadError("timeline frames are not an array");
  for (const Json& frame : value)
    if (!frame.is_object()) throw ReadError("timeline frame is not an object");
  return value;
}

void readCurve(const Json& frame, CurveTimeline& timeline, size_t frameIndex) {
  const Json* curve = member(frame, "curve");
  if (!curve) return;
  if (curve->is_string()) {
    timeline.setStepped(frameIndex);
  } else if (curve->is_number()) {
    timeline.setBezier(frameIndex, curve->get<float>(), getFloat(frame, "c2", 0), getFloat(frame, "c3", 1),
                       getFloat(frame, "c4", 1));
  } else {
    throw ReadError("bad curve");
  }
}

}  // namespace

void JsonReader::readAnimation(const Json& map, const std::string& name) {
  if (!map.is_object()) throw ReadError("animation " + name + " is not an object");
  std::vector<std::unique_ptr<Timeline>> timelines;
  float duration = 0;
  auto add = [&](std::unique_ptr<Timeline> timeline) {
    duration = std::max(duration, timeline->duration());
    timelines.push_back(std::move(timeline));
  };
  auto time = [](const Json& frame) { return getFloat(frame, "time", 0); };

  try {
    if (const Json* slots = member(map, "slots")) {
      for (auto slotIt = slots->begin(); slotIt != slots->end(); ++slotIt) {
        const int slotIndex = findSlot(slotIt.key()).index;
        if (!slotIt->is_object()) throw ReadError("slot timelines are not an object");
        for (auto it = slotIt->begin(); it != slotIt->end(); ++it) {
          const Json& frames = frameArray(it.value());
          if (frames.empty()) continue;
          const std::string& kind = it.key();
          size_t i = 0;
          if (kind == "attachment") {
            auto timeline = std::make_unique<AttachmentTimeline>(frames.size(), slotIndex);
            for (const Json& f : frames) timeline->setFrame(i++, time(f), getString(f, "name"));
            add(std::move(timeline));
          } else if (kind == "color") {
            auto timeline = std::make_unique<ColorTimeline>(frames.size(), slotIndex);
            for (const Json& f : frames) {
              Color c = parseColor(requireString(f, "color"), true);
              timeline->setFrame(i, time(f), c.r, c.g, c.b, c.a);
              readCurve(f, *timeline, i++);
            }
            add(std::move(timeline));
          } else if (kind == "twoColor") {
            auto timeline = std::make_unique<TwoColorTimeline>(frames.size(), slotIndex);
            for (const Json& f : frames) {
              Color light = parseColor(requireString(f, "light"), true);
              Color dark = parseColor(requireString(f, "dark"), false);
              timeline->setFrame(i, time(f), light.r, light.g, light.b, light.a, dark.r, dark.g, dark.b);
              readCurve(f, *timeline, i++);
            }
            add(std::move(timeline));
          } else {
            throw ReadError("unknown slot timeline: " + kind);
          }
        }
      }
    }

    if (const Json* bones = member(map, "bones")) {
      for (auto boneIt = bones->begin(); boneIt != bones->end(); ++boneIt) {
        const int boneIndex = findBone(boneIt.key()).index;
        if (!boneIt->is_object()) throw ReadError("bone timelines are not an object");
        for (auto it = boneIt->begin(); it != boneIt->end(); ++it) {
          const Json& frames = frameArray(it.value());
          if (frames.empty()) continue;
          const std::string& kind = it.key();
          size_t i = 0;
          if (kind == "rotate") {
            auto timeline = std::make_unique<RotateTimeline>(frames.size(), boneIndex);
            for (const Json& f : frames) {
              timeline->setFrame(i, time(f), getFloat(f, "angle", 0));
              readCurve(f, *timeline, i++);
            }
            add(std::move(timeline));
          } else if (kind == "translate" || kind == "scale" || kind == "shear") {
            std::unique_ptr<TranslateTimeline> timeline;
            float scale = 1, fallback = 0;
            if (kind == "scale") {
              timeline = std::make_unique<ScaleTimeline>(frames.size(), boneIndex);
              fallback = 1;
            } else if (kind == "shear") {
              timeline = std::make_unique<ShearTimeline>(frames.size(), boneIndex);
            } else {
              timeline = std::make_unique<TranslateTimeline>(frames.size(), boneIndex);
              scale = m_scale;
            }
            for (const Json& f : frames) {
              timeline->setFrame(i, time(f), getFloat(f, "x", fallback) * scale, getFloat(f, "y", fallback) * scale);
              readCurve(f, *timeline, i++);
            }
            add(std::move(timeline));
          } else {
            throw ReadError("unknown bone timeline: " + kind);
          }
        }
      }
    }

    if (const Json* ik = member(map, "ik")) {
      for (auto it = ik->begin(); it != ik->end(); ++it) {
        IkConstraintData* constraint = m_data->findIkConstraint(it.key());
        if (!constraint) throw ReadError("IK constraint not found: " + it.key());
        const Json& frames = frameArray(it.value());
        if (frames.empty()) continue;
        int index = static_cast<int>(std::find_if(m_data->ikConstraints.begin(), m_data->ikConstraints.end(),
                                                  [&](auto& c) { return c.get() == constraint; }) -
                                     m_data->ikConstraints.begin());
        auto timeline = std::make_unique<IkConstraintTimeline>(frames.size(), index);
        size_t i = 0;
        for (const Json& f : frames) {
          timeline->setFrame(i, time(f), getFloat(f, "mix", 1), getFloat(f, "softness", 0) * m_scale,
                             getBool(f, "bendPositive", true) ? 1 : -1, getBool(f, "compress", false),
                             getBool(f, "stretch", false));
          readCurve(f, *timeline, i++);
        }
        add(std::move(timeline));
      }
    }

    if (const Json* transform = member(map, "transform")) {
      for (auto it = transform->begin(); it != transform->end(); ++it) {
        TransformConstraintData* constraint = m_data->findTransformConstraint(it.key());
        if (!constraint) throw ReadError("transform constraint not found: " + it.key());
        const Json& frames = frameArray(it.value());
        if (frames.empty()) continue;
        int index =
            static_cast<int>(std::find_if(m_data->transformConstraints.begin(), m_data->transformConstraints.end(),
                                          [&](auto& c) { return c.get() == constraint; }) -
                             m_data->transformConstraints.begin());
        auto timeline = std::make_unique<TransformConstraintTimeline>(frames.size(), index);
        size_t i = 0;
        for (const Json& f : frames) {
          timeline->setFrame(i, time(f), getFloat(f, "rotateMix", 1), getFloat(f, "translateMix", 1),
                             getFloat(f, "scaleMix", 1), getFloat(f, "shearMix", 1));
          readCurve(f, *timeline, i++);
        }
        add(std::move(timeline));
      }
    }

    if (const Json* paths = member(map, "path")) {
      for (auto pathIt = paths->begin(); pathIt != paths->end(); ++pathIt) {
        PathConstraintData* constraint = m_data->findPathConstraint(pathIt.key());
        if (!constraint) throw ReadError("path constraint not found: " + pathIt.key());
        int index = static_cast<int>(std::find_if(m_data->pathConstraints.begin(), m_data->pathConstraints.end(),
                                                  [&](auto& c) { return c.get() == constraint; }) -
                                     m_data->pathConstraints.begin());
        if (!pathIt->is_object()) throw ReadError("path timelines are not an object");
        for (auto it = pathIt->begin(); it != pathIt->end(); ++it) {
          const Json& frames = frameArray(it.value());
          if (frames.empty()) continue;
          const std::string& kind = it.key();
          size_t i = 0;
          if (kind == "position" || kind == "spacing") {
            std::unique_ptr<PathConstraintPositionTimeline> timeline;
            float scale = 1;
            if (kind == "spacing") {
              timeline = std::make_unique<PathConstraintSpacingTimeline>(frames.size(), index);
              if (constraint->spacingMode != SpacingMode::Percent) scale = m_scale;
            } else {
              timeline = std::make_unique<PathConstraintPositionTimeline>(frames.size(), index);
              if (constraint->positionMode == PositionMode::Fixed) scale = m_scale;
            }
            for (const Json& f : frames) {
              timeline->setFrame(i, time(f), getFloat(f, kind.c_str(), 0) * scale);
              readCurve(f, *timeline, i++);
            }
            add(std::move(timeline));
          } else if (kind == "mix") {
            auto timeline = std::make_unique<PathConstraintMixTimeline>(frames.size(), index);
            for (const Json& f : frames) {
              timeline->setFrame(i, time(f), getFloat(f, "rotateMix", 1), getFloat(f, "translateMix", 1));
              readCurve(f, *timeline, i++);
            }
            add(std::move(timeline));
          }
        }
      }
    }

    if (const Json* deform = member(map, "deform")) {
      for (auto skinIt = deform->begin(); skinIt != deform->end(); ++skinIt) {
        Skin* skin = m_data->findSkin(skinIt.key());
        if (!skin) throw ReadError("deform skin not found: " + skinIt.key());
        if (!skinIt->is_object()) throw ReadError("deform skin entry is not an object");
        for (auto slotIt = skinIt->begin(); slotIt != skinIt->end(); ++slotIt) {
          const int slotIndex = findSlot(slotIt.key()).index;
          if (!slotIt->is_object()) throw ReadError("deform slot entry is not an object");
          for (auto it = slotIt->begin(); it != slotIt->end(); ++it) {
            Attachment* attachment = skin->getAttachment(slotIndex, it.key());
            if (!attachment) throw ReadError("deform attachment not found: " + it.key());
            AttachmentType kind = attachment->type();
            if (kind == AttachmentType::Region || kind == AttachmentType::Point)
              throw ReadError("deform attachment has no vertices: " + it.key());
            auto* vertexAttachment = static_cast<VertexAttachment*>(attachment);
            const Json& frames = frameArray(it.value());
            if (frames.empty()) continue;
            auto timeline = std::make_unique<DeformTimeline>(frames.size(), slotIndex, vertexAttachment);
            size_t i = 0;
            for (const Json& f : frames) {
              std::vector<float> values;
              int start = 0;
              if (const Json* vertices = member(f, "vertices")) {
                if (!vertices->is_array()) throw ReadError("deform vertices are not an array");
                values = floatArray(*vertices, m_scale, "deform vertices");
                start = getInt(f, "offset", 0);
                if (start < 0) throw ReadError("negative deform offset");
              }
              timeline->setFrame(i, time(f),
                                 detail::buildDeformFrame(*vertexAttachment, static_cast<size_t>(start), values));
              readCurve(f, *timeline, i++);
            }
            add(std::move(timeline));
          }
        }
      }
    }

    const Json* drawOrder = member(map, "drawOrder");
    if (!drawOrder) drawOrder = member(map, "draworder");
    if (drawOrder) {
      const Json& frames = frameArray(*drawOrder);
      if (!frames.empty()) {
        auto timeline = std::make_unique<DrawOrderTimeline>(frames.size());
        size_t i = 0;
        for (const Json& f : frames) {
          std::vector<int> order;
          if (const Json* offsets = member(f, "offsets")) {
            if (!offsets->is_array()) throw ReadError("draw order offsets are not an array");
            std::vector<std::pair<int, int>> pairs;
            for (const Json& o : *offsets)
              pairs.emplace_back(findSlot(requireString(o, "slot")).index, getInt(o, "offset", 0));
            order = detail::buildDrawOrder(m_data->slots.size(), pairs);
          }
          timeline->setFrame(i++, time(f), std::move(order));
        }
        add(std::move(timeline));
      }
    }

    if (const Json* events = member(map, "events")) {
      const Json& frames = frameArray(*events);
      if (!frames.empty()) {
        auto timeline = std::make_unique<EventTimeline>(frames.size());
        size_t i = 0;
        for (const Json& f : frames) {
          const std::string eventName = requireString(f, "name");
          const EventData* eventData = m_data->findEvent(eventName);
          if (!eventData) throw ReadError("event not found: " + eventName);
          Event event;
          event.data = eventData;
          event.time = time(f);
          event.intValue = getInt(f, "int", eventData->intValue);
          event.floatValue = getFloat(f, "float", eventData->floatValue);
          event.stringValue = getString(f, "string").value_or(eventData->stringValue);
          event.volume = eventData->volume;
          event.balance = eventData->balance;
          if (!eventData->audioPath.empty()) {
            event.volume = getFloat(f, "volume", 1);
            event.balance = getFloat(f, "balance", 0);
          }
          timeline->setFrame(i++, std::move(event));
        }
        add(std::move(timeline));
      }
    }
  } catch (const ReadError& e) {
    throw ReadError("animation " + name + ": " + e.what());
  }
  m_data->animations.push_back(std::make_unique<Animation>(name, std::move(timelines), duration));
}

}  // namespace spine::detail
