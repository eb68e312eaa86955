#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "plugin/IMidiMsg.h"
#include "plugin/ISysEx.h"

TEST(IMidiMsg, FieldLayoutIsOffsetThenThreeBytes)
{
  static_assert(sizeof(IMidiMsg) == 8);
  IMidiMsg m(17, 0x93, 60, 100);
  EXPECT_EQ(m.mOffset, 17);
  EXPECT_EQ(m.mStatus, 0x93);
  m.Clear();
  EXPECT_EQ(m.mOffset, 0);
  EXPECT_EQ(m.mStatus, 0);
  EXPECT_EQ(m.mData1, 0);
  EXPECT_EQ(m.mData2, 0);
}

TEST(IMidiMsg, NoteOnAndOff)
{
  IMidiMsg m(5, 0xFF, 0xFF, 0xFF);
  m.MakeNoteOnMsg(60, 0, 12, 3);
  EXPECT_EQ(m.mStatus, 0x93);
  EXPECT_EQ(m.mOffset, 12);
  EXPECT_EQ(m.StatusMsg(), IMidiMsg::kNoteOn);  // velocity 0 stays a note-on
  EXPECT_EQ(m.Velocity(), 0);
  EXPECT_EQ(m.NoteNumber(), 60);
  EXPECT_EQ(m.Channel(), 3);
  EXPECT_EQ(m.ControlChangeIdx(), 60);

  m.MakeNoteOffMsg(64, 7, 15);
  EXPECT_EQ(m.mStatus, 0x8F);
  EXPECT_EQ(m.mData2, 0);
  EXPECT_EQ(m.NoteNumber(), 64);
  EXPECT_EQ(m.Velocity(), 0);
  EXPECT_EQ(m.PolyAfterTouch(), -1);
}

TEST(IMidiMsg, MakersKeepChannelAndDataInRange)
{
  IMidiMsg m;
  m.MakeNoteOnMsg(200, 300, 0, 16);  // channel 16 must not turn into poly aftertouch
  EXPECT_EQ(m.StatusMsg(), IMidiMsg::kNoteOn);
  EXPECT_EQ(m.Channel(), 15);
  EXPECT_EQ(m.mData1, 127);
  EXPECT_EQ(m.mData2, 127);
  m.MakeNoteOffMsg(-4, 0, -1);
  EXPECT_EQ(m.mStatus, 0x80);
  EXPECT_EQ(m.mData1, 0);
  m.MakeControlChangeMsg((IMidiMsg::EControlChangeMsg)500, 0.5, 99);
  EXPECT_EQ(m.mStatus, 0xBF);
  EXPECT_EQ(m.mData1, 127);
}

TEST(IMidiMsg, PitchWheelMakeAndDecode)
{
  IMidiMsg m;
  m.MakePitchWheelMsg(-1.0, 2);
  EXPECT_EQ(m.mStatus, 0xE2);
  EXPECT_EQ(m.mData1, 0);
  EXPECT_EQ(m.mData2, 0);
  EXPECT_DOUBLE_EQ(m.PitchWheel(), -1.0);
  m.MakePitchWheelMsg(0.0);
  EXPECT_EQ(m.mData1, 0);
  EXPECT_EQ(m.mData2, 64);
  EXPECT_DOUBLE_EQ(m.PitchWheel(), 0.0);
  m.MakePitchWheelMsg(1.0);
  EXPECT_EQ(m.mData1, 127);
  EXPECT_EQ(m.mData2, 127);
  EXPECT_DOUBLE_EQ(m.PitchWheel(), 1.0 - 1.0 / 8192.0);
  m.MakePitchWheelMsg(2.0);
  EXPECT_EQ(m.mData1, 127);
  EXPECT_EQ(m.mData2, 127);
  m.MakePitchWheelMsg(-0.00001);  // truncation toward zero
  EXPECT_EQ(m.mData2 * 128 + m.mData1, 8192);
  m.MakePitchWheelMsg(0.5);
  EXPECT_EQ(m.mData2 * 128 + m.mData1, 12288);
  EXPECT_EQ(m.mOffset, 0);

  // Values with no integer conversion are clamped or centred first.
  m.MakePitchWheelMsg(std::numeric_limits<double>::quiet_NaN());
  EXPECT_EQ(m.mData2 * 128 + m.mData1, 8192);
  m.MakePitchWheelMsg(-1e300);
  EXPECT_EQ(m.mData2 * 128 + m.mData1, 0);
  m.MakePitchWheelMsg(std::numeric_limits<double>::infinity());
  EXPECT_EQ(m.mData2 * 128 + m.mData1, 16383);

  IMidiMsg noteOn(0, 0x90, 127, 127);
  EXPECT_EQ(noteOn.PitchWheel(), 0.0);
}

