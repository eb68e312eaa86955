#include "plugin/IParam.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace
{
std::string Display(const IParam& p, double v, bool normalized = false, bool withText = true)
{
  char text[MAX_PARAM_DISPLAY_LEN];
  p.GetDisplayForHost(v, normalized, text, withText);
  return text;
}
}  // namespace

TEST(IParam, FreshParameterHasDocumentedDefaults)
{
  IParam p;
  EXPECT_EQ(p.Type(), IParam::kTypeNone);
  EXPECT_EQ(p.GetMin(), 0.0);
  EXPECT_EQ(p.GetMax(), 1.0);
  EXPECT_EQ(p.GetStep(), 1.0);
  EXPECT_EQ(p.GetShape(), 1.0);
  EXPECT_STREQ(p.GetNameForHost(), "");
  EXPECT_STREQ(p.GetLabelForHost(), "");
  EXPECT_STREQ(p.GetParamGroupForHost(), "");
  EXPECT_TRUE(p.GetCanAutomate());
  EXPECT_FALSE(p.GetNegateDisplay());
  EXPECT_EQ(p.GetNDisplayTexts(), 0);
}

TEST(IParam, InitialisersSetRangesAndFirstOneDecidesType)
{
  IParam e0, e1, e3;
  e0.InitEnum("e", 0, 0);
  e1.InitEnum("e", 0, 1);
  e3.InitEnum("e", 2, 3, "lab", "grp");
  EXPECT_EQ(e0.GetMax(), 1.0);
  EXPECT_EQ(e1.GetMax(), 1.0);
  EXPECT_EQ(e3.GetMax(), 2.0);
  EXPECT_EQ(e3.Value(), 2.0);
  EXPECT_STREQ(e3.GetParamGroupForHost(), "grp");

  IParam i;
  i.InitInt("n", 5, 10, 3);  // max below min + 1
  EXPECT_EQ(i.GetMin(), 10.0);
  EXPECT_EQ(i.GetMax(), 11.0);
  IParam big;
  big.InitInt("n", 0, INT_MAX, INT_MAX);
  EXPECT_EQ(big.GetMax(), (double)INT_MAX + 1.0);

  IParam b;
  b.InitBool("b", true);
  EXPECT_EQ(b.Type(), IParam::kTypeBool);
  EXPECT_EQ(b.Value(), 1.0);
  ASSERT_EQ(b.GetNDisplayTexts(), 2);
  int key = -1;
  EXPECT_STREQ(b.GetDisplayTextAtIdx(0, &key), "off");
  EXPECT_EQ(key, 0);
  EXPECT_STREQ(b.GetDisplayTextAtIdx(1, &key), "on");
  EXPECT_EQ(key, 1);
  EXPECT_STREQ(b.GetDisplayTextAtIdx(2, &key), "");

  b.InitDouble("d", 0.2, -5.0, 5.0, 0.5);
  EXPECT_EQ(b.Type(), IParam::kTypeBool);  // the type stays, the range changes
  EXPECT_EQ(b.GetMin(), -5.0);
  EXPECT_EQ(b.GetMax(), 5.0);
}

TEST(IParam, InitDoubleRangeShapeAndPrecision)
{
  IParam d;
  d.InitDouble("d", 3.0, 2.0, 2.0, 0.5, "", "", 0.0);
  EXPECT_EQ(d.GetMax(), 2.5);
  EXPECT_EQ(d.GetShape(), 1.0);
  EXPECT_EQ(d.Value(), 3.0);  // neither clamped nor rounded

  const struct
  {
    double step;
    int precision;
  } cases[] = {{1.0, 0}, {0.1, 1}, {0.01, 2}, {0.001, 3}, {0.25, 2}, {1e-9, 6}};
  for (const auto& c : cases)
  {
    IParam p;
    p.InitDouble("p", 0.0, 0.0, 1.0, c.step);
    EXPECT_EQ(p.GetPrecision(), c.precision) << c.step;
  }

  IParam s;
  s.InitDouble("s", 0.0, 0.0, 1.0, 0.01, "", "", 2.0);
  EXPECT_EQ(s.GetShape(), 2.0);
  s.SetShape(0.0);
  EXPECT_EQ(s.GetShape(), 2.0);
  s.SetShape(NAN);
  EXPECT_EQ(s.GetShape(), 2.0);
}

