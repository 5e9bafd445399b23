#include "bitmap/core/ImageHeader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace bitmap {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes bytesOf(const std::string& text) { return Bytes(text.begin(), text.end()); }

struct HeaderCase {
  const char* name;
  Bytes data;
  std::optional<ImageHeader> expected;
};

class ImageHeaderTest : public ::testing::TestWithParam<HeaderCase> {};

TEST_P(ImageHeaderTest, ReadsTheDeclaredFormatAndSize) {
  const std::optional<ImageHeader> header = readImageHeader(GetParam().data);
  ASSERT_EQ(header.has_value(), GetParam().expected.has_value());
  if (!header) return;
  EXPECT_EQ(header->format, GetParam().expected->format);
  EXPECT_EQ(header->width, GetParam().expected->width);
  EXPECT_EQ(header->height, GetParam().expected->height);
  EXPECT_EQ(header->minimumBytes, GetParam().expected->minimumBytes);
}

const std::string kPng = std::string("\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR", 16);
const std::string kGif = std::string("GIF89a\x0A\0\x14\0\0\0\0", 13);
// A graphic-control extension before the frame, which is larger than the screen, then its code size; each code of
// at most 12 bits stands for at most 4096 pixels.
const std::string kGifFrame = std::string("\x21\xF9\x04\0\0\0\0\0\x2C\0\0\0\0\x2C\x01\0\x10\0\x02", 19);
const std::string kJpegApp = std::string("\xFF\xD8\xFF\xE0\0\x04JF", 8);
const std::string kTga = std::string("\0\0\x02\0\0\0\0\0\0\0\0\0\x02\x01\x03\x01\x18\x20", 18);

INSTANTIATE_TEST_SUITE_P(
    Formats, ImageHeaderTest,
    ::testing::Values(
        // Rows of 4 × 8 bits: (1 + 240000) × 60000 bytes before deflate, which packs at most 1032 into 1.
        HeaderCase{"png", bytesOf(kPng + std::string("\0\0\xEA\x60\0\0\xEA\x60\x08\x06", 10)),
                   ImageHeader{ImageFormat::Png, 60000, 60000, 240001LL * 60000 / 1032}},
        HeaderCase{"png_cut_in_its_header", bytesOf(kPng + std::string("\0\0", 2)), std::nullopt},
        HeaderCase{"jpeg_frame_after_a_segment",
                   bytesOf(kJpegApp + std::string("\xFF\xFF\xC2\0\x0B\x08\x01\x02\x03\x04", 10)),
                   ImageHeader{ImageFormat::Jpeg, 0x0304, 0x0102, 0x0304 * 0x0102 / 512}},
        HeaderCase{"jpeg_image_data_before_any_frame", bytesOf(kJpegApp + std::string("\xFF\xDA\0\x02\0\0", 6)),
                   std::nullopt},
        HeaderCase{"bmp_core_header",
                   bytesOf(std::string("BM", 2) + std::string(12, '\0') + std::string("\x0C\0\0\0\x07\0\x09\0", 8)),
                   ImageHeader{ImageFormat::Bmp, 7, 9}},
        // Three rows of five 24-bit pixels, each padded to 16 bytes.
        HeaderCase{"bmp_top_down",
                   bytesOf(std::string("BM", 2) + std::string(12, '\0') +
                           std::string("\x28\0\0\0\x05\0\0\0\xFD\xFF\xFF\xFF\x01\0\x18\0\0\0\0\0", 20)),
                   ImageHeader{ImageFormat::Bmp, 5, 3, 48}},
        HeaderCase{"bmp_run_lengths_have_no_bound",
                   bytesOf(std::string("BM", 2) + std::string(12, '\0') +
                           std::string("\x28\0\0\0\x05\0\0\0\x03\0\0\0\x01\0\x08\0\x01\0\0\0", 20)),
                   ImageHeader{ImageFormat::Bmp, 5, 3, 0}},
        HeaderCase{"gif_frame_larger_than_the_screen", bytesOf(kGif + kGifFrame),
                   ImageHeader{ImageFormat::Gif, 300, 4096, 300 * 4096 / 4096 * 12 / 8}},
        // A frame that is empty, or whose compression cannot start, sends the decoder looking for another: refused.
        HeaderCase{"gif_frame_with_a_code_size_over_12", bytesOf(kGif + kGifFrame.substr(0, 18) + "\x0D"),
                   std::nullopt},
        HeaderCase{"gif_frame_without_height", bytesOf(kGif + kGifFrame.substr(0, 15) + std::string("\0\0\0\x02", 4)),
                   std::nullopt},
        // The decoder reads a graphic control's empty first block and takes the ',' after it for the size of the
        // next block, so the frame it decodes is the one after that block.
        HeaderCase{
            "gif_empty_graphic_control_hides_a_frame",
            bytesOf(kGif + std::string("\x21\xF9\0\x2C", 4) + std::string(44, '\x01') + '\0' + kGifFrame.substr(8)),
            ImageHeader{ImageFormat::Gif, 300, 4096, 300 * 4096 / 4096 * 12 / 8}},
        HeaderCase{"gif_without_a_frame", bytesOf(kGif + "\x21\xF9\x04"), std::nullopt},
        HeaderCase{
            "webp_lossless",
            bytesOf(std::string("RIFF\0\0\0\0WEBPVP8L\0\0\0\0\x2F", 21) + std::string("\x09\xC0\x00\x00\0\0\0\0\0", 9)),
            ImageHeader{ImageFormat::Webp, 10, 4}},
        HeaderCase{"webp_extended",
                   bytesOf(std::string("RIFF\0\0\0\0WEBPVP8X\0\0\0\0\0\0\0\0", 24) +
                           std::string("\xFF\xFF\xFF\x01\0\0\0\0\0", 9)),
                   ImageHeader{ImageFormat::Webp, 16777216, 2}},
        HeaderCase{"tga", bytesOf(kTga), ImageHeader{ImageFormat::Tga, 258, 259, 18 + 258 * 259 * 3}},
        // Run-length packets hold at most 128 pixels and cost a count byte and one 24-bit pixel.
        HeaderCase{"tga_run_lengths", bytesOf(std::string(kTga).replace(2, 1, "\x0A")),
                   ImageHeader{ImageFormat::Tga, 258, 259, 18 + (258 * 259 + 127) / 128 * 4}},
        HeaderCase{"text", bytesOf("just some words, not a picture"), std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace bitmap
