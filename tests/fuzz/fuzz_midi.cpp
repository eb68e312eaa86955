// Feeds arbitrary bytes to the MIDI and SysEx decoders and makers. Every decoded value
// must stay inside its documented range and SysExStr must never write past the room
// it was given (the output buffer is sized exactly so that ASan catches any overrun).

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "plugin/IMidiMsg.h"
#include "plugin/ISysEx.h"

namespace
{
void Check(bool ok)
{
  if (!ok) abort();
}

void CheckDecoded(const IMidiMsg& m)
{
  const int kind = m.StatusMsg();
  Check(kind == 0 || (kind >= 8 && kind <= 14));
  Check(m.Channel() >= 0 && m.Channel() <= 15);
  const int ints[] = { m.NoteNumber(), m.Velocity(), m.PolyAfterTouch(), m.ChannelAfterTouch(), m.Program() };
  for (int v : ints) Check(v >= -1 && v <= 127);
  Check(m.ControlChangeIdx() >= 0 && m.ControlChangeIdx() <= 127);
  const double wheel = m.PitchWheel();
  Check(wheel >= -1.0 && wheel <= 1.0 - 1.0 / 8192.0);
  const double cc = m.ControlChange(m.ControlChangeIdx());
  Check(cc == -1.0 || (cc >= 0.0 && cc <= 1.0));
  Check(IMidiMsg::StatusMsgStr(m.StatusMsg()) != nullptr);
  m.LogMsg();
}

template <class T>
T Take(const uint8_t*& data, size_t& size)
{
  T v{};
  const size_t n = size < sizeof(T) ? size : sizeof(T);
  memcpy(&v, data, n);
  data += n;
  size -= n;
  return v;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  const uint8_t* p = data;
  size_t left = size;

  // A raw message from the first four bytes.
  IMidiMsg raw(0, Take<uint8_t>(p, left), Take<uint8_t>(p, left), Take<uint8_t>(p, left));
  raw.mOffset = (int)Take<uint8_t>(p, left);
  CheckDecoded(raw);
  IMidiMsg::StatusMsgStr((IMidiMsg::EStatusMsg)Take<int32_t>(p, left));

  // The makers with arbitrary arguments.
  IMidiMsg made;
  const int a = Take<int32_t>(p, left);
  const int b = Take<int32_t>(p, left);
  const int c = Take<int32_t>(p, left);
  const int d = Take<int32_t>(p, left);
  const double x = Take<double>(p, left);
  made.MakeNoteOnMsg(a, b, c, d);
  Check(made.StatusMsg() == IMidiMsg::kNoteOn && made.mOffset == c);
  CheckDecoded(made);
  made.MakeNoteOffMsg(a, c, d);
  Check(made.StatusMsg() == IMidiMsg::kNoteOff && made.Velocity() == 0);
  CheckDecoded(made);
  made.MakePitchWheelMsg(x, d);
  Check(made.StatusMsg() == IMidiMsg::kPitchWheel);
  CheckDecoded(made);
  made.MakeControlChangeMsg((IMidiMsg::EControlChangeMsg)a, x, d);
  Check(made.StatusMsg() == IMidiMsg::kControlChange);
  CheckDecoded(made);

  // The rest is a SysEx message, printed into a buffer of a fuzzed size.
  const int room = (int)(Take<uint16_t>(p, left) % 1024) - 8;
  const int claimed = (int)left - (int)(Take<uint8_t>(p, left) % 4);
  std::vector<uint8_t> bytes(p, p + left);
  ISysEx sysex(0, bytes.data(), (int)bytes.size());
  sysex.LogMsg();
  const int count = claimed < (int)bytes.size() ? claimed : (int)bytes.size();
  char* text = room > 0 ? (char*)malloc((size_t)room) : nullptr;
  char* out = SysExStr(text, room, bytes.empty() ? nullptr : bytes.data(), count);
  Check(out == text);
  if (text)
  {
    const size_t len = strnlen(text, (size_t)room);
    Check(len < (size_t)room);
    const int fits = count > 0 && !bytes.empty() ? (room / 3 < count ? room / 3 : count) : 0;
    Check(len == (size_t)(fits > 0 ? fits * 3 - 1 : 0));
  }
  free(text);
  sysex.Clear();
  return 0;
}
