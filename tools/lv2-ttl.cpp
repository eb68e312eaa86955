// lv2-ttl: writes an LV2 bundle's manifest.ttl and plug-in description from the
// plug-in itself, so the bundle describes exactly the ports, ranges and
// presets the shared object has. Run by the build after linking.
//
//   lv2-ttl BUNDLE_DIR BINARY TTL URI [CLASS [UI_BINARY]]
//
// With UI_BINARY the plug-in gets an X11 UI (URI#ui) in that shared object.
//
// Each file is written beside its final name and renamed over it once
// complete, so a failed run leaves no half-written description.

#include "lv2/LV2Turtle.h"

#include <cstdio>
#include <memory>
#include <string>

namespace
{
bool WriteFile(const std::string& path, IFxBase& plug, const LV2Turtle::Identity& id,
               bool (*write)(IFxBase&, const LV2Turtle::Identity&, FILE*))
{
  const std::string tmp = path + ".tmp";
  FILE* f = fopen(tmp.c_str(), "w");
  if (!f)
  {
    perror(tmp.c_str());
    return false;
  }
  const bool written = write(plug, id, f);
  const bool closed = fclose(f) == 0;
  if (!written || !closed || rename(tmp.c_str(), path.c_str()) != 0)
  {
    fprintf(stderr, "lv2-ttl: cannot write %s\n", path.c_str());
    remove(tmp.c_str());
    return false;
  }
  return true;
}
}  // namespace

int main(int argc, char** argv)
{
  if (argc < 5 || argc > 7)
  {
    fprintf(stderr, "usage: lv2-ttl BUNDLE_DIR BINARY TTL URI [CLASS [UI_BINARY]]\n");
    return 2;
  }
  const std::string dir = argv[1];
  const LV2Turtle::Identity id = {argv[4], argv[2], argv[3], argc > 5 ? argv[5] : nullptr,
                                  argc > 6 ? argv[6] : nullptr};
  std::unique_ptr<IFxBase> plug(MakePlug());
  if (!plug)
  {
    fprintf(stderr, "lv2-ttl: the plug-in could not be made\n");
    return 1;
  }
  plug->PruneUninitializedPresets();
  const bool ok = WriteFile(dir + "/manifest.ttl", *plug, id, LV2Turtle::WriteManifest) &&
                  WriteFile(dir + "/" + id.ttl, *plug, id, LV2Turtle::WriteDescription);
  return ok ? 0 : 1;
}
