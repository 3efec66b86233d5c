// IFF, PCX and TGA pictures written with SaveDib come back from OpenDib with the
// same colours, and the programs of netpbm and ImageMagick see those colours too.
#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace bk3test;

namespace {

struct Format {
  const char *ext;
  int code;
};
const Format formats[] = {{"iff", BK3_FORMAT_IFF}, {"pcx", BK3_FORMAT_PCX}, {"tga", BK3_FORMAT_TGA}};

// A colour table with distinct entries (black and white when `bw`) and a pattern
// that reaches every index and, at 24 bits, has runs (for the run-length coders)
// as well as noise.
void make_picture(Picture &pic, int bits, int w, int h, bool bw = false)
{
  Bytes info(40 + 256 * 4);
  auto *bmi = reinterpret_cast<BITMAPINFO *>(info.data());
  for (int i = 0; i < 256; ++i)
    bmi->bmiColors[i] = RGBQUAD{uint8_t(i * 3), uint8_t(i * 5 + 7), uint8_t(255 - i), 0};
  if (bw)
    bmi->bmiColors[0] = RGBQUAD{0, 0, 0, 0}, bmi->bmiColors[1] = RGBQUAD{255, 255, 255, 0};
  newdib(&pic.get(), w, h, bits, bmi, 256);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const bool run = (x / 7 + y) % 3 == 0;
      setpixel(pic.get(), x, y,
               bits == 24 ? (run ? rgb(200, 0xC1, 0xFF) : rgb(x * 37 + y, y * 11 + 0xC0, x ^ y))
                          : uint32_t(run ? 1 : x * 7 + y * 3) % (1u << bits));
    }
}

// The depth a picture of `bits` comes back at: Targa keeps colour tables at 8 bits,
// PCX writes 1-bit pictures other than black and white in four planes.
int depth_after(const Format &f, int bits, bool bw)
{
  if (f.code == BK3_FORMAT_TGA && bits < 8)
    return 8;
  return f.code == BK3_FORMAT_PCX && bits == 1 && !bw ? 4 : bits;
}

// The depths to try: 1 (once with any two colours, once black and white), 4, 8, 24.
const std::pair<int, bool> depths[] = {{1, false}, {1, true}, {4, false}, {8, false}, {24, false}};

} // namespace

TEST(IffPcxTgaRoundTrip, EveryDepthAndWidthComesBackUnchanged)
{
  // Widths around the 8- and 16-pixel bitplane boundaries and runs longer than one
  // packet (63 for PCX, 128 for IFF and TGA).
  const int sizes[][2] = {{1, 1}, {7, 3}, {16, 2}, {17, 5}, {300, 3}};
  TempDir dir;
  for (const Format &f : formats)
    for (const auto &[bits, bw] : depths)
      for (const auto &[w, h] : sizes) {
        SCOPED_TRACE(std::string(f.ext) + " " + std::to_string(bits) + " bits " + (bw ? "bw " : "") +
                     std::to_string(w) + "x" + std::to_string(h));
        Picture pic, back;
        make_picture(pic, bits, w, h, bw);
        const std::string path = dir.file(std::string("r.") + f.ext);
        ASSERT_EQ(SaveDib(pic.get(), path.c_str(), f.code, nullptr), 1);
        OpenDib(&back.get(), path.c_str(), 0, nullptr);
        ASSERT_NE(back->poi, nullptr) << error_text(back);
        EXPECT_EQ(back.bits(), depth_after(f, bits, bw));
        EXPECT_EQ(colours_of(back), colours_of(pic));
        if (back.bits() == bits && bits <= 8) {
          EXPECT_EQ(std::memcmp(colour_table(back), colour_table(pic), size_t(4) << bits), 0) << "the whole colour table";
        }
      }
}

TEST(IffPcxTgaRoundTrip, FilesAreRecognisedByContentWhateverTheirName)
{
  // Our Targa files carry the version 2 footer, so a wrong extension does not matter.
  TempDir dir;
  for (const Format &f : formats) {
    Picture pic, back;
    make_picture(pic, 24, 9, 4);
    const std::string path = dir.file(std::string("a.") + f.ext), renamed = dir.file("a.bild");
    ASSERT_EQ(SaveDib(pic.get(), path.c_str(), f.code, nullptr), 1);
    std::filesystem::rename(path, renamed);
    OpenDib(&back.get(), renamed.c_str(), 0, nullptr);
    ASSERT_NE(back->poi, nullptr) << f.ext << ": " << error_text(back);
    EXPECT_EQ(colours_of(back), colours_of(pic)) << f.ext;
  }
}

