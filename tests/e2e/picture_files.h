#pragma once
// GIF and 32-bit BMP files written byte by byte, for the loader's and the show's tests of
// opacity: a GIF89a with a graphic control extension naming its transparent colour, and
// BMPs with and without an alpha mask.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace picture_files {

inline void PutLittle(std::string& bytes, uint32_t value, int count) {
  for (int i = 0; i < count; ++i) bytes += static_cast<char>(value >> (8 * i) & 0xFF);
}

// A colour as the GIF colour table holds it.
struct Rgb {
  uint8_t red, green, blue;
};

// The pixels as LZW codes of 9 bits with a minimum code size of 8: a clear code before every
// 250 pixels keeps the code table from growing past 9 bits, so each pixel is one literal
// code. Larger than an encoder's output, and as valid.
inline std::string GifImageData(const std::vector<uint8_t>& indices) {
  constexpr uint32_t kClear = 256, kEnd = 257;
  std::vector<uint32_t> codes;
  for (size_t i = 0; i < indices.size(); ++i) {
    if (i % 250 == 0) codes.push_back(kClear);
    codes.push_back(indices[i]);
  }
  codes.push_back(kEnd);
  std::string packed;
  uint32_t pending = 0;
  int bits = 0;
  for (uint32_t code : codes) {
    pending |= code << bits;
    for (bits += 9; bits >= 8; bits -= 8, pending >>= 8) packed += static_cast<char>(pending & 0xFF);
  }
  if (bits > 0) packed += static_cast<char>(pending & 0xFF);
  std::string blocks(1, '\x08');
  for (size_t at = 0; at < packed.size(); at += 255) {
    const std::string block = packed.substr(at, 255);
    blocks += static_cast<char>(block.size());
    blocks += block;
  }
  return blocks + '\0';
}

// width x height pixels, rows top-down, as indices into `colours` (at most 256); with a
// transparent index, a graphic control extension names it.
inline std::string Gif(uint16_t width, uint16_t height, const std::vector<Rgb>& colours,
                       const std::vector<uint8_t>& indices, std::optional<uint8_t> transparent) {
  std::string file = "GIF89a";
  PutLittle(file, width, 2);
  PutLittle(file, height, 2);
  file += '\xF7';  // a global colour table of 256 entries, 8 bits a primary
  file += std::string(2, '\0');
  for (size_t i = 0; i < 256; ++i) {
    const Rgb colour = i < colours.size() ? colours[i] : Rgb{0, 0, 0};
    file += static_cast<char>(colour.red);
    file += static_cast<char>(colour.green);
    file += static_cast<char>(colour.blue);
  }
  if (transparent) {
    file += "\x21\xF9\x04\x01";  // graphic control extension: the transparent flag
    PutLittle(file, 0, 2);       // no delay
    file += static_cast<char>(*transparent);
    file += '\0';
  }
  file += '\x2C';
  PutLittle(file, 0, 4);  // at (0, 0)
  PutLittle(file, width, 2);
  PutLittle(file, height, 2);
  file += '\0';  // no local table, not interlaced
  return file + GifImageData(indices) + '\x3B';
}

// The size of the header after the file header: 40 (no masks), 108 (v4) or 124 (v5).
enum class BmpHeader : uint32_t { Info = 40, V4 = 108, V5 = 124 };

// A 32-bit BMP, pixels given top-down as 0xAARRGGBB. Info is BI_RGB, whose fourth byte means
// nothing; V4 and V5 are BI_BITFIELDS with the alpha mask given (0 for none).
inline std::string Bmp32(int32_t width, int32_t height, const std::vector<uint32_t>& pixels, BmpHeader header,
                         uint32_t alphaMask = 0xFF000000) {
  const auto headerBytes = static_cast<uint32_t>(header);
  const uint32_t pixelBytes = static_cast<uint32_t>(width) * static_cast<uint32_t>(height) * 4;
  std::string file = "BM";
  PutLittle(file, 14 + headerBytes + pixelBytes, 4);
  PutLittle(file, 0, 4);
  PutLittle(file, 14 + headerBytes, 4);
  PutLittle(file, headerBytes, 4);
  PutLittle(file, static_cast<uint32_t>(width), 4);
  PutLittle(file, static_cast<uint32_t>(height), 4);  // positive: rows bottom-up
  PutLittle(file, 1, 2);
  PutLittle(file, 32, 2);
  PutLittle(file, header == BmpHeader::Info ? 0 : 3, 4);  // BI_RGB or BI_BITFIELDS
  PutLittle(file, pixelBytes, 4);
  PutLittle(file, 2835, 4);  // 72 dots per inch
  PutLittle(file, 2835, 4);
  PutLittle(file, 0, 4);  // colours used
  PutLittle(file, 0, 4);  // colours important
  if (header != BmpHeader::Info) {
    PutLittle(file, 0x00FF0000, 4);
    PutLittle(file, 0x0000FF00, 4);
    PutLittle(file, 0x000000FF, 4);
    PutLittle(file, alphaMask, 4);
    PutLittle(file, 0x73524742, 4);               // 'sRGB'
    file += std::string(headerBytes - 60, '\0');  // end points, gamma, and for v5 intent and profile
  }
  for (int32_t y = height - 1; y >= 0; --y)
    for (int32_t x = 0; x < width; ++x) PutLittle(file, pixels[static_cast<size_t>(y) * width + x], 4);
  return file;
}

// Noise in every channel, in 0xAARRGGBB; a third of the 16 x 16 squares transparent, the
// rest at opacities from 0 to 255.
inline std::vector<uint32_t> NoiseWithOpacity(int32_t width, int32_t height) {
  std::vector<uint32_t> pixels;
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      uint32_t h = static_cast<uint32_t>(x) * 2654435761u ^ static_cast<uint32_t>(y) * 2246822519u;
      h ^= h >> 13;
      h *= 3266489917u;
      const uint32_t opacity = (x / 16 + y / 16) % 3 == 0 ? 0 : static_cast<uint32_t>(x * 7 + y * 3) & 0xFF;
      pixels.push_back(opacity << 24 | (h & 0x00FFFFFF));
    }
  }
  return pixels;
}

}  // namespace picture_files
