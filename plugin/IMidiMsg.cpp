#include "plugin/IMidiMsg.h"

#include "plugin/IPlugTrace.h"

namespace
{
int Clamp(int v, int lo, int hi)
{
  return v < lo ? lo : (v > hi ? hi : v);
}

uint8_t ChannelNibble(int channel)
{
  return (uint8_t)Clamp(channel, 0, 15);
}

uint8_t DataByte(int value)
{
  return (uint8_t)Clamp(value, 0, 127);
}
}  // namespace

void IMidiMsg::Clear()
{
  mOffset = 0;
  mStatus = mData1 = mData2 = 0;
}

void IMidiMsg::MakeNoteOnMsg(int noteNumber, int velocity, int offset, int channel)
{
  Clear();
  mStatus = 0x90 | ChannelNibble(channel);
  mData1 = DataByte(noteNumber);
  mData2 = DataByte(velocity);
  mOffset = offset;
}

void IMidiMsg::MakeNoteOffMsg(int noteNumber, int offset, int channel)
{
  Clear();
  mStatus = 0x80 | ChannelNibble(channel);
  mData1 = DataByte(noteNumber);
  mOffset = offset;
}

void IMidiMsg::MakePitchWheelMsg(double value, int channel)
{
  Clear();
  mStatus = 0xE0 | ChannelNibble(channel);
  // Clamping the value before the conversion keeps it defined for any double; for
  // values in -1 ... 1 the result is the plain (int)(value * 8192) + 8192.
  if (!(value >= -1.0)) value = (value < -1.0) ? -1.0 : 0.0;
  if (value > 1.0) value = 1.0;
  const int i = Clamp((int)(value * 8192.0) + 8192, 0, 16383);
  mData1 = (uint8_t)(i % 128);
  mData2 = (uint8_t)(i / 128);
}

void IMidiMsg::MakeControlChangeMsg(EControlChangeMsg idx, double value, int channel)
{
  Clear();
  mStatus = 0xB0 | ChannelNibble(channel);
  mData1 = DataByte((int)idx);
  if (!(value >= 0.0)) value = 0.0;
  if (value > 1.0) value = 1.0;
  mData2 = (uint8_t)(int)(value * 127.0);
}

int IMidiMsg::Channel() const
{
  return mStatus & 0x0F;
}

IMidiMsg::EStatusMsg IMidiMsg::StatusMsg() const
{
  if (mStatus < 0x80 || mStatus >= 0xF0) return kNone;
  return (EStatusMsg)(mStatus >> 4);
}

int IMidiMsg::NoteNumber() const
{
  switch (StatusMsg())
  {
    case kNoteOff:
    case kNoteOn:
    case kPolyAftertouch: return mData1 & 0x7F;
    default: return -1;
  }
}

int IMidiMsg::Velocity() const
{
  switch (StatusMsg())
  {
    case kNoteOff:
    case kNoteOn: return mData2 & 0x7F;
    default: return -1;
  }
}

int IMidiMsg::PolyAfterTouch() const
{
  return StatusMsg() == kPolyAftertouch ? (mData2 & 0x7F) : -1;
}

int IMidiMsg::ChannelAfterTouch() const
{
  return StatusMsg() == kChannelAftertouch ? (mData1 & 0x7F) : -1;
}

int IMidiMsg::Program() const
{
  return StatusMsg() == kProgramChange ? (mData1 & 0x7F) : -1;
}

double IMidiMsg::PitchWheel() const
{
  if (StatusMsg() != kPitchWheel) return 0.0;
  const int i = (mData1 & 0x7F) + 128 * (mData2 & 0x7F);
  return (double)(i - 8192) / 8192.0;
}

IMidiMsg::EControlChangeMsg IMidiMsg::ControlChangeIdx() const
{
  return (EControlChangeMsg)(mData1 & 0x7F);
}

double IMidiMsg::ControlChange(EControlChangeMsg idx) const
{
  if (StatusMsg() == kControlChange && ControlChangeIdx() == idx) return (double)(mData2 & 0x7F) / 127.0;
  return -1.0;
}

const char* IMidiMsg::StatusMsgStr(EStatusMsg msg)
{
  switch (msg)
  {
    case kNone: return "none";
    case kNoteOff: return "noteoff";
    case kNoteOn: return "noteon";
    case kPolyAftertouch: return "aftertouch";
    case kControlChange: return "controlchange";
    case kProgramChange: return "programchange";
    case kChannelAftertouch: return "channelaftertouch";
    case kPitchWheel: return "pitchwheel";
    default: return "unknown";
  }
}

void IMidiMsg::LogMsg() const
{
  TRACE_F("LogMsg", "midi:(%s) offs:%d ch:%d d1:%d d2:%d", StatusMsgStr(StatusMsg()), mOffset, Channel(),
          mData1, mData2);
}
