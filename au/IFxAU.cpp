#include "au/IFxAU.h"

#include "plugin/IPlugTrace.h"

#include <cstdio>
#include <cstring>

IFxAU::IFxAU(IFxInstanceInfo info, int nParams, const char* channelIOStr, int nPresets,
             const char* effectName, const char* productName, const char* mfrName,
             int vendorVersion, int uniqueID, int mfrID, int latency, bool plugDoesMidi,
             bool plugDoesChunks, bool plugIsInst, int plugScChans)
  : IFxBase(nParams, channelIOStr, nPresets, effectName, productName, mfrName, vendorVersion,
            uniqueID, mfrID, latency, plugDoesMidi, plugDoesChunks, plugIsInst, kAPIAU)
{
  memset(mParamDisplayStr, 0, sizeof(mParamDisplayStr));
  memset(&mHostCallbacks, 0, sizeof(mHostCallbacks));
  TRACE_F("IFxAU", "%s", effectName);
  mBundleID.Set(info.mBundleID.Get());
  mCocoaViewFactoryClassName.Set(info.mCocoaViewFactoryClassName.Get());
  MakeBuses(plugScChans);
  AssessInputConnections();
  SetBlockSize(1024);
}

IFxAU::~IFxAU()
{
  mRenderNotify.Empty(true);
  mInBuses.Empty(true);
  mOutBuses.Empty(true);
  mInBusConnections.Empty(true);
  mPropertyListeners.Empty(true);
}

namespace
{
// Appends a new record to an owned list; false (nothing kept) when the list cannot grow.
template <class T>
bool AddOwned(KIT_PtrList<T>* pList, T* pItem)
{
  if (pList->Add(pItem)) return true;
  delete pItem;
  return false;
}

bool AddBus(KIT_PtrList<IFxAU::BusChannels>* pBuses, int startIdx, int nChannels)
{
  IFxAU::BusChannels* pBus = new IFxAU::BusChannels;
  pBus->mPlugChannelStartIdx = startIdx;
  pBus->mNPlugChannels = nChannels;
  return AddOwned(pBuses, pBus);
}
}  // namespace

bool IFxAU::MakeBuses(int plugScChans)
{
  const int nIn = NInChannels();
  const int nOut = NOutChannels();
  bool ok = true;
  // A side chain cannot have more channels than there are inputs.
  const int sc = plugScChans < nIn ? plugScChans : nIn;
  if (sc > 0)
  {
    ok &= AddBus(&mInBuses, 0, nIn - sc);
    ok &= AddBus(&mInBuses, nIn - sc, sc);
    ok &= AddOwned(&mInBusConnections, new InputBusConnection);
    ok &= AddOwned(&mInBusConnections, new InputBusConnection);
    SetInputBusLabel(0, "main input");
    SetInputBusLabel(1, "aux input");
  }
  else if (nIn > 0)
  {
    ok &= AddBus(&mInBuses, 0, nIn);
    ok &= AddOwned(&mInBusConnections, new InputBusConnection);
    SetInputBusLabel(0, "input");
    SetInputBusLabel(1, "aux input");
  }

  if (IsInst())
  {
    const int nBuses = (nOut + 1) / 2;
    for (int i = 0; i < nBuses; ++i)
    {
      const int nCh = nOut - 2 * i < 2 ? nOut - 2 * i : 2;
      ok &= AddBus(&mOutBuses, 2 * i, nCh);
      char label[32];
      snprintf(label, sizeof(label), "output %i", i + 1);
      SetOutputBusLabel(i, label);
    }
  }
  else
  {
    ok &= AddBus(&mOutBuses, 0, nOut);
    SetOutputBusLabel(0, "output");
  }
  return ok;
}

bool IFxAU::SendMidiMsg(IMidiMsg* pMsg)
{
  (void)pMsg;
  return false;
}

void IFxAU::ResizeGraphics(int w, int h)
{
  (void)w;
  (void)h;
  if (GetGUI()) OnWindowResize();
}

const char* AUInputTypeStr(int type)
{
  switch (type)
  {
    case IFxAU::eNotConnected: return "NotConnected";
    case IFxAU::eDirectFastProc: return "DirectFastProc";
    case IFxAU::eDirectNoFastProc: return "DirectNoFastProc";
    case IFxAU::eRenderCallback: return "RenderCallback";
    default: return "";
  }
}
