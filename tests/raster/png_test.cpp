// PNG loading, checked against images written by libpng's own writer from
// known samples; the expected pixels are worked out here from the PNG
// format's rules, not by decoding.

#include "raster/raster.h"
#include "shape_test_util.h"
#include "png_write.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace
{
// ---------------------------------------------------------------------------
// Expected pixels, from the PNG rules: low depths scale to 8 bits by
// replicating their bits (v * 255 / (2^d - 1)), 16-bit samples keep their
// high byte, tRNS makes its exact colour (compared at full depth) or its
// palette entries transparent, and colour is never premultiplied.
int To8(uint16_t v, int depth)
{
  switch (depth)
  {
    case 1: return v * 255;
    case 2: return v * 85;
    case 4: return v * 17;
    case 16: return v >> 8;
    default: return v;
  }
}

RAS_pixel Expected(const PngImage& im, int x, int y)
{
  const int ch = PngChannels(im.colorType);
  const uint16_t* s = &im.samples[((size_t)y * im.width + x) * ch];
  const int d = im.bitDepth;
  const png_color_16& t = im.transparentColour;
  switch (im.colorType)
  {
    case PNG_COLOR_TYPE_GRAY:
    {
      const int g = To8(s[0], d);
      return Px(g, g, g, im.hasTransparentColour && s[0] == t.gray ? 0 : 255);
    }
    case PNG_COLOR_TYPE_GRAY_ALPHA: return Px(To8(s[0], d), To8(s[0], d), To8(s[0], d), To8(s[1], d));
    case PNG_COLOR_TYPE_RGB:
    {
      const bool clear = im.hasTransparentColour && s[0] == t.red && s[1] == t.green && s[2] == t.blue;
      return Px(To8(s[0], d), To8(s[1], d), To8(s[2], d), clear ? 0 : 255);
    }
    case PNG_COLOR_TYPE_RGB_ALPHA: return Px(To8(s[0], d), To8(s[1], d), To8(s[2], d), To8(s[3], d));
    default:
    {
      const png_color c = im.palette[s[0]];
      return Px(c.red, c.green, c.blue, s[0] < im.paletteAlpha.size() ? im.paletteAlpha[s[0]] : 255);
    }
  }
}

// Compares every pixel of a loaded image with the expectation; the first
// mismatch is reported with its position.
::testing::AssertionResult MatchesImage(RAS_IBitmap* bm, const PngImage& im)
{
  if (!bm) return ::testing::AssertionFailure() << "no bitmap";
  if (bm->getWidth() != im.width || bm->getHeight() != im.height)
    return ::testing::AssertionFailure() << "size " << bm->getWidth() << "x" << bm->getHeight();
  for (int y = 0; y < im.height; y++)
    for (int x = 0; x < im.width; x++)
      if (At(*bm, x, y) != Expected(im, x, y))
        return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << ") is " << std::hex << At(*bm, x, y)
                                             << ", expected " << Expected(im, x, y);
  return ::testing::AssertionSuccess();
}

PngImage Image(int w, int h, int colorType, int depth, std::vector<uint16_t> samples = {})
{
  PngImage im;
  im.width = w;
  im.height = h;
  im.colorType = colorType;
  im.bitDepth = depth;
  im.samples = std::move(samples);
  return im;
}

// An image of random samples. With transparency, about a quarter of the
// pixels take exactly the transparent colour, and only part of the palette
// has tRNS entries (the rest must come out opaque).
PngImage RandomImage(int colorType, int depth, bool transparency, bool interlaced, unsigned seed, int w = 13,
                     int h = 11)
{
  std::mt19937 rng(seed);
  PngImage im = Image(w, h, colorType, depth);
  im.interlaced = interlaced;
  const int maxSample = (1 << depth) - 1;
  const int ch = PngChannels(colorType);
  int maxValue = maxSample;
  if (colorType == PNG_COLOR_TYPE_PALETTE)
  {
    const int entries = depth == 8 ? 200 : maxSample + 1;
    for (int i = 0; i < entries; i++)
      im.palette.push_back({(png_byte)rng(), (png_byte)rng(), (png_byte)rng()});
    if (transparency)
      for (int i = 0; i < (entries + 1) / 2; i++) im.paletteAlpha.push_back((png_byte)rng());
    maxValue = entries - 1;
  }
  else if (transparency)
  {
    im.hasTransparentColour = true;
    im.transparentColour.gray = (png_uint_16)(rng() % (maxSample + 1));
    im.transparentColour.red = (png_uint_16)(rng() % (maxSample + 1));
    im.transparentColour.green = (png_uint_16)(rng() % (maxSample + 1));
    im.transparentColour.blue = (png_uint_16)(rng() % (maxSample + 1));
  }
  for (int i = 0; i < w * h; i++)
  {
    const bool useTransparent = im.hasTransparentColour && rng() % 4 == 0;
    for (int c = 0; c < ch; c++)
    {
      uint16_t v = (uint16_t)(rng() % (maxValue + 1));
      if (useTransparent)
      {
        const png_color_16& t = im.transparentColour;
        v = colorType == PNG_COLOR_TYPE_GRAY ? t.gray : c == 0 ? t.red : c == 1 ? t.green : t.blue;
      }
      im.samples.push_back(v);
    }
  }
  return im;
}

// Big-endian 32-bit word at p.
void PutBE32(unsigned char* p, uint32_t v)
{
  p[0] = (unsigned char)(v >> 24);
  p[1] = (unsigned char)(v >> 16);
  p[2] = (unsigned char)(v >> 8);
  p[3] = (unsigned char)v;
}

// Rewrites the size in a file's IHDR (always the first chunk) and its CRC,
// keeping the image data of the original.
std::vector<unsigned char> WithClaimedSize(std::vector<unsigned char> file, uint32_t w, uint32_t h)
{
  PutBE32(&file[16], w);
  PutBE32(&file[20], h);
  PutBE32(&file[29], PngCrc32(&file[12], 17));
  return file;
}

// Offset of the chunk of the given type, or 0.
size_t ChunkOffset(const std::vector<unsigned char>& file, const char* type)
{
  for (size_t at = 8; at + 8 <= file.size();)
  {
    const uint32_t len = (uint32_t)file[at] << 24 | file[at + 1] << 16 | file[at + 2] << 8 | file[at + 3];
    if (memcmp(&file[at + 4], type, 4) == 0) return at;
    at += 12 + (size_t)len;
  }
  return 0;
}

RAS_IBitmap* LoadBytes(const std::vector<unsigned char>& bytes, RAS_IBitmap* bmp = nullptr)
{
  return RAS_LoadPNGFromMemory(bytes.data(), (int)bytes.size(), bmp);
}

class PngFiles : public ::testing::Test
{
protected:
  void SetUp() override
  {
    m_dir = fs::temp_directory_path() / ("orvanta_png_test_" + std::to_string(getpid()));
    fs::create_directories(m_dir);
  }
  void TearDown() override { fs::remove_all(m_dir); }

  std::string Write(const std::string& name, const std::vector<unsigned char>& bytes)
  {
    const fs::path p = m_dir / name;
    std::ofstream(p, std::ios::binary).write((const char*)bytes.data(), (std::streamsize)bytes.size());
    return p.string();
  }

  fs::path m_dir;
};

struct Format
{
  int colorType;
  std::vector<int> depths;
  bool mayHaveTRNS;
};

const Format kFormats[] = {
    {PNG_COLOR_TYPE_GRAY, {1, 2, 4, 8, 16}, true},   {PNG_COLOR_TYPE_RGB, {8, 16}, true},
    {PNG_COLOR_TYPE_PALETTE, {1, 2, 4, 8}, true},    {PNG_COLOR_TYPE_GRAY_ALPHA, {8, 16}, false},
    {PNG_COLOR_TYPE_RGB_ALPHA, {8, 16}, false},
};
} // namespace

