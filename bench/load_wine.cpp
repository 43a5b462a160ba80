// The saver's load of a 4000 x 3000 JPEG against the system's decoder alone, under Wine.
// Usage: load_wine [runs]   (default 9)
// The yardstick decodes the same frame in its own pixel format (24-bit) into a buffer
// allocated once; the load decodes, checks the size, allocates and widens to 32 bits. Both
// are timed in turns in the same run; the medians and their ratio are printed (goal: at most
// 1.10). Then the widening alone, three ways over the same decoded rows: the program's SSE2
// pass, a plain loop and the system's format converter. Last, the same photo tagged with
// Exif orientation 6: its quarter turn alone and the whole load against the decoder alone
// (goal: the turn at most 0.10 of the decode); and the same photo tagged Adobe RGB (1998):
// its conversion to sRGB alone and the whole load against the decoder alone (goal: the
// conversion at most 0.25 of the decode).
#include <windows.h>
#include <wincodec.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "pictures/colour_transform.h"
#include "pictures/icc_profile.h"
#include "pictures/orientation.h"
#include "pictures/picture_loader_win32.h"
#include "pictures/pixel_store.h"
#include "pictures/pixel_transfer.h"
#include "platform/win32_handles.h"
#include "tests/e2e/jpeg_files.h"

