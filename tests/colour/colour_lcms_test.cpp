// The program's colour transform against LittleCMS's, to the same destinations, for every
// RGB matrix profile on the system and a few made here.
#include <gtest/gtest.h>
#include <lcms2.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "pictures/colour_transform.h"

namespace {

using Bytes = std::vector<uint8_t>;
using Named = std::pair<std::string, Bytes>;

const std::string kIcc = "/usr/share/color/icc/";

Bytes ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

// D65 primaries with one curve for all three channels, as LittleCMS saves them.
Bytes MadeRgbProfile(const cmsCIExyYTRIPLE& primaries, cmsToneCurve* curve) {
  const cmsCIExyY d65{0.3127, 0.3290, 1};
  cmsToneCurve* curves[3] = {curve, curve, curve};
  cmsHPROFILE profile = cmsCreateRGBProfile(&d65, &primaries, curves);
  cmsUInt32Number size = 0;
  cmsSaveProfileToMem(profile, nullptr, &size);
  Bytes bytes(size);
  cmsSaveProfileToMem(profile, bytes.data(), &size);
  cmsCloseProfile(profile), cmsFreeToneCurve(curve);
  return bytes;
}

const cmsCIExyYTRIPLE kSrgbPrimaries{{0.64, 0.33, 1}, {0.30, 0.60, 1}, {0.15, 0.06, 1}};

// Every RGB profile of the matrix kind, as the program's own reading finds them.
std::vector<Named> MatrixProfiles() {
  std::vector<Named> found;
  for (const std::string& folder : {kIcc + "colord/", kIcc})
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
      Bytes bytes = entry.is_regular_file() ? ReadFile(entry.path()) : Bytes();
      const auto profile = pictures::ReadIccProfile(bytes.data(), bytes.size());
      if (profile && profile->space == pictures::ColourSpace::Rgb && profile->kind == pictures::ProfileKind::Matrix)
        found.push_back({entry.path().filename(), std::move(bytes)});
    }
  const double srgbCurve[5] = {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045};
  const cmsCIExyYTRIPLE p3{{0.680, 0.320, 1}, {0.265, 0.690, 1}, {0.150, 0.060, 1}};
  found.push_back({"Display P3", MadeRgbProfile(p3, cmsBuildParametricToneCurve(nullptr, 4, srgbCurve))});
  return found;
}

// Greys, ramps of each channel and of each pair, a cube near black and random colours,
// byte 3 random.
std::vector<uint32_t> Samples() {
  std::vector<uint32_t> samples;
  for (uint32_t mask : {0xFFFFFFu, 0xFFu, 0xFF00u, 0xFF0000u, 0xFFFFu, 0xFFFF00u, 0xFF00FFu})
    for (uint32_t v = 0; v < 256; ++v) samples.push_back(v * 0x010101 & mask);
  for (uint32_t v = 0; v < 16 * 16 * 16; ++v) samples.push_back((v & 0xF00) << 8 | (v & 0xF0) << 4 | (v & 0xF));
  std::mt19937 random(25);
  while (samples.size() < 110000) samples.push_back(random() & 0xFFFFFF);
  for (uint32_t& sample : samples) sample |= random() << 24;
  return samples;
}

// The largest difference in any channel between the two conversions (256 when byte 3
// changed); a grey source takes byte 0 of each pixel, the three others as extra bytes.
int LargestDifference(const Bytes& source, const Bytes& destination, const std::vector<uint32_t>& pixels) {
  const auto from = pictures::ReadIccProfile(source.data(), source.size());
  const auto to = pictures::ReadIccProfile(destination.data(), destination.size());
  std::vector<uint32_t> ours = pixels, theirs(pixels.size());
  pictures::ColourTransform::Make(*from->matrix, *to->matrix)->Apply(ours.data(), ours.size());

  const cmsUInt32Number kGreyPixel = COLORSPACE_SH(PT_GRAY) | CHANNELS_SH(1) | BYTES_SH(1) | EXTRA_SH(3);
  cmsHPROFILE in = cmsOpenProfileFromMem(source.data(), cmsUInt32Number(source.size()));
  cmsHPROFILE out = cmsOpenProfileFromMem(destination.data(), cmsUInt32Number(destination.size()));
  cmsHTRANSFORM lcms = cmsCreateTransform(in, from->matrix->grey ? kGreyPixel : TYPE_BGRA_8, out, TYPE_BGRA_8,
                                          INTENT_RELATIVE_COLORIMETRIC, cmsFLAGS_NOOPTIMIZE);
  cmsCloseProfile(in), cmsCloseProfile(out);
  cmsDoTransform(lcms, pixels.data(), theirs.data(), cmsUInt32Number(pixels.size()));
  cmsDeleteTransform(lcms);

  int largest = 0;
  for (size_t i = 0; i < pixels.size(); ++i) {
    if (ours[i] >> 24 != pixels[i] >> 24) return 256;
    for (int shift = 0; shift < 24; shift += 8)
      largest = std::max(largest, std::abs(int(ours[i] >> shift & 0xFF) - int(theirs[i] >> shift & 0xFF)));
  }
  return largest;
}

// Relative colorimetric, no optimisation, to the built-in sRGB given to LittleCMS as bytes
// and to two display profiles; a grey source to sRGB and Adobe RGB.
TEST(ColourAgainstLcms, EveryMatrixProfileWithinOneOfLittleCms) {
  const std::vector<Named> sources = MatrixProfiles();
  for (const char* wanted : {"AdobeRGB1998.icc", "AppleRGB.icc", "ProPhotoRGB.icc", "WideGamutRGB.icc",
                             "Rec709.icc", "Bluish.icc", "SwappedRedAndGreen.icc"})
    EXPECT_TRUE(std::any_of(sources.begin(), sources.end(), [&](auto& s) { return s.first == wanted; })) << wanted;

  const Bytes adobe = ReadFile(kIcc + "colord/AdobeRGB1998.icc");
  const std::vector<Named> destinations = {
      {"built-in sRGB", pictures::SrgbProfileBytes()},
      {"Adobe RGB display", adobe},
      {"gamma 2.2 display", MadeRgbProfile(kSrgbPrimaries, cmsBuildGamma(nullptr, 2.2))},
  };
  const std::vector<uint32_t> samples = Samples();
  for (const auto& [to, destination] : destinations)
    for (const auto& [from, source] : sources)
      EXPECT_LE(LargestDifference(source, destination, samples), 1) << from << " to " << to;

  const std::vector<uint32_t> greys(samples.begin(), samples.begin() + 256);
  const Bytes grey = ReadFile(kIcc + "Gray.icc");
  EXPECT_LE(LargestDifference(grey, pictures::SrgbProfileBytes(), greys), 1);
  EXPECT_LE(LargestDifference(grey, adobe, greys), 1);
}

}  // namespace