// ---------------------------------------------------------------------------
// Decoding every legal colour type and depth, with and without tRNS and
// interlacing. Catches a missing or misordered transform (palette, grey
// expansion, tRNS, 16-bit strip, packing, grey to RGB, alpha swap or filler),
// premultiplied or reordered channels, and interlaced images decoded from
// their first pass only.
TEST(PngDecode, EveryColourTypeDepthTransparencyAndInterlace)
{
  unsigned seed = 1;
  for (const Format& f : kFormats)
    for (int depth : f.depths)
      for (bool trns : {false, true})
        for (bool interlaced : {false, true})
        {
          if (trns && !f.mayHaveTRNS) continue;
          SCOPED_TRACE(::testing::Message() << "colour type " << f.colorType << ", depth " << depth << ", tRNS "
                                            << trns << ", interlaced " << interlaced);
          const PngImage im = RandomImage(f.colorType, depth, trns, interlaced, seed++);
          const std::vector<unsigned char> bytes = WritePng(im);
          ASSERT_FALSE(bytes.empty());
          std::unique_ptr<RAS_IBitmap> bm(LoadBytes(bytes));
          EXPECT_TRUE(MatchesImage(bm.get(), im));
        }
}

// Hand-worked pixels, written as words so that they do not lean on the
// pixel-packing helper the matrix above uses. Catches premultiplied colour (a
// half-transparent pixel must keep 200, 100, 50; a clear one its colour too)
// and channels stored in the wrong order.
TEST(PngDecode, HandWorkedPixels)
{
  const PngImage rgba = Image(2, 1, PNG_COLOR_TYPE_RGB_ALPHA, 8, {200, 100, 50, 128, 10, 20, 30, 0});
  std::unique_ptr<RAS_IBitmap> a(LoadBytes(WritePng(rgba)));
  ASSERT_TRUE(a);
  EXPECT_EQ(At(*a, 0, 0), 0x3264C880u); // blue 50, green 100, red 200, alpha 128
  EXPECT_EQ(At(*a, 1, 0), 0x1E140A00u);
}