TEST(IffPcxTgaRoundTrip, TopDownAndBottomUpInMemoryGiveTheSameFile)
{
  // Large enough for many blocks of rows on two threads; one way the rows are taken
  // backwards through memory and written in pieces.
  TempDir dir;
  for (int bits : {8, 24}) {
    Picture pic, flipped;
    make_picture(pic, bits, 1100, 1000);
    newdib(&flipped.get(), 1100, 1000, bits, pic->pmi, 256);
    for (int y = 0; y < 1000; ++y)
      std::memcpy(flipped->poi + y * flipped->bytew, pic->poi + (999 - y) * pic->bytew, size_t(pic->bytew));
    flipped->pmi->bmiHeader.biHeight = -1000;
    for (const Format &f : formats) {
      const std::string up = dir.file(std::string("u.") + f.ext), down = dir.file(std::string("d.") + f.ext);
      ASSERT_EQ(SaveDib(pic.get(), up.c_str(), f.code, nullptr), 1);
      ASSERT_EQ(SaveDib(flipped.get(), down.c_str(), f.code, nullptr), 1);
      EXPECT_TRUE(read_file(up) == read_file(down)) << f.ext << ", " << bits << " bits";
    }
  }
}

TEST(IffPcxTgaRoundTrip, TopDownPicturesAreWrittenTheRightWayUp)
{
  // A record whose header has a negative height holds its rows top-down.
  TempDir dir;
  for (const Format &f : formats) {
    Picture pic, flipped, back;
    make_picture(pic, 24, 5, 4);
    newdib(&flipped.get(), 5, 4, 24, nullptr, 0);
    for (int y = 0; y < 4; ++y)
      std::memcpy(flipped->poi + y * flipped->bytew, pic->poi + (3 - y) * pic->bytew, size_t(pic->bytew));
    flipped->pmi->bmiHeader.biHeight = -4;
    const std::string path = dir.file(std::string("t.") + f.ext);
    ASSERT_EQ(SaveDib(flipped.get(), path.c_str(), f.code, nullptr), 1);
    OpenDib(&back.get(), path.c_str(), 0, nullptr);
    ASSERT_NE(back->poi, nullptr) << error_text(back);
    EXPECT_EQ(colours_of(back), colours_of(pic)) << f.ext;
  }
}

namespace {

struct Recorder {
  std::vector<uintptr_t> percents;
  static void send(void *target, uint32_t, uintptr_t wparam, intptr_t)
  {
    static_cast<Recorder *>(target)->percents.push_back(wparam);
  }
};

} // namespace

TEST(IffPcxTgaRoundTrip, ReadingAndWritingReportRisingPercents)
{
  TempDir dir;
  for (const Format &f : formats) {
    Picture pic, back;
    make_picture(pic, 24, 20, 400);
    Recorder saving, opening;
    bk3_sink sink{&saving, &Recorder::send};
    const std::string path = dir.file(std::string("p.") + f.ext);
    ASSERT_EQ(SaveDib(pic.get(), path.c_str(), f.code, &sink), 1);
    sink.target = &opening;
    OpenDib(&back.get(), path.c_str(), 0, &sink);
    ASSERT_NE(back->poi, nullptr);
    for (const Recorder *r : {&saving, &opening}) {
      EXPECT_GE(r->percents.size(), 10u) << f.ext;
      EXPECT_TRUE(std::is_sorted(r->percents.begin(), r->percents.end())) << f.ext;
      EXPECT_EQ(r->percents.empty() ? 0 : r->percents.back(), 100u) << f.ext;
    }
  }
}

// Each file we write, decoded by an independent program, shows our pixels.
TEST(IffPcxTgaRoundTrip, OurFilesShowOurPixelsInOtherPrograms)
{
  struct Reader {
    const Format &format;
    const char *command; // %f: our file; writes a PPM to stdout
    int min_bits = 1;
  };
  const Reader readers[] = {
      {formats[0], "ilbmtoppm %f | ppmtoppm"},
      {formats[0], "convert %f -depth 8 ppm:-"},
      {formats[1], "pcxtoppm %f | ppmtoppm"},
      // ImageMagick takes a single bitplane as white on black whatever the header
      // says (netpbm's own files included), so it only checks the other depths.
      {formats[1], "convert %f -depth 8 ppm:-", 4},
      {formats[2], "tgatoppm %f | ppmtoppm"},
      // This ImageMagick leaves rows where they are and only notes the origin.
      {formats[2], "convert %f -auto-orient -depth 8 ppm:-"},
  };
  TempDir dir;
  for (const Reader &r : readers) {
    const std::string tool(r.command, std::strcspn(r.command, " "));
    if (!have_tool(tool)) {
      ADD_FAILURE() << tool << " is not installed";
      continue;
    }
    for (const auto &[bits, bw] : depths) {
      if (bits < r.min_bits)
        continue;
      SCOPED_TRACE(std::string(r.command) + ", " + std::to_string(bits) + " bits" + (bw ? " bw" : ""));
      // 24-bit pictures this large are written in two halves at once.
      Picture pic;
      make_picture(pic, bits, bits == 24 ? 1024 : 21, bits == 24 ? 1024 : 6, bw);
      const std::string path = dir.file(std::string("o.") + r.format.ext);
      ASSERT_EQ(SaveDib(pic.get(), path.c_str(), r.format.code, nullptr), 1);
      std::string command = r.command;
      command.replace(command.find("%f"), 2, "'" + path + "'");
      ASSERT_TRUE(run(command + " > '" + path + ".ppm'"));
      EXPECT_EQ(colours_of_ppm(read_file(path + ".ppm")), colours_of(pic));
    }
  }
}
