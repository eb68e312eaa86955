// The skin tool and the images it draws: the committed images are exactly what
// the tool writes, and each image fits the place the editor gives it. Images
// are decoded with libpng's own reader, not the raster library's loader.

#include <gtest/gtest.h>

#include <png.h>

#include <fcntl.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Editor layout: where each image goes and how many frames it has.
constexpr int kPanelW = 432, kPanelH = 357;
constexpr int kKnobFrames = 65, kKnobSpacing = 40;
constexpr int kKnobLefts[] = {177, 217, 257, 297};
constexpr int kKnobTop = 29;
constexpr int kSwitchLeft = 139, kSwitchTop = 35, kSwitchFrames = 2;
constexpr int kAboutLeft = 19, kAboutTop = 97;
constexpr int kHotSpot[4] = {24, 282, 54, 312};
const char* const kImages[] = {"background.png", "orvanta_switch.png", "orvanta_knob.png", "orvanta_about.png"};

// ORVANTA_BUILD_DIR, else the folder above this test program's.
fs::path BuildDir()
{
  const char* dir = getenv("ORVANTA_BUILD_DIR");
  if (dir && *dir) return dir;
  std::error_code ec;
  return fs::read_symlink("/proc/self/exe", ec).parent_path().parent_path();
}

std::string Tool() { return (BuildDir() / "bin/orvanta-skin").string(); }

std::string Committed(const std::string& name) { return std::string(ORVANTA_SOURCE_DIR) + "/resources/img/" + name; }

std::vector<char> Bytes(const std::string& path)
{
  std::ifstream f(path, std::ios::binary);
  return std::vector<char>(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

// Runs the tool with the given arguments, its output going to errPath; the
// exit code, or -1 when it did not exit normally.
int RunTool(const std::vector<std::string>& args, const std::string& errPath)
{
  const pid_t pid = fork();
  if (pid == 0)
  {
    const int fd = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd >= 0)
    {
      dup2(fd, 1);
      dup2(fd, 2);
    }
    std::vector<char*> argv;
    const std::string tool = Tool();
    argv.push_back(const_cast<char*>(tool.c_str()));
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(tool.c_str(), argv.data());
    _exit(127);
  }
  int status = 0;
  if (pid < 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

struct TempDir
{
  fs::path path;
  TempDir()
  {
    std::string t = (fs::temp_directory_path() / "skin_test_XXXXXX").string();
    path = mkdtemp(t.data()) ? fs::path(t) : fs::path();
  }
  ~TempDir()
  {
    std::error_code ec;
    if (!path.empty()) fs::remove_all(path, ec);
  }
};

struct Rgba
{
  int r, g, b, a;
};

struct Image
{
  int w = 0, h = 0;
  std::vector<unsigned char> px; // RGBA
  Rgba At(int x, int y) const
  {
    const unsigned char* p = &px[((size_t)y * w + x) * 4];
    return {p[0], p[1], p[2], p[3]};
  }
};

Image Load(const std::string& path)
{
  Image im;
  png_image png;
  memset(&png, 0, sizeof png);
  png.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&png, path.c_str())) return im;
  png.format = PNG_FORMAT_RGBA;
  im.px.resize(PNG_IMAGE_SIZE(png));
  if (!png_image_finish_read(&png, nullptr, im.px.data(), 0, nullptr))
  {
    png_image_free(&png);
    im.px.clear();
    return im;
  }
  im.w = (int)png.width;
  im.h = (int)png.height;
  return im;
}

bool FramesEqual(const Image& im, int frameH, int f0, int f1)
{
  const size_t row = (size_t)im.w * 4 * frameH;
  return memcmp(&im.px[row * f0], &im.px[row * f1], row) == 0;
}

bool Bright(const Rgba& p) { return p.a == 255 && p.r > 200 && p.g > 200 && p.b > 200; }

} // namespace

