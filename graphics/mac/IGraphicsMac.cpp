#include "graphics/mac/IGraphicsMac.h"

#include "gdi/gdi.h"
#include "graphics/graphics.h"
#include "graphics/mac/CustomCocoaWindow.h"
#include "graphics/mac/IGraphicsCocoa.h"
#include "plugin/IPlugTrace.h"
#include "raster/raster.h"

#include <AppKit/AppKit.h>
#include <CoreServices/Gestalt.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <string>
#include <strings.h>
#include <vector>

namespace
{
CFStringRef MakeCF(const char* text)
{
  return CFStringCreateWithCString(nullptr, text ? text : "", kCFStringEncodingUTF8);
}

std::string PathOf(CFURLRef url)
{
  char path[PATH_MAX];
  if (!url || !CFURLGetFileSystemRepresentation(url, true, (UInt8*)path, sizeof(path))) return std::string();
  return path;
}

std::string FolderOf(const std::string& path)
{
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash == 0 ? 1 : slash);
}

// The first folder the standard-directory search gives, tildes expanded.
std::string StandardFolder(NSSearchPathDirectory which)
{
  CFArrayRef paths = NSSearchPathForDirectoriesInDomains(which, NSUserDomainMask, true);
  std::string path;
  if (paths && CFArrayGetCount(paths) > 0) path = IGraphicsMac::UTF8((CFStringRef)CFArrayGetValueAtIndex(paths, 0));
  if (paths) CFRelease(paths);
  return path;
}
}  // namespace

IGraphicsMac::IGraphicsMac(IFxBase* pPlug, int w, int h, int refreshFPS) : IGraphics(pPlug, w, h, refreshFPS), mBundleID("")
{
  NSApplicationLoad();
}

// The plug-in is going away with its editor: no gesture is ended with it.
IGraphicsMac::~IGraphicsMac() { CloseView(false); }

std::string IGraphicsMac::UTF8(CFStringRef s)
{
  if (!s) return std::string();
  const CFIndex n = CFStringGetMaximumSizeForEncoding(CFStringGetLength(s), kCFStringEncodingUTF8) + 1;
  std::string out((size_t)n, '\0');
  if (!CFStringGetCString(s, out.data(), n, kCFStringEncodingUTF8)) return std::string();
  out.resize(strlen(out.c_str()));
  return out;
}

void IGraphicsMac::ToViewRect(int editorHeight, const IRECT& r, double* x, double* y, double* w, double* h)
{
  *x = r.L;
  *y = editorHeight - r.B - 1;
  *w = r.R - r.L + 1;
  *h = r.B - r.T + 1;
}

bool IGraphicsMac::DrawScreen(IRECT*)
{
  CGContextRef port = NSGraphicsContextCurrentPort();
  if (!mView || !port || !mDrawBitmap) return false;
  CGContextRef bitmapContext = GDI_GetCtxGC(mDrawBitmap->getDC());
  if (!bitmapContext) return false;
  const int w = mDrawBitmap->getWidth();
  CGImageRef image = CGBitmapContextCreateImage(bitmapContext);
  if (!image) return false;
  // The context may be wider than the bitmap (its rows are padded): only the bitmap is shown.
  if ((int)CGImageGetWidth(image) != w || (int)CGImageGetHeight(image) != Height())
  {
    CGImageRef cropped = CGImageCreateWithImageInRect(image, CGRectMake(0, 0, w, Height()));
    CGImageRelease(image);
    image = cropped;
    if (!image) return false;
  }
  CGContextDrawImage(port, CGRectMake(0, 0, w, Height()), image);
  CGImageRelease(image);
  return true;
}

bool IGraphicsMac::MeasureIText(IText* pTxt, char* str, IRECT* pR)
{
  NSAutoreleasePool pool;
  return DrawIText(pTxt, str, pR, true);
}

void IGraphicsMac::ForceEndUserEdit()
{
  if (mView) mView->endUserInput();
}