TEST(IParam, NormalisedConversionsRoundClampAndIgnoreNaN)
{
  IParam i;
  i.InitInt("i", 0, 0, 3);
  i.SetNormalized(0.5);
  EXPECT_EQ(i.Value(), 2.0);  // 1.5 rounds up
  i.SetNormalized(1.0);
  EXPECT_EQ(i.Value(), 3.0);
  i.SetNormalized(7.0);
  EXPECT_EQ(i.Value(), 3.0);
  i.SetNormalized(-3.0);
  EXPECT_EQ(i.Value(), 0.0);
  i.SetNormalized(0.34);
  i.SetNormalized(NAN);
  EXPECT_EQ(i.Value(), 1.0);

  IParam d;
  d.InitDouble("d", 0.0, -10.0, 10.0, 0.1, "", "", 2.0);
  d.SetNormalized(0.5);
  EXPECT_DOUBLE_EQ(d.Value(), -10.0 + 20.0 * 0.25);  // no rounding for doubles
  EXPECT_DOUBLE_EQ(d.GetNormalized(), 0.5);
  EXPECT_EQ(d.GetNormalized(-50.0), 0.0);
  EXPECT_EQ(d.GetNormalized(50.0), 1.0);
  EXPECT_EQ(d.GetNormalized(NAN), 0.0);

  d.Set(99.0);
  EXPECT_EQ(d.Value(), 10.0);
  d.Set(-99.0);
  EXPECT_EQ(d.Value(), -10.0);
  d.Set(NAN);
  EXPECT_EQ(d.Value(), -10.0);
  d.Set(-INFINITY);
  EXPECT_EQ(d.Value(), -10.0);

  IParam db;
  db.InitDouble("dB", 6.0205999, -60.0, 12.0, 0.1);
  EXPECT_NEAR(db.DBToAmp(), 2.0, 1e-6);
}

TEST(IParam, DisplayFollowsTypePrecisionTextsAndNegation)
{
  IParam d;
  d.InitDouble("d", 3.14159, 0.0, 10.0, 0.01);
  EXPECT_EQ(Display(d, d.Value()), "3.14");
  EXPECT_EQ(Display(d, 0.5, true), "5.00");

  IParam i;
  i.InitInt("i", 0, -10, 10);
  EXPECT_EQ(Display(i, -2.7), "-2");
  i.SetNegateDisplay(true);
  EXPECT_EQ(Display(i, 5.0), "-5");

  IParam b;
  b.InitBool("b", true, "units");
  char text[MAX_PARAM_DISPLAY_LEN];
  b.GetDisplayForHost(text, true);
  EXPECT_STREQ(text, "on");
  EXPECT_STREQ(b.GetLabelForHost(), "");
  b.GetDisplayForHost(text, false);
  EXPECT_STREQ(text, "1");

  IParam e;
  e.InitEnum("Channel", 1, 2, "ch");
  e.SetDisplayText(0, "Clean");
  EXPECT_EQ(Display(e, 0.6, true), "Clean");  // display truncates...
  e.SetNormalized(0.6);
  EXPECT_EQ(e.Value(), 1.0);                  // ...while the setter rounds
  EXPECT_EQ(Display(e, 1.0), "1");            // no text for 1: the number
  EXPECT_STREQ(e.GetLabelForHost(), "ch");    // and the label
  e.Set(0.0);
  EXPECT_STREQ(e.GetLabelForHost(), "");
}

TEST(IParam, DisplayNeverWritesPastTheField)
{
  const double values[] = {3.0e38, -3.0e38, DBL_MAX, -DBL_MAX, INFINITY, -INFINITY, NAN, 1e-300, 12345678901.5};
  for (int prec : {0, 1, 3, 6})
  {
    for (double v : values)
    {
      IParam p;
      if (prec)
        p.InitDouble("p", 0.0, -DBL_MAX, DBL_MAX, std::pow(10.0, -prec));
      else
        p.InitInt("p", 0, INT_MIN, INT_MAX);
      char buf[MAX_PARAM_DISPLAY_LEN + 16];
      memset(buf, 'Z', sizeof(buf));
      p.GetDisplayForHost(v, false, buf, true);
      for (size_t k = MAX_PARAM_DISPLAY_LEN; k < sizeof(buf); ++k) ASSERT_EQ(buf[k], 'Z') << v << " " << prec;
      ASSERT_LT(strlen(buf), (size_t)MAX_PARAM_DISPLAY_LEN);
      if (std::isfinite(v) && std::fabs(v) >= 1.0 && std::fabs(v) < 1e300 && prec)
      {
        EXPECT_NEAR(ParseDecimal(buf) / v, 1.0, 1e-5) << buf;  // cut to exponent form, not to wrong digits
      }
    }
  }
  IParam i;
  i.InitInt("i", 0, 0, 1);
  EXPECT_EQ(Display(i, 3.0e38), "2147483647");
  EXPECT_EQ(Display(i, -3.0e38), "-2147483648");
}

TEST(IParam, SaturatingIntConversion)
{
  EXPECT_EQ(SaturatingInt(1e300), INT_MAX);
  EXPECT_EQ(SaturatingInt(-1e300), INT_MIN);
  EXPECT_EQ(SaturatingInt(NAN), 0);
  EXPECT_EQ(SaturatingInt(-2.9), -2);
  EXPECT_EQ(SaturatingInt(2147483646.9), 2147483646);
  IParam p;
  p.InitDouble("p", 1e20, 0.0, 1e30, 1.0);
  EXPECT_EQ(p.Int(), INT_MAX);
}

