// State through the LV2 state extension: what is stored, what a fresh
// instance makes of it, and what it refuses.

#include "LV2Features.h"
#include "effect/Orvanta.h"
#include "effect/OrvantaNoise.h"
#include "lv2/lv2.h"

#include <lv2/atom/atom.h>

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <vector>

namespace
{
enum Port : uint32_t { kLevel = 4, kDrive, kLow, kHigh, kChannel };

// A host's side of one saved state: the properties the plug-in stored.
struct Store
{
  struct Value
  {
    std::vector<unsigned char> bytes;
    uint32_t type = 0, flags = 0;
  };
  std::map<uint32_t, Value> values;

  static LV2_State_Status StoreProc(LV2_State_Handle handle, uint32_t key, const void* value, size_t size,
                                    uint32_t type, uint32_t flags)
  {
    Value& v = static_cast<Store*>(handle)->values[key];
    v.bytes.assign((const unsigned char*)value, (const unsigned char*)value + size);
    v.type = type;
    v.flags = flags;
    return LV2_STATE_SUCCESS;
  }
  static const void* RetrieveProc(LV2_State_Handle handle, uint32_t key, size_t* size, uint32_t* type,
                                  uint32_t* flags)
  {
    auto& values = static_cast<Store*>(handle)->values;
    auto it = values.find(key);
    if (it == values.end()) return nullptr;
    *size = it->second.bytes.size();
    *type = it->second.type;
    *flags = it->second.flags;
    // An empty value is still there, as a host hands it over.
    static const unsigned char kEmpty = 0;
    return it->second.bytes.empty() ? &kEmpty : it->second.bytes.data();
  }
};

struct Instance
{
  Instance()
  {
    OrvantaNoise::_rand_state = 1;
    desc = lv2_descriptor(0);
    handle = desc->instantiate(desc, 48000, "", features.Get());
    state = static_cast<const LV2_State_Interface*>(desc->extension_data(LV2_STATE__interface));
    for (uint32_t p = kLevel; p <= kChannel; ++p) desc->connect_port(handle, p, &controls[p - kLevel]);
  }
  ~Instance() { desc->cleanup(handle); }

  IFxLV2* Plug() const { return static_cast<IFxLV2*>(handle); }
  LV2_State_Status Save(Store* s) { return state->save(handle, Store::StoreProc, s, 0, features.Get()); }
  LV2_State_Status Restore(Store* s) { return state->restore(handle, Store::RetrieveProc, s, 0, features.Get()); }
  void Run() { desc->run(handle, 0); }
  std::vector<double> Values() const
  {
    std::vector<double> v;
    for (int i = 0; i < Plug()->NParams(); ++i) v.push_back(Plug()->GetParam(i)->Value());
    return v;
  }

  LV2Features features{512};
  const LV2_Descriptor* desc = nullptr;
  LV2_Handle handle = nullptr;
  const LV2_State_Interface* state = nullptr;
  float controls[5] = {0.5f, 0.5f, 0.5f, 0.5f, 1.0f};
};

std::vector<unsigned char> LittleEndianDoubles(std::initializer_list<double> values)
{
  std::vector<unsigned char> bytes;
  for (double v : values)
  {
    uint64_t bits;
    memcpy(&bits, &v, 8);
    for (int i = 0; i < 8; ++i) bytes.push_back((unsigned char)(bits >> (8 * i)));
  }
  return bytes;
}
}  // namespace

