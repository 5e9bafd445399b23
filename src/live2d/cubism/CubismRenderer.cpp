#include "live2d/cubism/CubismRenderer.h"

namespace live2d::cubism {

void CubismRenderer::drawModel() {
  if (!m_model) return;
  m_drawList.build(*m_model, m_modelColor, m_culling);
  doDrawModel(m_drawList);
}

}  // namespace live2d::cubism