TEST(IMidiMsg, ControlChange)
{
  IMidiMsg m;
  m.MakeControlChangeMsg(IMidiMsg::kPan, 0.5, 1);
  EXPECT_EQ(m.mStatus, 0xB1);
  EXPECT_EQ(m.mData1, 10);
  EXPECT_EQ(m.mData2, 63);
  EXPECT_EQ(m.ControlChange(IMidiMsg::kChannelVolume), -1.0);
  EXPECT_EQ(m.NoteNumber(), -1);

  m.MakeControlChangeMsg(IMidiMsg::kChannelVolume, 1.0);
  EXPECT_EQ(m.ControlChange(IMidiMsg::kChannelVolume), 1.0);
  m.MakeControlChangeMsg(IMidiMsg::kChannelVolume, 7.0);
  EXPECT_EQ(m.mData2, 127);
  m.MakeControlChangeMsg(IMidiMsg::kChannelVolume, -0.5);
  EXPECT_EQ(m.mData2, 0);
  m.MakeControlChangeMsg(IMidiMsg::kChannelVolume, std::nan(""));
  EXPECT_EQ(m.mData2, 0);

  IMidiMsg noteOn(0, 0x90, 7, 127);
  EXPECT_EQ(noteOn.ControlChange(IMidiMsg::kChannelVolume), -1.0);
}

TEST(IMidiMsg, DecodersPickTheirKindOnly)
{
  IMidiMsg poly(0, 0xA4, 61, 33);
  EXPECT_EQ(poly.NoteNumber(), 61);
  EXPECT_EQ(poly.PolyAfterTouch(), 33);
  EXPECT_EQ(poly.Velocity(), -1);
  EXPECT_EQ(poly.ChannelAfterTouch(), -1);

  IMidiMsg chanAt(0, 0xD0, 90, 0);
  EXPECT_EQ(chanAt.ChannelAfterTouch(), 90);
  EXPECT_EQ(chanAt.Program(), -1);
  EXPECT_EQ(chanAt.NoteNumber(), -1);

  IMidiMsg prog(0, 0xC9, 12, 0);
  EXPECT_EQ(prog.Program(), 12);
  EXPECT_EQ(prog.Channel(), 9);
  EXPECT_EQ(prog.ChannelAfterTouch(), -1);
}

TEST(IMidiMsg, SystemAndRunningStatusBytesAreNotChannelMessages)
{
  for (int status : { 0x00, 0x45, 0x7F, 0xF0, 0xF8, 0xFF })
  {
    IMidiMsg m(0, (uint8_t)status, 60, 100);
    EXPECT_EQ(m.StatusMsg(), IMidiMsg::kNone) << status;
    EXPECT_EQ(m.NoteNumber(), -1);
    EXPECT_EQ(m.Velocity(), -1);
    EXPECT_EQ(m.Program(), -1);
    EXPECT_EQ(m.PitchWheel(), 0.0);
    EXPECT_EQ(m.ControlChange((IMidiMsg::EControlChangeMsg)60), -1.0);
  }
}

