#include "pictures/picture_loader_win32.h"

#include <windows.h>
#include <shlwapi.h>
#include <wincodec.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <new>
#include <vector>

#include "pictures/colour_plan.h"
#include "pictures/gif_screen.h"
#include "pictures/orientation.h"
#include "pictures/picture_plan.h"
#include "pictures/pixel_transfer.h"
#include "pictures/system_colour_win32.h"
#include "platform/directory_lister_win32.h"
#include "platform/win32_handles.h"

namespace pictures {
namespace {

// Each loading thread's own COM initialisation and decoder factory: the window's thread
// and the worker share no COM object.
class ThreadFactory {
 public:
  ThreadFactory() {
    initialised_ = SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED));
    CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                     reinterpret_cast<void**>(&factory_));
  }
  ~ThreadFactory() {
    if (factory_) factory_->Release();
    if (initialised_) CoUninitialize();
  }
  ThreadFactory(const ThreadFactory&) = delete;
  ThreadFactory& operator=(const ThreadFactory&) = delete;
  IWICImagingFactory* Get() const { return factory_; }

 private:
  IWICImagingFactory* factory_ = nullptr;
  bool initialised_ = false;
};

IWICImagingFactory* Factory() {
  thread_local ThreadFactory factory;
  return factory.Get();
}

// The source rows are read a band at a time into a buffer that stays in the cache, and
// widened from there: one pass over the picture's pixels.
constexpr size_t kBandBytes = 256 * 1024;

bool CopyWidened(IWICBitmapSource* frame, UINT width, UINT height, uint32_t* pixels) {
  const UINT stride = (width * 3 + 3) & ~3u;
  const UINT bandRows = static_cast<UINT>(std::max<size_t>(1, kBandBytes / stride));
  std::vector<BYTE> band;
  try {
    band.resize(size_t{stride} * std::min(bandRows, height));
  } catch (const std::bad_alloc&) {
    return false;
  }
  for (UINT top = 0; top < height; top += bandRows) {
    const UINT rows = std::min(bandRows, height - top);
    const WICRect rect{0, static_cast<INT>(top), static_cast<INT>(width), static_cast<INT>(rows)};
    if (FAILED(frame->CopyPixels(&rect, stride, stride * rows, band.data()))) return false;
    for (UINT row = 0; row < rows; ++row)
      ExpandBgrToBgrx(band.data() + size_t{stride} * row,
                      reinterpret_cast<uint8_t*>(pixels + size_t{width} * (top + row)), width);
  }
  return true;
}

// Any other format goes through the system's converter straight into the pixels: to
// blue-green-red-opacity when the frame has opacity, else to blue-green-red-unused.
bool CopyConverted(IWICImagingFactory* factory, IWICBitmapSource* frame, UINT width, UINT height, bool withAlpha,
                   uint32_t* pixels) {
  platform::ComPtr<IWICFormatConverter> converter;
  if (FAILED(factory->CreateFormatConverter(&converter))) return false;
  const WICPixelFormatGUID& to = withAlpha ? GUID_WICPixelFormat32bppBGRA : GUID_WICPixelFormat32bppBGR;
  if (FAILED(converter->Initialize(frame, to, WICBitmapDitherTypeNone, nullptr, 0.0, WICBitmapPaletteTypeCustom)))
    return false;
  const UINT stride = width * 4;
  return SUCCEEDED(converter->CopyPixels(nullptr, stride, stride * height, reinterpret_cast<BYTE*>(pixels)));
}

bool IsIndexed(const WICPixelFormatGUID& format) {
  return format == GUID_WICPixelFormat1bppIndexed || format == GUID_WICPixelFormat2bppIndexed ||
         format == GUID_WICPixelFormat4bppIndexed || format == GUID_WICPixelFormat8bppIndexed;
}

// Whether the decoder reports opacity for the frame. An indexed frame (a GIF) says so
// through its palette, where the transparent colour has alpha 0; the format of an indexed
// frame never claims transparency. Any other frame says so through its format: a BMP with
// an alpha mask comes as 32bppBGRA, a plain 32-bit BMP as 32bppBGR (its fourth byte means
// nothing), a JPEG without opacity.
bool ReportsOpacity(IWICImagingFactory* factory, IWICBitmapFrameDecode* frame, const WICPixelFormatGUID& format) {
  BOOL has = FALSE;
  if (IsIndexed(format)) {
    platform::ComPtr<IWICPalette> palette;
    return SUCCEEDED(factory->CreatePalette(&palette)) && SUCCEEDED(frame->CopyPalette(palette.p)) &&
           SUCCEEDED(palette->HasAlpha(&has)) && has;
  }
  platform::ComPtr<IWICComponentInfo> component;
  platform::ComPtr<IWICPixelFormatInfo2> info;
  return SUCCEEDED(factory->CreateComponentInfo(format, &component)) &&
         SUCCEEDED(component->QueryInterface(IID_IWICPixelFormatInfo2, reinterpret_cast<void**>(&info))) &&
         SUCCEEDED(info->SupportsTransparency(&has)) && has;
}

