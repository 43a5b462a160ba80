#pragma once
// What the loader does with a picture's colours: nothing for an untagged picture, one in
// sRGB or in the display's own profile; the program's own transform for a profile of the
// matrix kind; the system's colour management for one built from tables.
#include <cstdint>
#include <optional>
#include <vector>

#include "pictures/colour_transform.h"
#include "pictures/icc_profile.h"

namespace pictures {

// The colours the screen shows: the profile the system reports for the primary monitor
// where the program's own transform can take it, else sRGB.
struct DisplayColours {
  std::vector<uint8_t> bytes;
  MatrixProfile matrix;
};

// From the bytes of the profile the system reports (none, when it reports none).
DisplayColours DisplayColoursFrom(const std::vector<uint8_t>& reported);
// sRGB, the colours of a screen that reports no profile.
const DisplayColours& SrgbDisplay();

// How the decoder delivers the picture's pixels: a profile describes them only where its
// colour space is theirs (an RGB profile means nothing to a grey JPEG).
enum class PictureColours { Rgb, Grey, Other };

struct ColourPlan {
  enum class Route { AsStored, OwnTransform, System };
  Route route = Route::AsStored;
  std::optional<ColourTransform> transform;  // for OwnTransform
  bool greySource = false;                   // for System
};

// Decided before any pixel is decoded.
ColourPlan PlanColours(const std::vector<uint8_t>& profile, PictureColours picture, const DisplayColours& display);

}  // namespace pictures
