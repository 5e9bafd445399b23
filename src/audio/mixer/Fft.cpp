#include "audio/mixer/Fft.h"

#include <fftw3.h>

#include <mutex>
#include <stdexcept>
#include <string>

#include "platform/LateLibrary.h"

namespace audio::mixer {
namespace {

#define QUILLON_FFTW_FUNCTIONS(X) \
  X(fftwf_alloc_complex)          \
  X(fftwf_destroy_plan)           \
  X(fftwf_execute_dft)            \
  X(fftwf_free)                   \
  X(fftwf_plan_dft_1d)

// FFTW, opened when the first filter is made: most games never make one.
QUILLON_LATE_TABLE(Fftw, QUILLON_FFTW_FUNCTIONS, QUILLON_FFTW_LIBRARY)

// For code that runs only once a transform exists, which needed the library.
const Fftw& fftw() { return *platform::loadedTable<Fftw, loadFftw>(nullptr); }

// FFTW's planner is not thread-safe; executing a finished plan is.
std::mutex& plannerMutex() {
  static std::mutex mutex;
  return mutex;
}

}  // namespace

Fft::Fft(std::size_t size) : m_size(size) {
  if (size == 0) throw std::invalid_argument("FFT size must be at least 1");
  std::string missing;
  if (platform::loadedTable<Fftw, loadFftw>(&missing) == nullptr) throw std::runtime_error(missing);
  std::lock_guard lock(plannerMutex());
  auto* scratch = fftw().fftwf_alloc_complex(size);
  const int n = static_cast<int>(size);
  // Unaligned plans, so callers may pass any float buffer.
  const unsigned flags = FFTW_ESTIMATE | FFTW_UNALIGNED;
  m_forwardPlan = fftw().fftwf_plan_dft_1d(n, scratch, scratch, FFTW_FORWARD, flags);
  m_inversePlan = fftw().fftwf_plan_dft_1d(n, scratch, scratch, FFTW_BACKWARD, flags);
  fftw().fftwf_free(scratch);
  if (!m_forwardPlan || !m_inversePlan) throw std::runtime_error("FFTW could not plan the transform");
}

Fft::~Fft() {
  std::lock_guard lock(plannerMutex());
  if (m_forwardPlan) fftw().fftwf_destroy_plan(static_cast<fftwf_plan>(m_forwardPlan));
  if (m_inversePlan) fftw().fftwf_destroy_plan(static_cast<fftwf_plan>(m_inversePlan));
}

void Fft::forward(float* data) const {
  auto* complex = reinterpret_cast<fftwf_complex*>(data);
  fftw().fftwf_execute_dft(static_cast<fftwf_plan>(m_forwardPlan), complex, complex);
}

void Fft::inverse(float* data) const {
  auto* complex = reinterpret_cast<fftwf_complex*>(data);
  fftw().fftwf_execute_dft(static_cast<fftwf_plan>(m_inversePlan), complex, complex);
  const float scale = 1.0f / static_cast<float>(m_size);
  for (std::size_t i = 0; i < 2 * m_size; ++i) data[i] *= scale;
}

}  // namespace audio::mixer
