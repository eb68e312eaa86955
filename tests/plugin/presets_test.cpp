#include "TestPlug.h"

#include "plugin/Base64.h"
#include "plugin/FileIO.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <dirent.h>
#include <vector>

namespace
{
std::vector<double> Doubles(const ByteChunk& c)
{
  std::vector<double> v(c.Size() / 8);
  if (!v.empty()) memcpy(v.data(), c.GetData(), v.size() * 8);
  return v;
}

ByteChunk* FromDoubles(ByteChunk* c, const std::vector<double>& v)
{
  c->Clear();
  c->PutBytes(v.data(), (int)(v.size() * 8));
  return c;
}

std::string ReadFile(const std::string& path)
{
  std::ifstream f(path, std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

class TempDir
{
public:
  TempDir()
  {
    char tmpl[] = "/tmp/orvanta-presets-XXXXXX";
    mPath = mkdtemp(tmpl);
  }
  ~TempDir() { system(("rm -rf " + mPath).c_str()); }
  std::string operator/(const char* name) const { return mPath + "/" + name; }
  const std::string& Path() const { return mPath; }

private:
  std::string mPath;
};

// The effect's plug-in: amp parameters and the factory presets it registers.
struct AmpPlug : TestPlug
{
  explicit AmpPlug(int nPresets = 4) : TestPlug(5, "1-1 2-2", nPresets)
  {
    InitAmpParams();
    MakePreset("Dirty", 0.5, 0.3, 0.5, 0.5, 1);
    MakePreset("Clean", 0.5, 0.1, 0.5, 0.5, 0);
  }
};
}  // namespace

TEST(State, DefaultStateIsFiveLittleEndianDoubles)
{
  TestPlug plug;
  plug.InitAmpParams();
  ByteChunk c;
  ASSERT_TRUE(plug.SerializeState(&c));
  ASSERT_EQ(c.Size(), 40);
  const unsigned char half[8] = {0, 0, 0, 0, 0, 0, 0xE0, 0x3F};
  const unsigned char one[8] = {0, 0, 0, 0, 0, 0, 0xF0, 0x3F};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(memcmp(c.GetData() + 8 * i, half, 8), 0);
  EXPECT_EQ(memcmp(c.GetData() + 32, one, 8), 0);
  EXPECT_TRUE(plug.CompareState(c.GetData(), 0));
  plug.GetParam(2)->Set(0.50002);
  EXPECT_FALSE(plug.CompareState(c.GetData(), 0));
  plug.GetParam(2)->Set(0.500001);
  EXPECT_TRUE(plug.CompareState(c.GetData(), 0));

  std::vector<double> huge = {1e300, 0.5, 0.5, 0.5, 1.0};
  FromDoubles(&c, huge);
  EXPECT_FALSE(plug.CompareState(c.GetData(), 0));  // no undefined narrowing either
}

TEST(State, ShortChunkSetsWhatItCanAndStops)
{
  TestPlug plug;
  plug.InitAmpParams();
  plug.GetParam(3)->InitDouble("High", 0.5, 0.2, 1.0, 0.001);
  ByteChunk c;
  FromDoubles(&c, {0.1, 0.2, 0.3});
  plug.mParamChanges.clear();
  EXPECT_EQ(plug.UnserializeParams(&c, 0), -1);
  EXPECT_EQ(plug.Values(), (std::vector<double>{0.1, 0.2, 0.3, 0.2, 1.0}));  // High at its minimum
  EXPECT_EQ(plug.mParamChanges, (std::vector<int>{0, 1, 2, 3, 4}));

  FromDoubles(&c, {7.0, -7.0, NAN, 0.25, 0.0, 99.0});
  EXPECT_EQ(plug.UnserializeParams(&c, 0), 40);
  EXPECT_EQ(plug.Values(), (std::vector<double>{1.0, 0.0, 0.3, 0.25, 0.0}));  // clamped; NaN ignored
  EXPECT_EQ(plug.UnserializeParams(&c, 8), 48);
  EXPECT_EQ(plug.UnserializeParams(&c, -1), -1);
  EXPECT_EQ(plug.UnserializeParams(nullptr, 0), -1);
}

TEST(State, VersionHeader)
{
  ByteChunk c;
  ASSERT_TRUE(IFxBase::InitChunkWithIFxVer(&c));
  EXPECT_EQ(std::vector<unsigned char>(c.GetData(), c.GetData() + 8),
            (std::vector<unsigned char>{'t', 'f', 'f', 'p', 0, 0, 1, 0}));
  int pos = 0;
  EXPECT_EQ(IFxBase::GetIFxVerFromChunk(&c, &pos), 0x00010000);
  EXPECT_EQ(pos, 8);

  c.Resize(6);  // magic present, version cut off
  pos = 0;
  EXPECT_EQ(IFxBase::GetIFxVerFromChunk(&c, &pos), 0);
  EXPECT_EQ(pos, -1);
  c.Resize(3);
  pos = 0;
  EXPECT_EQ(IFxBase::GetIFxVerFromChunk(&c, &pos), 0);
  EXPECT_EQ(pos, 0);
  FromDoubles(&c, {1.0});
  EXPECT_EQ(IFxBase::GetIFxVerFromChunk(&c, &pos), 0);
  EXPECT_EQ(pos, 0);
  pos = -1;
  EXPECT_EQ(IFxBase::GetIFxVerFromChunk(&c, &pos), 0);
  EXPECT_EQ(pos, -1);
}

TEST(Presets, MakingFillsFreeSlotsInOrder)
{
  AmpPlug plug(6);
  EXPECT_EQ(Doubles(plug.GetPreset(0)->mChunk), (std::vector<double>{0.5, 0.3, 0.5, 0.5, 1.0}));
  EXPECT_EQ(Doubles(plug.GetPreset(1)->mChunk), (std::vector<double>{0.5, 0.1, 0.5, 0.5, 0.0}));
  EXPECT_EQ(plug.Values(), (std::vector<double>{0.5, 0.5, 0.5, 0.5, 1.0}));  // parameters untouched

  plug.GetParam(0)->Set(0.7);
  EXPECT_TRUE(plug.MakePresetFromNamedParams("Named", 2, 1, 0.9, 4, 0));
  EXPECT_EQ(Doubles(plug.GetPreset(2)->mChunk), (std::vector<double>{0.7, 0.9, 0.5, 0.5, 0.0}));
  EXPECT_TRUE(plug.MakePresetFromNamedParams("Stop", 2, 9, 0.25, 1));  // bad index ends the list
  EXPECT_EQ(Doubles(plug.GetPreset(3)->mChunk), (std::vector<double>{0.7, 0.5, 0.5, 0.5, 1.0}));

  ByteChunk c;
  FromDoubles(&c, {0.1, 0.2});
  EXPECT_TRUE(plug.MakePresetFromChunk("Chunk", &c));
  EXPECT_TRUE(plug.GetPreset(4)->mChunk.IsEqual(&c));

  plug.MakeDefaultPreset(nullptr, 14);  // only one slot left; the rest find none
  EXPECT_STREQ(plug.GetPresetName(5), "Empty");
  EXPECT_TRUE(plug.GetPreset(5)->mInitialized);
  EXPECT_FALSE(plug.MakePreset("NoRoom", 0.0, 0.0, 0.0, 0.0, 0));
  EXPECT_STREQ(plug.GetPresetName(6), "");
  EXPECT_STREQ(plug.GetPresetName(-1), "");
}

TEST(Presets, BlobsDecodeIntoExactlyTheGivenSize)
{
  AmpPlug plug(5);
  std::vector<double> vals = {0.25, 0.75, 0.5, 0.125, 1.0};
  char text[128];
  Base64Encode((const unsigned char*)vals.data(), 40, text);
  ASSERT_TRUE(plug.MakePresetFromBlob("Blob", text, 40));
  EXPECT_EQ(Doubles(plug.GetPreset(2)->mChunk), vals);

  // A short blob is zero-filled to the size; a long one is cut at it.
  ASSERT_TRUE(plug.MakePresetFromBlob("Short", "AAAAAAAA4D8=", 16));
  EXPECT_EQ(Doubles(plug.GetPreset(3)->mChunk), (std::vector<double>{0.5, 0.0}));
  ASSERT_TRUE(plug.MakePresetFromBlob("Cut", text, 3));
  EXPECT_EQ(plug.GetPreset(4)->mChunk.Size(), 3);
  EXPECT_FALSE(plug.MakePresetFromBlob("Full", text, 40));

  AmpPlug other(3);
  EXPECT_FALSE(other.MakePresetFromBlob("Negative", text, -8));
  EXPECT_FALSE(other.GetPreset(2)->mInitialized);
  EXPECT_TRUE(other.MakePresetFromBlob("Null", nullptr, 8));
  EXPECT_EQ(Doubles(other.GetPreset(2)->mChunk), (std::vector<double>{0.0}));
}

TEST(Presets, RestoringSelectsModifiesAndNamesUserPresets)
{
  AmpPlug plug(3);
  plug.GetPreset(0)->SetName("user preset 1");
  EXPECT_FALSE(plug.RestorePreset(3));
  EXPECT_FALSE(plug.RestorePreset(-1));
  EXPECT_EQ(plug.GetCurrentPresetIdx(), 0);

  plug.mParamChanges.clear();
  EXPECT_TRUE(plug.RestorePreset("Clean"));
  EXPECT_EQ(plug.GetCurrentPresetIdx(), 1);
  EXPECT_EQ(plug.Values(), (std::vector<double>{0.5, 0.1, 0.5, 0.5, 0.0}));
  EXPECT_EQ(plug.mParamChanges.size(), 5u);
  EXPECT_FALSE(plug.RestorePreset("clean"));
  EXPECT_FALSE(plug.RestorePreset(""));
  EXPECT_FALSE(plug.RestorePreset((const char*)nullptr));

  // Selecting an empty slot turns it into a user preset holding the current state.
  EXPECT_TRUE(plug.RestorePreset(2));
  EXPECT_STREQ(plug.GetPresetName(2), "user preset 2");
  EXPECT_EQ(Doubles(plug.GetPreset(2)->mChunk), plug.Values());

  plug.GetParam(0)->Set(0.9);
  plug.ModifyCurrentPreset("Mine");
  EXPECT_STREQ(plug.GetPresetName(2), "Mine");
  EXPECT_EQ(Doubles(plug.GetPreset(2)->mChunk)[0], 0.9);
  plug.ModifyCurrentPreset("");
  EXPECT_STREQ(plug.GetPresetName(2), "Mine");

  char name[MAX_PRESET_NAME_LEN];
  KIT_PtrList<IPreset> list;
  IPreset a, b;
  a.SetName("user preset 1");
  b.SetName("Dirty");
  list.Add(&a);
  list.Add(&b);
  IFxBase::MakeDefaultUserPresetName(&list, name);
  EXPECT_STREQ(name, "user preset 2");
  list.Empty(false);
}

TEST(Presets, EditorIsRedrawnAfterRestore)
{
  AmpPlug plug(2);
  auto* g = new TestGraphics(&plug);
  plug.AttachGraphics(g);
  g->mPushes.clear();
  ASSERT_TRUE(plug.RestorePreset(1));
  ASSERT_EQ(g->mPushes.size(), 5u);
  EXPECT_EQ(g->mPushes[1].value, 0.1);
  EXPECT_FALSE(g->mPushes[1].normalized);
}

TEST(Presets, PruneAndEnsureDefault)
{
  AmpPlug plug(5);
  plug.PruneUninitializedPresets();
  EXPECT_EQ(plug.NPresets(), 2);
  EXPECT_STREQ(plug.GetPresetName(1), "Clean");

  AmpPlug filled(4);
  filled.EnsureDefaultPreset();
  EXPECT_STREQ(filled.GetPresetName(3), "Empty");
  filled.PruneUninitializedPresets();
  EXPECT_EQ(filled.NPresets(), 4);
}

TEST(Presets, ListRoundTripsThroughAChunk)
{
  AmpPlug a(4);
  a.GetPreset(1)->SetName("");
  ASSERT_TRUE(a.RestorePreset(1));
  ByteChunk c;
  ASSERT_TRUE(a.SerializePresets(&c));
  // name "Dirty", flag, 40 bytes; name "", flag, 40 bytes; two "empty" uninitialised slots
  EXPECT_EQ(c.Size(), (4 + 5 + 1 + 40) + (4 + 0 + 1 + 40) + 2 * (4 + 5 + 1));

  AmpPlug b(4);
  b.GetPreset(1)->SetName("will be cleared");
  b.GetParam(0)->Set(0.0);
  EXPECT_EQ(b.UnserializePresets(&c, 0), c.Size());
  for (int i = 0; i < 4; ++i)
  {
    EXPECT_STREQ(b.GetPresetName(i), a.GetPresetName(i));
    EXPECT_EQ(b.GetPreset(i)->mInitialized, a.GetPreset(i)->mInitialized);
    if (a.GetPreset(i)->mInitialized)
    {
      EXPECT_TRUE(b.GetPreset(i)->mChunk.IsEqual(&a.GetPreset(i)->mChunk));
    }
  }
  EXPECT_EQ(b.Values(), (std::vector<double>{0.5, 0.3, 0.5, 0.5, 1.0}));  // current preset "Dirty" restored

  // Cut anywhere: never out of bounds, ends with -1.
  for (int cut = 0; cut < c.Size(); ++cut)
  {
    ByteChunk part;
    part.PutBytes(c.GetData(), cut);
    AmpPlug p(4);
    EXPECT_EQ(p.UnserializePresets(&part, 0), -1) << cut;
  }
}

TEST(Dumps, SourceCodeAndBlobTexts)
{
  TempDir dir;
  AmpPlug plug(2);
  plug.GetParam(1)->Set(0.3);
  const char* names[] = {"kLevel", "kDrive", "kLow", "kHigh", "kChannel"};
  ASSERT_TRUE(plug.DumpPresetSrcCode((dir / "src.txt").c_str(), names));
  EXPECT_EQ(ReadFile(dir / "src.txt"),
            "  MakePresetFromNamedParams(\"Dirty\", 5,\n    kLevel, 0.500000,\n    kDrive, 0.300000,\n"
            "    kLow, 0.500000,\n    kHigh, 0.500000,\n    kChannel, 1);\n");

  ASSERT_TRUE(plug.DumpPresetBlob((dir / "blob.txt").c_str()));
  char b64[128];
  Base64Encode(plug.GetPreset(0)->mChunk.GetData(), 40, b64);
  EXPECT_EQ(ReadFile(dir / "blob.txt"), std::string("MakePresetFromBlob(\"Dirty\", \"") + b64 + "\", 40);\n");

  // The dump of a blob feeds straight back into MakePresetFromBlob.
  AmpPlug back(3);
  ASSERT_TRUE(back.MakePresetFromBlob("Dirty", b64, 40));
  EXPECT_TRUE(back.GetPreset(2)->mChunk.IsEqual(&plug.GetPreset(0)->mChunk));

  EXPECT_FALSE(plug.DumpPresetBlob((dir / "missing/x.txt").c_str()));
  EXPECT_FALSE(plug.DumpPresetSrcCode("", names));

  ByteChunk big;
  big.Resize(766);
  AmpPlug large(3);
  ASSERT_TRUE(large.MakePresetFromChunk("Big", &big));
  ASSERT_TRUE(large.RestorePreset(2));
  EXPECT_FALSE(large.DumpPresetBlob((dir / "big.txt").c_str()));
  big.Resize(765);
  large.GetPreset(2)->mChunk.Clear();
  large.GetPreset(2)->mChunk.PutChunk(&big);
  EXPECT_TRUE(large.DumpPresetBlob((dir / "big.txt").c_str()));
}

TEST(Files, AtomicWriteReplacesWholeOrNothing)
{
  TempDir dir;
  const std::string path = dir / "f.bin";
  ASSERT_TRUE(WriteFileAtomically(path.c_str(), "first", 5));
  ASSERT_TRUE(WriteFileAtomically(path.c_str(), "second!", 7));
  EXPECT_EQ(ReadFile(path), "second!");
  // A target that cannot be replaced keeps its content and leaves no temporary file.
  EXPECT_FALSE(WriteFileAtomically(dir.Path().c_str(), "x", 1));
  EXPECT_FALSE(WriteFileAtomically((dir / "no/such/dir").c_str(), "x", 1));
  EXPECT_FALSE(WriteFileAtomically(nullptr, "x", 1));
  std::vector<std::string> entries;
  DIR* d = opendir(dir.Path().c_str());
  while (dirent* e = readdir(d))
    if (strcmp(e->d_name, ".") && strcmp(e->d_name, "..")) entries.push_back(e->d_name);
  closedir(d);
  EXPECT_EQ(entries, std::vector<std::string>{"f.bin"});

  ByteChunk c;
  EXPECT_TRUE(ReadWholeFile(path.c_str(), &c, 100));
  EXPECT_EQ(c.Size(), 7);
  EXPECT_FALSE(ReadWholeFile(path.c_str(), &c, 6));  // over the limit
  EXPECT_EQ(c.Size(), 0);
  EXPECT_FALSE(ReadWholeFile(dir.Path().c_str(), &c, 100));  // not a regular file
  EXPECT_FALSE(ReadWholeFile((dir / "absent").c_str(), &c, 100));
}
