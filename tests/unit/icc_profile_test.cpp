#include "pictures/icc_profile.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <tuple>

#include "pictures/colour_transform.h"
#include "tests/unit/icc_test_profile.h"

namespace {

using namespace test_support;
using pictures::ColourSpace;
using pictures::ProfileKind;

std::optional<pictures::IccProfile> Read(const Bytes& b) { return pictures::ReadIccProfile(b.data(), b.size()); }

const Bytes kGamma = ParaTag(0, {2.2});
const Tag kTable{"A2B0", Bytes(40, 0)}, kB2A0{"B2A0", Bytes(40, 0)};

// Tags 0-2 colorants, 3-5 curves (a `para`, a table, a gamma), 6 one no conversion reads.
Bytes MixedCurves() {
  std::vector<Tag> tags = RgbTags(kGamma, CurvTag({0, 0x8000, 0xFFFF}), CurvTag({0x0233}));
  tags.emplace_back("desc", Bytes(12, 0));
  return IccBytes("RGB ", tags);
}

size_t Entry(size_t tag) { return 132 + 12 * tag; }
size_t DataOf(const Bytes& b, size_t tag) { return size_t(b[Entry(tag) + 6]) << 8 | b[Entry(tag) + 7]; }

TEST(IccProfile, MalformedProfilesAreNoProfile) {
  const std::pair<const char*, std::function<void(Bytes&)>> kCases[] = {
      {"cut short", [](Bytes& b) { b.resize(b.size() - 4); }},
      {"tag table longer than the profile", [](Bytes& b) { SetBig32(b, 128, 30); }},
      {"tag past the end", [](Bytes& b) { SetBig32(b, Entry(2) + 4, uint32_t(b.size())); }},
      {"tag running past the end", [](Bytes& b) { SetBig32(b, Entry(5) + 8, 1000); }},
      {"tag inside the tag table", [](Bytes& b) { SetBig32(b, Entry(6) + 4, uint32_t(Entry(3))); }},
      {"tag running into the next", [](Bytes& b) { SetBig32(b, Entry(1) + 8, 40); }},
      {"the same tag twice", [](Bytes& b) { std::memcpy(&b[Entry(1)], "rXYZ", 4); }},
      {"unknown para function", [](Bytes& b) { b[DataOf(b, 3) + 9] = 5; }},
      {"para shorter than its function", [](Bytes& b) { b[DataOf(b, 3) + 9] = 3; }},
      {"curv shorter than its count", [](Bytes& b) { SetBig32(b, DataOf(b, 4) + 8, 5); }},
      {"colorant of another type", [](Bytes& b) { std::memcpy(&b[DataOf(b, 0)], "curv", 4); }},
      {"not a profile", [](Bytes& b) { b[36] = 'x'; }},
      {"version 5", [](Bytes& b) { b[8] = 5; }},
      {"over 4 MiB", [](Bytes& b) { b.resize(pictures::kLargestProfileBytes + 4), SetBig32(b, 0, b.size()); }},
  };
  ASSERT_TRUE(Read(MixedCurves()));
  for (const auto& [name, spoil] : kCases) {
    Bytes bytes = MixedCurves();
    spoil(bytes);
    EXPECT_FALSE(Read(bytes)) << name;
  }
}

TEST(IccProfile, KindsAsPictureAndAsDisplay) {
  auto rgb = [](std::vector<Tag> tags, const char* blue = "bXYZ") {
    for (Tag& tag : RgbTags(kGamma, kGamma, kGamma)) tags.push_back(tag.first == "bXYZ" ? Tag{blue, tag.second} : tag);
    return IccBytes("RGB ", tags);
  };
  struct Case { const char* name; Bytes bytes; ColourSpace space; ProfileKind kind; bool display; };
  const Case kCases[] = {
      {"matrix", rgb({}), ColourSpace::Rgb, ProfileKind::Matrix, true},
      {"matrix and A2B0", rgb({kTable}), ColourSpace::Rgb, ProfileKind::Table, true},
      {"matrix and B2A0", rgb({kB2A0}), ColourSpace::Rgb, ProfileKind::Table, false},
      {"no bXYZ", rgb({}, "desc"), ColourSpace::Rgb, ProfileKind::Unusable, false},
      {"tables only", IccBytes("RGB ", {kTable}), ColourSpace::Rgb, ProfileKind::Table, false},
      {"grey", IccBytes("GRAY", {{"kTRC", kGamma}}), ColourSpace::Grey, ProfileKind::Matrix, false},
      {"CMYK", IccBytes("CMYK", {kTable}), ColourSpace::Other, ProfileKind::Unusable, false},
      {"device link", IccBytes("RGB ", {kTable}, "link"), ColourSpace::Rgb, ProfileKind::Unusable, false},
  };
  for (const Case& c : kCases) {
    const auto profile = Read(c.bytes);
    ASSERT_TRUE(profile) << c.name;
    EXPECT_EQ(std::tuple(profile->space, profile->kind, profile->matrixDisplay, profile->matrix.has_value()),
              std::tuple(c.space, c.kind, c.display, c.kind == ProfileKind::Matrix || c.display))
        << c.name;
  }
}

TEST(IccProfile, CurvesOfEveryForm) {
  const double a = 1 / 1.055, b = 0.055 / 1.055;
  const std::vector<double> srgb{2.4, a, b, 1 / 12.92, 0.04045}, four{2, 0.5, 0, 0.5, 0.5, 0.25, 0.125};
  const struct { Bytes curve; double x0, y0, x1, y1; } kCases[] = {
      {CurvTag({}), 0.3, 0.3, 1, 1},
      {CurvTag({0x0200}), 0.5, 0.25, 1, 1},  // u8.8 gamma 2
      {CurvTag({0, 0x8000, 0xFFFF}), 0.25, 0x4000 / 65535.0, 0.75, (0x8000 + 0x7FFF / 2.0) / 65535},
      {ParaTag(0, {2.0}), 0.5, 0.25, 0, 0},
      {ParaTag(1, {1, 2, -1}), 0.25, 0, 0.75, 0.5},
      {ParaTag(2, {1, 2, -1, 0.25}), 0.25, 0.25, 0.75, 0.75},
      {ParaTag(3, srgb), 0.02, 0.02 / 12.92, 0.5, std::pow(0.5 * a + b, 2.4)},
      {ParaTag(4, four), 0.25, 0.25, 0.75, 0.375 * 0.375 + 0.25},
  };
  for (const auto& c : kCases) {
    const auto profile = Read(RgbProfile(c.curve));
    ASSERT_TRUE(profile && profile->matrix);
    EXPECT_NEAR(profile->matrix->curves[0].Evaluate(c.x0), c.y0, 1e-4) << "x " << c.x0;
    EXPECT_NEAR(profile->matrix->curves[0].Evaluate(c.x1), c.y1, 1e-4) << "x " << c.x1;
  }
}

// Random damage anywhere, the header and tag table above all, read from buffers of exactly
// the damaged size: the sanitizers catch any read outside them.
TEST(IccProfile, RandomDamageIsReadSafely) {
  const Bytes bases[] = {MixedCurves(), IccBytes("GRAY", {{"kTRC", CurvTag({0, 0x4000, 0xFFFF})}})};
  std::mt19937 random(2501);
  int read = 0, refused = 0;
  for (int round = 0; round < 4000; ++round) {
    Bytes bytes = bases[round % 2];
    for (int damage = 1 + round % 3; damage > 0; --damage) {
      const size_t at = random() % (random() % 2 ? std::min<size_t>(220, bytes.size()) : bytes.size());
      bytes[at] = random() % 3 ? uint8_t(random()) : uint8_t(bytes[at] ^ 1u << random() % 8);
    }
    if (round % 5 == 0) bytes.resize(random() % bytes.size());
    const auto profile = Read(bytes);
    ++(profile ? read : refused);
    if (!profile) continue;
    ASSERT_EQ(profile->matrix.has_value(), profile->kind == ProfileKind::Matrix || profile->matrixDisplay);
    if (!profile->matrix) continue;
    const auto transform = pictures::ColourTransform::Make(*profile->matrix, pictures::SrgbProfile());
    std::vector<uint32_t> pixels(70, 0x80FF4000);
    if (transform) transform->Apply(pixels.data(), pixels.size());
    ASSERT_EQ(pixels[69] >> 24, 0x80u);
  }
  EXPECT_GT(read, 400);
  EXPECT_GT(refused, 400);
}

}  // namespace
