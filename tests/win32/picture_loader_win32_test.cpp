// The loader against the system's own format converter, byte for byte, and its refusals.
#include <windows.h>
#include <wincodec.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "pictures/picture_loader_win32.h"
#include "pictures/pixel_transfer.h"
#include "platform/directory_lister_win32.h"
#include "platform/win32_handles.h"
#include "tests/e2e/jpeg_files.h"
#include "tests/unit/fake_memory_status.h"

namespace {

class ComFactory {
 public:
  ComFactory() {
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                     reinterpret_cast<void**>(&factory));
  }
  platform::ComPtr<IWICImagingFactory> factory;
};

// What the system's converter makes of source in 32-bit blue-green-red-unused.
std::vector<uint8_t> Converted(IWICImagingFactory* factory, IWICBitmapSource* source) {
  UINT width = 0, height = 0;
  source->GetSize(&width, &height);
  platform::ComPtr<IWICFormatConverter> converter;
  if (FAILED(factory->CreateFormatConverter(&converter)) ||
      FAILED(converter->Initialize(source, GUID_WICPixelFormat32bppBGR, WICBitmapDitherTypeNone, nullptr, 0.0,
                                   WICBitmapPaletteTypeCustom)))
    return {};
  std::vector<uint8_t> pixels(size_t{width} * height * 4);
  if (FAILED(converter->CopyPixels(nullptr, width * 4, static_cast<UINT>(pixels.size()), pixels.data()))) return {};
  return pixels;
}

std::vector<uint8_t> ConvertedFile(IWICImagingFactory* factory, const std::wstring& path) {
  platform::ComPtr<IWICBitmapDecoder> decoder;
  platform::ComPtr<IWICBitmapFrameDecode> frame;
  if (FAILED(factory->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ, WICDecodeMetadataCacheOnDemand,
                                                &decoder)) ||
      FAILED(decoder->GetFrame(0, &frame)))
    return {};
  return Converted(factory, frame.p);
}

std::vector<uint8_t> Bytes(const pictures::LoadedPicture& picture) {
  std::vector<uint8_t> bytes(picture.pixels.size() * 4);
  std::memcpy(bytes.data(), picture.pixels.data(), bytes.size());
  return bytes;
}

std::wstring TempFolder() {
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  std::wstring folder = std::wstring(temp) + L"glimmer loader " + std::to_wstring(GetCurrentProcessId());
  CreateDirectoryW(folder.c_str(), nullptr);
  return folder;
}

void WriteFile(const std::wstring& path, const std::string& bytes) {
  std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
  out << bytes;
}

std::string ReadFile(const std::wstring& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Encodes a random picture in the container with the given pixel format.
bool WritePicture(IWICImagingFactory* factory, const std::wstring& path, const GUID& container, UINT width,
                  UINT height, WICPixelFormatGUID format, UINT bitsPerPixel) {
  platform::ComPtr<IWICStream> stream;
  platform::ComPtr<IWICBitmapEncoder> encoder;
  platform::ComPtr<IWICBitmapFrameEncode> frame;
  platform::ComPtr<IPropertyBag2> options;
  if (FAILED(factory->CreateStream(&stream)) || FAILED(stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE)) ||
      FAILED(factory->CreateEncoder(container, nullptr, &encoder)) ||
      FAILED(encoder->Initialize(stream.p, WICBitmapEncoderNoCache)) ||
      FAILED(encoder->CreateNewFrame(&frame, &options)) || FAILED(frame->Initialize(options.p)) ||
      FAILED(frame->SetSize(width, height)))
    return false;
  const WICPixelFormatGUID wanted = format;
  if (FAILED(frame->SetPixelFormat(&format)) || format != wanted) return false;
  if (bitsPerPixel == 8) {
    platform::ComPtr<IWICPalette> palette;
    if (FAILED(factory->CreatePalette(&palette)) ||
        FAILED(palette->InitializePredefined(WICBitmapPaletteTypeFixedHalftone256, FALSE)) ||
        FAILED(frame->SetPalette(palette.p)))
      return false;
  }
  const UINT stride = (width * bitsPerPixel / 8 + 3) & ~3u;
  std::vector<BYTE> pixels(size_t{stride} * height);
  std::mt19937 random(width * 7 + height);
  for (BYTE& byte : pixels) byte = static_cast<BYTE>(random());
  return SUCCEEDED(frame->WritePixels(height, stride, static_cast<UINT>(pixels.size()), pixels.data())) &&
         SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit());
}

}  // namespace