void IGraphicsMac::Resize(int w, int h)
{
  if (w == Width() && h == Height()) return;
  IGraphics::Resize(w, h);
  if (mView) mView->setFrameSize(NSMakeSize(Width(), Height()));
}

int IGraphicsMac::ShowMessageBox(const char* text, const char* caption, int type)
{
  NSAutoreleasePool pool;
  CFStringRef defaultButton = nullptr, alternate = nullptr, other = nullptr;
  switch (type)
  {
    case 4: defaultButton = CFSTR("Yes"); alternate = CFSTR("No"); break;
    case 3: defaultButton = CFSTR("Yes"); alternate = CFSTR("No"); other = CFSTR("Cancel"); break;
    case 1: alternate = CFSTR("Cancel"); break;
    default: break;
  }
  CFStringRef header = MakeCF(caption), message = MakeCF(text);
  NSAlert* alert = NSAlert::alertWithMessageText(header, defaultButton, alternate, other, message);
  if (header) CFRelease(header);
  if (message) CFRelease(message);
  alert->setAlertStyle(NSAlertStyleInformational);
  switch (alert->runModal())
  {
    case NSAlertDefaultReturn: return 1;
    case NSAlertAlternateReturn: return 7;
    case NSAlertOtherReturn: return 2;
    default: return 0;
  }
}

IPopupMenu* IGraphicsMac::CreateIPopupMenu(IPopupMenu* pMenu, IRECT* pAreaRect)
{
  ReleaseMouseCapture();
  if (!mView || !pMenu || !pAreaRect) return nullptr;
  double x, y, w, h;
  ToViewRect(Height(), *pAreaRect, &x, &y, &w, &h);
  return mView->createIPopupMenu(pMenu, NSMakeRect(x, y, w, h));
}

void IGraphicsMac::CreateTextEntry(IControl* pControl, IText* pText, IRECT* pTextRect, const char* str, IParam* pParam)
{
  if (!mView || !pTextRect) return;
  double x, y, w, h;
  ToViewRect(Height(), *pTextRect, &x, &y, &w, &h);
  mView->createTextEntry(pControl, pParam, pText, str, NSMakeRect(x, y, w, h));
}

void IGraphicsMac::HostPath(KIT_String* pPath)
{
  if (!pPath) return;
  CFStringRef id = MakeCF(mBundleID.Get());
  CFBundleRef bundle = id ? CFBundleGetBundleWithIdentifier(id) : nullptr;
  if (id) CFRelease(id);
  if (!bundle) return;
  CFURLRef url = CFBundleCopyExecutableURL(bundle);
  const std::string path = PathOf(url);
  if (url) CFRelease(url);
  if (!path.empty()) pPath->Set(path.c_str());
}

void IGraphicsMac::PluginPath(KIT_String* pPath)
{
  if (!pPath) return;
  CFStringRef id = MakeCF(mBundleID.Get());
  CFBundleRef bundle = id ? CFBundleGetBundleWithIdentifier(id) : nullptr;
  if (id) CFRelease(id);
  if (!bundle) return;
  CFURLRef url = CFBundleCopyBundleURL(bundle);
  std::string path = PathOf(url);
  if (url) CFRelease(url);
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  if (path.empty()) return;
  std::string folder = FolderOf(path);
  if (folder.back() != '/') folder += '/';
  pPath->Set(folder.c_str());
}

void IGraphicsMac::DesktopPath(KIT_String* pPath)
{
  if (pPath) pPath->Set(StandardFolder(NSDesktopDirectory).c_str());
}

void IGraphicsMac::AppSupportPath(KIT_String* pPath)
{
  if (pPath) pPath->Set(StandardFolder(NSApplicationSupportDirectory).c_str());
}

