// The members of IFxBase that identify the host application and send MIDI; they
// sit beside the host table and the MIDI records rather than in the base's own file.

#include "plugin/IFxBase.h"
#include "plugin/IMidiMsg.h"
#include "plugin/IPlugTrace.h"
#include "plugin/IPlugUtilities.h"

void IFxBase::SetHost(const char* host, int version)
{
  mHost = LookUpHost(host);
  mHostVersion = version;

  char name[kMaxHostNameLen + 1];
  char versionStr[kMaxVersionStrLen + 1];
  GetHostNameStr(mHost, name);
  GetVersionStr(version, versionStr);
  TRACE_F("SetHost", "host_%sknown:%s:%s", mHost == kHostUnknown ? "un" : "", name, versionStr);
}

int IFxBase::GetHostVersion(bool decimal)
{
  GetHost();
  return decimal ? GetDecimalVersion(mHostVersion) : mHostVersion;
}

void IFxBase::GetHostVersionStr(char* str)
{
  GetHost();
  GetVersionStr(mHostVersion, str);
}

bool IFxBase::SendMidiMsgs(KIT_TypedBuf<IMidiMsg>* pMsgs)
{
  if (!pMsgs) return true;
  // Every message is offered even after one fails: a refused message must not
  // swallow the ones behind it (a lost note-off would hang a note downstream).
  bool allSent = true;
  const int n = pMsgs->GetSize();
  IMidiMsg* pMsg = pMsgs->Get();
  for (int i = 0; i < n; ++i)
  {
    if (!SendMidiMsg(&pMsg[i])) allSent = false;
  }
  return allSent;
}
