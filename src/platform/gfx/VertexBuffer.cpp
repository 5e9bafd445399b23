#include "platform/gfx/VertexBuffer.h"

#include <algorithm>
#include <cstddef>
#include <vector>

#include "platform/gfx/private/Gl.h"

namespace gfx {

namespace {

std::vector<VertexBuffer*>& liveBuffers() {
  static std::vector<VertexBuffer*> buffers;
  return buffers;
}

}  // namespace

VertexBuffer::VertexBuffer() { liveBuffers().push_back(this); }

VertexBuffer::~VertexBuffer() {
  releaseGpuCopy();
  std::vector<VertexBuffer*>& buffers = liveBuffers();
  buffers.erase(std::remove(buffers.begin(), buffers.end(), this), buffers.end());
}

void VertexBuffer::bindOrCreate() {
  if (m_buffer == 0) {
    GLuint array = 0;
    GLuint buffer = 0;
    glGenVertexArrays(1, &array);
    glGenBuffers(1, &buffer);
    m_vertexArray = array;
    m_buffer = buffer;
    m_capacity = 0;
    glBindVertexArray(array);
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    // The device's own layout of Vertex, so every program of the device draws from it unchanged.
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 4, GL_FLOAT, GL_FALSE, sizeof(Vertex), reinterpret_cast<void*>(offsetof(Vertex, x)));
    glEnableVertexAttribArray(1);
    glVertexAttribPointer(1, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, sizeof(Vertex),
                          reinterpret_cast<void*>(offsetof(Vertex, colour)));
    glEnableVertexAttribArray(2);
    glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, sizeof(Vertex), reinterpret_cast<void*>(offsetof(Vertex, u)));
  } else {
    glBindVertexArray(m_vertexArray);
    glBindBuffer(GL_ARRAY_BUFFER, m_buffer);
  }
}

void VertexBuffer::upload(const Vertex* vertices, std::size_t count) {
  bindOrCreate();
  if (vertices == nullptr) count = 0;
  const auto bytes = static_cast<GLsizeiptr>(count * sizeof(Vertex));
  if (count > m_capacity) {
    glBufferData(GL_ARRAY_BUFFER, bytes, vertices, GL_DYNAMIC_DRAW);
    m_capacity = count;
  } else if (count > 0) {
    glBufferSubData(GL_ARRAY_BUFFER, 0, bytes, vertices);
  }
  m_count = count;
  ++m_uploads;
}

void VertexBuffer::uploadIndices(const std::uint32_t* indices, std::size_t count) {
  bindOrCreate();
  // The element array binding belongs to the vertex array object, so drawing the buffer finds its indices.
  if (m_indexBuffer == 0) {
    GLuint buffer = 0;
    glGenBuffers(1, &buffer);
    m_indexBuffer = buffer;
    m_indexCapacity = 0;
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffer);
  }
  if (indices == nullptr) count = 0;
  const auto bytes = static_cast<GLsizeiptr>(count * sizeof(std::uint32_t));
  if (count > m_indexCapacity) {
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, bytes, indices, GL_DYNAMIC_DRAW);
    m_indexCapacity = count;
  } else if (count > 0) {
    glBufferSubData(GL_ELEMENT_ARRAY_BUFFER, 0, bytes, indices);
  }
  m_indexCount = count;
  m_largestIndex = count > 0 ? *std::max_element(indices, indices + count) : 0;
}

void VertexBuffer::releaseGpuCopy() {
  if (m_buffer == 0) return;
  GLuint buffer = m_buffer;
  GLuint array = m_vertexArray;
  if (m_indexBuffer != 0) {
    GLuint indices = m_indexBuffer;
    glDeleteBuffers(1, &indices);
    m_indexBuffer = 0;
    m_indexCapacity = 0;
    m_indexCount = 0;
  }
  glDeleteBuffers(1, &buffer);
  glDeleteVertexArrays(1, &array);
  m_buffer = 0;
  m_vertexArray = 0;
  m_capacity = 0;
  m_count = 0;
}

void releaseVertexBuffers() {
  for (VertexBuffer* buffer : liveBuffers()) buffer->releaseGpuCopy();
}

}  // namespace gfx
