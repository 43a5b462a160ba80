#include "pictures/icc_profile.h"

#include <algorithm>
#include <cmath>

namespace pictures {
namespace {

constexpr size_t kHeaderBytes = 128;
constexpr size_t kTagEntryBytes = 12;

constexpr uint32_t Signature(const char (&name)[5]) {
  return uint32_t(uint8_t(name[0])) << 24 | uint32_t(uint8_t(name[1])) << 16 | uint32_t(uint8_t(name[2])) << 8 |
         uint32_t(uint8_t(name[3]));
}

uint16_t Big16(const uint8_t* at) { return static_cast<uint16_t>(at[0] << 8 | at[1]); }
uint32_t Big32(const uint8_t* at) { return uint32_t{Big16(at)} << 16 | Big16(at + 2); }
double S15Fixed16(const uint8_t* at) { return static_cast<int32_t>(Big32(at)) / 65536.0; }

struct Tag {
  uint32_t signature = 0;
  uint32_t offset = 0;
  uint32_t size = 0;
};

// The tag table once every entry is known to lie inside the profile.
class TagTable {
 public:
  TagTable(const uint8_t* profile, std::vector<Tag> tags) : profile_(profile), tags_(std::move(tags)) {}

  const Tag* Find(uint32_t signature) const {
    for (const Tag& tag : tags_)
      if (tag.signature == signature) return &tag;
    return nullptr;
  }
  bool Has(uint32_t signature) const { return Find(signature) != nullptr; }
  const uint8_t* Bytes(const Tag& tag) const { return profile_ + tag.offset; }

