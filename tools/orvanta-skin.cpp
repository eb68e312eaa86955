// orvanta-skin OUTDIR: draws the effect editor's four images with the raster
// library and writes them as PNG files into OUTDIR (created when missing).
// The output depends on nothing but the installed fonts, so the committed
// images under resources/img/ are what this program writes.

#include "SkinImages.h"
#include "SkinPNG.h"

#include <errno.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>

#include <string>

namespace {

// mkdir -p: every missing folder of the path, then a check that the path is a
// folder.
bool MakeFolder(const std::string& path, std::string* error)
{
  for (size_t pos = 1; pos <= path.size(); pos++)
  {
    if (pos < path.size() && path[pos] != '/') continue;
    const std::string part = path.substr(0, pos);
    if (mkdir(part.c_str(), 0777) != 0 && errno != EEXIST)
    {
      *error = part + ": " + strerror(errno);
      return false;
    }
  }
  struct stat st;
  if (stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
  {
    *error = path + ": not a folder";
    return false;
  }
  return true;
}

struct Image
{
  const char* name;
  void (*draw)(RAS_MemBitmap*);
};

constexpr Image kImages[] = {
    {"background.png", DrawBackground},
    {"orvanta_switch.png", DrawSwitchStrip},
    {"orvanta_knob.png", DrawKnobStrip},
    {"orvanta_about.png", DrawAbout},
};

} // namespace

int main(int argc, char** argv)
{
  if (argc != 2 || !argv[1][0] || argv[1][0] == '-')
  {
    fprintf(stderr, "usage: orvanta-skin OUTDIR\n"
                    "Draws the editor's images (background, switch, knob and about box) into OUTDIR.\n");
    return 2;
  }
  std::string dir = argv[1];
  while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
  std::string error;
  if (!MakeFolder(dir, &error))
  {
    fprintf(stderr, "orvanta-skin: %s\n", error.c_str());
    return 1;
  }
  for (const Image& im : kImages)
  {
    RAS_MemBitmap bm;
    im.draw(&bm);
    if (!SkinWritePNG(dir + "/" + im.name, &bm, &error))
    {
      fprintf(stderr, "orvanta-skin: %s\n", error.c_str());
      return 1;
    }
  }
  return 0;
}
