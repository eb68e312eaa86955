#include "lv2/ui/IFxLV2UI.h"

#include <AppKit/AppKit.h>

#include <cstring>
#include <new>

#include "graphics/graphics.h"

namespace
{
const void* FindFeature(const LV2_Feature* const* features, const char* uri)
{
  for (const LV2_Feature* const* f = features; f && *f; ++f)
    if (!strcmp((*f)->URI, uri)) return (*f)->data;
  return nullptr;
}

// ---- the descriptor's functions, with LV2's own parameter types ----

IFxLV2UI::MakeUIPlugFn gMake = nullptr;

LV2UI_Handle UIInstantiate(const LV2UI_Descriptor*, const char*, const char*, LV2UI_Write_Function write,
                           LV2UI_Controller controller, LV2UI_Widget* widget, const LV2_Feature* const* features)
{
  return IFxLV2UI::Create(gMake, write, controller, widget, features);
}

void UICleanup(LV2UI_Handle ui) { delete static_cast<IFxLV2UI*>(ui); }

void UIPortEvent(LV2UI_Handle ui, uint32_t port, uint32_t bufferSize, uint32_t format, const void* buffer)
{
  static_cast<IFxLV2UI*>(ui)->PortEvent(port, bufferSize, format, buffer);
}

int UIIdle(LV2UI_Handle ui) { return static_cast<IFxLV2UI*>(ui)->Idle(); }

const LV2UI_Idle_Interface kIdle = {UIIdle};

const void* UIExtensionData(const char* uri)
{
  if (!strcmp(uri, LV2_UI__idleInterface)) return &kIdle;
  return nullptr;
}

LV2UI_Descriptor gDescriptor = {nullptr, UIInstantiate, UICleanup, UIPortEvent, UIExtensionData};
}  // namespace

const LV2UI_Descriptor* IFxLV2UI::GetDescriptor(uint32_t index, const char* uri, MakeUIPlugFn make)
{
  if (index != 0) return nullptr;
  gDescriptor.URI = uri;
  gMake = make;
  return &gDescriptor;
}

IFxLV2UI::IFxLV2UI(LV2UI_Write_Function write, LV2UI_Controller controller)
    : mWrite(write), mController(controller)
{
}

IFxLV2UI* IFxLV2UI::Create(MakeUIPlugFn make, LV2UI_Write_Function write, LV2UI_Controller controller,
                           LV2UI_Widget* widget, const LV2_Feature* const* features)
{
  if (!make || !write || !widget) return nullptr;
  NSApplicationLoad();
  NSAutoreleasePool pool;
  IFxLV2UI* ui = new (std::nothrow) IFxLV2UI(write, controller);
  if (!ui) return nullptr;
  ui->mTouch = static_cast<const LV2UI_Touch*>(FindFeature(features, LV2_UI__touch));
  ui->mPlug = make(ui);
  IGraphics* graphics = ui->mPlug ? ui->mPlug->GetGUI() : nullptr;
  if (!graphics)
  {
    delete ui;
    return nullptr;
  }
  ui->mPorts = new LV2PortLayout(*ui->mPlug);
  const int w = graphics->Width(), h = graphics->Height();
  const uintptr_t parent = (uintptr_t)FindFeature(features, LV2_UI__parent);
  // Left to the implementer: without ui:parent the editor gets a borderless
  // top-level window of its own, which the host may reparent through the
  // widget id it is given.
  if (parent)
    ui->mWindow = new NSWindow(parent, NSMakeRect(0, 0, w, h));
  else
  {
    ui->mWindow = new NSWindow(NSMakeRect(0, 0, w, h), NSWindowStyleMaskBorderless, NSBackingStoreBuffered, false);
    ui->mWindow->orderFront(nullptr);
  }
  ui->mWindow->setReleasedWhenClosed(false);
  ui->mView = static_cast<NSView*>(graphics->OpenWindow(ui->mWindow->contentView()));
  if (!ui->mView)
  {
    delete ui;
    return nullptr;
  }
  ui->mWindow->makeFirstResponder(ui->mView);
  ui->mWindow->display();
  if (auto* resize = static_cast<const LV2UI_Resize*>(FindFeature(features, LV2_UI__resize)))
    resize->ui_resize(resize->handle, w, h);
  *widget = (LV2UI_Widget)ui->mWindow->windowRef();
  return ui;
}

IFxLV2UI::~IFxLV2UI()
{
  NSAutoreleasePool pool;
  // Taking the view out of its window closes the editor and stops its timer.
  if (mView) mView->removeFromSuperview();
  if (mWindow)
  {
    mWindow->close();
    mWindow->release();
  }
  delete mPorts;
  delete mPlug;
}

void IFxLV2UI::PortEvent(uint32_t port, uint32_t bufferSize, uint32_t format, const void* buffer)
{
  int paramIdx = -1;
  if (format != 0 || bufferSize < sizeof(float) || !buffer) return;
  if (mPorts->Classify(port, &paramIdx) != LV2PortLayout::kControlIn) return;
  IParam* param = mPlug->GetParam(paramIdx);
  IGraphics* graphics = mPlug->GetGUI();
  if (!param || !graphics) return;
  float value;
  memcpy(&value, buffer, sizeof value);
  {
    KIT_MutexLock lock(mPlug->GetMutex());
    param->Set(value);
  }
  graphics->SetParameterFromPlug(paramIdx, param->GetNormalized(), true);
}

int IFxLV2UI::Idle()
{
  NSAutoreleasePool pool;
  NSRunLoop::currentRunLoop()->runMode(NSDefaultRunLoopMode, NSDate::date());
  return 0;
}

void IFxLV2UI::ParamGestureBegin(int paramIdx)
{
  if (mTouch && paramIdx >= 0 && paramIdx < mPorts->NControls())
    mTouch->touch(mTouch->handle, mPorts->ControlPort(paramIdx), true);
}

void IFxLV2UI::ParamChangedFromGUI(int paramIdx)
{
  const IParam* param = mPlug->GetParam(paramIdx);
  if (!param || paramIdx >= mPorts->NControls()) return;
  const float value = (float)param->Value();
  mWrite(mController, mPorts->ControlPort(paramIdx), sizeof value, 0, &value);
}

void IFxLV2UI::ParamGestureEnd(int paramIdx)
{
  if (mTouch && paramIdx >= 0 && paramIdx < mPorts->NControls())
    mTouch->touch(mTouch->handle, mPorts->ControlPort(paramIdx), false);
}
