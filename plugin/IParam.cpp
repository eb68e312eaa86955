#include "plugin/IParam.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <locale.h>

void CopyTextField(char* dst, int fieldSize, const char* src)
{
  if (!dst || fieldSize <= 0) return;
  if (!src) src = "";
  const void* nul = memchr(src, 0, (size_t)fieldSize);
  int n = nul ? (int)((const char*)nul - src) : fieldSize - 1;
  if (!nul)
  {
    // Cut before a UTF-8 continuation byte (10xxxxxx) until a character starts
    // at the cut, so the field never ends in the middle of a character.
    while (n > 0 && ((unsigned char)src[n] & 0xC0) == 0x80) --n;
  }
  memmove(dst, src, (size_t)n);
  dst[n] = 0;
}

static locale_t CLocale()
{
  static locale_t sC = newlocale(LC_ALL_MASK, "C", (locale_t)0);
  return sC;
}

double ParseDecimal(const char* text)
{
  if (!text) return 0.0;
  const char* p = text;
  while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r' || *p == '\v' || *p == '\f') ++p;
  const char* s = p;
  if (*s == '+' || *s == '-') ++s;
  // Only digits and a fraction make a number: no "inf", "nan" or hex.
  if (!((*s >= '0' && *s <= '9') || (*s == '.' && s[1] >= '0' && s[1] <= '9'))) return 0.0;
  if (*s == '0' && (s[1] == 'x' || s[1] == 'X')) return 0.0;
  locale_t c = CLocale();
  if (c) return strtod_l(p, nullptr, c);
  // Without a C locale object, from_chars is locale-free too (it only lacks
  // the saturation of out-of-range input).
  double v = 0.0;
  const bool neg = *p == '-';
  std::from_chars(s, s + strlen(s), v, std::chars_format::general);
  return neg ? -v : v;
}

char* FormatDecimal(char* text, int size, double value, int precision)
{
  if (!text || size <= 0) return text;
  if (precision < 0) precision = 0;
  char* last = text + size - 1;
  std::to_chars_result r = std::to_chars(text, last, value, std::chars_format::fixed, precision);
  if (r.ec != std::errc())
    r = std::to_chars(text, last, value, std::chars_format::scientific, precision < 6 ? precision : 6);
  if (r.ec != std::errc()) r = std::to_chars(text, last, value);
  if (r.ec != std::errc()) r.ptr = text;
  *r.ptr = 0;
  return text;
}

int SaturatingInt(double value)
{
  if (std::isnan(value)) return 0;
  if (value >= (double)INT_MAX) return INT_MAX;
  if (value <= (double)INT_MIN) return INT_MIN;
  return (int)value;
}

IParam::IParam()
  : mType(kTypeNone), mValue(0.0), mMin(0.0), mMax(1.0), mStep(1.0), mShape(1.0), mDefault(0.0),
    mDisplayPrecision(0), mNegateDisplay(false), mCanAutomate(true), mDisplayTexts(4096)
{
  memset(mName, 0, sizeof(mName));
  memset(mLabel, 0, sizeof(mLabel));
  memset(mParamGroup, 0, sizeof(mParamGroup));
}

void IParam::InitCommon(EParamType type, const char* name, double defaultVal, const char* label,
                        const char* group)
{
  if (mType == kTypeNone) mType = type;
  CopyTextField(mName, MAX_PARAM_NAME_LEN, name);
  CopyTextField(mLabel, MAX_PARAM_LABEL_LEN, label);
  CopyTextField(mParamGroup, MAX_PARAM_GROUP_LEN, group);
  mValue = mDefault = defaultVal;
}

void IParam::InitBool(const char* name, bool defaultVal, const char* label, const char* group)
{
  InitCommon(kTypeBool, name, defaultVal ? 1.0 : 0.0, label, group);
  mMin = 0.0;
  mMax = 1.0;
  mStep = 1.0;
  mShape = 1.0;
  mDisplayPrecision = 0;
  SetDisplayText(0, "off");
  SetDisplayText(1, "on");
}

void IParam::InitEnum(const char* name, int defaultVal, int nEnums, const char* label, const char* group)
{
  InitCommon(kTypeEnum, name, (double)defaultVal, label, group);
  mMin = 0.0;
  mMax = nEnums >= 2 ? (double)(nEnums - 1) : 1.0;
  mStep = 1.0;
  mShape = 1.0;
  mDisplayPrecision = 0;
}

void IParam::InitInt(const char* name, int defaultVal, int minVal, int maxVal, const char* label,
                     const char* group)
{
  InitCommon(kTypeInt, name, (double)defaultVal, label, group);
  mMin = (double)minVal;
  // In doubles, so min + 1 cannot overflow at INT_MAX.
  mMax = std::fmax((double)maxVal, (double)minVal + 1.0);
  mStep = 1.0;
  mShape = 1.0;
  mDisplayPrecision = 0;
}

