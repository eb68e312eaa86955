// Saved states through orvanta-render: .aupreset files written by
// --save-state, read by --load-state, and written by hand in the form hosts on
// the platform exchange.

#include "HostTestSupport.h"

#include <CoreFoundation/CoreFoundation.h>
#include <gtest/gtest.h>

#include <cstring>

using namespace hosttest;

namespace {

class StateTest : public RenderHostTest
{
protected:
  void SetUp() override
  {
    RenderHostTest::SetUp();
    in = WriteSignal("in.wav", 48000, 1, 0.3);
  }

  std::string RenderBytes(std::vector<std::string> args, const std::string& name)
  {
    args.push_back(in);
    args.push_back(dir / name);
    const RunResult r = Render(args);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    return ReadText(dir / name);
  }

  std::string in;
};

CFDictionaryRef ParsePlist(const std::string& bytes)
{
  CFDataRef data = CFDataCreate(nullptr, (const UInt8*)bytes.data(), (CFIndex)bytes.size());
  CFPropertyListRef plist = CFPropertyListCreateWithData(nullptr, data, kCFPropertyListImmutable, nullptr, nullptr);
  CFRelease(data);
  if (plist && CFGetTypeID(plist) != CFDictionaryGetTypeID())
  {
    CFRelease(plist);
    return nullptr;
  }
  return (CFDictionaryRef)plist;
}

CFTypeRef Value(CFDictionaryRef dict, const char* key)
{
  CFStringRef k = CFStringCreateWithCString(nullptr, key, kCFStringEncodingUTF8);
  CFTypeRef v = CFDictionaryGetValue(dict, k);
  CFRelease(k);
  return v;
}

std::string Text(CFDictionaryRef dict, const char* key)
{
  CFTypeRef v = Value(dict, key);
  char text[256] = {};
  if (v && CFGetTypeID(v) == CFStringGetTypeID()) CFStringGetCString((CFStringRef)v, text, sizeof(text), kCFStringEncodingUTF8);
  return text;
}

SInt64 Integer(CFDictionaryRef dict, const char* key)
{
  CFTypeRef v = Value(dict, key);
  SInt64 n = -1;
  if (v && CFGetTypeID(v) == CFNumberGetTypeID()) CFNumberGetValue((CFNumberRef)v, kCFNumberSInt64Type, &n);
  return n;
}

// The state chunk: every parameter's real value as a little-endian double.
std::string Chunk(std::initializer_list<double> values)
{
  std::string bytes;
  for (double v : values)
  {
    char b[8];
    memcpy(b, &v, 8);
    bytes.append(b, 8);
  }
  return bytes;
}

std::string Base64(const std::string& bytes)
{
  static const char* abc = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  for (size_t i = 0; i < bytes.size(); i += 3)
  {
    unsigned n = (unsigned char)bytes[i] << 16;
    if (i + 1 < bytes.size()) n |= (unsigned char)bytes[i + 1] << 8;
    if (i + 2 < bytes.size()) n |= (unsigned char)bytes[i + 2];
    out += abc[(n >> 18) & 63];
    out += abc[(n >> 12) & 63];
    out += i + 1 < bytes.size() ? abc[(n >> 6) & 63] : '=';
    out += i + 2 < bytes.size() ? abc[n & 63] : '=';
    // Files from the platform wrap their base64 in indented lines.
    if (out.size() % 52 == 0) out += "\n\t";
  }
  return out;
}

// An .aupreset as the platform's hosts write it: integer identity, the
// element name they add, and base64 data.
std::string HandWritten(const std::string& chunk, long subtype = 1869772341, const char* name = "Late Night")
{
  return std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                     "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                     "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
                     "<plist version=\"1.0\">\n<dict>\n"
                     "\t<key>data</key>\n\t<data>\n\t") +
         Base64(chunk) +
         "\n\t</data>\n"
         "\t<key>element-name</key>\n\t<string>Orvanta</string>\n"
         "\t<key>manufacturer</key>\n\t<integer>1517448820</integer>\n"
         "\t<key>name</key>\n\t<string>" + name + "</string>\n"
         "\t<key>subtype</key>\n\t<integer>" + std::to_string(subtype) + "</integer>\n"
         "\t<key>type</key>\n\t<integer>1635083896</integer>\n"
         "\t<key>version</key>\n\t<integer>0</integer>\n"
         "</dict>\n</plist>\n";
}

}  // namespace