 private:
  const uint8_t* profile_;
  std::vector<Tag> tags_;
};

// Two tags may share their data (the three curves of a grey-balanced profile often do),
// but a tag that starts inside another one means the table is damaged.
bool TagsApartOrShared(std::vector<Tag> tags) {
  std::sort(tags.begin(), tags.end(), [](const Tag& a, const Tag& b) {
    return a.offset != b.offset ? a.offset < b.offset : a.size < b.size;
  });
  uint64_t end = 0;
  for (size_t i = 0; i < tags.size(); ++i) {
    const bool sameAsBefore = i > 0 && tags[i].offset == tags[i - 1].offset && tags[i].size == tags[i - 1].size;
    if (!sameAsBefore && tags[i].offset < end) return false;
    end = std::max<uint64_t>(end, uint64_t{tags[i].offset} + tags[i].size);
  }
  return true;
}

bool SignaturesUnique(std::vector<Tag> tags) {
  std::sort(tags.begin(), tags.end(), [](const Tag& a, const Tag& b) { return a.signature < b.signature; });
  return std::adjacent_find(tags.begin(), tags.end(), [](const Tag& a, const Tag& b) {
           return a.signature == b.signature;
         }) == tags.end();
}

std::optional<TagTable> ReadTagTable(const uint8_t* profile, size_t size) {
  const uint32_t count = Big32(profile + kHeaderBytes);
  if (count > (size - kHeaderBytes - 4) / kTagEntryBytes) return std::nullopt;
  const size_t dataStart = kHeaderBytes + 4 + size_t{count} * kTagEntryBytes;
  std::vector<Tag> tags(count);
  for (uint32_t i = 0; i < count; ++i) {
    const uint8_t* entry = profile + kHeaderBytes + 4 + size_t{i} * kTagEntryBytes;
    Tag& tag = tags[i];
    tag = {Big32(entry), Big32(entry + 4), Big32(entry + 8)};
    if (tag.offset < dataStart || tag.offset > size || tag.size > size - tag.offset) return std::nullopt;
  }
  if (!TagsApartOrShared(tags) || !SignaturesUnique(tags)) return std::nullopt;
  return TagTable(profile, std::move(tags));
}

std::optional<ToneCurve> ReadCurve(const uint8_t* bytes, size_t size) {
  if (size < 12) return std::nullopt;
  ToneCurve curve;
  if (Big32(bytes) == Signature("curv")) {
    const uint32_t count = Big32(bytes + 8);
    if (count > (size - 12) / 2) return std::nullopt;
    if (count == 1) curve.parameters[0] = Big16(bytes + 12) / 256.0;
    if (count >= 2) {
      curve.table.resize(count);
      for (uint32_t i = 0; i < count; ++i) curve.table[i] = Big16(bytes + 12 + 2 * size_t{i});
    }
    return curve;
  }
  if (Big32(bytes) != Signature("para")) return std::nullopt;
  static constexpr size_t kParameterCounts[] = {1, 3, 4, 5, 7};
  const uint16_t function = Big16(bytes + 8);
  if (function > 4 || size < 12 + 4 * kParameterCounts[function]) return std::nullopt;
  curve.function = function;
  for (size_t i = 0; i < kParameterCounts[function]; ++i) curve.parameters[i] = S15Fixed16(bytes + 12 + 4 * i);
  return curve;
}

std::optional<Xyz> ReadXyz(const uint8_t* bytes, size_t size) {
  if (size < 20 || Big32(bytes) != Signature("XYZ ")) return std::nullopt;
  return Xyz{S15Fixed16(bytes + 8), S15Fixed16(bytes + 12), S15Fixed16(bytes + 16)};
}

// Where a tag the conversion needs is there but malformed, the whole profile is unsound.
struct MatrixTags {
  bool complete = false;  // every tag of the matrix kind is there
  bool sound = true;      // and none that is there is malformed
  MatrixProfile matrix;
};

MatrixTags ReadMatrixTags(const TagTable& table, ColourSpace space) {
  MatrixTags found;
  auto curve = [&](const char (&name)[5], ToneCurve& into) {
    const Tag* tag = table.Find(Signature(name));
    if (!tag) return false;
    const auto read = ReadCurve(table.Bytes(*tag), tag->size);
    found.sound = found.sound && read.has_value();
    if (read) into = *read;
    return read.has_value();
  };
  auto colorant = [&](const char (&name)[5], Xyz& into) {
    const Tag* tag = table.Find(Signature(name));
    if (!tag) return false;
    const auto read = ReadXyz(table.Bytes(*tag), tag->size);
    found.sound = found.sound && read.has_value();
    if (read) into = *read;
    return read.has_value();
  };
  MatrixProfile& m = found.matrix;
  if (space == ColourSpace::Grey) {
    m.grey = true;
    found.complete = curve("kTRC", m.curves[0]);
    m.curves[1] = m.curves[2] = m.curves[0];
  } else if (space == ColourSpace::Rgb) {
    // Every tag is read, not only up to the first missing one, so that a malformed one
    // anywhere makes the profile unsound.
    const bool curves = curve("rTRC", m.curves[0]) & curve("gTRC", m.curves[1]) & curve("bTRC", m.curves[2]);
    const bool colorants = colorant("rXYZ", m.colorants[0]) & colorant("gXYZ", m.colorants[1]) &
                           colorant("bXYZ", m.colorants[2]);
    found.complete = curves && colorants;
  }
  return found;
}

ColourSpace SpaceOf(uint32_t signature) {
  if (signature == Signature("RGB ")) return ColourSpace::Rgb;
  if (signature == Signature("GRAY")) return ColourSpace::Grey;
  return ColourSpace::Other;
}

DeviceClass ClassOf(uint32_t signature) {
  static const std::pair<uint32_t, DeviceClass> kClasses[] = {
      {Signature("scnr"), DeviceClass::Input},       {Signature("mntr"), DeviceClass::Display},
      {Signature("prtr"), DeviceClass::Output},      {Signature("spac"), DeviceClass::ColourSpace},
      {Signature("link"), DeviceClass::Link},        {Signature("abst"), DeviceClass::Abstract},
      {Signature("nmcl"), DeviceClass::NamedColour},
  };
  for (const auto& [name, deviceClass] : kClasses)
    if (name == signature) return deviceClass;
  return DeviceClass::Unknown;
}

// Links, abstract and named-colour profiles describe no device a picture's numbers belong to.
bool DescribesDevice(DeviceClass deviceClass) {
  return deviceClass == DeviceClass::Input || deviceClass == DeviceClass::Display ||
         deviceClass == DeviceClass::Output || deviceClass == DeviceClass::ColourSpace;
}

}  // namespace

double ToneCurve::Evaluate(double x) const {
  x = std::clamp(x, 0.0, 1.0);
  double y = 0;
  if (table.size() >= 2) {
    const double position = x * double(table.size() - 1);
    const size_t below = std::min(size_t(position), table.size() - 2);
    const double fraction = position - double(below);
    y = (table[below] + fraction * (double(table[below + 1]) - table[below])) / 65535.0;
  } else {
    const auto [g, a, b, c, d, e, f] = parameters;
    // Below the point where a x + b reaches 0 the power part is 0, as the functions say.
    auto power = [&](double base) { return base > 0 ? std::pow(base, g) : 0.0; };
    switch (function) {
      case 0: y = std::pow(x, g); break;
      case 1: y = power(a * x + b); break;
      case 2: y = power(a * x + b) + c; break;
      case 3: y = x >= d ? power(a * x + b) : c * x; break;
      default: y = x >= d ? power(a * x + b) + e : c * x + f; break;
    }
  }
  return y >= 0 ? std::min(y, 1.0) : 0.0;  // not a number gives 0 too
}

std::optional<IccProfile> ReadIccProfile(const uint8_t* bytes, size_t size) {
  if (bytes == nullptr || size < kHeaderBytes + 4) return std::nullopt;
  const uint32_t declared = Big32(bytes);
  if (declared < kHeaderBytes + 4 || declared > size || declared > kLargestProfileBytes) return std::nullopt;
  if (Big32(bytes + 36) != Signature("acsp")) return std::nullopt;
  IccProfile profile;
  profile.majorVersion = bytes[8];
  if (profile.majorVersion != 2 && profile.majorVersion != 4) return std::nullopt;
  const auto table = ReadTagTable(bytes, declared);
  if (!table) return std::nullopt;

  profile.space = SpaceOf(Big32(bytes + 16));
  profile.deviceClass = ClassOf(Big32(bytes + 12));
  const bool xyzConnection = Big32(bytes + 20) == Signature("XYZ ");
  MatrixTags tags = ReadMatrixTags(*table, profile.space);
  if (!tags.sound) return std::nullopt;

  auto hasAny = [&](std::initializer_list<uint32_t> signatures) {
    return std::any_of(signatures.begin(), signatures.end(), [&](uint32_t s) { return table->Has(s); });
  };
  const bool toConnection = hasAny({Signature("A2B0"), Signature("A2B1"), Signature("A2B2")});
  const bool fromConnection = hasAny({Signature("B2A0"), Signature("B2A1"), Signature("B2A2")});
  const bool device = DescribesDevice(profile.deviceClass) && profile.space != ColourSpace::Other;
  const bool matrix = device && tags.complete && xyzConnection;
  if (matrix && !toConnection && !fromConnection)
    profile.kind = ProfileKind::Matrix;
  else if (device && (toConnection || tags.complete))
    profile.kind = ProfileKind::Table;
  profile.matrixDisplay = matrix && profile.space == ColourSpace::Rgb && !table->Has(Signature("B2A0"));
  if (profile.kind == ProfileKind::Matrix || profile.matrixDisplay) profile.matrix = std::move(tags.matrix);
  return profile;
}

}  // namespace pictures
