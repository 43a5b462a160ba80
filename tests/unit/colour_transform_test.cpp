#include "pictures/colour_transform.h"

#include <gtest/gtest.h>

#include <random>

#include "tests/unit/icc_test_profile.h"

namespace {

using namespace test_support;
using pictures::ColourKernel;
using pictures::ColourTransform;
using pictures::SrgbProfile;

pictures::MatrixProfile Matrix(const Bytes& b) { return *pictures::ReadIccProfile(b.data(), b.size())->matrix; }

Bytes GammaTable(double gamma, size_t count) {
  std::vector<uint16_t> entries(count);
  for (size_t i = 0; i < count; ++i) entries[i] = uint16_t(std::lround(65535 * std::pow(i / (count - 1.0), gamma)));
  return CurvTag(entries);
}

// The built-in sRGB's colorants, red's x moved by `redX` / 65536.
Colorants SrgbColorants(int redX = 0) {
  const auto& c = SrgbProfile().colorants;
  return {{{c[0].x + redX / 65536.0, c[0].y, c[0].z}, {c[1].x, c[1].y, c[1].z}, {c[2].x, c[2].y, c[2].z}}};
}

const Bytes kGamma22 = ParaTag(0, {2.2});
const auto kWide = Matrix(IccBytes(
    "RGB ", RgbTags(kGamma22, GammaTable(1.8, 256), CurvTag({}),
                    {{{0.6097, 0.3111, 0.0195}, {0.2053, 0.6257, 0.0609}, {0.1492, 0.0632, 0.7446}}})));

// Greys first, then random colours; byte 3 random throughout.
std::vector<uint32_t> Pixels(size_t count) {
  std::mt19937 random(25);
  std::vector<uint32_t> pixels(count);
  for (size_t i = 0; i < count; ++i) pixels[i] = (i < 256 ? i * 0x010101 : random() & 0xFFFFFF) | random() << 24;
  return pixels;
}

TEST(ColourTransform, SrgbShortCut) {
  const Bytes srgbCurve = ParaTag(3, {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045});
  std::vector<uint16_t> sampled(1024);
  for (size_t i = 0; i < sampled.size(); ++i)
    sampled[i] = uint16_t(std::lround(65535 * SrgbProfile().curves[0].Evaluate(i / 1023.0)));
  EXPECT_TRUE(pictures::IsSrgb(SrgbProfile()));
  EXPECT_TRUE(pictures::IsSrgb(Matrix(RgbProfile(srgbCurve, SrgbColorants(1)))));
  EXPECT_FALSE(pictures::IsSrgb(Matrix(RgbProfile(srgbCurve, SrgbColorants(2)))));
  EXPECT_TRUE(pictures::IsSrgb(Matrix(RgbProfile(CurvTag(sampled), SrgbColorants()))));
  EXPECT_FALSE(pictures::IsSrgb(Matrix(RgbProfile(kGamma22, SrgbColorants()))));
}

TEST(ColourTransform, SameProfileShortCutLeavesOutDateAndId) {
  const Bytes& a = pictures::SrgbProfileBytes();
  for (auto [changed, same] : {std::pair{24, true}, {35, true}, {84, true}, {99, true}, {23, false}, {36, false},
                                {83, false}, {100, false}}) {
    Bytes b = a;
    b[changed] ^= 1;
    EXPECT_EQ(pictures::IsSameProfile(a.data(), a.size(), b.data(), b.size()), same) << changed;
  }
  EXPECT_FALSE(pictures::IsSameProfile(a.data(), a.size(), a.data(), a.size() - 1));
}

// A profile to itself gives every pixel back: the inverse curves are exact, near black and
// where they rise steeply too (the fourth curve is nearly flat across its middle third).
TEST(ColourTransform, ProfileToItselfChangesNothing) {
  for (const Bytes& bytes : {RgbProfile(kGamma22), RgbProfile(CurvTag({})), RgbProfile(GammaTable(1.8, 256)),
                             RgbProfile(CurvTag({0, 0x7800, 0x8000, 0xFFFF})), pictures::SrgbProfileBytes()}) {
    std::vector<uint32_t> pixels = Pixels(20000);
    ColourTransform::Make(Matrix(bytes), Matrix(bytes))->Apply(pixels.data(), pixels.size());
    EXPECT_EQ(pixels, Pixels(20000));
  }
}

// Every colour, since a float step taken in another order changes only a few in a million.
TEST(ColourTransform, EveryColourTheSameByEveryKernel) {
  const auto transform = ColourTransform::Make(kWide, SrgbProfile());
  std::vector<uint32_t> plain(1 << 16), sse2, avx2;
  for (uint32_t first = 0; first < 1 << 24; first += 1 << 16) {
    for (uint32_t i = 0; i < plain.size(); ++i) plain[i] = (first + i) * 0x01000001u;
    sse2 = avx2 = plain;
    transform->Apply(plain.data(), plain.size(), ColourKernel::Scalar);
    transform->Apply(sse2.data(), sse2.size(), ColourKernel::Sse2);
    transform->Apply(avx2.data(), avx2.size(), ColourKernel::Avx2);
    ASSERT_EQ(sse2, plain);
    ASSERT_EQ(avx2, plain);
  }
}

// Byte 3 is kept, for a display whose cells must be finer too; rows converted in two bands
// with gaps between them come out as the plain form converts them, the gaps untouched.
TEST(ColourTransform, BandsGiveThePlainFormsBytes) {
  const auto transform = ColourTransform::Make(kWide, Matrix(RgbProfile(GammaTable(3, 64))));
  const std::vector<uint32_t> pixels = Pixels(40 * 97);
  std::vector<uint32_t> plain = pixels, rows = pixels;  // 97 rows of 37 pixels and a gap of 3
  transform->Apply(plain.data(), plain.size(), ColourKernel::Scalar);
  for (size_t i = 0; i < pixels.size(); ++i) ASSERT_EQ(plain[i] >> 24, pixels[i] >> 24);
  auto* bytes = reinterpret_cast<uint8_t*>(rows.data());
  transform->Apply(bytes, 37, 50, 40 * 4);
  transform->Apply(bytes + 50 * 40 * 4, 37, 47, 40 * 4);
  for (size_t i = 0; i < rows.size(); ++i) ASSERT_EQ(rows[i], i % 40 < 37 ? plain[i] : pixels[i]);
}

// A curve that dips, a grey display and colorants without an inverse.
TEST(ColourTransform, DisplaysWithoutAnInverseAreRefused) {
  const Bytes sameColorants = RgbProfile(kGamma22, {{{0.3, 0.3, 0.3}, {0.3, 0.3, 0.3}, {0.3, 0.3, 0.3}}});
  const Bytes dipping = RgbProfile(CurvTag({0, 0x9000, 0x7000, 0xFFFF}));
  for (const Bytes& display : {dipping, IccBytes("GRAY", {{"kTRC", kGamma22}}), sameColorants})
    EXPECT_FALSE(ColourTransform::Make(SrgbProfile(), Matrix(display)));
}

}  // namespace