// The frame's own pixel format into 32-bit pixels in one pass. hasAlpha says whether byte 3
// is opacity; a frame all of whose pixels are opaque is told as one without.
bool CopyFrame(IWICImagingFactory* factory, IWICBitmapFrameDecode* frame, UINT width, UINT height,
               uint32_t* pixels, bool& hasAlpha) {
  WICPixelFormatGUID format{};
  if (FAILED(frame->GetPixelFormat(&format))) return false;
  hasAlpha = false;
  if (format == GUID_WICPixelFormat24bppBGR) return CopyWidened(frame, width, height, pixels);
  if (format == GUID_WICPixelFormat32bppBGR) {
    const UINT stride = width * 4;
    return SUCCEEDED(frame->CopyPixels(nullptr, stride, stride * height, reinterpret_cast<BYTE*>(pixels)));
  }
  const bool withAlpha = ReportsOpacity(factory, frame, format);
  if (!CopyConverted(factory, frame, width, height, withAlpha, pixels)) return false;
  hasAlpha = withAlpha && !EveryPixelOpaque(pixels, size_t{width} * height);
  return true;
}

// The frame at its own size.
bool DecodeFrame(IWICImagingFactory* factory, IWICBitmapFrameDecode* frame, UINT width, UINT height,
                 LoadedPicture& decoded) {
  try {
    decoded.pixels.resize(size_t{width} * height);
  } catch (const std::bad_alloc&) {
    return false;
  }
  if (!CopyFrame(factory, frame, width, height, decoded.pixels.data(), decoded.hasAlpha)) return false;
  decoded.width = static_cast<int32_t>(width);
  decoded.height = static_cast<int32_t>(height);
  return true;
}

// A profile describes the pixels only in its own colour space; the decoder delivers a CMYK
// JPEG converted by its own rule, which no profile of the file describes any more.
PictureColours ColoursOf(IWICBitmapFrameDecode* frame) {
  WICPixelFormatGUID format{};
  if (FAILED(frame->GetPixelFormat(&format))) return PictureColours::Other;
  const GUID grey[] = {GUID_WICPixelFormatBlackWhite, GUID_WICPixelFormat2bppGray,  GUID_WICPixelFormat4bppGray,
                       GUID_WICPixelFormat8bppGray,   GUID_WICPixelFormat16bppGray, GUID_WICPixelFormat32bppGrayFloat};
  const GUID cmyk[] = {GUID_WICPixelFormat32bppCMYK, GUID_WICPixelFormat64bppCMYK, GUID_WICPixelFormat40bppCMYKAlpha,
                       GUID_WICPixelFormat80bppCMYKAlpha};
  for (const GUID& g : grey)
    if (format == g) return PictureColours::Grey;
  for (const GUID& c : cmyk)
    if (format == c) return PictureColours::Other;
  return PictureColours::Rgb;
}

// In place, on the straight colour values the decoder gave; opacity stays as it is. A
// profile the system's module cannot take leaves the picture as stored.
void ConvertColours(const ColourPlan& plan, const std::vector<uint8_t>& profile, const DisplayColours& display,
                    LoadedPicture& decoded) {
  if (plan.route == ColourPlan::Route::OwnTransform) plan.transform->Apply(decoded.pixels.data(), decoded.pixels.size());
  if (plan.route == ColourPlan::Route::System)
    ConvertBySystem(profile, plan.greySource, display.bytes, decoded.pixels.data(), decoded.width, decoded.height);
}

// Converted and turned on this thread right after the decode, while the pixels are still
// in the cache as far as they fit.
bool DecodeUpright(IWICImagingFactory* factory, IWICBitmapFrameDecode* frame, UINT width, UINT height,
                   Orientation turn, const ColourPlan& colours, const std::vector<uint8_t>& profile,
                   const DisplayColours& display, LoadedPicture& decoded) {
  if (!DecodeFrame(factory, frame, width, height, decoded)) return false;
  ConvertColours(colours, profile, display, decoded);
  return TurnUpright(decoded, turn);
}

// The system's GIF decoder gives the first frame alone, at its own size; the show is given
// the whole logical screen with the frame at its place and the rest transparent. A frame
// without opacity of its own is opaque on it, whatever its fourth byte held.
bool DecodeOnScreen(IWICImagingFactory* factory, IWICBitmapFrameDecode* frame, const GifScreen& screen,
                    LoadedPicture& decoded) {
  LoadedPicture alone;
  if (!DecodeFrame(factory, frame, screen.frameWidth, screen.frameHeight, alone)) return false;
  if (!alone.hasAlpha) MakeOpaque(alone.pixels.data(), alone.pixels.size());
  try {
    decoded.pixels.resize(size_t{screen.width} * screen.height);
  } catch (const std::bad_alloc&) {
    return false;
  }
  PlaceOnScreen(alone.pixels.data(), screen, decoded.pixels.data());
  decoded.width = static_cast<int32_t>(screen.width);
  decoded.height = static_cast<int32_t>(screen.height);
  decoded.hasAlpha = true;
  return true;
}

