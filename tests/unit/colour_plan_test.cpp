// Which pictures the loader converts, and by which route.
#include "pictures/colour_plan.h"

#include <gtest/gtest.h>

#include "tests/unit/icc_test_profile.h"

using pictures::ColourPlan;
using pictures::PictureColours;
using Route = ColourPlan::Route;
using namespace test_support;

namespace {

const Colorants kAdobeLike{{{0.6097, 0.3111, 0.0195}, {0.2053, 0.6257, 0.0609}, {0.1492, 0.0632, 0.7446}}};

Bytes Adobe() { return RgbProfile(ParaTag(0, {2.2}), kAdobeLike); }
Bytes Grey() { return IccBytes("GRAY", {{"kTRC", ParaTag(0, {2.2})}}); }
Bytes RgbTable(const char* table = "A2B0") {
  auto tags = RgbTags(ParaTag(0, {2.2}), ParaTag(0, {2.2}), ParaTag(0, {2.2}));
  tags.push_back({table, Bytes(64, 0)});
  return IccBytes("RGB ", tags);
}

}  // namespace

TEST(ColourPlan, OnlyAProfileThatDescribesThePixelsAndChangesThemIsApplied) {
  Bytes adobeSavedLater = Adobe();
  adobeSavedLater[30] ^= 1;  // another date in the header
  const pictures::DisplayColours adobeDisplay = pictures::DisplayColoursFrom(Adobe());
  struct Case {
    const char* name;
    Bytes profile;
    PictureColours picture;
    const pictures::DisplayColours* display;
    Route route;
  };
  const auto& srgb = pictures::SrgbDisplay();
  const Case cases[] = {
      {"untagged", {}, PictureColours::Rgb, &srgb, Route::AsStored},
      {"broken", Bytes(200, 7), PictureColours::Rgb, &srgb, Route::AsStored},
      {"sRGB", pictures::SrgbProfileBytes(), PictureColours::Rgb, &srgb, Route::AsStored},
      {"Adobe RGB", Adobe(), PictureColours::Rgb, &srgb, Route::OwnTransform},
      {"Adobe RGB on a grey picture", Adobe(), PictureColours::Grey, &srgb, Route::AsStored},
      {"Adobe RGB on a CMYK picture", Adobe(), PictureColours::Other, &srgb, Route::AsStored},
      {"the display's own, saved later", adobeSavedLater, PictureColours::Rgb, &adobeDisplay, Route::AsStored},
      {"sRGB on an Adobe RGB display", pictures::SrgbProfileBytes(), PictureColours::Rgb, &adobeDisplay,
       Route::AsStored},
      {"grey", Grey(), PictureColours::Grey, &adobeDisplay, Route::OwnTransform},
      {"grey on a colour picture", Grey(), PictureColours::Rgb, &srgb, Route::AsStored},
      {"tables", RgbTable(), PictureColours::Rgb, &srgb, Route::System},
      {"CMYK", IccBytes("CMYK", {{"A2B0", Bytes(64, 0)}}, "prtr"), PictureColours::Other, &srgb, Route::AsStored},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const ColourPlan plan = pictures::PlanColours(c.profile, c.picture, *c.display);
    EXPECT_EQ(plan.route, c.route);
    EXPECT_EQ(plan.transform.has_value(), c.route == Route::OwnTransform);
  }
}

// The screen's profile is the destination where the program's own transform can invert it
// (a table from the picture's side, A2B0, does not matter there); any other leaves the
// screen taken as sRGB.
TEST(ColourPlan, TheDisplaysProfileWhereItIsOfTheMatrixKind) {
  for (const Bytes& matrix : {Adobe(), RgbTable("A2B0")}) EXPECT_EQ(pictures::DisplayColoursFrom(matrix).bytes, matrix);
  for (const Bytes& other : {Bytes{}, RgbTable("B2A0"), Grey(), Bytes(300, 1)})
    EXPECT_EQ(pictures::DisplayColoursFrom(other).bytes, pictures::SrgbProfileBytes());
}
