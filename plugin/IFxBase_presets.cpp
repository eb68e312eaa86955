// The plug-in base's state chunks, preset slots and developer dumps.

#include "plugin/Base64.h"
#include "plugin/FileIO.h"
#include "plugin/IFxBase.h"
#include "plugin/IPlugTrace.h"

#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>

// State chunks store doubles in the machine's order; every target of this
// program is little-endian, which is what saved documents contain.
static_assert(std::endian::native == std::endian::little, "state chunks are little-endian");

namespace
{
// The value a named-parameter preset starts from for parameters not named.
constexpr double kNotGivenMarker = 9.999e-08;

// Double to float without the undefined behaviour of converting a value
// beyond the float range.
float ToFloat(double v)
{
  if (v > FLT_MAX) return FLT_MAX;
  if (v < -FLT_MAX) return -FLT_MAX;
  return (float)v;
}

// Appends text as the inside of a C string literal.
void AppendEscaped(KIT_String* pOut, const char* text)
{
  for (const char* p = text; *p; ++p)
  {
    if (*p == '"' || *p == '\\') pOut->Append("\\", 1);
    pOut->Append(p, 1);
  }
}
}  // namespace

bool IFxBase::SerializeState(ByteChunk* pChunk)
{
  return SerializeParams(pChunk);
}

int IFxBase::UnserializeState(ByteChunk* pChunk, int startPos)
{
  return UnserializeParams(pChunk, startPos);
}

bool IFxBase::SerializeParams(ByteChunk* pChunk)
{
  if (!pChunk) return false;
  KIT_MutexLock lock(&mMutex);
  bool ok = true;
  const int n = NParams();
  for (int i = 0; i < n && ok; ++i)
  {
    IParam* param = GetParam(i);
    TRACE_F("SerializeParams", "%d %s %f", i, param->GetNameForHost(), param->Value());
    const double v = param->Value();
    ok = pChunk->Put(&v);
  }
  return ok;
}

int IFxBase::UnserializeParams(ByteChunk* pChunk, int startPos)
{
  if (!pChunk) return -1;
  KIT_MutexLock lock(&mMutex);
  int pos = startPos;
  const int n = NParams();
  for (int i = 0; i < n && pos >= 0; ++i)
  {
    IParam* param = GetParam(i);
    TRACE_F("UnserializeParams", "%d %s %f", i, param->GetNameForHost(), param->Value());
    double v = 0.0;
    pos = pChunk->Get(&v, pos);
    param->Set(v);
  }
  OnParamReset();
  return pos;
}

bool IFxBase::CompareState(const unsigned char* data, int startPos)
{
  if (!data || startPos < 0) return false;
  const int n = NParams();
  for (int i = 0; i < n; ++i)
  {
    double stored;
    memcpy(&stored, data + ((size_t)startPos + (size_t)i) * sizeof(double), sizeof(double));
    const float diff = ToFloat(GetParam(i)->Value()) - ToFloat(stored);
    if (!(std::fabs(diff) < 1e-5f)) return false;
  }
  return true;
}

bool IFxBase::InitChunkWithIFxVer(ByteChunk* pChunk)
{
  if (!pChunk) return false;
  pChunk->Clear();
  const int magic = IFX_VERSION_MAGIC, ver = IFX_VERSION;
  return pChunk->Put(&magic) && pChunk->Put(&ver);
}

int IFxBase::GetIFxVerFromChunk(ByteChunk* pChunk, int* pPos)
{
  if (!pChunk || !pPos || *pPos < 0) return 0;
  int magic = 0;
  int pos = pChunk->Get(&magic, *pPos);
  if (pos < 0 || magic != IFX_VERSION_MAGIC) return 0;
  int ver = 0;
  pos = pChunk->Get(&ver, pos);
  if (pos < 0)
  {
    *pPos = -1;
    return 0;
  }
  *pPos = pos;
  return ver;
}

IPreset* IFxBase::GetNextUninitializedPreset(KIT_PtrList<IPreset>* pPresets)
{
  if (!pPresets) return nullptr;
  const int n = pPresets->GetSize();
  for (int i = 0; i < n; ++i)
  {
    IPreset* preset = pPresets->Get(i);
    if (!preset->mInitialized) return preset;
  }
  return nullptr;
}

// A slot being filled starts from an empty chunk: an uninitialised slot can
// still hold the bytes of an earlier life (a preset list loaded with its flag off).
bool IFxBase::MakePreset(const char* name, ...)
{
  KIT_MutexLock lock(&mMutex);
  IPreset* preset = GetNextUninitializedPreset(&mPresets);
  if (!preset) return false;
  preset->mChunk.Clear();
  bool ok = true;
  va_list vp;
  va_start(vp, name);
  const int n = NParams();
  for (int i = 0; i < n; ++i)
  {
    const double v = GetParam(i)->Type() == IParam::kTypeDouble ? va_arg(vp, double) : (double)va_arg(vp, int);
    if (ok) ok = preset->mChunk.Put(&v);
  }
  va_end(vp);
  if (!ok)
  {
    preset->mChunk.Clear();
    return false;
  }
  preset->mInitialized = true;
  preset->SetName(name);
  return true;
}

