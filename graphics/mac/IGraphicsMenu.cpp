#include "graphics/mac/IGraphicsMenu.h"

#include "graphics/IPopupMenu.h"

#include <cstdio>

void IGraphicsNSMenu_vOrvanta_au::ItemTitle(int prefix, int i, const char* text, char* out, int outLen)
{
  const char* format = prefix == 1 ? "%1d: %s" : prefix == 2 ? "%02d: %s" : prefix == 3 ? "%03d: %s" : nullptr;
  if (format)
    snprintf(out, (size_t)outLen, format, i, text ? text : "");
  else
    snprintf(out, (size_t)outLen, "%s", text ? text : "");
}

IGraphicsNSMenu_vOrvanta_au::IGraphicsNSMenu_vOrvanta_au(IPopupMenu* pMenu, IGraphicsMenuRcvr_vOrvanta_au* pReceiver)
  : NSMenu(CFSTR("")), mIPopupMenu(pMenu)
{
  setAutoenablesItems(false);
  const int n = pMenu->GetNItems();
  for (int i = 0; i < n; ++i)
  {
    const IPopupMenuItem* src = pMenu->GetItem(i);
    if (src->GetIsSeparator())
    {
      addItem(NSMenuItem::separatorItem());
      continue;
    }
    char title[1024];
    ItemTitle(pMenu->GetPrefix(), i + 1, src->GetText(), title, sizeof(title));
    CFStringRef cfTitle = CFStringCreateWithCString(nullptr, title, kCFStringEncodingUTF8);
    NSMenuItem* item;
    if (src->GetSubmenu())
    {
      item = new NSMenuItem(cfTitle, nullptr, CFSTR(""));
      auto* sub = new IGraphicsNSMenu_vOrvanta_au(src->GetSubmenu(), pReceiver);
      item->setSubmenu(sub);
      sub->release();
    }
    else
    {
      item = new NSMenuItem(cfTitle, [pReceiver](NSMenuItem* sender) { pReceiver->OnMenuSelection(sender); },
                            CFSTR(""));
      if (src->GetIndented()) item->setIndentationLevel(1);
      item->setState(src->GetChecked() ? NSControlStateValueOn : NSControlStateValueOff);
      item->setEnabled(src->GetEnabled());
    }
    if (cfTitle) CFRelease(cfTitle);
    addItem(item);
    item->release();
  }
}

NS_REGISTER_CLASS(IGraphicsMenuRcvr_vOrvanta_au, NSView);
// Menus are no views: registered under the root class.
NS_REGISTER_CLASS(IGraphicsNSMenu_vOrvanta_au, NSObject);
