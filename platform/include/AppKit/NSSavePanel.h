#ifndef APPKIT_NSSAVEPANEL_H_
#define APPKIT_NSSAVEPANEL_H_

// File panels. Shown with zenity when it is installed and a display is
// open; otherwise runModal answers NSModalResponseCancel.

#include <AppKit/NSApplication.h>

class NSSavePanel : public NSObject
{
public:
  // Autoreleased.
  static NSSavePanel* savePanel();
  // File types as extensions without the dot (an array of strings; retained). Null: any.
  void setAllowedFileTypes(CFArrayRef types);
  void setAllowsOtherFileTypes(bool flag) { mAllowsOther = flag; }
  void setDirectoryURL(CFURLRef url);
  void setNameFieldStringValue(CFStringRef name);
  void setTitle(CFStringRef title);
  void setMessage(CFStringRef message);
  void setCanCreateDirectories(bool flag) { mCanCreateDirectories = flag; }
  // Main thread; modal. NSModalResponseOK when the user chose a file.
  virtual NSModalResponse runModal();
  // runModalForDirectory:file: (either may be null).
  NSModalResponse runModalForDirectory(CFStringRef directory, CFStringRef file);
  // The chosen file (get rule), null before a confirmed run.
  CFURLRef URL() const { return mURL; }
  // The chosen file's path (get rule).
  CFStringRef filename() const { return mPath; }

protected:
  NSSavePanel() = default;
  ~NSSavePanel() override;
  NSModalResponse run(bool open);
  CFArrayRef mTypes = nullptr;
  CFURLRef mDirectory = nullptr;
  CFStringRef mName = nullptr;
  CFStringRef mTitle = nullptr;
  CFStringRef mMessage = nullptr;
  CFURLRef mURL = nullptr;
  CFStringRef mPath = nullptr;
  bool mAllowsOther = false;
  bool mCanCreateDirectories = true;
  bool mChooseFiles = true;
  bool mChooseDirectories = false;
};

class NSOpenPanel : public NSSavePanel
{
public:
  // Autoreleased.
  static NSOpenPanel* openPanel();
  void setCanChooseFiles(bool flag) { mChooseFiles = flag; }
  void setCanChooseDirectories(bool flag) { mChooseDirectories = flag; }
  void setResolvesAliases(bool flag) { mResolvesAliases = flag; }
  void setAllowsMultipleSelection(bool) {}
  NSModalResponse runModal() override;
  // runModalForDirectory:file:types:
  NSModalResponse runModalForDirectory(CFStringRef directory, CFStringRef file, CFArrayRef types);
  // A new array of the chosen URL (one at most); the caller releases it.
  CFArrayRef URLs() const;

private:
  NSOpenPanel() = default;
  bool mResolvesAliases = true;
};

#endif
