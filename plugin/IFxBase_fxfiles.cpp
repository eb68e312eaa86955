// Program (.fxp) and bank (.fxb) files of the plug-in base. Every field is a
// big-endian 32-bit integer; floats are big-endian IEEE singles.

#include "graphics/IGraphics.h"
#include "plugin/FileIO.h"
#include "plugin/IFxBase.h"

#include <cstdint>
#include <cstring>

namespace
{
constexpr uint32_t FourCC(const char (&s)[5])
{
  return (uint32_t)(unsigned char)s[0] << 24 | (uint32_t)(unsigned char)s[1] << 16 |
         (uint32_t)(unsigned char)s[2] << 8 | (uint32_t)(unsigned char)s[3];
}

constexpr uint32_t kChunkMagic = FourCC("CcnK");
constexpr uint32_t kFxpParams = FourCC("FxCk");
constexpr uint32_t kFxpChunk = FourCC("FPCh");
constexpr uint32_t kFxbParams = FourCC("FxBk");
constexpr uint32_t kFxbChunk = FourCC("FBCh");

// The program-name field; names keep at most 27 bytes and a terminator.
constexpr int kProgNameLen = 28;
// Header sizes: a program up to its name, a program with chunk up to the data,
// a bank up to its programs or chunk length, a bank with chunk up to the data.
constexpr int kFxpHeader = 56;
constexpr int kFxpChunkHeader = 60;
constexpr int kFxbHeader = 156;
constexpr int kFxbChunkHeader = 160;
constexpr int kFxbReserved = 124;

bool PutBE32(ByteChunk* c, uint32_t v)
{
  const unsigned char b[4] = {(unsigned char)(v >> 24), (unsigned char)(v >> 16), (unsigned char)(v >> 8),
                              (unsigned char)v};
  return c->PutBytes(b, 4);
}

bool PutBEFloat(ByteChunk* c, float f)
{
  uint32_t u;
  memcpy(&u, &f, 4);
  return PutBE32(c, u);
}

int GetBE32(const ByteChunk* c, uint32_t* v, int pos)
{
  unsigned char b[4];
  pos = c->GetBytes(b, 4, pos);
  if (pos >= 0) *v = (uint32_t)b[0] << 24 | (uint32_t)b[1] << 16 | (uint32_t)b[2] << 8 | b[3];
  return pos;
}

int GetBEFloat(const ByteChunk* c, float* f, int pos)
{
  uint32_t u = 0;
  pos = GetBE32(c, &u, pos);
  if (pos >= 0) memcpy(f, &u, 4);
  return pos;
}

bool PutProgName(ByteChunk* c, const char* name)
{
  char field[kProgNameLen];
  memset(field, 0, sizeof(field));
  CopyTextField(field, kProgNameLen, name);
  return c->PutBytes(field, kProgNameLen);
}

// The program header common to program files and bank records.
struct ProgHeader
{
  uint32_t chunkMagic, byteSize, fxMagic, version, fxID, fxVersion, numParams;
  char name[kProgNameLen];
};

int GetProgHeader(const ByteChunk* c, ProgHeader* h, int pos)
{
  pos = GetBE32(c, &h->chunkMagic, pos);
  pos = GetBE32(c, &h->byteSize, pos);
  pos = GetBE32(c, &h->fxMagic, pos);
  pos = GetBE32(c, &h->version, pos);
  pos = GetBE32(c, &h->fxID, pos);
  pos = GetBE32(c, &h->fxVersion, pos);
  pos = GetBE32(c, &h->numParams, pos);
  char raw[kProgNameLen];
  pos = c->GetBytes(raw, kProgNameLen, pos);
  // Names from other machines: at most 27 bytes, cut at a character boundary, terminated.
  if (pos >= 0) CopyTextField(h->name, kProgNameLen, raw);
  return pos;
}

bool PutProgHeader(ByteChunk* c, uint32_t byteSize, uint32_t fxMagic, int id, int version, int nParams,
                   const char* name)
{
  return PutBE32(c, kChunkMagic) && PutBE32(c, byteSize) && PutBE32(c, fxMagic) && PutBE32(c, 1) &&
         PutBE32(c, (uint32_t)id) && PutBE32(c, (uint32_t)version) && PutBE32(c, (uint32_t)nParams) &&
         PutProgName(c, name);
}

// A copy of the bytes [pos, pos + len) of c; false when they are not all there.
bool SubChunk(const ByteChunk* c, int pos, uint32_t len, ByteChunk* pOut)
{
  if ((long long)pos + (long long)len > (long long)c->Size()) return false;
  pOut->Clear();
  return pOut->PutBytes(c->GetData() + pos, (int)len);
}
}  // namespace

