#include "pictures/picture_plan.h"

#include <vector>

#include "pictures/embedded_profile.h"
#include "pictures/orientation.h"

namespace pictures {
namespace {

bool NeedsScreen(uint32_t frameWidth, uint32_t frameHeight, const GifScreen& gif) {
  const bool decoderFrame = gif.frameWidth == frameWidth && gif.frameHeight == frameHeight;
  const bool bare = gif.frameLeft == 0 && gif.frameTop == 0 && gif.width == frameWidth && gif.height == frameHeight;
  return decoderFrame && !bare && frameWidth > 0 && frameHeight > 0 && gif.width > 0 && gif.height > 0;
}

}  // namespace

// A JPEG's segments are walked where they lie, once for its orientation and its profile; a
// BMP's profile is read where its header places it; a GIF's screen and first frame are read
// from its first bytes.
PictureHead ReadPictureHead(platform::ByteSource& file) {
  PictureHead head;
  uint8_t magic[3] = {};
  const size_t read = file.ReadAt(0, magic, sizeof magic);
  if (read >= 2 && magic[0] == 0xFF && magic[1] == 0xD8) {
    const std::vector<JpegSegment> segments = JpegSegments(file);
    head.orientation = ExifOrientation(file, segments);
    head.profile = JpegProfile(file, segments);
  }
  if (read >= 2 && magic[0] == 'B' && magic[1] == 'M') head.profile = BmpProfile(file);
  if (read == 3 && magic[0] == 'G' && magic[1] == 'I' && magic[2] == 'F') {
    std::vector<uint8_t> bytes(kGifHeadBytes);
    bytes.resize(file.ReadAt(0, bytes.data(), bytes.size()));
    head.gif = ReadGifScreen(bytes.data(), bytes.size());
  }
  return head;
}

PictureHead ReadPictureHead(const uint8_t* bytes, size_t size) {
  platform::MemoryBytes file(bytes, size);
  return ReadPictureHead(file);
}

PicturePlan PlanPicture(uint32_t frameWidth, uint32_t frameHeight, const PictureHead& head) {
  PicturePlan plan;
  if (head.gif && NeedsScreen(frameWidth, frameHeight, *head.gif)) {
    plan.width = head.gif->width;
    plan.height = head.gif->height;
    plan.onScreen = true;
    plan.scratchPixels = uint64_t{frameWidth} * frameHeight;
    return plan;
  }
  plan.turn = head.orientation;
  plan.width = SwapsSides(plan.turn) ? frameHeight : frameWidth;
  plan.height = SwapsSides(plan.turn) ? frameWidth : frameHeight;
  plan.scratchPixels = TurnBufferPixels(frameWidth, frameHeight, plan.turn);
  return plan;
}

}  // namespace pictures
