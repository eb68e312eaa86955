#pragma once

// A host's side of the LV2 UI extension, as the UI tests need it: loads the
// editor's UI binary from the built bundle through lv2ui_descriptor,
// instantiates it with a features list it builds (ui:parent when given,
// ui:resize, ui:touch), asks for the idle interface, and records every port
// write, touch and resize request the UI makes.

#include <lv2/ui/ui.h>

#include <cstdint>
#include <string>
#include <vector>

class LV2UIHost
{
public:
  struct Write
  {
    uint32_t port;
    float value;
  };
  struct Touch
  {
    uint32_t port;
    bool grabbed;
  };

  ~LV2UIHost();
  // Loads the binary and instantiates the UI; parent 0 offers no ui:parent.
  // False with *error set when any step fails.
  bool Open(const std::string& uiBinary, const char* uri, uintptr_t parent, std::string* error);
  // The float value for a control port, as a host sends it.
  void PortEvent(uint32_t port, float value);
  void PortEventRaw(uint32_t port, uint32_t size, uint32_t format, const void* buffer);
  int Idle();
  void Close();

  LV2UI_Widget Widget() const { return mWidget; }
  std::vector<Write> writes;
  std::vector<Touch> touches;
  int resizedWidth = 0, resizedHeight = 0;

private:
  static void WriteProc(LV2UI_Controller controller, uint32_t port, uint32_t size, uint32_t protocol,
                        const void* buffer);
  static void TouchProc(LV2UI_Feature_Handle handle, uint32_t port, bool grabbed);
  static int ResizeProc(LV2UI_Feature_Handle handle, int width, int height);

  void* mLib = nullptr;
  const LV2UI_Descriptor* mDesc = nullptr;
  const LV2UI_Idle_Interface* mIdle = nullptr;
  LV2UI_Handle mHandle = nullptr;
  LV2UI_Widget mWidget = nullptr;
  LV2UI_Touch mTouch{};
  LV2UI_Resize mResize{};
};
