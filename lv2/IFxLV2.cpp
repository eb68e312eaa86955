#include "lv2/IFxLV2.h"

#include "plugin/IPlugTrace.h"

#include <cstring>

IFxLV2::IFxLV2(IFxInstanceInfo info, int nParams, const char* channelIOStr, int nPresets,
               const char* effectName, const char* productName, const char* mfrName,
               int vendorVersion, int uniqueID, int mfrID, int latency, bool plugDoesMidi,
               bool plugDoesChunks, bool plugIsInst, int plugScChans)
  : IFxBase(nParams, channelIOStr, nPresets, effectName, productName, mfrName, vendorVersion,
            uniqueID, mfrID, latency, plugDoesMidi, plugDoesChunks, plugIsInst, kAPILV2),
    mPorts(*this)
{
  (void)info;
  (void)plugScChans;
  TRACE_F("IFxLV2", "%s", effectName);
  if (mPortData.TryResize((int)mPorts.NPorts()))
    memset(mPortData.Get(), 0, sizeof(void*) * mPorts.NPorts());
  mInPtrs.TryResize(mPorts.NAudioIn());
  mOutPtrs.TryResize(mPorts.NAudioOut());
  mTakenControls.TryResize(mPorts.NControls());
  // Every channel is live; a port the host leaves unconnected reads silence
  // or is not written.
  SetInputChannelConnections(0, NInChannels(), true);
  SetOutputChannelConnections(0, NOutChannels(), true);
  SetBlockSize(kDefaultBlockSize);
}

IFxLV2::~IFxLV2() = default;

void IFxLV2::BeginInformHostOfParamChange(int) {}

void IFxLV2::InformHostOfParamChange(int, double) {}

void IFxLV2::EndInformHostOfParamChange(int) {}

void IFxLV2::InformHostOfProgramChange() {}

void IFxLV2::ResizeGraphics(int, int)
{
  if (GetGUI()) OnWindowResize();
}