// Catches a stored state that is not the Audio Unit's chunk (five little-endian
// doubles in parameter order, as an atom:Chunk), and a restore that does not
// reproduce it byte for byte in a fresh instance.
TEST(LV2State, SaveRestoreSaveIsByteIdentical)
{
  Instance a;
  a.controls[kDrive - kLevel] = 0.25f;
  a.controls[kChannel - kLevel] = 0.0f;
  a.Run();
  Store saved;
  ASSERT_EQ(a.Save(&saved), LV2_STATE_SUCCESS);
  const uint32_t key = a.features.Map(IFxLV2::StateKeyURI());
  ASSERT_EQ(saved.values.size(), 1u);
  const Store::Value& v = saved.values[key];
  EXPECT_EQ(v.type, a.features.Map(LV2_ATOM__Chunk));
  EXPECT_TRUE(v.flags & LV2_STATE_IS_POD);
  EXPECT_EQ(v.bytes, LittleEndianDoubles({0.5, 0.25, 0.5, 0.5, 0.0}));

  Instance b;
  ASSERT_EQ(b.Restore(&saved), LV2_STATE_SUCCESS);
  Store again;
  ASSERT_EQ(b.Save(&again), LV2_STATE_SUCCESS);
  EXPECT_EQ(again.values[key].bytes, v.bytes);
  // The restored values hold until the host writes something new to a port.
  b.Run();
  EXPECT_EQ(b.Plug()->GetParam(Orvanta::kDrive)->Value(), 0.25);
  b.controls[kLow - kLevel] = 0.75f;
  b.Run();
  EXPECT_EQ(b.Values(), (std::vector<double>{0.5, 0.25, 0.75, 0.5, 0.0}));
}

// Catches a corrupt state that is applied in part (a chunk cut short sets some
// parameters and the next to its minimum), one with trailing bytes taken as
// ours, one of another type or a missing one accepted: each is refused and
// neither the parameters nor any filter coefficient or state change.
TEST(LV2State, CorruptStateIsRefusedWithoutChangingThePlugIn)
{
  Instance inst;
  inst.controls[kLow - kLevel] = 0.9f;
  inst.Run();
  const std::vector<double> values = inst.Values();
  const auto* orvanta = dynamic_cast<const Orvanta*>(inst.Plug());
  ASSERT_NE(orvanta, nullptr);
  std::vector<unsigned char> bank(sizeof(AuDSP));
  memcpy(bank.data(), &orvanta->Chain().Bank(), sizeof(AuDSP));

  const uint32_t key = inst.features.Map(IFxLV2::StateKeyURI());
  const uint32_t chunk = inst.features.Map(LV2_ATOM__Chunk);
  const std::vector<unsigned char> good = LittleEndianDoubles({0.1, 0.2, 0.3, 0.4, 0.0});
  struct Case
  {
    const char* what;
    std::vector<unsigned char> bytes;
    uint32_t type;
    bool present;
    LV2_State_Status expected;
  } cases[] = {
    {"cut short", std::vector<unsigned char>(good.begin(), good.begin() + 24), chunk, true, LV2_STATE_ERR_UNKNOWN},
    {"trailing bytes", LittleEndianDoubles({0.1, 0.2, 0.3, 0.4, 0.0, 7.0}), chunk, true, LV2_STATE_ERR_UNKNOWN},
    {"empty", {}, chunk, true, LV2_STATE_ERR_UNKNOWN},
    {"another type", good, inst.features.Map(LV2_ATOM__String), true, LV2_STATE_ERR_BAD_TYPE},
    {"missing", good, chunk, false, LV2_STATE_ERR_NO_PROPERTY},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.what);
    Store s;
    if (c.present) s.values[key] = {c.bytes, c.type, LV2_STATE_IS_POD};
    EXPECT_EQ(inst.Restore(&s), c.expected);
    EXPECT_EQ(inst.Values(), values);
    EXPECT_EQ(0, memcmp(bank.data(), &orvanta->Chain().Bank(), sizeof(AuDSP)));
  }
}

// Catches state calls that crash or claim success when the host gave no URID map.
TEST(LV2State, WithoutAURIDMapStateIsUnavailable)
{
  OrvantaNoise::_rand_state = 1;
  LV2Features none(0, 0, false);
  const LV2_Descriptor* d = lv2_descriptor(0);
  LV2_Handle h = d->instantiate(d, 48000, "", none.Get());
  ASSERT_NE(h, nullptr);
  auto* state = static_cast<const LV2_State_Interface*>(d->extension_data(LV2_STATE__interface));
  Store s;
  EXPECT_EQ(state->save(h, Store::StoreProc, &s, 0, none.Get()), LV2_STATE_ERR_NO_FEATURE);
  EXPECT_EQ(state->restore(h, Store::RetrieveProc, &s, 0, none.Get()), LV2_STATE_ERR_NO_FEATURE);
  EXPECT_TRUE(s.values.empty());
  d->cleanup(h);
}