void IGraphicsMac::PromptForFile(KIT_String* pFileName, EFileAction action, KIT_String* pDir, char* extensions)
{
  if (!pFileName) return;
  if (!WindowIsOpen())
  {
    pFileName->Set("");
    return;
  }
  NSAutoreleasePool pool;
  const std::string defaultName = pFileName->Get();
  if (pDir && !*pDir->Get()) pDir->Set("~/Desktop");
  const std::string defaultFolder = pDir ? pDir->Get() : "~/Desktop";
  pFileName->Set("");

  CFMutableArrayRef types = CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks);
  if (extensions)
  {
    // Split at single spaces: "wav aif" gives two types.
    std::string all = extensions;
    size_t start = 0;
    while (start <= all.size())
    {
      const size_t space = all.find(' ', start);
      const std::string word = all.substr(start, space == std::string::npos ? std::string::npos : space - start);
      if (!word.empty())
      {
        CFStringRef t = MakeCF(word.c_str());
        CFArrayAppendValue(types, t);
        CFRelease(t);
      }
      if (space == std::string::npos) break;
      start = space + 1;
    }
  }
  CFStringRef folderText = MakeCF(defaultFolder.c_str());
  CFStringRef folder = NSStringByExpandingTildeInPath(folderText);
  CFRelease(folderText);
  CFStringRef name = MakeCF(defaultName.c_str());
  CFArrayRef allowed = CFArrayGetCount(types) > 0 ? types : nullptr;

  NSModalResponse answer;
  CFStringRef chosen = nullptr;
  if (action == kFileSave)
  {
    NSSavePanel* panel = NSSavePanel::savePanel();
    panel->setAllowedFileTypes(allowed);
    panel->setAllowsOtherFileTypes(false);
    answer = panel->runModalForDirectory(folder, name);
    if (answer == NSModalResponseOK && panel->filename()) chosen = CFStringCreateCopy(nullptr, panel->filename());
  }
  else
  {
    NSOpenPanel* panel = NSOpenPanel::openPanel();
    panel->setCanChooseFiles(true);
    panel->setCanChooseDirectories(false);
    panel->setResolvesAliases(true);
    answer = panel->runModalForDirectory(folder, name, allowed);
    if (answer == NSModalResponseOK && panel->filename()) chosen = CFStringCreateCopy(nullptr, panel->filename());
  }
  CFRelease(types);
  if (folder) CFRelease(folder);
  if (name) CFRelease(name);
  if (!chosen) return;
  const std::string path = UTF8(chosen);
  CFRelease(chosen);
  pFileName->Set(path.c_str());
  if (pDir) pDir->Set((FolderOf(path) + (FolderOf(path) == "/" ? "" : "/")).c_str());
}

bool IGraphicsMac::PromptForColor(IColor*, char*) { return false; }

bool IGraphicsMac::OpenURL(const char* url, const char*, const char*, const char*)
{
  if (!url) return false;
  CFStringRef text = MakeCF(url);
  if (!text) return false;
  CFURLRef target = strstr(url, "http") ? CFURLCreateWithString(nullptr, text, nullptr)
                                        : CFURLCreateWithFileSystemPath(nullptr, text, kCFURLPOSIXPathStyle, false);
  CFRelease(text);
  // Nothing was opened, so the caller may try another address.
  if (!target) return false;
  const bool opened = NSWorkspace::sharedWorkspace()->openURL(target);
  CFRelease(target);
  return opened;
}

void* IGraphicsMac::OpenWindow(void* pParentView)
{
  CloseWindow();
  mView = new IGraphicsCocoa_vOrvanta_au(this);
  if (pParentView) static_cast<NSView*>(pParentView)->addSubview(mView);
  UpdateTooltips();
  return mView;
}

void IGraphicsMac::CloseWindow() { CloseView(true); }

void IGraphicsMac::CloseView(bool endGesture)
{
  if (!mView) return;
  IGraphicsCocoa_vOrvanta_au* view = mView;
  mView = nullptr;
  view->removeAllToolTips();
  view->killTimer();
  // A drag under way ends here, and the host hears the end of its gesture.
  if (endGesture) ReleaseMouseCapture();
  if (view->Graphics() == this)
  {
    view->detach();
    view->removeFromSuperview();
  }
  view->release();
}

