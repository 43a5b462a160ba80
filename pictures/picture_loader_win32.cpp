#include "pictures/picture_loader_win32.h"

#include <windows.h>
#include <wincodec.h>

#include <new>

namespace pictures {
namespace {

template <typename T>
struct ComPtr {
  T* p = nullptr;
  ~ComPtr() {
    if (p) p->Release();
  }
  T** operator&() { return &p; }
  T* operator->() const { return p; }
};

IWICImagingFactory* Factory() {
  // One factory for the program's life, on the window's thread.
  static IWICImagingFactory* factory = [] {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IWICImagingFactory* made = nullptr;
    CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                     reinterpret_cast<void**>(&made));
    return made;
  }();
  return factory;
}

}  // namespace

bool LoadPictureFile(const std::wstring& path, LoadedPicture& picture) {
  IWICImagingFactory* factory = Factory();
  if (!factory) return false;
  ComPtr<IWICBitmapDecoder> decoder;
  if (FAILED(factory->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ,
                                                WICDecodeMetadataCacheOnDemand, &decoder)))
    return false;
  ComPtr<IWICBitmapFrameDecode> frame;
  if (FAILED(decoder->GetFrame(0, &frame))) return false;
  UINT width = 0, height = 0;
  if (FAILED(frame->GetSize(&width, &height))) return false;
  if (width == 0 || height == 0 || width > kLargestSide || height > kLargestSide ||
      uint64_t{width} * height > kLargestPixelCount)
    return false;
  ComPtr<IWICFormatConverter> converter;
  if (FAILED(factory->CreateFormatConverter(&converter))) return false;
  if (FAILED(converter->Initialize(frame.p, GUID_WICPixelFormat32bppBGR, WICBitmapDitherTypeNone, nullptr, 0.0,
                                   WICBitmapPaletteTypeCustom)))
    return false;
  LoadedPicture decoded;
  try {
    decoded.pixels.resize(size_t{width} * height);
  } catch (const std::bad_alloc&) {
    return false;
  }
  const UINT stride = width * 4;
  if (FAILED(converter->CopyPixels(nullptr, stride, stride * height,
                                   reinterpret_cast<BYTE*>(decoded.pixels.data()))))
    return false;
  decoded.width = static_cast<int32_t>(width);
  decoded.height = static_cast<int32_t>(height);
  picture = std::move(decoded);
  return true;
}

}  // namespace pictures
