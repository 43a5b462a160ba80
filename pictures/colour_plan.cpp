#include "pictures/colour_plan.h"

namespace pictures {
namespace {

bool SpaceFits(ColourSpace space, PictureColours picture) {
  return (space == ColourSpace::Rgb && picture == PictureColours::Rgb) ||
         (space == ColourSpace::Grey && picture == PictureColours::Grey);
}

}  // namespace

const DisplayColours& SrgbDisplay() {
  static const DisplayColours srgb{SrgbProfileBytes(), SrgbProfile()};
  return srgb;
}

DisplayColours DisplayColoursFrom(const std::vector<uint8_t>& reported) {
  const auto profile = ReadIccProfile(reported.data(), reported.size());
  if (!profile || !profile->matrixDisplay || !profile->matrix) return SrgbDisplay();
  return {reported, *profile->matrix};
}

ColourPlan PlanColours(const std::vector<uint8_t>& profile, PictureColours picture, const DisplayColours& display) {
  ColourPlan plan;
  if (profile.empty() || IsSameProfile(profile.data(), profile.size(), display.bytes.data(), display.bytes.size()))
    return plan;
  const auto parsed = ReadIccProfile(profile.data(), profile.size());
  if (!parsed || !SpaceFits(parsed->space, picture)) return plan;
  if (parsed->kind == ProfileKind::Table) {
    plan.route = ColourPlan::Route::System;
    plan.greySource = parsed->space == ColourSpace::Grey;
    return plan;
  }
  if (parsed->kind != ProfileKind::Matrix || !parsed->matrix || IsSrgb(*parsed->matrix)) return plan;
  plan.transform = ColourTransform::Make(*parsed->matrix, display.matrix);
  if (plan.transform) plan.route = ColourPlan::Route::OwnTransform;
  return plan;
}

}  // namespace pictures
