#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "plugin/IPlugHosts.h"
#include "plugin/IPlugTrace.h"

TEST(LookUpHost, RecognisesNamesCaseInsensitively)
{
  EXPECT_EQ(LookUpHost("Logic Pro"), kHostLogic);
  EXPECT_EQ(LookUpHost("Cubase 5"), kHostCubase);
  EXPECT_EQ(LookUpHost("REAPER64"), kHostReaper);
  EXPECT_EQ(LookUpHost("com.apple.logic10"), kHostLogic);
  EXPECT_EQ(LookUpHost("com.apple.garageband10"), kHostGarageBand);
  EXPECT_EQ(LookUpHost("Pro Tools"), kHostUnknown);  // the pattern has no blank
  EXPECT_EQ(LookUpHost("ProTools"), kHostProTools);
  EXPECT_EQ(LookUpHost("Ardour"), kHostArdour);
  EXPECT_EQ(LookUpHost("Standalone"), kHostStandalone);
  EXPECT_EQ(LookUpHost("com.presonus.studioone"), kHostStudioOne);
  EXPECT_EQ(LookUpHost("Melodyne"), kHostMelodyneStudio);
  EXPECT_EQ(LookUpHost("Cakewalk Sonar"), kHostSonar);
}

TEST(LookUpHost, PlainSubstringAndTableOrderDecide)
{
  EXPECT_EQ(LookUpHost("Olive"), kHostAbletonLive);
  EXPECT_EQ(LookUpHost("live logic"), kHostAbletonLive);
  EXPECT_EQ(LookUpHost("logic live"), kHostAbletonLive);
  EXPECT_EQ(LookUpHost("Nuendo by Cubase"), kHostCubase);
  // "digital" comes before "protools" in the table.
  EXPECT_EQ(LookUpHost("Digital ProTools"), kHostDigitalPerformer);
}

TEST(LookUpHost, UnknownEmptyNullAndNonAscii)
{
  EXPECT_EQ(LookUpHost("SomeOtherDAW"), kHostUnknown);
  EXPECT_EQ(LookUpHost(""), kHostUnknown);
  EXPECT_EQ(LookUpHost(nullptr), kHostUnknown);
  EXPECT_EQ(LookUpHost("\xC3\xA9\xFF\x80 Reaper"), kHostReaper);
}

TEST(LookUpHost, LongNamesAreJudgedByTheirFirst255Characters)
{
  std::string name(250, 'x');
  name += "reaper";  // ends at character 256: cut to "...rea"
  EXPECT_EQ(LookUpHost(name.c_str()), kHostUnknown);
  std::string fits(249, 'x');
  fits += "reaper";  // exactly 255 characters
  EXPECT_EQ(LookUpHost(fits.c_str()), kHostReaper);
  std::string huge(100000, 'y');
  EXPECT_EQ(LookUpHost(("cubase" + huge).c_str()), kHostCubase);
}

TEST(GetHostNameStr, NamesFromTheTable)
{
  char name[kMaxHostNameLen + 1];
  struct
  {
    int code;
    const char* name;
  } cases[] = {
    { -1, "Unknown" },         { 0, "Unknown" },      { 1, "Reaper" },         { 2, "ProTools" },
    { 7, "FLStudio" },         { 9, "Live" },         { 10, "Unknown" },       { 11, "Unknown" },
    { 12, "Unknown" },         { 13, "VSTScanner" },  { 19, "Unknown" },       { 23, "DigitalPerformer" },
    { 27, "VST3PluginTestHost" }, { 28, "Ardour" },   { 29, "Unknown" },       { 1000, "Unknown" },
  };
  for (const auto& c : cases)
  {
    memset(name, '#', sizeof(name));
    GetHostNameStr((EHost)c.code, name);
    EXPECT_STREQ(name, c.name) << c.code;
    EXPECT_LE((int)strlen(name), kMaxHostNameLen);
  }
}

namespace
{
int gEvaluations = 0;
int Counted()
{
  return ++gEvaluations;
}
}  // namespace

TEST(Trace, TracePointsHaveNoEffect)
{
  TRACE_F("Test", "%d:%s:%f", Counted(), "text", 1.5);
  (void)TRACE_F("Test", "plain");
  Trace("Test", __LINE__, "%d", 3);
  EXPECT_EQ(gEvaluations, 0);
  EXPECT_STREQ(AUSelectStr(1), "");
  EXPECT_STREQ(AUPropertyStr(8), "");
  EXPECT_STREQ(AUScopeStr(0), "");
  EXPECT_STREQ(VSTOpcodeStr(-5), "");
}
