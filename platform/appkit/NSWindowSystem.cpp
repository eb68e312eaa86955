#include "appkit/HeadlessWindowSystem.h"


static NSWindowSystem* gSystem = nullptr;

NSWindowSystem* NSWindowSystem::Get()
{
  if (!gSystem)
  {
    gSystem = new HeadlessWindowSystem;
  }
  return gSystem;
}

void NSWindowSystem::UseHeadless()
{
  if (!gSystem) gSystem = new HeadlessWindowSystem;
}
