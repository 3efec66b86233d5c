// JPEG 2000 main headers that declare more than the decoder should set up: many
// tiles, many components, a huge picture. The SIZ marker is checked before the
// decoder reads the header, so the refusal comes without the memory.
#include "AddressSpaceCap.h"
#include "CodecSupport.h"

#include <gtest/gtest.h>

using namespace bk3test;

namespace {

void put_be16(Bytes &b, uint32_t v) { b.insert(b.end(), {uint8_t(v >> 8), uint8_t(v)}); }
void put_be32(Bytes &b, uint32_t v) { put_be16(b, v >> 16), put_be16(b, v); }

struct Siz {
  const char *what;
  uint32_t width, height, tile_w, tile_h, comps;
  size_t file_size; // padded with zeros up to this
  bool in_jp2;
  const char *reason;
  int lsiz_error = 0; // added to the marker length
};

// SOC and a SIZ marker segment with 8-bit components, then zeros.
Bytes codestream(const Siz &s)
{
  Bytes b;
  put_be16(b, 0xFF4F);
  put_be16(b, 0xFF51);
  put_be16(b, 38 + 3 * s.comps + uint32_t(s.lsiz_error));
  put_be16(b, 0);
  for (uint32_t v : {s.width, s.height, 0u, 0u, s.tile_w, s.tile_h, 0u, 0u})
    put_be32(b, v);
  put_be16(b, s.comps);
  for (uint32_t i = 0; i < s.comps; ++i)
    b.insert(b.end(), {7, 1, 1});
  if (b.size() < s.file_size)
    b.resize(s.file_size);
  if (!s.in_jp2)
    return b;
  Bytes f = {0, 0, 0, 0x0C, 'j', 'P', ' ', ' ', '\r', '\n', 0x87, '\n'};
  put_be32(f, 20);
  f.insert(f.end(), {'f', 't', 'y', 'p', 'j', 'p', '2', ' ', 0, 0, 0, 0, 'j', 'p', '2', ' '});
  put_be32(f, uint32_t(8 + b.size()));
  f.insert(f.end(), {'j', 'p', '2', 'c'});
  f.insert(f.end(), b.begin(), b.end());
  return f;
}

const std::string too_large = "Das Bild ist zu groß.";
const std::string damaged = "Die Datei ist beschädigt oder unvollständig.";
const std::string bad_size = "Die Bildgröße ist ungültig.";
const std::string over_limit = "Das Bild ist zu groß (höchstens 65535 Pixel je Seite und 268 Millionen Pixel).";

const Siz cases[] = {
    {"2000 components of single-pixel tiles", 65535, 1, 1, 1, 2000, 6100, false, too_large.c_str()},
    {"2000 components in a JP2 file", 65535, 1, 1, 1, 2000, 6100, true, too_large.c_str()},
    {"five components", 64, 64, 64, 64, 5, 200, false, too_large.c_str()},
    {"65535 tiles in 102 bytes", 65535, 1, 1, 1, 1, 102, false, damaged.c_str()},
    {"65536 tiles with room for them", 4096, 4096, 16, 16, 3, 1 << 20, false, too_large.c_str()},
    {"65536 tiles in a JP2 file", 4096, 4096, 16, 16, 1, 1 << 20, true, too_large.c_str()},
    {"a picture beyond the decoder's memory", 16384, 16384, 16384, 16384, 3, 200, false, too_large.c_str()},
    {"wider than the library's limit", 70000, 1, 70000, 1, 1, 200, false, over_limit.c_str()},
    {"tiles of width zero", 64, 64, 0, 64, 1, 200, false, damaged.c_str()},
    {"marker length that does not fit the components", 64, 64, 64, 64, 3, 200, false, damaged.c_str(), 3},
    {"codestream cut inside the marker", 64, 64, 64, 64, 3, 0, false, damaged.c_str(), 40},
};

TEST(Jp2Siz, DeclaredSizesAreRefusedBeforeTheDecoderAllocates)
{
  for (const Siz &s : cases) {
    Bytes bytes = codestream(s);
    Picture pic;
    {
      AddressSpaceCap cap; // the refusal needs no memory worth mentioning
      open_bytes(pic, bytes, s.in_jp2 ? "x.jp2" : "x.j2k");
    }
    EXPECT_FALSE(pic->poi) << s.what;
    EXPECT_EQ(error_text(pic), s.reason) << s.what;
  }
}

} // namespace