void IGraphicsMac::AttachSubWindow(void* hostWindowRef)
{
  if (!hostWindowRef) return;
  NSWindow* host = static_cast<NSWindow*>(hostWindowRef);
  host->retain();
  host->setCanHide(true);
  host->setReleasedWhenClosed(true);
  const NSRect hostFrame = host->frame();
  NSRect frame = NSMakeRect(hostFrame.origin.x, hostFrame.origin.y, Width(), Height());
  if (hostFrame.size.width > Width()) frame.origin.x += std::floor((hostFrame.size.width - Width()) / 2);
  auto* child = new CustomCocoaWindow_vOrvanta_au(frame, NSWindowStyleMaskBorderless, NSBackingStoreBuffered, false);
  child->setOpaque(true);
  child->setCanHide(true);
  child->setHasShadow(false);
  child->setReleasedWhenClosed(true);
  OpenWindow(child->contentView());
  host->addChildWindow(child, NSWindowAbove);
  host->orderFront(nullptr);
  host->display();
  NSTimer* later = NSTimer::timerWithTimeInterval(0.05, false, [child](NSTimer*) { child->orderFront(nullptr); });
  NSRunLoop::currentRunLoop()->addTimer(later, NSRunLoopCommonModes);
  mHostWindow = host;
}

void IGraphicsMac::RemoveSubWindow()
{
  NSWindow* host = mHostWindow;
  if (!host) return;
  mHostWindow = nullptr;
  NSWindow* child = host->childWindows().empty() ? nullptr : host->childWindows().front();
  CloseWindow();
  if (child)
  {
    child->orderOut(nullptr);
    host->removeChildWindow(child);
    child->close();
  }
  host->orderOut(nullptr);
  host->close();
}

void IGraphicsMac::HideMouseCursor()
{
  if (mCursorHidden) return;
  NSCursor::hide();
  mCursorHidden = NSCursor::isHidden();
  const NSPoint p = NSEvent::mouseLocation();
  mCursorX = p.x;
  mCursorY = NSScreen::mainScreen()->frame().size.height - p.y;
}

void IGraphicsMac::ShowMouseCursor()
{
  if (!mCursorHidden) return;
  NSCursor::warpCursorPosition(CGPointMake(mCursorX, mCursorY));
  NSCursor::unhide();
  mCursorHidden = NSCursor::isHidden();
}

void IGraphicsMac::UpdateTooltips()
{
  if (!mView || !TooltipsEnabled()) return;
  mView->removeAllToolTips();
  for (int i = 0; i < GetNControls(); ++i)
  {
    IControl* c = GetControl(i);
    IRECT* r = c->GetTargetRECT();
    if (c->GetTooltip() && !c->IsHidden() && !r->Empty()) mView->registerToolTip(r);
  }
}

RAS_IBitmap* IGraphicsMac::OSLoadBitmap(int, const char* name)
{
  if (!name) return nullptr;
  const char* dot = strrchr(name, '.');
  if (!dot || strcasecmp(dot + 1, "png") != 0) return nullptr;
  NSAutoreleasePool pool;
  CFStringRef id = MakeCF(mBundleID.Get());
  CFBundleRef bundle = id ? CFBundleGetBundleWithIdentifier(id) : nullptr;
  if (id) CFRelease(id);
  if (!bundle) return nullptr;
  const char* slash = strrchr(name, '/');
  const std::string base(slash ? slash + 1 : name, dot);
  CFStringRef resource = MakeCF(base.c_str());
  CFURLRef url = resource ? CFBundleCopyResourceURL(bundle, resource, CFSTR("png"), nullptr) : nullptr;
  if (resource) CFRelease(resource);
  const std::string path = PathOf(url);
  if (url) CFRelease(url);
  if (path.empty()) return nullptr;
  return RAS_LoadPNG(path.c_str());
}

int IGraphicsMac::GetUserOSVersion()
{
  SInt32 version = 0;
  Gestalt(gestaltSystemVersion, &version);
  TRACE_F("GetUserOSVersion", "%x", (int)version);
  return (int)version;
}
