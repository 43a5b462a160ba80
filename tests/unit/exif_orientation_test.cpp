// The Exif orientation read from hand-made JPEG heads, well-formed and hostile.
#include "pictures/exif_orientation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

using pictures::ExifOrientation;
using pictures::Orientation;

namespace {

using Bytes = std::vector<uint8_t>;

struct Entry {
  uint16_t tag, type;
  uint32_t count, value;
};

// A TIFF block: header, then the first image directory at `directoryAt` with the entries
// and `next` as the offset of the directory after it.
Bytes Tiff(bool bigEndian, const std::vector<Entry>& entries, uint32_t directoryAt = 8, uint32_t next = 0,
           int declaredEntries = -1) {
  Bytes out;
  auto put16 = [&](uint32_t v) {
    if (bigEndian) {
      out.push_back(static_cast<uint8_t>(v >> 8));
      out.push_back(static_cast<uint8_t>(v));
    } else {
      out.push_back(static_cast<uint8_t>(v));
      out.push_back(static_cast<uint8_t>(v >> 8));
    }
  };
  auto put32 = [&](uint32_t v) {
    if (bigEndian) {
      put16(v >> 16);
      put16(v & 0xFFFF);
    } else {
      put16(v & 0xFFFF);
      put16(v >> 16);
    }
  };
  out.push_back(bigEndian ? 'M' : 'I');
  out.push_back(bigEndian ? 'M' : 'I');
  put16(42);
  put32(directoryAt);
  while (out.size() < directoryAt && out.size() < 64) out.push_back(0);
  put16(declaredEntries >= 0 ? static_cast<uint32_t>(declaredEntries) : static_cast<uint32_t>(entries.size()));
  for (const Entry& e : entries) {
    put16(e.tag);
    put16(e.type);
    put32(e.count);
    if (e.type == 3) {  // a SHORT sits in the first two bytes of the value field
      put16(e.value);
      put16(0);
    } else {
      put32(e.value);
    }
  }
  put32(next);
  return out;
}

Bytes Segment(uint8_t marker, const Bytes& body, int declaredLength = -1) {
  const size_t length = declaredLength >= 0 ? static_cast<size_t>(declaredLength) : body.size() + 2;
  Bytes out(4 + body.size());
  out[0] = 0xFF;
  out[1] = marker;
  out[2] = static_cast<uint8_t>(length >> 8);
  out[3] = static_cast<uint8_t>(length);
  std::copy(body.begin(), body.end(), out.begin() + 4);
  return out;
}

Bytes Exif(const Bytes& tiff) {
  Bytes body = {'E', 'x', 'i', 'f', 0, 0};
  body.insert(body.end(), tiff.begin(), tiff.end());
  return Segment(0xE1, body);
}

const Bytes kJfif = Segment(0xE0, {'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1, 0, 0});
const Bytes kXmp = Segment(0xE1, Bytes{'h', 't', 't', 'p', ':', '/', '/', 'n', 's', 0, 'x'});
const Bytes kStartOfScan = {0xFF, 0xDA, 0x00, 0x08, 0x01, 0x01, 0x00, 0x00, 0x3F, 0x00, 0x12, 0x34};

// SOI, the segments, then the start of the picture data.
Bytes Jpeg(const std::vector<Bytes>& segments) {
  Bytes out = {0xFF, 0xD8};
  for (const Bytes& s : segments) out.insert(out.end(), s.begin(), s.end());
  out.insert(out.end(), kStartOfScan.begin(), kStartOfScan.end());
  return out;
}

Bytes WithOrientation(bool bigEndian, uint16_t value) {
  return Jpeg({kJfif, Exif(Tiff(bigEndian, {{0x010F, 2, 4, 0}, {0x0112, 3, 1, value}, {0x0131, 2, 4, 0}}))});
}

Orientation Read(const Bytes& bytes) { return ExifOrientation(bytes.data(), bytes.size()); }

}  // namespace

TEST(ExifOrientation, EveryValueInBothByteOrders) {
  for (bool bigEndian : {false, true})
    for (uint16_t value = 1; value <= 8; ++value) {
      SCOPED_TRACE(testing::Message() << (bigEndian ? "MM " : "II ") << value);
      EXPECT_EQ(Read(WithOrientation(bigEndian, value)), static_cast<Orientation>(value));
    }
}

TEST(ExifOrientation, WhereTheSegmentSits) {
  const Bytes exif6 = Exif(Tiff(true, {{0x0112, 3, 1, 6}}));
  Bytes fill = {0xFF, 0xD8, 0xFF, 0xFF};  // fill bytes before a marker
  fill.insert(fill.end(), exif6.begin(), exif6.end());
  Bytes restartFirst = {0xFF, 0xD8, 0xFF, 0xD0};  // a stand-alone marker has no length
  restartFirst.insert(restartFirst.end(), exif6.begin(), exif6.end());
  struct Case {
    const char* name;
    Bytes bytes;
    Orientation want;
  };
  const Case cases[] = {
      {"first segment", Jpeg({exif6}), Orientation::TurnRight},
      {"after JFIF", Jpeg({kJfif, exif6}), Orientation::TurnRight},
      {"after an XMP segment", Jpeg({kJfif, kXmp, exif6}), Orientation::TurnRight},
      {"after fill bytes", fill, Orientation::TurnRight},
      {"after a stand-alone marker", restartFirst, Orientation::TurnRight},
      {"the first Exif segment counts", Jpeg({exif6, Exif(Tiff(true, {{0x0112, 3, 1, 3}}))}), Orientation::TurnRight},
      {"tag after others", Jpeg({Exif(Tiff(false, {{0x0100, 4, 1, 640}, {0x0101, 4, 1, 480}, {0x0112, 3, 1, 8}}))}),
       Orientation::TurnLeft},
      {"directory after a gap", Jpeg({Exif(Tiff(false, {{0x0112, 3, 1, 5}}, 20))}), Orientation::Transpose},
      {"no Exif segment", Jpeg({kJfif, kXmp}), Orientation::AsStored},
      {"no orientation tag", Jpeg({Exif(Tiff(false, {{0x010F, 2, 4, 0}}))}), Orientation::AsStored},
      {"Exif after the picture data starts", [&] {
         Bytes b = Jpeg({kJfif});
         b.insert(b.end(), exif6.begin(), exif6.end());
         return b;
       }(), Orientation::AsStored},
      {"after the end marker", Bytes{0xFF, 0xD8, 0xFF, 0xD9, 0xFF, 0xE1, 0, 2}, Orientation::AsStored},
      // Some editors put a large colour profile first: the Exif segment begins past 128 KiB.
      {"after two full colour-profile segments",
       Jpeg({kJfif, Segment(0xE2, Bytes(65533, 0x11)), Segment(0xE2, Bytes(65533, 0x22)), exif6}),
       Orientation::TurnRight},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Read(c.bytes), c.want);
  }
}

TEST(ExifOrientation, AnythingMalformedMeansAsStored) {
  const Bytes good = Tiff(false, {{0x0112, 3, 1, 6}});
  Bytes notTiff = good;
  notTiff[2] = 43;
  Bytes mixedOrder = good;
  mixedOrder[1] = 'M';
  Bytes noZeros = Exif(good);
  noZeros[8] = 'x';  // "Exif" followed by something other than two zeros
  struct Case {
    const char* name;
    Bytes bytes;
  };
  const Case cases[] = {
      {"value 0", WithOrientation(false, 0)},
      {"value 9", WithOrientation(true, 9)},
      {"value 65535", WithOrientation(false, 0xFFFF)},
      {"type LONG", Jpeg({Exif(Tiff(false, {{0x0112, 4, 1, 6}}))})},
      {"count 2", Jpeg({Exif(Tiff(false, {{0x0112, 3, 2, 6}}))})},
      {"count 0", Jpeg({Exif(Tiff(false, {{0x0112, 3, 0, 6}}))})},
      {"directory past the segment", Jpeg({Exif(Tiff(false, {{0x0112, 3, 1, 6}}, 4000))})},
      {"directory at 0xFFFFFFFF", Jpeg({Exif(Tiff(true, {{0x0112, 3, 1, 6}}, 0xFFFFFFFF))})},
      {"directory 1 byte before the end", [&] {
         Bytes t = Tiff(false, {});
         t[4] = static_cast<uint8_t>(t.size() - 1);
         return Jpeg({Exif(t)});
       }()},
      {"entry count past the segment", Jpeg({Exif(Tiff(false, {{0x0112, 3, 1, 6}}, 8, 0, 0xFFFF))})},
      {"entry count one too many", Jpeg({Exif(Tiff(false, {{0x0100, 4, 1, 6}, {0x0112, 3, 1, 6}}, 8, 0, 3))})},
      {"next directory loops back, no tag", Jpeg({Exif(Tiff(false, {{0x0100, 4, 1, 6}}, 8, 8))})},
      {"not TIFF", Jpeg({Exif(notTiff)})},
      {"byte order IM", Jpeg({Exif(mixedOrder)})},
      {"Exif without its zeros", Jpeg({noZeros})},
      {"segment length 0", Jpeg({Segment(0xE1, Bytes{'E', 'x', 'i', 'f', 0, 0}, 0)})},
      {"segment length 1", Jpeg({Segment(0xE1, Bytes{'E', 'x', 'i', 'f', 0, 0}, 1)})},
      {"segment length past the end", Bytes{0xFF, 0xD8, 0xFF, 0xE1, 0xFF, 0xFF, 'E', 'x', 'i', 'f', 0, 0, 'I', 'I'}},
      {"segment shorter than the TIFF header", Jpeg({Segment(0xE1, Bytes{'E', 'x', 'i', 'f', 0, 0, 'I', 'I', 42, 0})})},
      {"garbage where a marker belongs", Bytes{0xFF, 0xD8, 0x12, 0x34, 0x00, 0x10}},
      {"no JPEG", Bytes{'G', 'I', 'F', '8', '9', 'a', 0, 0}},
      {"nothing", Bytes{}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Read(c.bytes), Orientation::AsStored);
  }
}

// Orientations that a looser reader would find, and that are not the picture's.
TEST(ExifOrientation, OnlyTheFirstDirectoryAfterTheHeaderCounts) {
  // The first directory at offset 4, inside the header: read from there, its second entry
  // would be an orientation of 6.
  Bytes inHeader = {'I', 'I', 42, 0, 4, 0, 0, 0};
  inHeader.resize(18, 0);
  const Bytes entry = {0x12, 0x01, 3, 0, 1, 0, 0, 0, 6, 0, 0, 0};
  inHeader.insert(inHeader.end(), entry.begin(), entry.end());
  inHeader.resize(58, 0);
  // The thumbnail's directory, after the first, carries an orientation; the first none.
  Bytes thumbnail = Tiff(false, {{0x010F, 2, 4, 0}}, 8, 26);
  const Bytes second = {1, 0, 0x12, 0x01, 3, 0, 1, 0, 0, 0, 6, 0, 0, 0, 0, 0, 0, 0};
  thumbnail.insert(thumbnail.end(), second.begin(), second.end());
  for (const Bytes* tiff : {&inHeader, &thumbnail}) EXPECT_EQ(Read(Jpeg({Exif(*tiff)})), Orientation::AsStored);
}

// The bytes end anywhere: before the whole Exif segment is there the picture is as stored,
// from then on the tag counts.
TEST(ExifOrientation, ACutSegmentIsAsStoredAndAWholeOneCounts) {
  for (bool bigEndian : {false, true}) {
    const Bytes bytes = WithOrientation(bigEndian, 7);
    const size_t segmentEnd = bytes.size() - kStartOfScan.size();
    for (size_t size = 0; size <= bytes.size(); ++size) {
      SCOPED_TRACE(size);
      EXPECT_EQ(ExifOrientation(bytes.data(), size), size >= segmentEnd ? Orientation::Transverse : Orientation::AsStored);
    }
  }
}