TEST(IMidiMsg, MalformedDataBytesDecodeInRange)
{
  IMidiMsg note(0, 0x90, 0xBC, 0xFF);
  EXPECT_EQ(note.NoteNumber(), 0x3C);
  EXPECT_EQ(note.Velocity(), 127);
  IMidiMsg wheel(0, 0xE0, 0xFF, 0xFF);
  EXPECT_DOUBLE_EQ(wheel.PitchWheel(), 1.0 - 1.0 / 8192.0);
  IMidiMsg cc(0, 0xB0, 0x87, 0xFF);
  EXPECT_EQ(cc.ControlChangeIdx(), 7);
  EXPECT_EQ(cc.ControlChange(IMidiMsg::kChannelVolume), 1.0);
}

TEST(IMidiMsg, StatusNames)
{
  EXPECT_STREQ(IMidiMsg::StatusMsgStr(IMidiMsg::kNone), "none");
  EXPECT_STREQ(IMidiMsg::StatusMsgStr(IMidiMsg::kPolyAftertouch), "aftertouch");
  EXPECT_STREQ(IMidiMsg::StatusMsgStr(IMidiMsg::kPitchWheel), "pitchwheel");
  // The enumerations have int as their underlying type, so any int is a valid value
  // to ask about (15163 once came out of the fuzzer).
  for (int v : { 3, 15, -1, 15163 })
    EXPECT_STREQ(IMidiMsg::StatusMsgStr((IMidiMsg::EStatusMsg)v), "unknown") << v;
}

TEST(ISysEx, ClearAndLayout)
{
  const uint8_t bytes[] = { 0xF0, 0x7E, 0xF7 };
  ISysEx s(4, bytes, 3);
  EXPECT_EQ(s.mSize, 3);
  s.Clear();
  EXPECT_EQ(s.mOffset, 0);
  EXPECT_EQ(s.mSize, 0);
  EXPECT_EQ(s.mData, nullptr);
}

TEST(SysExStr, WritesAsManyPairsAsFit)
{
  const unsigned char bytes[] = { 0xF0, 0x7E, 0x7F };
  char text[16];
  memset(text, '#', sizeof(text));
  EXPECT_EQ(SysExStr(text, 9, bytes, 3), text);
  EXPECT_STREQ(text, "F0 7E 7F");
  memset(text, '#', sizeof(text));
  SysExStr(text, 6, bytes, 3);
  EXPECT_STREQ(text, "F0 7E");
  EXPECT_EQ(text[6], '#');  // nothing past maxLength
  SysExStr(text, 16, bytes, 2);
  EXPECT_STREQ(text, "F0 7E");
  const unsigned char lower[] = { 0x0a, 0xbc };
  SysExStr(text, 16, lower, 2);
  EXPECT_STREQ(text, "0A BC");
}

TEST(SysExStr, EmptyCasesAndTinyBuffers)
{
  const unsigned char bytes[] = { 0x12, 0x34 };
  char text[8];
  strcpy(text, "junk");
  SysExStr(text, 8, nullptr, 2);
  EXPECT_STREQ(text, "");
  strcpy(text, "junk");
  SysExStr(text, 8, bytes, 0);
  EXPECT_STREQ(text, "");
  strcpy(text, "junk");
  SysExStr(text, 8, bytes, -5);
  EXPECT_STREQ(text, "");
  strcpy(text, "junk");
  SysExStr(text, 2, bytes, 2);
  EXPECT_STREQ(text, "");
  strcpy(text, "junk");
  SysExStr(text, 0, bytes, 2);  // no room even for a terminator: untouched
  EXPECT_STREQ(text, "junk");
  SysExStr(text, -3, bytes, 2);
  EXPECT_STREQ(text, "junk");
  EXPECT_EQ(SysExStr(nullptr, 8, bytes, 2), nullptr);
}
