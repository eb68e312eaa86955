#pragma once

#include "plugin/ByteChunk.h"
#include "plugin/IParam.h"
#include "plugin/IPlugHosts.h"
#include "plugin/IPreset.h"
#include "plugin/containers/KIT_Mutex.h"
#include "plugin/containers/KIT_PtrList.h"
#include "plugin/containers/KIT_String.h"
#include "plugin/containers/KIT_TypedBuf.h"

class IGraphics;
struct IMidiMsg;
struct ISysEx;
struct ITimeInfo;

// Sizes of the plug-in's name fields, terminator included.
constexpr int MAX_EFFECT_NAME_LEN = 128;

// The plug-in's framework version, stored in the version header of program
// and bank files.
constexpr int IFX_VERSION_MAGIC = 0x70666674;  // the bytes "tffp" little-endian
constexpr int IFX_VERSION = 0x00010000;

// The plug-in API the plug-in is built for: kAPIAU for the Audio Unit bundle,
// kAPILV2 for the LV2 bundle.
enum EAPI
{
  kAPIVST2 = 0,
  kAPIVST3 = 1,
  kAPIAU = 2,
  kAPIRTAS = 3,
  kAPIAAX = 4,
  kAPISA = 5,
  kAPILV2 = 6
};

// What the factory hands the effect's constructor.
struct IFxInstanceInfo
{
  KIT_String mBundleID;                   // reverse-domain identifier of the plug-in's bundle
  KIT_String mCocoaViewFactoryClassName;  // "Orvanta_View"
};

// The host-independent core of a plug-in: parameters, preset slots, channel
// configuration and scratch buffers, the plug-in's re-entrant mutex, names and
// codes, sample rate, block size, latency and the attached editor. A host
// wrapper (IFxAU) derives from it and the effect derives from the wrapper.
//
// Threads: the host calls in on its UI thread and its render thread; the
// editor on the UI thread. Everything that changes parameters, presets,
// connections or the editor runs under GetMutex() (the wrapper holds it around
// host calls). The processing calls (Attach*, ProcessBuffers*, PassThrough*)
// never allocate and take no lock of their own.
class IFxBase
{
public:
  // One input channel. mSrc is this channel's slot in the input pointers that
  // processing reads: the host's buffer while connected and attached, else the
  // channel's own scratch buffer (silence).
  struct InChannel
  {
    bool mConnected = false;
    double** mSrc = nullptr;
    KIT_TypedBuf<double> mScratchBuf;
    KIT_String mLabel;
  };

  // One output channel. mDest is this channel's slot in the output pointers;
  // mFDest the host's float buffer for float processing (null until attached).
  struct OutChannel
  {
    bool mConnected = false;
    double** mDest = nullptr;
    float* mFDest = nullptr;
    KIT_TypedBuf<double> mScratchBuf;
    KIT_String mLabel;
  };

  // A legal channel configuration; a negative count matches any count.
  struct ChannelIO
  {
    int mIn;
    int mOut;
  };

  // channelIOStr lists the legal configurations as "in-out" pairs separated by
  // spaces ("1-1 2-2"). Names longer than their fields are cut.
  IFxBase(int nParams, const char* channelIOStr, int nPresets, const char* effectName,
          const char* productName, const char* mfrName, int vendorVersion, int uniqueID, int mfrID,
          int latency, bool plugDoesMidi, bool plugDoesChunks, bool plugIsInst, EAPI plugAPI);

  IFxBase(const IFxBase&) = delete;
  IFxBase& operator=(const IFxBase&) = delete;

  // ---- virtual operations, in slot order ----

