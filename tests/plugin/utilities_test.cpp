#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include "plugin/IPlugUtilities.h"
#include "plugin/containers/KIT_String.h"

TEST(Versions, SplitDecimalAndText)
{
  int major = -1, minor = -1, patch = -1;
  GetVersionParts(0x10300, &major, &minor, &patch);
  EXPECT_EQ(major, 1);
  EXPECT_EQ(minor, 3);
  EXPECT_EQ(patch, 0);
  EXPECT_EQ(GetDecimalVersion(66304), 10300);
  EXPECT_EQ(GetDecimalVersion(0x20105), 20105);

  char text[kMaxVersionStrLen + 1];
  GetVersionStr(66304, text);
  EXPECT_STREQ(text, "v1.3.0");
  GetVersionStr(0x20105, text);
  EXPECT_STREQ(text, "v2.1.5");
  GetVersionStr(0, text);
  EXPECT_STREQ(text, "v0.0.0");
}

TEST(Versions, TopBitSetStillGivesNonNegativeFields)
{
  int major, minor, patch;
  GetVersionParts(-1, &major, &minor, &patch);
  EXPECT_EQ(major, 65535);
  EXPECT_EQ(minor, 255);
  EXPECT_EQ(patch, 255);
  char text[kMaxVersionStrLen + 1];
  GetVersionStr(-1, text);
  EXPECT_STREQ(text, "v65535.255.255");
  EXPECT_EQ(GetDecimalVersion(-1), 655350000 + 25500 + 255);
}

TEST(Timer, EveryWaitsForProcessorTime)
{
  Timer t;
  EXPECT_FALSE(t.Every(0.5));

  // Burn processor time (the timer ignores sleeping) until a short interval passes.
  Timer shortTimer;
  volatile double sink = 0.0;
  bool fired = false;
  for (long i = 0; i < 2000000000L && !fired; ++i)
  {
    sink = sink + 1.0;
    if ((i & 0xffff) == 0) fired = shortTimer.Every(0.01);
  }
  EXPECT_TRUE(fired);
  // A new interval has started.
  EXPECT_FALSE(shortTimer.Every(0.5));
}

TEST(Characters, Whitespace)
{
  EXPECT_TRUE(IsWhitespace(' '));
  EXPECT_TRUE(IsWhitespace('\t'));
  EXPECT_TRUE(IsWhitespace('\n'));
  EXPECT_TRUE(IsWhitespace('\r'));
  EXPECT_FALSE(IsWhitespace('\v'));
  EXPECT_FALSE(IsWhitespace('\f'));
  EXPECT_FALSE(IsWhitespace('\0'));
  EXPECT_FALSE(IsWhitespace('x'));
  EXPECT_FALSE(IsWhitespace((char)0xA0));
}

TEST(Characters, ToLowerCopiesAndWorksInPlace)
{
  char out[32];
  memset(out, '#', sizeof(out));
  ToLower(out, "MiXeD 123 ABC");
  EXPECT_STREQ(out, "mixed 123 abc");

  char inPlace[] = "REAPER64";
  ToLower(inPlace, inPlace);
  EXPECT_STREQ(inPlace, "reaper64");

  // Bytes above 127 pass through unchanged (no undefined tolower of negative chars).
  const char utf8[] = "\xC3\x89T\xFF";
  ToLower(out, utf8);
  EXPECT_STREQ(out, "\xC3\x89t\xFF");

  ToLower(out, "");
  EXPECT_STREQ(out, "");
}

