#include "audio/ConvolutionFilter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

namespace audio {
namespace {

constexpr unsigned kBlock = 512;

std::vector<float> noise(std::size_t count, unsigned seed) {
  std::mt19937 random(seed);
  std::uniform_real_distribution<float> value(-0.5f, 0.5f);
  std::vector<float> out(count);
  for (float& v : out) v = value(random);
  return out;
}

std::vector<float> directConvolution(const std::vector<float>& input, const std::vector<float>& response) {
  std::vector<float> out(input.size(), 0.0f);
  for (std::size_t n = 0; n < input.size(); ++n) {
    double sum = 0.0;
    for (std::size_t k = 0; k < response.size() && k <= n; ++k) sum += static_cast<double>(response[k]) * input[n - k];
    out[n] = static_cast<float>(sum);
  }
  return out;
}

// Runs `input` (mono, a whole number of blocks) through a fresh instance in mixer-sized blocks, the second of
// two planar channels carrying the negated signal.
std::vector<float> runFilter(Audio_Filter& filter, const std::vector<float>& input, float wet = 1.0f,
                             std::vector<float>* second = nullptr) {
  auto instance = filter.createInstance();
  instance->setParameter(mixer::FilterInstance::kWet, wet);
  std::vector<float> out;
  std::vector<float> block(2 * kBlock);
  for (std::size_t start = 0; start + kBlock <= input.size(); start += kBlock) {
    for (unsigned i = 0; i < kBlock; ++i) {
      block[i] = input[start + i];
      block[kBlock + i] = -input[start + i];
    }
    instance->filter(block.data(), kBlock, kBlock, 2, 44100.0f);
    out.insert(out.end(), block.begin(), block.begin() + kBlock);
    if (second) second->insert(second->end(), block.begin() + kBlock, block.end());
  }
  return out;
}

void expectClose(const std::vector<float>& actual, const std::vector<float>& expected, float tolerance) {
  ASSERT_EQ(actual.size(), expected.size());
  for (std::size_t i = 0; i < actual.size(); ++i) ASSERT_NEAR(actual[i], expected[i], tolerance) << "sample " << i;
}

TEST(ConvolutionFilterTest, ImpulseResponseMatchesDirectConvolution) {
  for (std::size_t length : {1u, 300u, 512u, 1500u, 4000u}) {
    const auto response = noise(length, 7 + static_cast<unsigned>(length));
    const auto input = noise(12 * kBlock, 3);
    Audio_Filter filter(0, response);
    std::vector<float> second;
    const auto out = runFilter(filter, input, 1.0f, &second);
    const auto expected = directConvolution(input, response);
    expectClose(out, expected, 2e-4f);
    std::vector<float> negated(expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) negated[i] = -expected[i];
    expectClose(second, negated, 2e-4f);
  }
}

TEST(ConvolutionFilterTest, ResponsesStopAtSixteenPartitions) {
  const auto response = noise(20000, 11);
  const auto input = noise(40 * kBlock, 5);
  Audio_Filter filter(0, response);
  EXPECT_EQ(filterPartitions(0, response).size(), kMaxPartitions);
  const std::vector<float> used(response.begin(), response.begin() + kMaxPartitions * kBlock);
  expectClose(runFilter(filter, input), directConvolution(input, used), 5e-4f);
}

TEST(ConvolutionFilterTest, WetBlendsWithTheDrySignal) {
  const auto input = noise(4 * kBlock, 9);
  Audio_Filter unit(0, {1.0f});
  expectClose(runFilter(unit, input, 1.0f), input, 1e-5f);
  Audio_Filter half(0, {0.5f});
  expectClose(runFilter(half, input, 0.0f), input, 1e-5f);
  std::vector<float> blended(input.size());
  for (std::size_t i = 0; i < input.size(); ++i) blended[i] = 0.25f * 0.5f * input[i] + 0.75f * input[i];
  expectClose(runFilter(half, input, 0.25f), blended, 1e-5f);
}

TEST(ConvolutionFilterTest, FlatFrequencyCurveIsAHalfLengthDelay) {
  for (std::size_t points : {8u, 700u}) {
    const std::vector<float> flat(points, 1.0f);
    const std::size_t partitions = (points + kBlock - 1) / kBlock;
    const std::size_t delay = partitions * kBlock / 2;
    const auto response = frequencyCurveResponse(flat);
    ASSERT_EQ(response.size(), partitions * kBlock);
    for (std::size_t i = 0; i < response.size(); ++i) ASSERT_NEAR(response[i], i == delay ? 1.0f : 0.0f, 1e-5f) << i;

    const auto input = noise(8 * kBlock, 13);
    Audio_Filter filter(1, flat);
    const auto out = runFilter(filter, input);
    for (std::size_t i = 0; i < out.size(); ++i)
      ASSERT_NEAR(out[i], i >= delay ? input[i - delay] : 0.0f, 1e-4f) << i;
  }
}

TEST(ConvolutionFilterTest, FrequencyCurveFollowsItsGains) {
  // Gains fall from 1 at the low end to 0 at the top: a low tone passes, a high one is cut.
  std::vector<float> gains(64);
  for (std::size_t i = 0; i < gains.size(); ++i) gains[i] = i < 24 ? 1.0f : 0.0f;
  Audio_Filter filter(1, gains);
  auto tone = [](double hz) {
    std::vector<float> out(32 * kBlock);
    for (std::size_t i = 0; i < out.size(); ++i) out[i] = static_cast<float>(0.5 * std::sin(2 * M_PI * hz * i / 44100.0));
    return out;
  };
  auto rmsTail = [](const std::vector<float>& v) {
    double sum = 0.0;
    for (std::size_t i = v.size() / 2; i < v.size(); ++i) sum += v[i] * v[i];
    return std::sqrt(sum / static_cast<double>(v.size() / 2));
  };
  EXPECT_GT(rmsTail(runFilter(filter, tone(200.0))), 0.3);
  EXPECT_LT(rmsTail(runFilter(filter, tone(12000.0))), 0.05);
}

TEST(ConvolutionFilterTest, UnknownKindsAndEmptyResponsesAreSilent) {
  const auto input = noise(4 * kBlock, 17);
  const std::vector<float> silence(input.size(), 0.0f);
  Audio_Filter other(2, {1.0f, 0.5f});
  expectClose(runFilter(other, input), silence, 0.0f);
  Audio_Filter empty(0, {});
  expectClose(runFilter(empty, input, 0.0f), silence, 0.0f);
}

}  // namespace
}  // namespace audio
