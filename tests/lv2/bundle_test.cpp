// build/Orvanta.lv2 as LV2 hosts and tools see it: loaded through lilv from
// the Turtle the build wrote, checked by lv2_validate against LV2's own vocabulary and
// lilv's tools, rendered by lv2apply and by a block host at several block
// sizes against orvanta-render (the Audio Unit build), and installed.

#include "HostTestSupport.h"
#include "LV2BlockHost.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <lv2/presets/presets.h>
#include <lv2/ui/ui.h>
#include <lv2/state/state.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <map>

using namespace hosttest;

namespace
{
const char kURI[] = IFXLV2_PLUGIN_URI;

// A plug-in built with AddressSanitizer loads only into programs built with it.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kAddressSanitized = true;
#else
constexpr bool kAddressSanitized = false;
#endif
#else
constexpr bool kAddressSanitized = false;
#endif

std::string Bundle() { return BuildDir() + "/Orvanta.lv2"; }

bool HaveTool(const char* name)
{
  for (const char* dir : {"/usr/bin/", "/usr/local/bin/"})
    if (access((std::string(dir) + name).c_str(), X_OK) == 0) return true;
  return false;
}

// LV2_PATH holds only a folder linking to the built bundle, so hosts and tools
// see it and nothing else of the build folder.
class LV2BundleTest : public ::testing::Test
{
protected:
  static void SetUpTestSuite()
  {
    sPath = new TempDir;
    ASSERT_EQ(0, symlink(Bundle().c_str(), (*sPath / "Orvanta.lv2").c_str()));
    setenv("LV2_PATH", sPath->Path().c_str(), 1);
    UseBuiltComponent();
  }
  static void TearDownTestSuite()
  {
    delete sPath;
    sPath = nullptr;
  }
  static TempDir* sPath;
  TempDir dir;
};
TempDir* LV2BundleTest::sPath = nullptr;

// Renders a file through the block host, blocks of `block` frames, with the
// given control values; two output channels, like orvanta-render.
Audio RenderThroughHost(const Audio& in, int block, const std::map<std::string, float>& controls)
{
  LV2BlockHost::World world;
  LV2BlockHost host(world, kURI, in.rate, block);
  EXPECT_EQ(host.Error(), "");
  for (const auto& c : controls) EXPECT_TRUE(host.SetControl(c.first.c_str(), c.second)) << c.first;
  Audio out;
  out.rate = in.rate;
  out.channels = 2;
  out.samples.resize(in.Frames() * 2);
  std::vector<float> inL(block), inR(block), outL(block), outR(block);
  for (size_t pos = 0; pos < in.Frames(); pos += (size_t)block)
  {
    const uint32_t n = (uint32_t)std::min<size_t>((size_t)block, in.Frames() - pos);
    for (uint32_t i = 0; i < n; ++i)
    {
      inL[i] = in.At(pos + i, 0);
      inR[i] = in.channels > 1 ? in.At(pos + i, 1) : 0.0f;
    }
    const float* ins[2] = {inL.data(), in.channels > 1 ? inR.data() : nullptr};
    float* outs[2] = {outL.data(), outR.data()};
    host.Run(ins, outs, n);
    for (uint32_t i = 0; i < n; ++i)
    {
      out.samples[(pos + i) * 2] = outL[i];
      out.samples[(pos + i) * 2 + 1] = outR[i];
    }
  }
  return out;
}

size_t Differences(const Audio& a, const Audio& b)
{
  if (a.samples.size() != b.samples.size()) return SIZE_MAX;
  size_t n = 0;
  for (size_t i = 0; i < a.samples.size(); ++i) n += memcmp(&a.samples[i], &b.samples[i], sizeof(float)) != 0;
  return n;
}
}  // namespace

