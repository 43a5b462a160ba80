#include "pictures/colour_transform.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "tests/unit/icc_test_profile.h"

namespace {

using namespace test_support;
using pictures::ColourKernel;
using pictures::ColourTransform;
using pictures::MatrixProfile;

MatrixProfile Matrix(const Bytes& bytes) { return *pictures::ReadIccProfile(bytes.data(), bytes.size())->matrix; }

Bytes GammaTable(double gamma, size_t count) {
  std::vector<uint16_t> entries(count);
  for (size_t i = 0; i < count; ++i) entries[i] = uint16_t(std::lround(65535 * std::pow(i / (count - 1.0), gamma)));
  return CurvTag(entries);
}

// The built-in sRGB's colorants, red's x moved by `redX` / 65536, with the given curve.
Bytes SrgbLike(const Bytes& curve, int redX) {
  const auto& c = pictures::SrgbProfile().colorants;
  return IccBytes("RGB ", {{"rXYZ", XyzTag(c[0].x + redX / 65536.0, c[0].y, c[0].z)},
                           {"gXYZ", XyzTag(c[1].x, c[1].y, c[1].z)},
                           {"bXYZ", XyzTag(c[2].x, c[2].y, c[2].z)},
                           {"rTRC", curve},
                           {"gTRC", curve},
                           {"bTRC", curve}});
}

std::vector<uint32_t> Pixels(size_t count, uint32_t seed) {
  std::mt19937 random(seed);
  std::vector<uint32_t> pixels(count);
  for (uint32_t v = 0; v < 256 && v < count; ++v) pixels[v] = v * 0x010101 | uint32_t(random()) << 24;
  for (size_t i = 256; i < count; ++i) pixels[i] = uint32_t(random());
  return pixels;
}

TEST(ColourTransform, SrgbShortCut) {
  const Bytes srgbCurve = ParaTag(3, {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045});
  EXPECT_TRUE(pictures::IsSrgb(pictures::SrgbProfile()));
  EXPECT_TRUE(pictures::IsSrgb(Matrix(SrgbLike(srgbCurve, 1))));
  EXPECT_FALSE(pictures::IsSrgb(Matrix(SrgbLike(srgbCurve, 2))));
  std::vector<uint16_t> sampled(1024);
  for (size_t i = 0; i < sampled.size(); ++i)
    sampled[i] = uint16_t(std::lround(65535 * pictures::SrgbProfile().curves[0].Evaluate(i / 1023.0)));
  EXPECT_TRUE(pictures::IsSrgb(Matrix(SrgbLike(CurvTag(sampled), 0))));
  EXPECT_FALSE(pictures::IsSrgb(Matrix(SrgbLike(ParaTag(0, {2.2}), 0))));
}

TEST(ColourTransform, SameProfileShortCutLeavesOutDateAndId) {
  const Bytes& a = pictures::SrgbProfileBytes();
  Bytes b = a;
  for (size_t i : {24, 35, 84, 99}) b[i] ^= 0x5A;
  EXPECT_TRUE(pictures::IsSameProfile(a.data(), a.size(), b.data(), b.size()));
  for (size_t i : {23, 36, 83, 100}) {
    Bytes c = a;
    c[i] ^= 1;
    EXPECT_FALSE(pictures::IsSameProfile(a.data(), a.size(), c.data(), c.size())) << i;
  }
  EXPECT_FALSE(pictures::IsSameProfile(a.data(), a.size(), a.data(), a.size() - 1));
}

// A profile to itself gives every pixel back: the inverse curves are exact, near black and
// where they rise steeply too (the last curve is nearly flat across its middle third).
TEST(ColourTransform, ProfileToItselfChangesNothing) {
  for (const Bytes& curve : {ParaTag(0, {2.2}), ParaTag(0, {1.8}), CurvTag({}), GammaTable(1.8, 256),
                             CurvTag({0, 0x7800, 0x8000, 0xFFFF})}) {
    const MatrixProfile profile = Matrix(RgbProfile(curve));
    const std::vector<uint32_t> pixels = Pixels(20000, 1);
    std::vector<uint32_t> converted = pixels;
    ColourTransform::Make(profile, profile)->Apply(converted.data(), converted.size());
    EXPECT_EQ(converted, pixels);
  }
  const std::vector<uint32_t> pixels = Pixels(256, 2);
  std::vector<uint32_t> converted = pixels;
  ColourTransform::Make(pictures::SrgbProfile(), pictures::SrgbProfile())->Apply(converted.data(), 256);
  EXPECT_EQ(converted, pixels);
}

TEST(ColourTransform, GreyLightsAllThreeChannelsAlike) {
  const MatrixProfile grey = Matrix(IccBytes("GRAY", {{"kTRC", ParaTag(0, {2.2})}}));
  std::vector<uint32_t> pixels = Pixels(256, 3);
  const std::vector<uint32_t> wanted = pixels;
  ColourTransform::Make(grey, Matrix(SrgbLike(ParaTag(0, {2.2}), 0)))->Apply(pixels.data(), 256);
  EXPECT_EQ(pixels, wanted);
}

MatrixProfile Wide() {
  return Matrix(IccBytes("RGB ", {{"rXYZ", XyzTag(0.6097, 0.3111, 0.0195)},
                                  {"gXYZ", XyzTag(0.2053, 0.6257, 0.0609)},
                                  {"bXYZ", XyzTag(0.1492, 0.0632, 0.7446)},
                                  {"rTRC", ParaTag(0, {2.2})},
                                  {"gTRC", GammaTable(1.8, 256)},
                                  {"bTRC", CurvTag({})}}));
}

// Every colour, since a float step taken in another order changes only a few in a million.
TEST(ColourTransform, EveryColourTheSameByEveryKernel) {
  const auto transform = ColourTransform::Make(Wide(), pictures::SrgbProfile());
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

// Every kernel gives the plain form's bytes, byte 3 is kept, and rows converted in bands
// with gaps between them come out as the whole, the gaps untouched.
TEST(ColourTransform, KernelsAndBandsGiveThePlainFormsBytes) {
  const MatrixProfile wide = Wide();
  const MatrixProfile linear = Matrix(RgbProfile(CurvTag({})));
  const std::pair<MatrixProfile, MatrixProfile> kPairs[] = {
      {wide, pictures::SrgbProfile()},
      {pictures::SrgbProfile(), linear},
      {wide, Matrix(RgbProfile(GammaTable(3, 64)))}};
  for (const auto& [source, destination] : kPairs) {
    const auto transform = ColourTransform::Make(source, destination);
    ASSERT_TRUE(transform);
    const std::vector<uint32_t> pixels = Pixels(40 * 97, 4);
    std::vector<uint32_t> plain = pixels;
    transform->Apply(plain.data(), plain.size(), ColourKernel::Scalar);
    for (size_t i = 0; i < pixels.size(); ++i) ASSERT_EQ(plain[i] >> 24, pixels[i] >> 24);
    for (ColourKernel kernel : {ColourKernel::Sse2, ColourKernel::Avx2}) {
      if (kernel == ColourKernel::Avx2 && !pictures::ColourAvx2Available()) continue;
      std::vector<uint32_t> whole = pixels;
      transform->Apply(whole.data(), whole.size(), kernel);
      EXPECT_EQ(whole, plain);
      // 97 rows of 37 pixels and a gap of 3, in bands of 50 and 47 rows.
      std::vector<uint32_t> rows = pixels;
      auto* bytes = reinterpret_cast<uint8_t*>(rows.data());
      transform->Apply(bytes, 37, 50, 40 * 4, kernel);
      transform->Apply(bytes + 50 * 40 * 4, 37, 47, 40 * 4, kernel);
      for (size_t i = 0; i < rows.size(); ++i)
        ASSERT_EQ(rows[i], i % 40 < 37 ? plain[i] : pixels[i]);
    }
  }
}

TEST(ColourTransform, DisplaysWithoutAnInverseAreRefused) {
  const MatrixProfile srgb = pictures::SrgbProfile();
  EXPECT_FALSE(ColourTransform::Make(srgb, Matrix(RgbProfile(CurvTag({0xFFFF, 0})))));
  EXPECT_FALSE(ColourTransform::Make(srgb, Matrix(IccBytes("GRAY", {{"kTRC", ParaTag(0, {2.2})}}))));
  const Bytes gamma = ParaTag(0, {2.2}), xyz = XyzTag(0.3, 0.3, 0.3);
  const Bytes sameColorants = IccBytes("RGB ", {{"rXYZ", xyz}, {"gXYZ", xyz}, {"bXYZ", xyz},
                                                {"rTRC", gamma}, {"gTRC", gamma}, {"bTRC", gamma}});
  EXPECT_FALSE(ColourTransform::Make(srgb, Matrix(sameColorants)));
}

}  // namespace
