#pragma once
// ICC profiles made by tests: a header and a tag table over the tags' data, written as the
// format lays them out.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace test_support {

using Bytes = std::vector<uint8_t>;

inline void PutBig32(Bytes& out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(uint8_t(value >> shift));
}
inline void SetBig32(Bytes& out, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) out[at + i] = uint8_t(value >> (24 - 8 * i));
}
inline uint32_t Fixed(double value) { return uint32_t(int32_t(std::lround(value * 65536))); }

inline Bytes TypeHead(const char* type) {
  Bytes out(type, type + 4);
  PutBig32(out, 0);
  return out;
}
inline Bytes XyzTag(double x, double y, double z) {
  Bytes out = TypeHead("XYZ ");
  for (double v : {x, y, z}) PutBig32(out, Fixed(v));
  return out;
}
inline Bytes ParaTag(uint16_t function, const std::vector<double>& parameters) {
  Bytes out = TypeHead("para");
  PutBig32(out, uint32_t{function} << 16);
  for (double v : parameters) PutBig32(out, Fixed(v));
  return out;
}
inline Bytes CurvTag(const std::vector<uint16_t>& entries) {
  Bytes out = TypeHead("curv");
  PutBig32(out, uint32_t(entries.size()));
  for (uint16_t e : entries) {
    out.push_back(uint8_t(e >> 8));
    out.push_back(uint8_t(e));
  }
  while (out.size() % 4) out.push_back(0);
  return out;
}

struct Tag {
  std::string signature;
  Bytes data;
};

// Version 4, colour space `space` ("RGB ", "GRAY", "CMYK"), connection space XYZ.
inline Bytes IccBytes(const char* space, const std::vector<Tag>& tags, const char* deviceClass = "mntr") {
  Bytes out(128, 0);
  out[8] = 4;
  std::memcpy(&out[12], deviceClass, 4);
  std::memcpy(&out[16], space, 4);
  std::memcpy(&out[20], "XYZ ", 4);
  std::memcpy(&out[36], "acsp", 4);
  PutBig32(out, uint32_t(tags.size()));
  size_t data = out.size() + 12 * tags.size();
  for (const Tag& tag : tags) {
    out.insert(out.end(), tag.signature.begin(), tag.signature.end());
    PutBig32(out, uint32_t(data));
    PutBig32(out, uint32_t(tag.data.size()));
    data += tag.data.size();
  }
  for (const Tag& tag : tags) out.insert(out.end(), tag.data.begin(), tag.data.end());
  SetBig32(out, 0, uint32_t(out.size()));
  return out;
}

// An RGB display profile with the sRGB colorants and one curve for all three channels.
inline Bytes RgbProfile(const Bytes& curve) {
  return IccBytes("RGB ", {{"rXYZ", XyzTag(0.4361, 0.2225, 0.0139)},
                           {"gXYZ", XyzTag(0.3851, 0.7169, 0.0971)},
                           {"bXYZ", XyzTag(0.1431, 0.0606, 0.7141)},
                           {"rTRC", curve},
                           {"gTRC", curve},
                           {"bTRC", curve}});
}

}  // namespace test_support
