// A GIF's screen and first frame read from hand-made heads, and the frame put on its screen.
#include "pictures/gif_screen.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

using pictures::GifScreen;

namespace {

using Bytes = std::vector<uint8_t>;

void Put16(Bytes& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

// Header and screen descriptor, with a global colour table of 2^(bits) entries when bits > 0.
Bytes Header(const char* version, uint32_t width, uint32_t height, int bits) {
  Bytes out(version, version + 6);
  Put16(out, width);
  Put16(out, height);
  out.push_back(bits > 0 ? static_cast<uint8_t>(0x80 | 0x70 | (bits - 1)) : 0x70);
  out.push_back(0);
  out.push_back(0);
  if (bits > 0) out.insert(out.end(), size_t{3} << bits, 0x55);
  return out;
}

Bytes GraphicControl() { return {0x21, 0xF9, 4, 0x01, 0, 0, 3, 0}; }

Bytes Comment(const std::string& text) {
  Bytes out = {0x21, 0xFE};
  for (size_t at = 0; at < text.size(); at += 255) {
    const size_t n = std::min<size_t>(255, text.size() - at);
    out.push_back(static_cast<uint8_t>(n));
    out.insert(out.end(), text.begin() + at, text.begin() + at + n);
  }
  out.push_back(0);
  return out;
}

Bytes ImageDescriptor(uint32_t left, uint32_t top, uint32_t width, uint32_t height) {
  Bytes out = {0x2C};
  Put16(out, left);
  Put16(out, top);
  Put16(out, width);
  Put16(out, height);
  out.push_back(0);
  out.insert(out.end(), {2, 2, 0x44, 0x01, 0});  // a few bytes of picture data
  return out;
}

Bytes Join(const std::vector<Bytes>& parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

std::optional<GifScreen> Read(const Bytes& bytes) { return pictures::ReadGifScreen(bytes.data(), bytes.size()); }

}  // namespace

TEST(GifScreen, TheScreenAndTheFirstFrame) {
  struct Case {
    const char* name;
    Bytes bytes;
    GifScreen want;
  };
  const Case cases[] = {
      {"offset frame", Join({Header("GIF89a", 100, 80, 2), GraphicControl(), ImageDescriptor(25, 15, 40, 30)}),
       {100, 80, 25, 15, 40, 30}},
      {"GIF87a without colour table", Join({Header("GIF87a", 640, 480, 0), ImageDescriptor(0, 0, 640, 480)}),
       {640, 480, 0, 0, 640, 480}},
      {"256 colours and a long comment",
       Join({Header("GIF89a", 300, 200, 8), Comment(std::string(1000, 'c')), GraphicControl(),
             ImageDescriptor(10, 20, 30, 40)}),
       {300, 200, 10, 20, 30, 40}},
      {"largest numbers", Join({Header("GIF89a", 65535, 65535, 1), ImageDescriptor(65535, 65534, 65533, 65532)}),
       {65535, 65535, 65535, 65534, 65533, 65532}},
      {"second frame ignored",
       Join({Header("GIF89a", 50, 40, 1), ImageDescriptor(1, 2, 3, 4), ImageDescriptor(5, 6, 7, 8)}),
       {50, 40, 1, 2, 3, 4}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto got = Read(c.bytes);
    ASSERT_TRUE(got);
    EXPECT_EQ(got->width, c.want.width);
    EXPECT_EQ(got->height, c.want.height);
    EXPECT_EQ(got->frameLeft, c.want.frameLeft);
    EXPECT_EQ(got->frameTop, c.want.frameTop);
    EXPECT_EQ(got->frameWidth, c.want.frameWidth);
    EXPECT_EQ(got->frameHeight, c.want.frameHeight);
  }
}

TEST(GifScreen, NoAnswerFromBytesThatAreNoGifOrEndEarly) {
  Bytes runaway = Join({Header("GIF89a", 10, 10, 1), Bytes{0x21, 0xFE, 200, 'x'}});  // a sub-block past the end
  struct Case {
    const char* name;
    Bytes bytes;
  };
  const Case cases[] = {
      {"nothing", {}},
      {"a JPEG", {0xFF, 0xD8, 0xFF, 0xE0, 0, 16, 'J', 'F', 'I', 'F', 0, 1, 1, 0}},
      {"GIF90a", Join({Header("GIF90a", 10, 10, 0), ImageDescriptor(0, 0, 10, 10)})},
      {"trailer before any frame", Join({Header("GIF89a", 10, 10, 1), Bytes{0x3B}})},
      {"unknown block", Join({Header("GIF89a", 10, 10, 1), Bytes{0x99, 0, 0, 0}, ImageDescriptor(0, 0, 1, 1)})},
      {"sub-block past the end", runaway},
      {"extension without its end", Join({Header("GIF89a", 10, 10, 1), Bytes{0x21, 0xFE, 1, 'x'}})},
      {"colour table past the end", Header("GIF89a", 10, 10, 8)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_FALSE(Read(c.bytes));
  }
}

// Cut anywhere before the image descriptor's last byte, no answer; from there on, the frame.
TEST(GifScreen, ACutHeadGivesNoAnswerUntilTheFrameIsWhole) {
  const Bytes bytes =
      Join({Header("GIF89a", 100, 80, 3), Comment("hello"), GraphicControl(), ImageDescriptor(7, 8, 9, 10)});
  const size_t descriptorEnd = bytes.size() - 5;  // the picture data after the 10-byte descriptor
  for (size_t size = 0; size <= bytes.size(); ++size) {
    SCOPED_TRACE(size);
    const auto got = pictures::ReadGifScreen(bytes.data(), size);
    EXPECT_EQ(got.has_value(), size >= descriptorEnd);
    if (got) {
      EXPECT_EQ(got->frameHeight, 10u);
    }
  }
}

// The frame against a plain per-pixel rule: inside the screen the frame's pixel, elsewhere 0.
TEST(GifScreen, TheFrameSitsAtItsPlaceClippedAndTheRestIsTransparent) {
  struct Case {
    const char* name;
    GifScreen screen;
  };
  const Case cases[] = {
      {"inside", {100, 80, 25, 15, 40, 30}},
      {"at the corner", {50, 40, 0, 0, 20, 10}},
      {"touching the far corner", {50, 40, 30, 30, 20, 10}},
      {"out past the right and bottom", {50, 40, 30, 20, 40, 30}},
      {"wider than the screen", {20, 20, 0, 5, 60, 3}},
      {"wholly outside", {20, 20, 25, 0, 5, 5}},
      {"as large as the screen", {17, 13, 0, 0, 17, 13}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const GifScreen& s = c.screen;
    std::vector<uint32_t> frame(size_t{s.frameWidth} * s.frameHeight);
    for (size_t i = 0; i < frame.size(); ++i) frame[i] = 0xFF000000u | static_cast<uint32_t>(i + 1);
    std::vector<uint32_t> pixels(size_t{s.width} * s.height, 0xDEADBEEF);
    pictures::PlaceOnScreen(frame.data(), s, pixels.data());
    for (uint32_t y = 0; y < s.height; ++y)
      for (uint32_t x = 0; x < s.width; ++x) {
        const bool inFrame = x >= s.frameLeft && x < s.frameLeft + s.frameWidth && y >= s.frameTop &&
                             y < s.frameTop + s.frameHeight;
        const uint32_t want = inFrame ? frame[size_t{y - s.frameTop} * s.frameWidth + (x - s.frameLeft)] : 0u;
        ASSERT_EQ(pixels[size_t{y} * s.width + x], want) << x << "," << y;
      }
  }
}
