#pragma once
// Decodes BMP, JPEG and GIF files (a GIF's first frame) into 32-bit pixels.
#include <windows.h>
#include <objidl.h>

#include <string>

#include "pictures/colour_plan.h"
#include "pictures/loaded_picture.h"
#include "pictures/picture_limits.h"
#include "platform/ports.h"

namespace pictures {

// Where the loader opens a picture's file: a read-only stream that shares the file with
// every other reader and writer. A test may watch the names it is given.
class PictureFiles {
 public:
  virtual ~PictureFiles() = default;
  virtual HRESULT Open(const std::wstring& name, IStream** stream);
};

// Nothing a file holds can make this crash or allocate without bound: the size is checked
// against the limits and the memory free now before any pixels are allocated. False leaves
// picture untouched. Safe on any thread: each thread that loads has its own decoder factory.
// The file is opened once, by the "\\?\" form of its full path where that is MAX_PATH or
// longer (the catalogue's text is kept as the scan formed it). A picture that carries a
// colour profile is converted to the display's colours (without display, sRGB's) before it
// is turned upright. Without files, the system's.
bool LoadPictureFile(const std::wstring& path, LoadedPicture& picture, platform::MemoryStatus& memory,
                     const DisplayColours* display = nullptr, PictureFiles* files = nullptr);

// The colours of the primary monitor, from the profile the system reports for it: read once
// on the window's thread, before the show, and handed to the loads.
DisplayColours ReadDisplayColours();
// The same, with the system's files and the memory free as the system reports it.
bool LoadPictureFile(const std::wstring& path, LoadedPicture& picture);

// The physical memory free now, as GlobalMemoryStatusEx reports it.
class SystemMemoryStatus : public platform::MemoryStatus {
 public:
  std::optional<uint64_t> AvailablePhysicalBytes() override;
};

}  // namespace pictures
