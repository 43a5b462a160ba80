// Colour profiles: their bytes as JPEG and BMP files carry them, whole and damaged; what the
// program reads from those bytes; its own transform and short cuts; and which pictures the
// loader converts by which route.
#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <tuple>

#include "pictures/colour_plan.h"
#include "pictures/colour_transform.h"
#include "pictures/embedded_profile.h"
#include "pictures/icc_profile.h"
#include "tests/unit/icc_test_profile.h"

namespace {

using namespace test_support;
using pictures::ColourKernel;
using pictures::ColourSpace;
using pictures::ColourTransform;
using pictures::ProfileKind;
using pictures::SrgbProfile;

// A profile of `size` bytes whose header gives that size.
std::string Profile(uint32_t size) {
  Bytes p(size, 'p');
  SetBig32(p, 0, size);
  return std::string(p.begin(), p.end());
}

std::string Jpeg(const std::vector<std::string>& segments, const std::string& afterScan = "") {
  std::string out = "\xFF\xD8";
  for (const std::string& s : segments) out += s;
  return out + std::string("\xFF\xDA\0\2", 4) + afterScan;
}

// A BMP whose header is `headerSize` bytes, of colour type `type`, with the profile after
// 16 bytes of pixels, `profileAt` bytes from the header's start.
std::string Bmp(uint32_t headerSize, const char* type, const std::string& profile, uint32_t profileAt = 140) {
  std::string file = "BM" + std::string(12 + 124 + 16, '\0');
  const uint32_t csType = uint32_t(type[0]) << 24 | type[1] << 16 | type[2] << 8 | type[3];  // "sRGB": 0x73524742
  for (auto [at, v] : {std::pair{14, headerSize}, {70, csType}, {126, profileAt}, {130, uint32_t(profile.size())}})
    for (int i = 0; i < 4; ++i) file[at + i] = char(v >> 8 * i);
  return file + profile;
}

TEST(EmbeddedProfile, TheProfileAJpegOrAVersion5BmpCarries) {
  const std::string p = Profile(3000), a = p.substr(0, 1000), b = p.substr(1000, 1000), c = p.substr(2000);
  const std::string big = Profile(pictures::kLargestProfileBytes + 1);
  std::vector<std::string> bigChunks;
  for (size_t n = 0; n < 65; ++n) bigChunks.push_back(IccChunk(big.substr(n * 65000, 65000), n + 1, 65));
  struct Case { const char* name; std::string file; bool bmp, whole; };
  const Case cases[] = {
      {"three in order", Jpeg({IccChunk(a, 1, 3), IccChunk(b, 2, 3), IccChunk(c, 3, 3)}), false, true},
      {"out of order, MPF between",
       Jpeg({IccChunk(c, 3, 3), IccChunk(a, 1, 3), IccChunk(b, 9, 9, "MPF"), IccChunk(b, 2, 3)}), false, true},
      {"padded past its size", Jpeg({IccChunk(p + "padding", 1, 1)}), false, true},
      {"a chunk missing", Jpeg({IccChunk(a, 1, 3), IccChunk(c, 3, 3)}), false, false},
      {"a number twice", Jpeg({IccChunk(a, 1, 3), IccChunk(a, 1, 3), IccChunk(c, 3, 3)}), false, false},
      {"counts differ", Jpeg({IccChunk(a, 1, 3), IccChunk(b, 2, 2), IccChunk(c, 3, 3)}), false, false},
      {"number 0", Jpeg({IccChunk(p, 0, 1)}), false, false},
      {"number past the count", Jpeg({IccChunk(p, 2, 1)}), false, false},
      {"shorter than its header says", Jpeg({IccChunk(p.substr(0, 2999), 1, 1)}), false, false},
      {"after the picture data starts", Jpeg({}, IccChunk(p, 1, 1)), false, false},
      {"over 4 MiB", Jpeg(bigChunks), false, false},
      {"BMP, embedded after the pixels", Bmp(124, "MBED", p), true, true},
      {"BMP, linked to a file", Bmp(124, "LINK", p), true, false},
      {"BMP, sRGB", Bmp(124, "sRGB", p), true, false},
      {"BMP, version 4 header", Bmp(108, "MBED", p), true, false},
      {"BMP, placed past the end", Bmp(124, "MBED", p, 141), true, false},
      {"BMP, over 4 MiB", Bmp(124, "MBED", big), true, false},
      {"a JPEG as a BMP", Jpeg({}), true, false},
  };
  for (const Case& k : cases) {
    platform::MemoryBytes file(reinterpret_cast<const uint8_t*>(k.file.data()), k.file.size());
    const Bytes got = k.bmp ? pictures::BmpProfile(file) : pictures::JpegProfile(file, pictures::JpegSegments(file));
    EXPECT_EQ(std::string(got.begin(), got.end()), k.whole ? p : "") << k.name;
  }
}

std::optional<pictures::IccProfile> Read(const Bytes& b) { return pictures::ReadIccProfile(b.data(), b.size()); }

const Bytes kGamma = ParaTag(0, {2.2});
const Bytes kAdobe = RgbProfile(kGamma, kAdobeLike), kGrey = IccBytes("GRAY", {{"kTRC", kGamma}});
const Tag kTable{"A2B0", Bytes(40, 0)}, kB2A0{"B2A0", Bytes(40, 0)};

// An RGB matrix profile with more tags, its blue colorant under another name.
Bytes RgbWith(std::vector<Tag> tags, const char* blue = "bXYZ") {
  for (Tag& tag : RgbTags(kGamma, kGamma, kGamma)) tags.push_back(tag.first == "bXYZ" ? Tag{blue, tag.second} : tag);
  return IccBytes("RGB ", tags);
}

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

// A screen's profile is the destination only where the program's own transform can invert
// it (a table from the picture's side, A2B0, does not matter there); any other, or none,
// leaves the screen taken as sRGB.
TEST(IccProfile, KindsAsPictureAndAsDisplay) {
  struct Case { const char* name; Bytes bytes; ColourSpace space; ProfileKind kind; bool display; };
  const Case kCases[] = {
      {"matrix", RgbWith({}), ColourSpace::Rgb, ProfileKind::Matrix, true},
      {"matrix and A2B0", RgbWith({kTable}), ColourSpace::Rgb, ProfileKind::Table, true},
      {"matrix and B2A0", RgbWith({kB2A0}), ColourSpace::Rgb, ProfileKind::Table, false},
      {"no bXYZ", RgbWith({}, "desc"), ColourSpace::Rgb, ProfileKind::Unusable, false},
      {"tables only", IccBytes("RGB ", {kTable}), ColourSpace::Rgb, ProfileKind::Table, false},
      {"grey", kGrey, ColourSpace::Grey, ProfileKind::Matrix, false},
      {"CMYK", IccBytes("CMYK", {kTable}), ColourSpace::Other, ProfileKind::Unusable, false},
      {"device link", IccBytes("RGB ", {kTable}, "link"), ColourSpace::Rgb, ProfileKind::Unusable, false},
  };
  for (const Case& c : kCases) {
    const auto profile = Read(c.bytes);
    ASSERT_TRUE(profile) << c.name;
    EXPECT_EQ(std::tuple(profile->space, profile->kind, profile->matrixDisplay, profile->matrix.has_value()),
              std::tuple(c.space, c.kind, c.display, c.kind == ProfileKind::Matrix || c.display))
        << c.name;
    EXPECT_EQ(pictures::DisplayColoursFrom(c.bytes).bytes == c.bytes, c.display) << c.name;
  }
  for (const Bytes& none : {Bytes{}, Bytes(300, 1), kCases[2].bytes})
    EXPECT_EQ(pictures::DisplayColoursFrom(none).bytes, pictures::SrgbProfileBytes());
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

const auto kWide = Matrix(IccBytes("RGB ", RgbTags(kGamma, GammaTable(1.8, 256), CurvTag({}), kAdobeLike)));

// Greys first, then random colours; byte 3 random throughout.
std::vector<uint32_t> Pixels(size_t count) {
  std::mt19937 random(25);
  std::vector<uint32_t> pixels(count);
  for (size_t i = 0; i < count; ++i) pixels[i] = (i < 256 ? i * 0x010101 : random() & 0xFFFFFF) | random() << 24;
  return pixels;
}

// sRGB within 2^-16 and 0.5/255, an identical profile saved later and an untagged or broken
// one are shown as stored; so is a profile that does not describe the picture's pixels.
TEST(ColourPlan, OnlyAProfileThatDescribesThePixelsAndChangesThemIsApplied) {
  using pictures::PictureColours;
  using Route = pictures::ColourPlan::Route;
  const Bytes srgbCurve = ParaTag(3, {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045});
  std::vector<uint16_t> sampled(1024);
  for (size_t i = 0; i < sampled.size(); ++i)
    sampled[i] = uint16_t(std::lround(65535 * SrgbProfile().curves[0].Evaluate(i / 1023.0)));
  Bytes adobeSavedLater = kAdobe;
  adobeSavedLater[30] ^= 1;  // another date in the header
  const pictures::DisplayColours adobe = pictures::DisplayColoursFrom(kAdobe), &srgb = pictures::SrgbDisplay();
  struct Case { const char* name; Bytes profile; PictureColours picture; const pictures::DisplayColours& display;
                Route route; };
  const Case cases[] = {
      {"untagged", {}, PictureColours::Rgb, srgb, Route::AsStored},
      {"broken", Bytes(200, 7), PictureColours::Rgb, srgb, Route::AsStored},
      {"sRGB", pictures::SrgbProfileBytes(), PictureColours::Rgb, srgb, Route::AsStored},
      {"sRGB, red 2^-16 off", RgbProfile(srgbCurve, SrgbColorants(1)), PictureColours::Rgb, srgb, Route::AsStored},
      {"sRGB, red 2^-15 off", RgbProfile(srgbCurve, SrgbColorants(2)), PictureColours::Rgb, srgb, Route::OwnTransform},
      {"sRGB sampled", RgbProfile(CurvTag(sampled), SrgbColorants()), PictureColours::Rgb, srgb, Route::AsStored},
      {"gamma 2.2", RgbProfile(kGamma, SrgbColorants()), PictureColours::Rgb, srgb, Route::OwnTransform},
      {"Adobe RGB", kAdobe, PictureColours::Rgb, srgb, Route::OwnTransform},
      {"Adobe RGB on a grey picture", kAdobe, PictureColours::Grey, srgb, Route::AsStored},
      {"Adobe RGB on a CMYK picture", kAdobe, PictureColours::Other, srgb, Route::AsStored},
      {"the display's own, saved later", adobeSavedLater, PictureColours::Rgb, adobe, Route::AsStored},
      {"sRGB on an Adobe RGB display", pictures::SrgbProfileBytes(), PictureColours::Rgb, adobe, Route::AsStored},
      {"grey", kGrey, PictureColours::Grey, adobe, Route::OwnTransform},
      {"grey on a colour picture", kGrey, PictureColours::Rgb, srgb, Route::AsStored},
      {"tables", RgbWith({kTable}), PictureColours::Rgb, srgb, Route::System},
      {"CMYK", IccBytes("CMYK", {{"A2B0", Bytes(64, 0)}}, "prtr"), PictureColours::Other, srgb, Route::AsStored},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const pictures::ColourPlan plan = pictures::PlanColours(c.profile, c.picture, c.display);
    EXPECT_EQ(plan.route, c.route);
    EXPECT_EQ(plan.transform.has_value(), c.route == Route::OwnTransform);
  }
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
  for (const Bytes& bytes : {RgbProfile(kGamma), RgbProfile(CurvTag({})), RgbProfile(GammaTable(1.8, 256)),
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
  const Bytes sameColorants = RgbProfile(kGamma, {{{0.3, 0.3, 0.3}, {0.3, 0.3, 0.3}, {0.3, 0.3, 0.3}}});
  for (const Bytes& display : {RgbProfile(CurvTag({0, 0x9000, 0x7000, 0xFFFF})), kGrey, sameColorants})
    EXPECT_FALSE(ColourTransform::Make(SrgbProfile(), Matrix(display)));
}

}  // namespace