// Catches committed images that are not what the tool draws (a drawing change
// without regenerated images) and output that varies between runs, such as a
// time stamp or unset memory in the files.
TEST(SkinTool, RegeneratesTheCommittedImagesByteForByte)
{
  TempDir out;
  ASSERT_FALSE(out.path.empty());
  const fs::path dir = out.path / "new" / "skin";
  ASSERT_EQ(RunTool({dir.string()}, (out.path / "log").string()), 0) << "the tool must create missing folders";
  for (const char* name : kImages)
  {
    const std::vector<char> made = Bytes((dir / name).string());
    ASSERT_FALSE(made.empty()) << name;
    EXPECT_TRUE(made == Bytes(Committed(name)))
        << name << " differs from resources/img/" << name
        << " (regenerate with orvanta-skin resources/img; the images depend on fonts-dejavu-core and "
           "fonts-liberation2)";
    EXPECT_FALSE(fs::exists(dir / (std::string(name) + ".tmp"))) << "temporary file left behind";
  }
}

// Catches a bundle that ships stale or missing images.
TEST(SkinTool, BundleResourcesAreTheCommittedImages)
{
  const fs::path res = BuildDir() / "Orvanta.component/Contents/Resources";
  if (!fs::exists(res)) GTEST_SKIP() << "no bundle built";
  for (const char* name : kImages) EXPECT_TRUE(Bytes((res / name).string()) == Bytes(Committed(name))) << name;
}

// Catches a failure reported as success: bad arguments and an output path that
// cannot be a folder must give a non-zero exit and a message.
TEST(SkinTool, RefusesBadArgumentsAndUnwritableFolders)
{
  TempDir out;
  const std::string log = (out.path / "log").string();
  EXPECT_EQ(RunTool({}, log), 2);
  EXPECT_NE(Bytes(log).size(), 0u);
  EXPECT_EQ(RunTool({"a", "b"}, log), 2);
  std::ofstream((out.path / "file").string()) << "x";
  EXPECT_EQ(RunTool({(out.path / "file").string()}, log), 1);
  const std::vector<char> text = Bytes(log);
  const std::string msg(text.begin(), text.end());
  EXPECT_NE(msg.find("file"), std::string::npos) << msg;
}

// Catches images whose size or frame count would misplace a control: the
// layout follows the image sizes, so the knobs must fit their 40-pixel row,
// the switch must end before the first knob and the about box must stay on
// the panel.
TEST(SkinImages, SizesAndFramesFitTheEditorLayout)
{
  const Image bg = Load(Committed("background.png"));
  EXPECT_EQ(bg.w, kPanelW);
  EXPECT_EQ(bg.h, kPanelH);

  const Image knob = Load(Committed("orvanta_knob.png"));
  ASSERT_GT(knob.h, 0);
  EXPECT_EQ(knob.h % kKnobFrames, 0);
  EXPECT_LE(knob.w, kKnobSpacing);
  EXPECT_EQ(knob.w, knob.h / kKnobFrames) << "square frames";
  EXPECT_LE(kKnobLefts[3] + knob.w, kPanelW);
  EXPECT_LE(kKnobTop + knob.h / kKnobFrames, kAboutTop) << "knobs stay above the about box";

  const Image sw = Load(Committed("orvanta_switch.png"));
  ASSERT_GT(sw.h, 0);
  EXPECT_EQ(sw.h % kSwitchFrames, 0);
  EXPECT_LE(kSwitchLeft + sw.w, kKnobLefts[0]);
  EXPECT_LE(kSwitchTop + sw.h / kSwitchFrames, kPanelH);

  const Image about = Load(Committed("orvanta_about.png"));
  EXPECT_LE(kAboutLeft + about.w, kPanelW);
  EXPECT_LE(kAboutTop + about.h, kPanelH);
  EXPECT_GT(about.w * about.h, 0);
}

