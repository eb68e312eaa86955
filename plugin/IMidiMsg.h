#pragma once

#include <cstdint>

// One short MIDI message and where it falls inside the current audio block.
//
// Decoders accept any bytes: a status outside 0x80-0xEF is never taken for a channel
// message, and data bytes are read as their low seven bits (a MIDI data byte has no
// more), so every decoded number stays in its documented range even when a host
// hands over malformed bytes.
struct IMidiMsg
{
  int mOffset;      // sample position of the event inside the current block
  uint8_t mStatus;  // kind in the high nibble, channel 0-15 in the low nibble
  uint8_t mData1;
  uint8_t mData2;

  // The high nibble of the status byte.
  enum EStatusMsg : int
  {
    kNone = 0,
    kNoteOff = 8,
    kNoteOn = 9,
    kPolyAftertouch = 10,
    kControlChange = 11,
    kProgramChange = 12,
    kChannelAftertouch = 13,
    kPitchWheel = 14
  };

  // Controller numbers, the first data byte of a control change.
  enum EControlChangeMsg : int
  {
    kBankSelect = 0,
    kModWheel = 1,
    kBreathController = 2,
    kFootController = 4,
    kPortamentoTime = 5,
    kDataEntry = 6,
    kChannelVolume = 7,
    kBalance = 8,
    kPan = 10,
    kExpressionController = 11,
    kEffectControl1 = 12,
    kEffectControl2 = 13,
    kGeneralPurposeController1 = 16,
    kGeneralPurposeController2 = 17,
    kGeneralPurposeController3 = 18,
    kGeneralPurposeController4 = 19,
    kSustainOnOff = 64,
    kPortamentoOnOff = 65,
    kSustenutoOnOff = 66,
    kSoftPedalOnOff = 67,
    kLegatoOnOff = 68,
    kHold2OnOff = 69,
    kSoundVariation = 70,
    kResonance = 71,
    kReleaseTime = 72,
    kAttackTime = 73,
    kCutoffFrequency = 74,
    kDecayTime = 75,
    kVibratoRate = 76,
    kVibratoDepth = 77,
    kVibratoDelay = 78,
    kSoundControllerUndefined = 79,
    kTremoloDepth = 92,
    kChorusDepth = 93,
    kPhaserDepth = 95,
    kAllSoundOff = 120,
    kResetAllControllers = 121,
    kAllNotesOff = 123
  };

  explicit IMidiMsg(int offset = 0, uint8_t status = 0, uint8_t data1 = 0, uint8_t data2 = 0)
    : mOffset(offset), mStatus(status), mData1(data1), mData2(data2)
  {
  }

  void Clear();

  // The makers clear the message first. Channels are limited to 0-15 and data to
  // 0-127, so an out-of-range argument can never change the kind of message built.
  void MakeNoteOnMsg(int noteNumber, int velocity, int offset, int channel = 0);
  void MakeNoteOffMsg(int noteNumber, int offset, int channel = 0);
  // value in -1 ... 1 (centre 0); outside is clamped, NaN counts as centre.
  void MakePitchWheelMsg(double value, int channel = 0);
  // value in 0 ... 1; outside is clamped, NaN counts as 0.
  void MakeControlChangeMsg(EControlChangeMsg idx, double value, int channel = 0);

  int Channel() const;
  EStatusMsg StatusMsg() const;
  int NoteNumber() const;         // note off, note on, poly aftertouch; else -1
  int Velocity() const;           // note off, note on; else -1
  int PolyAfterTouch() const;     // poly aftertouch; else -1
  int ChannelAfterTouch() const;  // channel aftertouch; else -1
  int Program() const;            // program change; else -1
  double PitchWheel() const;      // -1 ... 1 - 1/8192 for pitch wheel; else 0
  EControlChangeMsg ControlChangeIdx() const;  // first data byte whatever the kind
  double ControlChange(EControlChangeMsg idx) const;  // 0 ... 1 for a match; else -1

  // Name of a message kind: "noteon", "controlchange", ...; "unknown" for others.
  static const char* StatusMsgStr(EStatusMsg msg);

  // Hands the message to the trace facility, which is off: no effect.
  void LogMsg() const;
};
