#include "lv2/LV2PortLayout.h"

#include "plugin/containers/KIT_TypedBuf.h"

#include <cstdio>
#include <cstring>

LV2PortLayout::LV2PortLayout(const IFxBase& plug)
  : mNIn(plug.NInChannels()), mNOut(plug.NOutChannels()), mNParams(plug.NParams()), mNRequiredIn(0)
{
  // A negative count in a configuration accepts any count, so it needs none.
  int required = mNIn;
  for (int i = 0; i < plug.NChannelIO(); ++i)
  {
    int nIn = 0, nOut = 0;
    plug.GetChannelIO(i, &nIn, &nOut);
    const int need = nIn < 0 ? 0 : nIn;
    if (need < required) required = need;
  }
  mNRequiredIn = plug.NChannelIO() ? required : mNIn;
}

LV2PortLayout::EKind LV2PortLayout::Classify(uint32_t port, int* pIdx) const
{
  int idx = (int)port;
  EKind kind = kNone;
  if (port >= NPorts())
    idx = -1;
  else if (idx < mNIn)
    kind = kAudioIn;
  else if ((idx -= mNIn) < mNOut)
    kind = kAudioOut;
  else if ((idx -= mNOut) < mNParams)
    kind = kControlIn;
  else
  {
    kind = kLatencyOut;
    idx = 0;
  }
  if (pIdx) *pIdx = idx;
  return kind;
}

namespace
{
void ChannelSymbol(const char* stem, int channel, int nChannels, char* sym)
{
  static const char* const kStereo[2] = {"l", "r"};
  if (nChannels == 1)
    snprintf(sym, LV2PortLayout::kMaxSymbolLen, "%s", stem);
  else if (nChannels == 2)
    snprintf(sym, LV2PortLayout::kMaxSymbolLen, "%s_%s", stem, kStereo[channel]);
  else
    snprintf(sym, LV2PortLayout::kMaxSymbolLen, "%s_%d", stem, channel + 1);
}
}  // namespace

void LV2PortLayout::BaseSymbol(const IFxBase& plug, uint32_t port, char* sym) const
{
  int idx = 0;
  switch (Classify(port, &idx))
  {
    case kAudioIn: ChannelSymbol("in", idx, mNIn, sym); return;
    case kAudioOut: ChannelSymbol("out", idx, mNOut, sym); return;
    case kLatencyOut: snprintf(sym, kMaxSymbolLen, "latency"); return;
    case kControlIn: break;
    case kNone: sym[0] = '\0'; return;
  }
  const char* name = plug.GetParam(idx)->GetNameForHost();
  int n = 0;
  if (name[0] >= '0' && name[0] <= '9') sym[n++] = '_';
  for (const char* c = name; *c && n < kMaxSymbolLen - 8; ++c)
  {
    const char ch = *c;
    if ((ch >= 'a' && ch <= 'z') || (ch >= '0' && ch <= '9'))
      sym[n++] = ch;
    else if (ch >= 'A' && ch <= 'Z')
      sym[n++] = (char)(ch - 'A' + 'a');
    else
      sym[n++] = '_';
  }
  // A parameter without a name is still a port; its index names it.
  if (n == 0) n = snprintf(sym, kMaxSymbolLen, "param_%d", idx);
  sym[n] = '\0';
}

bool LV2PortLayout::Symbol(const IFxBase& plug, uint32_t port, char* sym) const
{
  sym[0] = '\0';
  if (port >= NPorts()) return false;
  // Parameter names may repeat, or clash with the fixed symbols: a later port
  // takes the first free numeric suffix, so every port before this one has to
  // be named first.
  KIT_TypedBuf<char> names;
  if (!names.TryResize((int)(port + 1) * kMaxSymbolLen)) return false;
  for (uint32_t p = 0; p <= port; ++p)
  {
    char* name = names.Get() + p * kMaxSymbolLen;
    char base[kMaxSymbolLen];
    BaseSymbol(plug, p, base);
    memcpy(name, base, kMaxSymbolLen);
    for (int suffix = 2;; ++suffix)
    {
      bool clash = false;
      for (uint32_t q = 0; q < p && !clash; ++q) clash = strcmp(names.Get() + q * kMaxSymbolLen, name) == 0;
      if (!clash) break;
      snprintf(name, kMaxSymbolLen, "%.36s_%d", base, suffix);
    }
  }
  memcpy(sym, names.Get() + port * kMaxSymbolLen, kMaxSymbolLen);
  return true;
}
