#include <algorithm>

#include "skeleton/runtime/VertexAttachment.h"
#include "skeleton/runtime/private/BinaryReader.h"

namespace spine::detail {

void BinaryReader::readCurve(CurveTimeline& timeline, size_t frame) {
  switch (m_in.readByte()) {
    case 0:
      break;
    case 1:
      timeline.setStepped(frame);
      break;
    case 2: {
      float cx1 = m_in.readFloat(), cy1 = m_in.readFloat(), cx2 = m_in.readFloat(), cy2 = m_in.readFloat();
      timeline.setBezier(frame, cx1, cy1, cx2, cy2);
      break;
    }
    default:
      m_in.fail("unknown curve type");
  }
}

void BinaryReader::readAnimation(const std::string& name) {
  std::vector<std::unique_ptr<Timeline>> timelines;
  float duration = 0;
  auto add = [&](std::unique_ptr<Timeline> timeline) {
    duration = std::max(duration, timeline->duration());
    timelines.push_back(std::move(timeline));
  };
  // Reads the curve after every frame but the last.
  auto curveAfter = [&](CurveTimeline& timeline, size_t frame, size_t frameCount) {
    if (frame + 1 < frameCount) readCurve(timeline, frame);
  };
  const size_t slotCount = m_data->slots.size();
  const size_t boneCount = m_data->bones.size();

  try {
    size_t count = m_in.readCount();
    for (size_t i = 0; i < count; ++i) {
      int slotIndex = m_in.readIndex(slotCount, "timeline slot");
      size_t timelineCount = m_in.readCount();
      for (size_t t = 0; t < timelineCount; ++t) {
        uint8_t type = m_in.readByte();
        size_t frameCount = m_in.readCount(5);
        switch (type) {
          case 0: {
            auto timeline = std::make_unique<AttachmentTimeline>(frameCount, slotIndex);
            for (size_t f = 0; f < frameCount; ++f) {
              float time = m_in.readFloat();
              timeline->setFrame(f, time, readRefOptional());
            }
            if (frameCount) add(std::move(timeline));
            break;
          }
          case 1: {
            auto timeline = std::make_unique<ColorTimeline>(frameCount, slotIndex);
            for (size_t f = 0; f < frameCount; ++f) {
              float time = m_in.readFloat();
              Color c = readColor();
              timeline->setFrame(f, time, c.r, c.g, c.b, c.a);
              curveAfter(*timeline, f, frameCount);
            }
            if (frameCount) add(std::move(timeline));
            break;
          }
          case 2: {
            auto timeline = std::make_unique<TwoColorTimeline>(frameCount, slotIndex);
            for (size_t f = 0; f < frameCount; ++f) {
              float time = m_in.readFloat();
              Color light = readColor();
              Color dark = Color::fromRgb888(m_in.readUInt() & 0xffffff);
              timeline->setFrame(f, time, light.r, light.g, light.b, light.a, dark.r, dark.g, dark.b);
              curveAfter(*timeline, f, frameCount);
            }
            if (frameCount) add(std::move(timeline));
            break;
          }
          default:
            m_in.fail("unknown slot timeline type " + std::to_string(type));
        }
      }
    }

    count = m_in.readCount();
    for (size_t i = 0; i < count; ++i) {
      int boneIndex = m_in.readIndex(boneCount, "timeline bone");
      size_t timelineCount = m_in.readCount();
      for (size_t t = 0; t < timelineCount; ++t) {
        uint8_t type = m_in.readByte();
        size_t frameCount = m_in.readCount(8);
        if (type == 0) {
          auto timeline = std::make_unique<RotateTimeline>(frameCount, boneIndex);
          for (size_t f = 0; f < frameCount; ++f) {
            float time = m_in.readFloat();
            timeline->setFrame(f, time, m_in.readFloat());
            curveAfter(*timeline, f, frameCount);
          }
          if (frameCount) add(std::move(timeline));
          continue;
        }
        std::unique_ptr<TranslateTimeline> timeline;
        float scale = 1;
        if (type == 1) {
          timeline = std::make_unique<TranslateTimeline>(frameCount, boneIndex);
          scale = m_scale;
        } else if (type == 2) {
          timeline = std::make_unique<ScaleTimeline>(frameCount, boneIndex);
        } else if (type == 3) {
          timeline = std::make_unique<ShearTimeline>(frameCount, boneIndex);
        } else {
          m_in.fail("unknown bone timeline type " + std::to_string(type));
        }
        for (size_t f = 0; f < frameCount; ++f) {
          float time = m_in.readFloat();
          float x = m_in.readFloat(), y = m_in.readFloat();
          timeline->setFrame(f, time, x * scale, y * scale);
          curveAfter(*timeline, f, frameCount);
        }
        if (frameCount) add(std::move(timeline));
      }
    }

    count = m_in.readCount();
    for (size_t i = 0; i < count; ++i) {
      int index = m_in.readIndex(m_data->ikConstraints.size(), "timeline IK constraint");
      size_t frameCount = m_in.readCount(15);
      auto timeline = std::make_unique<IkConstraintTimeline>(frameCount, index);
      for (size_t f = 0; f < frameCount; ++f) {
        float time = m_in.readFloat(), mix = m_in.readFloat(), softness = m_in.readFloat() * m_scale;
        int bend = m_in.readSByte() < 0 ? -1 : 1;
        bool compress = m_in.readBool();
        bool stretch = m_in.readBool();
        timeline->setFrame(f, time, mix, softness, bend, compress, stretch);
        curveAfter(*timeline, f, frameCount);
      }
      if (frameCount) add(std::move(timeline));
    }

    count = m_in.readCount();
    for (size_t i = 0; i < count; ++i) {
      int index = m_in.readIndex(m_data->transformConstraints.size(), "timeline transform constraint");
      size_t frameCount = m_in.readCount(20);
      auto timeline = std::make_unique<TransformConstraintTimeline>(frameCount, index);
      for (size_t f = 0; f < frameCount; ++f) {
        float time = m_in.readFloat(), r = m_in.readFloat(), tr = m_in.readFloat(), s = m_in.readFloat(),
              sh = m_in.readFloat();
        timeline->setFrame(f, time, r, tr, s, sh);
        curveAfter(*timeline, f, frameCount);
      }
      if (frameCount) add(std::move(timeline));
    }

    count = m_in.readCount();
    for (size_t i = 0; i < count; ++i) {
      int index = m_in.readIndex(m_data->pathConstraints.size(), "timeline path constraint");
      const PathConstraintData& constraint = *m_data->pathConstraints[static_cast<size_t>(index)];
      size_t timelineCount = m_in.readCount();
      for (size_t t = 0; t < timelineCount; ++t) {
        uint8_t type = m_in.readByte();
        size_t frameCount = m_in.readCount(8);
        if (type == 0 || type == 1) {
          std::unique_ptr<PathConstraintPositionTimeline> timeline;
          float scale = 1;
          if (type == 1) {
            timeline = std::make_unique<PathConstraintSpacingTimeline>(frameCount, index);
            if (constraint.spacingMode != SpacingMode::Percent) scale = m_scale;
          } else {
            timeline = std::make_unique<PathConstraintPositionTimeline>(frameCount, index);
            if (constraint.positionMode == PositionMode::Fixed) scale = m_scale;
          }
          for (size_t f = 0; f < frameCount; ++f) {
            float time = m_in.readFloat();
            timeline->setFrame(f, time, m_in.readFloat() * scale);
            curveAfter(*timeline, f, frameCount);
          }
          if (frameCount) add(std::move(timeline));
        } else if (type == 2) {
          auto timeline = std::make_unique<PathConstraintMixTimeline>(frameCount, index);
          for (size_t f = 0; f < frameCount; ++f) {
            float time = m_in.readFloat(), r = m_in.readFloat(), tr = m_in.readFloat();
            timeline->setFrame(f, time, r, tr);
            curveAfter(*timeline, f, frameCount);
          }
          if (frameCount) add(std::move(timeline));
        } else {
          m_in.fail("unknown path timeline type " + std::to_string(type));
        }
      }
    }

    count = m_in.readCount();
    for (size_t i = 0; i < count; ++i) {
      const Skin& skin = *m_data->skins[static_cast<size_t>(m_in.readIndex(m_data->skins.size(), "deform skin"))];
      size_t slotEntries = m_in.readCount();
      for (size_t s = 0; s < slotEntries; ++s) {
        int slotIndex = m_in.readIndex(slotCount, "deform slot");
        size_t attachmentCount = m_in.readCount();
        for (size_t a = 0; a < attachmentCount; ++a) {
          const std::string* key = readStringRef();
          Attachment* attachment = key ? skin.getAttachment(slotIndex, *key) : nullptr;
          if (!attachment) m_in.fail("deform attachment not found: " + (key ? *key : std::string("null")));
          AttachmentType kind = attachment->type();
          if (kind == AttachmentType::Region || kind == AttachmentType::Point)
            m_in.fail("deform attachment has no vertices: " + *key);
          auto* vertexAttachment = static_cast<VertexAttachment*>(attachment);
          size_t frameCount = m_in.readCount(5);
          auto timeline = std::make_unique<DeformTimeline>(frameCount, slotIndex, vertexAttachment);
          for (size_t f = 0; f < frameCount; ++f) {
            float time = m_in.readFloat();
            size_t end = m_in.readCount(4);
            std::vector<float> values;
            size_t start = 0;
            if (end != 0) {
              start = static_cast<size_t>(m_in.readVarintBits());
              values = m_in.readFloats(end, m_scale);
            }
            timeline->setFrame(f, time, detail::buildDeformFrame(*vertexAttachment, start, values));
            curveAfter(*timeline, f, frameCount);
          }
          if (frameCount) add(std::move(timeline));
        }
      }
    }

    size_t drawOrderCount = m_in.readCount(5);
    if (drawOrderCount) {
      auto timeline = std::make_unique<DrawOrderTimeline>(drawOrderCount);
      for (size_t f = 0; f < drawOrderCount; ++f) {
        float time = m_in.readFloat();
        size_t offsetCount = m_in.readCount(2);
        std::vector<std::pair<int, int>> offsets;
        for (size_t o = 0; o < offsetCount; ++o) {
          int slotIndex = m_in.readIndex(slotCount, "draw order slot");
          offsets.emplace_back(slotIndex, m_in.readVarint());
        }
        timeline->setFrame(f, time, detail::buildDrawOrder(slotCount, offsets));
      }
      add(std::move(timeline));
    }

    size_t eventCount = m_in.readCount(11);
    if (eventCount) {
      auto timeline = std::make_unique<EventTimeline>(eventCount);
      for (size_t f = 0; f < eventCount; ++f) {
        Event event;
        event.time = m_in.readFloat();
        const EventData& eventData =
            *m_data->events[static_cast<size_t>(m_in.readIndex(m_data->events.size(), "event"))];
        event.data = &eventData;
        event.intValue = m_in.readZigzag();
        event.floatValue = m_in.readFloat();
        event.stringValue = m_in.readBool() ? m_in.readString().value_or("") : eventData.stringValue;
        event.volume = eventData.volume;
        event.balance = eventData.balance;
        if (!eventData.audioPath.empty()) {
          event.volume = m_in.readFloat();
          event.balance = m_in.readFloat();
        }
        timeline->setFrame(f, std::move(event));
      }
      add(std::move(timeline));
    }
  } catch (const ReadError& e) {
    throw ReadError("animation " + name + ": " + e.what());
  }
  m_data->animations.push_back(std::make_unique<Animation>(name, std::move(timelines), duration));
}

}  // namespace spine::detail
