#include "bitmap/core/PixelKernels.h"

#include <algorithm>
#include <cmath>

#include "bitmap/core/PixelOps.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace bitmap {
namespace {

// The common cases skip the divisions: an opaque source replaces, a transparent one keeps.
Pixel compositeAt(Pixel destination, Pixel source, int opacity) {
  const int sourceAlpha = alphaOf(source) * opacity / 255;
  if (sourceAlpha == 255) return source;
  if (sourceAlpha == 0) return destination;
  return composite(destination, source, sourceAlpha);
}

void compositeRowPlain(Pixel* out, const Pixel* in, int count, int opacity) {
  for (int i = 0; i < count; ++i) out[i] = compositeAt(out[i], in[i], opacity);
}

void gatherRowPlain(Pixel* out, const Pixel* in, int, const int* columns, int count) {
  for (int j = 0; j < count; ++j) out[j] = in[columns[j]];
}

void premultiplyRowPlain(const Pixel* in, int count, const PlanarRow& out) {
  for (int i = 0; i < count; ++i) {
    const int alpha = alphaOf(in[i]);
    out.alpha[i] = static_cast<float>(alpha);
    out.red[i] = static_cast<float>(alpha * redOf(in[i]));
    out.green[i] = static_cast<float>(alpha * greenOf(in[i]));
    out.blue[i] = static_cast<float>(alpha * blueOf(in[i]));
  }
}

void blurRowPlain(Pixel* out, const PlanarRow& above, const PlanarRow& middle, const PlanarRow& below, int first,
                  int last) {
  for (int x = first; x < last; ++x) {
    // Weights 1 for the four neighbours and 2 for the pixel itself.
    const auto sum = [&](const float* up, const float* at, const float* down) {
      return static_cast<std::uint32_t>(up[x] + down[x] + at[x - 1] + at[x + 1] + 2.0f * at[x]);
    };
    const auto total = static_cast<int>(sum(above.alpha, middle.alpha, below.alpha));
    if (total == 0) {
      out[x] = 0;
      continue;
    }
    const auto channel = [&](const float* up, const float* at, const float* down) {
      return static_cast<int>(divideSmall(sum(up, at, down), total));
    };
    out[x] = makePixel(total / 6, channel(above.red, middle.red, below.red),
                       channel(above.green, middle.green, below.green), channel(above.blue, middle.blue, below.blue));
  }
}

void radialSamplesPlain(const RadialSampling& sampling, int x, int y, int* offsets) {
  const auto dy = static_cast<float>(y - sampling.cy);
  for (int k = 0; k < sampling.samples; ++k) {
    const float dyCos = dy * sampling.cosines[k];
    const float dySin = dy * sampling.sines[k];
    for (int i = 0; i < kRadialBlock; ++i) {
      const auto dx = static_cast<float>(x + i - sampling.cx);
      const int sx = static_cast<int>(dx * sampling.cosines[k] - dySin + static_cast<float>(sampling.cx));
      const int sy = static_cast<int>(dx * sampling.sines[k] + dyCos + static_cast<float>(sampling.cy));
      const bool inside = sx >= 0 && sy >= 0 && sx < sampling.width && sy < sampling.height;
      offsets[k * kRadialBlock + i] = inside ? sy * sampling.stride + sx : -1;
    }
  }
}

// fmod(s, 360) without the library call for the sums a hue change of −360 … 360 degrees produces; exact, since
// each subtraction is of two numbers within a factor of two of each other.
float wrapDegrees(float s) {
  if (s > -360.0f && s < 360.0f) return s;
  if (s >= 360.0f && s < 720.0f) return s - 360.0f;
  if (s <= -360.0f && s > -720.0f) return s + 360.0f;
  return std::fmod(s, 360.0f);
}

Pixel rotateHue(Pixel pixel, float degrees) {
  const float r = static_cast<float>(redOf(pixel)) / 255.0f;
  const float g = static_cast<float>(greenOf(pixel)) / 255.0f;
  const float b = static_cast<float>(blueOf(pixel)) / 255.0f;
  const float maximum = std::max({r, g, b});
  const float minimum = std::min({r, g, b});
  const float chroma = maximum - minimum;
  const float lightness = (maximum + minimum) / 2.0f;

  float hue = 0.0f;
  if (chroma != 0.0f) {
    if (maximum == r) {
      hue = 60.0f * ((g - b) / chroma);  // within −1 … 1: fmod by 6 leaves it as it is
    } else if (maximum == g) {
      hue = 60.0f * ((b - r) / chroma + 2.0f);
    } else {
      hue = 60.0f * ((r - g) / chroma + 4.0f);
    }
  }
  const float spread = 1.0f - std::fabs(2.0f * lightness - 1.0f);
  const float saturation = chroma != 0.0f ? chroma / spread : 0.0f;

  const float rotated = wrapDegrees(degrees + hue);
  const float c = spread * saturation;
  // fmod(sector, 2) for |sector| < 6, exactly: halving and the subtraction of 2 or 4 round nothing.
  const float sector = rotated / 60.0f;
  const float wrapped = sector - 2.0f * static_cast<float>(static_cast<int>(sector * 0.5f));
  const float x = c * (1.0f - std::fabs(wrapped - 1.0f));
  const float m = lightness - c / 2.0f;
  float red = c, green = 0.0f, blue = x;  // the last sector, which also takes negative hues
  if (rotated >= 0.0f) {
    if (rotated < 60.0f) {
      red = c, green = x, blue = 0.0f;
    } else if (rotated < 120.0f) {
      red = x, green = c, blue = 0.0f;
    } else if (rotated < 180.0f) {
      red = 0.0f, green = c, blue = x;
    } else if (rotated < 240.0f) {
      red = 0.0f, green = x, blue = c;
    } else if (rotated < 300.0f) {
      red = x, green = 0.0f, blue = c;
    }
  }
  const auto channel = [&](float value) {
    // Rounding in single precision can reach a hair above 1; the channel stays a byte.
    return std::min(static_cast<int>(std::max(0.0f, m + value) * 255.0f), 255);
  };
  return makePixel(alphaOf(pixel), channel(red), channel(green), channel(blue));
}

void hueRowPlain(Pixel* pixels, int count, int degrees) {
  const auto angle = static_cast<float>(degrees);
  for (int i = 0; i < count; ++i) pixels[i] = rotateHue(pixels[i], angle);
}

constexpr PixelKernels kPlain{.name = "plain",
                              .compositeRow = compositeRowPlain,
                              .gatherRow = gatherRowPlain,
                              .premultiplyRow = premultiplyRowPlain,
                              .blurRow = blurRowPlain,
                              .radialSamples = radialSamplesPlain,
                              .hueRow = hueRowPlain};

#if defined(__x86_64__)

// The kernels below are written once over thin names for one instruction set's registers (the structures after
// them) and inlined into functions compiled for that instruction set, so no wide register crosses a call.

// x / 255 for 0 ≤ x < 65536 in 16-bit lanes: (x · 0x8081) >> 23.
template <class S>
[[gnu::always_inline]] inline typename S::I divide255(typename S::I x) {
  return S::shiftRight16(S::mulHigh16(x, S::set16(0x8081)), 7);
}

// Truncated n / d per 32-bit lane, exact where the quotient is at most 255 and d at most 2^16: a quotient that is
// not whole stays at least 1/d away from the next integer, far more than single precision's rounding.
template <class S>
[[gnu::always_inline]] inline typename S::I quotient(typename S::I n, typename S::I d) {
  return S::truncate(S::div(S::toFloat(n), S::toFloat(d)));
}

// The source alpha of pixels widened to 16-bit lanes (blue, green, red, alpha), in every lane, at the opacity.
template <class S, bool kFullOpacity>
[[gnu::always_inline]] inline typename S::I sourceAlphaWide(typename S::I s, typename S::I opacity) {
  const typename S::I alpha = S::broadcastAlpha16(s);
  return kFullOpacity ? alpha : divide255<S>(S::mul16(alpha, opacity));
}

// Onto alpha 255, da = 255 − sa and a = 255: a division by a constant. The alpha lanes are set by the caller.
template <class S, bool kFullOpacity>
[[gnu::always_inline]] inline typename S::I compositeOpaqueWide(typename S::I s, typename S::I d,
                                                                typename S::I opacity) {
  const typename S::I sa = sourceAlphaWide<S, kFullOpacity>(s, opacity);
  return divide255<S>(S::add16(S::mul16(sa, s), S::mul16(S::sub16(S::set16(255), sa), d)));
}

template <class S, bool kFullOpacity>
[[gnu::always_inline]] inline typename S::I compositeWide(typename S::I s, typename S::I d, typename S::I opacity) {
  using I = typename S::I;
  const I alphaLanes = S::set64(0xFFFF000000000000);
  const I sa = sourceAlphaWide<S, kFullOpacity>(s, opacity);
  const I da = divide255<S>(S::mul16(S::sub16(S::set16(255), sa), S::broadcastAlpha16(d)));
  const I a = S::add16(sa, da);
  const I sum = S::add16(S::mul16(sa, s), S::mul16(da, d));
  const I empty = S::equal16(a, S::zero());
  const I divisor = S::bitOr(a, S::bitAnd(empty, S::set16(1)));
  const I q = S::narrow32(quotient<S>(S::widenLow16(sum), S::widenLow16(divisor)),
                          quotient<S>(S::widenHigh16(sum), S::widenHigh16(divisor)));
  const I mixed = S::bitOr(S::andNot(alphaLanes, q), S::bitAnd(alphaLanes, a));
  return S::bitOr(S::bitAnd(empty, d), S::andNot(empty, mixed));
}

// Eight or four pixels at a time, by the cheapest rule that holds for all of them: a transparent source keeps the
// destination, an opaque one at full opacity replaces it, an opaque destination needs no division by alpha.
template <class S, bool kFullOpacity>
[[gnu::always_inline]] inline void compositeRowVector(Pixel* out, const Pixel* in, int count, int opacity) {
  using I = typename S::I;
  const I alphaBits = S::set32(0xFF000000);
  const I opacityWide = S::set16(opacity);
  int i = 0;
  for (; i + S::kPixels <= count; i += S::kPixels) {
    const I source = S::load(in + i);
    const I sourceAlpha = S::bitAnd(source, alphaBits);
    if (kFullOpacity && S::all(S::equal32(sourceAlpha, alphaBits))) {
      S::store(out + i, source);
      continue;
    }
    if (S::all(S::equal32(sourceAlpha, S::zero()))) continue;
    const I destination = S::load(out + i);
    if (S::all(S::equal32(S::bitAnd(destination, alphaBits), alphaBits))) {
      const I low = compositeOpaqueWide<S, kFullOpacity>(S::widenLow(source), S::widenLow(destination), opacityWide);
      const I high = compositeOpaqueWide<S, kFullOpacity>(S::widenHigh(source), S::widenHigh(destination), opacityWide);
      S::store(out + i, S::bitOr(S::narrow(low, high), alphaBits));
      continue;
    }
    const I low = compositeWide<S, kFullOpacity>(S::widenLow(source), S::widenLow(destination), opacityWide);
    const I high = compositeWide<S, kFullOpacity>(S::widenHigh(source), S::widenHigh(destination), opacityWide);
    S::store(out + i, S::narrow(low, high));
  }
  S::leave();
  compositeRowPlain(out + i, in + i, count - i, opacity);
}

template <class S>
[[gnu::always_inline]] inline void compositeRowVector(Pixel* out, const Pixel* in, int count, int opacity) {
  if (opacity == 255) {
    compositeRowVector<S, true>(out, in, count, opacity);
  } else {
    compositeRowVector<S, false>(out, in, count, opacity);
  }
}

template <class S>
[[gnu::always_inline]] inline void premultiplyRowVector(const Pixel* in, int count, const PlanarRow& out) {
  using I = typename S::I;
  using F = typename S::F;
  const I byte = S::set32(0xFF);
  int i = 0;
  for (; i + S::kPixels <= count; i += S::kPixels) {
    const I p = S::load(in + i);
    const F alpha = S::toFloat(S::shiftRight32(p, 24));
    S::storeF(out.alpha + i, alpha);
    S::storeF(out.red + i, S::mul(alpha, S::toFloat(S::bitAnd(S::shiftRight32(p, 16), byte))));
    S::storeF(out.green + i, S::mul(alpha, S::toFloat(S::bitAnd(S::shiftRight32(p, 8), byte))));
    S::storeF(out.blue + i, S::mul(alpha, S::toFloat(S::bitAnd(p, byte))));
  }
  S::leave();
  premultiplyRowPlain(in + i, count - i, {out.alpha + i, out.red + i, out.green + i, out.blue + i});
}

template <class S>
[[gnu::always_inline]] inline typename S::F crossSum(const float* up, const float* at, const float* down, int x) {
  return S::add(
      S::add(S::add(S::loadF(up + x), S::loadF(down + x)), S::add(S::loadF(at + x - 1), S::loadF(at + x + 1))),
      S::add(S::loadF(at + x), S::loadF(at + x)));
}

template <class S>
[[gnu::always_inline]] inline void blurRowVector(Pixel* out, const PlanarRow& above, const PlanarRow& middle,
                                                 const PlanarRow& below, int first, int last) {
  using I = typename S::I;
  using F = typename S::F;
  int x = first;
  for (; x + S::kPixels <= last; x += S::kPixels) {
    const F total = crossSum<S>(above.alpha, middle.alpha, below.alpha, x);
    // A total of 0 has colour sums of 0 too: divided by 1 they give transparent black.
    const F divisor = S::max(total, S::setF(1.0f));
    const I alpha = S::truncate(S::div(total, S::setF(6.0f)));
    const I red = S::truncate(S::div(crossSum<S>(above.red, middle.red, below.red, x), divisor));
    const I green = S::truncate(S::div(crossSum<S>(above.green, middle.green, below.green, x), divisor));
    const I blue = S::truncate(S::div(crossSum<S>(above.blue, middle.blue, below.blue, x), divisor));
    S::store(out + x, S::bitOr(S::bitOr(S::shiftLeft32(alpha, 24), S::shiftLeft32(red, 16)),
                               S::bitOr(S::shiftLeft32(green, 8), blue)));
  }
  S::leave();
  blurRowPlain(out, above, middle, below, x, last);
}

template <class S>
[[gnu::always_inline]] inline typename S::F channelUnit(typename S::I p, int shift) {
  return S::div(S::toFloat(S::bitAnd(S::shiftRight32(p, shift), S::set32(0xFF))), S::setF(255.0f));
}

template <class S>
[[gnu::always_inline]] inline typename S::I channelByte(typename S::F m, typename S::F value, int shift) {
  const typename S::F scaled = S::mul(S::max(S::add(m, value), S::setF(0.0f)), S::setF(255.0f));
  return S::shiftLeft32(S::truncate(S::min(scaled, S::setF(255.0f))), shift);
}

template <class S>
[[gnu::always_inline]] inline void radialSamplesVector(const RadialSampling& sampling, int x, int y, int* offsets) {
  using I = typename S::I;
  using F = typename S::F;
  const auto dy = static_cast<float>(y - sampling.cy);
  const F centreX = S::setF(static_cast<float>(sampling.cx));
  const F centreY = S::setF(static_cast<float>(sampling.cy));
  const I width = S::set32(static_cast<std::uint32_t>(sampling.width));
  const I height = S::set32(static_cast<std::uint32_t>(sampling.height));
  const I stride = S::set32(static_cast<std::uint32_t>(sampling.stride));
  const I minusOne = S::set32(0xFFFFFFFF);
  for (int i = 0; i < kRadialBlock; i += S::kPixels) {
    const F dx = S::toFloat(S::add32(S::set32(static_cast<std::uint32_t>(x + i - sampling.cx)), S::laneIndices()));
    for (int k = 0; k < sampling.samples; ++k) {
      const F cosine = S::setF(sampling.cosines[k]);
      const F sine = S::setF(sampling.sines[k]);
      const I sx = S::truncate(S::add(S::sub(S::mul(dx, cosine), S::setF(dy * sampling.sines[k])), centreX));
      const I sy = S::truncate(S::add(S::add(S::mul(dx, sine), S::setF(dy * sampling.cosines[k])), centreY));
      // Unsigned comparisons: a negative coordinate is a huge one.
      const I inside = S::bitAnd(S::lessUnsigned32(sx, width), S::lessUnsigned32(sy, height));
      const I offset = S::add32(S::mul32(sy, stride), sx);
      S::store32(offsets + k * kRadialBlock + i, S::bitOr(S::bitAnd(inside, offset), S::andNot(inside, minusOne)));
    }
  }
}

// rotateHue on lanes, operation for operation, with branches turned into selections.
template <class S>
[[gnu::always_inline]] inline void hueRowVector(Pixel* pixels, int count, int degrees) {
  using I = typename S::I;
  using F = typename S::F;
  if (degrees < -360 || degrees > 360) {  // beyond what wrapDegrees does without fmod
    hueRowPlain(pixels, count, degrees);
    return;
  }
  const F zero = S::setF(0.0f), one = S::setF(1.0f), two = S::setF(2.0f), half = S::setF(0.5f);
  const F sixty = S::setF(60.0f), turn = S::setF(360.0f);
  const F angle = S::setF(static_cast<float>(degrees));
  int i = 0;
  for (; i + S::kPixels <= count; i += S::kPixels) {
    const I p = S::load(pixels + i);
    const F r = channelUnit<S>(p, 16), g = channelUnit<S>(p, 8), b = channelUnit<S>(p, 0);
    const F maximum = S::max(S::max(r, g), b);
    const F minimum = S::min(S::min(r, g), b);
    const F chroma = S::sub(maximum, minimum);
    const F lightness = S::mul(S::add(maximum, minimum), half);
    const F redTop = S::equal(maximum, r);
    const F greenTop = S::andNot(redTop, S::equal(maximum, g));
    // Adding 0 to the red case's quotient changes at most the sign of a zero, which the rotation's sum undoes.
    const F numerator = S::select(redTop, S::sub(g, b), S::select(greenTop, S::sub(b, r), S::sub(r, g)));
    const F offset = S::select(redTop, zero, S::select(greenTop, two, S::setF(4.0f)));
    const F coloured = S::notEqual(chroma, zero);
    const F hue = S::andF(coloured, S::mul(sixty, S::add(S::div(numerator, chroma), offset)));
    const F spread = S::sub(one, S::abs(S::sub(S::mul(two, lightness), one)));
    const F saturation = S::andF(coloured, S::div(chroma, spread));

    F rotated = S::add(angle, hue);
    rotated = S::select(S::greaterEqual(rotated, turn), S::sub(rotated, turn),
                        S::select(S::lessEqual(rotated, S::setF(-360.0f)), S::add(rotated, turn), rotated));
    const F c = S::mul(spread, saturation);
    const F sector = S::div(rotated, sixty);
    const F wrapped = S::sub(sector, S::mul(two, S::toFloat(S::truncate(S::mul(sector, half)))));
    const F x = S::mul(c, S::sub(one, S::abs(S::sub(wrapped, one))));
    const F m = S::sub(lightness, S::mul(c, half));

    F red = c, green = zero, blue = x;
    // From the last sector down, each bound overrides what a wider one chose.
    const F nonNegative = S::greaterEqual(rotated, zero);
    F in = S::andF(nonNegative, S::less(rotated, S::setF(300.0f)));
    red = S::select(in, x, red), green = S::select(in, zero, green), blue = S::select(in, c, blue);
    in = S::andF(nonNegative, S::less(rotated, S::setF(240.0f)));
    red = S::select(in, zero, red), green = S::select(in, x, green), blue = S::select(in, c, blue);
    in = S::andF(nonNegative, S::less(rotated, S::setF(180.0f)));
    red = S::select(in, zero, red), green = S::select(in, c, green), blue = S::select(in, x, blue);
    in = S::andF(nonNegative, S::less(rotated, S::setF(120.0f)));
    red = S::select(in, x, red), green = S::select(in, c, green), blue = S::select(in, zero, blue);
    in = S::andF(nonNegative, S::less(rotated, S::setF(60.0f)));
    red = S::select(in, c, red), green = S::select(in, x, green), blue = S::select(in, zero, blue);

    const I colour =
        S::bitOr(S::bitOr(channelByte<S>(m, red, 16), channelByte<S>(m, green, 8)), channelByte<S>(m, blue, 0));
    S::store(pixels + i, S::bitOr(S::bitAnd(p, S::set32(0xFF000000)), colour));
  }
  S::leave();
  hueRowPlain(pixels + i, count - i, degrees);
}

struct Sse2 {
  using I = __m128i;
  using F = __m128;
  static constexpr int kPixels = 4;
  static void leave() {}
  static I load(const Pixel* p) { return _mm_loadu_si128(reinterpret_cast<const I*>(p)); }
  static void store(Pixel* p, I v) { _mm_storeu_si128(reinterpret_cast<I*>(p), v); }
  static F loadF(const float* p) { return _mm_loadu_ps(p); }
  static void storeF(float* p, F v) { _mm_storeu_ps(p, v); }
  static I zero() { return _mm_setzero_si128(); }
  static I set16(int v) { return _mm_set1_epi16(static_cast<short>(v)); }
  static I set32(std::uint32_t v) { return _mm_set1_epi32(static_cast<int>(v)); }
  static I set64(std::uint64_t v) { return _mm_set1_epi64x(static_cast<long long>(v)); }
  static I bitAnd(I a, I b) { return _mm_and_si128(a, b); }
  static I bitOr(I a, I b) { return _mm_or_si128(a, b); }
  static I andNot(I a, I b) { return _mm_andnot_si128(a, b); }
  static I equal16(I a, I b) { return _mm_cmpeq_epi16(a, b); }
  static I equal32(I a, I b) { return _mm_cmpeq_epi32(a, b); }
  static I add32(I a, I b) { return _mm_add_epi32(a, b); }
  static I laneIndices() { return _mm_setr_epi32(0, 1, 2, 3); }
  static I mul32(I a, I b) {  // the low halves of the products; SSE2 multiplies only even lanes at once
    const I even = _mm_mul_epu32(a, b);
    const I odd = _mm_mul_epu32(_mm_srli_epi64(a, 32), _mm_srli_epi64(b, 32));
    return _mm_unpacklo_epi32(_mm_shuffle_epi32(even, 0x08), _mm_shuffle_epi32(odd, 0x08));
  }
  static I lessUnsigned32(I a, I b) {
    const I bias = set32(0x80000000);
    return _mm_cmplt_epi32(_mm_xor_si128(a, bias), _mm_xor_si128(b, bias));
  }
  static void store32(int* p, I v) { _mm_storeu_si128(reinterpret_cast<I*>(p), v); }
  static bool all(I mask) { return _mm_movemask_epi8(mask) == 0xFFFF; }
  static I widenLow(I v) { return _mm_unpacklo_epi8(v, zero()); }
  static I widenHigh(I v) { return _mm_unpackhi_epi8(v, zero()); }
  static I narrow(I low, I high) { return _mm_packus_epi16(low, high); }
  static I widenLow16(I v) { return _mm_unpacklo_epi16(v, zero()); }
  static I widenHigh16(I v) { return _mm_unpackhi_epi16(v, zero()); }
  static I narrow32(I low, I high) { return _mm_packs_epi32(low, high); }
  static I add16(I a, I b) { return _mm_add_epi16(a, b); }
  static I sub16(I a, I b) { return _mm_sub_epi16(a, b); }
  static I mul16(I a, I b) { return _mm_mullo_epi16(a, b); }
  static I mulHigh16(I a, I b) { return _mm_mulhi_epu16(a, b); }
  static I shiftRight16(I v, int bits) { return _mm_srli_epi16(v, bits); }
  static I shiftRight32(I v, int bits) { return _mm_srli_epi32(v, bits); }
  static I shiftLeft32(I v, int bits) { return _mm_slli_epi32(v, bits); }
  static I broadcastAlpha16(I v) { return _mm_shufflehi_epi16(_mm_shufflelo_epi16(v, 0xFF), 0xFF); }
  static F setF(float v) { return _mm_set1_ps(v); }
  static F toFloat(I v) { return _mm_cvtepi32_ps(v); }
  static I truncate(F v) { return _mm_cvttps_epi32(v); }
  static F add(F a, F b) { return _mm_add_ps(a, b); }
  static F sub(F a, F b) { return _mm_sub_ps(a, b); }
  static F mul(F a, F b) { return _mm_mul_ps(a, b); }
  static F div(F a, F b) { return _mm_div_ps(a, b); }
  static F min(F a, F b) { return _mm_min_ps(a, b); }
  static F max(F a, F b) { return _mm_max_ps(a, b); }
  static F abs(F v) { return _mm_andnot_ps(_mm_set1_ps(-0.0f), v); }
  static F equal(F a, F b) { return _mm_cmpeq_ps(a, b); }
  static F notEqual(F a, F b) { return _mm_cmpneq_ps(a, b); }
  static F less(F a, F b) { return _mm_cmplt_ps(a, b); }
  static F lessEqual(F a, F b) { return _mm_cmple_ps(a, b); }
  static F greaterEqual(F a, F b) { return _mm_cmpge_ps(a, b); }
  static F andF(F mask, F v) { return _mm_and_ps(mask, v); }
  static F andNot(F mask, F v) { return _mm_andnot_ps(mask, v); }
  static F select(F mask, F a, F b) { return _mm_or_ps(_mm_and_ps(mask, a), _mm_andnot_ps(mask, b)); }
};

void compositeRowSse2(Pixel* out, const Pixel* in, int count, int opacity) {
  compositeRowVector<Sse2>(out, in, count, opacity);
}
void premultiplyRowSse2(const Pixel* in, int count, const PlanarRow& out) {
  premultiplyRowVector<Sse2>(in, count, out);
}
void blurRowSse2(Pixel* out, const PlanarRow& above, const PlanarRow& middle, const PlanarRow& below, int first,
                 int last) {
  blurRowVector<Sse2>(out, above, middle, below, first, last);
}
void radialSamplesSse2(const RadialSampling& sampling, int x, int y, int* offsets) {
  radialSamplesVector<Sse2>(sampling, x, y, offsets);
}
void hueRowSse2(Pixel* pixels, int count, int degrees) { hueRowVector<Sse2>(pixels, count, degrees); }

// SSE2 has no gather: the plain loop is as fast as any.
constexpr PixelKernels kSse2{.name = "sse2",
                             .compositeRow = compositeRowSse2,
                             .gatherRow = gatherRowPlain,
                             .premultiplyRow = premultiplyRowSse2,
                             .blurRow = blurRowSse2,
                             .radialSamples = radialSamplesSse2,
                             .hueRow = hueRowSse2};

#pragma GCC push_options
#pragma GCC target("avx2")

struct Avx2 {
  using I = __m256i;
  using F = __m256;
  static constexpr int kPixels = 8;
  // Before code built without AVX runs: with the upper halves of the wide registers left dirty it runs slowly.
  static void leave() { _mm256_zeroupper(); }
  static I load(const Pixel* p) { return _mm256_loadu_si256(reinterpret_cast<const I*>(p)); }
  static void store(Pixel* p, I v) { _mm256_storeu_si256(reinterpret_cast<I*>(p), v); }
  static F loadF(const float* p) { return _mm256_loadu_ps(p); }
  static void storeF(float* p, F v) { _mm256_storeu_ps(p, v); }
  static I zero() { return _mm256_setzero_si256(); }
  static I set16(int v) { return _mm256_set1_epi16(static_cast<short>(v)); }
  static I set32(std::uint32_t v) { return _mm256_set1_epi32(static_cast<int>(v)); }
  static I set64(std::uint64_t v) { return _mm256_set1_epi64x(static_cast<long long>(v)); }
  static I bitAnd(I a, I b) { return _mm256_and_si256(a, b); }
  static I bitOr(I a, I b) { return _mm256_or_si256(a, b); }
  static I andNot(I a, I b) { return _mm256_andnot_si256(a, b); }
  static I equal16(I a, I b) { return _mm256_cmpeq_epi16(a, b); }
  static I equal32(I a, I b) { return _mm256_cmpeq_epi32(a, b); }
  static I add32(I a, I b) { return _mm256_add_epi32(a, b); }
  static I laneIndices() { return _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7); }
  static I mul32(I a, I b) { return _mm256_mullo_epi32(a, b); }
  static I lessUnsigned32(I a, I b) {
    const I bias = set32(0x80000000);
    return _mm256_cmpgt_epi32(_mm256_xor_si256(b, bias), _mm256_xor_si256(a, bias));
  }
  static void store32(int* p, I v) { _mm256_storeu_si256(reinterpret_cast<I*>(p), v); }
  static bool all(I mask) { return _mm256_movemask_epi8(mask) == -1; }
  // Widening and narrowing work within each 128-bit half, so narrowing undoes widening.
  static I widenLow(I v) { return _mm256_unpacklo_epi8(v, zero()); }
  static I widenHigh(I v) { return _mm256_unpackhi_epi8(v, zero()); }
  static I narrow(I low, I high) { return _mm256_packus_epi16(low, high); }
  static I widenLow16(I v) { return _mm256_unpacklo_epi16(v, zero()); }
  static I widenHigh16(I v) { return _mm256_unpackhi_epi16(v, zero()); }
  static I narrow32(I low, I high) { return _mm256_packs_epi32(low, high); }
  static I add16(I a, I b) { return _mm256_add_epi16(a, b); }
  static I sub16(I a, I b) { return _mm256_sub_epi16(a, b); }
  static I mul16(I a, I b) { return _mm256_mullo_epi16(a, b); }
  static I mulHigh16(I a, I b) { return _mm256_mulhi_epu16(a, b); }
  static I shiftRight16(I v, int bits) { return _mm256_srli_epi16(v, bits); }
  static I shiftRight32(I v, int bits) { return _mm256_srli_epi32(v, bits); }
  static I shiftLeft32(I v, int bits) { return _mm256_slli_epi32(v, bits); }
  static I broadcastAlpha16(I v) {
    return _mm256_shuffle_epi8(v, _mm256_setr_epi8(6, 7, 6, 7, 6, 7, 6, 7, 14, 15, 14, 15, 14, 15, 14, 15, 6, 7, 6, 7,
                                                   6, 7, 6, 7, 14, 15, 14, 15, 14, 15, 14, 15));
  }
  static F setF(float v) { return _mm256_set1_ps(v); }
  static F toFloat(I v) { return _mm256_cvtepi32_ps(v); }
  static I truncate(F v) { return _mm256_cvttps_epi32(v); }
  static F add(F a, F b) { return _mm256_add_ps(a, b); }
  static F sub(F a, F b) { return _mm256_sub_ps(a, b); }
  static F mul(F a, F b) { return _mm256_mul_ps(a, b); }
  static F div(F a, F b) { return _mm256_div_ps(a, b); }
  static F min(F a, F b) { return _mm256_min_ps(a, b); }
  static F max(F a, F b) { return _mm256_max_ps(a, b); }
  static F abs(F v) { return _mm256_andnot_ps(_mm256_set1_ps(-0.0f), v); }
  static F equal(F a, F b) { return _mm256_cmp_ps(a, b, _CMP_EQ_OQ); }
  static F notEqual(F a, F b) { return _mm256_cmp_ps(a, b, _CMP_NEQ_UQ); }
  static F less(F a, F b) { return _mm256_cmp_ps(a, b, _CMP_LT_OQ); }
  static F lessEqual(F a, F b) { return _mm256_cmp_ps(a, b, _CMP_LE_OQ); }
  static F greaterEqual(F a, F b) { return _mm256_cmp_ps(a, b, _CMP_GE_OQ); }
  static F andF(F mask, F v) { return _mm256_and_ps(mask, v); }
  static F andNot(F mask, F v) { return _mm256_andnot_ps(mask, v); }
  static F select(F mask, F a, F b) { return _mm256_blendv_ps(b, a, mask); }
};

