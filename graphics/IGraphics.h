#pragma once

#include "plugin/containers/KIT_String.h"

class IFxBase;

// What a file dialog is for.
enum EFileAction
{
  kFileOpen = 0,
  kFileSave = 1
};

// The editor base as the plug-in core sees it. The core calls the editor only
// through virtual operations, so the core library never needs the editor's code
// at link time: a platform editor (or a test stand-in) supplies the behaviour.
// Every operation runs on the host's UI thread.
class IGraphics
{
public:
  IGraphics(IFxBase* pPlug, int w, int h, int refreshFPS = 0)
    : mPlug(pPlug), mWidth(w), mHeight(h), mFPS(refreshFPS > 0 ? refreshFPS : 25)
  {
  }

  IGraphics(const IGraphics&) = delete;
  IGraphics& operator=(const IGraphics&) = delete;

  // UI thread, when the plug-in base deletes its editor; may free.
  virtual ~IGraphics() {}

  // UI thread, under the plug-in's mutex: a parameter changed outside the
  // editor. value is normalised when normalized is set, else the real value.
  virtual void SetParameterFromPlug(int paramIdx, double value, bool normalized)
  {
    (void)paramIdx; (void)value; (void)normalized;
  }

  // UI thread: makes the drawing surfaces; called when the editor is attached.
  virtual void PrepDraw() {}

  // UI thread; modal; may allocate. Asks the user for a file: *pFileName holds
  // the default name on entry and the chosen path on return ("" when the user
  // cancelled); *pDir is the folder to start in and becomes the chosen file's
  // folder. extensions lists the allowed extensions separated by blanks. The
  // base has no dialog and always answers "".
  virtual void PromptForFile(KIT_String* pFileName, EFileAction action, KIT_String* pDir,
                             char* extensions)
  {
    (void)action; (void)pDir; (void)extensions;
    if (pFileName) pFileName->Set("");
  }

  IFxBase* GetPlug() const { return mPlug; }
  int Width() const { return mWidth; }
  int Height() const { return mHeight; }
  int FPS() const { return mFPS; }

protected:
  IFxBase* mPlug;
  int mWidth;
  int mHeight;
  int mFPS;
};