// Catches a film strip whose pointer stands still between neighbouring
// frames, so some drag positions would show no change.
TEST(SkinImages, EveryKnobFrameDiffersFromTheNext)
{
  const Image knob = Load(Committed("orvanta_knob.png"));
  ASSERT_EQ(knob.h % kKnobFrames, 0);
  const int fh = knob.h / kKnobFrames;
  for (int f = 0; f + 1 < kKnobFrames; f++) EXPECT_FALSE(FramesEqual(knob, fh, f, f + 1)) << "frames " << f;
}

// Catches a pointer that sweeps the wrong way or over the wrong range: the
// white pointer's tip is at -135 degrees (about 7 o'clock) in frame 0,
// straight up in the middle frame and at +135 degrees in the last, and not at
// the mirrored position.
TEST(SkinImages, KnobPointerSweepsFromMinus135ToPlus135Degrees)
{
  const Image knob = Load(Committed("orvanta_knob.png"));
  ASSERT_EQ(knob.h % kKnobFrames, 0);
  const int size = knob.w;
  const double c = size / 2.0, r = size * 0.31;
  auto tip = [&](int frame, double degrees) {
    const double a = degrees * M_PI / 180.0;
    return knob.At((int)std::floor(c + r * std::sin(a)), frame * size + (int)std::floor(c - r * std::cos(a)));
  };
  const struct
  {
    int frame;
    double degrees;
  } cases[] = {{0, -135.0}, {(kKnobFrames - 1) / 2, 0.0}, {kKnobFrames - 1, 135.0}};
  for (const auto& k : cases)
  {
    const Rgba p = tip(k.frame, k.degrees);
    EXPECT_TRUE(Bright(p)) << "frame " << k.frame << ": " << p.r << "," << p.g << "," << p.b << "," << p.a;
  }
  EXPECT_FALSE(Bright(tip(0, 135.0)));
  EXPECT_FALSE(Bright(tip(kKnobFrames - 1, -135.0)));
}

// Catches swapped switch frames: frame 0 ("Clean") has the lever down, frame 1
// ("Dirty") up; on the other side there is at most a translucent shadow.
TEST(SkinImages, SwitchLeverIsDownForCleanAndUpForDirty)
{
  const Image sw = Load(Committed("orvanta_switch.png"));
  ASSERT_EQ(sw.h % kSwitchFrames, 0);
  const int fh = sw.h / kSwitchFrames, x = sw.w / 2;
  const int upRow = fh / 10, downRow = fh - 1 - fh / 10;
  EXPECT_EQ(sw.At(x, downRow).a, 255) << "clean: lever down";
  EXPECT_LT(sw.At(x, upRow).a, 128) << "clean: nothing solid above";
  EXPECT_EQ(sw.At(x, fh + upRow).a, 255) << "dirty: lever up";
  EXPECT_LT(sw.At(x, fh + downRow).a, 128) << "dirty: nothing solid below";
}

// Catches a hot spot with nothing to show it is there, and an about box that
// would open transparent: the hot spot's area must stand out from the grille
// beside it, and the about box's face must be opaque.
TEST(SkinImages, HotSpotIsMarkedAndTheAboutBoxIsOpaque)
{
  const Image bg = Load(Committed("background.png"));
  ASSERT_EQ(bg.w, kPanelW);
  const int w = kHotSpot[2] - kHotSpot[0], h = kHotSpot[3] - kHotSpot[1];
  double diff = 0;
  for (int y = 0; y < h; y++)
    for (int x = 0; x < w; x++)
    {
      const Rgba a = bg.At(kHotSpot[0] + x, kHotSpot[1] + y), b = bg.At(kHotSpot[0] + 2 * w + x, kHotSpot[1] + y);
      diff += std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b);
    }
  EXPECT_GT(diff / (w * h), 30.0) << "mean difference per pixel";

  const Image about = Load(Committed("orvanta_about.png"));
  ASSERT_GT(about.w, 0);
  for (int y = about.h / 8; y < about.h - about.h / 8; y += 7)
    for (int x = about.w / 8; x < about.w - about.w / 8; x += 7) ASSERT_EQ(about.At(x, y).a, 255) << x << "," << y;
}