bool IFxBase::MakePresetFromNamedParams(const char* name, int nParamsNamed, ...)
{
  KIT_MutexLock lock(&mMutex);
  IPreset* preset = GetNextUninitializedPreset(&mPresets);
  if (!preset) return false;
  const int n = NParams();
  KIT_TypedBuf<double> vals(4096);
  if (!vals.TryResize(n)) return false;
  for (int i = 0; i < n; ++i) vals.Get()[i] = kNotGivenMarker;

  va_list vp;
  va_start(vp, nParamsNamed);
  for (int k = 0; k < nParamsNamed; ++k)
  {
    const int idx = va_arg(vp, int);
    IParam* param = GetParam(idx);
    if (!param) break;
    vals.Get()[idx] = param->Type() == IParam::kTypeDouble ? va_arg(vp, double) : (double)va_arg(vp, int);
  }
  va_end(vp);

  preset->mChunk.Clear();
  bool ok = true;
  for (int i = 0; i < n && ok; ++i)
  {
    double v = vals.Get()[i];
    if (v == kNotGivenMarker) v = GetParam(i)->Value();
    ok = preset->mChunk.Put(&v);
  }
  if (!ok)
  {
    preset->mChunk.Clear();
    return false;
  }
  preset->mInitialized = true;
  preset->SetName(name);
  return true;
}

bool IFxBase::MakePresetFromChunk(const char* name, ByteChunk* pChunk)
{
  if (!pChunk) return false;
  KIT_MutexLock lock(&mMutex);
  IPreset* preset = GetNextUninitializedPreset(&mPresets);
  if (!preset) return false;
  preset->mChunk.Clear();
  if (!preset->mChunk.PutChunk(pChunk)) return false;
  preset->mInitialized = true;
  preset->SetName(name);
  return true;
}

bool IFxBase::MakePresetFromBlob(const char* name, const char* blob, int sizeOfChunk)
{
  if (sizeOfChunk < 0) return false;
  ByteChunk decoded;
  if (decoded.Resize(sizeOfChunk) != sizeOfChunk) return false;
  Base64Decode(blob, decoded.GetData(), sizeOfChunk);
  return MakePresetFromChunk(name, &decoded);
}

void IFxBase::MakeDefaultPreset(const char* name, int nPresets)
{
  KIT_MutexLock lock(&mMutex);
  for (int i = 0; i < nPresets; ++i)
  {
    IPreset* preset = GetNextUninitializedPreset(&mPresets);
    if (!preset) return;
    preset->mChunk.Clear();
    if (!SerializeState(&preset->mChunk))
    {
      preset->mChunk.Clear();
      return;
    }
    preset->mInitialized = true;
    preset->SetName(name ? name : "Empty");
  }
}

void IFxBase::EnsureDefaultPreset()
{
  MakeDefaultPreset("Empty", NPresets());
}

void IFxBase::PruneUninitializedPresets()
{
  KIT_MutexLock lock(&mMutex);
  for (int i = NPresets() - 1; i >= 0; --i)
  {
    if (!mPresets.Get(i)->mInitialized) mPresets.Delete(i, true);
  }
}

void IFxBase::MakeDefaultUserPresetName(KIT_PtrList<IPreset>* pPresets, char* name)
{
  if (!name) return;
  int nDefault = 0;
  const int n = pPresets ? pPresets->GetSize() : 0;
  for (int i = 0; i < n; ++i)
  {
    const IPreset* preset = pPresets->Get(i);
    if (preset && strstr(preset->mName, "user preset")) ++nDefault;
  }
  snprintf(name, MAX_PRESET_NAME_LEN, "%s %d", "user preset", nDefault + 1);
}

bool IFxBase::RestorePreset(int idx)
{
  KIT_MutexLock lock(&mMutex);
  IPreset* preset = mPresets.Get(idx);
  if (!preset) return false;
  bool ok;
  if (preset->mInitialized)
  {
    ok = UnserializeState(&preset->mChunk, 0) > 0;
  }
  else
  {
    char name[MAX_PRESET_NAME_LEN];
    MakeDefaultUserPresetName(&mPresets, name);
    preset->mChunk.Clear();
    ok = SerializeState(&preset->mChunk);
    if (ok)
    {
      preset->mInitialized = true;
      preset->SetName(name);
    }
    else
    {
      preset->mChunk.Clear();
    }
  }
  if (ok)
  {
    mCurrentPresetIdx = idx;
    PresetsChangedByHost();
    RedrawParamControls();
  }
  return ok;
}

