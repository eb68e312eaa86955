#include "plugin/IPreset.h"

#include "plugin/IParam.h"

IPreset::IPreset()
{
  memset(mName, 0, sizeof(mName));
  SetName("empty");
}

void IPreset::SetName(const char* name)
{
  CopyTextField(mName, MAX_PRESET_NAME_LEN, name);
}
