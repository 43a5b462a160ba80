// The program's colour transform against LittleCMS's, to the same destinations, for every
// RGB matrix profile on the system and a few made here.
#include <gtest/gtest.h>
#include <lcms2.h>

#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <iterator>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "pictures/colour_transform.h"
#include "pictures/icc_profile.h"

namespace {

using Bytes = std::vector<uint8_t>;
using pictures::ReadIccProfile;

Bytes ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

Bytes SavedAndClosed(cmsHPROFILE profile) {
  cmsUInt32Number size = 0;
  cmsSaveProfileToMem(profile, nullptr, &size);
  Bytes bytes(size);
  cmsSaveProfileToMem(profile, bytes.data(), &size);
  cmsCloseProfile(profile);
  return bytes;
}

// D65 primaries with one curve for all three channels.
Bytes MadeRgbProfile(const cmsCIExyYTRIPLE& primaries, cmsToneCurve* curve) {
  const cmsCIExyY d65{0.3127, 0.3290, 1};
  cmsToneCurve* curves[3] = {curve, curve, curve};
  Bytes bytes = SavedAndClosed(cmsCreateRGBProfile(&d65, &primaries, curves));
  cmsFreeToneCurve(curve);
  return bytes;
}

const double kSrgbCurve[5] = {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045};
const cmsCIExyYTRIPLE kP3{{0.680, 0.320, 1}, {0.265, 0.690, 1}, {0.150, 0.060, 1}};
const cmsCIExyYTRIPLE kSrgbPrimaries{{0.64, 0.33, 1}, {0.30, 0.60, 1}, {0.15, 0.06, 1}};

struct Named {
  std::string name;
  Bytes bytes;
};

// Every RGB profile of the matrix kind, as the program's own reading finds them.
std::vector<Named> MatrixProfiles() {
  std::vector<Named> found;
  for (const std::string folder : {"/usr/share/color/icc/colord/", "/usr/share/color/icc/"}) {
    DIR* dir = opendir(folder.c_str());
    if (!dir) continue;
    while (const dirent* entry = readdir(dir)) {
      if (entry->d_type != DT_REG) continue;
      Bytes bytes = ReadFile(folder + entry->d_name);
      const auto profile = ReadIccProfile(bytes.data(), bytes.size());
      if (profile && profile->space == pictures::ColourSpace::Rgb && profile->kind == pictures::ProfileKind::Matrix)
        found.push_back({entry->d_name, std::move(bytes)});
    }
    closedir(dir);
  }
  found.push_back({"DisplayP3", MadeRgbProfile(kP3, cmsBuildParametricToneCurve(nullptr, 4, kSrgbCurve))});
  return found;
}

// Greys, ramps of each channel and of each pair, a cube near black and random colours;
// byte 3 random too.
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

// The largest difference in any channel between the two conversions of `pixels`.
int LargestDifference(const Bytes& source, const Bytes& destination, const std::vector<uint32_t>& pixels,
                      bool grey = false) {
  const auto from = ReadIccProfile(source.data(), source.size());
  const auto to = ReadIccProfile(destination.data(), destination.size());
  const auto transform = pictures::ColourTransform::Make(*from->matrix, *to->matrix);
  if (!transform) return 256;
  std::vector<uint32_t> ours = pixels;
  transform->Apply(ours.data(), ours.size());

  cmsHPROFILE in = cmsOpenProfileFromMem(source.data(), cmsUInt32Number(source.size()));
  cmsHPROFILE out = cmsOpenProfileFromMem(destination.data(), cmsUInt32Number(destination.size()));
  cmsHTRANSFORM lcms = cmsCreateTransform(in, grey ? TYPE_GRAY_8 : TYPE_BGRA_8, out, TYPE_BGRA_8,
                                          INTENT_RELATIVE_COLORIMETRIC, cmsFLAGS_NOOPTIMIZE);
  std::vector<uint8_t> input;
  for (uint32_t pixel : pixels)
    for (int byte = 0; byte < (grey ? 1 : 4); ++byte) input.push_back(uint8_t(pixel >> 8 * byte));
  std::vector<uint32_t> theirs(pixels.size());
  cmsDoTransform(lcms, input.data(), theirs.data(), cmsUInt32Number(pixels.size()));
  cmsDeleteTransform(lcms);
  cmsCloseProfile(in);
  cmsCloseProfile(out);

  int largest = 0;
  for (size_t i = 0; i < pixels.size(); ++i) {
    if (ours[i] >> 24 != pixels[i] >> 24) return 256;
    for (int shift = 0; shift < 24; shift += 8)
      largest = std::max(largest, std::abs(int(ours[i] >> shift & 0xFF) - int(theirs[i] >> shift & 0xFF)));
  }
  return largest;
}

TEST(ColourAgainstLcms, EveryMatrixProfileToTheBuiltInSrgbAndToDisplayProfiles) {
  const std::vector<Named> sources = MatrixProfiles();
  std::set<std::string> names;
  for (const Named& source : sources) names.insert(source.name);
  for (const char* wanted : {"AdobeRGB1998.icc", "AppleRGB.icc", "ProPhotoRGB.icc", "WideGamutRGB.icc",
                             "Rec709.icc", "Bluish.icc", "SwappedRedAndGreen.icc"})
    EXPECT_EQ(names.count(wanted), 1u) << wanted;

  const std::vector<Named> destinations = {
      {"built-in sRGB", pictures::SrgbProfileBytes()},
      {"Adobe RGB display", ReadFile("/usr/share/color/icc/colord/AdobeRGB1998.icc")},
      {"gamma 2.2 display", MadeRgbProfile(kSrgbPrimaries, cmsBuildGamma(nullptr, 2.2))},
  };
  const std::vector<uint32_t> samples = Samples();
  for (const Named& destination : destinations)
    for (const Named& source : sources)
      EXPECT_LE(LargestDifference(source.bytes, destination.bytes, samples), 1)
          << source.name << " to " << destination.name;
}

TEST(ColourAgainstLcms, GreySourceLightsAllThreeChannels) {
  std::vector<uint32_t> greys;
  for (uint32_t v = 0; v < 256; ++v) greys.push_back(v * 0x010101 | 0xFF000000);
  const Bytes grey = ReadFile("/usr/share/color/icc/Gray.icc");
  EXPECT_LE(LargestDifference(grey, pictures::SrgbProfileBytes(), greys, true), 1);
  EXPECT_LE(LargestDifference(grey, ReadFile("/usr/share/color/icc/colord/AdobeRGB1998.icc"), greys, true), 1);
}

}  // namespace
