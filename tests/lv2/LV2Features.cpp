#include "LV2Features.h"

#include <lv2/atom/atom.h>
#include <lv2/buf-size/buf-size.h>

LV2Features::LV2Features(int maxBlock, int nominalBlock, bool withMap)
  : mMap{this, MapProc}, mUnmap{this, UnmapProc}, mMaxBlock(maxBlock), mNominalBlock(nominalBlock)
{
  mMapFeature = {LV2_URID__map, &mMap};
  mUnmapFeature = {LV2_URID__unmap, &mUnmap};
  mBoundedFeature = {LV2_BUF_SIZE__boundedBlockLength, nullptr};
  if (withMap)
  {
    mList.push_back(&mMapFeature);
    mList.push_back(&mUnmapFeature);
    const LV2_URID atomInt = Map(LV2_ATOM__Int);
    auto add = [&](const char* key, const int32_t* value) {
      mOptions.push_back({LV2_OPTIONS_INSTANCE, 0, Map(key), sizeof(int32_t), atomInt, value});
    };
    if (maxBlock > 0)
    {
      add(LV2_BUF_SIZE__minBlockLength, &mMinBlock);
      add(LV2_BUF_SIZE__maxBlockLength, &mMaxBlock);
    }
    if (nominalBlock > 0) add(LV2_BUF_SIZE__nominalBlockLength, &mNominalBlock);
    mOptions.push_back({LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr});
    mOptionsFeature = {LV2_OPTIONS__options, mOptions.data()};
    mList.push_back(&mOptionsFeature);
    if (maxBlock > 0) mList.push_back(&mBoundedFeature);
  }
  mList.push_back(nullptr);
}

LV2_URID LV2Features::Map(const char* uri)
{
  for (size_t i = 0; i < mURIs.size(); ++i)
    if (mURIs[i] == uri) return (LV2_URID)(i + 1);
  mURIs.emplace_back(uri);
  return (LV2_URID)mURIs.size();
}

const char* LV2Features::Unmap(LV2_URID urid) const
{
  return urid >= 1 && urid <= mURIs.size() ? mURIs[urid - 1].c_str() : nullptr;
}

LV2_URID LV2Features::MapProc(LV2_URID_Map_Handle handle, const char* uri)
{
  return static_cast<LV2Features*>(handle)->Map(uri);
}

const char* LV2Features::UnmapProc(LV2_URID_Unmap_Handle handle, LV2_URID urid)
{
  return static_cast<LV2Features*>(handle)->Unmap(urid);
}

void LV2Features::Add(const char* uri, void* data)
{
  mExtra.push_back(std::make_unique<LV2_Feature>(LV2_Feature{uri, data}));
  mList.back() = mExtra.back().get();
  mList.push_back(nullptr);
}
