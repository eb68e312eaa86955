// Program and bank files are exchanged with other hosts and machines: the
// layouts are checked against byte arrays built here from the field tables,
// not only against our own writer.

#include "TestPlug.h"

#include <gtest/gtest.h>

#include <cmath>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace
{
using Bytes = std::vector<unsigned char>;

struct Builder
{
  Bytes b;
  Builder& Tag(const char* s)
  {
    b.insert(b.end(), s, s + 4);
    return *this;
  }
  Builder& BE(uint32_t v)
  {
    for (int s = 24; s >= 0; s -= 8) b.push_back((unsigned char)(v >> s));
    return *this;
  }
  Builder& Float(float f)
  {
    uint32_t u;
    memcpy(&u, &f, 4);
    return BE(u);
  }
  Builder& Name(const std::string& name)
  {
    Bytes field(28, 0);
    memcpy(field.data(), name.data(), name.size() < 28 ? name.size() : 28);
    b.insert(b.end(), field.begin(), field.end());
    return *this;
  }
  Builder& Zeros(int n)
  {
    b.insert(b.end(), (size_t)n, 0);
    return *this;
  }
  Builder& LE(double d)
  {
    unsigned char raw[8];
    memcpy(raw, &d, 8);
    b.insert(b.end(), raw, raw + 8);
    return *this;
  }
  Builder& Raw(const Bytes& more)
  {
    b.insert(b.end(), more.begin(), more.end());
    return *this;
  }
  Builder& Str(const std::string& s)
  {
    const uint32_t n = (uint32_t)s.size();
    for (int k = 0; k < 4; ++k) b.push_back((unsigned char)(n >> (8 * k)));
    b.insert(b.end(), s.begin(), s.end());
    return *this;
  }
  Builder& Bool(bool v)
  {
    b.push_back(v ? 1 : 0);
    return *this;
  }
};

Bytes ToBytes(const ByteChunk& c)
{
  return Bytes(c.GetData(), c.GetData() + c.Size());
}

void ToChunk(const Bytes& b, ByteChunk* c)
{
  c->Clear();
  c->PutBytes(b.data(), (int)b.size());
}

// The effect: amp parameters, "Dirty" and "Clean" presets, an optional chunk form.
struct AmpPlug : TestPlug
{
  explicit AmpPlug(int nPresets = 3, bool chunks = false) : TestPlug(5, "1-1 2-2", nPresets, chunks)
  {
    InitAmpParams();
    MakePreset("Dirty", 0.5, 0.3, 0.5, 0.5, 1);
    MakePreset("Clean", 0.5, 0.1, 0.5, 0.5, 0);
  }
};

Builder ProgHeader(const char* fxMagic, uint32_t byteSize, const std::string& name, uint32_t nParams = 5)
{
  Builder b;
  b.Tag("CcnK").BE(byteSize).Tag(fxMagic).BE(1).BE((uint32_t)kTestUniqueID).BE(10300).BE(nParams).Name(name);
  return b;
}

Builder BankHeader(const char* fxMagic, uint32_t byteSize, uint32_t nPrograms, uint32_t current)
{
  Builder b;
  b.Tag("CcnK").BE(byteSize).Tag(fxMagic).BE(2).BE((uint32_t)kTestUniqueID).BE(10300).BE(nPrograms).BE(current);
  b.Zeros(124);
  return b;
}

std::string ReadFile(const std::string& path)
{
  std::ifstream f(path, std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

struct Snapshot
{
  std::vector<double> values;
  std::vector<std::string> names;
  std::vector<Bytes> chunks;
  int current;
  explicit Snapshot(const TestPlug& p) : values(p.Values()), current(p.GetCurrentPresetIdx())
  {
    for (int i = 0; i < p.NPresets(); ++i)
    {
      names.push_back(p.GetPresetName(i));
      chunks.push_back(ToBytes(p.GetPreset(i)->mChunk));
    }
  }
  bool operator==(const Snapshot& o) const
  {
    return values == o.values && names == o.names && chunks == o.chunks && current == o.current;
  }
};
}  // namespace

TEST(FxpLayout, ParameterFormIsByteExact)
{
  AmpPlug plug;
  plug.GetParam(0)->Set(0.25);
  ByteChunk c;
  ASSERT_TRUE(plug.MakeFXPChunk(&c));
  const Bytes expect =
      ProgHeader("FxCk", 0, "Dirty").Float(0.25f).Float(0.5f).Float(0.5f).Float(0.5f).Float(1.0f).b;
  ASSERT_EQ(ToBytes(c).size(), 76u);
  EXPECT_EQ(ToBytes(c), expect);
}

TEST(FxpLayout, ChunkFormIsByteExact)
{
  AmpPlug plug(3, true);
  ByteChunk c;
  ASSERT_TRUE(plug.MakeFXPChunk(&c));
  Builder expect = ProgHeader("FPCh", 60 + 48, "Dirty");
  expect.BE(48).Raw({'t', 'f', 'f', 'p', 0, 0, 1, 0}).LE(0.5).LE(0.5).LE(0.5).LE(0.5).LE(1.0);
  EXPECT_EQ(ToBytes(c), expect.b);
}

TEST(FxbLayout, ParameterFormIsByteExact)
{
  AmpPlug plug(3);
  ASSERT_TRUE(plug.RestorePreset(1));
  ByteChunk c;
  ASSERT_TRUE(plug.MakeFXBChunk(&c));
  Builder expect = BankHeader("FxBk", 0, 3, 1);
  expect.Raw(ProgHeader("FxCk", 0, "Dirty").Float(0.5f).Float(0.3f).Float(0.5f).Float(0.5f).Float(1.0f).b);
  expect.Raw(ProgHeader("FxCk", 0, "Clean").Float(0.5f).Float(0.1f).Float(0.5f).Float(0.5f).Float(0.0f).b);
  // The third slot is empty: its stored values count as 0.
  expect.Raw(ProgHeader("FxCk", 0, "empty").Float(0).Float(0).Float(0).Float(0).Float(0).b);
  ASSERT_EQ(c.Size(), 156 + 3 * 76);
  EXPECT_EQ(ToBytes(c), expect.b);
}

TEST(FxbLayout, ChunkFormIsByteExact)
{
  AmpPlug plug(3, true);
  ByteChunk c;
  ASSERT_TRUE(plug.MakeFXBChunk(&c));
  Builder data;
  data.Raw({'t', 'f', 'f', 'p', 0, 0, 1, 0});
  data.Str("Dirty").Bool(true).LE(0.5).LE(0.3).LE(0.5).LE(0.5).LE(1.0);
  data.Str("Clean").Bool(true).LE(0.5).LE(0.1).LE(0.5).LE(0.5).LE(0.0);
  data.Str("empty").Bool(false);
  Builder expect = BankHeader("FBCh", (uint32_t)(160 + data.b.size()), 3, 0);
  expect.BE((uint32_t)data.b.size()).Raw(data.b);
  EXPECT_EQ(ToBytes(c), expect.b);
}

TEST(FxpNames, WrittenCutAtCharacterBoundaryReadAtMost27Bytes)
{
  AmpPlug plug;
  const std::string name = std::string(26, 'a') + "\xC3\xA9" + "zz";  // the 2-byte é would straddle byte 27
  plug.ModifyCurrentPreset(name.c_str());
  ByteChunk c;
  ASSERT_TRUE(plug.MakeFXPChunk(&c));
  const Bytes field(c.GetData() + 28, c.GetData() + 56);
  EXPECT_EQ(std::string((const char*)field.data()), std::string(26, 'a'));
  EXPECT_EQ(field[26], 0);
  EXPECT_EQ(field[27], 0);

  // A foreign file whose name fills all 28 bytes.
  Builder b = ProgHeader("FxCk", 0, std::string(28, 'N'));
  b.Float(0.1f).Float(0.2f).Float(0.3f).Float(0.4f).Float(0.0f);
  ToChunk(b.b, &c);
  ASSERT_TRUE(plug.LoadFXPChunk(&c));
  EXPECT_EQ(std::string(plug.GetPresetName(0)), std::string(27, 'N'));
}

TEST(FxpLoad, ForeignParameterFileIsApplied)
{
  AmpPlug plug;
  ASSERT_TRUE(plug.RestorePreset(1));
  plug.mParamChanges.clear();
  Builder b = ProgHeader("FxCk", 0, "From Elsewhere");
  b.Float(0.1f).Float(0.2f).Float(0.3f).Float(0.4f).Float(0.0f);
  ByteChunk c;
  ToChunk(b.b, &c);
  ASSERT_TRUE(plug.LoadFXPChunk(&c));
  EXPECT_NEAR(plug.GetParam(0)->Value(), 0.1, 1e-7);
  EXPECT_NEAR(plug.GetParam(3)->Value(), 0.4, 1e-7);
  EXPECT_EQ(plug.GetParam(4)->Value(), 0.0);
  EXPECT_STREQ(plug.GetPresetName(1), "From Elsewhere");
  EXPECT_EQ(plug.GetPreset(1)->mChunk.Size(), 40);
  EXPECT_EQ(plug.mProgramChanges, 1);
  EXPECT_EQ(plug.mParamChanges.size(), 5u);

  // Out-of-range and NaN values from a file are clamped or ignored.
  b = ProgHeader("FxCk", 0, "Wild");
  b.Float(5.0f).Float(-3.0f).Float(std::nanf("")).Float(0.5f).Float(1.0f);
  ToChunk(b.b, &c);
  ASSERT_TRUE(plug.LoadFXPChunk(&c));
  EXPECT_EQ(plug.GetParam(0)->Value(), 1.0);
  EXPECT_EQ(plug.GetParam(1)->Value(), 0.0);
  EXPECT_NEAR(plug.GetParam(2)->Value(), 0.3, 1e-7);
}

TEST(FxpLoad, ChunkFileRoundTripsAndHeaderIsOptional)
{
  AmpPlug a(3, true);
  a.GetParam(1)->Set(0.123);
  ByteChunk c;
  ASSERT_TRUE(a.MakeFXPChunk(&c));
  AmpPlug b(3, true);
  ASSERT_TRUE(b.LoadFXPChunk(&c));
  EXPECT_EQ(b.GetParam(1)->Value(), 0.123);

  Builder noHeader = ProgHeader("FPCh", 100, "Bare");
  noHeader.BE(40).LE(0.9).LE(0.8).LE(0.7).LE(0.6).LE(0.0);
  ToChunk(noHeader.b, &c);
  ASSERT_TRUE(b.LoadFXPChunk(&c));
  EXPECT_EQ(b.Values(), (std::vector<double>{0.9, 0.8, 0.7, 0.6, 0.0}));

  AmpPlug noChunks(3, false);  // a plug-in without chunks does not take the chunk form
  const Snapshot before(noChunks);
  EXPECT_FALSE(noChunks.LoadFXPChunk(&c));
  EXPECT_TRUE(Snapshot(noChunks) == before);
}

TEST(FxpLoad, RefusedFilesChangeNothing)
{
  const Bytes good = ProgHeader("FxCk", 0, "Good").Float(0.1f).Float(0.2f).Float(0.3f).Float(0.4f).Float(0.0f).b;
  std::vector<Bytes> bad;
  Bytes b = good;
  b[0] = 'X';  // chunk magic
  bad.push_back(b);
  b = good;
  b[15] = 2;  // format version
  bad.push_back(b);
  b = good;
  b[19] ^= 1;  // plug-in id
  bad.push_back(b);
  b = good;
  b[27] = 4;  // parameter count
  bad.push_back(b);
  b = good;
  b[8] = 'Q';  // format magic
  bad.push_back(b);
  for (size_t cut = 0; cut < good.size(); ++cut) bad.emplace_back(good.begin(), good.begin() + cut);
  // Chunk form announcing more state than the file holds.
  bad.push_back(ProgHeader("FPCh", 0, "Long").BE(400).LE(0.9).b);
  bad.push_back(ProgHeader("FPCh", 0, "Neg").BE(0xFFFFFFF0u).LE(0.9).b);

  for (size_t k = 0; k < bad.size(); ++k)
  {
    AmpPlug plug(3, true);
    const Snapshot before(plug);
    ByteChunk c;
    ToChunk(bad[k], &c);
    EXPECT_FALSE(plug.LoadFXPChunk(&c)) << k;
    EXPECT_TRUE(Snapshot(plug) == before) << k;
    EXPECT_EQ(plug.mProgramChanges, 0);
  }
}

TEST(FxbLoad, ForeignParameterBankIsApplied)
{
  AmpPlug plug(3);
  Builder b = BankHeader("FxBk", 0, 2, 1);
  b.Raw(ProgHeader("FxCk", 0, "One").Float(0.1f).Float(0.1f).Float(0.1f).Float(0.1f).Float(0.0f).b);
  b.Raw(ProgHeader("FxCk", 0, "Two").Float(0.2f).Float(0.2f).Float(0.2f).Float(0.2f).Float(1.0f).b);
  ByteChunk c;
  ToChunk(b.b, &c);
  ASSERT_TRUE(plug.LoadFXBChunk(&c));
  EXPECT_STREQ(plug.GetPresetName(0), "One");
  EXPECT_STREQ(plug.GetPresetName(1), "Two");
  EXPECT_STREQ(plug.GetPresetName(2), "empty");
  EXPECT_EQ(plug.GetCurrentPresetIdx(), 1);
  EXPECT_NEAR(plug.GetParam(0)->Value(), 0.2, 1e-7);
  EXPECT_EQ(plug.GetParam(4)->Value(), 1.0);
  EXPECT_EQ(plug.mProgramChanges, 1);

  // And what we write reads back the same.
  ByteChunk mine;
  ASSERT_TRUE(plug.MakeFXBChunk(&mine));
  AmpPlug other(3);
  ASSERT_TRUE(other.LoadFXBChunk(&mine));
  for (int i = 0; i < 2; ++i) EXPECT_STREQ(other.GetPresetName(i), plug.GetPresetName(i));
}

TEST(FxbLoad, ChunkBankRoundTrips)
{
  AmpPlug a(3, true);
  ASSERT_TRUE(a.RestorePreset(1));
  a.GetParam(2)->Set(0.77);
  a.ModifyCurrentPreset("Tweaked");
  ByteChunk c;
  ASSERT_TRUE(a.MakeFXBChunk(&c));
  AmpPlug b(3, true);
  ASSERT_TRUE(b.LoadFXBChunk(&c));
  EXPECT_STREQ(b.GetPresetName(1), "Tweaked");
  EXPECT_EQ(ToBytes(b.GetPreset(1)->mChunk), ToBytes(a.GetPreset(1)->mChunk));
  EXPECT_EQ(b.mProgramChanges, 1);
}

TEST(FxbLoad, ABadRecordRefusesTheWholeBank)
{
  Builder good = BankHeader("FxBk", 0, 2, 0);
  good.Raw(ProgHeader("FxCk", 0, "One").Float(0.1f).Float(0.1f).Float(0.1f).Float(0.1f).Float(0.0f).b);
  Builder badSecond = good;
  badSecond.Raw(ProgHeader("FxCk", 0, "Two", 4).Float(0.2f).Float(0.2f).Float(0.2f).Float(0.2f).b);
  Builder goodBank = good;
  goodBank.Raw(ProgHeader("FxCk", 0, "Two").Float(0.2f).Float(0.2f).Float(0.2f).Float(0.2f).Float(1.0f).b);

  std::vector<Bytes> bad = {badSecond.b};
  for (size_t cut = 0; cut < goodBank.b.size(); ++cut) bad.emplace_back(goodBank.b.begin(), goodBank.b.begin() + cut);
  Bytes wrongId = goodBank.b;
  wrongId[19] ^= 1;
  bad.push_back(wrongId);
  Bytes wrongKind = goodBank.b;
  wrongKind[11] = 'x';
  bad.push_back(wrongKind);
  Bytes many = goodBank.b;
  many[24] = 0x7F;  // claims far more programs than the file holds
  bad.push_back(many);
  bad.push_back(BankHeader("FBCh", 0, 3, 0).BE(1000).b);  // chunk longer than the file

  for (size_t k = 0; k < bad.size(); ++k)
  {
    AmpPlug plug(3, true);
    const Snapshot before(plug);
    ByteChunk c;
    ToChunk(bad[k], &c);
    EXPECT_FALSE(plug.LoadFXBChunk(&c)) << k;
    EXPECT_TRUE(Snapshot(plug) == before) << k;
  }

  AmpPlug plug(3);
  ByteChunk c;
  ToChunk(goodBank.b, &c);
  EXPECT_TRUE(plug.LoadFXBChunk(&c));
}

TEST(FxFiles, DialogsUseTheEditorsPrompt)
{
  char tmpl[] = "/tmp/orvanta-fx-XXXXXX";
  const std::string dir = mkdtemp(tmpl);
  AmpPlug plug;
  EXPECT_FALSE(plug.SaveProgramAsFXP("prog"));  // no editor
  EXPECT_FALSE(plug.LoadBankFromFXB());

  auto* g = new TestGraphics(&plug);
  plug.AttachGraphics(g);
  EXPECT_FALSE(plug.SaveProgramAsFXP("prog"));  // the user cancels
  EXPECT_EQ(g->mPromptAction, kFileSave);
  EXPECT_EQ(g->mPromptDefault, "prog");
  EXPECT_EQ(g->mPromptExt, "fxp");

  g->mAnswer = dir + "/prog.fxp";
  g->mAnswerDir = dir + "/";
  ASSERT_TRUE(plug.SaveProgramAsFXP("prog"));
  EXPECT_STREQ(plug.GetPreviousPath(), (dir + "/").c_str());
  ByteChunk expect;
  plug.MakeFXPChunk(&expect);
  EXPECT_EQ(ReadFile(g->mAnswer), std::string((const char*)expect.GetData(), expect.Size()));

  plug.GetParam(0)->Set(0.0);
  ASSERT_TRUE(plug.LoadProgramFromFXP());
  EXPECT_EQ(g->mPromptAction, kFileOpen);
  EXPECT_EQ(g->mPromptDir, dir + "/");
  EXPECT_EQ(plug.GetParam(0)->Value(), 0.5);

  g->mAnswer = dir + "/bank.fxb";
  ASSERT_TRUE(plug.SaveBankAsFXB("bank"));
  EXPECT_EQ(g->mPromptExt, "fxb");
  ASSERT_TRUE(plug.LoadBankFromFXB());
  g->mAnswer = dir + "/absent.fxb";
  EXPECT_FALSE(plug.LoadBankFromFXB());
  g->mAnswer = dir + "/prog.fxp";
  EXPECT_FALSE(plug.LoadBankFromFXB());  // a program is not a bank
  system(("rm -rf " + dir).c_str());
}

// A save that fails half-way (here: the file-size limit is hit mid-write)
// leaves the good file it was replacing untouched, and no stray file.
TEST(FxFiles, FailedSaveKeepsTheOldFile)
{
  char tmpl[] = "/tmp/orvanta-fx-XXXXXX";
  const std::string dir = mkdtemp(tmpl);
  const std::string path = dir + "/bank.fxb";
  AmpPlug plug(40);
  ASSERT_TRUE(plug.SaveProgramAsFXPToFile(path.c_str()));
  const std::string good = ReadFile(path);

  struct rlimit old;
  getrlimit(RLIMIT_FSIZE, &old);
  void (*oldHandler)(int) = signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = old;
  small.rlim_cur = 200;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const bool saved = plug.SaveBankAsFXBToFile(path.c_str());
  setrlimit(RLIMIT_FSIZE, &old);
  signal(SIGXFSZ, oldHandler);

  EXPECT_FALSE(saved);
  EXPECT_EQ(ReadFile(path), good);
  EXPECT_EQ(system(("test $(ls -A " + dir + " | wc -l) -eq 1").c_str()), 0);
  EXPECT_FALSE(plug.SaveProgramAsFXPToFile((dir + "/missing/x.fxp").c_str()));
  system(("rm -rf " + dir).c_str());
}
