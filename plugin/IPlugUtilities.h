#pragma once

#include <ctime>

class KIT_String;

// Packed versions are 0xMMMMmmpp: major in the high 16 bits, minor in bits 8-15,
// patch in bits 0-7. The fields are taken from the unsigned bit pattern, so a
// version with the top bit set still splits into three non-negative numbers.
void GetVersionParts(int version, int* major, int* minor, int* patch);

// major * 10000 + minor * 100 + patch: 0x10300 gives 10300.
int GetDecimalVersion(int version);

// Longest text GetVersionStr writes ("v65535.255.255"), terminator excluded.
constexpr int kMaxVersionStrLen = 14;

// Writes "v<major>.<minor>.<patch>" into text, which holds kMaxVersionStrLen + 1 chars.
void GetVersionStr(int version, char* text);

// A coarse interval timer on the processor clock (CPU time used by the process, not
// wall time), for throttling periodic work.
class Timer
{
public:
  Timer();

  // True, starting a new interval, once more than the given number of seconds of
  // processor time has passed since the interval began. Any thread; no locks.
  bool Every(double seconds);

private:
  clock_t mStart;
};

// Space, tab, line feed and carriage return; not vertical tab or form feed.
bool IsWhitespace(char c);

// Copies in into out with every character lowered, terminated. out holds
// strlen(in) + 1 characters and may be in itself.
void ToLower(char* out, const char* in);

// Local time of now as "YYYYmmdd HH:MM +hhmm" (offset from UTC). Returns a
// process-wide static text that the next call overwrites; not for concurrent use.
const char* CurrentTime();

// From __DATE__ ("Mmm dd yyyy", day padded with a blank) and __TIME__ ("hh:mm:ss"),
// makes the short stamp "[Mmm d hh:mm]" / "[Mmmdd hh:mm]" in out.
void CompileTimestamp(const char* date, const char* time, KIT_String* out);

// text, a blank and the compile stamp of date and time, in a process-wide static
// string; the result is valid until the next call and not for concurrent use.
const char* AppendTimestamp(const char* date, const char* time, const char* text);