// Into a caller's bitmap, from a file, a flipped bitmap and one of another
// size. Catches a caller bitmap not resized to the image, a flipped bitmap
// filled bottom row first, and file loading that differs from memory loading.
TEST_F(PngFiles, CallerBitmapsAndFiles)
{
  const PngImage im = RandomImage(PNG_COLOR_TYPE_RGB_ALPHA, 8, false, true, 77, 9, 7);
  const std::vector<unsigned char> bytes = WritePng(im);
  const std::string path = Write("image.png", bytes);
  for (bool flipped : {false, true})
    for (bool fromFile : {false, true})
    {
      SCOPED_TRACE(::testing::Message() << "flipped " << flipped << ", file " << fromFile);
      auto bm = MakeBitmap(40, 3, flipped);
      RAS_IBitmap* got = fromFile ? RAS_LoadPNG(path.c_str(), bm.get()) : LoadBytes(bytes, bm.get());
      EXPECT_EQ(got, bm.get());
      EXPECT_TRUE(MatchesImage(bm.get(), im));
    }
  std::unique_ptr<RAS_IBitmap> made(RAS_LoadPNG(path.c_str()));
  EXPECT_TRUE(MatchesImage(made.get(), im));
  EXPECT_EQ(made->getRowSpan(), 12) << "a new bitmap is a RAS_MemBitmap aligned to 4 pixels";

  EXPECT_EQ(RAS_LoadPNG((m_dir / "missing.png").c_str()), nullptr);
  EXPECT_EQ(RAS_LoadPNG(m_dir.c_str()), nullptr) << "a folder";
  EXPECT_EQ(RAS_LoadPNG(nullptr), nullptr);
  EXPECT_EQ(RAS_LoadPNGFromResource(nullptr, 101, nullptr), nullptr);
}