// Catches a shared object that exports more than lv2_descriptor (the effect's
// and the framework's symbols would clash with other plug-ins in a host).
TEST_F(LV2BundleTest, ExportsOnlyTheDescriptor)
{
  void* so = dlopen((Bundle() + "/Orvanta.so").c_str(), RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(so, nullptr) << dlerror();
  EXPECT_NE(dlsym(so, "lv2_descriptor"), nullptr);
  for (const char* hidden : {"_Z8MakePlugv", "_ZN6IFxLV23RunEj", "_ZN12OrvantaChain4InitEddd"})
    EXPECT_EQ(dlsym(so, hidden), nullptr) << hidden;
  dlclose(so);
}

// Catches Turtle that breaks LV2's own vocabulary rules (wrong
// properties, ranges or types), as lv2_validate reads it.
TEST_F(LV2BundleTest, ValidatorAcceptsTheDescription)
{
  if (!HaveTool("lv2_validate") || !HaveTool("sord_validate")) GTEST_SKIP() << "lv2_validate (lv2-dev, sordi) is not installed";
  const RunResult r = hosttest::Run({"/usr/bin/lv2_validate", Bundle() + "/manifest.ttl", Bundle() + "/Orvanta.ttl"});
  EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
  EXPECT_NE((r.out + r.err).find("Found 0 errors"), std::string::npos) << r.out << r.err;
}

// Catches an editor hosts cannot find: no ui:ui on the plug-in, a UI of
// another type, a binary that is not where the description says, or idle
// calls the UI needs but does not require.
TEST_F(LV2BundleTest, DescriptionOffersTheEditorAsAnX11UI)
{
  LV2BlockHost::World world;
  const LilvPlugin* plugin = world.Find(kURI);
  ASSERT_NE(plugin, nullptr);
  LilvWorld* w = world.Get();
  LilvUIs* uis = lilv_plugin_get_uis(plugin);
  ASSERT_EQ(1u, lilv_uis_size(uis));
  const LilvUI* ui = lilv_uis_get(uis, lilv_uis_begin(uis));
  EXPECT_EQ(std::string(kURI) + "#ui", lilv_node_as_uri(lilv_ui_get_uri(ui)));
  LilvNode* x11 = lilv_new_uri(w, LV2_UI__X11UI);
  EXPECT_TRUE(lilv_ui_is_a(ui, x11));
  char* binary = lilv_file_uri_parse(lilv_node_as_uri(lilv_ui_get_binary_uri(ui)), nullptr);
  ASSERT_NE(nullptr, binary);
  void* lib = dlopen(binary, RTLD_NOW | RTLD_LOCAL);
  EXPECT_NE(nullptr, lib) << binary << ": " << dlerror();
  EXPECT_NE(nullptr, lib ? dlsym(lib, "lv2ui_descriptor") : nullptr);
  LilvNode* required = lilv_new_uri(w, LV2_CORE__requiredFeature);
  LilvNode* idle = lilv_new_uri(w, LV2_UI__idleInterface);
  EXPECT_TRUE(lilv_world_ask(w, lilv_ui_get_uri(ui), required, idle));
  lilv_free(binary);
  lilv_node_free(idle);
  lilv_node_free(required);
  lilv_node_free(x11);
  lilv_uis_free(uis);
}

// Catches a bundle lilv's tools cannot find, or a description missing a port or preset.
TEST_F(LV2BundleTest, LilvToolsListAndDescribeIt)
{
  if (!HaveTool("lv2ls") || !HaveTool("lv2info")) GTEST_SKIP() << "lv2ls and lv2info (lilv-utils) are not installed";
  const RunResult ls = hosttest::Run({"/usr/bin/lv2ls"});
  EXPECT_EQ(ls.out, std::string(kURI) + "\n") << ls.err;
  const RunResult info = hosttest::Run({"/usr/bin/lv2info", kURI});
  ASSERT_EQ(info.exitCode, 0) << info.err;
  for (const char* text : {"Name:              Orvanta", "Has latency:       yes, reported by port 9", "in_l", "in_r",
                           "out_l", "out_r", "level", "drive", "low", "high", "channel", "latency", "Dirty", "Clean",
                           "Init", "http://lv2plug.in/ns/ext/state#interface", "lv2core#hardRTCapable"})
    EXPECT_NE(info.out.find(text), std::string::npos) << text;
}

// Catches ranges, defaults, port kinds, value labels or presets in the
// Turtle that differ from the effect's own (hand-copied from its definition).
TEST_F(LV2BundleTest, DescriptionCarriesTheParametersAndPresets)
{
  LV2BlockHost::World world;
  const LilvPlugin* plugin = world.Find(kURI);
  ASSERT_NE(plugin, nullptr);
  LilvWorld* w = world.Get();
  ASSERT_EQ(lilv_plugin_get_num_ports(plugin), 10u);
  float mins[10], maxs[10], defs[10];
  lilv_plugin_get_port_ranges_float(plugin, mins, maxs, defs);
  const float wantDefs[] = {0.5f, 0.5f, 0.5f, 0.5f, 1.0f};
  for (int p = 4; p < 9; ++p)
  {
    EXPECT_EQ(mins[p], 0.0f) << p;
    EXPECT_EQ(maxs[p], 1.0f) << p;
    EXPECT_EQ(defs[p], wantDefs[p - 4]) << p;
  }
  LilvNode* integer = lilv_new_uri(w, LV2_CORE__integer);
  LilvNode* enumeration = lilv_new_uri(w, LV2_CORE__enumeration);
  LilvNode* optional = lilv_new_uri(w, LV2_CORE__connectionOptional);
  const LilvPort* channel = lilv_plugin_get_port_by_index(plugin, 8);
  EXPECT_TRUE(lilv_port_has_property(plugin, channel, integer));
  EXPECT_TRUE(lilv_port_has_property(plugin, channel, enumeration));
  EXPECT_FALSE(lilv_port_has_property(plugin, lilv_plugin_get_port_by_index(plugin, 5), integer));
  EXPECT_FALSE(lilv_port_has_property(plugin, lilv_plugin_get_port_by_index(plugin, 0), optional));
  EXPECT_TRUE(lilv_port_has_property(plugin, lilv_plugin_get_port_by_index(plugin, 1), optional));
  std::map<float, std::string> labels;
  LilvScalePoints* points = lilv_port_get_scale_points(plugin, channel);
  LILV_FOREACH (scale_points, i, points)
  {
    const LilvScalePoint* sp = lilv_scale_points_get(points, i);
    labels[lilv_node_as_float(lilv_scale_point_get_value(sp))] = lilv_node_as_string(lilv_scale_point_get_label(sp));
  }
  lilv_scale_points_free(points);
  EXPECT_EQ(labels, (std::map<float, std::string>{{0.0f, "Clean"}, {1.0f, "Dirty"}}));
  EXPECT_EQ(lilv_plugin_get_latency_port_index(plugin), 9u);
  lilv_node_free(integer);
  lilv_node_free(enumeration);
  lilv_node_free(optional);

  // Level, Drive, Low, High, Channel of each factory preset.
  std::map<std::string, std::vector<float>> want = {{"Dirty", {0.5f, 0.3f, 0.5f, 0.5f, 1.0f}},
                                                    {"Clean", {0.5f, 0.1f, 0.5f, 0.5f, 0.0f}},
                                                    {"Init", {0.5f, 0.5f, 0.5f, 0.5f, 1.0f}}};
  std::map<std::string, std::vector<float>> got;
  LV2Features features;
  LilvNode* presetClass = lilv_new_uri(w, LV2_PRESETS__Preset);
  LilvNodes* presets = lilv_plugin_get_related(plugin, presetClass);
  LILV_FOREACH (nodes, i, presets)
  {
    const LilvNode* preset = lilv_nodes_get(presets, i);
    lilv_world_load_resource(w, preset);
    LilvState* state = lilv_state_new_from_world(w, features.MapFeature(), preset);
    ASSERT_NE(state, nullptr);
    std::vector<float> values(5, -1.0f);
    lilv_state_emit_port_values(
      state,
      [](const char* symbol, void* data, const void* value, uint32_t, uint32_t) {
        static const char* const kSymbols[] = {"level", "drive", "low", "high", "channel"};
        for (int p = 0; p < 5; ++p)
          if (strcmp(symbol, kSymbols[p]) == 0) (*static_cast<std::vector<float>*>(data))[p] = *(const float*)value;
      },
      &values);
    got[lilv_state_get_label(state)] = values;
    lilv_state_free(state);
  }
  lilv_nodes_free(presets);
  lilv_node_free(presetClass);
  EXPECT_EQ(got, want);
}

// Catches output that differs from the Audio Unit build's for the same
// settings: lv2apply runs one frame at a time, so it matches orvanta-render's
// one-frame blocks sample for sample.
TEST_F(LV2BundleTest, Lv2applyRendersWhatOrvantaRenderDoes)
{
  if (!HaveTool("lv2apply")) GTEST_SKIP() << "lv2apply (lilv-utils) is not installed";
  if (kAddressSanitized) GTEST_SKIP() << "lv2apply cannot load a plug-in built with AddressSanitizer";
  const std::string in = dir / "in.wav", lv2 = dir / "lv2.wav", au = dir / "au.wav";
  ASSERT_TRUE(WriteAudio(in, TestSignal(48000, 2, 0.25)));
  const RunResult r = hosttest::Run({"/usr/bin/lv2apply", "-i", in, "-o", lv2, "-c", "drive", "0.8", "-c", "channel", "0", kURI});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const RunResult a = Render({"--quiet", "--block", "1", "--set", "Drive=0.8", "--set", "Channel=Clean", in, au});
  ASSERT_EQ(a.exitCode, 0) << a.err;
  Audio x, y;
  ASSERT_TRUE(ReadAudio(lv2, &x));
  ASSERT_TRUE(ReadAudio(au, &y));
  EXPECT_EQ(x.channels, 2);
  EXPECT_EQ(Differences(x, y), 0u);
}

// Catches a wrapper whose blocks differ from the Audio Unit's at any block
// size, mono or stereo, with parameters set through control ports.
TEST_F(LV2BundleTest, BlockHostRendersWhatOrvantaRenderDoesAtEveryBlockSize)
{
  struct Case
  {
    int block, channels;
  } cases[] = {{64, 2}, {512, 2}, {1000, 2}, {256, 1}};
  for (const Case& c : cases)
  {
    SCOPED_TRACE(testing::Message() << "block " << c.block << ", " << c.channels << " channel(s)");
    const Audio in = TestSignal(44100, c.channels, 0.3);
    const std::string inPath = dir / "in.wav", auPath = dir / "au.wav";
    ASSERT_TRUE(WriteAudio(inPath, in));
    const RunResult a = Render({"--quiet", "--block", std::to_string(c.block), "--set", "Drive=0.65", "--set",
                                "Low=0.2", "--set", "High=0.9", inPath, auPath});
    ASSERT_EQ(a.exitCode, 0) << a.err;
    Audio au;
    ASSERT_TRUE(ReadAudio(auPath, &au));
    const Audio lv2 = RenderThroughHost(in, c.block, {{"drive", 0.65f}, {"low", 0.2f}, {"high", 0.9f}});
    EXPECT_EQ(Differences(lv2, au), 0u);
  }
}

// Catches an install that ignores LV2_PATH, copies into the wrong folder,
// or leaves an older bundle's files behind.
TEST_F(LV2BundleTest, InstallCopiesIntoTheFirstLV2PathFolderElseHome)
{
  const std::string script = std::string(ORVANTA_SOURCE_DIR) + "/lv2/InstallBundle.cmake";
  const std::string first = dir / "first", home = dir / "home";
  ASSERT_EQ(0, mkdir(first.c_str(), 0755));
  ASSERT_EQ(0, mkdir((first + "/Orvanta.lv2").c_str(), 0755));
  ASSERT_TRUE(WriteText(first + "/Orvanta.lv2/stale.ttl", "old"));
  const std::string cmake = CMAKE_COMMAND;
  RunResult r = hosttest::Run({"/usr/bin/env", "LV2_PATH=" + first + ":" + (dir / "second"), cmake,
                     "-DBUNDLE=" + Bundle(), "-P", script});
  ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
  for (const char* f : {"manifest.ttl", "Orvanta.ttl", "Orvanta.so"}) EXPECT_TRUE(Exists(first + "/Orvanta.lv2/" + f)) << f;
  EXPECT_FALSE(Exists(first + "/Orvanta.lv2/stale.ttl"));
  EXPECT_FALSE(Exists(dir / "second"));

  r = hosttest::Run({"/usr/bin/env", "-u", "LV2_PATH", "HOME=" + home, cmake, "-DBUNDLE=" + Bundle(), "-P", script});
  ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
  EXPECT_EQ(ReadText(home + "/.lv2/Orvanta.lv2/Orvanta.ttl"), ReadText(Bundle() + "/Orvanta.ttl"));
}
