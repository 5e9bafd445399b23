#pragma once

// Complex single-precision FFTs of one fixed size over FFTW3. Data is interleaved (re, im) pairs, transformed
// in place. Plans are made once per object (planning is serialised process-wide, as FFTW requires);
// transforming is safe from any thread, the audio thread included.

#include <cstddef>

namespace audio::mixer {

class Fft {
 public:
  // `size` complex points (>= 1).
  explicit Fft(std::size_t size);
  ~Fft();
  Fft(const Fft&) = delete;
  Fft& operator=(const Fft&) = delete;

  std::size_t size() const { return m_size; }
  // X[k] = sum x[n] e^(-2 pi i k n / N)
  void forward(float* data) const;
  // Scaled by 1/N so that inverse(forward(x)) == x.
  void inverse(float* data) const;

 private:
  std::size_t m_size = 0;
  void* m_forwardPlan = nullptr;
  void* m_inversePlan = nullptr;
};

}  // namespace audio::mixer