// Widths around the 16-pixel steps, rows of every misalignment.
TEST(PictureLoaderWin32, ExpansionEqualsTheSystemConverter) {
  ComFactory com;
  ASSERT_TRUE(com.factory.p);
  std::mt19937 random(13);
  for (UINT width : {1u, 2u, 15u, 16u, 17u, 33u, 301u, 4000u}) {
    SCOPED_TRACE(width);
    const UINT height = 5, stride = width * 3;
    std::vector<BYTE> source(size_t{stride} * height);
    for (BYTE& byte : source) byte = static_cast<BYTE>(random());
    platform::ComPtr<IWICBitmap> bitmap;
    ASSERT_TRUE(SUCCEEDED(com.factory->CreateBitmapFromMemory(width, height, GUID_WICPixelFormat24bppBGR, stride,
                                                               static_cast<UINT>(source.size()), source.data(),
                                                               &bitmap)));
    const std::vector<uint8_t> want = Converted(com.factory.p, bitmap.p);
    ASSERT_EQ(want.size(), size_t{width} * height * 4);
    std::vector<uint8_t> got(want.size());
    for (UINT y = 0; y < height; ++y)
      pictures::ExpandBgrToBgrx(source.data() + size_t{stride} * y, got.data() + size_t{width} * 4 * y, width);
    EXPECT_EQ(got, want);
  }
}

// Each pixel format the loader meets, on its own path or the converter's, gives the bytes
// the converter gives.
TEST(PictureLoaderWin32, LoadedPixelsEqualTheSystemConverter) {
  ComFactory com;
  ASSERT_TRUE(com.factory.p);
  const std::wstring folder = TempFolder();
  struct Case {
    const wchar_t* name;
    GUID container;
    WICPixelFormatGUID format;
    UINT bits;
    UINT width, height;
  };
  const Case cases[] = {
      {L"bgr24.bmp", GUID_ContainerFormatBmp, GUID_WICPixelFormat24bppBGR, 24, 301, 157},
      {L"bgr32.bmp", GUID_ContainerFormatBmp, GUID_WICPixelFormat32bppBGR, 32, 64, 33},
      {L"indexed.bmp", GUID_ContainerFormatBmp, GUID_WICPixelFormat8bppIndexed, 8, 50, 40},
      {L"indexed.gif", GUID_ContainerFormatGif, GUID_WICPixelFormat8bppIndexed, 8, 77, 31},
      {L"colour.jpg", GUID_ContainerFormatJpeg, GUID_WICPixelFormat24bppBGR, 24, 1000, 700},
      {L"grey.jpg", GUID_ContainerFormatJpeg, GUID_WICPixelFormat8bppGray, 8, 123, 45},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::string(c.name, c.name + wcslen(c.name)));
    const std::wstring path = folder + L"\\" + c.name;
    ASSERT_TRUE(WritePicture(com.factory.p, path, c.container, c.width, c.height, c.format, c.bits));
    pictures::LoadedPicture picture;
    ASSERT_TRUE(pictures::LoadPictureFile(path, picture));
    EXPECT_EQ(picture.width, static_cast<int32_t>(c.width));
    EXPECT_EQ(picture.height, static_cast<int32_t>(c.height));
    EXPECT_EQ(Bytes(picture), ConvertedFile(com.factory.p, path));
    DeleteFileW(path.c_str());
  }
  RemoveDirectoryW(folder.c_str());
}

// The memory free is asked once the frame's size is known, and a picture that would take
// more than a quarter of it is not loaded.
TEST(PictureLoaderWin32, APictureNeedingMoreThanAQuarterOfTheFreeMemoryIsNotLoaded) {
  const std::wstring folder = TempFolder();
  const std::wstring path = folder + L"\\quarter.jpg";
  ASSERT_TRUE(e2e::WriteJpeg(path, 400, 300, e2e::PhotoLikeRows(400, 300)));
  struct Case {
    uint64_t available;
    bool loads;
  };
  for (const Case& c : {Case{400 * 300 * 16, true}, Case{400 * 300 * 16 - 1, false}}) {
    SCOPED_TRACE(c.available);
    FakeMemory memory;
    memory.available = c.available;
    pictures::LoadedPicture picture;
    EXPECT_EQ(pictures::LoadPictureFile(path, picture, memory), c.loads);
    EXPECT_EQ(memory.asked, 1);
    EXPECT_EQ(picture.width, c.loads ? 400 : 1);
  }
  DeleteFileW(path.c_str());
  RemoveDirectoryW(folder.c_str());
}