TEST_F(StateTest, SavedStateHoldsTheComponentAndItsParameters)
{
  const RunResult r = Render({"--preset", "Clean", "--set", "Drive=0.25", "--set", "High=1", "--save-state", dir / "s.aupreset"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const std::string xml = ReadText(dir / "s.aupreset");
  EXPECT_EQ(xml.rfind("<?xml", 0), 0u) << xml;
  CFDictionaryRef dict = ParsePlist(xml);
  ASSERT_NE(dict, nullptr) << xml;
  EXPECT_EQ(Integer(dict, "version"), 0x10300);
  EXPECT_EQ(Integer(dict, "type"), 0x61756678);          // 'aufx'
  EXPECT_EQ(Integer(dict, "subtype"), 0x6F727635);       // 'orv5'
  EXPECT_EQ(Integer(dict, "manufacturer"), 0x5A726E74);  // 'Zrnt'
  CFTypeRef name = Value(dict, "name");
  ASSERT_TRUE(name && CFGetTypeID(name) == CFStringGetTypeID());
  char text[64] = {};
  CFStringGetCString((CFStringRef)name, text, sizeof(text), kCFStringEncodingUTF8);
  // Parameters changed after the preset: the state is named after its file.
  EXPECT_STREQ(text, "s");
  CFTypeRef data = Value(dict, "data");
  ASSERT_TRUE(data && CFGetTypeID(data) == CFDataGetTypeID());
  const std::string chunk((const char*)CFDataGetBytePtr((CFDataRef)data), (size_t)CFDataGetLength((CFDataRef)data));
  EXPECT_EQ(chunk, Chunk({0.5, 0.25, 0.5, 1.0, 0.0}));
  CFRelease(dict);
}

TEST_F(StateTest, SaveThenLoadRendersIdentically)
{
  const std::string saved = RenderBytes(
    {"--preset", "Clean", "--set", "Drive=0.7", "--set", "Low=0.2", "--save-state", dir / "s.aupreset"}, "a.wav");
  const std::string state = ReadText(dir / "s.aupreset");
  // The state overrides the preset given before it.
  const std::string loaded = RenderBytes({"--preset", "Dirty", "--load-state", dir / "s.aupreset"}, "b.wav");
  EXPECT_TRUE(saved == loaded);
  const std::string dirty = RenderBytes({"--preset", "Dirty"}, "c.wav");
  EXPECT_FALSE(saved == dirty);
  // Loading and saving again gives the same file.
  RenderBytes({"--load-state", dir / "s.aupreset", "--save-state", dir / "again.aupreset"}, "d.wav");
  EXPECT_EQ(ReadText(dir / "again.aupreset"), state);
  // Updating a state in place.
  ASSERT_EQ(Render({"--load-state", dir / "s.aupreset", "--set", "Level=0.9", "--save-state", dir / "s.aupreset"}).exitCode, 0);
  EXPECT_NE(ReadText(dir / "s.aupreset"), state);
}

TEST_F(StateTest, HandWrittenPlatformPresetIsApplied)
{
  // Values a 32-bit float holds exactly, so setting them by hand matches.
  WriteText(dir / "hand.aupreset", HandWritten(Chunk({0.75, 0.625, 0.375, 0.875, 0.0})));
  const std::string fromFile = RenderBytes({"--load-state", dir / "hand.aupreset"}, "a.wav");
  const std::string bySet = RenderBytes(
    {"--set", "Level=0.75", "--set", "Drive=0.625", "--set", "Low=0.375", "--set", "High=0.875", "--set", "Channel=Clean"},
    "b.wav");
  EXPECT_TRUE(fromFile == bySet);
  const std::string defaults = RenderBytes({}, "c.wav");
  EXPECT_FALSE(fromFile == defaults);
  const RunResult list = Render({"--load-state", dir / "hand.aupreset", "--list"});
  EXPECT_NE(list.out.find("Drive:   0 to 1, generic, now 0.625"), std::string::npos) << list.out;
  EXPECT_NE(list.out.find("now Clean;"), std::string::npos) << list.out;
}

TEST_F(StateTest, UnusableStatesAreRefusedAndTouchNothing)
{
  const std::string out = dir / "out.wav";
  WriteText(out, "precious");
  struct Case
  {
    const char* file;
    std::string content;
    const char* message;
  };
  const std::vector<Case> cases = {
    {"text.aupreset", "just some words", "not a saved state"},
    {"array.aupreset",
     "<?xml version=\"1.0\"?><plist version=\"1.0\"><array><integer>1</integer></array></plist>", "not a saved state"},
    {"other.aupreset", HandWritten(Chunk({0.5, 0.5, 0.5, 0.5, 1.0}), 1869772342), "another component"},
    {"nodata.aupreset",
     "<plist version=\"1.0\"><dict><key>version</key><integer>0</integer><key>type</key><integer>1635083896</integer>"
     "<key>subtype</key><integer>1869772341</integer><key>manufacturer</key><integer>1517448820</integer>"
     "<key>name</key><string>x</string></dict></plist>",
     "no \"data\""},
    {"short.aupreset", HandWritten(Chunk({0.5})), "refused the state"},
    {"empty.aupreset", HandWritten(""), "refused the state"},
  };
  for (const Case& c : cases)
  {
    WriteText(dir / c.file, c.content);
    const RunResult r = Render({"--load-state", dir / c.file, in, out});
    EXPECT_EQ(r.exitCode, 1) << c.file;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << c.file << ": " << r.err;
    EXPECT_EQ(ReadText(out), "precious") << c.file;
  }
  const RunResult missing = Render({"--load-state", dir / "missing.aupreset", in, out});
  EXPECT_NE(missing.err.find("cannot read state file"), std::string::npos) << missing.err;
}

TEST_F(StateTest, StateFileMustNotOverwriteTheAudio)
{
  const RunResult r = Render({"--save-state", in, in, dir / "out.wav"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("same file as INPUT"), std::string::npos) << r.err;
  const RunResult o = Render({"--save-state", dir / "out.wav", in, dir / "out.wav"});
  EXPECT_NE(o.err.find("same file as OUTPUT"), std::string::npos) << o.err;
  WriteText(dir / "s.aupreset", "x");
  const RunResult l = Render({"--load-state", dir / "s.aupreset", in, dir / "s.aupreset"});
  EXPECT_NE(l.err.find("--load-state"), std::string::npos) << l.err;
  EXPECT_EQ(ReadText(dir / "s.aupreset"), "x");
  EXPECT_FALSE(Exists(dir / "out.wav"));
}

// The unit's state carries the name of its current preset slot ("Dirty"
// whatever was set); the saved name must say how the state was made.
TEST_F(StateTest, SavedNameSaysWhereTheStateCameFrom)
{
  WriteText(dir / "hand.aupreset", HandWritten(Chunk({0.75, 0.625, 0.375, 0.875, 0.0})));
  struct Case
  {
    std::vector<std::string> args;
    const char* name;
  };
  const std::vector<Case> cases = {
    {{"--set", "Channel=Clean"}, "tone"},
    {{"--preset", "Clean"}, "Clean"},
    {{"--preset", "Clean", "--set", "Channel=Clean"}, "Clean"},  // set to what the preset has
    {{"--load-state", dir / "hand.aupreset", "--set", "Level=0.9"}, "Late Night"},
    {{"--preset", "Clean", "--name", "Sunday Jazz"}, "Sunday Jazz"},
  };
  for (const Case& c : cases)
  {
    std::vector<std::string> args = c.args;
    args.insert(args.end(), {"--save-state", dir / "tone.aupreset"});
    const RunResult r = Render(args);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    CFDictionaryRef dict = ParsePlist(ReadText(dir / "tone.aupreset"));
    ASSERT_NE(dict, nullptr);
    EXPECT_EQ(Text(dict, "name"), c.name) << c.args[0] << " " << c.args[1];
    CFRelease(dict);
  }
}

TEST_F(StateTest, FolderGivenAsStateIsCalledAFolder)
{
  const RunResult r = Render({"--load-state", dir.Path(), "--list"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("is a folder"), std::string::npos) << r.err;
  EXPECT_EQ(r.err.find("too large"), std::string::npos) << r.err;
}

// What the property-list reader and the unit would take in part: a document
// cut short or followed by other bytes, and data longer than the unit's
// five parameters.
TEST_F(StateTest, DamagedOrOversizedStatesAreRefused)
{
  const std::string good = HandWritten(Chunk({0.75, 0.625, 0.375, 0.875, 0.0}));
  const size_t dictEnd = good.rfind("</dict>");
  const std::vector<std::pair<std::string, std::string>> cases = {
    {good.substr(0, good.rfind("</plist>")), "cut short"},
    {good.substr(0, dictEnd), "cut short"},
    {good.substr(0, dictEnd + 4), "cut short"},
    {good + "<key>x</key>", "followed by other bytes"},
    {HandWritten(Chunk({0.75, 0.625, 0.375, 0.875, 0.0, 0.5})), "48 bytes long, the component's own is 40"},
  };
  const std::string out = dir / "out.wav";
  for (const auto& [content, message] : cases)
  {
    WriteText(dir / "bad.aupreset", content);
    const RunResult r = Render({"--load-state", dir / "bad.aupreset", in, out});
    EXPECT_EQ(r.exitCode, 1) << content;
    EXPECT_NE(r.err.find(message), std::string::npos) << r.err;
    EXPECT_FALSE(Exists(out));
  }
  WriteText(dir / "good.aupreset", good + "\n\n");
  EXPECT_EQ(Render({"--load-state", dir / "good.aupreset", "--list"}).exitCode, 0);
}
