#include "appkit/HeadlessWindowSystem.h"


#include <cstdlib>
#include <cstring>

NSWindowSystem* MakeX11WindowSystem(); // null when no display can be opened

static NSWindowSystem* gSystem = nullptr;

NSWindowSystem* NSWindowSystem::Get()
{
  if (!gSystem)
  {
    const char* choice = getenv("ORVANTA_APPKIT_BACKEND");
    if (!choice || strcmp(choice, "headless") != 0) gSystem = MakeX11WindowSystem();
    if (!gSystem) gSystem = new HeadlessWindowSystem;
  }
  return gSystem;
}

void NSWindowSystem::UseHeadless()
{
  if (!gSystem) gSystem = new HeadlessWindowSystem;
}
