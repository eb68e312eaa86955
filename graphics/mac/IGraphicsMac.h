#pragma once

#include "graphics/IGraphics.h"
#include "plugin/containers/KIT_String.h"

#include <CoreFoundation/CoreFoundation.h>

#include <string>

class IGraphicsCocoa_vOrvanta_au;
class NSWindow;

// The editor's home in the window system: the view that shows the draw
// bitmap, its refresh timer, menus, text entry, dialogs, paths and image
// loading from the plug-in bundle's resources. Everything here runs on the
// host's UI thread (the window system's main thread) and may allocate.
class IGraphicsMac : public IGraphics
{
public:
  // Host UI thread; loads the application environment.
  IGraphicsMac(IFxBase* pPlug, int w, int h, int refreshFPS = 0);
  // Host UI thread; closes the view first when it is open.
  ~IGraphicsMac() override;

  // Host UI thread, inside the view's painting; copies the draw bitmap to the
  // view. False without a view or outside painting.
  bool DrawScreen(IRECT* pR) override;
  // Host UI thread; may allocate (fonts).
  bool MeasureIText(IText* pTxt, char* str, IRECT* pR) override;
  // Host UI thread: ends an open text entry without taking its text.
  void ForceEndUserEdit() override;
  // Host UI thread; allocates.
  void Resize(int w, int h) override;
  bool WindowIsOpen() override { return mView != nullptr; }
  const char* GetGUIAPI() override { return "Cocoa GUI"; }
  // Host UI thread; modal.
  int ShowMessageBox(const char* text, const char* caption, int type) override;
  // Host UI thread; modal.
  IPopupMenu* CreateIPopupMenu(IPopupMenu* pMenu, IRECT* pAreaRect) override;
  // Host UI thread; allocates; returns at once (the entry ends later).
  void CreateTextEntry(IControl* pControl, IText* pText, IRECT* pTextRect, const char* str, IParam* pParam) override;
  void HostPath(KIT_String* pPath) override;
  void PluginPath(KIT_String* pPath) override;
  void DesktopPath(KIT_String* pPath) override;
  void AppSupportPath(KIT_String* pPath) override;
  // Host UI thread; modal.
  void PromptForFile(KIT_String* pFileName, EFileAction action, KIT_String* pDir, char* extensions) override;
  // There is no colour picker: always false.
  bool PromptForColor(IColor* pColor, char* prompt) override;
  // Host UI thread; waits for the desktop to take the address.
  bool OpenURL(const char* url, const char* windowTitle = nullptr, const char* confirmMsg = nullptr,
               const char* errMsg = nullptr) override;
  // Host UI thread; allocates: a new view, in pParentView (an NSView*) when given.
  void* OpenWindow(void* pParentView) override;
  using IGraphics::OpenWindow;
  void* OpenCocoaWindow(void* pParentView) { return OpenWindow(pParentView); }
  // Host UI thread: the child-window mode; hostWindowRef is an NSWindow*.
  void AttachSubWindow(void* hostWindowRef) override;
  void RemoveSubWindow() override;
  // Host UI thread: ends any gesture, menu and text entry, and takes the view away.
  void CloseWindow() override;
  void* GetWindow() override { return mView; }
  void HideMouseCursor() override;
  void ShowMouseCursor() override;
  // Host UI thread; allocates.
  void UpdateTooltips() override;
  // Host UI thread; allocates: decodes a PNG resource of the plug-in's bundle.
  RAS_IBitmap* OSLoadBitmap(int ID, const char* name) override;

  // The system version code (0x1095 for 10.9.5). Any thread.
  int GetUserOSVersion();

  void SetBundleID(const char* bundleID) { mBundleID.Set(bundleID); }
  const char* GetBundleID() const { return mBundleID.Get(); }

  // The editor rectangle r as a view rectangle (the view's origin is at its bottom-left).
  static void ToViewRect(int editorHeight, const IRECT& r, double* x, double* y, double* w, double* h);
  // A CF string as UTF-8; empty for a null or unconvertible string.
  static std::string UTF8(CFStringRef s);

private:
  // Takes the view away; endGesture also ends a drag's gesture with the host.
  void CloseView(bool endGesture);

  IGraphicsCocoa_vOrvanta_au* mView = nullptr;
  NSWindow* mHostWindow = nullptr;
  KIT_String mBundleID;
  bool mCursorHidden = false;
  double mCursorX = 0, mCursorY = 0;
};
