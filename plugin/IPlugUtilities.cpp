#include "plugin/IPlugUtilities.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "plugin/containers/KIT_String.h"

void GetVersionParts(int version, int* major, int* minor, int* patch)
{
  const unsigned v = (unsigned)version;
  *major = (int)(v >> 16);
  *minor = (int)((v >> 8) & 0xff);
  *patch = (int)(v & 0xff);
}

int GetDecimalVersion(int version)
{
  int major, minor, patch;
  GetVersionParts(version, &major, &minor, &patch);
  return major * 10000 + minor * 100 + patch;
}

void GetVersionStr(int version, char* text)
{
  int major, minor, patch;
  GetVersionParts(version, &major, &minor, &patch);
  snprintf(text, kMaxVersionStrLen + 1, "v%d.%d.%d", major, minor, patch);
}

Timer::Timer() : mStart(clock()) {}

bool Timer::Every(double seconds)
{
  const clock_t now = clock();
  if ((double)(now - mStart) > seconds * (double)CLOCKS_PER_SEC)
  {
    mStart = now;
    return true;
  }
  return false;
}

bool IsWhitespace(char c)
{
  return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

void ToLower(char* out, const char* in)
{
  // Through unsigned char: tolower of a negative char (any UTF-8 lead or
  // continuation byte) is undefined.
  size_t i = 0;
  for (; in[i]; ++i) out[i] = (char)tolower((unsigned char)in[i]);
  out[i] = '\0';
}

const char* CurrentTime()
{
  static char sText[64];

  const time_t now = time(nullptr);
  struct tm local;
  struct tm utc;
  localtime_r(&now, &local);
  gmtime_r(&now, &utc);

  size_t len = strftime(sText, sizeof(sText), "%Y%m%d %H:%M ", &local);

  int offset = (local.tm_hour * 60 + local.tm_min) - (utc.tm_hour * 60 + utc.tm_min);
  const int dayDiff = local.tm_yday - utc.tm_yday;
  // A day difference of more than one in size only happens across New Year, where
  // the day of the year wraps: the side that is "ahead" has the small number.
  if (dayDiff > 1) offset -= 1440;
  else if (dayDiff < -1) offset += 1440;
  else offset += dayDiff * 1440;

  const int magnitude = abs(offset);
  snprintf(sText + len, sizeof(sText) - len, "%c%02d%02d", offset >= 0 ? '+' : '-', magnitude / 60,
           magnitude % 60);
  return sText;
}

void CompileTimestamp(const char* date, const char* time, KIT_String* out)
{
  if (!date) date = "";
  if (!time) time = "";

  // "[Mmm dd" keeps the month and the two day places; dropping the character after
  // the month removes either the pad blank of a one-digit day or the separator.
  char stamp[16];
  snprintf(stamp, 8, "[%s", date);
  size_t len = strlen(stamp);
  if (len > 4)
  {
    memmove(stamp + 4, stamp + 5, len - 4);
    --len;
  }
  snprintf(stamp + len, 13 - len, " %s", time);
  strcat(stamp, "]");
  out->Set(stamp);
}

const char* AppendTimestamp(const char* date, const char* time, const char* text)
{
  static KIT_String sText;
  KIT_String stamp;
  CompileTimestamp(date, time, &stamp);
  sText.Set(text ? text : "");
  sText.Append(" ");
  sText.Append(stamp.Get());
  return sText.Get();
}
