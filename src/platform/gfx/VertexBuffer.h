#pragma once

// Triangle vertices kept on the GPU between draws, for objects whose vertices change far less often than they are
// drawn: the owner fills the buffer in one upload when its vertices change and draws it each frame after
// (Device::drawTriangles). A buffer belongs to the device's context; when that device goes, every buffer loses its
// GPU copy (resident() turns false) and its owner fills it again once a new device exists. A buffer may also hold
// a list of indices into its vertices, for indexed drawing (Device::drawIndexedTriangles).

#include <cstddef>
#include <cstdint>

#include "platform/gfx/Types.h"

namespace gfx {

class VertexBuffer {
 public:
  VertexBuffer();
  ~VertexBuffer();
  VertexBuffer(const VertexBuffer&) = delete;
  VertexBuffer& operator=(const VertexBuffer&) = delete;

  // Replaces the whole contents with `count` vertices (the context must be current). The GPU storage is reused
  // while it is large enough and made anew, larger, when it is not.
  void upload(const Vertex* vertices, std::size_t count);

  // Replaces the index list with `count` 32-bit indices (the context must be current). Uploaded after the
  // vertices they name: an index list naming a vertex past size() is not drawn.
  void uploadIndices(const std::uint32_t* indices, std::size_t count);

  std::size_t size() const { return m_count; }
  std::size_t indexCount() const { return m_indexCount; }
  // Whether every index names one of the vertices, so the list may be drawn.
  bool indicesValid() const { return m_indexCount == 0 || m_largestIndex < m_count; }
  bool resident() const { return m_buffer != 0; }
  // Uploads since construction, so owners and their tests can tell an upload from a draw.
  std::uint64_t uploadCount() const { return m_uploads; }
  // The vertex array object the device binds to draw the buffer; 0 while not resident.
  unsigned vertexArray() const { return m_vertexArray; }

 private:
  friend void releaseVertexBuffers();
  void releaseGpuCopy();
  void bindOrCreate();

  unsigned m_vertexArray = 0;
  unsigned m_buffer = 0;
  std::size_t m_capacity = 0;
  std::size_t m_count = 0;
  unsigned m_indexBuffer = 0;
  std::size_t m_indexCapacity = 0;
  std::size_t m_indexCount = 0;
  std::uint32_t m_largestIndex = 0;
  std::uint64_t m_uploads = 0;
};

// Deletes every buffer's GPU copy while the context is still current; the device calls it as it goes.
void releaseVertexBuffers();

}  // namespace gfx
