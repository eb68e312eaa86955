#include "plugin/IFxFactory.h"

KIT_Mutex* GetPlugFactoryMutex()
{
  static KIT_Mutex sMutex;
  return &sMutex;
}
