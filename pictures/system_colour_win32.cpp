#include "pictures/system_colour_win32.h"

#include <windows.h>
#include <icm.h>

#include <algorithm>
#include <memory>

namespace pictures {
namespace {

using OpenProfileProc = HPROFILE(WINAPI*)(PPROFILE, DWORD, DWORD, DWORD);
using CloseProfileProc = BOOL(WINAPI*)(HPROFILE);
using CreateTransformProc = HTRANSFORM(WINAPI*)(PHPROFILE, DWORD, PDWORD, DWORD, DWORD, DWORD);
using DeleteTransformProc = BOOL(WINAPI*)(HTRANSFORM);
using TranslateProc = BOOL(WINAPI*)(HTRANSFORM, PVOID, BMFORMAT, DWORD, DWORD, DWORD, PVOID, BMFORMAT, DWORD,
                                    PBMCALLBACKFN, LPARAM);

template <typename Proc>
Proc Function(HMODULE module, const char* name) {
  return reinterpret_cast<Proc>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// mscms.dll is none of the system's known libraries: it is loaded from the system folder,
// once, when the first picture needs it, and kept for the program's life, as the media
// library is.
struct Mscms {
  OpenProfileProc open = nullptr;
  CloseProfileProc close = nullptr;
  CreateTransformProc create = nullptr;
  DeleteTransformProc remove = nullptr;
  TranslateProc translate = nullptr;
  bool Usable() const { return open && close && create && remove && translate; }
};

const Mscms& SystemMscms() {
  static const Mscms mscms = [] {
    Mscms found;
    HMODULE module = LoadLibraryExW(L"mscms.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!module) return found;
    found.open = Function<OpenProfileProc>(module, "OpenColorProfileW");
    found.close = Function<CloseProfileProc>(module, "CloseColorProfile");
    found.create = Function<CreateTransformProc>(module, "CreateMultiProfileTransform");
    found.remove = Function<DeleteTransformProc>(module, "DeleteColorTransform");
    found.translate = Function<TranslateProc>(module, "TranslateBitmapBits");
    return found;
  }();
  return mscms;
}

class Profile {
 public:
  Profile(const Mscms& mscms, const std::vector<uint8_t>& bytes) : mscms_(mscms) {
    PROFILE memory{PROFILE_MEMBUFFER, const_cast<uint8_t*>(bytes.data()), static_cast<DWORD>(bytes.size())};
    handle_ = mscms.open(&memory, PROFILE_READ, FILE_SHARE_READ, OPEN_EXISTING);
  }
  ~Profile() {
    if (handle_) mscms_.close(handle_);
  }
  Profile(const Profile&) = delete;
  Profile& operator=(const Profile&) = delete;
  HPROFILE Get() const { return handle_; }

 private:
  const Mscms& mscms_;
  HPROFILE handle_ = nullptr;
};

class Transform {
 public:
  Transform(const Mscms& mscms, const Profile& source, const Profile& destination) : mscms_(mscms) {
    if (!source.Get() || !destination.Get()) return;
    HPROFILE profiles[] = {source.Get(), destination.Get()};
    DWORD intents[] = {INTENT_RELATIVE_COLORIMETRIC};
    handle_ = mscms.create(profiles, 2, intents, 1, BEST_MODE, INDEX_DONT_CARE);
  }
  ~Transform() {
    if (handle_) mscms_.remove(handle_);
  }
  Transform(const Transform&) = delete;
  Transform& operator=(const Transform&) = delete;
  HTRANSFORM Get() const { return handle_; }

 private:
  const Mscms& mscms_;
  HTRANSFORM handle_ = nullptr;
};

// About a quarter of a megabyte of pixels a band, so that the band's input and output stay
// in the cache.
constexpr size_t kBandPixels = 65536;

}  // namespace

bool ConvertBySystem(const std::vector<uint8_t>& source, bool greySource, const std::vector<uint8_t>& destination,
                     uint32_t* pixels, size_t width, size_t height) {
  const Mscms& mscms = SystemMscms();
  if (!mscms.Usable() || width == 0 || height == 0 || width > MAXDWORD / 4) return false;
  Profile from(mscms, source), to(mscms, destination);
  Transform transform(mscms, from, to);
  if (!transform.Get()) return false;
  const size_t bandRows = std::max<size_t>(1, kBandPixels / width);
  std::unique_ptr<uint32_t[]> output(new (std::nothrow) uint32_t[bandRows * width]);
  std::unique_ptr<uint8_t[]> grey(greySource ? new (std::nothrow) uint8_t[bandRows * width] : nullptr);
  if (!output || (greySource && !grey)) return false;
  for (size_t top = 0; top < height; top += bandRows) {
    const size_t rows = std::min(bandRows, height - top);
    uint32_t* band = pixels + top * width;
    const size_t count = rows * width;
    void* input = band;
    BMFORMAT inputFormat = BM_xRGBQUADS;
    DWORD inputStride = static_cast<DWORD>(width * 4);
    if (greySource) {
      for (size_t i = 0; i < count; ++i) grey[i] = static_cast<uint8_t>(band[i] >> 8);
      input = grey.get();
      inputFormat = BM_GRAY;
      inputStride = static_cast<DWORD>(width);
    }
    if (!mscms.translate(transform.Get(), input, inputFormat, static_cast<DWORD>(width), static_cast<DWORD>(rows),
                         inputStride, output.get(), BM_xRGBQUADS, static_cast<DWORD>(width * 4), nullptr, 0))
      return false;
    for (size_t i = 0; i < count; ++i) band[i] = (band[i] & 0xFF000000u) | (output[i] & 0x00FFFFFFu);
  }
  return true;
}

}  // namespace pictures