namespace {

constexpr UINT kWidth = 4000;
constexpr UINT kHeight = 3000;
constexpr double kGoal = 1.10;
constexpr double kTurnGoal = 0.10;
constexpr double kColourGoal = 0.25;
constexpr wchar_t kFolder[] = L"C:\\glimmer_bench";
constexpr wchar_t kPicture[] = L"C:\\glimmer_bench\\photo_4000x3000.jpg";
constexpr wchar_t kTurnedPicture[] = L"C:\\glimmer_bench\\photo_4000x3000_orientation6.jpg";
constexpr wchar_t kTaggedPicture[] = L"C:\\glimmer_bench\\photo_4000x3000_adobe.jpg";

double NowMs() {
  LARGE_INTEGER counter, frequency;
  QueryPerformanceCounter(&counter);
  QueryPerformanceFrequency(&frequency);
  return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double TimeMs(const std::function<bool()>& work) {
  const double start = NowMs();
  if (!work()) return -1;
  return NowMs() - start;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t middle = values.size() / 2;
  return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

bool FileExists(const wchar_t* path) { return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES; }

class Decoder {
 public:
  Decoder() {
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                     reinterpret_cast<void**>(&factory_));
  }
  IWICImagingFactory* Factory() { return factory_.p; }

  // The frame in its own format into `into`, which is sized once.
  bool DecodeOwnFormat(std::vector<BYTE>& into) {
    platform::ComPtr<IWICBitmapDecoder> decoder;
    platform::ComPtr<IWICBitmapFrameDecode> frame;
    WICPixelFormatGUID format{};
    if (FAILED(factory_->CreateDecoderFromFilename(kPicture, nullptr, GENERIC_READ, WICDecodeMetadataCacheOnDemand,
                                                   &decoder)) ||
        FAILED(decoder->GetFrame(0, &frame)) || FAILED(frame->GetPixelFormat(&format)) ||
        format != GUID_WICPixelFormat24bppBGR)
      return false;
    const UINT stride = kWidth * 3;
    into.resize(size_t{stride} * kHeight);
    return SUCCEEDED(frame->CopyPixels(nullptr, stride, static_cast<UINT>(into.size()), into.data()));
  }

 private:
  platform::ComPtr<IWICImagingFactory> factory_;
};

bool ConvertWithTheSystem(IWICImagingFactory* factory, std::vector<BYTE>& rows, std::vector<BYTE>& out) {
  platform::ComPtr<IWICBitmap> bitmap;
  platform::ComPtr<IWICFormatConverter> converter;
  return SUCCEEDED(factory->CreateBitmapFromMemory(kWidth, kHeight, GUID_WICPixelFormat24bppBGR, kWidth * 3,
                                                   static_cast<UINT>(rows.size()), rows.data(), &bitmap)) &&
         SUCCEEDED(factory->CreateFormatConverter(&converter)) &&
         SUCCEEDED(converter->Initialize(bitmap.p, GUID_WICPixelFormat32bppBGR, WICBitmapDitherTypeNone, nullptr,
                                         0.0, WICBitmapPaletteTypeCustom)) &&
         SUCCEEDED(converter->CopyPixels(nullptr, kWidth * 4, static_cast<UINT>(out.size()), out.data()));
}

void WidenPlainly(const BYTE* from, BYTE* to, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    to[4 * i] = from[3 * i];
    to[4 * i + 1] = from[3 * i + 1];
    to[4 * i + 2] = from[3 * i + 2];
    to[4 * i + 3] = pictures::kUnusedByte;
  }
}

// The photo again with Exif orientation 6, as a camera held upright stores it.
bool WriteTurnedCopy() {
  std::ifstream in(kPicture, std::ios::binary);
  const std::string jpeg = e2e::WithExifOrientation(std::string(std::istreambuf_iterator<char>(in), {}), 6);
  std::ofstream out(kTurnedPicture, std::ios::binary | std::ios::trunc);
  out << jpeg;
  return !jpeg.empty() && out.good();
}

// The quarter turn alone, in the picture the loader made, and the whole load of the tagged
// photo, each against the decoder alone in the same turns.
void MeasureTurn(Decoder& decoder, std::vector<BYTE>& rows, int runs) {
  pictures::LoadedPicture picture;
  if (!WriteTurnedCopy() || !pictures::LoadPictureFile(kPicture, picture)) {
    std::fprintf(stderr, "load_wine: cannot make the photo with orientation 6\n");
    return;
  }
  std::vector<double> turns, decodes, loads, plainLoads;
  for (int run = 0; run < runs; ++run) {
    decodes.push_back(TimeMs([&] { return decoder.DecodeOwnFormat(rows); }));
    turns.push_back(TimeMs([&] { return pictures::TurnUpright(picture, pictures::Orientation::TurnRight); }));
  }
  // The loads then run as in the show, where no other picture holds a block.
  picture = {};
  const size_t blocksBefore = pictures::PixelStore::BlocksMade();
  for (int run = 0; run < runs; ++run) {
    loads.push_back(TimeMs([&] {
      pictures::LoadedPicture turned;
      return pictures::LoadPictureFile(kTurnedPicture, turned) && turned.width == static_cast<int32_t>(kHeight);
    }));
    plainLoads.push_back(TimeMs([&] {
      pictures::LoadedPicture plain;
      return pictures::LoadPictureFile(kPicture, plain);
    }));
  }
  if (*std::min_element(loads.begin(), loads.end()) < 0 || *std::min_element(turns.begin(), turns.end()) < 0) {
    std::fprintf(stderr, "load_wine: a turned load failed\n");
    return;
  }
  const double turn = Median(turns), decode = Median(decodes), load = Median(loads), plain = Median(plainLoads);
  std::printf("Exif orientation 6: quarter turn of %ux%u median %.1f ms; load %.1f ms, untagged load %.1f ms,"
              " decoder alone %.1f ms\n",
              kWidth, kHeight, turn, load, plain, decode);
  std::printf("ratio turn / decoder %.3f (goal at most %.2f); ratio (load - untagged load) / decoder %.3f;"
              " fresh pixel blocks over the %d turned and plain loads %zu\n",
              turn / decode, kTurnGoal, (load - plain) / decode, 2 * runs,
              pictures::PixelStore::BlocksMade() - blocksBefore);
}

// The photo again tagged Adobe RGB (1998), as a camera in that mode stores it: the
// conversion alone, in the picture the loader made, and the whole load of the tagged photo,
// each against the decoder alone in the same turns.
void MeasureColour(Decoder& decoder, std::vector<BYTE>& rows, int runs) {
  std::ifstream in(kPicture, std::ios::binary), adobe(L"Z:\\usr\\share\\color\\icc\\colord\\AdobeRGB1998.icc",
                                                     std::ios::binary);
  const std::string profile(std::istreambuf_iterator<char>(adobe), {});
  const auto parsed = pictures::ReadIccProfile(reinterpret_cast<const uint8_t*>(profile.data()), profile.size());
  const auto transform = parsed && parsed->matrix
                             ? pictures::ColourTransform::Make(*parsed->matrix, pictures::SrgbProfile())
                             : std::nullopt;
  std::ofstream(kTaggedPicture, std::ios::binary | std::ios::trunc)
      << e2e::WithIccProfile(std::string(std::istreambuf_iterator<char>(in), {}), profile);
  pictures::LoadedPicture picture;
  if (!transform || !pictures::LoadPictureFile(kPicture, picture)) {
    std::fprintf(stderr, "load_wine: cannot make the photo tagged Adobe RGB\n");
    return;
  }
  std::vector<double> conversions, decodes, loads, plainLoads;
  for (int run = 0; run < runs; ++run) {
    decodes.push_back(TimeMs([&] { return decoder.DecodeOwnFormat(rows); }));
    conversions.push_back(TimeMs([&] {
      transform->Apply(picture.pixels.data(), picture.pixels.size());
      return true;
    }));
    loads.push_back(TimeMs([&] {
      pictures::LoadedPicture tagged;
      return pictures::LoadPictureFile(kTaggedPicture, tagged);
    }));
    plainLoads.push_back(TimeMs([&] {
      pictures::LoadedPicture plain;
      return pictures::LoadPictureFile(kPicture, plain);
    }));
  }
  const double convert = Median(conversions), decode = Median(decodes), load = Median(loads),
               plain = Median(plainLoads);
  std::printf("Adobe RGB profile: conversion of %ux%u median %.1f ms (%s); load %.1f ms, untagged load %.1f ms,"
              " decoder alone %.1f ms\n",
              kWidth, kHeight, convert, pictures::ColourAvx2Available() ? "AVX2" : "SSE2", load, plain, decode);
  std::printf("ratio conversion / decoder %.3f (goal at most %.2f); ratio (load - untagged load) / decoder %.3f\n",
              convert / decode, kColourGoal, (load - plain) / decode);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const int runs = argc > 1 ? _wtoi(argv[1]) : 9;
  if (runs <= 0) {
    std::fprintf(stderr, "usage: load_wine [runs]\n");
    return 2;
  }
  CreateDirectoryW(kFolder, nullptr);
  if (!FileExists(kPicture) && !e2e::WriteJpeg(kPicture, kWidth, kHeight, e2e::PhotoLikeRows(kWidth, kHeight))) {
    std::fprintf(stderr, "load_wine: cannot write the picture\n");
    return 1;
  }
  Decoder decoder;
  std::vector<BYTE> rows;
  pictures::LoadedPicture warm;
  // One of each first: the factories, the decoder's libraries and the file's pages.
  if (!decoder.DecodeOwnFormat(rows) || !pictures::LoadPictureFile(kPicture, warm)) {
    std::fprintf(stderr, "load_wine: the picture does not decode\n");
    return 1;
  }
  warm = {};
  std::vector<double> loads, decodes;
  for (int run = 0; run < runs; ++run) {
    decodes.push_back(TimeMs([&] { return decoder.DecodeOwnFormat(rows); }));
    loads.push_back(TimeMs([&] {
      pictures::LoadedPicture picture;
      return pictures::LoadPictureFile(kPicture, picture);
    }));
  }
  if (*std::min_element(loads.begin(), loads.end()) < 0 || *std::min_element(decodes.begin(), decodes.end()) < 0) {
    std::fprintf(stderr, "load_wine: a run failed\n");
    return 1;
  }
  const double load = Median(loads), decode = Median(decodes);
  std::printf("load of %ux%u JPEG: median %.1f ms; decoder alone in its own format: median %.1f ms (%d runs)\n",
              kWidth, kHeight, load, decode, runs);
  std::printf("ratio load / decoder %.3f; ratio to the %.2f goal %.3f\n", load / decode, kGoal, load / decode / kGoal);

  std::vector<BYTE> out(size_t{kWidth} * kHeight * 4);
  std::vector<double> own, plain, system;
  const size_t count = size_t{kWidth} * kHeight;
  for (int run = 0; run < runs; ++run) {
    own.push_back(TimeMs([&] {
      pictures::ExpandBgrToBgrx(rows.data(), out.data(), count);
      return true;
    }));
    plain.push_back(TimeMs([&] {
      WidenPlainly(rows.data(), out.data(), count);
      return true;
    }));
    system.push_back(TimeMs([&] { return ConvertWithTheSystem(decoder.Factory(), rows, out); }));
  }
  std::printf("widening 24 to 32 bits: SSE2 pass %.2f ms, plain loop %.2f ms, system converter %.2f ms;"
              " ratio SSE2 / converter %.2f\n",
              Median(own), Median(plain), Median(system), Median(own) / Median(system));
  MeasureTurn(decoder, rows, runs);
  MeasureColour(decoder, rows, runs);
  return 0;
}
