#pragma once

// A viewport's draw list: its objects in the order they entered. Each object knows its place in the list, so
// leaving costs O(1): it leaves a hole, and the next read of the list closes every hole in one pass. Disposing
// all the objects of a large scene is therefore linear.

#include <cstddef>
#include <vector>

namespace scene {

class Sprite;

class DrawList {
 public:
  using value_type = Sprite*;
  using const_iterator = std::vector<Sprite*>::const_iterator;
  using iterator = const_iterator;

  // At the end.
  void append(Sprite* object);
  // Nothing when `object` is not in this list.
  void remove(Sprite* object);
  // Every object leaves (their own records are not touched).
  void clear();
  // Into the frame's order (by draw key, stable).
  void sort();

  // The objects in order, holes closed.
  const std::vector<Sprite*>& items() const;
  operator const std::vector<Sprite*>&() const { return items(); }
  const_iterator begin() const { return items().begin(); }
  const_iterator end() const { return items().end(); }
  std::size_t size() const { return items().size(); }
  bool empty() const { return items().empty(); }
  Sprite* operator[](std::size_t index) const { return items()[index]; }

  friend bool operator==(const DrawList& list, const std::vector<Sprite*>& objects) { return list.items() == objects; }

 private:
  void close() const;

  // Closing holes is invisible from outside, so a reader of a const list may do it.
  mutable std::vector<Sprite*> m_items;
  mutable std::size_t m_holes = 0;
};

}  // namespace scene
