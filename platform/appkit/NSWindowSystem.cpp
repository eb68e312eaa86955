#include "appkit/HeadlessWindowSystem.h"


#include <cstdlib>
#include <cstring>

// Null when DISPLAY names no display. The connection itself opens only when
// something first needs it.
NSWindowSystem* MakeX11WindowSystem();

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