// The picture's file as the head's readers see it: a seek and a read of the stream the
// decoder then reads from the start.
class StreamBytes : public platform::ByteSource {
 public:
  explicit StreamBytes(IStream* stream) : stream_(stream) {}
  size_t ReadAt(uint64_t offset, uint8_t* to, size_t count) override {
    LARGE_INTEGER at{};
    at.QuadPart = static_cast<LONGLONG>(std::min<uint64_t>(offset, INT64_MAX));
    if (FAILED(stream_->Seek(at, STREAM_SEEK_SET, nullptr))) return 0;
    size_t done = 0;
    while (done < count) {
      ULONG read = 0;
      const ULONG want = static_cast<ULONG>(std::min<size_t>(count - done, ULONG{1} << 30));
      if (FAILED(stream_->Read(to + done, want, &read)) || read == 0) break;
      done += read;
    }
    return done;
  }

 private:
  IStream* stream_;
};

bool Rewind(IStream* stream) {
  LARGE_INTEGER start{};
  return SUCCEEDED(stream->Seek(start, STREAM_SEEK_SET, nullptr));
}

}  // namespace

std::optional<uint64_t> SystemMemoryStatus::AvailablePhysicalBytes() {
  MEMORYSTATUSEX status{};
  status.dwLength = sizeof(status);
  if (!GlobalMemoryStatusEx(&status)) return std::nullopt;
  return status.ullAvailPhys;
}

// The primary monitor's profile as the system reports it; Wine reports none for a screen.
DisplayColours ReadDisplayColours() {
  MONITORINFOEXW monitor{};
  monitor.cbSize = sizeof(monitor);
  if (!GetMonitorInfoW(MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY), &monitor)) return SrgbDisplay();
  platform::UniqueMemoryDc screen(CreateDCW(monitor.szDevice, nullptr, nullptr, nullptr));
  wchar_t name[MAX_PATH] = {};
  DWORD size = MAX_PATH;
  if (!screen || !GetICMProfileW(screen.get(), &size, name)) return SrgbDisplay();
  std::ifstream file(platform::LongPathForm(name).c_str(), std::ios::binary);
  std::vector<uint8_t> bytes(kLargestProfileBytes + 1);
  file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  bytes.resize(static_cast<size_t>(std::max<std::streamsize>(0, file.gcount())));
  return bytes.size() > kLargestProfileBytes ? SrgbDisplay() : DisplayColoursFrom(bytes);
}

HRESULT PictureFiles::Open(const std::wstring& name, IStream** stream) {
  return SHCreateStreamOnFileEx(name.c_str(), STGM_READ | STGM_SHARE_DENY_NONE, FILE_ATTRIBUTE_NORMAL, FALSE, nullptr,
                                stream);
}

bool LoadPictureFile(const std::wstring& path, LoadedPicture& picture) {
  SystemMemoryStatus memory;
  return LoadPictureFile(path, picture, memory);
}

// The head and the decode read one stream, opened by the name the system takes for any
// length of path.
bool LoadPictureFile(const std::wstring& path, LoadedPicture& picture, platform::MemoryStatus& memory,
                     const DisplayColours* display, PictureFiles* files) {
  IWICImagingFactory* factory = Factory();
  if (!factory) return false;
  PictureFiles systemFiles;
  platform::ComPtr<IStream> stream;
  if (FAILED((files ? *files : systemFiles).Open(platform::LongPathForm(path), &stream)) || !stream.p) return false;
  StreamBytes bytes(stream.p);
  const PictureHead head = ReadPictureHead(bytes);
  if (!Rewind(stream.p)) return false;
  platform::ComPtr<IWICBitmapDecoder> decoder;
  if (FAILED(factory->CreateDecoderFromStream(stream.p, nullptr, WICDecodeMetadataCacheOnDemand, &decoder)))
    return false;
  platform::ComPtr<IWICBitmapFrameDecode> frame;
  if (FAILED(decoder->GetFrame(0, &frame))) return false;
  UINT width = 0, height = 0;
  if (FAILED(frame->GetSize(&width, &height))) return false;
  const PicturePlan plan = PlanPicture(width, height, head);
  if (!DecodeAllowed(plan.width, plan.height, memory, plan.scratchPixels)) return false;
  const DisplayColours& screen = display ? *display : SrgbDisplay();
  const ColourPlan colours = PlanColours(head.profile, ColoursOf(frame.p), screen);
  LoadedPicture decoded;
  if (plan.onScreen ? !DecodeOnScreen(factory, frame.p, *head.gif, decoded)
                    : !DecodeUpright(factory, frame.p, width, height, plan.turn, colours, head.profile, screen, decoded))
    return false;
  picture = std::move(decoded);
  return true;
}

}  // namespace pictures
