#include "LV2BlockHost.h"

#include <lv2/atom/atom.h>

#include <cmath>
#include <cstring>

namespace
{
constexpr size_t kAtomBufferBytes = 8192;

// Releases a lilv node at the end of the scope.
struct Node
{
  explicit Node(LilvNode* n) : node(n) {}
  ~Node() { lilv_node_free(node); }
  Node(const Node&) = delete;
  Node& operator=(const Node&) = delete;
  LilvNode* node;
};
}  // namespace

LV2BlockHost::World::World(const char* bundle) : mWorld(lilv_world_new())
{
  lilv_world_load_all(mWorld);
  if (!bundle) return;
  // A bundle's URI names a folder: it ends in a slash.
  const std::string folder = std::string(bundle) + (std::string(bundle).back() == '/' ? "" : "/");
  LilvNode* uri = lilv_new_file_uri(mWorld, nullptr, folder.c_str());
  lilv_world_load_bundle(mWorld, uri);
  lilv_node_free(uri);
}

LV2BlockHost::World::~World() { lilv_world_free(mWorld); }

const LilvPlugin* LV2BlockHost::World::Find(const char* uri) const
{
  Node n(lilv_new_uri(mWorld, uri));
  return lilv_plugins_get_by_uri(lilv_world_get_all_plugins(mWorld), n.node);
}

LV2BlockHost::LV2BlockHost(const World& world, const char* uri, double sampleRate, int maxBlock)
  : mFeatures(new LV2Features(maxBlock, maxBlock)), mMaxBlock(maxBlock)
{
  LilvWorld* w = world.Get();
  const LilvPlugin* plugin = world.Find(uri);
  if (!plugin)
  {
    mError = std::string("not installed: ") + uri;
    return;
  }
  Node audio(lilv_new_uri(w, LV2_CORE__AudioPort)), control(lilv_new_uri(w, LV2_CORE__ControlPort));
  Node cv(lilv_new_uri(w, LV2_CORE__CVPort)), atom(lilv_new_uri(w, LV2_ATOM__AtomPort));
  Node input(lilv_new_uri(w, LV2_CORE__InputPort)), optional(lilv_new_uri(w, LV2_CORE__connectionOptional));
  mSequenceType = mFeatures->Map(LV2_ATOM__Sequence);
  mChunkType = mFeatures->Map(LV2_ATOM__Chunk);

  const uint32_t nPorts = lilv_plugin_get_num_ports(plugin);
  std::vector<float> defaults(nPorts);
  lilv_plugin_get_port_ranges_float(plugin, nullptr, nullptr, defaults.data());
  std::vector<std::pair<Port, int>> kinds;  // port and what it is: 0 audio, 1 control, 2 cv, 3 atom
  for (uint32_t i = 0; i < nPorts; ++i)
  {
    const LilvPort* port = lilv_plugin_get_port_by_index(plugin, i);
    Port p{i, lilv_node_as_string(lilv_port_get_symbol(plugin, port)),
           lilv_port_has_property(plugin, port, optional.node)};
    const bool in = lilv_port_is_a(plugin, port, input.node);
    if (lilv_port_is_a(plugin, port, audio.node))
      (in ? mAudioIn : mAudioOut).push_back(p);
    else if (lilv_port_is_a(plugin, port, control.node))
    {
      mControls.push_back(p);
      mControlValues.push_back(std::isnan(defaults[i]) ? 0.0f : defaults[i]);
    }
    else if (lilv_port_is_a(plugin, port, atom.node))
      (in ? mAtomIn : mAtomOut).push_back(p);
    else if (lilv_port_is_a(plugin, port, cv.node))
      kinds.push_back({p, 2});
    else if (!p.optional)
    {
      mError = "port " + p.symbol + " is of a kind this host does not know";
      return;
    }
  }

  mFeatures->Add(LV2_WORKER__schedule, &mSchedule);
  // A plug-in needing a feature this host lacks is not made at all.
  LilvNodes* required = lilv_plugin_get_required_features(plugin);
  LILV_FOREACH (nodes, i, required)
  {
    const char* feature = lilv_node_as_uri(lilv_nodes_get(required, i));
    bool offered = false;
    for (const LV2_Feature* const* f = mFeatures->Get(); *f && !offered; ++f) offered = strcmp((*f)->URI, feature) == 0;
    if (!offered) mError = std::string("needs the feature ") + feature + ": " + uri;
  }
  lilv_nodes_free(required);
  if (!mError.empty()) return;

  mInstance = lilv_plugin_instantiate(plugin, sampleRate, mFeatures->Get());
  if (!mInstance)
  {
    mError = std::string("instantiation failed: ") + uri;
    return;
  }
  mWorker = static_cast<const LV2_Worker_Interface*>(lilv_instance_get_extension_data(mInstance, LV2_WORKER__interface));
  for (size_t c = 0; c < mControls.size(); ++c)
    lilv_instance_connect_port(mInstance, mControls[c].index, &mControlValues[c]);
  for (const auto& k : kinds)
  {
    mScratch.emplace_back((size_t)maxBlock, 0.0f);
    lilv_instance_connect_port(mInstance, k.first.index, mScratch.back().data());
  }
  for (size_t a = 0; a < mAtomIn.size() + mAtomOut.size(); ++a)
  {
    mAtomBuffers.emplace_back(kAtomBufferBytes / sizeof(uint64_t), 0);
    const uint32_t index = a < mAtomIn.size() ? mAtomIn[a].index : mAtomOut[a - mAtomIn.size()].index;
    lilv_instance_connect_port(mInstance, index, mAtomBuffers.back().data());
  }
  mSilence.assign((size_t)maxBlock, 0.0f);
  mSink.assign((size_t)maxBlock, 0.0f);
  lilv_instance_activate(mInstance);
}