// Files that are no picture, or claim sizes past the limits, or vanished: refused, the
// picture left as it was.
TEST(PictureLoaderWin32, BadFilesAreRefusedAndLeaveThePictureAlone) {
  const std::wstring folder = TempFolder();
  const std::wstring good = folder + L"\\good.jpg";
  ASSERT_TRUE(e2e::WriteJpeg(good, 64, 48, e2e::PhotoLikeRows(64, 48)));
  const std::string jpeg = ReadFile(good);
  const std::string tooWide = e2e::WithFrameSize(jpeg, 65535, 65535);  // 2^32 pixels
  ASSERT_FALSE(tooWide.empty());
  struct Case {
    const wchar_t* name;
    std::string bytes;
  };
  const Case cases[] = {
      {L"empty.jpg", ""},
      {L"junk.jpg", std::string(5000, 'x')},
      {L"truncated.jpg", jpeg.substr(0, 20)},
      {L"forged.jpg", tooWide},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::string(c.name, c.name + wcslen(c.name)));
    const std::wstring path = folder + L"\\" + c.name;
    WriteFile(path, c.bytes);
    pictures::LoadedPicture picture;
    picture.pixels.assign(1, 0x12345678);
    EXPECT_FALSE(pictures::LoadPictureFile(path, picture));
    EXPECT_EQ(picture.width, 1);
    EXPECT_EQ(picture.pixels.size(), 1u);
    DeleteFileW(path.c_str());
  }
  pictures::LoadedPicture picture;
  EXPECT_FALSE(pictures::LoadPictureFile(folder + L"\\deleted since the scan.jpg", picture));
  DeleteFileW(good.c_str());
  RemoveDirectoryW(folder.c_str());
}

// Windows opens no plain path of MAX_PATH characters or more (Wine does, so the names are
// watched): a catalogued path that long is opened by the "\\?\" form of its full path, one
// with "..\" in it by its normalised form, a short text relative to the working folder as
// its full path is, and a short full path as it stands.
TEST(PictureLoaderWin32, APathPastMaxPathIsOpenedByItsLongForm) {
  struct WatchedFiles : pictures::PictureFiles {
    HRESULT Open(const std::wstring& name, IStream** stream) override {
      names.push_back(name);
      return PictureFiles::Open(name, stream);
    }
    std::vector<std::wstring> names;
  };
  const std::wstring folder = TempFolder(), shortPicture = folder + L"\\short.jpg", name(200, L'a');
  const std::wstring upper = folder + L"\\" + name, deep = upper + L"\\" + name, deepPicture = deep + L"\\long.jpg";
  const std::wstring longForm = L"\\\\?\\" + deepPicture;
  for (const std::wstring& made : {upper, deep}) CreateDirectoryW(platform::LongPathForm(made).c_str(), nullptr);
  ASSERT_GE(deepPicture.size(), 300u);
  for (const std::wstring& path : {deepPicture, shortPicture})
    ASSERT_TRUE(e2e::WriteJpeg(path, 64, 48, e2e::PhotoLikeRows(64, 48)));
  const std::pair<std::wstring, std::wstring> cases[] = {
      {deepPicture, longForm}, {deep + L"\\..\\" + name + L"\\long.jpg", longForm},
      {shortPicture, shortPicture}, {L"long.jpg", longForm}};
  wchar_t working[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, working);
  ASSERT_TRUE(SetCurrentDirectoryW(deep.c_str())) << GetLastError();
  for (const auto& [path, opened] : cases) {
    WatchedFiles files;
    pictures::SystemMemoryStatus memory;
    pictures::LoadedPicture picture;
    EXPECT_TRUE(pictures::LoadPictureFile(path, picture, memory, nullptr, &files)) << path.size();
    EXPECT_EQ(files.names, std::vector<std::wstring>{opened}) << path.size();
  }
  SetCurrentDirectoryW(working);
  for (const std::wstring& path : {deepPicture, shortPicture}) DeleteFileW(platform::LongPathForm(path).c_str());
  for (const std::wstring& made : {deep, upper, folder}) RemoveDirectoryW(platform::LongPathForm(made).c_str());
}
