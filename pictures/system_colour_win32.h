#pragma once
// The system's colour management (mscms.dll), for the profiles the program's own transform
// does not take: those built from lookup tables.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace pictures {

// Converts width x height pixels (blue, green, red, byte 3) in place from the source
// profile to the destination profile, relative colorimetric, in bands of rows; byte 3 is
// kept as it was. A grey source profile reads each pixel's green as its grey. False when
// mscms.dll is missing from the system folder or cannot make the transform, the pixels then
// as they were, or fails on a band, which then stays as it was.
bool ConvertBySystem(const std::vector<uint8_t>& source, bool greySource, const std::vector<uint8_t>& destination,
                     uint32_t* pixels, size_t width, size_t height);

}  // namespace pictures