LV2BlockHost::~LV2BlockHost()
{
  if (!mInstance) return;
  lilv_instance_deactivate(mInstance);
  lilv_instance_free(mInstance);
}

int LV2BlockHost::ControlIndex(const char* symbol) const
{
  for (size_t c = 0; c < mControls.size(); ++c)
    if (mControls[c].symbol == symbol) return (int)c;
  return -1;
}

bool LV2BlockHost::SetControl(const char* symbol, float value)
{
  const int c = ControlIndex(symbol);
  if (c < 0) return false;
  mControlValues[(size_t)c] = value;
  return true;
}

float LV2BlockHost::Control(const char* symbol) const
{
  const int c = ControlIndex(symbol);
  return c < 0 ? 0.0f : mControlValues[(size_t)c];
}

void LV2BlockHost::Run(const float* const* in, float* const* out, uint32_t nFrames)
{
  if (!mInstance || nFrames > (uint32_t)mMaxBlock) return;
  for (size_t i = 0; i < mAudioIn.size(); ++i)
  {
    const float* buf = in ? in[i] : nullptr;
    if (!buf && !mAudioIn[i].optional) buf = mSilence.data();
    lilv_instance_connect_port(mInstance, mAudioIn[i].index, const_cast<float*>(buf));
  }
  for (size_t i = 0; i < mAudioOut.size(); ++i)
    lilv_instance_connect_port(mInstance, mAudioOut[i].index, out && out[i] ? out[i] : mSink.data());
  for (size_t a = 0; a < mAtomBuffers.size(); ++a)
  {
    auto* seq = reinterpret_cast<LV2_Atom_Sequence*>(mAtomBuffers[a].data());
    if (a < mAtomIn.size())
    {
      seq->atom.size = sizeof(LV2_Atom_Sequence_Body);
      seq->atom.type = mSequenceType;
      seq->body.unit = 0;
      seq->body.pad = 0;
    }
    else
    {
      seq->atom.size = (uint32_t)(kAtomBufferBytes - sizeof(LV2_Atom));
      seq->atom.type = mChunkType;
    }
  }
  lilv_instance_run(mInstance, nFrames);
  if (!mWorker) return;
  LV2_Handle handle = lilv_instance_get_handle(mInstance);
  for (const auto& r : mResponses)
    if (mWorker->work_response) mWorker->work_response(handle, (uint32_t)r.size(), r.data());
  mResponses.clear();
  if (mWorker->end_run) mWorker->end_run(handle);
}

LV2_Worker_Status LV2BlockHost::ScheduleWork(LV2_Worker_Schedule_Handle handle, uint32_t size, const void* data)
{
  auto* host = static_cast<LV2BlockHost*>(handle);
  if (!host->mWorker || !host->mWorker->work) return LV2_WORKER_ERR_UNKNOWN;
  return host->mWorker->work(lilv_instance_get_handle(host->mInstance), Respond, host, size, data);
}

LV2_Worker_Status LV2BlockHost::Respond(LV2_Worker_Respond_Handle handle, uint32_t size, const void* data)
{
  auto* host = static_cast<LV2BlockHost*>(handle);
  const auto* bytes = static_cast<const unsigned char*>(data);
  host->mResponses.emplace_back(bytes, bytes + size);
  return LV2_WORKER_SUCCESS;
}
