#pragma once
// Decodes BMP, JPEG and GIF files (a GIF's first frame) into 32-bit pixels.
#include <string>

#include "pictures/loaded_picture.h"
#include "pictures/picture_limits.h"
#include "platform/ports.h"

namespace pictures {

// Nothing a file holds can make this crash or allocate without bound: the size is checked
// against the limits and the memory free now before any pixels are allocated. False leaves
// picture untouched. Safe on any thread: each thread that loads has its own decoder factory.
bool LoadPictureFile(const std::wstring& path, LoadedPicture& picture, platform::MemoryStatus& memory);
// The same, asking the system for the memory free.
bool LoadPictureFile(const std::wstring& path, LoadedPicture& picture);

// The physical memory free now, as GlobalMemoryStatusEx reports it.
class SystemMemoryStatus : public platform::MemoryStatus {
 public:
  std::optional<uint64_t> AvailablePhysicalBytes() override;
};

}  // namespace pictures
