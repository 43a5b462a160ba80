#pragma once
// ICC profiles made by tests: a header and a tag table over the tags' data, as the format
// lays them out; and the segments a JPEG carries one in.
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace test_support {

using Bytes = std::vector<uint8_t>;
using Tag = std::pair<std::string, Bytes>;  // signature, data

inline void SetBig32(Bytes& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> 8 * (3 - i));
}
// Byte by byte: GCC 12 at -O3 takes an inserted list for a read past its end.
inline void PutBig32(Bytes& out, uint32_t v) { out.resize(out.size() + 4), SetBig32(out, out.size() - 4, v); }
inline uint32_t Fixed(double value) { return uint32_t(int32_t(std::lround(value * 65536))); }

// A tag's type, its reserved word, a first word and s15Fixed16 numbers.
inline Bytes TagOf(const char* type, uint32_t first, const std::vector<double>& numbers) {
  Bytes out(type, type + 4);
  for (uint32_t word : {0u, first}) PutBig32(out, word);
  for (double v : numbers) PutBig32(out, Fixed(v));
  return out;
}
inline Bytes XyzTag(const std::array<double, 3>& xyz) { return TagOf("XYZ ", Fixed(xyz[0]), {xyz[1], xyz[2]}); }
inline Bytes ParaTag(uint16_t function, const std::vector<double>& g) { return TagOf("para", function << 16, g); }
inline Bytes CurvTag(const std::vector<uint16_t>& entries) {
  Bytes out = TagOf("curv", uint32_t(entries.size()), {});
  for (uint16_t e : entries) out.push_back(uint8_t(e >> 8)), out.push_back(uint8_t(e));
  return out;
}

// Version 4, colour space `space` ("RGB ", "GRAY", "CMYK"), connection space XYZ.
inline Bytes IccBytes(const char* space, const std::vector<Tag>& tags, const char* deviceClass = "mntr") {
  Bytes out(128, 0), data;
  out[8] = 4;
  for (auto [at, text] : {std::pair{12, deviceClass}, {16, space}, {20, "XYZ "}, {36, "acsp"}})
    std::memcpy(&out[at], text, 4);
  PutBig32(out, uint32_t(tags.size()));
  for (const auto& [signature, bytes] : tags) {
    out.insert(out.end(), signature.begin(), signature.end());
    PutBig32(out, uint32_t(132 + 12 * tags.size() + data.size()));
    PutBig32(out, uint32_t(bytes.size()));
    data.insert(data.end(), bytes.begin(), bytes.end());
  }
  out.insert(out.end(), data.begin(), data.end());
  SetBig32(out, 0, uint32_t(out.size()));
  return out;
}

// One APP2 segment of a JPEG's colour profile: chunk `number` of `count`, under `tag`.
inline std::string IccChunk(const std::string& part, int number, int count, std::string tag = "ICC_PROFILE") {
  tag.resize(12, '\0');
  const size_t length = 2 + 14 + part.size();
  return std::string("\xFF\xE2", 2) + char(length >> 8) + char(length) + tag + char(number) + char(count) + part;
}

using Colorants = std::array<std::array<double, 3>, 3>;  // red, green, blue
inline const Colorants kSrgbLike{{{0.4361, 0.2225, 0.0139}, {0.3851, 0.7169, 0.0971}, {0.1431, 0.0606, 0.7141}}};
inline const Colorants kAdobeLike{{{0.6097, 0.3111, 0.0195}, {0.2053, 0.6257, 0.0609}, {0.1492, 0.0632, 0.7446}}};

// The six tags of an RGB matrix profile: colorants, then red, green and blue curves.
inline std::vector<Tag> RgbTags(const Bytes& r, const Bytes& g, const Bytes& b, const Colorants& c = kSrgbLike) {
  return {{"rXYZ", XyzTag(c[0])}, {"gXYZ", XyzTag(c[1])}, {"bXYZ", XyzTag(c[2])}, {"rTRC", r}, {"gTRC", g},
          {"bTRC", b}};
}
inline Bytes RgbProfile(const Bytes& curve, const Colorants& c = kSrgbLike) {
  return IccBytes("RGB ", RgbTags(curve, curve, curve, c));
}

}  // namespace test_support