  // Host UI thread (instance close). Deletes the editor, parameters, presets and channels.
  virtual ~IFxBase();
  // Host UI thread; takes the mutex; may allocate.
  virtual void Reset();
  // Host UI thread or editor thread; takes the mutex.
  virtual void OnParamChange(int paramIdx);
  // Render thread; no lock, no allocation. Copies input i to output i, zeroes the rest.
  virtual void ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames);
  // Render thread; no lock, no allocation. As ProcessDoubleReplacing in single precision.
  virtual void ProcessSingleReplacing(float** inputs, float** outputs, int nFrames);
  // Editor thread, when the editor window opens; may allocate.
  virtual void OnGUIOpen() {}
  // Editor thread, when the editor window closes; may allocate.
  virtual void OnGUIClose() {}
  // Host UI thread, periodically; may allocate.
  virtual void OnIdle() {}
  // Host UI thread (initialise, uninitialise, bypass); takes the mutex.
  virtual void OnActivate(bool active);
  // Host thread delivering MIDI (under the mutex); no allocation. Passes it on with SendMidiMsg.
  virtual void ProcessMidiMsg(IMidiMsg* pMsg);
  // Host thread delivering MIDI (under the mutex); no allocation.
  virtual void ProcessSysEx(ISysEx* pSysEx) { (void)pSysEx; }
  // Host UI thread; no lock. Writes the note's name (32 chars); false when it has none.
  virtual bool MidiNoteName(int noteNumber, char* name);
  // Host UI thread; takes the mutex; may allocate (the chunk grows). Default: SerializeParams.
  virtual bool SerializeState(ByteChunk* pChunk);
  // Host UI thread; takes the mutex. Default: UnserializeParams. Returns the end position or -1.
  virtual int UnserializeState(ByteChunk* pChunk, int startPos);
  // Host UI thread; no lock. data is an array of doubles; see the definition.
  virtual bool CompareState(const unsigned char* data, int startPos);
  // Editor thread, after the editor was resized; may allocate.
  virtual void OnWindowResize() {}
  // Host UI thread; true when the plug-in showed its own about box.
  virtual bool HostRequestingAboutBox() { return false; }
  // Host UI thread (under the mutex), once the host is known.
  virtual void OnHostIdentified() {}
  // Editor thread; may allocate.
  virtual void PopupHostContextMenuForParam(int paramIdx, int x, int y)
  {
    (void)paramIdx; (void)x; (void)y;
  }
  // Editor thread; takes the mutex. Sets the parameter, informs the host, calls OnParamChange.
  virtual void SetParameterFromGUI(int paramIdx, double normalizedValue);
  // Editor thread, at the start of a gesture (wrapper).
  virtual void BeginInformHostOfParamChange(int paramIdx) = 0;
  // Editor thread, with the mutex held (wrapper).
  virtual void InformHostOfParamChange(int paramIdx, double normalizedValue) = 0;
  // Editor thread, at the end of a gesture (wrapper).
  virtual void EndInformHostOfParamChange(int paramIdx) = 0;
  // Host UI or editor thread after a preset or file load (wrapper).
  virtual void InformHostOfProgramChange() = 0;
  // Any thread; no lock.
  virtual bool IsRenderingOffline() { return false; }
  // Render thread; asks the host (wrapper); no allocation.
  virtual int GetSamplePos() = 0;
  // Render thread; asks the host (wrapper); no allocation.
  virtual double GetTempo() = 0;
  // Render thread; asks the host (wrapper); no allocation.
  virtual void GetTimeSig(int* pNum, int* pDenom) = 0;
  // Render thread; asks the host (wrapper); no allocation.
  virtual void GetTime(ITimeInfo* pTimeInfo) = 0;
  // Any thread; the host code (the wrapper identifies the host lazily).
  virtual EHost GetHost() { return mHost; }
  // Any thread; the API code.
  virtual EAPI GetAPI() { return mAPI; }
  // Editor thread (wrapper).
  virtual void ResizeGraphics(int w, int h) = 0;
  // Host UI thread, when the instance opens.
  virtual void HostSpecificInit() {}
  // Effect constructor or host UI thread; takes the mutex. The base owns pGraphics from then on.
  virtual void AttachGraphics(IGraphics* pGraphics);
  // Host UI thread; stores the latency (the wrapper tells the host first).
  virtual void SetLatency(int samples);
  // Render or host thread (wrapper); no allocation.
  virtual bool SendMidiMsg(IMidiMsg* pMsg) = 0;
  // Render or host thread; no allocation. This plug-in sends no SysEx.
  virtual bool SendSysEx(ISysEx* pSysEx)
  {
    (void)pSysEx;
    return false;
  }
  // Host UI thread (under the mutex); pushes every parameter's value to the editor.
  virtual void RedrawParamControls();
  // Host UI thread; hook for hosts that compare states.
  virtual void DirtyPTCompareState() {}
  // Host UI thread, after the host selected a preset.
  virtual void PresetsChangedByHost() {}
  // Host UI thread (under the mutex), never while rendering; allocates. Resizes every
  // scratch buffer to blockSize samples and zeroes them. False (nothing changed)
  // when the size is negative, too large, or the memory cannot be had.
  virtual bool SetBlockSize(int blockSize);

  // ---- identity ----

  const char* GetEffectName() const { return mEffectName; }
  const char* GetProductName() const { return mProductName; }
  const char* GetMfrName() const { return mMfrName; }
  int GetUniqueID() const { return mUniqueID; }
  int GetMfrID() const { return mMfrID; }
  // The vendor version: raw (0x10300) or decimal (10300).
  int GetEffectVersion(bool decimal) const;
  // Writes "v1.3.0"; str holds at least 16 chars.
  void GetEffectVersionStr(char* str) const;
  // "VST2", "VST3", "AU", "RTAS", "AAX", "Standalone", "LV2"; "" for other codes.
  static const char* GetAPIString(int api);
  const char* GetAPIString() { return GetAPIString(GetAPI()); }
  static const char* GetArchString() { return "x64"; }
  bool DoesMIDI() const { return mDoesMIDI; }
  bool DoesStateChunks() const { return mStateChunks; }
  bool IsInst() const { return mIsInst; }

  // ---- host (defined with the host table in IFxBase_host.cpp) ----

  // Host UI thread (under the mutex). Looks the host code up from its name (an
  // application name or bundle identifier) and stores code and version.
  void SetHost(const char* host, int version);
  // Host UI thread. Calls GetHost() first; raw version, or decimal
  // (major * 10000 + minor * 100 + patch).
  int GetHostVersion(bool decimal);
  // Host UI thread. Writes "v%d.%d.%d" of the host version; str holds at least 16 chars.
  void GetHostVersionStr(char* str);

  // ---- MIDI (defined in IFxBase_host.cpp) ----

  // Render or host thread; no allocation. Sends each message with SendMidiMsg;
  // true only when every send succeeded.
  bool SendMidiMsgs(KIT_TypedBuf<IMidiMsg>* pMsgs);

  // ---- locking ----

  KIT_Mutex* GetMutex() { return &mMutex; }

  // ---- channels ----

  int NChannelIO() const { return mChannelIO.GetSize(); }
  // Copies configuration idx; false for an index out of range.
  bool GetChannelIO(int idx, int* pNIn, int* pNOut) const;
  // Any thread. True when some configuration matches; a negative count matches any.
  bool LegalIO(int nIn, int nOut) const;
  void LimitToStereoIO();
  int NInChannels() const { return mInChannels.GetSize(); }
  int NOutChannels() const { return mOutChannels.GetSize(); }
  // Host threads (under the mutex); no allocation. Channels that stop being
  // connected read and write their own zeroed scratch buffer.
  void SetInputChannelConnections(int idx, int n, bool connected);
  void SetOutputChannelConnections(int idx, int n, bool connected);
  bool IsInChannelConnected(int chIdx) const;
  bool IsOutChannelConnected(int chIdx) const;
  // Labels; ignored for a channel out of range.
  void SetInputLabel(int idx, const char* label);
  void SetOutputLabel(int idx, const char* label);
  const char* GetInputLabel(int idx) const;   // "" for an index out of range
  const char* GetOutputLabel(int idx) const;  // "" for an index out of range
  // Bus labels for buses 0 and 1 only (others ignored).
  void SetInputBusLabel(int idx, const char* label);
  void SetOutputBusLabel(int idx, const char* label);
  const char* GetInputBusLabel(int idx) const;   // null for an index out of range
  const char* GetOutputBusLabel(int idx) const;  // null for an index out of range
  int NInputBusLabels() const { return mInputBusLabels.GetSize(); }
  int NOutputBusLabels() const { return mOutputBusLabels.GetSize(); }

  // ---- buffers and processing (render thread; no allocation, no lock) ----
  //
  // Frame counts are limited to the block size: samples beyond it are neither
  // converted nor processed, so no call ever runs past a scratch buffer.

  void AttachInputBuffers(int idx, int n, double** ppData, int nFrames);
  void AttachInputBuffers(int idx, int n, float** ppData, int nFrames);
  void AttachOutputBuffers(int idx, int n, double** ppData);
  void AttachOutputBuffers(int idx, int n, float** ppData);
  // The first argument only selects the overload.
  void ProcessBuffers(double sampleType, int nFrames);
  void ProcessBuffers(float sampleType, int nFrames);
  void ProcessBuffersAccumulating(float sampleType, int nFrames);
  void PassThroughBuffers(double sampleType, int nFrames);
  void PassThroughBuffers(float sampleType, int nFrames);
  void ZeroScratchBuffers();

  // The slots processing reads and writes (one per channel).
  double** GetInputPointers() const { return mInData.Get(); }
  double** GetOutputPointers() const { return mOutData.Get(); }

  double GetSampleRate() const { return mSampleRate; }
  void SetSampleRate(double sampleRate) { mSampleRate = sampleRate; }
  int GetBlockSize() const { return mBlockSize; }
  int GetLatency() const { return mLatency; }
  bool IsBypassed() const { return mIsBypassed; }
  void SetBypassed(bool bypassed) { mIsBypassed = bypassed; }
  // sample rate * 60 / tempo when the tempo is positive, else 0.
  double GetSamplesPerBeat();

  // ---- parameters and the editor ----

  int NParams() const { return mParams.GetSize(); }
  IParam* GetParam(int idx) const { return mParams.Get(idx); }  // null out of range
  IGraphics* GetGUI() const { return mGraphics; }
  // The group names the wrapper numbers its parameter clumps by (texts not owned).
  KIT_PtrList<const char>* GetParamGroups() { return &mParamGroups; }
  // Calls OnParamChange for every parameter in index order.
  void OnParamReset();
  // Under the mutex: InformHostOfParamChange for every parameter.
  void DirtyParameters();

  // ---- state (host UI thread) ----

  // Every parameter's real value as a little-endian double, in index order.
  // Takes the mutex. True when every append succeeded.
  bool SerializeParams(ByteChunk* pChunk);
  // Takes the mutex. Reads one double per parameter while data lasts (a failed
  // read gives the minimum and ends the reading); values are clamped to the
  // range, NaN leaves a parameter unchanged; then OnParamChange for every
  // parameter. Returns the position after the last value, or -1.
  int UnserializeParams(ByteChunk* pChunk, int startPos);

  // The version header of program and bank files: "tffp" and IFX_VERSION.
  static bool InitChunkWithIFxVer(ByteChunk* pChunk);
  // 0 with *pPos unchanged when the header is absent; 0 and *pPos = -1 when the
  // magic is there but the version is cut off; else the version, *pPos += 8.
  static int GetIFxVerFromChunk(ByteChunk* pChunk, int* pPos);

  // ---- presets (host UI thread, or the effect's constructor) ----

  int NPresets() const { return mPresets.GetSize(); }
  int GetCurrentPresetIdx() const { return mCurrentPresetIdx; }
  IPreset* GetPreset(int idx) const { return mPresets.Get(idx); }  // null out of range
  static IPreset* GetNextUninitializedPreset(KIT_PtrList<IPreset>* pPresets);
  // Each Make* fills the first uninitialised slot and returns false (nothing
  // changed) when there is none or the memory cannot be had.
  // One variadic value per parameter: int for bool, int and enum parameters,
  // double for double parameters.
  bool MakePreset(const char* name, ...);
  // nParamsNamed pairs (int parameter index, value of that parameter's kind);
  // parameters not named keep their current value. An index out of range ends
  // the list there (its value's type is unknown, so nothing after it is read).
  bool MakePresetFromNamedParams(const char* name, int nParamsNamed, ...);
  bool MakePresetFromChunk(const char* name, ByteChunk* pChunk);
  // Decodes standard Base64 into exactly sizeOfChunk bytes (zero-filled, never
  // written past), stopping at the first character outside the alphabet.
  bool MakePresetFromBlob(const char* name, const char* blob, int sizeOfChunk);
  // nPresets times: the next free slot takes the current state, named name ("Empty" for null).
  void MakeDefaultPreset(const char* name, int nPresets);
  void EnsureDefaultPreset();
  void PruneUninitializedPresets();
  // Writes "user preset N" into name (MAX_PRESET_NAME_LEN bytes), N being one more
  // than the number of slots whose name contains "user preset".
  static void MakeDefaultUserPresetName(KIT_PtrList<IPreset>* pPresets, char* name);
  bool RestorePreset(int idx);
  bool RestorePreset(const char* name);
  const char* GetPresetName(int idx) const;  // "" for an index out of range
  // Stores the current state into the current slot and renames it when name is not empty.
  void ModifyCurrentPreset(const char* name = nullptr);
  bool SerializePresets(ByteChunk* pChunk);
  int UnserializePresets(ByteChunk* pChunk, int startPos);

  // ---- developer dumps; false when the file cannot be written ----

  bool DumpPresetSrcCode(const char* filename, const char* paramEnumNames[]);
  // False as well when the current preset's chunk is over 765 bytes (the encoded
  // text would not fit its 1024-char line) or there is no current preset.
  bool DumpPresetBlob(const char* filename);

  // ---- program (.fxp) and bank (.fxb) files ----
  //
  // The four dialog versions ask the editor's PromptForFile for the path and
  // return false without an editor or when the user cancels. Saves write to a
  // temporary file in the same folder and rename it over the target, so a
  // failed save never leaves a half-written file. Loads refuse (false, nothing
  // changed) files that cannot be read, are cut short before the data they
  // validate, or are larger than MAX_FX_FILE_SIZE.

  bool SaveProgramAsFXP(const char* defaultFileName);
  bool SaveBankAsFXB(const char* defaultFileName);
  bool LoadProgramFromFXP();
  bool LoadBankFromFXB();

  static constexpr int MAX_FX_FILE_SIZE = 64 * 1024 * 1024;

  bool SaveProgramAsFXPToFile(const char* path);
  bool SaveBankAsFXBToFile(const char* path);
  bool LoadProgramFromFXPFile(const char* path);
  bool LoadBankFromFXBFile(const char* path);

  // The file images themselves.
  bool MakeFXPChunk(ByteChunk* pOut);
  bool MakeFXBChunk(ByteChunk* pOut);
  bool LoadFXPChunk(const ByteChunk* pIn);
  bool LoadFXBChunk(const ByteChunk* pIn);

  // The folder the file dialogs last used.
  const char* GetPreviousPath() const { return mPreviousPath.Get(); }