bool IFxBase::MakeFXPChunk(ByteChunk* pOut)
{
  if (!pOut) return false;
  KIT_MutexLock lock(&mMutex);
  pOut->Clear();
  const char* name = GetPresetName(mCurrentPresetIdx);
  const int version = GetEffectVersion(true);
  const int n = NParams();
  bool ok;
  if (DoesStateChunks())
  {
    ByteChunk state;
    ok = InitChunkWithIFxVer(&state) && SerializeState(&state);
    ok = ok && PutProgHeader(pOut, (uint32_t)(kFxpChunkHeader + state.Size()), kFxpChunk, mUniqueID, version, n, name);
    ok = ok && PutBE32(pOut, (uint32_t)state.Size()) && pOut->PutChunk(&state);
  }
  else
  {
    ok = PutProgHeader(pOut, 0, kFxpParams, mUniqueID, version, n, name);
    for (int i = 0; i < n && ok; ++i) ok = PutBEFloat(pOut, (float)GetParam(i)->GetNormalized());
  }
  if (!ok) pOut->Clear();
  return ok;
}

bool IFxBase::LoadFXPChunk(const ByteChunk* pIn)
{
  if (!pIn) return false;
  KIT_MutexLock lock(&mMutex);
  ProgHeader h;
  int pos = GetProgHeader(pIn, &h, 0);
  const int n = NParams();
  if (pos < 0 || h.chunkMagic != kChunkMagic || h.version != 1 || h.fxID != (uint32_t)mUniqueID ||
      h.numParams != (uint32_t)n)
    return false;

  // Everything is validated before anything is applied, so a refused file
  // (wrong kind, or cut short before the data it announces) changes nothing.
  if (DoesStateChunks() && h.fxMagic == kFxpChunk)
  {
    uint32_t len = 0;
    pos = GetBE32(pIn, &len, pos);
    ByteChunk state;
    if (pos < 0 || !SubChunk(pIn, pos, len, &state)) return false;
    int statePos = 0;
    GetIFxVerFromChunk(&state, &statePos);
    UnserializeState(&state, statePos);
  }
  else if (h.fxMagic == kFxpParams)
  {
    if ((long long)pos + 4LL * n > (long long)pIn->Size()) return false;
    for (int i = 0; i < n; ++i)
    {
      float v = 0.0f;
      pos = GetBEFloat(pIn, &v, pos);
      GetParam(i)->SetNormalized(v);
    }
  }
  else
  {
    return false;
  }

  ModifyCurrentPreset(h.name);
  // Without a current preset to restore, the effect is still told about the
  // new values.
  if (!RestorePreset(mCurrentPresetIdx))
  {
    OnParamReset();
    RedrawParamControls();
  }
  InformHostOfProgramChange();
  return true;
}

bool IFxBase::MakeFXBChunk(ByteChunk* pOut)
{
  if (!pOut) return false;
  KIT_MutexLock lock(&mMutex);
  pOut->Clear();
  const int version = GetEffectVersion(true);
  const int nPresets = NPresets();
  const int n = NParams();
  static const unsigned char kZeros[kFxbReserved] = {};
  bool ok;
  if (DoesStateChunks())
  {
    ByteChunk data;
    ok = InitChunkWithIFxVer(&data) && SerializePresets(&data);
    ok = ok && PutBE32(pOut, kChunkMagic) && PutBE32(pOut, (uint32_t)(kFxbChunkHeader + data.Size())) &&
         PutBE32(pOut, kFxbChunk) && PutBE32(pOut, 2) && PutBE32(pOut, (uint32_t)mUniqueID) &&
         PutBE32(pOut, (uint32_t)version) && PutBE32(pOut, (uint32_t)nPresets) &&
         PutBE32(pOut, (uint32_t)mCurrentPresetIdx) && pOut->PutBytes(kZeros, kFxbReserved);
    ok = ok && PutBE32(pOut, (uint32_t)data.Size()) && pOut->PutChunk(&data);
  }
  else
  {
    ok = PutBE32(pOut, kChunkMagic) && PutBE32(pOut, 0) && PutBE32(pOut, kFxbParams) && PutBE32(pOut, 2) &&
         PutBE32(pOut, (uint32_t)mUniqueID) && PutBE32(pOut, (uint32_t)version) &&
         PutBE32(pOut, (uint32_t)nPresets) && PutBE32(pOut, (uint32_t)mCurrentPresetIdx) &&
         pOut->PutBytes(kZeros, kFxbReserved);
    for (int p = 0; p < nPresets && ok; ++p)
    {
      IPreset* preset = mPresets.Get(p);
      ok = PutProgHeader(pOut, 0, kFxpParams, mUniqueID, version, n, preset->mName);
      for (int i = 0; i < n && ok; ++i)
      {
        double v = 0.0;
        preset->mChunk.Get(&v, i * (int)sizeof(double));
        ok = PutBEFloat(pOut, (float)GetParam(i)->GetNormalized(v));
      }
    }
  }
  if (!ok) pOut->Clear();
  return ok;
}

