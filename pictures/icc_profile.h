#pragma once
// What a picture's embedded colour profile (ICC, versions 2 and 4) says, read from its bytes
// without trusting any of them.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace pictures {

// Larger profiles are not read at all: no photo carries one, and a damaged length could
// otherwise make the loader hold a great deal for nothing.
inline constexpr size_t kLargestProfileBytes = 4 * 1024 * 1024;

enum class ColourSpace { Rgb, Grey, Other };

enum class DeviceClass { Input, Display, Output, ColourSpace, Link, Abstract, NamedColour, Unknown };

// How a picture with this profile is converted: by the program's own transform (Matrix),
// by the system's colour management (Table), or not at all (Unusable).
enum class ProfileKind { Unusable, Matrix, Table };

// One tone curve: device value 0..1 in, linear light 0..1 out. A `curv` of no entries is
// the identity and of one entry a gamma; a `para` is one of the five functions 0-4.
struct ToneCurve {
  int function = 0;                  // the `para` function type; a gamma is function 0
  std::array<double, 7> parameters{1, 0, 0, 0, 0, 0, 0};  // g, a, b, c, d, e, f
  std::vector<uint16_t> table;       // two entries or more: the curve is this table instead

  // The curve's value at x (taken into 0..1), itself kept in 0..1.
  double Evaluate(double x) const;
};

struct Xyz {
  double x = 0;
  double y = 0;
  double z = 0;
};

// The D50 white of the profile connection space.
inline constexpr Xyz kD50{0.9642, 1.0, 0.8249};

// The colorants and curves of a profile of the matrix kind. A grey profile has its `kTRC`
// in all three curves and no colorants.
struct MatrixProfile {
  bool grey = false;
  std::array<Xyz, 3> colorants{};     // red, green, blue, as stored (already adapted to D50)
  std::array<ToneCurve, 3> curves{};  // red, green, blue
};

struct IccProfile {
  ColourSpace space = ColourSpace::Other;
  DeviceClass deviceClass = DeviceClass::Unknown;
  int majorVersion = 0;
  ProfileKind kind = ProfileKind::Unusable;  // as the profile of a picture
  // An RGB profile of the matrix kind with no `B2A0`: the program's own transform can use
  // it as the display's profile.
  bool matrixDisplay = false;
  // The colorants and curves, present when kind is Matrix or matrixDisplay is true.
  std::optional<MatrixProfile> matrix;
};

// Reads the profile in `bytes` (its header's size may be less than `size`, never more).
// Nothing when the bytes are not a sound profile: a header or tag table cut short, a tag
// outside the profile or partly over another, a tag the conversion reads that is malformed
// (an unknown `para` function, a `curv` shorter than its count), a profile over
// kLargestProfileBytes.
std::optional<IccProfile> ReadIccProfile(const uint8_t* bytes, size_t size);

}  // namespace pictures
