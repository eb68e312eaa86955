#pragma once

#include "plugin/containers/KIT_TypedBuf.h"

// Size of every fixed text field of a parameter (name, label, group, display
// texts, formatted values), terminator included.
constexpr int MAX_PARAM_NAME_LEN = 32;
constexpr int MAX_PARAM_LABEL_LEN = 32;
constexpr int MAX_PARAM_GROUP_LEN = 32;
constexpr int MAX_PARAM_DISPLAY_LEN = 32;

// Copies src into a field of fieldSize bytes. A text that does not fit is cut
// at the last whole UTF-8 character that does, so a field never ends in half a
// character; the result is always terminated. A null src gives "".
void CopyTextField(char* dst, int fieldSize, const char* src);

// Reads the leading decimal number of text the way the C library's atof does
// in the "C" locale, whatever the process locale: optional blanks, an optional
// sign, digits with an optional '.' fraction and an optional exponent. Text
// without a number gives 0; "inf"/"nan" are not numbers here. Any thread.
double ParseDecimal(const char* text);

// Formats value with the given number of decimals ("%.*f" in the "C" locale)
// into text, which holds size bytes. A value whose fixed form does not fit is
// written in exponent form instead, so the result is always a whole number and
// always terminated. Returns text.
char* FormatDecimal(char* text, int size, double value, int precision);

// Truncates toward zero, saturating at the int range; NaN gives 0.
int SaturatingInt(double value);

// One automatable parameter. Values travel as real values inside the effect and
// as normalised positions in [0, 1] between the base, the host and the editor.
// A parameter has no lock: every change happens under the plug-in's mutex.
class IParam
{
public:
  enum EParamType { kTypeNone = 0, kTypeBool = 1, kTypeInt = 2, kTypeEnum = 3, kTypeDouble = 4 };

  // One name for a discrete value. Keys keep the order of SetDisplayText;
  // the first of duplicate keys wins.
  struct DisplayText
  {
    int mValue;
    char mText[MAX_PARAM_DISPLAY_LEN];
  };

  IParam();
  ~IParam() = default;

  IParam(const IParam&) = delete;
  IParam& operator=(const IParam&) = delete;

  // The first initialiser decides the type; later ones change only the range.
  // Texts longer than 31 bytes are cut (CopyTextField).
  void InitBool(const char* name, bool defaultVal, const char* label = "", const char* group = "");
  void InitEnum(const char* name, int defaultVal, int nEnums, const char* label = "", const char* group = "");
  void InitInt(const char* name, int defaultVal, int minVal, int maxVal, const char* label = "",
               const char* group = "");
  void InitDouble(const char* name, double defaultVal, double minVal, double maxVal, double step,
                  const char* label = "", const char* group = "", double shape = 1.0);

  // Appends one (value, text) entry; false when the list could not grow.
  bool SetDisplayText(int value, const char* text);
  // Stores the shape unless it is 0 (or NaN).
  void SetShape(double shape);

  // The clamping setter: below the minimum gives the minimum, otherwise the
  // smaller of value and the maximum. NaN leaves the value unchanged.
  void Set(double value);
  // Sets the value from a normalised position, clamped to [0, 1] first (values
  // from files are not trusted); rounded to the step unless the type is double.
  // NaN leaves the value unchanged.
  void SetNormalized(double normalizedValue);
  double GetNormalized() const;
  double GetNormalized(double value) const;

  double Value() const { return mValue; }
  bool Bool() const { return mValue >= 0.5; }
  // The value truncated toward zero, saturating at the int range.
  int Int() const { return SaturatingInt(mValue); }
  // The value read as decibels, as a linear amplitude.
  double DBToAmp() const;

  EParamType Type() const { return mType; }
  double GetDefault() const { return mDefault; }
  double GetMin() const { return mMin; }
  double GetMax() const { return mMax; }
  double GetStep() const { return mStep; }
  double GetShape() const { return mShape; }
  int GetPrecision() const { return mDisplayPrecision; }
  void GetBounds(double* pMin, double* pMax) const;

  bool GetNegateDisplay() const { return mNegateDisplay; }
  void SetNegateDisplay(bool negate) { mNegateDisplay = negate; }
  bool GetCanAutomate() const { return mCanAutomate; }
  void SetCanAutomate(bool canAutomate) { mCanAutomate = canAutomate; }

  // Formats value (the real value, or a normalised position when normalized is
  // set) into text, which must hold MAX_PARAM_DISPLAY_LEN bytes; nothing beyond
  // that is ever written. Numbers use '.' whatever the process locale.
  void GetDisplayForHost(double value, bool normalized, char* text, bool withDisplayText = true) const;
  // The current value, formatted as above.
  void GetDisplayForHost(char* text, bool withDisplayText = true) const
  {
    GetDisplayForHost(mValue, false, text, withDisplayText);
  }

  const char* GetDisplayText(int value) const;
  const char* GetNameForHost() const { return mName; }
  const char* GetLabelForHost() const;
  const char* GetParamGroupForHost() const { return mParamGroup; }
  int GetNDisplayTexts() const { return mDisplayTexts.GetSize(); }
  // The text of entry index (and its key); "" and key untouched for an index
  // out of range.
  const char* GetDisplayTextAtIdx(int index, int* value = nullptr) const;
  // Exact, case-sensitive search; on a match stores the key and returns true.
  bool MapDisplayText(const char* text, int* value) const;

  // What user-typed text means for this parameter, as a normalised position:
  // bool and enum parameters look the text up among their display texts (an
  // unknown text gives key 0); the others read it as a decimal number ('.' as
  // the separator whatever the locale), negated when the display is negated.
  double GetNormalizedFromText(const char* text) const;

private:
  EParamType mType;
  double mValue;
  double mMin;
  double mMax;
  double mStep;
  double mShape;
  double mDefault;
  int mDisplayPrecision;
  char mName[MAX_PARAM_NAME_LEN];
  char mLabel[MAX_PARAM_LABEL_LEN];
  char mParamGroup[MAX_PARAM_GROUP_LEN];
  bool mNegateDisplay;
  bool mCanAutomate;
  KIT_TypedBuf<DisplayText> mDisplayTexts;

  void InitCommon(EParamType type, const char* name, double defaultVal, const char* label,
                  const char* group);
};