void compositeRowAvx2(Pixel* out, const Pixel* in, int count, int opacity) {
  compositeRowVector<Avx2>(out, in, count, opacity);
}
// Where eight neighbouring columns read from within eight neighbouring source pixels (always so when enlarging),
// one load and one permutation replace eight loads; elsewhere (shrinking) the processor's gather is no faster
// than the plain loop.
void gatherRowAvx2(Pixel* out, const Pixel* in, int inCount, const int* columns, int count) {
  int j = 0;
  for (; j + Avx2::kPixels <= count; j += Avx2::kPixels) {
    const int base = std::min(columns[j], columns[j + 7]);
    const int spread = std::max(columns[j], columns[j + 7]) - base;
    if (spread >= Avx2::kPixels || base + Avx2::kPixels > inCount) {
      for (int m = j; m < j + Avx2::kPixels; ++m) out[m] = in[columns[m]];
      continue;
    }
    const __m256i indices =
        _mm256_sub_epi32(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(columns + j)), _mm256_set1_epi32(base));
    Avx2::store(out + j, _mm256_permutevar8x32_epi32(Avx2::load(in + base), indices));
  }
  Avx2::leave();
  gatherRowPlain(out + j, in, inCount, columns + j, count - j);
}
void premultiplyRowAvx2(const Pixel* in, int count, const PlanarRow& out) {
  premultiplyRowVector<Avx2>(in, count, out);
}
void blurRowAvx2(Pixel* out, const PlanarRow& above, const PlanarRow& middle, const PlanarRow& below, int first,
                 int last) {
  blurRowVector<Avx2>(out, above, middle, below, first, last);
}
void radialSamplesAvx2(const RadialSampling& sampling, int x, int y, int* offsets) {
  radialSamplesVector<Avx2>(sampling, x, y, offsets);
}
void hueRowAvx2(Pixel* pixels, int count, int degrees) { hueRowVector<Avx2>(pixels, count, degrees); }

#pragma GCC pop_options

constexpr PixelKernels kAvx2{.name = "avx2",
                             .compositeRow = compositeRowAvx2,
                             .gatherRow = gatherRowAvx2,
                             .premultiplyRow = premultiplyRowAvx2,
                             .blurRow = blurRowAvx2,
                             .radialSamples = radialSamplesAvx2,
                             .hueRow = hueRowAvx2};

#endif

}  // namespace

std::vector<const PixelKernels*> supportedPixelKernels() {
  std::vector<const PixelKernels*> kernels{&kPlain};
#if defined(__x86_64__)
  kernels.push_back(&kSse2);
  if (__builtin_cpu_supports("avx2")) kernels.push_back(&kAvx2);
#endif
  return kernels;
}

const PixelKernels& pixelKernels() {
  static const PixelKernels& best = *supportedPixelKernels().back();
  return best;
}

}  // namespace bitmap
