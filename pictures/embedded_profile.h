#pragma once
// The colour profile a picture file carries: a JPEG's chain of APP2 "ICC_PROFILE" segments,
// or the profile a version 5 BMP embeds. Only the bytes are read here; whether they make a
// usable profile is the profile parser's to say.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "pictures/icc_profile.h"
#include "pictures/jpeg_segments.h"
#include "platform/ports.h"

namespace pictures {

// The profile of a JPEG, from its APP2 segments tagged "ICC_PROFILE\0": each chunk carries
// its 1-based number and the count of chunks; the chunks may come in any order before the
// picture data. Empty unless every number from 1 to the count is there exactly once, every
// chunk gives the same count, and the chunks joined in order hold at least the size the
// profile's header gives (cut to that size).
std::vector<uint8_t> JpegProfile(platform::ByteSource& file, const std::vector<JpegSegment>& segments);

// The profile a BMP with a version 5 header embeds (bV5CSType PROFILE_EMBEDDED), at
// bV5ProfileData counted from the start of that header. Empty for any other BMP: a linked
// profile (a file name), calibrated or sRGB colour, an older header.
std::vector<uint8_t> BmpProfile(platform::ByteSource& file);

}  // namespace pictures