TEST(IParam, DisplayTextLookups)
{
  IParam e;
  e.InitEnum("e", 0, 3);
  e.SetDisplayText(1, "Dirty");
  e.SetDisplayText(1, "Second");
  e.SetDisplayText(0, "");
  EXPECT_STREQ(e.GetDisplayText(1), "Dirty");  // first match wins
  EXPECT_STREQ(e.GetDisplayText(2), "");
  int v = 42;
  EXPECT_FALSE(e.MapDisplayText("dirty", &v));
  EXPECT_EQ(v, 42);
  EXPECT_TRUE(e.MapDisplayText("Second", &v));
  EXPECT_EQ(v, 1);
  EXPECT_FALSE(e.MapDisplayText(nullptr, &v));
  EXPECT_EQ(Display(e, 0.0), "0");  // an empty display text falls back to the number
}

TEST(IParam, LongTextsAreCutAtCharacterBoundaries)
{
  // 30 ASCII bytes then a two-byte character: 32 bytes do not fit 31.
  const std::string thirty(30, 'a');
  const std::string name = thirty + "\xC3\xA9" + "tail";
  IParam p;
  p.InitDouble(name.c_str(), 0.0, 0.0, 1.0, 0.1, name.c_str(), name.c_str());
  EXPECT_EQ(std::string(p.GetNameForHost()), thirty);
  EXPECT_EQ(std::string(p.GetLabelForHost()), thirty);
  EXPECT_EQ(std::string(p.GetParamGroupForHost()), thirty);

  const std::string exact(31, 'b');
  p.SetDisplayText(0, (exact + "overflow").c_str());
  EXPECT_EQ(std::string(p.GetDisplayText(0)), exact);

  char field[4];
  CopyTextField(field, 4, "\xE2\x82\xAC\xE2\x82\xAC");  // two 3-byte euro signs
  EXPECT_STREQ(field, "\xE2\x82\xAC");
  CopyTextField(field, 4, nullptr);
  EXPECT_STREQ(field, "");
}

TEST(IParam, ParsingUserText)
{
  EXPECT_EQ(ParseDecimal("0.500"), 0.5);
  EXPECT_EQ(ParseDecimal("  -1.5e2x"), -150.0);
  EXPECT_EQ(ParseDecimal("+.25"), 0.25);
  EXPECT_EQ(ParseDecimal("abc"), 0.0);
  EXPECT_EQ(ParseDecimal("inf"), 0.0);
  EXPECT_EQ(ParseDecimal("nan"), 0.0);
  EXPECT_EQ(ParseDecimal("."), 0.0);
  EXPECT_EQ(ParseDecimal(""), 0.0);
  EXPECT_EQ(ParseDecimal(nullptr), 0.0);
  EXPECT_EQ(ParseDecimal("1e999"), HUGE_VAL);

  IParam e;
  e.InitEnum("Channel", 0, 2);
  e.SetDisplayText(0, "Clean");
  e.SetDisplayText(1, "Dirty");
  EXPECT_EQ(e.GetNormalizedFromText("Dirty"), 1.0);
  EXPECT_EQ(e.GetNormalizedFromText("dirty"), 0.0);

  IParam d;
  d.InitDouble("d", 0.0, -1.0, 1.0, 0.001);
  d.SetNegateDisplay(true);
  EXPECT_DOUBLE_EQ(d.GetNormalizedFromText("-0.5"), 0.75);
  EXPECT_EQ(d.GetNormalizedFromText("garbage"), 0.5);
}

// A host in a decimal-comma locale still sees and types "0.500".
TEST(IParam, NumbersIgnoreTheProcessLocale)
{
  char dir[] = "/tmp/orvanta-locale-XXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  const std::string cmd = std::string("localedef -i de_DE -f UTF-8 ") + dir + "/de_DE.UTF-8 >/dev/null 2>&1";
  const int rc = system(cmd.c_str());
  setenv("LOCPATH", dir, 1);
  const char* set = rc == 0 ? setlocale(LC_ALL, "de_DE.UTF-8") : nullptr;
  if (!set)
  {
    unsetenv("LOCPATH");
    GTEST_SKIP() << "no decimal-comma locale could be made";
  }
  char check[16];
  snprintf(check, sizeof(check), "%.1f", 0.5);
  EXPECT_STREQ(check, "0,5");  // the locale really is in force

  IParam p;
  p.InitDouble("Level", 0.5, 0.0, 1.0, 0.001);
  EXPECT_EQ(Display(p, p.Value()), "0.500");
  EXPECT_EQ(ParseDecimal("0.500"), 0.5);
  EXPECT_DOUBLE_EQ(p.GetNormalizedFromText("0.250"), 0.25);
  char big[MAX_PARAM_DISPLAY_LEN];
  FormatDecimal(big, sizeof(big), 3.0e38, 3);
  EXPECT_EQ(strchr(big, ','), nullptr);

  setlocale(LC_ALL, "C");
  unsetenv("LOCPATH");
  system((std::string("rm -rf ") + dir).c_str());
}