bool IFxBase::RestorePreset(const char* name)
{
  if (!name || !name[0]) return false;
  KIT_MutexLock lock(&mMutex);
  const int n = NPresets();
  for (int i = 0; i < n; ++i)
  {
    if (!strcmp(mPresets.Get(i)->mName, name)) return RestorePreset(i);
  }
  return false;
}

const char* IFxBase::GetPresetName(int idx) const
{
  const IPreset* preset = mPresets.Get(idx);
  return preset ? preset->mName : "";
}

void IFxBase::ModifyCurrentPreset(const char* name)
{
  KIT_MutexLock lock(&mMutex);
  IPreset* preset = mPresets.Get(mCurrentPresetIdx);
  if (!preset) return;
  preset->mChunk.Clear();
  TRACE_F("ModifyCurrentPreset", "%d %s", mCurrentPresetIdx, preset->mName);
  SerializeState(&preset->mChunk);
  if (name && name[0]) preset->SetName(name);
}

bool IFxBase::SerializePresets(ByteChunk* pChunk)
{
  if (!pChunk) return false;
  KIT_MutexLock lock(&mMutex);
  bool ok = true;
  const int n = NPresets();
  for (int i = 0; i < n && ok; ++i)
  {
    IPreset* preset = mPresets.Get(i);
    TRACE_F("SerializePresets", "%d %s", i, preset->mName);
    ok = pChunk->PutStr(preset->mName) && pChunk->PutBool(preset->mInitialized);
    if (ok && preset->mInitialized) ok = pChunk->PutChunk(&preset->mChunk);
  }
  return ok;
}

int IFxBase::UnserializePresets(ByteChunk* pChunk, int startPos)
{
  if (!pChunk) return -1;
  KIT_MutexLock lock(&mMutex);
  int pos = startPos;
  const int n = NPresets();
  for (int i = 0; i < n && pos >= 0; ++i)
  {
    IPreset* preset = mPresets.Get(i);
    KIT_String name;
    pos = pChunk->GetStr(&name, pos);
    // A name whose characters lie beyond the end was not read: keep the old one.
    if (pos >= 0 && pos <= pChunk->Size()) preset->SetName(name.Get());
    TRACE_F("UnserializePresets", "%d %s", i, preset->mName);
    pos = pChunk->GetBool(&preset->mInitialized, pos);
    if (pos >= 0 && preset->mInitialized)
    {
      pos = UnserializeState(pChunk, pos);
      if (pos > 0)
      {
        preset->mChunk.Clear();
        SerializeState(&preset->mChunk);
      }
    }
  }
  RestorePreset(mCurrentPresetIdx);
  return pos;
}

bool IFxBase::DumpPresetSrcCode(const char* filename, const char* paramEnumNames[])
{
  KIT_String text;
  {
    KIT_MutexLock lock(&mMutex);
    char buf[64];
    const int n = NParams();
    text.Set("  MakePresetFromNamedParams(\"");
    AppendEscaped(&text, GetPresetName(mCurrentPresetIdx));
    snprintf(buf, sizeof(buf), "\", %d", n);
    text.Append(buf);
    for (int i = 0; i < n; ++i)
    {
      IParam* param = GetParam(i);
      const char* enumName = paramEnumNames && paramEnumNames[i] ? paramEnumNames[i] : param->GetNameForHost();
      switch (param->Type())
      {
        case IParam::kTypeBool: snprintf(buf, sizeof(buf), "%s", param->Value() >= 0.5 ? "true" : "false"); break;
        case IParam::kTypeInt:
        case IParam::kTypeEnum: snprintf(buf, sizeof(buf), "%d", param->Int()); break;
        default: FormatDecimal(buf, (int)sizeof(buf), param->Value(), 6); break;
      }
      text.Append(",\n    ");
      text.Append(enumName);
      text.Append(", ");
      text.Append(buf);
    }
    text.Append(");\n");
  }
  return WriteFileAtomically(filename, text.Get(), text.GetLength());
}

bool IFxBase::DumpPresetBlob(const char* filename)
{
  KIT_String text;
  {
    KIT_MutexLock lock(&mMutex);
    IPreset* preset = mPresets.Get(mCurrentPresetIdx);
    if (!preset) return false;
    const int size = preset->mChunk.Size();
    // The encoded text has a 1024-char line of its own: at most 765 bytes fit.
    char encoded[1024];
    if (Base64EncodedLength(size) + 1 > (int)sizeof(encoded)) return false;
    Base64Encode(preset->mChunk.GetData(), size, encoded);
    char tail[32];
    text.Set("MakePresetFromBlob(\"");
    AppendEscaped(&text, preset->mName);
    text.Append("\", \"");
    text.Append(encoded);
    snprintf(tail, sizeof(tail), "\", %i);\n", size);
    text.Append(tail);
  }
  return WriteFileAtomically(filename, text.Get(), text.GetLength());
}