void IParam::InitDouble(const char* name, double defaultVal, double minVal, double maxVal, double step,
                        const char* label, const char* group, double shape)
{
  InitCommon(kTypeDouble, name, defaultVal, label, group);
  mMin = minVal;
  mMax = maxVal > minVal + step ? maxVal : minVal + step;
  mStep = step;
  mDisplayPrecision = 0;
  double s = step;
  for (int k = 1; k <= 6; ++k)
  {
    if (s == std::floor(s)) break;
    mDisplayPrecision = k;
    s *= 10.0;
  }
  SetShape(shape);
}

bool IParam::SetDisplayText(int value, const char* text)
{
  const int n = mDisplayTexts.GetSize();
  if (!mDisplayTexts.TryResize(n + 1, false)) return false;
  DisplayText* dt = mDisplayTexts.Get() + n;
  memset(dt, 0, sizeof(*dt));
  dt->mValue = value;
  CopyTextField(dt->mText, MAX_PARAM_DISPLAY_LEN, text);
  return true;
}

void IParam::SetShape(double shape)
{
  if (shape != 0.0 && !std::isnan(shape)) mShape = shape;
}

void IParam::Set(double value)
{
  if (std::isnan(value)) return;
  mValue = value < mMin ? mMin : (value < mMax ? value : mMax);
}

void IParam::SetNormalized(double normalizedValue)
{
  if (std::isnan(normalizedValue)) return;
  const double n = normalizedValue < 0.0 ? 0.0 : (normalizedValue > 1.0 ? 1.0 : normalizedValue);
  double real = mMin + (mMax - mMin) * std::pow(n, mShape);
  if (mType != kTypeDouble) real = std::floor(real / mStep + 0.5) * mStep;
  if (real > mMax) real = mMax;
  if (std::isnan(real)) return;
  mValue = real;
}

double IParam::GetNormalized() const
{
  return GetNormalized(mValue);
}

double IParam::GetNormalized(double value) const
{
  if (std::isnan(value)) return 0.0;
  const double v = value < mMin ? mMin : (value < mMax ? value : mMax);
  const double range = mMax - mMin;
  if (!(range > 0.0)) return 0.0;
  return std::pow((v - mMin) / range, 1.0 / mShape);
}

double IParam::DBToAmp() const
{
  return std::exp(mValue * 0.1151292546497);
}

void IParam::GetBounds(double* pMin, double* pMax) const
{
  if (pMin) *pMin = mMin;
  if (pMax) *pMax = mMax;
}

void IParam::GetDisplayForHost(double value, bool normalized, char* text, bool withDisplayText) const
{
  if (!text) return;
  double v = value;
  if (normalized) v = mMin + (mMax - mMin) * std::pow(v, mShape);

  if (withDisplayText && mDisplayTexts.GetSize() > 0)
  {
    const char* dt = GetDisplayText(SaturatingInt(v));
    if (dt[0])
    {
      CopyTextField(text, MAX_PARAM_DISPLAY_LEN, dt);
      return;
    }
  }

  if (mNegateDisplay) v = -v;

  if (mDisplayPrecision != 0)
  {
    FormatDecimal(text, MAX_PARAM_DISPLAY_LEN, v, mDisplayPrecision);
  }
  else
  {
    std::to_chars_result r = std::to_chars(text, text + MAX_PARAM_DISPLAY_LEN - 1, SaturatingInt(v));
    *r.ptr = 0;
  }
}

const char* IParam::GetDisplayText(int value) const
{
  const int n = mDisplayTexts.GetSize();
  const DisplayText* dt = mDisplayTexts.Get();
  for (int i = 0; i < n; ++i)
    if (dt[i].mValue == value) return dt[i].mText;
  return "";
}

const char* IParam::GetLabelForHost() const
{
  const char* dt = GetDisplayText(Int());
  return dt[0] ? "" : mLabel;
}

const char* IParam::GetDisplayTextAtIdx(int index, int* value) const
{
  if (index < 0 || index >= mDisplayTexts.GetSize()) return "";
  const DisplayText* dt = mDisplayTexts.Get() + index;
  if (value) *value = dt->mValue;
  return dt->mText;
}

bool IParam::MapDisplayText(const char* text, int* value) const
{
  if (!text) return false;
  const int n = mDisplayTexts.GetSize();
  const DisplayText* dt = mDisplayTexts.Get();
  for (int i = 0; i < n; ++i)
  {
    if (!strcmp(dt[i].mText, text))
    {
      if (value) *value = dt[i].mValue;
      return true;
    }
  }
  return false;
}

double IParam::GetNormalizedFromText(const char* text) const
{
  double v;
  if (mType == kTypeBool || mType == kTypeEnum)
  {
    int key = 0;
    MapDisplayText(text, &key);
    v = (double)key;
  }
  else
  {
    v = ParseDecimal(text);
    if (mNegateDisplay) v = -v;
  }
  return GetNormalized(v);
}
