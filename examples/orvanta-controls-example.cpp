// orvanta-controls-example [--resources DIR] [OUT.png]: opens the Orvanta
// effect with an editor of the toolkit's further controls and its response
// graph, turns Low and High with the mouse as a user would, and saves the
// editor's pixels (default demo/controls.png).

#include "examples/ControlsExample.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

int main(int argc, char** argv)
{
  std::string resources = ORVANTA_RESOURCE_DIR, out = "demo/controls.png";
  for (int i = 1; i < argc; ++i)
  {
    if (!strcmp(argv[i], "--resources") && i + 1 < argc)
      resources = argv[++i];
    else if (argv[i][0] == '-')
    {
      fprintf(stderr, "usage: %s [--resources DIR] [OUT.png]\n", argv[0]);
      return 2;
    }
    else
      out = argv[i];
  }

  std::unique_ptr<IFxBase> plug(MakePlug());
  auto* orvanta = dynamic_cast<Orvanta*>(plug.get());
  if (!orvanta)
  {
    fprintf(stderr, "orvanta-controls-example: the effect could not be created\n");
    return 1;
  }
  ControlsExample example(orvanta, resources);
  example.TurnLowAndHigh();
  std::string error;
  if (!example.SavePNG(out, &error))
  {
    fprintf(stderr, "orvanta-controls-example: %s: %s\n", out.c_str(), error.c_str());
    return 1;
  }
  printf("demo: further controls and the tone graph (Low %.2f, High %.2f): %s\n",
         orvanta->GetParam(Orvanta::kLow)->Value(), orvanta->GetParam(Orvanta::kHigh)->Value(), out.c_str());
  return 0;
}