// Damaged and foreign streams. Catches reading before checking the length,
// decoding data that is not PNG, touching the caller's bitmap when the data is
// refused, a crash or a success on a stream cut anywhere before its image data
// ends, and a bad CRC in a critical chunk accepted. Cuts inside the image data
// fail after the loader made its bitmap and row pointers: the leak checker of
// the sanitizer builds catches either one not released after libpng's error
// jump.
TEST_F(PngFiles, ShortForeignCutAndCorruptStreamsLoadAsNull)
{
  const std::vector<unsigned char> good = WritePng(RandomImage(PNG_COLOR_TYPE_PALETTE, 4, true, true, 9));
  RAS_MemBitmap bm(3, 2);
  At(bm, 0, 0) = 0x11223344;
  const unsigned char notPng[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, 0x0B};
  EXPECT_EQ(RAS_LoadPNGFromMemory(good.data(), 7, &bm), nullptr);
  EXPECT_EQ(RAS_LoadPNGFromMemory(notPng, 8, &bm), nullptr);
  EXPECT_EQ(RAS_LoadPNGFromMemory(nullptr, 100, &bm), nullptr);
  EXPECT_EQ(RAS_LoadPNGFromMemory(good.data(), -1, &bm), nullptr);
  EXPECT_TRUE(bm.getWidth() == 3 && bm.getHeight() == 2 && At(bm, 0, 0) == 0x11223344u);

  const size_t iend = ChunkOffset(good, "IEND");
  ASSERT_GT(iend, 0u);
  for (size_t n = 8; n < iend; n++)
  {
    std::vector<unsigned char> cut(good.begin(), good.begin() + (long)n);
    EXPECT_EQ(LoadBytes(cut), nullptr) << "cut at " << n;
  }
  std::vector<unsigned char> half(good.begin(), good.begin() + (long)iend / 2);
  EXPECT_EQ(RAS_LoadPNG(Write("cut.png", half).c_str()), nullptr);

  const size_t idat = ChunkOffset(good, "IDAT");
  ASSERT_GT(idat, 0u);
  for (size_t at : {(size_t)18, idat + 9}) // a byte of the IHDR width, of the IDAT data
  {
    std::vector<unsigned char> bad = good;
    bad[at] ^= 0x01;
    EXPECT_EQ(LoadBytes(bad), nullptr) << "byte " << at << " changed under its CRC";
  }
}

// A stream that ends early fails at that point. Catches reads past the end
// that zero-fill: an uncompressed image would then decode zero rows after
// the cut. Rows decoded before the cut stay in the caller's bitmap.
TEST(PngMemory, ShortReadFailsInsteadOfDecodingZeros)
{
  PngImage im = RandomImage(PNG_COLOR_TYPE_RGB_ALPHA, 8, false, false, 21, 64, 64);
  im.compressionLevel = 0;
  const std::vector<unsigned char> bytes = WritePng(im);
  const std::vector<unsigned char> cut(bytes.begin(), bytes.begin() + (long)bytes.size() * 3 / 4);
  const RAS_pixel sentinel = 0x5A5A5A5A;
  RAS_MemBitmap bm(64, 64);
  RAS_Clear(&bm, sentinel);
  EXPECT_EQ(LoadBytes(cut, &bm), nullptr);
  int decoded = 0, untouched = 0;
  for (int y = 0; y < 64; y++)
  {
    bool isImage = true, isSentinel = true;
    for (int x = 0; x < 64; x++)
    {
      isImage = isImage && At(bm, x, y) == Expected(im, x, y);
      isSentinel = isSentinel && At(bm, x, y) == sentinel;
    }
    EXPECT_TRUE(isImage || isSentinel) << "row " << y << " holds neither the image nor what was there";
    decoded += isImage;
    untouched += isSentinel;
  }
  EXPECT_GT(decoded, 0);
  EXPECT_GT(untouched, 32);
}