namespace
{
// Runs f with TZ set to zone, restoring the previous setting afterwards.
template <class F>
void WithTimeZone(const char* zone, F f)
{
  const char* old = getenv("TZ");
  std::string saved = old ? old : "";
  setenv("TZ", zone, 1);
  tzset();
  f();
  if (old) setenv("TZ", saved.c_str(), 1);
  else unsetenv("TZ");
  tzset();
}

// "YYYYmmdd HH:MM " followed by a sign and four digits.
bool LooksLikeCurrentTime(const std::string& t)
{
  const char* shape = "dddddddd dd:dd sdddd";
  if (t.size() != strlen(shape)) return false;
  for (size_t i = 0; i < t.size(); ++i)
  {
    const char c = t[i];
    const bool ok = shape[i] == 'd' ? (c >= '0' && c <= '9') : shape[i] == 's' ? (c == '+' || c == '-') : c == shape[i];
    if (!ok) return false;
  }
  return true;
}

std::string Offset(const char* text)
{
  std::string s = text;
  return s.size() >= 5 ? s.substr(s.size() - 5) : s;
}
}  // namespace

TEST(CurrentTime, FormatAndUtcOffset)
{
  WithTimeZone("UTC0", [] {
    const char* t = CurrentTime();
    EXPECT_TRUE(LooksLikeCurrentTime(t)) << t;
    EXPECT_EQ(Offset(t), "+0000");
  });
  WithTimeZone("XST-5:30", [] { EXPECT_EQ(Offset(CurrentTime()), "+0530"); });
  WithTimeZone("YST8", [] { EXPECT_EQ(Offset(CurrentTime()), "-0800"); });
  // Far apart zones are often on different days; the day correction keeps the offset.
  WithTimeZone("AST-14", [] { EXPECT_EQ(Offset(CurrentTime()), "+1400"); });
  WithTimeZone("BST12", [] { EXPECT_EQ(Offset(CurrentTime()), "-1200"); });
}

TEST(CurrentTime, MatchesTheLocalClock)
{
  WithTimeZone("UTC0", [] {
    time_t now = time(nullptr);
    struct tm utc;
    gmtime_r(&now, &utc);
    char expect[16];
    strftime(expect, sizeof(expect), "%Y%m%d", &utc);
    std::string t = CurrentTime();
    // Retry once across a midnight boundary.
    if (t.compare(0, 8, expect) != 0)
    {
      now = time(nullptr);
      gmtime_r(&now, &utc);
      strftime(expect, sizeof(expect), "%Y%m%d", &utc);
    }
    EXPECT_EQ(t.substr(0, 8), expect);
  });
}

TEST(CompileTimestamp, ShortensDateAndTime)
{
  KIT_String out;
  CompileTimestamp("Dec  6 2026", "11:22:33", &out);
  EXPECT_STREQ(out.Get(), "[Dec 6 11:22]");
  CompileTimestamp("Dec 16 2026", "11:22:33", &out);
  EXPECT_STREQ(out.Get(), "[Dec16 11:22]");
  CompileTimestamp(__DATE__, __TIME__, &out);
  EXPECT_EQ(strlen(out.Get()), 13u) << out.Get();
}

TEST(CompileTimestamp, ShortOrMissingInputsStayBounded)
{
  KIT_String out;
  CompileTimestamp("", "", &out);
  EXPECT_STREQ(out.Get(), "[ ]");
  CompileTimestamp("Dec", "1", &out);
  EXPECT_STREQ(out.Get(), "[Dec 1]");
  CompileTimestamp(nullptr, nullptr, &out);
  EXPECT_STREQ(out.Get(), "[ ]");
  CompileTimestamp("A very long date text", "and a very long time text", &out);
  EXPECT_STREQ(out.Get(), "[A vry and a]");
}

TEST(AppendTimestamp, PrefixesTextAndReusesOneBuffer)
{
  EXPECT_STREQ(AppendTimestamp("Dec 16 2026", "11:22:33", "Orvanta"), "Orvanta [Dec16 11:22]");
  // Feeding the previous result back in is safe.
  const char* prev = AppendTimestamp("Dec  6 2026", "01:02:03", "x");
  EXPECT_STREQ(AppendTimestamp("Dec  6 2026", "01:02:03", prev), "x [Dec 6 01:02] [Dec 6 01:02]");
}
