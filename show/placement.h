#pragma once
// The size and place at which a loaded picture is drawn in the show area.
#include "platform/geometry.h"
#include "platform/ports.h"

namespace show {

struct FitOptions {
  bool shrinkLarge = false;   // CheckM: shrink a picture that does not fit
  bool enlargeSmall = false;  // Kakudai: enlarge a picture smaller than the area
  bool centred = false;       // Cyuuou: centre instead of a random place
};

struct Placement {
  platform::Point position;  // top-left corner, may be negative for an overhang
  platform::Size size;
  // A side of 0 survives the show's "both sides below 2" skip (a 1 x 3000 picture
  // fitted to 767 rows is 0 wide); such a picture paints and allocates nothing.
  bool IsEmpty() const { return size.width <= 0 || size.height <= 0; }
};

// The drawing size, keeping the aspect ratio. A picture at least as wide or as high
// as the area counts as large: only a side larger than the area is reduced. A picture
// with a side of 0 or less gives an empty size.
platform::Size FitPicture(platform::Size picture, platform::Size area, const FitOptions& options);

// r1 and r2 are the generator's next two values in [0, 1); the random place is worked
// out from them even when the picture is centred, so both are always consumed.
Placement PlacePicture(platform::Size picture, platform::Size area, const FitOptions& options,
                       float r1, float r2);

// Draws r1 then r2 from the generator, unseeded, and places the picture.
Placement PlacePicture(platform::Size picture, platform::Size area, const FitOptions& options,
                       platform::Random& random);

}  // namespace show