// Hostile sizes. Catches a missing side limit (32768 passes), a missing
// decoded-size limit (16384 x 4097 pixels need 256 MiB and 64 KiB), and a
// check made only after the caller's bitmap was resized to the claimed size.
TEST(PngLimits, OversizedHeadersAreRefusedBeforeAllocating)
{
  const PngImage zeros = Image(1000, 1000, PNG_COLOR_TYPE_RGB_ALPHA, 8, std::vector<uint16_t>(4000000, 0));
  const std::vector<unsigned char> bomb = WritePng(zeros);
  ASSERT_LT(bomb.size(), 20000u) << "a few KiB that inflate to 4 MB";

  const uint32_t sizes[][2] = {{100000, 100000}, {32768, 1}, {1, 32768}, {16384, 4097}, {30000, 30000}};
  for (const auto& s : sizes)
  {
    SCOPED_TRACE(::testing::Message() << s[0] << " x " << s[1]);
    const std::vector<unsigned char> hostile = WithClaimedSize(bomb, s[0], s[1]);
    RAS_MemBitmap bm(3, 2);
    EXPECT_EQ(LoadBytes(hostile, &bm), nullptr);
    EXPECT_EQ(LoadBytes(hostile), nullptr);
    EXPECT_TRUE(bm.getWidth() == 3 && bm.getHeight() == 2) << "resized before the check";
  }

  // The limits themselves are allowed.
  PngImage wide = RandomImage(PNG_COLOR_TYPE_GRAY, 8, false, false, 3, RAS_PNG_MAX_SIDE, 1);
  std::unique_ptr<RAS_IBitmap> w(LoadBytes(WritePng(wide)));
  EXPECT_TRUE(MatchesImage(w.get(), wide));
}

// The process's peak virtual size in KiB (VmPeak), which any mapping of a
// large allocation raises even when its pages are never touched.
long PeakVirtualKiB()
{
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmPeak:", 0) == 0) return std::stol(line.substr(7));
  return -1;
}

// Catches a loader that lets libpng allocate the length an ancillary chunk
// claims before reading it: a 2-pixel file whose text chunk claims 1.9 GB
// (and holds a few bytes) must be refused without the allocation, and a
// whole file with every kind of ancillary chunk must still load exactly.
TEST(PngLimits, ChunksClaimingHugeLengthsAreNotAllocated)
{
  const PngImage im = RandomImage(PNG_COLOR_TYPE_RGB, 8, false, false, 7, 2, 2);
  const std::vector<unsigned char> plain = WritePng(im);
  ASSERT_NE(ChunkOffset(plain, "IDAT"), 0u);
  // The file with one more chunk before its image data, claiming `claimed` bytes.
  auto withChunk = [](const std::vector<unsigned char>& file, const char* type, const std::string& data,
                      uint32_t claimed) {
    const long idat = (long)ChunkOffset(file, "IDAT");
    std::vector<unsigned char> chunk(8 + data.size() + 4);
    PutBE32(&chunk[0], claimed);
    memcpy(&chunk[4], type, 4);
    memcpy(&chunk[8], data.data(), data.size());
    PutBE32(&chunk[8 + data.size()], PngCrc32(&chunk[4], 4 + data.size()));
    std::vector<unsigned char> out(file.begin(), file.begin() + idat);
    out.insert(out.end(), chunk.begin(), chunk.end());
    out.insert(out.end(), file.begin() + idat, file.end());
    return out;
  };

  for (const char* type : {"zTXt", "iCCP", "iTXt", "tEXt", "sPLT", "eXIf", "prVt"})
  {
    SCOPED_TRACE(type);
    const long before = PeakVirtualKiB();
    ASSERT_GT(before, 0);
    EXPECT_EQ(LoadBytes(withChunk(plain, type, std::string("Title\0\0x", 8), 0x77000015u)), nullptr);
    EXPECT_LT(PeakVirtualKiB() - before, 512L * 1024) << "the claimed length was allocated";
  }

  std::vector<unsigned char> rich = plain;
  const std::pair<const char*, std::string> chunks[] = {{"tEXt", std::string("Comment\0orvanta", 15)},
                                                        {"gAMA", std::string("\0\0\xB1\x8F", 4)},
                                                        {"sRGB", std::string(1, '\0')},
                                                        {"prVt", "private"}};
  for (const auto& [type, data] : chunks) rich = withChunk(rich, type, data, (uint32_t)data.size());
  std::unique_ptr<RAS_IBitmap> bm(LoadBytes(rich));
  EXPECT_TRUE(MatchesImage(bm.get(), im));
}

