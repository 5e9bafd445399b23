#include "scene/DrawList.h"

#include "scene/DrawOrder.h"
#include "scene/Sprite.h"

namespace scene {

void DrawList::append(Sprite* object) {
  object->drawListSlot = m_items.size();
  m_items.push_back(object);
}

void DrawList::remove(Sprite* object) {
  // A disposed object keeps its in-list flag although it left: a second removal finds it gone and does nothing.
  if (object->drawListSlot >= m_items.size() || m_items[object->drawListSlot] != object) return;
  m_items[object->drawListSlot] = nullptr;
  ++m_holes;
  // A list whose last objects left needs no pass to close those holes.
  while (!m_items.empty() && m_items.back() == nullptr) {
    m_items.pop_back();
    --m_holes;
  }
}

void DrawList::clear() {
  m_items.clear();
  m_holes = 0;
}

void DrawList::sort() {
  close();
  if (sortDrawList(m_items)) {
    for (std::size_t slot = 0; slot < m_items.size(); ++slot) m_items[slot]->drawListSlot = slot;
  }
}

const std::vector<Sprite*>& DrawList::items() const {
  close();
  return m_items;
}

void DrawList::close() const {
  if (m_holes == 0) return;
  std::size_t kept = 0;
  for (Sprite* object : m_items) {
    if (object == nullptr) continue;
    object->drawListSlot = kept;
    m_items[kept++] = object;
  }
  m_items.resize(kept);
  m_holes = 0;
}

}  // namespace scene