bool IFxBase::LoadFXBChunk(const ByteChunk* pIn)
{
  if (!pIn) return false;
  KIT_MutexLock lock(&mMutex);
  uint32_t chunkMagic = 0, byteSize = 0, fxMagic = 0, version = 0, fxID = 0, fxVersion = 0;
  uint32_t numPrograms = 0, currentPgm = 0;
  int pos = GetBE32(pIn, &chunkMagic, 0);
  pos = GetBE32(pIn, &byteSize, pos);
  pos = GetBE32(pIn, &fxMagic, pos);
  pos = GetBE32(pIn, &version, pos);
  pos = GetBE32(pIn, &fxID, pos);
  pos = GetBE32(pIn, &fxVersion, pos);
  pos = GetBE32(pIn, &numPrograms, pos);
  pos = GetBE32(pIn, &currentPgm, pos);
  // The reserved block belongs to the header: a file without it is cut short.
  if (pos < 0 || pIn->Size() < kFxbHeader || chunkMagic != kChunkMagic || fxID != (uint32_t)mUniqueID)
    return false;
  pos = kFxbHeader;

  if (DoesStateChunks() && fxMagic == kFxbChunk)
  {
    uint32_t len = 0;
    pos = GetBE32(pIn, &len, pos);
    ByteChunk data;
    if (pos < 0 || !SubChunk(pIn, pos, len, &data)) return false;
    int dataPos = 0;
    GetIFxVerFromChunk(&data, &dataPos);
    UnserializePresets(&data, dataPos);
    InformHostOfProgramChange();
    return true;
  }
  if (fxMagic != kFxbParams) return false;

  // Every record is checked before the first is applied: a bank refused at
  // its tenth program must not have rewritten the first nine.
  const int n = NParams();
  const int count = (int)numPrograms < 0 ? 0 : (int)numPrograms;
  const long long recordSize = kFxpHeader + 4LL * n;
  if ((long long)kFxbHeader + (long long)count * recordSize > (long long)pIn->Size()) return false;
  for (int p = 0, at = pos; p < count; ++p, at += (int)recordSize)
  {
    ProgHeader h;
    if (GetProgHeader(pIn, &h, at) < 0 || h.chunkMagic != kChunkMagic || h.fxMagic != kFxpParams ||
        h.version != 1 || h.numParams != (uint32_t)n)
      return false;
  }

  for (int p = 0; p < count; ++p)
  {
    ProgHeader h;
    pos = GetProgHeader(pIn, &h, pos);
    RestorePreset(p);
    for (int i = 0; i < n; ++i)
    {
      float v = 0.0f;
      pos = GetBEFloat(pIn, &v, pos);
      GetParam(i)->SetNormalized(v);
    }
    ModifyCurrentPreset(h.name);
  }
  if (!RestorePreset((int)currentPgm))
  {
    OnParamReset();
    RedrawParamControls();
  }
  InformHostOfProgramChange();
  return true;
}

bool IFxBase::PromptForFXFile(bool save, const char* defaultFileName, const char* ext, KIT_String* pPath)
{
  if (!mGraphics) return false;
  pPath->Set(save && defaultFileName ? defaultFileName : "");
  char extensions[8];
  strncpy(extensions, ext, sizeof(extensions) - 1);
  extensions[sizeof(extensions) - 1] = 0;
  mGraphics->PromptForFile(pPath, save ? kFileSave : kFileOpen, &mPreviousPath, extensions);
  return pPath->GetLength() > 0;
}

bool IFxBase::SaveProgramAsFXPToFile(const char* path)
{
  ByteChunk c;
  return MakeFXPChunk(&c) && WriteFileAtomically(path, c.GetData(), c.Size());
}

bool IFxBase::SaveBankAsFXBToFile(const char* path)
{
  ByteChunk c;
  return MakeFXBChunk(&c) && WriteFileAtomically(path, c.GetData(), c.Size());
}

bool IFxBase::LoadProgramFromFXPFile(const char* path)
{
  ByteChunk c;
  return ReadWholeFile(path, &c, MAX_FX_FILE_SIZE) && LoadFXPChunk(&c);
}

bool IFxBase::LoadBankFromFXBFile(const char* path)
{
  ByteChunk c;
  return ReadWholeFile(path, &c, MAX_FX_FILE_SIZE) && LoadFXBChunk(&c);
}

// The dialogs run without the plug-in's mutex: a modal dialog must not stall
// the render thread. Only the building and applying of the data take it.
bool IFxBase::SaveProgramAsFXP(const char* defaultFileName)
{
  KIT_String path;
  return PromptForFXFile(true, defaultFileName, "fxp", &path) && SaveProgramAsFXPToFile(path.Get());
}

bool IFxBase::SaveBankAsFXB(const char* defaultFileName)
{
  KIT_String path;
  return PromptForFXFile(true, defaultFileName, "fxb", &path) && SaveBankAsFXBToFile(path.Get());
}

bool IFxBase::LoadProgramFromFXP()
{
  KIT_String path;
  return PromptForFXFile(false, nullptr, "fxp", &path) && LoadProgramFromFXPFile(path.Get());
}

bool IFxBase::LoadBankFromFXB()
{
  KIT_String path;
  return PromptForFXFile(false, nullptr, "fxb", &path) && LoadBankFromFXBFile(path.Get());
}