// The loader record and the extension check. Catches the record not
// registered at load, a filter list without its final double NUL, a
// case-sensitive extension, and an extension taken from a folder name.
TEST_F(PngFiles, LoaderRecordAndExtensionCheck)
{
  bool listed = false;
  for (RAS_ImageLoader* l = RAS_ImageLoader_list; l; l = l->_next) listed = listed || l == &RAS_pngldr;
  EXPECT_TRUE(listed);
  EXPECT_EQ(RAS_pngldr.loadfunc, &RAS_PNGLoader::loadfunc);
  const char expected[] = "PNG files (*.PNG)\0*.PNG\0"; // the literal adds the second NUL
  EXPECT_EQ(memcmp(RAS_pngldr.get_extlist(), expected, sizeof expected), 0);

  const std::vector<unsigned char> bytes = WritePng(RandomImage(PNG_COLOR_TYPE_GRAY, 2, false, false, 6));
  fs::create_directories(m_dir / "d.png");
  const std::string upper = Write("A.PNG", bytes), other = Write("a.dat", bytes), inFolder = Write("d.png/a", bytes);
  std::unique_ptr<RAS_IBitmap> a(RAS_pngldr.loadfunc(upper.c_str(), true, nullptr));
  EXPECT_TRUE(a);
  EXPECT_EQ(RAS_pngldr.loadfunc(other.c_str(), true, nullptr), nullptr);
  EXPECT_EQ(RAS_pngldr.loadfunc(inFolder.c_str(), true, nullptr), nullptr);
  std::unique_ptr<RAS_IBitmap> b(RAS_pngldr.loadfunc(other.c_str(), false, nullptr));
  EXPECT_TRUE(b) << "without the check any file is decoded";
  EXPECT_EQ(RAS_pngldr.loadfunc(nullptr, false, nullptr), nullptr);
}

// Loading by name from the main bundle's resources; a program outside a
// bundle has its own folder as the main bundle. Catches a wrong resources
// path, and an over-long name being cut rather than refused: "./" in front
// of a 399-character name makes 401 characters naming the same file.
TEST(PngResources, NamedResourceFromTheMainBundle)
{
  const fs::path exeDir = fs::read_symlink("/proc/self/exe").parent_path();
  const fs::path resources = exeDir / "Contents" / "Resources";
  const bool hadContents = fs::exists(exeDir / "Contents");
  const std::string sub = "orvanta_png_test_" + std::to_string(getpid());
  std::string name = sub + "/" + std::string(200, 'd') + "/";
  name += std::string(399 - name.size() - 4, 'f') + ".png";
  ASSERT_EQ(name.size(), 399u);
  fs::create_directories((resources / name).parent_path());

  const PngImage im = RandomImage(PNG_COLOR_TYPE_GRAY_ALPHA, 8, false, false, 12);
  const std::vector<unsigned char> bytes = WritePng(im);
  std::ofstream(resources / name, std::ios::binary).write((const char*)bytes.data(), (std::streamsize)bytes.size());

  std::unique_ptr<RAS_IBitmap> a(RAS_LoadPNGFromNamedResource(name.c_str()));
  EXPECT_TRUE(MatchesImage(a.get(), im));
  std::unique_ptr<RAS_IBitmap> b(RAS_LoadPNGFromNamedResource(("/" + name).c_str()));
  EXPECT_TRUE(MatchesImage(b.get(), im)) << "400 characters are allowed";
  EXPECT_EQ(RAS_LoadPNGFromNamedResource(("./" + name).c_str()), nullptr);
  EXPECT_EQ(RAS_LoadPNGFromNamedResource((sub + "/missing.png").c_str()), nullptr);
  EXPECT_EQ(RAS_LoadPNGFromNamedResource(nullptr), nullptr);

  fs::remove_all(resources / sub);
  if (!hadContents) fs::remove_all(exeDir / "Contents");
}

// A caller's bitmap that cannot take the image: one that keeps a size smaller
// than the image. Catches rows written past it (a bitmap the loader makes goes
// through the same check).
TEST(PngLimits, TargetsThatCannotTakeTheImage)
{
  const std::vector<unsigned char> bytes = WritePng(RandomImage(PNG_COLOR_TYPE_RGB, 8, false, false, 30, 64, 64));
  GuardedBitmap fixed(4, 4);
  EXPECT_EQ(LoadBytes(bytes, &fixed), nullptr);
  EXPECT_TRUE(fixed.GuardsIntact());
}
