#pragma once

#include "plugin/IFxBase.h"
#include "plugin/containers/KIT_Mutex.h"

// The process-wide mutex that plug-in construction runs under: hosts may open
// several instances at once from different threads, and construction touches
// process-wide state (caches, the noise generator). Created on first use,
// destroyed at process exit.
KIT_Mutex* GetPlugFactoryMutex();

// Constructs a TPlug from an IFxInstanceInfo carrying bundleID and the Cocoa
// view factory class name, under the factory mutex. Host UI thread; allocates.
template <class TPlug>
IFxBase* MakePlugUnderFactoryMutex(const char* bundleID, const char* viewClassName)
{
  KIT_MutexLock lock(GetPlugFactoryMutex());
  IFxInstanceInfo info;
  info.mBundleID.Set(bundleID);
  info.mCocoaViewFactoryClassName.Set(viewClassName);
  return new TPlug(info);
}