protected:
  KIT_PtrList<ChannelIO> mChannelIO;
  KIT_Mutex mMutex;
  char mEffectName[MAX_EFFECT_NAME_LEN];
  char mProductName[MAX_EFFECT_NAME_LEN];
  char mMfrName[MAX_EFFECT_NAME_LEN];
  int mUniqueID;
  int mMfrID;
  int mVersion;
  EAPI mAPI;
  EHost mHost;
  int mHostVersion;
  bool mStateChunks;
  bool mIsInst;
  bool mDoesMIDI;
  bool mIsBypassed;
  int mCurrentPresetIdx;
  double mSampleRate;
  int mBlockSize;
  int mLatency;
  KIT_String mPreviousPath;
  KIT_PtrList<const char> mParamGroups;
  IGraphics* mGraphics;
  KIT_PtrList<IParam> mParams;
  KIT_PtrList<IPreset> mPresets;
  KIT_TypedBuf<double*> mInData;
  KIT_TypedBuf<double*> mOutData;
  KIT_PtrList<InChannel> mInChannels;
  KIT_PtrList<OutChannel> mOutChannels;
  KIT_PtrList<KIT_String> mInputBusLabels;
  KIT_PtrList<KIT_String> mOutputBusLabels;

private:
  int ClampFrames(int nFrames) const;
  void ConvertOutputs(int nFrames, bool accumulate);
  void PassThroughDouble(int nFrames);
  bool ApplyFXPParams(const ByteChunk* pIn, int pos);
  bool PromptForFXFile(bool save, const char* defaultFileName, const char* ext, KIT_String* pPath);
};

// Creates the effect. Defined by the effect, which builds its IFxInstanceInfo
// and constructs itself under the process-wide factory mutex (see IFxFactory.h).
// Host UI thread (instance open); allocates.
IFxBase* MakePlug();
