#pragma once

// What an LV2 host hands a plug-in at instantiation: a URID map (and unmap)
// and the options feature carrying the block lengths, as a null-terminated
// feature array.

#include <lv2/core/lv2.h>
#include <lv2/options/options.h>
#include <lv2/urid/urid.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class LV2Features
{
public:
  // maxBlock and nominalBlock of 0 leave that option out; withMap false leaves
  // out the URID map (and with it the options, which need it).
  explicit LV2Features(int maxBlock = 0, int nominalBlock = 0, bool withMap = true);
  LV2Features(const LV2Features&) = delete;
  LV2Features& operator=(const LV2Features&) = delete;

  const LV2_Feature* const* Get() const { return mList.data(); }
  LV2_URID Map(const char* uri);
  const char* Unmap(LV2_URID urid) const;
  LV2_URID_Map* MapFeature() { return &mMap; }
  LV2_URID_Unmap* UnmapFeature() { return &mUnmap; }
  // Adds a feature to the list (before the terminating null); data stays the caller's.
  void Add(const char* uri, void* data);

private:
  static LV2_URID MapProc(LV2_URID_Map_Handle handle, const char* uri);
  static const char* UnmapProc(LV2_URID_Unmap_Handle handle, LV2_URID urid);

  std::vector<std::string> mURIs;  // URID n is mURIs[n - 1]
  LV2_URID_Map mMap;
  LV2_URID_Unmap mUnmap;
  int32_t mMaxBlock = 0, mNominalBlock = 0, mMinBlock = 1;
  std::vector<LV2_Options_Option> mOptions;
  LV2_Feature mMapFeature, mUnmapFeature, mOptionsFeature, mBoundedFeature;
  std::vector<std::unique_ptr<LV2_Feature>> mExtra;
  std::vector<const LV2_Feature*> mList;
};
