#pragma once
// JPEG files for the tests and benchmarks, made with the system's own encoder, and a JPEG
// whose frame header is rewritten to claim another size.
#include <windows.h>
#include <wincodec.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/win32_handles.h"
#include "tests/unit/icc_test_profile.h"

namespace e2e {

// Fills one row of 24-bit blue-green-red pixels.
using BgrRowMaker = std::function<void(UINT y, BYTE* bgr)>;

// Encodes width x height pixels, a band of rows at a time so that a picture of gigabytes
// needs no buffer of that size. False when any step fails.
inline bool WriteJpeg(const std::wstring& path, UINT width, UINT height, const BgrRowMaker& rowAt,
                      float quality = 0.9f) {
  const HRESULT init = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  struct Uninit {
    bool on;
    ~Uninit() {
      if (on) CoUninitialize();
    }
  } uninit{SUCCEEDED(init)};
  platform::ComPtr<IWICImagingFactory> factory;
  if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                              reinterpret_cast<void**>(&factory))))
    return false;
  platform::ComPtr<IWICStream> stream;
  platform::ComPtr<IWICBitmapEncoder> encoder;
  platform::ComPtr<IWICBitmapFrameEncode> frame;
  platform::ComPtr<IPropertyBag2> options;
  if (FAILED(factory->CreateStream(&stream)) || FAILED(stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE)) ||
      FAILED(factory->CreateEncoder(GUID_ContainerFormatJpeg, nullptr, &encoder)) ||
      FAILED(encoder->Initialize(stream.p, WICBitmapEncoderNoCache)) ||
      FAILED(encoder->CreateNewFrame(&frame, &options)))
    return false;
  PROPBAG2 name{};
  name.pstrName = const_cast<LPOLESTR>(L"ImageQuality");
  VARIANT value;
  VariantInit(&value);
  value.vt = VT_R4;
  value.fltVal = quality;
  options->Write(1, &name, &value);
  WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
  if (FAILED(frame->Initialize(options.p)) || FAILED(frame->SetSize(width, height)) ||
      FAILED(frame->SetPixelFormat(&format)) || format != GUID_WICPixelFormat24bppBGR)
    return false;
  const UINT stride = (width * 3 + 3) & ~3u;
  const UINT band = std::max(1u, (4u << 20) / stride);
  std::vector<BYTE> rows(size_t{stride} * std::min(band, height));
  for (UINT top = 0; top < height; top += band) {
    const UINT count = std::min(band, height - top);
    for (UINT y = 0; y < count; ++y) rowAt(top + y, rows.data() + size_t{stride} * y);
    if (FAILED(frame->WritePixels(count, stride, stride * count, rows.data()))) return false;
  }
  return SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit());
}

// The JPEG with its frame header (SOF0, SOF1 or SOF2) claiming width x height; the
// compressed data stays that of the original size. Empty when no frame header is found.
inline std::string WithFrameSize(std::string jpeg, uint16_t width, uint16_t height) {
  size_t at = 2;
  while (at + 9 < jpeg.size() && static_cast<uint8_t>(jpeg[at]) == 0xFF) {
    const auto marker = static_cast<uint8_t>(jpeg[at + 1]);
    const size_t length = size_t{static_cast<uint8_t>(jpeg[at + 2])} << 8 | static_cast<uint8_t>(jpeg[at + 3]);
    if (marker >= 0xC0 && marker <= 0xC2) {
      jpeg[at + 5] = static_cast<char>(height >> 8);
      jpeg[at + 6] = static_cast<char>(height & 0xFF);
      jpeg[at + 7] = static_cast<char>(width >> 8);
      jpeg[at + 8] = static_cast<char>(width & 0xFF);
      return jpeg;
    }
    at += 2 + length;
  }
  return {};
}

// The JPEG with an Exif segment right after its start marker whose first image directory
// holds only the orientation tag (big-endian, as many cameras write it).
inline std::string WithExifOrientation(const std::string& jpeg, uint16_t orientation) {
  if (jpeg.size() < 2) return {};
  const unsigned char segment[] = {0xFF, 0xE1, 0, 34, 'E', 'x', 'i', 'f', 0, 0, 'M', 'M', 0, 42, 0, 0, 0, 8, 0, 1,
                                   0x01, 0x12, 0, 3, 0, 0, 0, 1, static_cast<unsigned char>(orientation >> 8),
                                   static_cast<unsigned char>(orientation & 0xFF), 0, 0, 0, 0, 0, 0};
  return jpeg.substr(0, 2) + std::string(reinterpret_cast<const char*>(segment), sizeof(segment)) + jpeg.substr(2);
}

// The JPEG with a colour profile inserted after its start marker, in APP2 "ICC_PROFILE"
// chunks of order.size() parts, written in the order `order` gives (1-based chunk numbers).
inline std::string WithIccProfile(const std::string& jpeg, const std::string& profile,
                                  const std::vector<int>& order = {1}) {
  if (jpeg.size() < 2 || order.empty()) return {};
  const size_t parts = order.size(), step = (profile.size() + parts - 1) / parts;
  std::string segments;
  for (int n : order)
    segments += test_support::IccChunk(profile.substr(std::min(profile.size(), (n - 1) * step), step), n, int(parts));
  return jpeg.substr(0, 2) + segments + jpeg.substr(2);
}

// A picture with detail everywhere, as a photograph has: smooth colour ramps crossed by
// fine stripes, so that the decoder has as much to do as with a real picture.
inline BgrRowMaker PhotoLikeRows(UINT width, UINT height) {
  return [width, height](UINT y, BYTE* bgr) {
    for (UINT x = 0; x < width; ++x) {
      const uint32_t noise = (x * 2654435761u ^ y * 2246822519u) >> 27;
      bgr[3 * x] = static_cast<BYTE>(x * 255 / width + noise);
      bgr[3 * x + 1] = static_cast<BYTE>(y * 255 / height + ((x ^ y) & 8) * 4);
      bgr[3 * x + 2] = static_cast<BYTE>(((x + y) & 63) * 3 + noise);
    }
  };
}

}  // namespace e2e
