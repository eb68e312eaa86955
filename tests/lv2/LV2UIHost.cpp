#include "LV2UIHost.h"

#include <dlfcn.h>

#include <cmath>
#include <cstring>

LV2UIHost::~LV2UIHost() { Close(); }

bool LV2UIHost::Open(const std::string& uiBinary, const char* uri, uintptr_t parent, std::string* error)
{
  mLib = dlopen(uiBinary.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!mLib)
  {
    *error = dlerror();
    return false;
  }
  auto entry = (LV2UI_DescriptorFunction)dlsym(mLib, "lv2ui_descriptor");
  mDesc = entry ? entry(0) : nullptr;
  if (!mDesc || strcmp(mDesc->URI, uri) != 0)
  {
    *error = "no UI with URI " + std::string(uri);
    return false;
  }
  mIdle = mDesc->extension_data ? (const LV2UI_Idle_Interface*)mDesc->extension_data(LV2_UI__idleInterface) : nullptr;
  if (!mIdle)
  {
    *error = "the UI offers no idle interface";
    return false;
  }
  mTouch = {this, TouchProc};
  mResize = {this, ResizeProc};
  LV2_Feature parentFeature{LV2_UI__parent, (void*)parent};
  LV2_Feature touchFeature{LV2_UI__touch, &mTouch};
  LV2_Feature resizeFeature{LV2_UI__resize, &mResize};
  LV2_Feature idleFeature{LV2_UI__idleInterface, nullptr};
  std::vector<const LV2_Feature*> features{&touchFeature, &resizeFeature, &idleFeature};
  if (parent) features.push_back(&parentFeature);
  features.push_back(nullptr);
  const std::string bundle = uiBinary.substr(0, uiBinary.rfind('/') + 1);
  mHandle = mDesc->instantiate(mDesc, uri, bundle.c_str(), WriteProc, this, &mWidget, features.data());
  if (!mHandle) *error = "the UI could not be instantiated";
  return mHandle != nullptr;
}

void LV2UIHost::PortEvent(uint32_t port, float value) { PortEventRaw(port, sizeof value, 0, &value); }

void LV2UIHost::PortEventRaw(uint32_t port, uint32_t size, uint32_t format, const void* buffer)
{
  mDesc->port_event(mHandle, port, size, format, buffer);
}

int LV2UIHost::Idle() { return mIdle->idle(mHandle); }

void LV2UIHost::Close()
{
  if (mHandle) mDesc->cleanup(mHandle);
  mHandle = nullptr;
  // The UI's window system stays loaded with the process, as in a real host
  // that keeps a UI library once used.
}

void LV2UIHost::WriteProc(LV2UI_Controller controller, uint32_t port, uint32_t size, uint32_t protocol,
                          const void* buffer)
{
  // A write that is not one float on a control port shows up as NaN.
  float v = NAN;
  if (protocol == 0 && size == sizeof(float)) memcpy(&v, buffer, sizeof v);
  static_cast<LV2UIHost*>(controller)->writes.push_back({port, v});
}

void LV2UIHost::TouchProc(LV2UI_Feature_Handle handle, uint32_t port, bool grabbed)
{
  static_cast<LV2UIHost*>(handle)->touches.push_back({port, grabbed});
}

int LV2UIHost::ResizeProc(LV2UI_Feature_Handle handle, int width, int height)
{
  auto* host = static_cast<LV2UIHost*>(handle);
  host->resizedWidth = width;
  host->resizedHeight = height;
  return 0;
}
