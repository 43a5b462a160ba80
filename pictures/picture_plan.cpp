#include "pictures/picture_plan.h"

#include "pictures/orientation.h"

namespace pictures {
namespace {

bool NeedsScreen(uint32_t frameWidth, uint32_t frameHeight, const GifScreen& gif) {
  const bool decoderFrame = gif.frameWidth == frameWidth && gif.frameHeight == frameHeight;
  const bool bare = gif.frameLeft == 0 && gif.frameTop == 0 && gif.width == frameWidth && gif.height == frameHeight;
  return decoderFrame && !bare && frameWidth > 0 && frameHeight > 0 && gif.width > 0 && gif.height > 0;
}

}  // namespace

PictureHead ReadPictureHead(const uint8_t* bytes, size_t size) {
  PictureHead head;
  head.orientation = ExifOrientation(bytes, size);
  head.gif = ReadGifScreen(bytes, size);
  return head;
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
